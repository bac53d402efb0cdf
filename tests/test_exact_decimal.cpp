#include <gtest/gtest.h>

#include <limits>

#include "utility/exact_decimal.h"

using zelmora::exact_decimal;

struct round_case {
    double value;
    int places;
    double expected;
};

TEST(ExactDecimal, RoundToUsesTheFloorRuleWithItsThreshold) {
    const round_case cases[] = {
        {1.005, 2, 1.01},      {2.675, 2, 2.68},  {0.124999, 2, 0.12}, {0.12499995, 2, 0.13},
        {2.4999951, 0, 3.0},   {2.49998, 0, 2.0}, {-2.5, 0, -2.0},     {-2.4, 0, -2.0},
        {-2.6, 0, -3.0},       {7.0, 0, 7.0},     {7.6, -3, 8.0},      {0.98765432, 4, 0.9877},
        {0.030864197089, 9, 0.030864197},
    };
    for (const auto& c : cases) {
        exact_decimal v(c.value);
        EXPECT_EQ(v.round_to(c.places).to_double(), c.expected) << c.value << " at " << c.places;
    }
}

TEST(ExactDecimal, RoundToChangesTheValueItIsAppliedTo) {
    exact_decimal field(2.675);
    field.round_to(2);
    EXPECT_EQ(field.to_double(), 2.68);
}

TEST(ExactDecimal, TextForms) {
    EXPECT_EQ(exact_decimal(3.14159).to_text(2), "3.14");
    EXPECT_EQ(exact_decimal(12.0).to_text(0), "12");
    EXPECT_EQ(exact_decimal(123.456).to_text(3), "123.456");
    EXPECT_EQ(exact_decimal(-0.0).to_text(3), "-0.000");  // C formatting keeps the sign of zero
    EXPECT_EQ(exact_decimal(1e300).to_text(2).size(), 304u);
    // A value that is not finite is never shown as "nan" or "inf".
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity()})
        EXPECT_EQ(exact_decimal(bad).to_text(2), "") << bad;

    exact_decimal v(5.0);
    EXPECT_TRUE(v.from_text("123.456"));
    EXPECT_EQ(v.to_double(), 123.456);
    EXPECT_TRUE(v.from_text("12.5abc"));
    EXPECT_EQ(v.to_double(), 12.5);
    for (const char* bad : {"abc", "", "nan", "inf", "-infinity", "1e999"}) {
        exact_decimal w(7.0);
        EXPECT_FALSE(w.from_text(bad)) << bad;
        EXPECT_EQ(w.to_double(), 7.0) << bad;
    }
}

TEST(ExactDecimal, ComparisonsAndArithmetic) {
    exact_decimal zero;
    EXPECT_TRUE(zero != 1.0);
    EXPECT_FALSE(zero != 0.0);
    EXPECT_TRUE(zero == 0.0);
    EXPECT_EQ((exact_decimal(1.2).power(1.5)).round_to(8).to_double(), 1.31453414);
    EXPECT_EQ((10.0 - exact_decimal(4.0)).to_double(), 6.0);
    EXPECT_EQ((1.0 / exact_decimal(4.0)).to_double(), 0.25);
}
