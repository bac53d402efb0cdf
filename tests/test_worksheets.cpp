// The single-crop worksheet and the whole-farm worksheet of a rated farm,
// checked as texts.
#include <gtest/gtest.h>

#include "rating_fixture.h"

using namespace zelmora;
using zelmora::testing::at;
using zelmora::testing::rating_fixture;
namespace rows = zelmora::testing::rows;

namespace {

// Adams county (17001) offering Corn, with one continuous rates record for
// Corn, practice 3, type 16, and a 65% surcharge row for it:
//   reference yield 100, reference rate 0.05, exponent 1, fixed rate load 0.01;
//   yield span levels 20, 40, ..., 260 with rates 0.200, 0.190, ...;
//   prior reference yield 100, rate 0.04, exponent 1, fixed rate load 0.005;
//   rate differentials 1.0, residual factor 1.1 (prior 1.0).
record_continuous_rates corn_rates(int practice) {
    record_continuous_rates rates = rows::rates(17, 1, 2004, 41, 90, practice, 16);
    rates.reference_yield = 10000;
    rates.reference_rate = 50;
    rates.exponent = 1000;
    rates.fixed_rate_load = 10;
    for (int i = 0; i < 13; ++i) {
        rates.yield[i] = (i + 1) * 2000;
        rates.premium[i] = 200 - 10 * i;
    }
    rates.prior_year_reference_yield = 10000;
    rates.prior_year_reference_rate = 40;
    rates.prior_year_exponent = 1000;
    rates.prior_year_fixed_rate_load = 5;
    return rates;
}

void corn_county(rating_fixture& f) {
    f.add_county(17, 1, "Adams", {crop_corn});
    f.add_rates(corn_rates(3));
    f.add_surcharge(rows::surcharge(65, 41, 17, 1, 2004, 3, 16, 1.0f, 1.1f, 1.0f, 1.0f));
}

// One Corn unit: APH yield 130, rate yield 120, 100 acres at share 1; Corn at
// price 2.5 (volatility 0.2, coverage 65); single-crop b values 0.01, 0.5 and
// 0.02 at indexes 0, 1 and 5.
insurance_unit& corn_unit(rating_fixture& f) {
    f.farm_value.inputs.price[at(crop_corn)] = 2.5;
    f.use_b_value_set(17, crop_corn, 1);
    f.add_single_crop_b(1, 0, 0.01f);
    f.add_single_crop_b(1, 1, 0.5f);
    f.add_single_crop_b(1, 5, 0.02f);
    insurance_unit& unit = f.add_unit(crop_corn, 100, 1, 130);
    unit.rate_yield = 120.0;
    unit.type_code = 16;
    unit.practice_code = 3;
    return unit;
}

}  // namespace

TEST(SingleCropWorksheet, CropWithoutUnits) {
    rating_fixture f;
    corn_county(f);
    EXPECT_EQ(f.worksheet(crop_soybeans), "No unit.\r\n");
}

