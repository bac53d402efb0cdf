// The payout of one outcome, worked by hand for a small farm; the worksheet
// lists the same steps; the outcome table and the break-even points.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "rating/payout.h"

using namespace zelmora;

namespace {

// The hand-worked farm.
//   Corn, RA price 2.50, no harvest price option, enterprise coverage 75:
//     unit 1  APH 150, 100 acres, share 1,   coverage 70: guarantee (2.50 x 150) x 0.70 = 262.50, premium 1000
//     unit 2  APH 120,  50 acres, share 0.5, coverage 70: guarantee (2.50 x 120) x 0.70 = 210.00, premium  300
//     enterprise APH yield (150 x 100 + 120 x 25) / 125 = 144, premium 900
//   Soybeans, RA price 6.00, harvest price option, enterprise coverage 80:
//     unit 1  APH 40, 200 acres, share 1, coverage 75: guarantee (6.00 x 40) x 0.75 = 180.00, premium 1500
//     enterprise APH yield 40, premium 1200
//   Winter Wheat, RA price 3.00, outside the whole-farm unit, enterprise coverage 65:
//     unit 1  APH 50, 60 acres, share 1, coverage 65: guarantee (3.00 x 50) x 0.65 = 97.50, premium 200
//     enterprise APH yield 50, premium 180
//   Whole farm: Corn and Soybeans, coverage 75, premium 2000; guarantee per acre
//     0.75 x ((144 x 2.50) x 125 + (40 x 6.00) x 200) / 325 = 0.75 x 93000 / 325 = 214.615.. -> 214.62
payout_farm hand_farm(bool whole_farm_option) {
    payout_farm farm;
    payout_crop corn{crop_corn, 2.50, 0.20, false, 75, 144.0, 900.0, {}};
    corn.units = {{150.0, 100.0, 1.0, 70, 262.50, 1000.0}, {120.0, 50.0, 0.5, 70, 210.00, 300.0}};
    payout_crop soybeans{crop_soybeans, 6.00, 0.15, true, 80, 40.0, 1200.0, {}};
    soybeans.units = {{40.0, 200.0, 1.0, 75, 180.00, 1500.0}};
    payout_crop wheat{crop_winter_wheat, 3.00, 0.20, false, 65, 50.0, 180.0, {}};
    wheat.units = {{50.0, 60.0, 1.0, 65, 97.50, 200.0}};
    farm.crops = {corn, soybeans, wheat};
    payout_whole_farm wf;
    wf.coverage = 75;
    wf.harvest_guarantee = whole_farm_option;
    wf.in_unit[crop_corn - 1] = wf.in_unit[crop_soybeans - 1] = true;
    wf.forms_guarantee = wf.in_unit;
    wf.revenue_guarantee_per_acre = 214.62;
    wf.producer_premium = 2000.0;
    farm.whole_farm = wf;
    return farm;
}

struct hand_case {
    const char* name;
    int price_change;  // percent, every crop
    int yield_percent;
    bool whole_farm_option;
    // payouts, whole dollars
    double corn_units, corn_enterprise, soybean_units, soybean_enterprise, wheat_units;
    double farm_units, farm_enterprise, whole_farm_unit, whole_farm_structure;
};

const hand_case hand_cases[] = {
    // Prices down 20 % (corn 2.00, soybeans 4.80, wheat 2.40), yields 80 %.
    //   corn 1: 120 x 2.00 = 240.00; (262.50 - 240.00) x 100 x 1 = 2250
    //   corn 2:  96 x 2.00 = 192.00; (210.00 - 192.00) x 50 x 0.5 = 450; units 2700
    //   corn enterprise: (2.50 x 144) x 0.75 = 270 x 125 = 33750 less 240 x 100 + 192 x 25 = 28800: 4950
    //   soybeans (harvest price below the RA price: 6.00 stays): 32 x 4.80 = 153.60; 26.40 x 200 = 5280
    //   soybean enterprise: (6.00 x 40) x 0.80 = 192 x 200 = 38400 less 30720: 7680
    //   wheat: 40 x 2.40 = 96.00; 1.50 x 60 = 90 (its enterprise unit also 90)
    //   whole farm: 214.62 x 325 = 69751.50 less 28800 + 30720 = 59520: 10231.50 -> 10232; with wheat 10322
    {"prices down, yields down", -20, 80, false, 2700, 4950, 5280, 7680, 90, 8070, 12720, 10232, 10322},
    // The whole-farm option changes nothing while the harvest prices are below the RA prices.
    {"prices down, option on", -20, 80, true, 2700, 4950, 5280, 7680, 90, 8070, 12720, 10232, 10322},
    // Prices up 20 % (corn 3.00, soybeans 7.20, wheat 3.60), yields 70 %.
    //   corn (no option): 105 x 3.00 = 315.00 and 84 x 3.00 = 252.00 exceed 262.50 and 210.00: 0; enterprise
    //     33750 less 315 x 100 + 252 x 25 = 37800: 0
    //   soybeans (option, 7.20 in the guarantee): (7.20 x 40) x 0.75 = 216.00; 28 x 7.20 = 201.60; 14.40 x 200 = 2880
    //   soybean enterprise: (7.20 x 40) x 0.80 = 230.40 x 200 = 46080 less 40320: 5760
    //   wheat: 35 x 3.60 = 126.00 over 97.50: 0
    //   whole farm without the option: 69751.50 less 37800 + 40320 = 78120: 0
    {"prices up, option off", 20, 70, false, 0, 0, 2880, 5760, 0, 2880, 5760, 0, 0},
    //   whole farm with it: 0.75 x ((144 x 3.00) x 125 + (40 x 7.20) x 200) / 325 = 0.75 x 111600 / 325
    //     = 257.538.. -> 257.54; 257.54 x 325 = 83700.50 less 78120 = 5580.50 -> 5581
    {"prices up, option on", 20, 70, true, 0, 0, 2880, 5760, 0, 2880, 5760, 5581, 5581},
    // Nothing harvested at the RA prices: every guarantee is paid.
    //   corn 262.50 x 100 + 210.00 x 25 = 31500; enterprise 33750; soybeans 36000, enterprise 38400;
    //   wheat 97.50 x 60 = 5850 (enterprise too); whole farm 69751.50 -> 69752, with wheat 75602
    {"yield 0", 0, 0, false, 31500, 33750, 36000, 38400, 5850, 73350, 78000, 69752, 75602},
    // At APH yields and RA prices, and above them, nothing is paid.
    {"APH yield at the RA price", 0, 100, true, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"above both", 10, 110, true, 0, 0, 0, 0, 0, 0, 0, 0, 0},
};

// The values of the worksheet's lines with a label, in order.
std::vector<std::string> values_of(const std::string& worksheet, const std::string& label) {
    std::vector<std::string> values;
    std::istringstream lines(worksheet);
    std::string line;
    while (std::getline(lines, line, '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(label + "\t", 0) == 0) values.push_back(line.substr(label.size() + 1));
    }
    return values;
}

std::string dollars(double value) { return exact_decimal(value).to_text(0); }

}  // namespace

TEST(Payout, HandWorkedOutcomesPayWhatTheRulesSay) {
    for (const hand_case& c : hand_cases) {
        SCOPED_TRACE(c.name);
        const payout_farm farm = hand_farm(c.whole_farm_option);
        const outcome_payout paid = payout_of(farm, uniform_outcome(farm, c.price_change, c.yield_percent));
        ASSERT_EQ(paid.crops.size(), 3u);
        EXPECT_EQ(paid.crop(crop_corn)->units_as_entered.payout, c.corn_units);
        EXPECT_EQ(paid.crop(crop_corn)->enterprise_unit.payout, c.corn_enterprise);
        EXPECT_EQ(paid.crop(crop_soybeans)->units_as_entered.payout, c.soybean_units);
        EXPECT_EQ(paid.crop(crop_soybeans)->enterprise_unit.payout, c.soybean_enterprise);
        EXPECT_EQ(paid.crop(crop_winter_wheat)->units_as_entered.payout, c.wheat_units);
        EXPECT_EQ(paid.farm_figures(payout_structure::units_as_entered).payout, c.farm_units);
        EXPECT_EQ(paid.farm_figures(payout_structure::enterprise_unit).payout, c.farm_enterprise);
        ASSERT_TRUE(paid.whole_farm);
        EXPECT_EQ(paid.whole_farm->payout, c.whole_farm_unit);
        EXPECT_EQ(paid.farm_figures(payout_structure::whole_farm_unit).payout, c.whole_farm_structure);

        // Net is payout less producer premium: units 1000 + 300 + 1500 + 200, enterprise
        // 900 + 1200 + 180, whole farm 2000 and the wheat unit's 200.
        EXPECT_EQ(paid.farm_figures(payout_structure::units_as_entered).net, c.farm_units - 3000);
        EXPECT_EQ(paid.farm_figures(payout_structure::enterprise_unit).net, c.farm_enterprise - 2280);
        EXPECT_EQ(paid.farm_figures(payout_structure::whole_farm_unit).net, c.whole_farm_structure - 2200);
        EXPECT_EQ(paid.crop(crop_corn)->units_as_entered.net, c.corn_units - 1300);
    }
}

TEST(Payout, TheWorksheetListsTheStepsThatGiveEachPayout) {
    for (const hand_case& c : hand_cases) {
        SCOPED_TRACE(c.name);
        const payout_farm farm = hand_farm(c.whole_farm_option);
        const std::string sheet = payout_worksheet(farm, uniform_outcome(farm, c.price_change, c.yield_percent));

        // Unit payouts in crop and entry order, then each crop's units summed and its enterprise unit.
        const std::vector<std::string> units = values_of(sheet, "P11. Unit Payout");
        ASSERT_EQ(units.size(), 4u);
        EXPECT_EQ(values_of(sheet, "Units Payout"),
                  (std::vector<std::string>{dollars(c.corn_units), dollars(c.soybean_units), dollars(c.wheat_units)}));
        EXPECT_EQ(units[2], dollars(c.soybean_units));
        EXPECT_EQ(values_of(sheet, "E8. Enterprise Payout")[0], dollars(c.corn_enterprise));
        EXPECT_EQ(values_of(sheet, "E8. Enterprise Payout")[1], dollars(c.soybean_enterprise));
        EXPECT_EQ(values_of(sheet, "W11. Whole-Farm Payout"), std::vector<std::string>{dollars(c.whole_farm_unit)});
        EXPECT_EQ(values_of(sheet, "W13. Paid on Its Units"), std::vector<std::string>{"Winter Wheat"});
        EXPECT_EQ(values_of(sheet, "Units as entered")[0].substr(0, dollars(c.farm_units).size() + 1),
                  dollars(c.farm_units) + "\t");
        EXPECT_EQ(values_of(sheet, "Whole-farm unit"),
                  std::vector<std::string>{dollars(c.whole_farm_structure) + "\t2200\t" +
                                           dollars(c.whole_farm_structure - 2200)});
    }
}

TEST(Payout, WorksheetStepsOfOneUnitCanBeFollowedByHand) {
    // Corn unit 1 with prices down 20 % and yields at 80 %.
    const payout_farm farm = hand_farm(false);
    const std::string sheet = payout_worksheet(farm, uniform_outcome(farm, -20, 80));
    const std::map<std::string, std::string> expected = {
        {"P1. APH Yield", "150.000"},
        {"P2. Coverage Level", "70"},
        {"P3. Price in Guarantee", "2.5000"},
        {"P4. Revenue Guarantee Per Acre", "262.50"},
        {"P5. Actual Yield", "120.0000"},
        {"P6. Revenue to Count Per Acre", "240.00"},
        {"P7. Payout Per Acre", "22.50"},
        {"P8. Acres", "100.000"},
        {"P9. Share", "1.000"},
        {"P10. Revenue to Count", "24000.0000"},
        {"P11. Unit Payout", "2250"},
        {"P12. Producer Premium", "1000"},
        {"P13. Net", "1250"},
    };
    for (const auto& [label, value] : expected) EXPECT_EQ(values_of(sheet, label).at(0), value) << label;
    EXPECT_EQ(values_of(sheet, "W7. Guarantee Per Acre"), std::vector<std::string>{"214.62\tas rated"});

    // Lines end in CR LF, and the estimate says what it leaves out.
    EXPECT_EQ(sheet.rfind("Payout Worksheet\r\nOutside this estimate\tprevented planting, replant and quality "
                          "adjustment\r\n",
                          0),
              0u);
    for (std::size_t at = sheet.find('\n'); at != std::string::npos; at = sheet.find('\n', at + 1))
        ASSERT_EQ(sheet[at - 1], '\r') << "line ending at " << at;
}

TEST(Payout, RaisedGuaranteesAreFormedAtTheHarvestPrice) {
    // Prices up 20 % with both options: the soybean unit's guarantee and the whole-farm one are formed anew.
    const payout_farm farm = hand_farm(true);
    const std::string sheet = payout_worksheet(farm, uniform_outcome(farm, 20, 70));
    EXPECT_EQ(values_of(sheet, "P3. Price in Guarantee")[2], "7.2000");
    EXPECT_EQ(values_of(sheet, "P4. Revenue Guarantee Per Acre")[2], "216.00");
    EXPECT_EQ(values_of(sheet, "P3. Price in Guarantee")[0], "2.5000");  // corn has no option
    EXPECT_EQ(values_of(sheet, "W3. Price in Guarantee [Corn]"), std::vector<std::string>{"3.0000"});
    EXPECT_EQ(values_of(sheet, "W7. Guarantee Per Acre"),
              std::vector<std::string>{"257.54\tformed at the harvest prices"});
}

TEST(Payout, UnitYieldsGivenPerAcreOverrideThePercentage) {
    // Prices down 15 % (corn 2.125). Corn unit 1 harvests 100 bushels: 212.50, (262.50 - 212.50) x 100
    // = 5000. Unit 2 harvests 90.1: 191.4625 counts as 191.46 (not its 191.4625, which would give
    // 463.4375 -> 463): (210.00 - 191.46) x 50 x 0.5 = 463.50 -> 464.
    const payout_farm farm = hand_farm(false);
    outcome o = uniform_outcome(farm, -15, 50);
    o.crops[crop_corn - 1].unit_yields = {100.0, 90.1};
    const outcome_payout paid = payout_of(farm, o);
    EXPECT_EQ(paid.crop(crop_corn)->units[0].revenue_to_count_per_acre, 212.50);
    EXPECT_EQ(paid.crop(crop_corn)->units[1].revenue_to_count_per_acre, 191.46);
    EXPECT_EQ(paid.crop(crop_corn)->units[0].payout, 5000.0);
    EXPECT_EQ(paid.crop(crop_corn)->units[1].payout, 464.0);
    // The enterprise unit: 33750 less 212.50 x 100 + 191.46 x 25 = 26036.50: 7713.50 -> 7714.
    EXPECT_EQ(paid.crop(crop_corn)->enterprise_unit.payout, 7714.0);
    // A crop without a list takes the percentage: soybeans at 50 %, 20 x 5.10 = 102.00.
    EXPECT_EQ(paid.crop(crop_soybeans)->units[0].revenue_to_count_per_acre, 102.0);
}

TEST(Payout, WithoutAWholeFarmUnitThatStructureIsNotOffered) {
    payout_farm farm = hand_farm(false);
    farm.whole_farm.reset();
    const outcome_payout paid = payout_of(farm, uniform_outcome(farm, -20, 80));
    EXPECT_FALSE(paid.farm_figures(payout_structure::whole_farm_unit).offered);
    EXPECT_FALSE(paid.whole_farm);
    EXPECT_TRUE(values_of(payout_worksheet(farm, uniform_outcome(farm, 0, 0)), "Whole-farm unit").empty());
    EXPECT_FALSE(outcome_table_of(farm, 0, payout_structure::whole_farm_unit).offered);
}

TEST(Payout, FarmsThatCannotBePaidOutSaySo) {
    struct bad_case {
        const char* name;
        void (*spoil)(payout_farm&);
        const char* says;
    };
    const bad_case cases[] = {
        {"crops out of order", [](payout_farm& f) { std::swap(f.crops[0], f.crops[1]); }, "out of crop order"},
        {"a crop number 10", [](payout_farm& f) { f.crops[2].crop_number = 10; }, "not one of 1 to 9"},
        {"a share above 1", [](payout_farm& f) { f.crops[0].units[1].share = 1.5; }, "Corn unit 2's share"},
        {"a negative acreage", [](payout_farm& f) { f.crops[1].units[0].acres = -1.0; }, "Soybeans unit 1"},
        {"a coverage of 0", [](payout_farm& f) { f.whole_farm->coverage = 0; }, "whole-farm coverage"},
    };
    EXPECT_EQ(payout_farm_problem(hand_farm(false)), "");
    for (const bad_case& c : cases) {
        SCOPED_TRACE(c.name);
        payout_farm farm = hand_farm(false);
        c.spoil(farm);
        EXPECT_NE(payout_farm_problem(farm).find(c.says), std::string::npos) << payout_farm_problem(farm);
        EXPECT_EQ(payout_of(farm, outcome{}).problem, payout_farm_problem(farm));
        EXPECT_NE(payout_worksheet(farm, outcome{}).find("Not paid out\t"), std::string::npos);
        EXPECT_FALSE(outcome_table_of(farm, 0, payout_structure::units_as_entered).problem.empty());
    }
}

// ------------------------------------------------------------------ break-even points

TEST(BreakEven, SolvedWhereTheGuaranteeMeetsTheRevenueToCount) {
    using kind = break_even::kind;
    struct point_case {
        const char* name;
        int crop_number;
        payout_structure structure;
        double price_change, harvest_price, yield_percent;
    };
    // Corn units: 262.50 / (150 x 2.50) = 210.00 / (120 x 2.50) = 0.70: below -30 %, 1.75, 70 % of APH.
    // Corn enterprise: 33750 / (375 x 100 + 300 x 25) = 0.75; 2.50 x 0.75 = 1.875 -> 1.88.
    // Soybean units: 180 / 240 = 0.75; enterprise 192 / 240 = 0.80 (4.80).
    // Farm: units at the highest of their units (0.75), enterprise of its crops (0.80); whole farm
    //   69751.50 / (375 x 100 + 300 x 25 + 240 x 200) = 0.750016.. -> -25.00 %, 75.00 %.
    const point_case cases[] = {
        {"corn units", crop_corn, payout_structure::units_as_entered, -30.0, 1.75, 70.0},
        {"corn enterprise", crop_corn, payout_structure::enterprise_unit, -25.0, 1.88, 75.0},
        {"soybean units", crop_soybeans, payout_structure::units_as_entered, -25.0, 4.50, 75.0},
        {"soybean enterprise", crop_soybeans, payout_structure::enterprise_unit, -20.0, 4.80, 80.0},
        {"farm units", 0, payout_structure::units_as_entered, -25.0, 0.0, 75.0},
        {"farm enterprise", 0, payout_structure::enterprise_unit, -20.0, 0.0, 80.0},
        {"farm whole farm", 0, payout_structure::whole_farm_unit, -25.0, 0.0, 75.0},
    };
    for (const bool option : {false, true}) {
        const payout_farm farm = hand_farm(option);
        for (const point_case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (option ? ", whole-farm option" : ""));
            const structure_break_evens b = break_evens_of(farm, c.crop_number)[static_cast<std::size_t>(c.structure)];
            ASSERT_TRUE(b.offered);
            EXPECT_EQ(b.price_change.where, kind::below);
            EXPECT_EQ(b.price_change.value, c.price_change);
            EXPECT_EQ(b.yield_percent.where, kind::below);
            EXPECT_EQ(b.yield_percent.value, c.yield_percent);
            if (c.crop_number != 0) {
                ASSERT_TRUE(b.harvest_price);
                EXPECT_EQ(b.harvest_price->where, kind::below);
                EXPECT_EQ(b.harvest_price->value, c.harvest_price);
            } else {
                EXPECT_FALSE(b.harvest_price);
            }
        }
    }
    EXPECT_FALSE(break_evens_of(hand_farm(false), crop_corn)[2].offered);  // no whole farm of one crop
}

