#include "utility/exact_decimal.h"

#include <cmath>

#include "utility/number_text.h"

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
    return fixed_text(value_, places);
}

bool exact_decimal::from_text(std::string_view text) {
    // "nan", "inf", hexadecimal and overflow leave the value as it was.
    const std::optional<double> read = leading_decimal(text);
    if (!read) return false;
    value_ = *read;
    return true;
}

exact_decimal exact_decimal::power(const exact_decimal& exponent) const {
    return std::pow(value_, exponent.value_);
}

}  // namespace zelmora
