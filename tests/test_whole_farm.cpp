// The whole-farm polynomial: liability shares and revenue guarantee, the term
// layout of both crop models, the capped sum, the column and its name. Each
// farm is rated through the session; the terms are read off the whole-farm
// worksheet, which lists every x, b and term.
#include <gtest/gtest.h>

#include <cmath>

#include "rating_fixture.h"

using namespace zelmora;
using zelmora::testing::at;
using zelmora::testing::rating_fixture;
using zelmora::testing::term_line;
using zelmora::testing::text_of;
using zelmora::testing::value_of;
namespace rows = zelmora::testing::rows;

namespace {

// Corn and Soybeans, one unit of 100 acres at share 1 each, APH yields 150 and 45, prices 2.5 and 6.0.
void corn_and_soybeans(rating_fixture& f) {
    f.add_unit(crop_corn, 100, 1, 150);
    f.add_unit(crop_soybeans, 100, 1, 45);
    f.farm_value.inputs.price[at(crop_corn)] = 2.5;
    f.farm_value.inputs.price[at(crop_soybeans)] = 6.0;
}

}  // namespace

TEST(WholeFarmRate, LiabilitySharesAndRevenueGuaranteeOfTwoCrops) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans});
    corn_and_soybeans(f);

    const whole_farm_results wf = f.rate().whole_farm;

    // (2.5 * 15000) / 100 * 0.65 = 243.75 and (6.0 * 4500) / 100 * 0.65 = 175.50.
    EXPECT_EQ(wf.liability_per_acre[at(crop_corn)].to_double(), 243.75);
    EXPECT_EQ(wf.liability_per_acre[at(crop_soybeans)].to_double(), 175.5);
    // 24375 / (24375 + 17550) = 0.58139... and 17550 / 41925 = 0.41860...
    EXPECT_EQ(wf.percent_liability[at(crop_corn)].to_double(), 0.5814);
    EXPECT_EQ(wf.percent_liability[at(crop_soybeans)].to_double(), 0.4186);
    EXPECT_EQ(wf.percent_liability[at(crop_canola)].to_double(), 0.0);
    // 0.65 * ((150 * 2.5 * 100 + 45 * 6.0 * 100) / 200) = 0.65 * 322.5 = 209.625, rounded up to 209.63.
    EXPECT_EQ(wf.revenue_guarantee_whole_farm.to_double(), 209.63);
}

TEST(WholeFarmRate, WholeFarmCropOutsideTheModelTakesPartOfTheLiability) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans, crop_cotton});
    corn_and_soybeans(f);
    f.add_unit(crop_cotton, 100, 1, 500);
    f.farm_value.inputs.price[at(crop_cotton)] = 0.5;

    const whole_farm_results wf = f.rate().whole_farm;

    // Cotton: 0.5 * 500 * 0.65 = 162.50 per acre; total 24375 + 17550 + 16250 = 58175.
    EXPECT_EQ(wf.liability_per_acre[at(crop_cotton)].to_double(), 162.5);
    EXPECT_EQ(wf.percent_liability[at(crop_corn)].to_double(), 0.419);      // 0.41899...
    EXPECT_EQ(wf.percent_liability[at(crop_soybeans)].to_double(), 0.3017);  // 0.30167...
    // Not a model crop here: it is given no share of its own.
    EXPECT_EQ(wf.percent_liability[at(crop_cotton)].to_double(), 0.0);
    // The guarantee is over the model crops only.
    EXPECT_EQ(wf.revenue_guarantee_whole_farm.to_double(), 209.63);
}

TEST(WholeFarmRate, SelectedCropWithoutAcreWeightHasNoLiability) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans, crop_canola});
    f.add_unit(crop_corn, 0, 1, 150);  // zero acres: weight 0
    f.add_unit(crop_soybeans, 100, 1, 45);
    // Canola is selected but has no unit at all.
    f.farm_value.inputs.price[at(crop_soybeans)] = 6.0;

    const farm_rating rating = f.rate();
    const whole_farm_results& wf = rating.whole_farm;

    EXPECT_TRUE(rating.in_whole_farm[at(crop_canola)]);
    EXPECT_EQ(wf.liability_per_acre[at(crop_corn)].to_double(), 0.0);
    EXPECT_EQ(wf.liability_per_acre[at(crop_canola)].to_double(), 0.0);
    EXPECT_EQ(wf.percent_liability[at(crop_corn)].to_double(), 0.0);
    EXPECT_EQ(wf.percent_liability[at(crop_soybeans)].to_double(), 1.0);
    EXPECT_TRUE(std::isfinite(wf.premium_rate_whole_farm.to_double()));
    EXPECT_TRUE(std::isfinite(wf.revenue_guarantee_whole_farm.to_double()));
}

