#pragma once
// Number texts of the command line's tables.
#include <string>

#include "utility/exact_decimal.h"

namespace zelmora {

// Inserts "," before every third digit of the integer part, counted from its
// end ("1234567.891" -> "1,234,567.891", "-1234.5" -> "-1,234.5"); the walk
// stops at the first character that is not a digit.
std::string insert_separators(std::string text);

// The value's to_text(places), with separators when asked.
std::string number_text(const exact_decimal& value, int places, bool separators);

}  // namespace zelmora
