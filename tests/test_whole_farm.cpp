// The whole-farm polynomial: liability shares and revenue guarantee, the term
// layout of both crop models, the capped sum, the column and its name.
#include <gtest/gtest.h>

#include <cmath>

#include "rating_fixture.h"

using namespace zelmora;
using zelmora::testing::at;
using zelmora::testing::rating_fixture;

namespace {

// Corn and Soybeans, one unit of 100 acres at share 1 each, APH yields 150 and 45, prices 2.5 and 6.0.
void corn_and_soybeans(rating_fixture& f) {
    premium_calculator& calc = f.calculator();
    f.add_unit(crop_corn, 100, 1, 150);
    f.add_unit(crop_soybeans, 100, 1, 45);
    calc.price[at(crop_corn)] = 2.5;
    calc.price[at(crop_soybeans)] = 6.0;
    calc.enterprise_aph_yield_exact[at(crop_corn)] = 150.0;
    calc.enterprise_aph_yield_exact[at(crop_soybeans)] = 45.0;
}

}  // namespace

TEST(WholeFarmRate, LiabilitySharesAndRevenueGuaranteeOfTwoCrops) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans});
    corn_and_soybeans(f);
    premium_calculator& calc = f.calculator();

    calc.whole_farm_rate();

    // (2.5 * 15000) / 100 * 0.65 = 243.75 and (6.0 * 4500) / 100 * 0.65 = 175.50.
    EXPECT_EQ(calc.liability_per_acre[at(crop_corn)].to_double(), 243.75);
    EXPECT_EQ(calc.liability_per_acre[at(crop_soybeans)].to_double(), 175.5);
    // 24375 / (24375 + 17550) = 0.58139... and 17550 / 41925 = 0.41860...
    EXPECT_EQ(calc.percent_liability[at(crop_corn)].to_double(), 0.5814);
    EXPECT_EQ(calc.percent_liability[at(crop_soybeans)].to_double(), 0.4186);
    EXPECT_EQ(calc.percent_liability[at(crop_canola)].to_double(), 0.0);
    // 0.65 * ((150 * 2.5 * 100 + 45 * 6.0 * 100) / 200) = 0.65 * 322.5 = 209.625, rounded up to 209.63.
    EXPECT_EQ(calc.revenue_guarantee_whole_farm.to_double(), 209.63);
}

TEST(WholeFarmRate, WholeFarmCropOutsideTheModelTakesPartOfTheLiability) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans, crop_cotton});
    corn_and_soybeans(f);
    premium_calculator& calc = f.calculator();
    f.add_unit(crop_cotton, 100, 1, 500);
    calc.price[at(crop_cotton)] = 0.5;
    calc.percent_liability[at(crop_cotton)] = 0.77;  // not a model crop here: left as it is

    calc.whole_farm_rate();

    // Cotton: 0.5 * 500 * 0.65 = 162.50 per acre; total 24375 + 17550 + 16250 = 58175.
    EXPECT_EQ(calc.liability_per_acre[at(crop_cotton)].to_double(), 162.5);
    EXPECT_EQ(calc.percent_liability[at(crop_corn)].to_double(), 0.419);    // 0.41899...
    EXPECT_EQ(calc.percent_liability[at(crop_soybeans)].to_double(), 0.3017);  // 0.30167...
    EXPECT_EQ(calc.percent_liability[at(crop_cotton)].to_double(), 0.77);
    // The guarantee is over the model crops only.
    EXPECT_EQ(calc.revenue_guarantee_whole_farm.to_double(), 209.63);
}

