#pragma once
// The number type of every rating value: double arithmetic with the fixed
// rounding rule of round_to and the C text forms "%.*lf" and "%lf" (in the C
// locale's form whatever the user's locale: see number_text.h).
#include <string>
#include <string_view>

namespace zelmora {

class exact_decimal {
public:
    exact_decimal() = default;
    exact_decimal(double v) : value_(v) {}  // NOLINT: implicit by design, doubles mix freely

    exact_decimal& operator=(double v) { value_ = v; return *this; }

    double to_double() const { return value_; }

    // Rounds this value in place to `places` decimals (threshold 0.49999, floor
    // based) and returns a copy of the rounded value.
    exact_decimal round_to(int places);

    // "%.*lf" with `places` digits after the point; empty for a value that is
    // not finite.
    std::string to_text(int places) const;

    // Reads a leading number as "%lf" does (leading_decimal: no hexadecimal,
    // "inf" or "nan"); true when one finite number was read. On false the
    // value is unchanged.
    bool from_text(std::string_view text);

    exact_decimal power(const exact_decimal& exponent) const;

    exact_decimal& operator+=(const exact_decimal& o) { value_ += o.value_; return *this; }
    exact_decimal& operator-=(const exact_decimal& o) { value_ -= o.value_; return *this; }
    exact_decimal& operator*=(const exact_decimal& o) { value_ *= o.value_; return *this; }
    exact_decimal& operator/=(const exact_decimal& o) { value_ /= o.value_; return *this; }

    friend exact_decimal operator+(const exact_decimal& a, const exact_decimal& b) { return a.value_ + b.value_; }
    friend exact_decimal operator-(const exact_decimal& a, const exact_decimal& b) { return a.value_ - b.value_; }
    friend exact_decimal operator*(const exact_decimal& a, const exact_decimal& b) { return a.value_ * b.value_; }
    friend exact_decimal operator/(const exact_decimal& a, const exact_decimal& b) { return a.value_ / b.value_; }

    friend bool operator<(const exact_decimal& a, const exact_decimal& b) { return a.value_ < b.value_; }
    friend bool operator<=(const exact_decimal& a, const exact_decimal& b) { return a.value_ <= b.value_; }
    friend bool operator>(const exact_decimal& a, const exact_decimal& b) { return a.value_ > b.value_; }
    friend bool operator>=(const exact_decimal& a, const exact_decimal& b) { return a.value_ >= b.value_; }
    friend bool operator!=(const exact_decimal& a, const exact_decimal& b) { return a.value_ != b.value_; }
    // Equality is the negation of not-equal.
    friend bool operator==(const exact_decimal& a, const exact_decimal& b) { return !(a != b); }

private:
    double value_ = 0.0;
};

// Rounding of a plain double by the same rule (no value is changed).
double rounded(double value, int places);

}  // namespace zelmora
