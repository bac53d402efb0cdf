#include "rating/crop_units.h"

#include "data/crops.h"
#include "utility/number_text.h"

namespace zelmora {

namespace {

bool in_pounds(int crop_number) {
    return crop_number == crop_canola || crop_number == crop_sunflower || crop_number == crop_cotton ||
           crop_number == crop_rice;
}

}  // namespace

const char* yield_unit_of(int crop_number) { return in_pounds(crop_number) ? "pound" : "bushel"; }

const char* yield_unit_abbreviation(int crop_number) { return in_pounds(crop_number) ? "lb" : "bu"; }

int price_places(int crop_number) { return in_pounds(crop_number) ? 4 : 2; }

price_range plausible_price(int crop_number) { return in_pounds(crop_number) ? price_range{0.02, 2.0} : price_range{1.0, 30.0}; }

std::optional<std::string> implausible_price_warning(int crop_number, const exact_decimal& price) {
    if (!(price > 0.0)) return std::nullopt;  // no price: nothing is insured, nothing to warn of
    const price_range range = plausible_price(crop_number);
    const double p = price.to_double();
    if (p >= range.low && p <= range.high) return std::nullopt;
    return std::string(crop_display_name(crop_number)) + " is priced per " + yield_unit_of(crop_number) + " here: " +
           fixed_text(p, price_places(crop_number)) + " is far " + (p > range.high ? "above" : "below") +
           " the usual " + fixed_text(range.low, 2) + " to " + fixed_text(range.high, 2);
}

}  // namespace zelmora