TEST(BreakEven, TheTableTurnsToPayingAtTheBreakEven) {
    // Corn units pay below -30 % at APH yield and below 70 % of APH yield at the RA price:
    // at the point itself the guarantee equals the revenue to count (150 x 1.75 = 262.50,
    // 105 x 2.50 = 262.50), so a grid through it pays on one side only.
    const payout_farm farm = hand_farm(false);
    const outcome_table prices =
        outcome_table_of(farm, crop_corn, payout_structure::units_as_entered, outcome_grid{-35, -25, 5, 100, 100, 10});
    ASSERT_TRUE(prices.problem.empty()) << prices.problem;
    ASSERT_EQ(prices.price_changes, (std::vector<int>{-35, -30, -25}));
    EXPECT_GT(prices.cell(0, 0).payout, 0.0);
    EXPECT_EQ(prices.cell(1, 0).payout, 0.0);
    EXPECT_EQ(prices.cell(2, 0).payout, 0.0);
    const outcome_table yields =
        outcome_table_of(farm, crop_corn, payout_structure::units_as_entered, outcome_grid{0, 0, 10, 65, 75, 5});
    ASSERT_EQ(yields.yield_percents, (std::vector<int>{65, 70, 75}));
    EXPECT_GT(yields.cell(0, 0).payout, 0.0);
    EXPECT_EQ(yields.cell(0, 1).payout, 0.0);
    EXPECT_EQ(yields.cell(0, 2).payout, 0.0);
}