TEST(WholeFarmRate, SelectedCropWithoutAcreWeightHasNoLiability) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans, crop_canola});
    premium_calculator& calc = f.calculator();
    f.add_unit(crop_corn, 0, 1, 150);  // zero acres: weight 0
    f.add_unit(crop_soybeans, 100, 1, 45);
    // Canola is selected but has no unit at all.
    calc.price[at(crop_soybeans)] = 6.0;
    calc.liability_per_acre[at(crop_corn)] = 99.0;
    calc.liability_per_acre[at(crop_canola)] = 99.0;

    const exact_decimal rate = calc.whole_farm_rate();

    EXPECT_EQ(calc.liability_per_acre[at(crop_corn)].to_double(), 0.0);
    EXPECT_EQ(calc.liability_per_acre[at(crop_canola)].to_double(), 0.0);
    EXPECT_EQ(calc.percent_liability[at(crop_corn)].to_double(), 0.0);
    EXPECT_EQ(calc.percent_liability[at(crop_soybeans)].to_double(), 1.0);
    EXPECT_TRUE(std::isfinite(rate.to_double()));
    EXPECT_TRUE(std::isfinite(calc.revenue_guarantee_whole_farm.to_double()));
}

TEST(WholeFarmRate, NoUnitsGiveNoGuaranteeAndNoShares) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans});
    premium_calculator& calc = f.calculator();
    calc.revenue_guarantee_whole_farm = 300.0;
    for (auto& share : calc.percent_liability) share = 0.5;

    calc.whole_farm_rate();

    EXPECT_EQ(calc.revenue_guarantee_whole_farm.to_double(), 0.0);
    for (const auto& share : calc.percent_liability) EXPECT_EQ(share.to_double(), 0.0);
}

TEST(WholeFarmRate, CornAloneTakesTheWholeLiabilityAndHasNoShareRatios) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn});
    f.add_whole_farm_b(17, 32, 0, 0.01f);
    f.add_whole_farm_b(17, 32, 36, 0.5f);   // s_1
    f.add_whole_farm_b(17, 32, 150, 0.3f);  // q_12
    f.add_whole_farm_b(17, 33, 0, 0.7f);    // another column: not read
    premium_calculator& calc = f.calculator();
    f.add_unit(crop_corn, 100, 1, 150);
    calc.price[at(crop_corn)] = 2.5;

    const exact_decimal rate = calc.whole_farm_rate();

    EXPECT_EQ(calc.percent_liability[at(crop_corn)].to_double(), 1.0);
    for (int i = 150; i < 180; ++i) EXPECT_EQ(calc.whole_farm_term_six(i).to_double(), 0.0) << i;
    // 0.01 (widened 0.0099999997..., rounded to 9 places 0.01) + 0.5 * 1.0.
    EXPECT_EQ(rate.to_double(), 0.51);
}

TEST(WholeFarmRate, FourCropStateRatesWithItsOwnModel) {
    rating_fixture f;
    f.add_county(5, 1, "Arkansas", {crop_corn, crop_spring_wheat, crop_rice});
    f.add_whole_farm_b(5, 9, 21, 0.5f);  // s_1 of the four-crop layout (Corn)
    f.add_whole_farm_b(5, 9, 24, 0.1f);  // s_4 (Rice)
    premium_calculator& calc = f.calculator(5);
    f.add_unit(crop_corn, 100, 1, 100);
    f.add_unit(crop_rice, 100, 1, 50);
    f.add_unit(crop_spring_wheat, 100, 1, 50);
    calc.price[at(crop_corn)] = 2.0;
    calc.price[at(crop_rice)] = 4.0;
    calc.price[at(crop_spring_wheat)] = 4.0;

    const exact_decimal rate = calc.whole_farm_rate();

    // Corn and Rice each 130.00 per acre; Spring Wheat is a whole-farm crop outside
    // the model, so each share is 13000 / 39000 = 0.3333.
    EXPECT_EQ(calc.percent_liability[at(crop_corn)].to_double(), 0.3333);
    EXPECT_EQ(calc.percent_liability[at(crop_rice)].to_double(), 0.3333);
    EXPECT_EQ(calc.whole_farm_column(), 9);
    // 0.5 * 0.3333 = 0.16665; 0.1 (widened) * 0.3333 = 0.033330000497 -> 0.03333; sum 0.19998 -> 0.2.
    EXPECT_EQ(rate.to_double(), 0.2);
}

