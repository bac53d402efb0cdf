// The malting barley endorsement: contract price limits, yield, dollar amount,
// liability and premium, the coverage tables and the worksheet.
#include <gtest/gtest.h>

#include "rating/engine/malting_barley_endorsement.h"
#include "rating_fixture.h"

using namespace zelmora;
using zelmora::testing::at;
using zelmora::testing::rating_fixture;

namespace {

// Barley at price 2.12 and coverage 80; a unit of 200 malting barley acres at
// share 1, APH yield 60, approved yield 70, contract price 2.72 and a base rate
// of 0.03276 (so the base premium 75 is 0.0504).
insurance_unit barley_unit(rating_fixture& f) {
    premium_calculator& calc = f.calculator();
    calc.price[at(crop_barley)] = 2.12;
    calc.coverage[at(crop_barley)] = 80;
    insurance_unit unit;
    unit.aph_yield = 60.0;
    unit.share = 1.0;
    unit.base_rate = 0.03276;
    unit.malting_barley_acres = 200.0;
    unit.malting_barley_approved_yield = 70.0;
    unit.malting_barley_price = 2.72;
    return unit;
}

}  // namespace

TEST(MaltingBarley, ContractPriceLiesBetweenTheBarleyPriceAndTheOptionLimit) {
    struct price_case {
        int option;
        double entered;
        const char* contract;
        const char* additional;
    };
    const price_case cases[] = {
        {1, 3.50, "3.3700", "1.2500"},  // option A: at most 2.12 + 1.25
        {2, 3.50, "3.5000", "1.3800"},  // option B: limit 4.12
        {2, 5.00, "4.1200", "2.0000"},
        {1, 3.37, "3.3700", "1.2500"},  // at the limit
        {1, 1.50, "2.1200", "0.0000"},  // below the Barley price: raised to it
    };
    for (const price_case& c : cases) {
        rating_fixture f;
        insurance_unit unit = barley_unit(f);
        f.calculator().malting_barley_option = c.option;
        unit.malting_barley_price = c.entered;
        malting_barley_endorsement endorsement;
        endorsement.compute(f.calculator(), unit);
        EXPECT_EQ(endorsement.contract_price.to_text(4), c.contract) << c.option << " " << c.entered;
        EXPECT_EQ(endorsement.additional_value.to_text(4), c.additional) << c.option << " " << c.entered;
    }
}

TEST(MaltingBarley, ContractBelowTheBarleyPriceInsuresNothing) {
    rating_fixture f;
    insurance_unit unit = barley_unit(f);
    unit.malting_barley_price = 1.0;
    malting_barley_endorsement endorsement;
    endorsement.compute(f.calculator(), unit);
    EXPECT_EQ(endorsement.dollar_amount.to_double(), 0.0);
    EXPECT_EQ(endorsement.liability.to_double(), 0.0);
    EXPECT_EQ(endorsement.base_premium.to_double(), 0.0);
}

TEST(MaltingBarley, YieldIsTheLesserOfTheAphAndTheApprovedYield) {
    struct yield_case {
        double aph;
        double approved;
        double dollar_amount;  // (0.8 * yield) * 0.6
    };
    const yield_case cases[] = {{60, 70, 28.8}, {70, 70, 33.6}, {80, 70, 33.6}};
    for (const yield_case& c : cases) {
        rating_fixture f;
        insurance_unit unit = barley_unit(f);
        unit.aph_yield = c.aph;
        unit.malting_barley_approved_yield = c.approved;
        malting_barley_endorsement endorsement;
        endorsement.compute(f.calculator(), unit);
        EXPECT_EQ(endorsement.dollar_amount.to_double(), c.dollar_amount) << c.aph << " " << c.approved;
    }
}

