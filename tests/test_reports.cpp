// Texts of the enterprise and whole-farm page: the limit note, the copy text,
// the Test report, the Acreage Loop Test and the B Value Dump.
#include <gtest/gtest.h>

#include <sstream>

#include "rating/reports.h"
#include "rating_fixture.h"

using namespace zelmora;
using zelmora::testing::at;
using zelmora::testing::rating_fixture;

namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::string> cells_of(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
        cells.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    cells.push_back(line.substr(start));
    return cells;
}

bool starts_with(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

TEST(LimitNote, ShowsTheRateBeforeAndAfterTheLimit) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn});
    f.add_whole_farm_b(17, 32, 0, 0.0123f);  // the polynomial rate: 0.0123
    premium_calculator& calc = f.calculator();

    calc.premium_rate_whole_farm = 0.0456;
    calc.limit_applied_whole_farm = 1;
    EXPECT_EQ(limit_note(calc), "Limited 0.012->0.046");

    calc.limit_applied_whole_farm = 0;
    EXPECT_EQ(limit_note(calc), "");
}

TEST(WholeFarmCopyText, FramesTheWorksheetWithTheBarLines) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn});
    premium_calculator& calc = f.calculator();
    calc.coverage_whole_farm = 75;
    for (int c = 1; c <= crop_count; ++c) {
        calc.enterprise_reference_yield[at(c)] = 100.0 + c;
        calc.enterprise_base_rate[at(c)] = c / 100.0;
    }
    calc.producer_premium_whole_farm = 2221.0;

    const std::string text = whole_farm_copy_text(calc);

    EXPECT_TRUE(starts_with(text, "WHOLE FARM\r\nCoverage Level\t75\r\nPrevented Planting Selector\t0\r\n18a. Per [Corn]\t"))
        << text.substr(0, 200);
    // Winter Wheat (crop 7) is not listed.
    const std::string tail =
        "29. Producer Premium\t2221.00000000\r\n"
        "\r\n"
        "County Yield Used Bar\t101.000000\t102.000000\t103.000000\t104.000000\t105.000000\t106.000000\t108.000000"
        "\t109.000000\r\n"
        "APH Bar\t0.010000\t0.020000\t0.030000\t0.040000\t0.050000\t0.060000\t0.080000\t0.090000\r\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(TestReport, OneCombinationInASixCropState) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {1, 2, 3, 4, 5, 6, 7, 8, 9});
    premium_calculator& calc = f.calculator();
    calc.indicated[at(crop_winter_wheat)] = false;
    calc.indicated[at(crop_cotton)] = true;

    const std::string text = test_report(calc, f.surcharges, 5, 5);

    // No units anywhere: every figure is zero.
    const char* names[] = {"Corn", "Soybeans", "Spring Wheat", "Canola", "Sunflower",
                           "Barley", "Winter Wheat", "Cotton", "Rice"};
    std::string expected = "State FIPS\t17\r\nCounty\tAdams\r\n\t\t000R0R\r\n";
    for (const char* name : names) {
        expected += std::string(name) + " Enterprise\tARG Minimum\r\n";  // no value in this row
        expected += "\tARG Maximum\t0.00\r\n\tGuarantee\t0.00\r\n\tBase Premium\t0.00\r\n"
                    "\tTotal Premium\t0\r\n\tRA Subsidy\t0\r\n\tProducer Premium\t0\r\n";
    }
    expected +=
        "Whole Farm\tARG Minimum\t0.00\r\n\tARG Maximum\t0.00\r\n\tGuarantee\t0.00\r\n\tBase Premium\t0.00\r\n"
        "\tTotal Premium\t0\r\n\tRA Subsidy\t0\r\n\tProducer Premium\t0\r\n";
    EXPECT_EQ(text, expected);

    // Combination 5 is Canola and Barley; the crops outside the model keep their ticks.
    const bool ticks[] = {false, false, false, true, false, true, false, true, true};
    for (int c = 1; c <= crop_count; ++c) EXPECT_EQ(calc.indicated[at(c)], ticks[c - 1]) << c;
}