namespace {

struct term_case {
    int index;
    double expected;
};

}  // namespace

TEST(WholeFarmTerms, SixCropLayout) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {});
    premium_calculator& calc = f.calculator();
    const double v[6] = {0.011, 0.013, 0.017, 0.019, 0.023, 0.029};
    const double s[6] = {0.31, 0.27, 0.19, 0.13, 0.07, 0.03};
    const double u[6] = {0.2, 0.18, 0.17, 0.1, 0.11, 0.12};
    const double yield[6] = {150.0, 45.0, 40.0, 1200.0, 1100.0, 60.0};
    const double reference[6] = {100.0, 50.0, 0.0, 1000.0, 1000.0, 40.0};
    for (int k = 0; k < 6; ++k) {
        calc.enterprise_discounted_rate[k] = v[k];
        calc.percent_liability[k] = s[k];
        calc.price_volatility[k] = u[k];
        calc.enterprise_aph_yield[k] = yield[k];
        calc.enterprise_aph_yield_exact[k] = yield[k] + 0.04;  // the rounded yield is the one used
        calc.enterprise_reference_yield[k] = reference[k];
    }
    calc.coverage_whole_farm = 70;
    const double cv = 0.7;
    const double y1 = 150.0 / 100.0, y2 = 45.0 / 50.0, y6 = 60.0 / 40.0;

    const term_case cases[] = {
        {0, 1.0},
        {1, v[0]},
        {6, v[5]},
        {7, v[0] * v[0]},
        {12, v[5] * v[5]},
        {13, v[0] * v[1]},  // pairs i < j: (1,2) first
        {17, v[0] * v[5]},
        {18, v[1] * v[2]},
        {27, v[4] * v[5]},
        {28, cv},
        {29, (70 * 70) / 10000.0},
        {30, v[0] * cv},
        {35, v[5] * cv},
        {36, s[0]},
        {41, s[5]},
        {42, s[0] * s[0]},
        {48, (s[0] * s[0]) * s[0]},
        {53, (s[5] * s[5]) * s[5]},
        {54, s[0] * v[0]},  // i outer, j inner
        {55, s[0] * v[1]},
        {60, s[1] * v[0]},
        {89, s[5] * v[5]},
        {90, (s[0] * s[0]) * v[0]},
        {125, (s[5] * s[5]) * v[5]},
        {126, (s[0] * s[0]) * cv},
        {131, (s[5] * s[5]) * cv},
        {132, ((s[0] * s[0]) * s[0]) * cv},
        {137, ((s[5] * s[5]) * s[5]) * cv},
        {138, y1},
        {139, y2},
        {140, 0.0},  // reference yield 0
        {143, y6},
        {144, y1 * y1},
        {146, 0.0},
        {150, s[0] / s[1]},
        {164, s[4] / s[5]},
        {165, (s[0] / s[1]) * (s[0] / s[1])},
        {179, (s[4] / s[5]) * (s[4] / s[5])},
        {180, u[0]},
        {185, u[5]},
        {186, u[0] * u[0]},
        {192, u[0] * v[0]},
        {198, u[1] * v[0]},
        {227, u[5] * v[5]},
        {228, (u[0] * u[0]) * v[0]},
        {263, (u[5] * u[5]) * v[5]},
        {264, s[0] * u[0]},
        {270, s[1] * u[0]},
        {293, s[4] * u[5]},  // the block stops after Sunflower's share
        {294, (s[0] * s[0]) * u[0]},
        {299, (s[0] * s[0]) * u[5]},
        {300, (s[1] * s[1]) * u[0]},
        {329, (s[5] * s[5]) * u[5]},
    };
    for (const term_case& c : cases) EXPECT_EQ(calc.whole_farm_term_six(c.index).to_double(), c.expected) << c.index;
}

