#pragma once
// Appending C-formatted text: the worksheets and reports are specified in C formats.
#include <string>

namespace zelmora {

[[gnu::format(printf, 2, 3)]] void append_format(std::string& text, const char* format, ...);

}  // namespace zelmora
