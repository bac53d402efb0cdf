#include "utility/text_format.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace zelmora {

void append_format(std::string& text, const char* format, ...) {
    char small[512];
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0) {
        va_end(again);
        return;
    }
    if (static_cast<std::size_t>(n) < sizeof small) {
        text.append(small, static_cast<std::size_t>(n));
    } else {
        std::vector<char> big(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(big.data(), big.size(), format, again);
        text.append(big.data(), static_cast<std::size_t>(n));
    }
    va_end(again);
}

}  // namespace zelmora
