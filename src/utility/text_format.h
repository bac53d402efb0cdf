#pragma once
// Appending C-formatted text: the worksheets and reports are specified in C formats.
// For texts and whole numbers only: a number with a fraction is formatted with
// number_text.h, as "%f" and "%g" would follow the user's locale.
#include <string>

namespace zelmora {

[[gnu::format(printf, 2, 3)]] void append_format(std::string& text, const char* format, ...);

}  // namespace zelmora
