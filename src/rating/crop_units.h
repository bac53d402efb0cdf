#pragma once
// The unit each crop's yields are given in by the rating data, which is the
// unit its price must be given in: the rating multiplies the price by the APH
// yield. The demo data gives corn, soybeans, wheat and barley in bushels per
// acre and canola, sunflower, cotton and rice in pounds per acre (rice too: its
// reference yields are about 6,000 pounds, so its price is dollars per pound,
// not per hundredweight).
#include <optional>
#include <string>

#include "utility/exact_decimal.h"

namespace zelmora {

// "bushel" or "pound".
const char* yield_unit_of(int crop_number);
// "bu" or "lb", as a column heading shows it after "$/".
const char* yield_unit_abbreviation(int crop_number);
// Decimals a price is shown with: 2 per bushel, 4 per pound.
int price_places(int crop_number);

// The prices a crop's unit makes plausible (per bushel 1 to 30 dollars, per
// pound 0.02 to 2), for a warning only: a price outside them is still rated.
struct price_range {
    double low, high;
};
price_range plausible_price(int crop_number);
// "Rice is priced per pound here: 7.00 is far above the usual 0.02 to 2.00"; nothing within.
std::optional<std::string> implausible_price_warning(int crop_number, const exact_decimal& price);

}  // namespace zelmora