TEST(SingleCropWorksheet, BasicUnitListsEveryStep) {
    rating_fixture f;
    corn_county(f);
    corn_unit(f);
    const std::string text = f.worksheet(crop_corn);

    // Rater: yield ratio 120 / 100 = 1.20; step 5: 1.2 * 0.05 + 0.01 = 0.07; step 6:
    // the level 120 rate 0.15 * (1.0 * 1.2) = 0.18; step 8: (1.2 * 0.04 + 0.005) * 1.2
    // = 0.0636, the least of the three. x1 = 0.0636 * 0.9 = 0.05724.
    // Premium: 0.01 + 0.5 * 0.05724 + 0.02 (widened 0.0199999995...) * 1.2 -> 0.062619999,
    // rate 0.0626. B1: 2.5 * 130 * 0.65 = 211.25; B3: 211.25 * 0.0626 = 13.22425;
    // C2: * 1.1 (widened 1.10000002...) = 14.5466... -> 14.55; D3: 1455.
    // Enterprise (the farm is rated first): base rate 0.0636 * 0.9 (widened
    // 0.89999997...) = 0.05723999..., discounted (1 section) 0.0572; yield 130 over
    // the reference 100: 1.3; guarantee 2.5 * 130 * 0.65 = 211.25, its coverage
    // 211.25 / (2.5 * 130) = 0.65. Rate 0.01 + 0.5 * 0.0572 + 0.02 (widened) * 1.3
    // = 0.064599999 -> 0.0646; residual (1.1 - 1) / 2 -> 0.05, so 1.05;
    // 0.0646 * 211.25 * 1.05 = 14.3290875 -> 14.33; 100 acres: 1433.
    const std::string expected =
        "FIPS\t17001\tAdams\r\n"
        "Crop\tCorn\r\n"
        "Sections Farmed\t1\r\n"
        "Crop Year\t2004\r\n"
        "Insurance Plan ID\t90\r\n"
        "Reference Yield\t100.000\r\n"
        "Chosen price election\t0.000\r\n"
        "Prior year Ref Yld\t100.000\r\n"
        "Ref Rate\t0.040\r\n"
        "Exp\t1.000\r\n"
        "Prior Year Fixed Rate Load\t0.005\r\n"
        "Coverage Level Rate Differential\t0.000\r\n"
        "Rate Differential\t1.000\r\n"
        "Residual Surcharge\t1.100\r\n"
        "Prior Year Rate Differential\t1.000\r\n"
        "Prior Year Residual Factor\t1.000\r\n"
        "Type\t16\r\n"
        "Practice\t3\r\n"
        "APH Yield\t130.00\r\n"
        "Rate Yield\t120.00\r\n"
        "1 Premium Guarantee Per Acre\t84.50000000\r\n"
        "2 Premium Guarantee\t8450.000\r\n"
        "3 Premium Liability\t21125.00000000\r\n"
        "4 Current Year's Yield Ratio\t1.20000000\r\n"
        "5 Current Year Uncapped BPR\t0.070\r\n"
        "6 Capped Yield Span Base Rate\t0.18000000\r\n"
        "7 Prior Year Yield Ratio\t1.20000000\r\n"
        "8 Prior Year Continuous Rating BR\t0.06360000\r\n"
        "9 Preliminary Base Rate\t0.06360000\r\n"
        "10 Adjusted Base Rate\t0.06360000\r\n"
        "11 Base Premium Rate\t0.06360000\r\n"
        "Index\tX\tB\tX*B\tSum\r\n"
        "1\t1.000000000000\t0.009999999776\t0.010000000000\t0.010000000000\r\n"
        "2\t0.057240000000\t0.500000000000\t0.028620000000\t0.038620000000\r\n"
        "3\t0.003276417600\t0.000000000000\t0.000000000000\t0.038620000000\r\n"
        "4\t0.650000000000\t0.000000000000\t0.000000000000\t0.038620000000\r\n"
        "5\t0.422500000000\t0.000000000000\t0.000000000000\t0.038620000000\r\n"
        "6\t1.200000000000\t0.019999999553\t0.023999999000\t0.062619999000\r\n"
        "7\t1.440000000000\t0.000000000000\t0.000000000000\t0.062619999000\r\n"
        "8\t0.200000000000\t0.000000000000\t0.000000000000\t0.062619999000\r\n"
        "9\t0.040000000000\t0.000000000000\t0.000000000000\t0.062619999000\r\n"
        "10\t0.037206000000\t0.000000000000\t0.000000000000\t0.062619999000\r\n"
        "11\t0.068688000000\t0.000000000000\t0.000000000000\t0.062619999000\r\n"
        "12\t0.011448000000\t0.000000000000\t0.000000000000\t0.062619999000\r\n"
        "13\t0.780000000000\t0.000000000000\t0.000000000000\t0.062619999000\r\n"
        "14\t0.130000000000\t0.000000000000\t0.000000000000\t0.062619999000\r\n"
        "15\t0.240000000000\t0.000000000000\t0.000000000000\t0.062619999000\r\n"
        "\r\nEnterprise Index\tX\tB\tX*B\tSum\r\n"
        "1\t1.000000000000\t0.009999999776\t0.010000000000\t0.010000000000\r\n"
        "2\t0.057200000000\t0.500000000000\t0.028600000000\t0.038600000000\r\n"
        "3\t0.003271840000\t0.000000000000\t0.000000000000\t0.038600000000\r\n"
        "4\t0.650000000000\t0.000000000000\t0.000000000000\t0.038600000000\r\n"
        "5\t0.422500000000\t0.000000000000\t0.000000000000\t0.038600000000\r\n"
        "6\t1.300000000000\t0.019999999553\t0.025999999000\t0.064599999000\r\n"
        "7\t1.690000000000\t0.000000000000\t0.000000000000\t0.064599999000\r\n"
        "8\t0.200000000000\t0.000000000000\t0.000000000000\t0.064599999000\r\n"
        "9\t0.040000000000\t0.000000000000\t0.000000000000\t0.064599999000\r\n"
        "10\t0.037180000000\t0.000000000000\t0.000000000000\t0.064599999000\r\n"
        "11\t0.074360000000\t0.000000000000\t0.000000000000\t0.064599999000\r\n"
        "12\t0.011440000000\t0.000000000000\t0.000000000000\t0.064599999000\r\n"
        "13\t0.845000000000\t0.000000000000\t0.000000000000\t0.064599999000\r\n"
        "14\t0.130000000000\t0.000000000000\t0.000000000000\t0.064599999000\r\n"
        "15\t0.260000000000\t0.000000000000\t0.000000000000\t0.064599999000\r\n"
        "CBOT\t2.500\r\n"
        "Volatility\t0.200\r\n"
        "yield_bar\t130.0000\t0.0000\t0.0000\t0.0000\t0.0000\t0.0000\t0.0000\t0.0000\t0.0000\r\n"
        "APH Enterprise\t0.0572\t0.0000\t0.0000\t0.0000\t0.0000\t0.0000\t0.0000\t0.0000\t0.0000\r\n"
        "Selected Revenue Guarantee\t211.250\r\n"
        "Selected Revenue Guarantee(price_cbot*yield_bar)\t0.650\r\n"
        "A1. BPR65\t0.06360000\r\n"
        "A2. Premium\t\t0.06260000\r\n"
        "B1. Revenue Guarantee\t211.2500\r\n"
        "B2. Prevented Planting Coverage Level\t1.0000\r\n"
        "B3. Base Premium\t\t13.2243\r\n"
        "C1. Residual Surcharge\t1.100\r\n"
        "C2. Loaded Per-acre Premium\t\t14.550\r\n"
        "D1. Acres\t100.000\r\n"
        "D2. Share\t1.000\r\n"
        "D3. Total Premium\t\t1455.000\r\n"
        "E1. No Optional Unit Surcharge.\r\n"
        "E2. Total Premium\t\t1455.000\r\n"
        "Enterprise Discount Ratio\t1.000\r\n"
        "13. Enterprise Premium Rate\t0.0646\r\n"
        "14a. Enterprise Residual Factor\t1.0500\r\n"
        "14.-16. Loaded Enterprise Premium\t14.33\r\n"
        "17. Total Loaded Enterprise Premium\t1433.000\r\n";
    EXPECT_EQ(text, expected);

    // The worksheet repeats the unit rating: C2 and E2 are the unit's own figures,
    // and the enterprise lines the crop's.
    const farm_rating rating = f.rate();
    ASSERT_TRUE(rating.unit(crop_corn, 1)->figures);
    EXPECT_EQ(rating.unit(crop_corn, 1)->figures->per_acre_premium.to_text(3), "14.550");
    EXPECT_EQ(rating.unit(crop_corn, 1)->figures->total_premium.to_text(3), "1455.000");
    EXPECT_EQ(rating.enterprise.total_loaded_enterprise_premium[at(crop_corn)].to_text(3), "1433.000");
}