TEST(BreakEven, AStructureCanPayAtEveryPriceOrNever) {
    // A whole-farm crop outside the crop model (cotton in a six-crop state) is insured at the
    // guarantee per acre the corn forms: 0.75 x 2.50 x 150 = 281.25 on 200 acres = 56250
    // against corn's 37500 and cotton's 100 x 0.60 x 1 = 60 at APH yields: the unit pays at
    // the RA prices, below +49.76 % without the option (56250 / 37560 = 1.497604) and at every
    // price with it.
    payout_farm farm;
    payout_crop corn{crop_corn, 2.50, 0.2, false, 75, 150.0, 0.0, {{150.0, 100.0, 1.0, 75, 281.25, 0.0}}};
    payout_crop cotton{crop_cotton, 0.60, 0.2, false, 75, 1.0, 0.0, {{1.0, 100.0, 1.0, 75, 0.45, 0.0}}};
    farm.crops = {corn, cotton};
    payout_whole_farm wf;
    wf.coverage = 75;
    wf.in_unit[crop_corn - 1] = wf.in_unit[crop_cotton - 1] = true;
    wf.forms_guarantee[crop_corn - 1] = true;
    wf.revenue_guarantee_per_acre = 281.25;
    farm.whole_farm = wf;
    const std::size_t whole = static_cast<std::size_t>(payout_structure::whole_farm_unit);

    structure_break_evens b = break_evens_of(farm, 0)[whole];
    EXPECT_EQ(b.price_change.where, break_even::kind::below);
    EXPECT_EQ(b.price_change.value, 49.76);
    farm.whole_farm->harvest_guarantee = true;
    b = break_evens_of(farm, 0)[whole];
    EXPECT_EQ(b.price_change.where, break_even::kind::always);
    // ... which the payout confirms: prices doubled, APH yields, the guarantee doubles with them.
    EXPECT_GT(payout_of(farm, uniform_outcome(farm, 100, 100)).whole_farm->payout, 0.0);

    // A unit with no acres never pays.
    payout_farm empty;
    empty.crops = {{crop_corn, 2.50, 0.2, false, 75, 150.0, 0.0, {{150.0, 0.0, 1.0, 75, 281.25, 0.0}}}};
    b = break_evens_of(empty, crop_corn)[0];
    EXPECT_EQ(b.price_change.where, break_even::kind::never);
    EXPECT_EQ(b.yield_percent.where, break_even::kind::never);
}

