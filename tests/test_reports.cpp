// Texts of the enterprise and whole-farm page: the limit note, the copy text,
// the Test report, the Acreage Loop Test and the B Value Dump, each of a farm
// rated on a small database; and the acre weights of the crops.
#include <gtest/gtest.h>

#include "rating/farm_totals.h"
#include "rating/reports.h"
#include "rating_fixture.h"

using namespace zelmora;
using zelmora::testing::at;
using zelmora::testing::cells_of;
using zelmora::testing::lines_of;
using zelmora::testing::rating_fixture;
namespace rows = zelmora::testing::rows;

namespace {

bool starts_with(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

TEST(LimitNote, ShowsTheRateBeforeAndAfterTheLimit) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans});
    f.add_whole_farm_b(17, 48, 0, 0.0123f);  // the polynomial rate: 0.0123
    // Each crop's own rate from its single-crop b values: 0.0912 (widened
    // 0.0912000015...), so the limit of two crops of 100 acres each is
    // (0.0912 * 100 + 0.0912 * 100) / 200 * 0.5 = 0.0456.
    for (int crop : {crop_corn, crop_soybeans}) {
        f.use_b_value_set(17, crop, 1);
        f.add_unit(crop, 100, 1, 100);
    }
    f.add_single_crop_b(1, 0, 0.0912f);

    farm_rating rating = f.rate();
    EXPECT_EQ(rating.whole_farm.limit_whole_farm.to_double(), 0.0456);
    EXPECT_EQ(rating.whole_farm.premium_rate_whole_farm.to_double(), 0.0456);
    EXPECT_EQ(rating.whole_farm.limit_applied_whole_farm, 1);
    EXPECT_EQ(rating.limit_note, "Limited 0.012->0.046");

    // Corn alone: a limit of 0 (one crop) does not raise the rate 0.
    f.farm_value.inputs.indicated[at(crop_soybeans)] = false;
    rating = f.rate();
    EXPECT_EQ(rating.whole_farm.limit_applied_whole_farm, 0);
    EXPECT_EQ(rating.limit_note, "");
}

TEST(WholeFarmCopyText, FramesTheWorksheetWithTheBarLines) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {1, 2, 3, 4, 5, 6, 7, 8, 9});
    f.farm_value.inputs.coverage_whole_farm = 75;
    // Each crop's reference yield 100 + c from a record of its own type, and an
    // enterprise base rate c / 100 from a written agreement rate of c / 100 / 0.9.
    for (int c = 1; c <= crop_count; ++c) {
        insurance_unit& unit = f.add_unit(c, 1, 1, 100);
        unit.type_code = 100 + c;
        unit.written_agreement_rate = c / 100.0 / 0.9;
        record_continuous_rates record = rows::rates(17, 1, 2004, crop_code(c), 90, 0, 100 + c);
        record.reference_yield = (100 + c) * 100;
        f.add_rates(record);
    }

    const std::string text = f.copy_text();

    EXPECT_TRUE(starts_with(text, "WHOLE FARM\r\nCoverage Level\t75\r\nPrevented Planting Selector\t0\r\n18a. Per [Corn]\t"))
        << text.substr(0, 200);
    // Winter Wheat (crop 7) is not listed.
    const std::string tail =
        "29. Producer Premium\t" + f.rate().whole_farm.producer_premium_whole_farm.to_text(8) + "\r\n"
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
    f.farm_value.inputs.indicated[at(crop_winter_wheat)] = false;
    f.farm_value.inputs.indicated[at(crop_cotton)] = true;

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
    EXPECT_EQ(f.session().rate(f.farm_value).diagnostics.size(), 0u);
    EXPECT_EQ(test_report(f.session(), f.farm_value, 5, 5), expected);

    // Combination 5 is Canola and Barley; the crops outside the model keep their
    // ticks. A crop's ARG Maximum shows whether it is rated in the column: units
    // of APH yield 100 give 0.85 (widened) * 100 * price.
    for (int crop : {crop_corn, crop_canola, crop_winter_wheat, crop_cotton}) f.add_unit(crop, 100, 1, 100);
    const std::vector<std::string> lines = lines_of(test_report(f.session(), f.farm_value, 5, 5));
    const struct {
        int crop;
        const char* arg_maximum;
    } ticks[] = {{crop_corn, "0.00"}, {crop_canola, "85.00"}, {crop_winter_wheat, "0.00"}, {crop_cotton, "42.50"}};
    for (const auto& t : ticks) {
        const std::string& row = lines.at(3 + 7 * static_cast<std::size_t>(t.crop - 1) + 1);
        EXPECT_EQ(row, std::string("\tARG Maximum\t") + t.arg_maximum) << t.crop;
    }
}

TEST(TestReport, ColumnsCarryTheFiguresOfTheirCombination) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {1, 2, 3, 4, 5, 6});
    f.farm_value.inputs.harvest_guarantee_whole_farm = true;
    f.add_unit(crop_corn, 100, 1, 150);
    f.farm_value.inputs.price[at(crop_corn)] = 2.0;

    const std::string text = test_report(f.session(), f.farm_value, 31, 33);
    const std::vector<std::string> lines = lines_of(text);
    ASSERT_EQ(lines.size(), 3u + 63u + 7u);
    EXPECT_EQ(lines[2], "\t\t0CCCCC\tC00000\tC0000C");
    // Corn's ARG Maximum: (0.85 widened * 150) * 2.0 = 255.0000076 when Corn is in
    // the combination, and 0 (no weighted yield) when it is not.
    EXPECT_EQ(lines[4], "\tARG Maximum\t0.00\t255.00\t255.00");
    // Corn's guarantee: 2.0 * 150 * 0.65 = 195. A column without Corn keeps the
    // guarantee of the rating before it (the farm's own, where Corn is ticked).
    EXPECT_EQ(lines[5], "\tGuarantee\t195.00\t195.00\t195.00");
    // The whole farm: ARG minimum 0.65 * 150 * 2.0 = 195 once Corn is in it.
    EXPECT_EQ(lines[66], "Whole Farm\tARG Minimum\t0.00\t195.00\t195.00");
}