TEST(SingleCropWorksheet, UnitWithoutARecordListsTheRatersErrorFirst) {
    rating_fixture f;
    corn_county(f);
    corn_unit(f).practice_code = 7;  // no record

    const std::string reason =
        "ERROR, no record found in table [Continuous Rates]\r\n"
        "[State FIPS] = 17 AND [County FIPS] = 1 AND [Crop Year] = 2004 AND [Crop Code] = 41 AND "
        "[Insurance Plan ID] = 90 AND [Practice Code] = 7 AND [Type Code] = 16\r\n";
    // The worksheet rates its unit again; the rater's error comes first, then the worksheet.
    EXPECT_EQ(f.worksheet(crop_corn).rfind(reason + "FIPS\t17001\tAdams\r\n", 0), 0u) << f.worksheet(crop_corn);
    // As the crop pages copy it: the farm's rating errors ahead of that.
    EXPECT_EQ(f.worksheet(crop_corn, true).rfind(reason + reason + "FIPS\t17001\tAdams\r\n", 0), 0u);
}

TEST(SingleCropWorksheet, OptionalUnitWithoutSurchargeRowAndWithEnterpriseFigures) {
    rating_fixture f;
    corn_county(f);
    // Practice 2 has a record (the same figures as practice 3) but no surcharge
    // row: the rater takes its rate differentials as 0, and the unit's written
    // agreement rate stands for the base rate.
    f.add_rates(corn_rates(2));
    insurance_unit& unit = corn_unit(f);
    unit.optional_unit = true;
    unit.practice_code = 2;
    unit.written_agreement_rate = 0.0636;
    // A second unit of APH yield 170 makes the enterprise yield 150.
    insurance_unit& second = f.add_unit(crop_corn, 100, 1, 170);
    second.rate_yield = 170.0;
    second.type_code = 16;
    second.practice_code = 3;
    f.farm_value.inputs.sections[at(crop_corn)] = 4;
    f.farm_value.inputs.price[at(crop_corn)] = 2.0;

    const std::string text = f.worksheet(crop_corn);

    EXPECT_EQ(text.find("ERROR"), std::string::npos) << text;
    // B1: 2.0 * 130 * 0.65 = 169.00; B3: 169 * 0.0626 = 10.5794; no residual surcharge:
    // C2 10.58; D3 1058; optional: * 1.1 = 1163.8 -> 1164.
    const char* lines[] = {
        "FIPS\t17001\tAdams\r\nCrop\tCorn\r\nSections Farmed\t4\r\n",
        // Without a row: differentials 0, Corn's residual factor of its own table at 65%.
        "Rate Differential\t0.000\r\nResidual Surcharge\t1.000\r\nPrior Year Rate Differential\t0.000\r\n"
        "Prior Year Residual Factor\t1.000\r\nType\t16\r\nPractice\t2\r\n",
        // 2.0 * 150 * 0.65 = 195.
        "Selected Revenue Guarantee\t195.000\r\nSelected Revenue Guarantee(price_cbot*yield_bar)\t0.650\r\n",
        "A1. BPR65\t0.00000000\r\nA2. Premium\t\t0.06260000\r\n",
        "B3. Base Premium\t\t10.5794\r\nC1. No residual surcharge\r\nC2. Loaded Per-acre Premium\t\t10.580\r\n",
        "D3. Total Premium\t\t1058.000\r\nE1. Optional Unit Surcharge\t1.100\r\nE2. Total Premium\t\t1164.000\r\n",
        // Corn with 4 sections: 1 - 3 * (0.4000000059604645 / 9) = 0.8667.
        "Enterprise Discount Ratio\t0.867\r\n",
        "yield_bar\t150.0000\t0.0000",
    };
    for (const char* line : lines) EXPECT_NE(text.find(line), std::string::npos) << line << "\n---\n" << text;
}

