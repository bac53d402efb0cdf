// The malting barley endorsement: contract price limits, yield, dollar amount,
// liability and premium, the coverage tables and the worksheet, as the dialog
// rates them (each Barley unit's base rate from the rater, then its endorsement).
#include <gtest/gtest.h>

#include "rating_fixture.h"

using namespace zelmora;
using zelmora::testing::at;
using zelmora::testing::rating_fixture;
using zelmora::testing::value_of;
namespace rows = zelmora::testing::rows;

namespace {

// Adams county (17001) offering Barley, with a record that rates a unit of
// rate yield 84 at 0.84 * 0.039 = 0.03276 (a yield span rate of 0.2 and a prior
// rate of 0.084 times 1.2 are higher), so the base premium 75 is 0.0504.
// Barley at price 2.12 and coverage 80; one unit of 200 malting barley acres at
// share 1, APH yield 60, approved yield 70 and contract price 2.72.
class barley_fixture : public rating_fixture {
public:
    barley_fixture() {
        add_county(17, 1, "Adams", {crop_barley});
        record_continuous_rates record = rows::rates(17, 1, 2004, 91, 90, 0, 997);
        record.reference_yield = 10000;
        record.reference_rate = 39;
        record.exponent = 1000;
        for (int i = 0; i < 13; ++i) {
            record.yield[i] = (i + 1) * 2000;
            record.premium[i] = 200;
        }
        record.prior_year_reference_yield = 10000;
        record.prior_year_reference_rate = 100;
        record.prior_year_exponent = 1000;
        add_rates(record);
        add_surcharge(rows::surcharge(65, 91, 17, 1, 2004, 0, 997, 1.0f, 1.0f, 1.0f, 1.0f));

        farm_value.inputs.price[at(crop_barley)] = 2.12;
        farm_value.inputs.coverage[at(crop_barley)] = 80;
        insurance_unit& unit = add_unit(crop_barley, 200, 1.0, 60.0);
        unit.rate_yield = 84.0;
        unit.malting_barley_acres = 200.0;
        unit.malting_barley_approved_yield = 70.0;
        unit.malting_barley_price = 2.72;
    }

    insurance_unit& unit(std::size_t n = 0) { return farm_value.inputs.units[at(crop_barley)].at(n); }
    std::vector<malting_barley_figures> endorsements() { return rate_malting_barley(session(), farm_value); }
    malting_barley_figures endorsement() { return endorsements().at(0); }
    std::string worksheets() { return malting_barley_worksheets(session(), farm_value); }
};

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
    barley_fixture f;
    for (const price_case& c : cases) {
        f.farm_value.inputs.malting_barley_option = c.option;
        f.unit().malting_barley_price = c.entered;
        EXPECT_EQ(f.endorsement().contract_price.to_text(4), c.contract) << c.option << " " << c.entered;
        const std::string worksheet = f.worksheets();
        EXPECT_EQ(value_of(worksheet, "Contract Price"), c.contract) << c.option << " " << c.entered;
        EXPECT_EQ(value_of(worksheet, "Additional Value"), c.additional) << c.option << " " << c.entered;
    }
}

TEST(MaltingBarley, ContractBelowTheBarleyPriceInsuresNothing) {
    barley_fixture f;
    f.unit().malting_barley_price = 1.0;
    const malting_barley_figures endorsement = f.endorsement();
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
    barley_fixture f;
    for (const yield_case& c : cases) {
        f.unit().aph_yield = c.aph;
        f.unit().malting_barley_approved_yield = c.approved;
        EXPECT_EQ(f.endorsement().dollar_amount.to_double(), c.dollar_amount) << c.aph << " " << c.approved;
    }
}

