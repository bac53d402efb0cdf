#pragma once
// Per-crop arrays of a farm and of its rating, indexed by crop number - 1
// (crop numbers 1..9).
#include <array>

#include "data/crops.h"
#include "utility/exact_decimal.h"

namespace zelmora {

using crop_decimals = std::array<exact_decimal, crop_count>;
using crop_ints = std::array<int, crop_count>;
using crop_flags = std::array<bool, crop_count>;

}  // namespace zelmora