TEST(TestReport, FourCropStateReadsOnlyTheLowFourBits) {
    rating_fixture f;
    f.in_county(5);
    f.add_county(5, 1, "Arkansas County", {1, 2, 8, 9});
    f.add_unit(crop_rice, 100, 1, 50);
    f.add_unit(crop_cotton, 200, 0.5, 600);
    f.farm_value.inputs.price[at(crop_rice)] = 4.0;

    const std::string text = test_report(f.session(), f.farm_value, 3, 19);
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

    const std::string text = acreage_loop_report(f.session(), f.farm_value);

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
}

TEST(AcreageLoop, PageUnitIsCopiedWithThreeHundredAcres) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_soybeans});
    f.add_unit(crop_soybeans, 50, 0.5, 40).written_agreement_rate = 0.06;
    f.add_unit(crop_soybeans, 70, 1, 40);  // only the first unit is used

    const std::string text = acreage_loop_report(f.session(), f.farm_value);

    EXPECT_EQ(text.find("WARNING, No unit provided for crop Soybeans"), std::string::npos);
    EXPECT_NE(text.find("WARNING, No unit provided for crop Corn; using defaults.\r\n"), std::string::npos);
    // The effective base rate is the written agreement rate.
    EXPECT_NE(text.find("\r\nCrop\tSoybeans\tAcres\t300.000000\tAPH Rate\t0.060000\r\n"), std::string::npos);
}

TEST(BValueDump, SixCropStateColumnsOfTheCropsWithBValues) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {1, 2, 3, 4, 5, 6});
    f.add_whole_farm_b(17, 48, 0, 0.25f, 0.5f);
    f.add_whole_farm_b(17, 16, 329, 0.125f, 0.0f);
    f.use_b_value_set(17, crop_corn, 1);
    f.use_b_value_set(17, crop_soybeans, 2, true);  // the other region still counts
    f.add_single_crop_b(1, 0, 0.01f);
    f.add_single_crop_b(1, 14, -2.5f);

    const std::string text = b_value_dump(f.session(), f.farm_value);
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
}

TEST(BValueDump, FourCropStateHasSixteenCombinationsOf165Terms) {
    rating_fixture f;
    f.in_county(5);
    f.add_county(5, 1, "Arkansas County", {1, 2, 8, 9});
    for (int c : {crop_corn, crop_soybeans, crop_cotton, crop_rice}) f.use_b_value_set(5, c, 1);
    f.add_single_crop_b(1, 0, 0.5f);

    const std::string text = b_value_dump(f.session(), f.farm_value);
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
    f.in_county(5);
    f.add_county(5, 1, "Arkansas County", {1, 2, 8, 9});
    f.use_b_value_set(5, crop_rice, 1);
    f.add_single_crop_b(1, 0, 0.5f);

    const std::vector<std::string> lines = lines_of(b_value_dump(f.session(), f.farm_value));

    ASSERT_EQ(lines.size(), 1u + 15u + 2u + 2u + 165u);
    EXPECT_EQ(lines[18], "\t1\t1\t0\t0");
    EXPECT_EQ(lines[19], "\tAR000R\tAR000R\tAR0000\tAR0000");
    EXPECT_EQ(lines[20], "1\t0\t0\t0\t0");
}

TEST(CropAcreWeights, SelectedCropsAndTheWholeFarmTotal) {
    rating_fixture f;
    f.add_county(17, 1, "Adams", {crop_corn, crop_winter_wheat, crop_soybeans});
    f.add_unit(crop_corn, 100, 0.5, 150);
    f.add_unit(crop_corn, 200, 1, 150);
    f.add_unit(crop_winter_wheat, 80, 1, 50);  // selected, but never in the whole farm
    f.add_unit(crop_barley, 90, 1, 60);        // not offered in the county
    f.add_unit(crop_soybeans, 40, 1, 45);
    f.farm_value.inputs.indicated[at(crop_soybeans)] = false;  // not ticked

    const farm_rating rating = f.rate();
    const farm_totals totals = farm_totals_of(f.farm_value, rating);

    EXPECT_EQ(totals.units.crops[at(crop_corn)].acres.to_double(), 250.0);
    EXPECT_EQ(totals.units.crops[at(crop_winter_wheat)].acres.to_double(), 80.0);
    EXPECT_EQ(totals.units.crops[at(crop_barley)].acres.to_double(), 0.0);
    EXPECT_EQ(totals.units.crops[at(crop_soybeans)].acres.to_double(), 0.0);
    EXPECT_EQ(rating.whole_farm.crop_acre_weight_whole_farm.to_double(), 250.0);
    EXPECT_TRUE(rating.selected[at(crop_winter_wheat)]);
    EXPECT_FALSE(rating.in_whole_farm[at(crop_winter_wheat)]);
}