TEST(WholeFarmRate, NoUnitsGiveNoGuaranteeAndNoShares) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans});

    const whole_farm_results wf = f.rate().whole_farm;

    EXPECT_EQ(wf.revenue_guarantee_whole_farm.to_double(), 0.0);
    for (const auto& share : wf.percent_liability) EXPECT_EQ(share.to_double(), 0.0);
}

TEST(WholeFarmRate, CornAloneTakesTheWholeLiabilityAndHasNoShareRatios) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn});
    f.add_whole_farm_b(17, 32, 0, 0.01f);
    f.add_whole_farm_b(17, 32, 36, 0.5f);   // s_1
    f.add_whole_farm_b(17, 32, 150, 0.3f);  // q_12
    f.add_whole_farm_b(17, 33, 0, 0.7f);    // another column: not read
    f.add_unit(crop_corn, 100, 1, 150);
    f.farm_value.inputs.price[at(crop_corn)] = 2.5;

    const farm_rating rating = f.rate();
    const std::string worksheet = f.whole_farm_worksheet();

    EXPECT_EQ(rating.whole_farm.percent_liability[at(crop_corn)].to_double(), 1.0);
    for (int i = 150; i < 180; ++i) EXPECT_EQ(term_line(worksheet, i).at(1), "0.000000000000") << i;
    // 0.01 (widened 0.0099999997..., rounded to 9 places 0.01) + 0.5 * 1.0.
    EXPECT_EQ(rating.whole_farm.premium_rate_whole_farm.to_double(), 0.51);
}

TEST(WholeFarmRate, FourCropStateRatesWithItsOwnModel) {
    rating_fixture f;
    f.in_county(5);
    f.add_county(5, 1, "Arkansas", {crop_corn, crop_spring_wheat, crop_rice});
    f.add_whole_farm_b(5, 9, 21, 0.5f);  // s_1 of the four-crop layout (Corn)
    f.add_whole_farm_b(5, 9, 24, 0.1f);  // s_4 (Rice)
    f.add_unit(crop_corn, 100, 1, 100);
    f.add_unit(crop_rice, 100, 1, 50);
    f.add_unit(crop_spring_wheat, 100, 1, 50);
    f.farm_value.inputs.price[at(crop_corn)] = 2.0;
    f.farm_value.inputs.price[at(crop_rice)] = 4.0;
    f.farm_value.inputs.price[at(crop_spring_wheat)] = 4.0;

    const farm_rating rating = f.rate();

    // Corn and Rice each 130.00 per acre; Spring Wheat is a whole-farm crop outside
    // the model, so each share is 13000 / 39000 = 0.3333.
    EXPECT_EQ(rating.whole_farm.percent_liability[at(crop_corn)].to_double(), 0.3333);
    EXPECT_EQ(rating.whole_farm.percent_liability[at(crop_rice)].to_double(), 0.3333);
    EXPECT_EQ(value_of(f.whole_farm_worksheet(), "Column"), "9\tARR00R");
    // 0.5 * 0.3333 = 0.16665; 0.1 (widened) * 0.3333 = 0.033330000497 -> 0.03333; sum 0.19998 -> 0.2.
    EXPECT_EQ(rating.whole_farm.premium_rate_whole_farm.to_double(), 0.2);
}

namespace {

struct term_case {
    int index;
    double expected;
};

// One unit for each of the crops, rated so that the terms take the values
// given: the written agreement rate v / 0.9 makes the enterprise discounted
// rate v (one section; the enterprise base rate is 0.9 of the unit's rate,
// rounded to 4 places), acres proportional to the share s and a price of 100
// over the APH yield give every crop 65.00 of liability per acre, so the
// liability shares are the acre shares, and a "Continuous Rates" record gives
// the reference yield (none where it is 0).
struct model_crop {
    int crop;
    double v;
    double s;
    double u;
    double aph_yield;
    int reference_yield;
};

void add_model_crops(rating_fixture& f, int state, const std::vector<model_crop>& crops) {
    for (const model_crop& c : crops) {
        insurance_unit& unit = f.add_unit(c.crop, c.s * 100.0, 1, c.aph_yield);
        unit.written_agreement_rate = c.v / 0.9;
        f.farm_value.inputs.price[at(c.crop)] = 100.0 / c.aph_yield;
        f.farm_value.inputs.price_volatility[at(c.crop)] = c.u;
        if (c.reference_yield != 0) {
            record_continuous_rates record = rows::rates(state, 1, 2004, crop_code(c.crop), 90, 0, 997);
            record.reference_yield = c.reference_yield * 100;
            f.add_rates(record);
        }
    }
}

void expect_terms(const std::string& worksheet, const term_case* begin, const term_case* end) {
    for (const term_case* c = begin; c != end; ++c) {
        const std::vector<std::string> cells = term_line(worksheet, c->index);
        ASSERT_EQ(cells.size(), 5u) << c->index;
        EXPECT_EQ(cells[1], text_of(c->expected, 12)) << c->index;
    }
}

}  // namespace