namespace {

// Adams county offering Corn and Soybeans: Corn 300 acres at APH 150 and price
// 2.5, Soybeans 100 acres at APH 45 and price 6.0, no rates (every base rate 0).
// Whole-farm b values of column 48: 0.01 at index 0, -0.5 at index 1 (v_1,
// which is 0), 0.1 at index 36 (s_1) and 2.0 at index 300 (s_2 squared times u_1).
void short_farm(rating_fixture& f) {
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans});
    f.add_whole_farm_b(17, 48, 0, 0.01f);
    f.add_whole_farm_b(17, 48, 1, -0.5f);
    f.add_whole_farm_b(17, 48, 36, 0.1f);
    f.add_whole_farm_b(17, 48, 300, 2.0f);
    f.add_unit(crop_corn, 300, 1, 150);
    f.add_unit(crop_soybeans, 100, 1, 45);
    f.farm_value.inputs.price[at(crop_corn)] = 2.5;
    f.farm_value.inputs.price[at(crop_soybeans)] = 6.0;
}

}  // namespace

TEST(WholeFarmWorksheet, ShortSixCropFarm) {
    rating_fixture f;
    short_farm(f);
    farm_inputs& in = f.farm_value.inputs;
    in.ppcl_select_whole_farm = 1;
    in.ppcl_factor[0][at(crop_corn)] = 1.02;
    in.ppcl_factor[0][at(crop_soybeans)] = 1.06;

    const std::string text = f.whole_farm_worksheet();

    // Liability: Corn 243.75 * 300 = 73125, Soybeans 175.50 * 100 = 17550; shares
    // 73125 / 90675 = 0.8065 and 0.1935.
    const std::string head =
        "Prevented Planting Selector\t5\r\n"
        "18a. Per [Corn]\t0.8065\r\n"
        "18b. Per [Soybeans]\t0.1935\r\n"
        "18c. Per [Spring Wheat]\t0.0000\r\n"
        "18d. Per [Canola]\t0.0000\r\n"
        "18e. Per [Sunflower]\t0.0000\r\n"
        "18f. Per [Barley]\t0.0000\r\n"
        "Column\t48\tILRR0000\r\n"
        "Index\tX\tB\tX*B\tSum\r\n"
        "1\t1.000000000000\t0.009999999776\t0.010000000000\t0.010000000000\r\n"
        // 0 times -0.5 keeps the sign of zero.
        "2\t0.000000000000\t-0.500000000000\t-0.000000000000\t0.010000000000\r\n";
    // The rate 0.105626901 -> 0.1056; no single-crop b values: the limit is 0.
    // Guarantee 0.65 * (150 * 2.5 * 300 + 45 * 6.0 * 100) / 400 = 226.6875 -> 226.69;
    // the prevented planting factor (1.02 * 300 + 1.06 * 100) / 400 = 1.03; no
    // surcharge rows: Corn's and Soybeans' residual factor 1.0 at 65%.
    // Per acre 226.69 * 0.1056 * 1.03 = 24.6566... -> 24.66; Corn 24.66 * 300 = 7398,
    // subsidy 0.59 * 7398 = 4364.82 -> 4365; Soybeans 2466, subsidy 1454.94 -> 1455.
    const std::string tail =
        "330\t0.000000000000\t0.000000000000\t0.000000000000\t0.105626901000\r\n"
        "21a. Limit\t0.00000000\r\n"
        "21b. Premium Rate\t\t0.10560000\r\n"
        "22a. Residual Surcharge\t1.00000000\r\n"
        "22b. Prevented Planning Coverage\t1.03000000\r\n"
        "22c. Per Acre Premium\t\t24.66000000\r\n"
        "25a. Crop Acre Weight\t400.00000000\r\n"
        "25b. Total Premium\t\t9864.00000000\r\n"
        "Base Premium\t\t24.66000000\r\n"
        "28. RA Subsidy\t5820.00000000\r\n"
        "29. Producer Premium\t4044.00000000\r\n";
    ASSERT_GE(text.size(), head.size() + tail.size());
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);

    const char* terms[] = {
        "\r\n30\t0.422500000000\t0.000000000000\t0.000000000000\t0.010000000000\r\n",  // (65 * 65) / 10000
        // 0.8065 * 0.1 (widened 0.10000000149...) = 0.0806500012... -> 0.080650001
        "\r\n37\t0.806500000000\t0.100000001490\t0.080650001000\t0.090650001000\r\n",
        // (0.1935 * 0.1935) * 0.2 = 0.00748845, times 2 = 0.0149769
        "\r\n301\t0.007488450000\t2.000000000000\t0.014976900000\t0.105626901000\r\n",
    };
    for (const char* line : terms) EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_EQ(text.find("\r\n331\t"), std::string::npos);

    // The lines are the rating's figures.
    const whole_farm_results wf = f.rate().whole_farm;
    EXPECT_EQ(wf.premium_rate_whole_farm.to_double(), 0.1056);
    EXPECT_EQ(wf.per_acre_premium_whole_farm.to_double(), 24.66);
    EXPECT_EQ(wf.producer_premium_whole_farm.to_double(), 4044.0);
}

