#pragma once
// Number texts of the command line's tables.
#include <string>

#include "utility/exact_decimal.h"
#include "utility/number_text.h"

namespace zelmora {

// The value's to_text(places), with separators (insert_separators) when asked.
std::string number_text(const exact_decimal& value, int places, bool separators);

}  // namespace zelmora
