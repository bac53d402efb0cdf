#include "utility/exact_decimal.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace zelmora {

double rounded(double value, int places) {
    double scale = 1.0;
    for (int i = 0; i < places; ++i) scale *= 10.0;
    const double x = value * scale;
    const double f = x - std::floor(x);
    if (f > 0.49999) return std::floor(x + 1.0) / scale;
    return std::floor(x) / scale;
}

exact_decimal exact_decimal::round_to(int places) {
    value_ = rounded(value_, places);
    return *this;
}

std::string exact_decimal::to_text(int places) const {
    // No figure is shown as "nan" or "inf": an unusable value leaves it empty
    // (the error that made it says why).
    if (!std::isfinite(value_)) return std::string();
    if (places < 0) places = 0;
    char small[64];
    const int n = std::snprintf(small, sizeof small, "%.*lf", places, value_);
    if (n >= 0 && n < static_cast<int>(sizeof small)) return std::string(small, static_cast<std::size_t>(n));
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::snprintf(big.data(), big.size(), "%.*lf", places, value_);
    return std::string(big.data(), static_cast<std::size_t>(n));
}

bool exact_decimal::from_text(std::string_view text) {
    const std::string s(text);  // sscanf needs a terminated text
    double v = 0.0;
    if (std::sscanf(s.c_str(), "%lf", &v) != 1) return false;
    if (!std::isfinite(v)) return false;  // "nan", "inf" and overflow leave the value as it was
    value_ = v;
    return true;
}

exact_decimal exact_decimal::power(const exact_decimal& exponent) const {
    return std::pow(value_, exponent.value_);
}

}  // namespace zelmora