TEST(WholeFarmTerms, SixCropLayout) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {1, 2, 3, 4, 5, 6});
    const double v[6] = {0.011, 0.013, 0.017, 0.019, 0.023, 0.029};
    const double s[6] = {0.31, 0.27, 0.19, 0.13, 0.07, 0.03};
    const double u[6] = {0.2, 0.18, 0.17, 0.1, 0.11, 0.12};
    const double yield[6] = {150.0, 45.0, 40.0, 1200.0, 1100.0, 60.0};
    const int reference[6] = {100, 50, 0, 1000, 1000, 40};
    std::vector<model_crop> crops;
    for (int k = 0; k < 6; ++k)
        // The enterprise yield is rounded to one place: the rounded yield is the one used.
        crops.push_back({k + 1, v[k], s[k], u[k], yield[k] + 0.04, reference[k]});
    add_model_crops(f, 17, crops);
    f.farm_value.inputs.coverage_whole_farm = 70;
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
    const std::string worksheet = f.whole_farm_worksheet();
    expect_terms(worksheet, std::begin(cases), std::end(cases));
    EXPECT_TRUE(term_line(worksheet, 330).empty());
}

TEST(WholeFarmTerms, FourCropLayout) {
    rating_fixture f;
    f.in_county(5);
    f.add_county(5, 1, "Arkansas", {crop_corn, crop_soybeans, crop_spring_wheat, crop_cotton, crop_rice});
    const double v[4] = {0.011, 0.013, 0.017, 0.019};
    const double s[4] = {0.41, 0.29, 0.17, 0.13};
    const double u[4] = {0.2, 0.18, 0.16, 0.14};
    add_model_crops(f, 5,
                    {{crop_corn, v[0], s[0], u[0], 60.0, 50},
                     {crop_soybeans, v[1], s[1], u[1], 61.0, 50},
                     {crop_cotton, v[2], s[2], u[2], 62.0, 50},
                     {crop_rice, v[3], s[3], u[3], 63.0, 50}});
    // Spring Wheat is a whole-farm crop but no model crop here: its volatility
    // must not show in any term.
    f.add_unit(crop_spring_wheat, 0, 1, 50);
    f.farm_value.inputs.price_volatility[at(crop_spring_wheat)] = 0.9;
    f.farm_value.inputs.coverage_whole_farm = 65;

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
        {96, u[3]},
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
    const std::string worksheet = f.whole_farm_worksheet();
    expect_terms(worksheet, std::begin(cases), std::end(cases));
    EXPECT_TRUE(term_line(worksheet, 165).empty());
}

TEST(WholeFarmTerms, ShareRatioNeedsAPositiveDenominator) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {1, 2, 3, 4, 5});
    // Liability per acre 65.00 for every crop but Spring Wheat, whose negative
    // price makes it -65.00: shares 0.6, 0 (Soybeans without units), -0.1 (not a
    // real share; a negative denominator also gives 0), 0.4 and 0.1.
    const struct {
        int crop;
        double acres;
        double price;
    } crops[] = {{crop_corn, 60, 1.0}, {crop_spring_wheat, 10, -1.0}, {crop_canola, 40, 1.0}, {crop_sunflower, 10, 1.0}};
    for (const auto& c : crops) {
        f.add_unit(c.crop, c.acres, 1, 100);
        f.farm_value.inputs.price[at(c.crop)] = c.price;
    }

    const farm_rating rating = f.rate();
    ASSERT_EQ(rating.whole_farm.percent_liability[at(crop_spring_wheat)].to_double(), -0.1);
    ASSERT_EQ(rating.whole_farm.percent_liability[at(crop_soybeans)].to_double(), 0.0);
    const std::string worksheet = f.whole_farm_worksheet();
    EXPECT_EQ(term_line(worksheet, 150).at(1), "0.000000000000");  // q_12
    EXPECT_EQ(term_line(worksheet, 151).at(1), "0.000000000000");  // q_13
    EXPECT_EQ(term_line(worksheet, 152).at(1), text_of(0.6 / 0.4, 12));
    EXPECT_EQ(term_line(worksheet, 165).at(1), "0.000000000000");
}

