#include "utility/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace zelmora {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_c_space(char c) { return is_blank(c) || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view without_blanks(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

// Skips a run of digits from `at`; answers how many there were.
std::size_t skip_digits(std::string_view text, std::size_t& at) {
    const std::size_t start = at;
    while (at < text.size() && is_digit(text[at])) ++at;
    return at - start;
}

// The text from its sign on, made ready for from_chars, which takes a '-' but
// no '+', and which would also read "inf", "nan" or a second sign: empty
// unless a digit or a point follows the one optional sign.
std::string_view number_start(std::string_view text) {
    std::size_t at = 0;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) at = 1;
    if (at == text.size() || !(is_digit(text[at]) || text[at] == '.')) return {};
    return text[0] == '+' ? text.substr(1) : text;
}

template <typename Integer>
bool read_whole(std::string_view text, Integer& value) {
    text = number_start(without_blanks(text));
    if (text.empty()) return false;
    Integer read = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    value = read;
    return true;
}

// The whole text is [sign] digits [. digits] with at least one digit (no exponent).
bool is_plain_decimal_form(std::string_view text) {
    std::size_t at = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    std::size_t digits = skip_digits(text, at);
    if (at < text.size() && text[at] == '.') {
        ++at;
        digits += skip_digits(text, at);
    }
    return digits > 0 && at == text.size();
}

// A field's text without separators and blanks; "0" for an empty text.
std::string grouped_number(std::string_view text) {
    std::string kept = std::string(without_blanks(remove_separators(text)));
    return kept.empty() ? std::string("0") : kept;
}

std::string chars_text(double value, std::chars_format format, int precision) {
    std::string text(64 + static_cast<std::size_t>(precision), '\0');
    for (;;) {
        const auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), value, format, precision);
        if (ec == std::errc()) {
            text.resize(static_cast<std::size_t>(end - text.data()));
            return text;
        }
        text.resize(text.size() * 2);  // 1e308 in fixed notation needs 309 digits
    }
}

}  // namespace

bool is_decimal_form(std::string_view text) {
    text = without_blanks(text);
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    std::size_t digits = skip_digits(text, at);
    if (at < text.size() && text[at] == '.') {
        ++at;
        digits += skip_digits(text, at);
    }
    if (digits == 0) return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
        if (skip_digits(text, at) == 0) return false;
    }
    return at == text.size();
}

bool read_decimal_number(std::string_view text, double& value) {
    if (!is_decimal_form(text)) return false;
    text = number_start(without_blanks(text));
    double read = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(read)) return false;
    value = read + 0.0;  // "-0" is 0: nothing read is ever a negative zero
    return true;
}

bool read_whole_number(std::string_view text, int& value) { return read_whole(text, value); }
bool read_whole_number(std::string_view text, long long& value) { return read_whole(text, value); }

std::optional<double> leading_decimal(std::string_view text) {
    while (!text.empty() && is_c_space(text.front())) text.remove_prefix(1);
    text = number_start(text);
    if (text.empty()) return std::nullopt;
    // from_chars reads the longest beginning that is a number: "5e" is 5, "1.5.2" is 1.5.
    double read = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (ec != std::errc() || !std::isfinite(read)) return std::nullopt;
    return read + 0.0;  // "-0" is 0
}

std::optional<long long> leading_whole_number(std::string_view text) {
    while (!text.empty() && is_c_space(text.front())) text.remove_prefix(1);
    text = number_start(text);
    if (text.empty() || !is_digit(text[text[0] == '-' ? 1 : 0])) return std::nullopt;
    long long read = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (ec == std::errc::result_out_of_range)
        return text[0] == '-' ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
    if (ec != std::errc()) return std::nullopt;
    return read;
}

std::optional<double> read_grouped_decimal(std::string_view text) {
    const std::string number = grouped_number(text);
    if (!is_plain_decimal_form(number)) return std::nullopt;
    double value = 0.0;
    if (!read_decimal_number(number, value)) return std::nullopt;
    return value;
}

std::optional<long> read_grouped_whole_number(std::string_view text) {
    const std::string number = grouped_number(text);
    if (number.size() > 12) return std::nullopt;
    long long value = 0;
    if (!read_whole_number(number, value) || value < std::numeric_limits<long>::min() ||
        value > std::numeric_limits<long>::max())
        return std::nullopt;
    return static_cast<long>(value);
}

std::string fixed_text(double value, int places) {
    return chars_text(value, std::chars_format::fixed, places < 0 ? 0 : places);
}

std::string general_text(double value, int precision) {
    return chars_text(value, std::chars_format::general, precision < 1 ? 1 : precision);
}

std::string insert_separators(std::string_view text) {
    std::string result(text);
    const std::size_t point = result.find('.');
    const std::size_t end = point == std::string::npos ? result.size() : point;
    int digits = 0;
    for (std::size_t i = end; i-- > 0;) {
        if (!is_digit(result[i])) break;
        ++digits;
        if (digits % 3 == 0 && i > 0 && is_digit(result[i - 1])) result.insert(i, 1, ',');
    }
    return result;
}

std::string remove_separators(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text)
        if (c != ',') result.push_back(c);
    return result;
}

std::string lower_case(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace zelmora