TEST(MaltingBarley, WorksheetOfAnOptionBUnit) {
    rating_fixture f;
    insurance_unit unit = barley_unit(f);
    malting_barley_endorsement endorsement;
    std::string text;
    endorsement.worksheet(f.calculator(), unit, text);
    // Dollar amount (0.8 * 60) * 0.6 = 28.80; liability 28.80 * 200 = 5760;
    // premium rate 0.0504 * 1.27 = 0.064008; premium ((0.064008 * 5760) * 1.1) * 0.9
    // = 364.999... -> 365; subsidy 0.48 * 365 = 175.2 -> 175; producer premium 190.
    EXPECT_EQ(text,
              "Acres\t200.0\r\n"
              "APH Yield\t60.0000\r\n"
              "Approved Yield\t70.0000\r\n"
              "Contract Price\t2.7200\r\n"
              "Additional Value\t0.6000\r\n"
              "Base Premium 75\t0.0504\r\n"
              "Selected Option\t2\r\n"
              "Optional Rate Factor B\t1.1\r\n"
              "Coverage Level\t80\r\n"
              "MB Acres\t200.0000\r\n"
              "Liability\t5760.0000\r\n"
              "Rate Differential\t1.2700\r\n"
              "Premium Rate\t0.06400800\r\n"
              "Base Premium\t365.0000\r\n"
              "Subsidy\t175.0000\r\n"
              "Dollar Amount of Insurance\t28.8000\r\n"
              "Producer Premium\t190.0000\r\n");
}

TEST(MaltingBarley, OptionAWorksheetNamesItsFactor) {
    rating_fixture f;
    insurance_unit unit = barley_unit(f);
    f.calculator().malting_barley_option = 1;
    malting_barley_endorsement endorsement;
    endorsement.optional_rate_factor_a = 1.2;
    std::string text;
    endorsement.worksheet(f.calculator(), unit, text);
    EXPECT_NE(text.find("Selected Option\t1\r\nOptional Rate Factor A\t1.2\r\nCoverage Level\t80\r\n"),
              std::string::npos)
        << text;
    // ((0.064008 * 5760) * 1.2) * 0.9 = 398.18... -> 398.
    EXPECT_EQ(endorsement.base_premium.to_double(), 398.0);
}

TEST(MaltingBarley, UnlistedCoverageLevelGivesNoPremium) {
    rating_fixture f;
    insurance_unit unit = barley_unit(f);
    f.calculator().coverage[at(crop_barley)] = 60;
    malting_barley_endorsement endorsement;
    endorsement.compute(f.calculator(), unit);
    EXPECT_EQ(endorsement.dollar_amount.to_double(), 21.6);  // (0.6 * 60) * 0.6
    EXPECT_EQ(endorsement.liability.to_double(), 4320.0);
    EXPECT_EQ(endorsement.premium_rate.to_double(), 0.0);
    EXPECT_EQ(endorsement.base_premium.to_double(), 0.0);
    EXPECT_EQ(endorsement.subsidy.to_double(), 0.0);
    EXPECT_EQ(endorsement.producer_premium.to_double(), 0.0);
}

TEST(MaltingBarley, CoverageTables) {
    struct table_case {
        int level;
        double rate_differential;
        double subsidy_factor;
    };
    const table_case cases[] = {{65, 0.65, 0.59}, {70, 0.79, 0.59}, {75, 1.0, 0.55}, {80, 1.27, 0.48},
                                {85, 1.6, 0.38},  {60, 0.0, 0.0},   {66, 0.0, 0.0},  {90, 0.0, 0.0}};
    for (const table_case& c : cases) {
        EXPECT_EQ(malting_barley_endorsement::rate_differential(c.level).to_double(), c.rate_differential) << c.level;
        EXPECT_EQ(malting_barley_endorsement::subsidy_factor(c.level).to_double(), c.subsidy_factor) << c.level;
    }
}

TEST(MaltingBarley, UnitWithoutMaltingAcresKeepsThePreviousPriceFigures) {
    rating_fixture f;
    insurance_unit unit = barley_unit(f);
    malting_barley_endorsement endorsement;
    endorsement.compute(f.calculator(), unit);

    insurance_unit none = unit;
    none.malting_barley_acres = 0.0;
    none.malting_barley_price = 4.0;
    f.calculator().coverage[at(crop_barley)] = 65;
    endorsement.compute(f.calculator(), none);

    EXPECT_EQ(endorsement.acres.to_double(), 0.0);
    EXPECT_EQ(endorsement.liability.to_double(), 0.0);
    EXPECT_EQ(endorsement.premium_rate.to_double(), 0.0);
    EXPECT_EQ(endorsement.base_premium.to_double(), 0.0);
    EXPECT_EQ(endorsement.subsidy.to_double(), 0.0);
    EXPECT_EQ(endorsement.producer_premium.to_double(), 0.0);
    EXPECT_EQ(endorsement.base_premium_75.to_double(), 0.0);
    EXPECT_EQ(endorsement.dollar_amount.to_double(), 28.8);
    EXPECT_EQ(endorsement.contract_price.to_text(4), "2.7200");
    EXPECT_EQ(endorsement.coverage_level, 80);
}