TEST(TestReport, ColumnsCarryTheFiguresOfTheirCombination) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {1, 2, 3, 4, 5, 6});
    premium_calculator& calc = f.calculator();
    calc.harvest_guarantee_whole_farm = true;
    f.add_unit(crop_corn, 100, 1, 150);
    calc.price[at(crop_corn)] = 2.0;

    const std::string text = test_report(calc, f.surcharges, 31, 33);
    const std::vector<std::string> lines = lines_of(text);
    ASSERT_EQ(lines.size(), 3u + 63u + 7u);
    EXPECT_EQ(lines[2], "\t\t0CCCCC\tC00000\tC0000C");
    // Corn's ARG Maximum: (0.85 widened * 150) * 2.0 = 255.0000076 when Corn is in
    // the combination, and its older weighted yield of 0 when it is not.
    EXPECT_EQ(lines[4], "\tARG Maximum\t0.00\t255.00\t255.00");
    // Corn's guarantee: 2.0 * 150 * 0.65 = 195.
    EXPECT_EQ(lines[5], "\tGuarantee\t0.00\t195.00\t195.00");
    // The whole farm: ARG minimum 0.65 * 150 * 2.0 = 195 once Corn is in it.
    EXPECT_EQ(lines[66], "Whole Farm\tARG Minimum\t0.00\t195.00\t195.00");
    EXPECT_TRUE(calc.indicated[at(crop_corn)]);
    EXPECT_TRUE(calc.indicated[at(crop_barley)]);
    EXPECT_FALSE(calc.indicated[at(crop_soybeans)]);
}

TEST(TestReport, FourCropStateReadsOnlyTheLowFourBits) {
    rating_fixture f;
    f.add_county(5, 1, "Arkansas County", {1, 2, 8, 9});
    premium_calculator& calc = f.calculator(5);
    f.add_unit(crop_rice, 100, 1, 50);
    f.add_unit(crop_cotton, 200, 0.5, 600);
    calc.price[at(crop_rice)] = 4.0;

    const std::string text = test_report(calc, f.surcharges, 3, 19);
    const std::vector<std::string> lines = lines_of(text);
    ASSERT_EQ(lines.size(), 3u + 63u + 7u);
    const std::vector<std::string> header = cells_of(lines[2]);
    ASSERT_EQ(header.size(), 2u + 17u);
    EXPECT_EQ(header[2], "0000RR");   // code 3
    EXPECT_EQ(header[18], "0R00RR");  // code 19: bit 16 names a letter but rates as code 3
    for (std::size_t row = 3; row < lines.size(); ++row) {
        const std::vector<std::string> cells = cells_of(lines[row]);
        if (cells.size() == 2) continue;  // a crop's ARG Minimum row: label only
        ASSERT_EQ(cells.size(), 2u + 17u) << lines[row];
        EXPECT_EQ(cells[2], cells[18]) << lines[row];
    }
    // Rice's ARG Maximum under code 3 (Cotton and Rice): (0.85 widened * 50) * 4 = 170.00.
    EXPECT_EQ(cells_of(lines[3 + 8 * 7 + 1])[2], "170.00");
}