// ------------------------------------------------------------------ the outcome table

TEST(OutcomeTable, RowsOfPriceColumnsOfYieldWithPayoutAndNet) {
    const payout_farm farm = hand_farm(false);
    const outcome_table corn = outcome_table_of(farm, crop_corn, payout_structure::units_as_entered);
    ASSERT_TRUE(corn.offered);
    EXPECT_EQ(corn.price_changes, (std::vector<int>{-50, -40, -30, -20, -10, 0, 10, 20, 30, 40, 50}));
    EXPECT_EQ(corn.yield_percents, (std::vector<int>{40, 50, 60, 70, 80, 90, 100, 110, 120}));
    ASSERT_EQ(corn.cells.size(), 11u);
    ASSERT_EQ(corn.cells[0].size(), 9u);
    EXPECT_EQ(corn.harvest_prices[3], 2.0);
    EXPECT_EQ(corn.producer_premium, 1300.0);
    EXPECT_EQ(corn.cell(3, 4).payout, 2700.0);  // -20 %, 80 %: the first hand case
    EXPECT_EQ(corn.cell(3, 4).net, 1400.0);
    EXPECT_EQ(corn.cell(5, 6).payout, 0.0);     // RA price, APH yield
    EXPECT_EQ(corn.cell(5, 6).net, -1300.0);

    const outcome_table whole = outcome_table_of(farm, 0, payout_structure::whole_farm_unit);
    EXPECT_TRUE(whole.harvest_prices.empty());
    EXPECT_EQ(whole.cell(3, 4).payout, 10322.0);
    EXPECT_EQ(whole.cell(3, 4).net, 8122.0);
    EXPECT_EQ(whole.break_evens[static_cast<std::size_t>(payout_structure::enterprise_unit)].price_change.value, -20.0);
}

