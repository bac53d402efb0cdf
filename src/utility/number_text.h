#pragma once
// Numbers as text: every reader and writer of numbers in the program is here,
// and each reads and writes the same characters whatever the user's locale
// says (LANG, LC_ALL, LC_NUMERIC, or a setlocale() call such as the one Qt
// makes at start): the decimal mark is always '.', nothing is grouped unless a
// function below says so, and digits are the ASCII digits 0-9 only.
//
// The readers are built on std::from_chars and the writers on std::to_chars,
// which never consult the locale; to_chars with a format and a precision gives
// the same digits as printf in the C locale.
#include <optional>
#include <string>
#include <string_view>

namespace zelmora {

// ------------------------------------------------------------------ reading
//
// A decimal number is
//     [+ or -] digits [. [digits]]     or     [+ or -] . digits
// then optionally an exponent: e or E, [+ or -], digits.
// So "2.80", "+1.5", "-5", "1.", ".5", "1e3" and "2.5E-1" are decimal numbers,
// and "", ".", "-", "1e", "0x10" (hexadecimal), "inf", "nan", "1,5" and "1 000"
// are not. A whole number is [+ or -] digits.
// Blanks are spaces and tabs.

// The text, less blanks around it, has the form of a decimal number, of any size.
bool is_decimal_form(std::string_view text);

// The text, less blanks around it, is one decimal number that a double holds
// finitely (neither too large nor too small: "1e309" and "1e-400" are refused).
// On false `value` is unchanged.
bool read_decimal_number(std::string_view text, double& value);

// The text, less blanks around it, is one whole number within the type's range.
// On false `value` is unchanged.
bool read_whole_number(std::string_view text, int& value);
bool read_whole_number(std::string_view text, long long& value);

// The number a text begins with, read with std::from_chars whatever the locale:
// C white space (blank, tab, line feed, vertical tab, form feed, carriage
// return) is skipped, then the longest beginning that is a decimal number is
// read and whatever follows it is ignored ("12.5 acres" is 12.5, "0x10" is 0).
// nullopt when there is no such beginning, or its value is too large or too
// small for a double.
std::optional<double> leading_decimal(std::string_view text);

// The whole number a text begins with, as strtoll reads it in base 10: white
// space as above, [+ or -], digits; what follows is ignored ("65.5" is 65). A
// value beyond the range of long long gives the nearest end of that range.
// nullopt when there are no digits.
std::optional<long long> leading_whole_number(std::string_view text);

// A number typed in a field that shows thousands separators: every ',' is
// ignored wherever it stands, then blanks around the rest; an empty or blank
// text is 0. The rest must be [+ or -] digits with at most one point and at
// least one digit: no exponent. nullopt otherwise ("abc", "12x", "1e5", "-"),
// or when the value is too large for a double.
std::optional<double> read_grouped_decimal(std::string_view text);
// The same for a whole number: no point, and at most 12 characters once the
// separators and blanks are gone.
std::optional<long> read_grouped_whole_number(std::string_view text);

// ------------------------------------------------------------------ writing

// "%.*f": fixed notation with `places` digits after the point (none, and no
// point, for 0), a leading '-' for negative values (also -0.0), no grouping,
// no exponent; "nan", "-nan", "inf" or "-inf" for a value that is not finite.
// `places` below 0 counts as 0. fixed_text(value, 6) is "%lf".
std::string fixed_text(double value, int places);

// "%.*g" with `precision` significant digits (0 counts as 1): fixed or
// exponent notation, whichever printf's %g would choose, trailing zeros
// removed. general_text(value, 6) is "%g".
std::string general_text(double value, int precision);

// Thousands separators: "," before every third digit of the integer part,
// counted back from its end; the integer part ends at the first '.' (or the
// end of the text) and the walk stops at the first character that is not a
// digit. "1234567.891" -> "1,234,567.891", "-1234.5" -> "-1,234.5",
// "$1234" -> "$1,234"; the part after the point is never touched.
std::string insert_separators(std::string_view text);
// The text without any ','.
std::string remove_separators(std::string_view text);

// ASCII letters A-Z turned to a-z; every other byte is kept as it is.
std::string lower_case(std::string text);

}  // namespace zelmora
