#include "utility/printable.h"

namespace zelmora {

namespace {

bool is_c0_or_delete(unsigned char c) { return c < 0x20 || c == 0x7F; }

// A C1 control in UTF-8: 0xC2 followed by 0x80..0x9F.
bool is_c1_at(std::string_view text, std::size_t at) {
    return static_cast<unsigned char>(text[at]) == 0xC2 && at + 1 < text.size() &&
           static_cast<unsigned char>(text[at + 1]) >= 0x80 && static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string printable_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool line_end = c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
        if (is_c1_at(text, i)) {
            out += '?';
            ++i;
        } else if (is_c0_or_delete(static_cast<unsigned char>(c)) && c != '\t' && !line_end) {
            out += '?';
        } else {
            out += c;
        }
    }
    return out;
}

std::string printable_line(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (is_c1_at(text, i)) {
            out += '?';
            ++i;
        } else {
            out += is_c0_or_delete(static_cast<unsigned char>(text[i])) ? '?' : text[i];
        }
    }
    return out;
}

std::string quoted_value(std::string_view value) {
    std::size_t end = 0;
    std::size_t characters = 0;
    while (end < value.size() && characters < quoted_value_limit) {
        ++end;
        while (end < value.size() && is_continuation(value[end])) ++end;
        ++characters;
    }
    std::string out = "\"";
    for (std::size_t i = 0; i < end; ++i) {
        if (is_c1_at(value, i)) {
            out += '?';
            ++i;
        } else {
            out += is_c0_or_delete(static_cast<unsigned char>(value[i])) ? '?' : value[i];
        }
    }
    if (end < value.size()) out += "...";
    return out + "\"";
}

}  // namespace zelmora