TEST(AcreageLoop, DefaultUnitsAndSixtyAcreageLinesPerWholeFarmCrop) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans});
    premium_calculator& calc = f.calculator();

    const std::string text = acreage_loop_report(calc, f.surcharges);

    const std::string head =
        "WARNING, No unit provided for crop Corn; using defaults.\r\n"
        "WARNING, No unit provided for crop Soybeans; using defaults.\r\n"
        "WARNING, No unit provided for crop SpringWheat; using defaults.\r\n"
        "WARNING, No unit provided for crop Canola; using defaults.\r\n"
        "WARNING, No unit provided for crop Sunflower; using defaults.\r\n"
        "WARNING, No unit provided for crop Barley; using defaults.\r\n"
        "WARNING, No unit provided for crop WinterWheat; using defaults.\r\n"
        "WARNING, No unit provided for crop Cotton; using defaults.\r\n"
        "WARNING, No unit provided for crop Rice; using defaults.\r\n"
        "State FIPS\t17\r\n"
        "County\tAdams\r\n"
        "\r\n"
        "Corn\r\n"
        "Crop\tCorn\tAcres\t*\tAPH Rate\t0.112000\r\n"
        "Crop\tSoybeans\tAcres\t300.000000\tAPH Rate\t0.072000\r\n"
        "Crop\tSpringWheat\tAcres\t300.000000\tAPH Rate\t0.100000\r\n"
        "Crop\tCanola\tAcres\t300.000000\tAPH Rate\t0.120000\r\n"
        "Crop\tSunflower\tAcres\t300.000000\tAPH Rate\t0.171000\r\n"
        "Crop\tBarley\tAcres\t300.000000\tAPH Rate\t0.093000\r\n"
        "Crop\tWinterWheat\tAcres\t300.000000\tAPH Rate\t0.035000\r\n"
        "Crop\tCotton\tAcres\t300.000000\tAPH Rate\t0.035000\r\n"
        "Crop\tRice\tAcres\t300.000000\tAPH Rate\t0.035000\r\n"
        "\r\n"
        "Crop\tAcres\tPercent Liability\tPremium Rate Whole Farm\r\n";
    ASSERT_TRUE(starts_with(text, head)) << text.substr(0, head.size() + 100);

    const std::vector<std::string> lines = lines_of(text);
    for (const char* crop : {"Corn", "Soybeans"}) {
        std::vector<std::vector<std::string>> rows;
        for (const std::string& line : lines)
            if (starts_with(line, std::string(crop) + "\t")) rows.push_back(cells_of(line));
        ASSERT_EQ(rows.size(), 60u) << crop;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(rows[i].size(), 6u);
            EXPECT_EQ(std::stod(rows[i][1]), 10.0 + 50.0 * static_cast<double>(i));
            // The guarantee set before each run is recomputed by it: three equal rates.
            EXPECT_EQ(rows[i][3], rows[i][4]);
            EXPECT_EQ(rows[i][4], rows[i][5]);
        }
        EXPECT_EQ(rows.front()[1], "10.000000");
        EXPECT_EQ(rows.back()[1], "2960.000000");
    }
    EXPECT_NE(text.find("\r\nSoybeans\r\nCrop\tCorn\tAcres\t300.000000\tAPH Rate\t0.112000\r\n"
                        "Crop\tSoybeans\tAcres\t*\tAPH Rate\t0.072000\r\n"),
              std::string::npos);
    // Corn's liability per acre: 2.8 (single precision) * 140 * 0.65 = 254.80; Soybeans:
    // 6.6 (single precision) * 70 * 0.65 = 300.30. At 10 Corn acres Corn's share is
    // 2548 / (2548 + 90090) = 0.0275; at 2960 acres 754208 / 844298 = 0.8933.
    EXPECT_NE(text.find("\r\nCorn\t10.000000\t0.027500\t"), std::string::npos);
    EXPECT_NE(text.find("\r\nCorn\t2960.000000\t0.893300\t"), std::string::npos);
    EXPECT_TRUE(text.size() >= 4 && text.substr(text.size() - 4) == "\r\n\r\n");

    // The page's calculator is not touched.
    for (const auto& list : calc.units) EXPECT_TRUE(list.empty());
}

TEST(AcreageLoop, PageUnitIsCopiedWithThreeHundredAcres) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans});
    premium_calculator& calc = f.calculator();
    insurance_unit& soybeans = f.add_unit(crop_soybeans, 50, 0.5, 40);
    soybeans.base_rate = 0.05;
    soybeans.written_agreement_rate = 0.06;
    f.add_unit(crop_soybeans, 70, 1, 40);  // only the first unit is used

    const std::string text = acreage_loop_report(calc, f.surcharges);

    EXPECT_EQ(text.find("WARNING, No unit provided for crop Soybeans"), std::string::npos);
    EXPECT_NE(text.find("WARNING, No unit provided for crop Corn; using defaults.\r\n"), std::string::npos);
    // The effective base rate is the written agreement rate.
    EXPECT_NE(text.find("\r\nCrop\tSoybeans\tAcres\t300.000000\tAPH Rate\t0.060000\r\n"), std::string::npos);
    EXPECT_EQ(calc.units[at(crop_soybeans)].size(), 2u);
    EXPECT_EQ(calc.units[at(crop_soybeans)].front().acres.to_double(), 50.0);
}

TEST(BValueDump, SixCropStateColumnsOfTheCropsWithBValues) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {1, 2, 3, 4, 5, 6});
    f.add_whole_farm_b(17, 48, 0, 0.25f, 0.5f);
    f.add_whole_farm_b(17, 16, 329, 0.125f, 0.0f);
    premium_calculator& calc = f.calculator();
    const std::size_t il = static_cast<std::size_t>(state_index(17));
    calc.b_value_set[il][at(crop_corn)][0] = 1;
    calc.b_value_set[il][at(crop_soybeans)][1] = 2;  // the other region still counts
    calc.b_values[0][0] = 0.01f;
    calc.b_values[0][14] = -2.5f;

    const std::string text = b_value_dump(calc, f.surcharges);
    const std::vector<std::string> lines = lines_of(text);

    ASSERT_EQ(lines.size(), 1u + 15u + 2u + 2u + 330u);
    EXPECT_EQ(lines[0], "Single Crop B Values for Illinois");
    EXPECT_EQ(lines[1], "1\t0.01\t0\t0\t0\t0\t0\t0\t0\t0\t");
    EXPECT_EQ(lines[15], "15\t-2.5\t0\t0\t0\t0\t0\t0\t0\t0\t");
    EXPECT_EQ(lines[16], "");
    EXPECT_EQ(lines[17], "Whole Farm B Values");
    // Only Corn and Soybeans have single-crop b values: combinations 48, 32, 16 and 0,
    // each without and with the harvest guarantee.
    EXPECT_EQ(lines[18], "\t48\t48\t32\t32\t16\t16\t0\t0");
    EXPECT_EQ(lines[19], "\tILRR0000\tILRR0000\tILR00000\tILR00000\tIL0R0000\tIL0R0000\tIL000000\tIL000000");
    EXPECT_EQ(lines[20], "1\t0.25\t0.5\t0\t0\t0\t0\t0\t0");
    EXPECT_EQ(lines[349], "330\t0\t0\t0\t0\t0.125\t0\t0\t0");
    // The page's calculator keeps its ticks and harvest choice.
    EXPECT_TRUE(calc.indicated[at(crop_barley)]);
    EXPECT_FALSE(calc.harvest_guarantee_whole_farm);
}