TEST(WholeFarmSum, TermsRoundedToNinePlacesAndCappedOnlyFromAbove) {
    struct sum_case {
        float b_constant;
        const char* term;        // b rounded to 9 places, as listed
        double expected_rate;    // the capped sum rounded to 4 places
        const char* limit_note;  // a rate below 0 is raised to the limit (0 for one crop)
    };
    const sum_case cases[] = {
        {1.2f, "1.200000048000", 0.99, ""},                          // capped
        {-0.5f, "-0.500000000000", 0.0, "Limited -0.500->0.000"},   // no lower bound
        {0.123456f, "0.123456001000", 0.1235, ""},  // widened 0.12345600128..., rounded to 9 places
        {0.98999f, "0.989989996000", 0.99, ""},     // widened 0.98998999595..., below the cap
    };
    for (const sum_case& c : cases) {
        rating_fixture f;
        f.add_county(17, 1, "Adams", {crop_corn});
        f.add_whole_farm_b(17, 32, 0, c.b_constant);
        const farm_rating rating = f.rate();
        const std::string worksheet = f.whole_farm_worksheet();
        EXPECT_EQ(term_line(worksheet, 0).at(3), c.term) << c.b_constant;
        EXPECT_EQ(term_line(worksheet, 329).at(4), c.term) << c.b_constant;  // the listing's sum is not capped
        EXPECT_EQ(rating.whole_farm.premium_rate_whole_farm.to_double(), c.expected_rate) << c.b_constant;
        EXPECT_EQ(rating.limit_note, c.limit_note) << c.b_constant;
    }
}

TEST(WholeFarmSum, ReadsTheHarvestColumnAndTheCountyRegion) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn});
    f.add_county(17, 3, "Alexander", {crop_corn}, true);
    f.add_whole_farm_b(17, 32, 0, 0.02f, 0.03f);
    f.add_whole_farm_b(17, 32, 0, 0.04f, 0.05f, true);
    f.add_whole_farm_b(17, 32, 28, 0.1f, 0.0f);  // cv = 0.65: 0.065000000968... -> 0.065000001

    EXPECT_EQ(term_line(f.whole_farm_worksheet(), 329).at(4), text_of(0.02 + 0.065000001, 12));
    EXPECT_EQ(f.rate().whole_farm.premium_rate_whole_farm.to_double(), 0.085);
    f.farm_value.inputs.harvest_guarantee_whole_farm = true;
    EXPECT_EQ(f.rate().whole_farm.premium_rate_whole_farm.to_double(), 0.03);
    f.farm_value.inputs.county_fips = 3;
    EXPECT_EQ(f.rate().whole_farm.premium_rate_whole_farm.to_double(), 0.05);
    f.farm_value.inputs.harvest_guarantee_whole_farm = false;
    EXPECT_EQ(f.rate().whole_farm.premium_rate_whole_farm.to_double(), 0.04);
}

TEST(WholeFarmColumn, CodeAndNameOfTheCropMix) {
    struct column_case {
        int state;
        std::initializer_list<int> offered;
        bool region;
        bool harvest;
        const char* expected;  // the column and its name
    };
    const column_case cases[] = {
        {17, {crop_corn}, false, false, "32\tILR00000"},
        {17, {crop_corn}, false, true, "32\tILC00000"},
        {17, {crop_corn, crop_soybeans, crop_winter_wheat, crop_cotton}, false, false, "48\tILRR0000"},
        {17, {crop_barley, crop_sunflower}, false, false, "3\tIL0000RR"},
        {17, {}, false, false, "0\tIL000000"},
        {27, {crop_corn, crop_barley}, true, false, "33\tMN-SR0000R"},
        {27, {crop_corn, crop_barley}, false, false, "33\tMN-NR0000R"},
        {46, {1, 2, 3, 4, 5, 6}, true, false, "63\tSD-ERRRRRR"},
        {46, {1, 2, 3, 4, 5, 6}, false, true, "63\tSD-WCCCCCC"},
        {19, {crop_corn, crop_soybeans}, false, false, "48\tIARR0000"},
        {5, {crop_corn, crop_spring_wheat, crop_rice}, false, false, "9\tARR00R"},
        {5, {crop_soybeans, crop_cotton}, false, true, "6\tAR0CC0"},
        {22, {1, 2, 8, 9}, false, false, "15\tLARRRR"},
    };
    for (const column_case& c : cases) {
        rating_fixture f;
        f.in_county(c.state);
        f.add_county(c.state, 1, "One", c.offered, c.region);
        f.farm_value.inputs.harvest_guarantee_whole_farm = c.harvest;
        EXPECT_EQ(value_of(f.whole_farm_worksheet(), "Column"), c.expected);
    }
}

TEST(WholeFarmColumn, CropsNotTickedDropOut) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans, crop_canola});
    f.farm_value.inputs.indicated[at(crop_soybeans)] = false;
    EXPECT_EQ(value_of(f.whole_farm_worksheet(), "Column"), "36\tILR00R00");
    EXPECT_FALSE(f.rate().in_whole_farm[at(crop_soybeans)]);
}
