#include "cli/number_text.h"

#include <cctype>

namespace zelmora {

namespace {
bool is_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
}  // namespace

std::string insert_separators(std::string text) {
    const auto point = text.find('.');
    std::size_t end = point == std::string::npos ? text.size() : point;
    int digits = 0;
    // Walk left from the last digit of the integer part.
    for (std::size_t i = end; i > 0; --i) {
        const std::size_t at = i - 1;
        if (!is_digit(text[at])) break;
        ++digits;
        if (digits % 3 == 0 && at > 0 && is_digit(text[at - 1])) text.insert(at, 1, ',');
    }
    return text;
}

std::string number_text(const exact_decimal& value, int places, bool separators) {
    std::string text = value.to_text(places);
    return separators ? insert_separators(std::move(text)) : text;
}

}  // namespace zelmora