TEST(WholeFarmTerms, FourCropLayout) {
    rating_fixture f;
    f.add_county(5, 1, "Arkansas", {});
    premium_calculator& calc = f.calculator(5);
    const int model[4] = {crop_corn, crop_soybeans, crop_cotton, crop_rice};
    const double v[4] = {0.011, 0.013, 0.017, 0.019};
    const double s[4] = {0.41, 0.29, 0.17, 0.13};
    const double u[4] = {0.2, 0.18, 0.16, 0.14};
    for (int k = 0; k < 4; ++k) {
        const std::size_t c = at(model[k]);
        calc.enterprise_discounted_rate[c] = v[k];
        calc.percent_liability[c] = s[k];
        calc.price_volatility[c] = u[k];
        calc.enterprise_aph_yield[c] = 60.0 + k;
        calc.enterprise_reference_yield[c] = 50.0;
    }
    // Spring Wheat is no model crop here.
    calc.percent_liability[at(crop_spring_wheat)] = 0.9;
    calc.coverage_whole_farm = 65;

    const term_case cases[] = {
        {0, 1.0},
        {1, v[0]},
        {4, v[3]},
        {5, v[0] * v[0]},
        {9, v[0] * v[1]},
        {14, v[2] * v[3]},
        {15, 0.65},
        {16, 0.65 * 0.65},  // the fraction squared, not (65 * 65) / 10000
        {17, v[0] * 0.65},
        {21, s[0]},
        {24, s[3]},
        {25, s[0] * s[0]},
        {29, (s[0] * s[0]) * s[0]},
        {33, s[0] * v[0]},
        {37, s[1] * v[0]},
        {48, s[3] * v[3]},
        {49, (s[0] * s[0]) * v[0]},
        {64, (s[3] * s[3]) * v[3]},
        {65, (s[0] * s[0]) * 0.65},
        {69, ((s[0] * s[0]) * s[0]) * 0.65},
        {73, 60.0 / 50.0},
        {76, 63.0 / 50.0},
        {77, (60.0 / 50.0) * (60.0 / 50.0)},
        {81, s[0] / s[1]},
        {86, s[2] / s[3]},
        {87, (s[0] / s[1]) * (s[0] / s[1])},
        {93, u[0]},
        {97, u[0] * u[0]},
        {101, u[0] * v[0]},
        {117, (u[0] * u[0]) * v[0]},
        {132, (u[3] * u[3]) * v[3]},
        {133, s[0] * u[0]},
        {145, s[3] * u[0]},  // all four shares take part
        {148, s[3] * u[3]},
        {149, (s[0] * s[0]) * u[0]},
        {164, (s[3] * s[3]) * u[3]},
    };
    for (const term_case& c : cases) EXPECT_EQ(calc.whole_farm_term_four(c.index).to_double(), c.expected) << c.index;
    EXPECT_NE(calc.whole_farm_term_four(16).to_double(), (65 * 65) / 10000.0);
}

TEST(WholeFarmTerms, ShareRatioNeedsAPositiveDenominator) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {});
    premium_calculator& calc = f.calculator();
    calc.percent_liability[0] = 0.6;
    calc.percent_liability[1] = 0.0;
    calc.percent_liability[2] = -0.1;  // not a real share; a negative denominator also gives 0
    calc.percent_liability[3] = 0.4;
    EXPECT_EQ(calc.whole_farm_term_six(150).to_double(), 0.0);  // q_12
    EXPECT_EQ(calc.whole_farm_term_six(151).to_double(), 0.0);  // q_13
    EXPECT_EQ(calc.whole_farm_term_six(152).to_double(), 0.6 / 0.4);
    EXPECT_EQ(calc.whole_farm_term_six(165).to_double(), 0.0);
}

