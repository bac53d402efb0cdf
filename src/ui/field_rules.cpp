#include "ui/field_rules.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "data/crops.h"

namespace zelmora {

namespace {

// The text without separators and surrounding blanks, when it has the form
// [-]digits[.digits] or [-].digits; otherwise empty with `valid` false.
std::string plain_number(const std::string& text, bool& valid) {
    std::string kept;
    for (char c : text) {
        if (c != ',') kept.push_back(c);
    }
    const std::size_t first = kept.find_first_not_of(" \t");
    if (first == std::string::npos) {
        valid = true;
        return "0";
    }
    const std::size_t last = kept.find_last_not_of(" \t");
    kept = kept.substr(first, last - first + 1);
    std::size_t i = kept[0] == '-' || kept[0] == '+' ? 1 : 0;
    int digits = 0;
    int points = 0;
    for (; i < kept.size(); ++i) {
        const auto c = static_cast<unsigned char>(kept[i]);
        if (std::isdigit(c)) {
            ++digits;
        } else if (c == '.' && points == 0) {
            ++points;
        } else {
            valid = false;
            return {};
        }
    }
    valid = digits > 0;
    return kept;
}

}  // namespace

std::optional<double> read_number_text(const std::string& text) {
    bool valid = false;
    const std::string number = plain_number(text, valid);
    if (!valid) return std::nullopt;
    return std::strtod(number.c_str(), nullptr);
}

std::optional<long> read_integer_text(const std::string& text) {
    bool valid = false;
    const std::string number = plain_number(text, valid);
    if (!valid || number.find('.') != std::string::npos || number.size() > 12) return std::nullopt;
    return std::strtol(number.c_str(), nullptr, 10);
}

std::string range_text(const field_range& range) {
    auto with_separators = [](double value) {
        char text[64];
        std::snprintf(text, sizeof text, "%.0f", value);
        std::string digits = text;
        for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
            digits.insert(static_cast<std::size_t>(at), 1, ',');
        }
        return digits;
    };
    std::string text = range.what;
    if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text + ": " + with_separators(range.low) + " to " + with_separators(range.high);
}

const char* yield_unit(int crop_number) {
    switch (crop_number) {
    case crop_canola:
    case crop_sunflower:
    case crop_cotton:
        return "pound";
    case crop_rice:
        return "hundredweight";
    default:
        return "bushel";
    }
}

}  // namespace zelmora