TEST(BValueDump, FourCropStateHasSixteenCombinationsOf165Terms) {
    rating_fixture f;
    f.add_county(5, 1, "Arkansas County", {1, 2, 8, 9});
    premium_calculator& calc = f.calculator(5);
    const std::size_t ar = static_cast<std::size_t>(state_index(5));
    for (int c : {crop_corn, crop_soybeans, crop_cotton, crop_rice}) calc.b_value_set[ar][at(c)][0] = 1;

    const std::string text = b_value_dump(calc, f.surcharges);
    const std::vector<std::string> lines = lines_of(text);

    ASSERT_EQ(lines.size(), 1u + 15u + 2u + 2u + 165u);
    EXPECT_EQ(lines[0], "Single Crop B Values for Arkansas");
    const std::vector<std::string> numbers = cells_of(lines[18]);
    ASSERT_EQ(numbers.size(), 1u + 32u);
    EXPECT_EQ(numbers[1], "15");
    EXPECT_EQ(numbers[2], "15");
    EXPECT_EQ(numbers[31], "0");
    const std::vector<std::string> names = cells_of(lines[19]);
    EXPECT_EQ(names[1], "ARRRRR");
    EXPECT_EQ(names[3], "ARRRR0");  // code 14: Corn, Soybeans, Cotton
    EXPECT_EQ(names[32], "AR0000");
    EXPECT_EQ(lines.back().substr(0, 4), "165\t");
    EXPECT_EQ(cells_of(lines.back()).size(), 1u + 32u);
}

TEST(BValueDump, CombinationWithACropWithoutBValuesGivesNoColumn) {
    rating_fixture f;
    f.add_county(5, 1, "Arkansas County", {1, 2, 8, 9});
    premium_calculator& calc = f.calculator(5);
    calc.b_value_set[static_cast<std::size_t>(state_index(5))][at(crop_rice)][0] = 1;

    std::string numbers, names;
    std::vector<std::string> rows = {"1", "2"};
    whole_farm_b_value_columns(calc, numbers, names, rows);

    EXPECT_EQ(numbers, "\t1\t1\t0\t0");
    EXPECT_EQ(names, "\tAR000R\tAR000R\tAR0000\tAR0000");
    EXPECT_EQ(rows[0], "1\t0\t0\t0\t0");
}

TEST(CropAcreWeights, SelectedCropsAndTheWholeFarmTotal) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_winter_wheat, crop_soybeans});
    premium_calculator& calc = f.calculator();
    f.add_unit(crop_corn, 100, 0.5, 150);
    f.add_unit(crop_corn, 200, 1, 150);
    f.add_unit(crop_winter_wheat, 80, 1, 50);  // selected, but never in the whole farm
    f.add_unit(crop_barley, 90, 1, 60);        // not offered in the county
    f.add_unit(crop_soybeans, 40, 1, 45);
    calc.indicated[at(crop_soybeans)] = false;  // not ticked

    crop_decimals weights;
    for (auto& w : weights) w = 7.0;
    exact_decimal total = 7.0;
    crop_acre_weights(calc, weights, total);

    EXPECT_EQ(weights[at(crop_corn)].to_double(), 250.0);
    EXPECT_EQ(weights[at(crop_winter_wheat)].to_double(), 80.0);
    EXPECT_EQ(weights[at(crop_barley)].to_double(), 0.0);
    EXPECT_EQ(weights[at(crop_soybeans)].to_double(), 0.0);
    EXPECT_EQ(total.to_double(), 250.0);
}