TEST(WholeFarmSum, TermsRoundedToNinePlacesAndCappedOnlyFromAbove) {
    struct sum_case {
        float b_constant;
        double expected_sum;
        double expected_rate;
    };
    const sum_case cases[] = {
        {1.2f, 0.99, 0.99},                 // capped
        {-0.5f, -0.5, -0.5},                // no lower bound
        {0.123456f, 0.123456001, 0.1235},   // widened 0.12345600128..., rounded to 9 places
        {0.98999f, 0.989989996, 0.99},      // widened 0.98998999595..., below the cap
    };
    for (const sum_case& c : cases) {
        rating_fixture f;
        f.add_county(17, 1, "Adams", {crop_corn});
        f.add_whole_farm_b(17, 32, 0, c.b_constant);
        premium_calculator& calc = f.calculator();
        EXPECT_EQ(calc.whole_farm_sum(false, 32).to_double(), c.expected_sum) << c.b_constant;
        EXPECT_EQ(calc.whole_farm_rate().to_double(), c.expected_rate) << c.b_constant;
    }
}

TEST(WholeFarmSum, ReadsTheHarvestColumnAndTheCountyRegion) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn});
    f.add_county(17, 3, "Alexander", {crop_corn}, true);
    f.add_whole_farm_b(17, 32, 0, 0.02f, 0.03f);
    f.add_whole_farm_b(17, 32, 0, 0.04f, 0.05f, true);
    f.add_whole_farm_b(17, 32, 28, 0.1f, 0.0f);  // cv = 0.65: 0.065000000968... -> 0.065000001
    premium_calculator& calc = f.calculator();

    EXPECT_EQ(calc.whole_farm_sum(false, 32).to_double(), 0.02 + 0.065000001);
    calc.harvest_guarantee_whole_farm = true;
    EXPECT_EQ(calc.whole_farm_rate().to_double(), 0.03);
    calc.county_fips = 3;
    EXPECT_EQ(calc.whole_farm_rate().to_double(), 0.05);
    calc.harvest_guarantee_whole_farm = false;
    EXPECT_EQ(calc.whole_farm_rate().to_double(), 0.04);
}

TEST(WholeFarmColumn, CodeAndNameOfTheCropMix) {
    struct column_case {
        int state;
        std::initializer_list<int> offered;
        bool region;
        bool harvest;
        int expected_column;
        const char* expected_name;
    };
    const column_case cases[] = {
        {17, {crop_corn}, false, false, 32, "ILR00000"},
        {17, {crop_corn}, false, true, 32, "ILC00000"},
        {17, {crop_corn, crop_soybeans, crop_winter_wheat, crop_cotton}, false, false, 48, "ILRR0000"},
        {17, {crop_barley, crop_sunflower}, false, false, 3, "IL0000RR"},
        {17, {}, false, false, 0, "IL000000"},
        {27, {crop_corn, crop_barley}, true, false, 33, "MN-SR0000R"},
        {27, {crop_corn, crop_barley}, false, false, 33, "MN-NR0000R"},
        {46, {1, 2, 3, 4, 5, 6}, true, false, 63, "SD-ERRRRRR"},
        {46, {1, 2, 3, 4, 5, 6}, false, true, 63, "SD-WCCCCCC"},
        {19, {crop_corn, crop_soybeans}, false, false, 48, "IARR0000"},
        {5, {crop_corn, crop_spring_wheat, crop_rice}, false, false, 9, "ARR00R"},
        {5, {crop_soybeans, crop_cotton}, false, true, 6, "AR0CC0"},
        {22, {1, 2, 8, 9}, false, false, 15, "LARRRR"},
    };
    for (const column_case& c : cases) {
        rating_fixture f;
        f.add_county(c.state, 1, "One", c.offered, c.region);
        premium_calculator& calc = f.calculator(c.state);
        calc.harvest_guarantee_whole_farm = c.harvest;
        EXPECT_EQ(calc.whole_farm_column(), c.expected_column) << c.expected_name;
        EXPECT_EQ(calc.whole_farm_column_name(), c.expected_name);
    }
}

TEST(WholeFarmColumn, CropsNotTickedDropOut) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans, crop_canola});
    premium_calculator& calc = f.calculator();
    calc.indicated[at(crop_soybeans)] = false;
    EXPECT_EQ(calc.whole_farm_column(), 36);
    EXPECT_EQ(calc.whole_farm_column_name(), "ILR00R00");
}