TEST(WholeFarmWorksheet, FourCropFarmWithoutSelectorLine) {
    rating_fixture f;
    f.in_county(5);
    f.add_county(5, 1, "Arkansas County", {crop_corn, crop_rice, crop_spring_wheat});
    f.add_unit(crop_corn, 100, 1, 100);
    f.add_unit(crop_rice, 300, 1, 50);
    farm_inputs& in = f.farm_value.inputs;
    in.price[at(crop_corn)] = 2.0;
    in.price[at(crop_rice)] = 4.0;
    in.ppcl_select_whole_farm = -1;  // a list without selection
    in.ppcl_factor[0][at(crop_corn)] = 1.5;

    const std::string text = f.whole_farm_worksheet();

    // Corn 130 * 100 = 13000, Rice 130 * 300 = 39000: shares 0.25 and 0.75.
    const std::string head =
        "18a. Per [Corn]\t0.2500\r\n"
        "18b. Per [Soybeans]\t0.0000\r\n"
        "18c. Per [Cotton]\t0.0000\r\n"
        "18d. Per [Rice]\t0.7500\r\n"
        "Column\t9\tARR00R\r\n"
        "Index\tX\tB\tX*B\tSum\r\n"
        "1\t1.000000000000\t0.000000000000\t0.000000000000\t0.000000000000\r\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
    // cv squared of the four-crop model is 0.65 * 0.65.
    EXPECT_NE(text.find("\r\n17\t0.422500000000\t"), std::string::npos);
    EXPECT_NE(text.find("\r\n165\t"), std::string::npos);
    EXPECT_EQ(text.find("\r\n166\t"), std::string::npos);
    EXPECT_NE(text.find("\r\n22b. Prevented Planning Coverage\t1.00000000\r\n"), std::string::npos);
}
