// Numbers as text: what each reader takes, that the writers give the digits
// of printf in the C locale, and that none of them, nor the texts the rating
// library writes with them, changes under a locale whose decimal mark is a comma.
#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "comma_locales.h"
#include "rating/farm_file.h"
#include "rating/reports.h"
#include "rating_fixture.h"
#include "utility/exact_decimal.h"
#include "utility/number_text.h"
#include "utility/settings_store.h"

using namespace zelmora;
using zelmora::testing::at;
using zelmora::testing::comma_locales;
using zelmora::testing::rating_fixture;
using zelmora::testing::scoped_c_locale;

namespace {

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

template <typename T>
struct read_case {
    const char* text;
    std::optional<T> expected;
};

// Empty when the texts are equal; else their first differing line, from each.
std::string first_difference(const std::string& a, const std::string& b) {
    if (a == b) return {};
    std::size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
    // The line holding the first difference starts after the last line end before it.
    const std::size_t end_before = at == 0 ? std::string::npos : a.rfind('\n', at - 1);
    const std::size_t start = end_before == std::string::npos ? 0 : end_before + 1;
    auto line_of = [start](const std::string& text) { return text.substr(start, text.find('\n', start) - start); };
    return "\"" + line_of(a) + "\" | \"" + line_of(b) + "\"";
}

std::string printf_text(const char* format, int precision, double value) {
    char text[512];
    std::snprintf(text, sizeof text, format, precision, value);
    return text;
}

}  // namespace

