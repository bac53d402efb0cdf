#pragma once
// The values a numeric field of the windows accepts: the range of each kind
// of input (the same ranges as the command line's inputs), the reading of a
// field's text as a number, and the unit of yield each crop is priced in.
#include <optional>
#include <string>

namespace zelmora {

struct field_range {
    const char* what;  // "share", "acres", ... as the refusal names it
    double low;
    double high;
};

// One entry per kind of numeric input of the windows.
namespace field_ranges {
inline constexpr field_range share{"share", 0.0, 1.0};
inline constexpr field_range written_agreement{"written agreement rate", 0.0, 1.0};
inline constexpr field_range acres{"acres", 0.0, 1000000.0};
inline constexpr field_range yield{"yield", 0.0, 100000.0};
inline constexpr field_range price{"price", 0.0, 100000.0};
inline constexpr field_range factor{"factor", 0.0, 10.0};
}  // namespace field_ranges

// The number a field's text stands for: thousands separators and blanks
// around it are ignored, an empty text is 0; nullopt when the text is not a
// plain decimal number ("abc", "12x", "1e5", "-").
std::optional<double> read_number_text(const std::string& text);
// An integer text as above; nullopt when the text has a fraction or is not a number.
std::optional<long> read_integer_text(const std::string& text);

// "Share: 0 to 1", "Acres: 0 to 1,000,000".
std::string range_text(const field_range& range);

// The unit a crop's yield and price are counted in: "bushel", "pound", "hundredweight".
const char* yield_unit(int crop_number);

}  // namespace zelmora
