#pragma once
// The values a numeric field of the windows accepts: the range of each kind
// of input, taken from the rows of the inputs' rule table (rating/input_rules.h)
// so that a field takes what the command line takes, and the unit of yield
// each crop is priced in. A field's text is read with read_grouped_decimal or
// read_grouped_whole_number (utility/number_text.h): thousands separators are
// skipped, a point is the decimal mark whatever the locale.
#include <string>

#include "utility/number_text.h"

namespace zelmora {

struct field_range {
    const char* what;  // "share", "acres", ... as the tooltip names it
    double low;
    double high;
    const char* plural = nullptr;  // "shares", "acres", ... as a refusal names them; `what` when null
};

// The range of the input key named `rule_name` ("Crop Share"), called `what`
// (and `plural` for several) in a refusal.
field_range input_field_range(const char* rule_name, const char* what, const char* plural);

// One entry per kind of numeric input of the windows, each the range of the
// keys its fields edit (the factors: price volatility, the prevented planting
// factors and the unit factors, which all share one range; the units of a crop
// on the form and its sections farmed on its page).
namespace field_ranges {
inline const field_range share = input_field_range("Crop Share", "share", "shares");
inline const field_range written_agreement =
    input_field_range("Written Agreement", "written agreement rate", "written agreement rates");
inline const field_range acres = input_field_range("Crop Acres", "acres", "acres");
inline const field_range yield = input_field_range("APH Yield", "yield", "yields");
inline const field_range price = input_field_range("Price", "price", "prices");
inline const field_range factor = input_field_range("Price Volatility", "factor", "factors");
inline const field_range units = input_field_range("Units", "units", "units");
inline const field_range sections = input_field_range("Sections", "sections", "sections");
}  // namespace field_ranges

// "Share: 0 to 1", "Acres: 0 to 1,000,000".
std::string range_text(const field_range& range);
// "shares are 0 to 1", "acres are 0 to 1,000,000".
std::string range_sentence(const field_range& range);

// The unit a crop's yield and price are counted in: "bushel", "pound", "hundredweight".
const char* yield_unit(int crop_number);

}  // namespace zelmora
