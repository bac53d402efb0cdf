#pragma once
// The farm totals the pages show beside the enterprise and whole-farm figures:
// per crop and for the farm, the basic and optional units summed, and per crop
// its enterprise unit in dollars.
#include <array>
#include <string>

#include "rating/coverage_comparison.h"

namespace zelmora {

struct farm_totals {
    farm_unit_totals units;                          // the units summed, per crop and for the farm
    std::array<unit_totals, crop_count> enterprise;  // each selected crop as one enterprise unit
};

// The farm's rating summed. A unit the rater cannot rate adds nothing and
// leaves the sums it is part of, and its crop's enterprise unit, incomplete. The
// enterprise guarantee is the per-acre guarantee on the crop's acres x share,
// in whole dollars; its premiums are already dollars of the whole crop.
farm_totals farm_totals_of(const farm& f, const farm_rating& rated);

}  // namespace zelmora
