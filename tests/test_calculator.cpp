// The calculator's inputs and settings, the single-crop polynomial, unit and
// enterprise premiums, on a small fixture whose figures are worked by hand.
#include <gtest/gtest.h>

#include <cstring>

#include "data/rowsets.h"
#include "fixture_database.h"
#include "rating/premium_calculator.h"
#include "table_rows.h"

using namespace zelmora;
using zelmora::testing::fixture_database;
namespace rows = zelmora::testing::rows;

namespace {

// Iowa, county 1, Corn offered. Single-crop b values of set 1: b0 = 1/64,
// b1 = 0.5 (rate term), b3 = 1/16 (coverage term); all exact in single precision.
// Continuous rates: reference yield 150, rate 0.050, exponent -2.0, load 0.010,
// yield span levels 100, 110, ..., 220 with rates 0.080, 0.075, ...; prior
// year alike with rate 0.060. Surcharges: 65 row (differentials 1, residual 1),
// 75 row with residual 1.125.
struct iowa_fixture {
    fixture_database fx;

    iowa_fixture() {
        const rows::indicators corn{-1};
        fx.add<rowset_county_list>(rows::county(19, 1, "Adair", 0, corn, corn));

        fx.add<rowset_b_value_single_crop_lookup>(rows::b_value_set(19, 1, 0, 1));
        const float b[15] = {0.015625f, 0.5f, 0, 0.0625f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        for (int i = 0; i < 15; ++i) fx.add<rowset_b_value_single_crop>(rows::single_crop_b(1, i, b[i], b[i] * 2));

        record_continuous_rates rates = rows::rates(19, 1, 2004, 41, 90, 3, 997);
        rates.reference_yield = 15000;
        rates.reference_rate = 50;
        rates.exponent = -2000;
        rates.fixed_rate_load = 10;
        for (int i = 0; i < 13; ++i) {
            rates.yield[i] = (100 + 10 * i) * 100;
            rates.premium[i] = 80 - 5 * i;
        }
        rates.prior_year_reference_yield = 15000;
        rates.prior_year_reference_rate = 60;
        rates.prior_year_exponent = -2000;
        rates.prior_year_fixed_rate_load = 10;
        fx.add<rowset_continuous_rates>(rates);

        add_surcharge(65, 1.0f);
        add_surcharge(75, 1.125f);
    }

    void add_surcharge(int level, float residual) {
        fx.add<rowset_endogenous_risk_surcharge>(
            rows::surcharge(level, 41, 19, 1, 2004, 3, 997, 1.0f, residual, 1.0f, 1.0f));
    }
};

insurance_unit corn_unit(double acres = 100) {
    insurance_unit u;
    u.aph_yield = 150;
    u.rate_yield = 150;
    u.acres = acres;
    u.share = 1;
    u.practice_code = 3;
    u.type_code = 997;
    return u;
}

}  // namespace

TEST(Calculator, DefaultsAndEmptyStore) {
    std::string errors;
    premium_calculator calc(nullptr, nullptr, errors);
    EXPECT_EQ(calc.price[0].to_double(), 2.799999952316284);
    EXPECT_EQ(calc.price[1].to_double(), 6.599999904632568);
    memory_settings_store store;
    calc.read_settings(store, errors);
    EXPECT_EQ(calc.price[0].to_double(), 2.8);  // passes through its text
    EXPECT_EQ(calc.price[1].to_double(), 6.6);
    EXPECT_EQ(calc.state_fips(), 17);
    EXPECT_EQ(calc.county_fips, 1);
    for (int c = 1; c <= crop_count; ++c) {
        EXPECT_TRUE(calc.units[c - 1].empty());
        EXPECT_EQ(calc.coverage[c - 1], 65);
        EXPECT_EQ(calc.sections[c - 1], 1);
    }
    EXPECT_EQ(calc.ppcl_factor[0][3].to_double(), 1.02);
    EXPECT_EQ(calc.ppcl_factor[1][3].to_double(), 1.05);
    EXPECT_EQ(calc.malting_barley_option, 2);
}

TEST(Calculator, SettingsKeysAndKinds) {
    std::string errors;
    premium_calculator calc(nullptr, nullptr, errors);
    memory_settings_store store;
    store.write_integer("Settings", "Units Corn", 3);
    store.write_text("Settings", "APH Yield 1 02", "142.5");
    store.write_integer("Settings", "Type 1 03", 16);
    store.write_text("Settings", "Coverage 2", "abc");
    store.write_text("Settings", "Coverage 3", "80 percent");
    store.write_integer("Settings", "Indicated Rice", 256);  // low byte 0
    store.write_text("Settings", "Price Soybeans", "nan");
    store.write_integer("Settings", "Units Barley", 1000000);  // a damaged count
    calc.read_settings(store, errors);

    ASSERT_EQ(calc.units[0].size(), 3u);
    EXPECT_EQ(calc.units[0][1].aph_yield.to_double(), 142.5);
    EXPECT_EQ(calc.units[0][2].type_code, 16);
    EXPECT_EQ(calc.units[0][0].type_code, 997);
    EXPECT_EQ(calc.units[0][0].short_rate_factor.to_double(), 1.0);
    EXPECT_EQ(calc.coverage[1], 0);
    EXPECT_EQ(calc.coverage[2], 80);
    EXPECT_FALSE(calc.indicated[8]);
    EXPECT_EQ(calc.price[1].to_double(), 6.599999904632568);  // unreadable text keeps the value
    EXPECT_EQ(calc.units[5].size(), 7u);        // never beyond the seventh unit
}

TEST(Calculator, SettingsRoundTrip) {
    std::string errors;
    premium_calculator a(nullptr, nullptr, errors);
    a.county_fips = 169;
    a.indicated[2] = false;
    a.harvest_guarantee[4] = true;
    a.harvest_guarantee_whole_farm = true;
    a.sections[0] = 4;
    a.price[0] = 2.37;
    a.price_volatility[0] = 0.215;
    a.coverage[0] = 80;
    a.coverage_enterprise[1] = 85;
    a.coverage_whole_farm = 75;
    a.ppcl_select[0] = 2;
    a.ppcl_select_enterprise[0] = 1;
    a.ppcl_select_whole_farm = 2;
    a.set_unit_count(6, 2);
    a.units[5][1].optional_unit = true;
    a.units[5][1].acres = 120.25;
    a.units[5][1].malting_barley_price = 3.5;
    a.units[5][1].fn_or_fo_factor = 0.95;
    memory_settings_store store;
    a.write_settings(store);
    EXPECT_TRUE(store.contains("Settings", "Malting Barley Acres 6 02"));
    EXPECT_FALSE(store.contains("Settings", "Coverage Whole Farm"));

    premium_calculator b(nullptr, nullptr, errors);
    b.read_settings(store, errors);
    EXPECT_EQ(b.county_fips, 169);
    EXPECT_FALSE(b.indicated[2]);
    EXPECT_TRUE(b.harvest_guarantee[4]);
    EXPECT_TRUE(b.harvest_guarantee_whole_farm);
    EXPECT_EQ(b.sections[0], 4);
    EXPECT_EQ(b.price[0].to_double(), 2.37);
    EXPECT_EQ(b.price_volatility[0].to_double(), 0.215);
    EXPECT_EQ(b.coverage[0], 80);
    EXPECT_EQ(b.coverage_enterprise[1], 85);
    EXPECT_EQ(b.coverage_whole_farm, 65);  // not kept between runs
    EXPECT_EQ(b.ppcl_select[0], 2);
    EXPECT_EQ(b.ppcl_select_enterprise[0], 1);
    EXPECT_EQ(b.ppcl_select_whole_farm, 2);
    ASSERT_EQ(b.units[5].size(), 2u);
    EXPECT_TRUE(b.units[5][1].optional_unit);
    EXPECT_EQ(b.units[5][1].acres.to_double(), 120.25);
    EXPECT_EQ(b.units[5][1].malting_barley_price.to_double(), 3.5);
    EXPECT_EQ(b.units[5][1].fn_or_fo_factor.to_double(), 0.95);
}

TEST(Calculator, SetUnitCountLeavesExactlyTheCountAsked) {
    std::string errors;
    premium_calculator calc(nullptr, nullptr, errors);
    const struct {
        int before, asked, after;
    } cases[] = {{5, 3, 3}, {0, 2, 2}, {9, 3, 3}, {9, 7, 7}, {2, 12, 7}, {3, -1, 0}};
    for (const auto& c : cases) {
        calc.units[0].assign(static_cast<std::size_t>(c.before), insurance_unit{});
        calc.set_unit_count(1, c.asked);
        EXPECT_EQ(calc.units[0].size(), static_cast<std::size_t>(c.after)) << c.before << " -> " << c.asked;
    }
}

TEST(Calculator, SubsidyFactorsByCoverage) {
    const struct {
        int level;
        double factor;
    } cases[] = {{50, 0.59}, {74, 0.59}, {75, 0.55}, {79, 0.55}, {80, 0.48}, {84, 0.48}, {85, 0.38}, {90, 0.38}};
    for (const auto& c : cases) EXPECT_EQ(subsidy_factor(c.level), c.factor) << c.level;
}

TEST(Calculator, EnterpriseDiscountRatios) {
    std::string errors;
    premium_calculator calc(nullptr, nullptr, errors);
    const struct {
        int crop, sections;
        double ratio;
    } cases[] = {{1, 1, 1.0},
                 {1, 4, 0.8666666646798452},
                 {2, 9, 0.5555555555555556},
                 {4, 10, 0.6},
                 {1, 12, 0.6},
                 {2, 12, 0.5},
                 {2, 0, 1.0555555555555556}};
    for (const auto& c : cases) {
        calc.sections[c.crop - 1] = c.sections;
        calc.compute_enterprise_discount();
        EXPECT_EQ(calc.enterprise_discount_ratio[c.crop - 1].to_double(), c.ratio) << c.crop << "/" << c.sections;
    }
    calc.sections[3] = 9;
    calc.enterprise_base_rate[3] = 1.0;
    calc.compute_enterprise_discount();
    EXPECT_EQ(calc.enterprise_discounted_rate[3].to_double(), 0.5556);
}

TEST(Calculator, EnterpriseAggregatesWeightByAcreShare) {
    std::string errors;
    premium_calculator calc(nullptr, nullptr, errors);
    insurance_unit a, b;
    a.acres = 100;
    a.share = 1;
    a.base_rate = 0.05;
    a.aph_yield = 140;
    a.reference_yield = 150;
    b.acres = 300;
    b.share = 1;
    b.base_rate = 0.07;
    b.written_agreement_rate = 0.09;  // replaces the base rate
    b.aph_yield = 151;
    b.reference_yield = 120;
    calc.units[0] = {a, b};
    calc.aggregate_enterprise_units(1);
    EXPECT_EQ(calc.enterprise_base_rate[0].to_double(), 0.07199999809265137);
    EXPECT_EQ(calc.enterprise_aph_yield_exact[0].to_double(), 148.25);
    EXPECT_EQ(calc.enterprise_aph_yield[0].to_double(), 148.3);
    EXPECT_EQ(calc.enterprise_reference_yield[0].to_double(), 150.0);

    // No acre-share at all: rates and yields 0, the largest reference yield kept.
    calc.units[0][0].share = 0;
    calc.units[0][1].share = 0;
    calc.aggregate_enterprise_units(1);
    EXPECT_EQ(calc.enterprise_base_rate[0].to_double(), 0.0);
    EXPECT_EQ(calc.enterprise_aph_yield[0].to_double(), 0.0);
    EXPECT_EQ(calc.enterprise_reference_yield[0].to_double(), 150.0);
}

TEST(Calculator, PolynomialTermsAreRoundedAndTheSumCapped) {
    iowa_fixture f;
    std::string errors;
    premium_calculator calc(&f.fx.db(), nullptr, errors);
    ASSERT_TRUE(calc.read_b_values(errors)) << errors;
    ASSERT_TRUE(calc.read_b_value_table(errors)) << errors;
    calc.set_state(19, errors);

    insurance_unit u = corn_unit();
    u.base_rate = 0.06;
    // Without a reference yield the yield-ratio terms are 0, the others count.
    for (int k : {5, 6, 10, 12, 14}) EXPECT_EQ(calc.x_single(k, 1, u).to_double(), 0.0) << k;
    EXPECT_EQ(calc.x_single(4, 1, u).to_double(), 0.4225);
    u.reference_yield = 120;
    u.rate_yield = 150;
    EXPECT_EQ(calc.x_single(5, 1, u).to_double(), 1.25);
    EXPECT_EQ(calc.x_single(12, 1, u).to_double(), 1.25 * 0.65);

    // 1/64 + 0.5 * (0.06 * 0.9) + 1/16 * 0.65 = 0.015625 + 0.027 + 0.040625 = 0.08325 -> 0.0833 (4 places)
    EXPECT_EQ(calc.unit_premium_rate(1, u).to_double(), 0.0833);
    // A written agreement rate replaces the base rate in every term.
    u.written_agreement_rate = 3.0;  // 0.015625 + 0.5 * 2.7 + 0.040625 > 0.99
    EXPECT_EQ(calc.sum_single(1, false, u).to_double(), 0.99);
    // Harvest guarantee: the same set, its second column (all b doubled).
    u.written_agreement_rate = 0;
    calc.harvest_guarantee[0] = true;
    EXPECT_EQ(calc.unit_premium_rate(1, u).to_double(), 0.1665);
    // No set for the region: every b value 0.
    EXPECT_EQ(calc.sum_single(1, true, u).to_double(), 0.0);
    EXPECT_TRUE(calc.has_b_values(1));
    EXPECT_FALSE(calc.has_b_values(2));
}

TEST(Calculator, BValueLookupStopsAtAnUnusableCropNumber) {
    fixture_database fx;
    record_b_value_single_crop_lookup row{};
    row.state_fips = 19;
    row.crop_number = 2;
    row.set_number = 3;
    fx.add<rowset_b_value_single_crop_lookup>(row);
    row.crop_number = 10;
    fx.add<rowset_b_value_single_crop_lookup>(row);
    row.crop_number = 1;
    fx.add<rowset_b_value_single_crop_lookup>(row);
    std::string errors;
    premium_calculator calc(&fx.db(), nullptr, errors);
    errors.clear();
    fx.db().clear_read_errors();
    calc.read_b_values(errors);
    // Crop number 10 is refused where it is read, and the connection says why.
    EXPECT_EQ(fx.db().read_errors(), "ERROR, unusable value in table [B Value Single Crop Lookup], column [Crop "
                                     "Number], rowid 2: 10 is not a whole number from 1 to 9\r\n");
    EXPECT_TRUE(calc.b_value_set_exists(19, false, 2));   // read before the bad row
    EXPECT_FALSE(calc.b_value_set_exists(19, false, 1));  // after it: not read

    errors.clear();
    EXPECT_FALSE(calc.read_b_value_table(errors));
    EXPECT_EQ(errors, "ERROR, no records in [B Value Single Crop].\r\n");
}

TEST(Calculator, RatesAUnitAndItsEnterpriseUnit) {
    iowa_fixture f;
    std::string errors;
    rater_aph_continuous rater(&f.fx.db());
    premium_calculator calc(&f.fx.db(), &rater, errors);
    calc.read_b_values(errors);
    calc.read_b_value_table(errors);
    calc.set_state(19, errors);
    surcharge_list surcharges;
    ASSERT_TRUE(surcharges.read_surcharges(f.fx.db(), errors)) << errors;
    calc.indicated.fill(false);
    calc.indicated[0] = true;
    calc.price[0] = 2.5;
    calc.coverage[0] = 75;
    calc.coverage_enterprise[0] = 75;
    calc.units[0] = {corn_unit()};

    errors.clear();
    calc.compute_all(surcharges, errors);
    EXPECT_EQ(errors, "");
    const insurance_unit& u = calc.units[0][0];
    // Rater: yield ratio 150/150 = 1.00; 1^-2 * 0.050 + 0.010 = 0.06 (differential 1);
    // span rate at level 150 is 0.055, times 1.2 = 0.066; prior 0.07 * 1.2 = 0.084. Least: 0.06.
    EXPECT_EQ(u.base_rate.to_double(), 0.06);
    EXPECT_EQ(u.reference_yield.to_double(), 150.0);
    // Guarantee (2.5 * 150) * 0.75 = 281.25. Rate 1/64 + 0.5 * 0.054 + 1/16 * 0.75 = 0.0895.
    // 281.25 * 0.0895 = 25.171875, residual 1.125 -> 28.318359375 -> 28.32;
    // 28.32 * 100 = 2832; subsidy 2832 * 0.55 = 1557.6 -> 1558; producer 1274.
    EXPECT_EQ(u.revenue_guarantee.to_double(), 281.25);
    EXPECT_EQ(u.residual_factor.to_double(), 1.125);
    EXPECT_EQ(u.loaded_per_acre_premium.to_double(), 28.32);
    EXPECT_EQ(u.total_premium.to_double(), 2832.0);
    EXPECT_EQ(u.ra_subsidy.to_double(), 1558.0);
    EXPECT_EQ(u.producer_premium.to_double(), 1274.0);

    // Enterprise: base rate 0.06 * 0.8999999761581421, discounted (1 section) to 0.054;
    // rate 0.0895 again; residual (1.125 - 1) / 2 = 0.0625 -> 0.063, so 1.063;
    // 0.0895 * 281.25 * 1.063 = 26.757703125 -> 26.76; 100 acres: 2676;
    // subsidy 2676 * 0.55 = 1471.8 -> 1472; producer 1204.
    EXPECT_EQ(calc.enterprise_discounted_rate[0].to_double(), 0.054);
    EXPECT_EQ(calc.enterprise_revenue_guarantee[0].to_double(), 281.25);
    EXPECT_EQ(calc.enterprise_premium_rate[0].to_double(), 0.0895);
    EXPECT_EQ(calc.enterprise_residual_factor[0].to_double(), 1.063);
    EXPECT_EQ(calc.loaded_enterprise_premium[0].to_double(), 26.76);
    EXPECT_EQ(calc.total_loaded_enterprise_premium[0].to_double(), 2676.0);
    EXPECT_EQ(calc.enterprise_per_acre_premium[0].to_double(), 26.76);
    EXPECT_EQ(calc.enterprise_subsidy[0].to_double(), 1472.0);
    EXPECT_EQ(calc.enterprise_producer_premium[0].to_double(), 1204.0);

    // Whole-farm range: expected revenue 150 * 2.5 * 100 = 37500 over 100 acres.
    EXPECT_EQ(calc.arg_minimum_whole_farm.to_double(), 243.75);
    EXPECT_EQ(calc.arg_maximum_whole_farm.to_double(), 0.8500000238418579 * 37500 / 100);
    EXPECT_EQ(calc.crop_acre_weight_whole_farm.to_double(), 100.0);
    EXPECT_EQ(calc.weighted_aph_yield[0].to_double(), 150.0);
    EXPECT_EQ(calc.limit_whole_farm.to_double(), 0.0);  // one crop: no limit

    // An optional unit pays 10 % more before whole dollars; a basic unit of 0 acres pays nothing.
    calc.units[0][0].optional_unit = true;
    insurance_unit none = corn_unit(0);
    calc.units[0].push_back(none);
    calc.compute_all(surcharges, errors);
    EXPECT_EQ(calc.units[0][0].total_premium.to_double(), 3115.0);  // 2832 * 1.1 = 3115.2
    EXPECT_EQ(calc.units[0][1].total_premium.to_double(), 0.0);
    EXPECT_EQ(calc.units[0][1].producer_premium.to_double(), 0.0);
}

TEST(Calculator, UnitWithoutRatesKeepsItsResultsAndReportsTheKeys) {
    iowa_fixture f;
    std::string errors;
    rater_aph_continuous rater(&f.fx.db());
    premium_calculator calc(&f.fx.db(), &rater, errors);
    calc.set_state(19, errors);
    surcharge_list surcharges;
    surcharges.read_surcharges(f.fx.db(), errors);
    insurance_unit u = corn_unit();
    u.practice_code = 2;  // no record
    u.total_premium = 77;
    errors.clear();
    EXPECT_FALSE(u.compute(1, calc, rater, &f.fx.db(), surcharges, errors));
    EXPECT_EQ(errors,
              "ERROR, no record found in table [Continuous Rates]\r\n"
              "[State FIPS] = 19 AND [County FIPS] = 1 AND [Crop Year] = 2004 AND [Crop Code] = 41 AND "
              "[Insurance Plan ID] = 90 AND [Practice Code] = 2 AND [Type Code] = 997\r\n");
    EXPECT_EQ(u.total_premium.to_double(), 77.0);
    calc.units[0] = {u, corn_unit()};
    errors.clear();
    EXPECT_FALSE(calc.compute_crop_units(1, surcharges, errors));
    EXPECT_EQ(calc.units[0][1].base_rate.to_double(), 0.06);  // the other unit still rates
}

TEST(Rater, YieldRatioLimitsAndTheLeastOfThreeRates) {
    iowa_fixture f;
    surcharge_list surcharges;
    std::string errors;
    surcharges.read_surcharges(f.fx.db(), errors);
    rater_aph_continuous rater(&f.fx.db());
    const struct {
        double rate_yield, ratio;
    } ratios[] = {{180, 1.2}, {300, 1.5}, {60, 0.5}, {150, 1.0}};
    for (const auto& c : ratios) {
        ASSERT_TRUE(rater.rate(41, 19, 1, 65, c.rate_yield, 997, 3, surcharges, errors)) << errors;
        EXPECT_EQ(rater.yield_ratio.to_double(), c.ratio) << c.rate_yield;
    }
    // 1.2 ^ -2 = 0.69444444 (8 places), * 0.05 = 0.03472222, + 0.01 = 0.04472222.
    rater.rate(41, 19, 1, 65, 180, 997, 3, surcharges, errors);
    EXPECT_EQ(rater.uncapped_base_premium_rate.to_double(), 0.04472222);
    // Span: 180 equals level 180 (rate 0.040) -> 0.040 * 1.2; above every level -> the thirteenth (0.020).
    EXPECT_EQ(rater.capped_yield_span_base_rate.to_double(), 0.04 * 1.2);
    EXPECT_EQ(rater.base_premium_rate.to_double(), 0.04472222);
    rater.rate(41, 19, 1, 65, 250, 997, 3, surcharges, errors);
    EXPECT_EQ(rater.capped_yield_span_base_rate.to_double(), 0.02 * 1.2);
    EXPECT_EQ(rater.base_premium_rate.to_double(), 0.02 * 1.2);  // the span rate is least here
    EXPECT_EQ(rater.preliminary_base_rate.to_double(), rater.base_premium_rate.to_double());
    EXPECT_EQ(rater.type_code, 997);
    EXPECT_EQ(rater.practice_code, 3);
}

// The yield ratio divides by the reference yield: a stored 0 is refused, and the unit is not rated.
TEST(Rater, ZeroReferenceYieldIsRefused) {
    for (const char* column : {"Reference Yield", "Prior Year Reference Yield"}) {
        SCOPED_TRACE(column);
        iowa_fixture f;
        f.fx.exec(std::string("UPDATE `Continuous Rates` SET `") + column + "` = 0");
        surcharge_list surcharges;
        std::string errors;
        rater_aph_continuous rater(&f.fx.db());
        EXPECT_FALSE(rater.rate(41, 19, 1, 65, 100.0, 997, 3, surcharges, errors));
        EXPECT_NE(f.fx.db().read_errors().find(std::string("column [") + column +
                                                 "], rowid 1: 0 is not a whole number from 1 to 10000000 "
                                                 "(hundredths)\r\n"),
                  std::string::npos)
            << f.fx.db().read_errors();
    }
}

// Within a scope every record is read once: a change to the database is seen
// only by the next scope, a failure is replayed with its text, and outside any
// scope each rating reads afresh.
TEST(Rater, RecordsAreReadOncePerScopeAndFailuresReplayTheirText) {
    iowa_fixture f;
    surcharge_list surcharges;
    std::string errors;
    surcharges.read_surcharges(f.fx.db(), errors);
    ASSERT_EQ(errors, "");
    rater_aph_continuous rater(&f.fx.db());
    const std::string no_record =
        "ERROR, no record found in table [Continuous Rates]\r\n"
        "[State FIPS] = 19 AND [County FIPS] = 1 AND [Crop Year] = 2004 AND [Crop Code] = 41 AND "
        "[Insurance Plan ID] = 90 AND [Practice Code] = 3 AND [Type Code] = 997\r\n";
    const std::string not_opened = "ERROR, unable to open continuous rate table.\r\n";
    auto rate = [&](std::string& text) { return rater.rate(41, 19, 1, 65, 180, 997, 3, surcharges, text); };

    {
        const rate_record_scope scope(&rater);
        ASSERT_TRUE(rate(errors)) << errors;
        f.fx.exec("DELETE FROM `Continuous Rates`");
        const rate_record_scope nested(&rater);  // shares the outer scope's records
        EXPECT_TRUE(rate(errors));
        EXPECT_EQ(rater.base_premium_rate.to_double(), 0.04472222);
        EXPECT_EQ(rater.capped_yield_span_base_rate.to_double(), 0.04 * 1.2);  // the span table of the same record
        EXPECT_EQ(errors, "");
    }
    EXPECT_FALSE(rate(errors));  // a new rating sees the deletion
    EXPECT_EQ(errors, no_record);

    // A failure is kept with its text, even when the database is mended meanwhile.
    const struct {
        const char* change;
        const char* undo;
        std::string message;
    } failures[] = {
        {"UPDATE `Continuous Rates` SET `Practice Code` = 2", "UPDATE `Continuous Rates` SET `Practice Code` = 3",
         no_record},
        {"ALTER TABLE `Continuous Rates` RENAME TO `Gone`", "ALTER TABLE `Gone` RENAME TO `Continuous Rates`",
         not_opened},
    };
    for (const auto& c : failures) {
        iowa_fixture g;
        rater_aph_continuous other(&g.fx.db());
        g.fx.exec(c.change);
        std::string text;
        {
            const rate_record_scope scope(&other);
            EXPECT_FALSE(other.rate(41, 19, 1, 65, 180, 997, 3, surcharges, text));
            g.fx.exec(c.undo);
            EXPECT_FALSE(other.rate(41, 19, 1, 65, 180, 997, 3, surcharges, text));
            EXPECT_EQ(text, c.message + c.message) << c.change;
        }
        text.clear();
        EXPECT_TRUE(other.rate(41, 19, 1, 65, 180, 997, 3, surcharges, text)) << c.change << ": " << text;
    }
}

TEST(Rater, SettingsRoundTripAndWorksheetLines) {
    memory_settings_store store;
    rater_aph_continuous a(nullptr);
    a.practice_code = 3;
    a.acres = 12.5;
    a.write_settings(store);
    EXPECT_EQ(store.read_text("APHContinuous", "Acres", ""), "12.500000");
    rater_aph_continuous b(nullptr);
    b.read_settings(store);
    EXPECT_EQ(b.practice_code, 3);
    EXPECT_EQ(b.acres.to_double(), 12.5);
    EXPECT_EQ(b.price_percent.to_double(), 1.0);

    std::string text;
    b.worksheet(text);
    EXPECT_EQ(text,
              "Crop Year\t2004\r\nInsurance Plan ID\t90\r\nReference Yield\t0.000\r\nChosen price election\t0.000\r\n"
              "Prior year Ref Yld\t0.000\r\nRef Rate\t0.000\r\nExp\t0.000\r\nPrior Year Fixed Rate Load\t0.000\r\n"
              "Coverage Level Rate Differential\t0.000\r\n");
}
