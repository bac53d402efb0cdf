// The table of allowed input values, its two number readers, and the rating
// library's own limits on values read from stored settings.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <map>

#include "rating/farm_file.h"
#include "rating/input_rules.h"
#include "rating_fixture.h"

using namespace zelmora;

TEST(InputRules, WholeNumbersAreBlanksASignAndDigitsWithin32Bits) {
    const std::pair<const char*, int> accepted[] = {
        {"0", 0}, {"7", 7}, {" 12 ", 12}, {"\t+5", 5}, {"-3", -3}, {"070", 70},
        {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
    };
    for (const auto& [text, expected] : accepted) {
        int value = -99;
        EXPECT_TRUE(read_whole_number(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char* text : {"", " ", "+", "-", "+-1", "3abc", "0x3", "1e1", "1.0", "3 4", "2147483648",
                             "99999999999999999999", "-2147483649", "١"}) {
        int value = -99;
        EXPECT_FALSE(read_whole_number(text, value)) << text;
        EXPECT_EQ(value, -99) << text;
    }
}

TEST(InputRules, DecimalNumbersArePlainFiniteAndReadWhole) {
    const std::pair<const char*, double> accepted[] = {
        {"2.80", 2.8}, {" 150 ", 150.0}, {"+1.5", 1.5}, {"-5", -5.0}, {"1.", 1.0},
        {".5", 0.5},   {"1e3", 1000.0},  {"2.5E-1", 0.25}, {"1e+2", 100.0}, {"0", 0.0},
    };
    for (const auto& [text, expected] : accepted) {
        double value = -99.0;
        EXPECT_TRUE(read_decimal_number(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char* text : {"", ".", "x", "nan", "NAN", "inf", "-infinity", "0x10", "0x1p3", "1.5abc", "1e",
                             "1e+", "e5", "1,5", "1e308e1", "1e309", "-1e400", "1e-400", "++1", "1 2"}) {
        double value = -99.0;
        EXPECT_FALSE(read_decimal_number(text, value)) << text;
        EXPECT_EQ(value, -99.0) << text;
    }
    // Too large for a double, yet written as a number: refused for its size, not its form.
    EXPECT_TRUE(is_decimal_form("1e309"));
    EXPECT_TRUE(is_decimal_form(std::string(400, '9')));
    EXPECT_FALSE(is_decimal_form("inf"));
}

TEST(InputRules, RangesAndSetsOfTheKeys) {
    struct rule_case {
        const char* name;
        double value;
        bool allowed;
    };
    const rule_case cases[] = {
        {"State FIPS", 19, true},         {"State FIPS", 3, false},        {"State FIPS", 51, true},
        {"County FIPS", 0, false},        {"County FIPS", 999, true},      {"Coverage", 75, true},
        {"Coverage", 72, false},          {"Coverage Whole Farm", 90, false}, {"Sections", 9999, true},
        {"Sections", 10000, false},       {"Sections", -1, false},         {"Units", 7, true},
        {"Units", 8, false},              {"Price", 100000, true},         {"Price", 100000.01, false},
        {"Crop Share", 1, true},          {"Crop Share", -5, false},       {"Crop Acres", 1000000, true},
        {"Malting Barley Option", 0, false}, {"Optional Units", 1, true},  {"Type", 999, true},
        {"Prevented Planting Select Enterprise", 3, false},
    };
    for (const auto& c : cases) {
        const input_rule* rule = find_input_rule(c.name);
        ASSERT_NE(rule, nullptr) << c.name;
        EXPECT_EQ(value_allowed(*rule, c.value), c.allowed) << c.name << " " << c.value;
    }
    EXPECT_EQ(find_input_rule("Price Corn"), nullptr);

    const std::pair<const char*, const char*> texts[] = {
        {"Coverage", "65, 70, 75, 80 or 85"},
        {"Optional Units", "0 or 1"},
        {"Malting Barley Option", "1 (option A) or 2 (option B)"},
        {"County FIPS", "a whole number from 1 to 999"},
        {"Crop Acres", "a decimal number from 0 to 1000000"},
    };
    for (const auto& [name, text] : texts) EXPECT_EQ(allowed_values_text(*find_input_rule(name)), text) << name;
    EXPECT_EQ(input_key(*find_input_rule("Price Volatility"), 3), "Price Volatility Spring Wheat");
    EXPECT_EQ(input_key(*find_input_rule("Coverage Enterprise"), 6), "Coverage Enterprise 6");
    EXPECT_EQ(input_key(*find_input_rule("Malting Barley"), 6, 3), "Malting Barley 6 03");
}

// Every key of a farm's inputs that the settings store keeps has a row, so saved
// inputs can always be checked.
TEST(InputRules, EveryKeyTheSettingsKeepHasARow) {
    farm f = default_farm();
    for (int crop = 1; crop <= crop_count; ++crop) set_unit_count(f, crop, max_units_per_crop);
    memory_settings_store store;
    write_farm_settings(f, store);

    std::map<std::string, const input_rule*> rule_of;
    for (const input_rule& rule : input_rules())
        for (int crop = 1; crop <= crop_count; ++crop)
            for (int unit = 1; unit <= max_units_per_crop; ++unit) rule_of[input_key(rule, crop, unit)] = &rule;
    ASSERT_FALSE(store.values().empty());
    for (const auto& [address, stored] : store.values()) {
        if (address.first != settings_section) continue;  // the rater's own section
        const auto found = rule_of.find(address.second);
        ASSERT_NE(found, rule_of.end()) << address.second;
        const input_rule& rule = *found->second;
        const std::string text = stored.is_integer ? std::to_string(stored.integer) : stored.text;
        double value = 0.0;
        int whole = 0;
        bool read = false;
        if (rule.kind == input_kind::whole_number) {
            read = read_whole_number(text, whole);
            value = whole;
        } else {
            read = read_decimal_number(text, value);
        }
        EXPECT_TRUE(read && value_allowed(rule, value)) << address.second << "=" << text;
    }
}

TEST(InputRules, SectionsFromStoredSettingsAreClampedAndNeverOverflow) {
    memory_settings_store store;
    store.write_integer("Settings", "Sections Corn", INT_MIN);
    store.write_integer("Settings", "Sections Soybeans", INT_MAX);
    const farm read = read_farm_settings(store);
    EXPECT_EQ(read.inputs.sections[0], 0);
    EXPECT_EQ(read.inputs.sections[1], max_sections);

    // A value set directly, past any reading, still rates to a finite ratio and
    // discounted rate (Corn at an enterprise base rate near 0.1).
    zelmora::testing::rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn});
    f.farm_value.inputs.sections[0] = INT_MIN;
    f.add_unit(crop_corn, 100, 1, 150).written_agreement_rate = 0.1 / 0.9;
    const enterprise_results enterprise = f.rate().enterprise;
    EXPECT_GT(enterprise.enterprise_base_rate[0], 0.09);
    EXPECT_TRUE(std::isfinite(enterprise.enterprise_discount_ratio[0].to_double()));
    EXPECT_TRUE(std::isfinite(enterprise.enterprise_discounted_rate[0].to_double()));
}