TEST(NumberText, ALeadingNumberIsReadAsPercentLfReadsItButNeverAsHexOrInfinity) {
    const read_case<double> cases[] = {
        {"12.5 acres", 12.5}, {" \t\n-3", -3.0}, {"+.5x", 0.5},   {"1e3", 1000.0}, {"2.5E-1", 0.25},
        {"5e", 5.0},          {"1.5.2", 1.5},    {"2.80", 2.8},   {"0x10", 0.0},   {"1,5", 1.0},
        {"", std::nullopt},   {"abc", std::nullopt}, {".", std::nullopt}, {"-", std::nullopt},
        {"+-1", std::nullopt}, {"inf", std::nullopt}, {"nan", std::nullopt}, {"-infinity", std::nullopt},
        {"1e999", std::nullopt}, {"1e-400", std::nullopt}, {"e5", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(leading_decimal(c.text), c.expected) << '"' << c.text << '"';
    // A typed "-0" is 0, never a negative zero that a figure would print as "-0.00".
    double read = 1.0;
    ASSERT_TRUE(read_decimal_number("-0.0", read));
    EXPECT_FALSE(std::signbit(read));
    EXPECT_FALSE(std::signbit(*leading_decimal("-0")));
}

TEST(NumberText, ALeadingWholeNumberIsReadAsStrtollReadsItAndSaturates) {
    const read_case<long long> cases[] = {
        {"65.5", 65},      {" 70abc", 70},   {"-12", -12},     {"+7", 7},     {"0x3", 0},   {"070", 70},
        {"99999999999999999999", LLONG_MAX}, {"-99999999999999999999", LLONG_MIN},
        {"", std::nullopt}, {"abc", std::nullopt}, {"-", std::nullopt}, {"+", std::nullopt},
        {".5", std::nullopt}, {"- 3", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(leading_whole_number(c.text), c.expected) << '"' << c.text << '"';
}

TEST(NumberText, FieldTextsSkipTheirSeparatorsAndTakeNoExponent) {
    const std::string too_large(400, '9');
    const read_case<double> decimals[] = {
        {"1,234.50", 1234.5}, {" 12 ", 12.0},     {"", 0.0},          {"  ", 0.0},         {"-.5", -0.5},
        {"1,2,3", 123.0},     {"+3", 3.0},        {"abc", std::nullopt}, {"12x", std::nullopt},
        {"1e5", std::nullopt}, {"-", std::nullopt}, {".", std::nullopt}, {"1.2.3", std::nullopt},
        {"1 2", std::nullopt}, {too_large.c_str(), std::nullopt},
    };
    for (const auto& c : decimals) EXPECT_EQ(read_grouped_decimal(c.text), c.expected) << '"' << c.text << '"';
    const read_case<long> wholes[] = {
        {"1,234,567", 1234567L}, {"", 0L}, {"-5", -5L}, {"999999999999", 999999999999L},
        {"1.0", std::nullopt}, {"1234567890123", std::nullopt}, {"abc", std::nullopt},
    };
    for (const auto& c : wholes) EXPECT_EQ(read_grouped_whole_number(c.text), c.expected) << '"' << c.text << '"';
}

TEST(NumberText, WritersGiveTheDigitsOfPrintfInTheCLocale) {
    const scoped_c_locale c_locale("C");
    ASSERT_EQ(c_locale.problem(), "");
    const double values[] = {0.0,        -0.0,     1.005,   2.675,     0.125,        -1234.5678, 1e300,
                             5e-324,     0.1,      1e-5,    123456789012.0, 3.0e38,  0.000123456, 350.2149,
                             nan_value,  -nan_value, infinity, -infinity};
    for (const double value : values) {
        for (const int places : {0, 1, 2, 3, 6, 8, 12}) {
            EXPECT_EQ(fixed_text(value, places), printf_text("%.*f", places, value)) << value << " " << places;
        }
        for (const int precision : {1, 6, 9, 15, 17}) {
            EXPECT_EQ(general_text(value, precision), printf_text("%.*g", precision, value))
                << value << " " << precision;
        }
    }
    EXPECT_EQ(fixed_text(2.5, -1), "2");
    EXPECT_EQ(general_text(1234567.0, 0), "1e+06");
}

TEST(NumberText, SeparatorsGroupTheIntegerPartOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},           {"123", "123"},         {"1234", "1,234"},         {"-1234.5", "-1,234.5"},
        {"$1234", "$1,234"}, {"1234.56789", "1,234.56789"}, {"1234567.891", "1,234,567.891"},
        {"abc", "abc"},     {"-123", "-123"},       {".12345", ".12345"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(insert_separators(text), expected) << text;
        EXPECT_EQ(remove_separators(expected), text) << expected;
    }
}

TEST(NumberText, LowerCaseChangesOnlyAsciiLetters) {
    EXPECT_EQ(lower_case("Spring WHEAT 7"), "spring wheat 7");
    EXPECT_EQ(lower_case("\xC3\x84PFEL"), "\xC3\x84pfel");  // the bytes of a non-ASCII letter stay
}

// Under de_DE or fr_FR, printf writes "1,5" and scanf stops reading "2.83" at
// its point; the module must not.
TEST(NumberTextLocale, ReadersAndWritersKeepThePointUnderACommaLocale) {
    for (const char* name : comma_locales) {
        SCOPED_TRACE(name);
        const scoped_c_locale locale(name);
        ASSERT_EQ(locale.problem(), "");

        double decimal = 0.0;
        EXPECT_TRUE(read_decimal_number("2.83", decimal));
        EXPECT_EQ(decimal, 2.83);
        EXPECT_FALSE(read_decimal_number("2,83", decimal));
        EXPECT_EQ(leading_decimal("0.500"), 0.5);
        EXPECT_EQ(read_grouped_decimal("1,234.5"), 1234.5);
        EXPECT_EQ(fixed_text(350.2149, 2), "350.21");
        EXPECT_EQ(fixed_text(0.5, 6), "0.500000");
        EXPECT_EQ(general_text(0.0123, 6), "0.0123");
        EXPECT_EQ(insert_separators(fixed_text(1234567.891, 2)), "1,234,567.89");

        exact_decimal price;
        EXPECT_TRUE(price.from_text("2.83"));
        EXPECT_EQ(price.to_double(), 2.83);
        EXPECT_EQ(exact_decimal(18.93).to_text(2), "18.93");
    }
}

// The settings the rater and the calculator keep as texts ("0.500", "2.83")
// read back as they were written, and the page reports write points.
TEST(NumberTextLocale, StoredSettingsAndReportsAreTheSameAsInTheCLocale) {
    struct farm_texts {
        double price = 0.0;
        double share = 0.0;
        std::string rater_settings;
        std::vector<std::string> reports;
    };
    auto texts_now = [] {
        farm_texts texts;
        rating_fixture f;
        f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans, crop_barley});
        f.add_whole_farm_b(17, 48, 0, 0.25f, 0.5f);
        f.use_b_value_set(17, crop_corn, 1);
        f.add_single_crop_b(1, 0, 0.0125f);

        memory_settings_store store;
        store.write_text("Settings", "Price Corn", "2.83");
        store.write_text("APHContinuous", "Share", "0.500");
        const farm read = read_farm_settings(store);
        texts.price = read.inputs.price[at(crop_corn)].to_double();
        texts.share = read.continuous.share.to_double();
        memory_settings_store written;
        write_farm_settings(read, written);
        texts.rater_settings = written.read_text("APHContinuous", "Share", "") + " " +
                               written.read_text("APHContinuous", "Price Percent", "");

        f.farm_value = read;
        f.in_county(17, 1);
        // Written agreement rates stand for the base rates of units the fixture has no rates for.
        f.add_unit(crop_corn, 120.5, 0.5, 151.25).written_agreement_rate = 0.0731;
        f.add_unit(crop_soybeans, 80.25, 1.0, 45.5).written_agreement_rate = 0.052;
        const rating_session& session = f.session();
        texts.reports.push_back(whole_farm_copy_text(session, f.farm_value));
        texts.reports.push_back(test_report(session, f.farm_value, 48, 49));
        texts.reports.push_back(acreage_loop_report(session, f.farm_value));
        texts.reports.push_back(b_value_dump(session, f.farm_value));
        texts.reports.push_back(single_crop_worksheet(session, f.farm_value, crop_corn, true));
        return texts;
    };

    farm_texts in_c;
    {
        const scoped_c_locale c_locale("C");
        ASSERT_EQ(c_locale.problem(), "");
        in_c = texts_now();
    }
    EXPECT_EQ(in_c.price, 2.83);
    EXPECT_EQ(in_c.share, 0.5);
    EXPECT_EQ(in_c.rater_settings, "0.500000 1.000000");
    EXPECT_NE(in_c.reports[0].find("APH Bar\t0.065790\t"), std::string::npos) << in_c.reports[0];
    EXPECT_NE(in_c.reports[3].find("\r\n1\t0.0125\t"), std::string::npos) << in_c.reports[3];
    EXPECT_NE(in_c.reports[4].find("\r\nAPH Yield\t151.25\r\n"), std::string::npos) << in_c.reports[4];

    for (const char* name : comma_locales) {
        SCOPED_TRACE(name);
        const scoped_c_locale locale(name);
        ASSERT_EQ(locale.problem(), "");
        const farm_texts in_locale = texts_now();
        EXPECT_EQ(in_locale.price, in_c.price);
        EXPECT_EQ(in_locale.share, in_c.share);
        EXPECT_EQ(in_locale.rater_settings, in_c.rater_settings);
        ASSERT_EQ(in_locale.reports.size(), in_c.reports.size());
        for (std::size_t i = 0; i < in_c.reports.size(); ++i)
            EXPECT_EQ(first_difference(in_locale.reports[i], in_c.reports[i]), "") << "report " << i;
    }
}