TEST(OutcomeTable, PayoutsNeverRiseWithPriceOrYieldWithoutTheOption) {
    // Every cell pays at least what the cell to its right (more yield) and below it (higher
    // price) pays, for every structure of the farm without the harvest price options.
    payout_farm farm = hand_farm(false);
    farm.crops[1].harvest_guarantee = false;
    for (const payout_structure s : payout_structures) {
        const outcome_table table = outcome_table_of(farm, 0, s, outcome_grid{-100, 100, 5, 0, 150, 5});
        ASSERT_TRUE(table.offered);
        for (std::size_t r = 0; r < table.cells.size(); ++r)
            for (std::size_t c = 0; c < table.cells[r].size(); ++c) {
                if (c + 1 < table.cells[r].size()) {
                    EXPECT_GE(table.cell(r, c).payout, table.cell(r, c + 1).payout);
                }
                if (r + 1 < table.cells.size()) {
                    EXPECT_GE(table.cell(r, c).payout, table.cell(r + 1, c).payout);
                }
            }
    }
}

TEST(OutcomeTable, GridsThatCannotBeTabledSaySo) {
    const payout_farm farm = hand_farm(false);
    struct grid_case {
        outcome_grid grid;
        const char* says;
    };
    const grid_case cases[] = {
        {{-50, 50, 0, 40, 120, 10}, "step"},
        {{50, -50, 10, 40, 120, 10}, "price changes"},
        {{-50, 50, 10, 120, 40, 10}, "yields"},
        {{-150, 50, 10, 40, 120, 10}, "below -100"},
        {{-50, 50, 10, -10, 120, 10}, "below 0"},
        {{-100, 100000, 1, 40, 120, 10}, "1,000"},
    };
    for (const grid_case& c : cases) {
        const outcome_table table = outcome_table_of(farm, crop_corn, payout_structure::units_as_entered, c.grid);
        EXPECT_NE(table.problem.find(c.says), std::string::npos) << table.problem;
        EXPECT_TRUE(table.cells.empty());
    }
    EXPECT_NE(outcome_table_of(farm, crop_rice, payout_structure::units_as_entered).problem, "");
}