TEST(MaltingBarley, WorksheetOfAnOptionBUnit) {
    barley_fixture f;
    // Dollar amount (0.8 * 60) * 0.6 = 28.80; liability 28.80 * 200 = 5760;
    // premium rate 0.0504 * 1.27 = 0.064008; premium ((0.064008 * 5760) * 1.1) * 0.9
    // = 364.999... -> 365; subsidy 0.48 * 365 = 175.2 -> 175; producer premium 190.
    EXPECT_EQ(f.worksheets(),
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

    // The unit's rating keeps the same base rate, and the endorsement of the unit
    // on that rate (what the quote prints) is the dialog's.
    const farm_rating rating = f.rate();
    ASSERT_NE(rating.unit(crop_barley, 1), nullptr);
    EXPECT_EQ(rating.unit(crop_barley, 1)->base_rate.to_text(8), "0.03276000");
    const malting_barley_figures quoted = malting_barley_of(f.farm_value, f.unit(), rating.unit(crop_barley, 1)->base_rate);
    const malting_barley_figures shown = f.endorsement();
    EXPECT_EQ(quoted.liability.to_double(), 5760.0);
    EXPECT_EQ(quoted.base_premium.to_double(), 365.0);
    EXPECT_EQ(quoted.subsidy.to_double(), shown.subsidy.to_double());
    EXPECT_EQ(quoted.producer_premium.to_double(), shown.producer_premium.to_double());
    EXPECT_EQ(quoted.premium_rate.to_double(), shown.premium_rate.to_double());
}

TEST(MaltingBarley, OptionAWorksheetNamesItsFactor) {
    barley_fixture f;
    f.farm_value.inputs.malting_barley_option = 1;
    const std::string text = f.worksheets();
    EXPECT_NE(text.find("Selected Option\t1\r\nOptional Rate Factor A\t1.1\r\nCoverage Level\t80\r\n"),
              std::string::npos)
        << text;
    // ((0.064008 * 5760) * 1.1) * 0.9 = 364.999... -> 365.
    EXPECT_EQ(f.endorsement().base_premium.to_double(), 365.0);
}

TEST(MaltingBarley, UnlistedCoverageLevelGivesNoPremium) {
    barley_fixture f;
    f.farm_value.inputs.coverage[at(crop_barley)] = 60;
    const malting_barley_figures endorsement = f.endorsement();
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
    barley_fixture f;
    for (const table_case& c : cases) {
        f.farm_value.inputs.coverage[at(crop_barley)] = c.level;
        EXPECT_EQ(value_of(f.worksheets(), "Rate Differential"), exact_decimal(c.rate_differential).to_text(4))
            << c.level;
        // The premium rate is the base premium 75 times the differential; the
        // subsidy the factor times the premium, in whole dollars.
        const malting_barley_figures endorsement = f.endorsement();
        exact_decimal rate = exact_decimal(0.03276 / 0.65) * c.rate_differential;
        EXPECT_EQ(endorsement.premium_rate.to_double(), rate.round_to(8).to_double()) << c.level;
        EXPECT_EQ(endorsement.base_premium > 0.0, c.subsidy_factor > 0.0) << c.level;
        exact_decimal subsidy = endorsement.base_premium * c.subsidy_factor;
        EXPECT_EQ(endorsement.subsidy.to_double(), subsidy.round_to(0).to_double()) << c.level;
    }
}

TEST(MaltingBarley, UnitWithoutMaltingAcresKeepsThePreviousPriceFigures) {
    barley_fixture f;
    insurance_unit none = f.unit();
    none.malting_barley_acres = 0.0;
    none.malting_barley_price = 4.0;
    f.farm_value.inputs.units[at(crop_barley)].push_back(none);

    const std::vector<malting_barley_figures> endorsements = f.endorsements();
    ASSERT_EQ(endorsements.size(), 2u);
    const malting_barley_figures& second = endorsements[1];
    EXPECT_EQ(second.acres.to_double(), 0.0);
    EXPECT_EQ(second.liability.to_double(), 0.0);
    EXPECT_EQ(second.premium_rate.to_double(), 0.0);
    EXPECT_EQ(second.base_premium.to_double(), 0.0);
    EXPECT_EQ(second.subsidy.to_double(), 0.0);
    EXPECT_EQ(second.producer_premium.to_double(), 0.0);
    EXPECT_EQ(second.dollar_amount.to_double(), 28.8);
    EXPECT_EQ(second.contract_price.to_text(4), "2.7200");
    EXPECT_EQ(second.coverage_level, 80);
    // Its worksheet, after the first unit's, lists no base premium 75.
    const std::string text = f.worksheets();
    const std::size_t second_sheet = text.find("Acres\t0.0\r\n");
    ASSERT_NE(second_sheet, std::string::npos) << text;
    EXPECT_EQ(value_of(text.substr(second_sheet), "Base Premium 75"), "0.0000");
}
