// A farm's inputs and settings keys, and the rating of its units and
// enterprise units through the session: the single-crop polynomial, unit and
// enterprise premiums and the continuous rater, on a small fixture whose
// figures are worked by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "data/rowsets.h"
#include "rating/farm_file.h"
#include "rating_fixture.h"
#include "utility/settings_store.h"

using namespace zelmora;
using zelmora::testing::at;
using zelmora::testing::rating_fixture;
using zelmora::testing::term_line;
using zelmora::testing::text_of;
using zelmora::testing::value_of;
namespace rows = zelmora::testing::rows;

namespace {

// Iowa, county 1, Corn offered. Single-crop b values of set 1: b0 = 1/64,
// b1 = 0.5 (rate term), b3 = 1/16 (coverage term); all exact in single precision.
// Continuous rates of practice 3, type 997: reference yield 150, rate 0.050,
// exponent -2.0, load 0.010, yield span levels 100, 110, ..., 220 with rates
// 0.080, 0.075, ...; prior year alike with rate 0.060. Surcharges: 65 row
// (differentials 1, residual 1), 75 row with residual 1.125.
struct iowa_fixture : rating_fixture {
    iowa_fixture() {
        in_county(19);
        const rows::indicators corn{-1};
        db.add<rowset_county_list>(rows::county(19, 1, "Adair", 0, corn, corn));

        use_b_value_set(19, crop_corn, 1);
        const float b[15] = {0.015625f, 0.5f, 0, 0.0625f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        for (int i = 0; i < 15; ++i) add_single_crop_b(1, i, b[i], b[i] * 2);

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
        add_rates(rates);

        add_iowa_surcharge(65, 1.0f);
        add_iowa_surcharge(75, 1.125f);
    }

    void add_iowa_surcharge(int level, float residual, int type = 997) {
        add_surcharge(rows::surcharge(level, 41, 19, 1, 2004, 3, type, 1.0f, residual, 1.0f, 1.0f));
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

// Only Corn ticked.
void corn_only(farm& f) {
    f.inputs.indicated.fill(false);
    f.inputs.indicated[at(crop_corn)] = true;
}

}  // namespace

// ------------------------------------------------------------------ the farm's inputs

TEST(Farm, DefaultsAndEmptyStore) {
    const farm defaults = default_farm();
    EXPECT_EQ(defaults.inputs.price[0].to_double(), 2.799999952316284);
    EXPECT_EQ(defaults.inputs.price[1].to_double(), 6.599999904632568);
    memory_settings_store store;
    const farm f = read_farm_settings(store);
    EXPECT_EQ(f.inputs.price[0].to_double(), 2.8);  // passes through its text
    EXPECT_EQ(f.inputs.price[1].to_double(), 6.6);
    EXPECT_EQ(f.state_fips, 17);
    EXPECT_EQ(f.inputs.county_fips, 1);
    for (int c = 1; c <= crop_count; ++c) {
        EXPECT_TRUE(f.inputs.units[at(c)].empty());
        EXPECT_EQ(f.inputs.coverage[at(c)], 65);
        EXPECT_EQ(f.inputs.sections[at(c)], 1);
    }
    EXPECT_EQ(f.inputs.ppcl_factor[0][3].to_double(), 1.02);
    EXPECT_EQ(f.inputs.ppcl_factor[1][3].to_double(), 1.05);
    EXPECT_EQ(f.inputs.malting_barley_option, 2);
}

TEST(Farm, SettingsKeysAndKinds) {
    memory_settings_store store;
    store.write_integer("Settings", "Units Corn", 3);
    store.write_text("Settings", "APH Yield 1 02", "142.5");
    store.write_integer("Settings", "Type 1 03", 16);
    store.write_text("Settings", "Coverage 2", "abc");
    store.write_text("Settings", "Coverage 3", "80 percent");
    store.write_integer("Settings", "Indicated Rice", 256);  // low byte 0
    store.write_text("Settings", "Price Soybeans", "nan");
    store.write_integer("Settings", "Units Barley", 1000000);  // a damaged count
    const farm f = read_farm_settings(store);

    ASSERT_EQ(f.inputs.units[0].size(), 3u);
    EXPECT_EQ(f.inputs.units[0][1].aph_yield.to_double(), 142.5);
    EXPECT_EQ(f.inputs.units[0][2].type_code, 16);
    EXPECT_EQ(f.inputs.units[0][0].type_code, 997);
    EXPECT_EQ(f.inputs.units[0][0].short_rate_factor.to_double(), 1.0);
    EXPECT_EQ(f.inputs.coverage[1], 0);
    EXPECT_EQ(f.inputs.coverage[2], 80);
    EXPECT_FALSE(f.inputs.indicated[8]);
    EXPECT_EQ(f.inputs.price[1].to_double(), 6.599999904632568);  // unreadable text keeps the value
    EXPECT_EQ(f.inputs.units[5].size(), 7u);                      // never beyond the seventh unit
}

TEST(Farm, SettingsRoundTrip) {
    farm a = default_farm();
    farm_inputs& in = a.inputs;
    in.county_fips = 169;
    in.indicated[2] = false;
    in.harvest_guarantee[4] = true;
    in.harvest_guarantee_whole_farm = true;
    in.sections[0] = 4;
    in.price[0] = 2.37;
    in.price_volatility[0] = 0.215;
    in.coverage[0] = 80;
    in.coverage_enterprise[1] = 85;
    in.coverage_whole_farm = 75;
    in.ppcl_select[0] = 2;
    in.ppcl_select_enterprise[0] = 1;
    in.ppcl_select_whole_farm = 2;
    set_unit_count(a, 6, 2);
    in.units[5][1].optional_unit = true;
    in.units[5][1].acres = 120.25;
    in.units[5][1].malting_barley_price = 3.5;
    in.units[5][1].fn_or_fo_factor = 0.95;
    a.continuous.practice_code = 3;
    a.continuous.acres = 12.5;
    memory_settings_store store;
    write_farm_settings(a, store);
    EXPECT_TRUE(store.contains("Settings", "Malting Barley Acres 6 02"));
    EXPECT_FALSE(store.contains("Settings", "Coverage Whole Farm"));
    EXPECT_EQ(store.read_text("APHContinuous", "Acres", ""), "12.500000");

    const farm b = read_farm_settings(store);
    EXPECT_EQ(b.inputs.county_fips, 169);
    EXPECT_FALSE(b.inputs.indicated[2]);
    EXPECT_TRUE(b.inputs.harvest_guarantee[4]);
    EXPECT_TRUE(b.inputs.harvest_guarantee_whole_farm);
    EXPECT_EQ(b.inputs.sections[0], 4);
    EXPECT_EQ(b.inputs.price[0].to_double(), 2.37);
    EXPECT_EQ(b.inputs.price_volatility[0].to_double(), 0.215);
    EXPECT_EQ(b.inputs.coverage[0], 80);
    EXPECT_EQ(b.inputs.coverage_enterprise[1], 85);
    EXPECT_EQ(b.inputs.coverage_whole_farm, 65);  // not kept between runs
    EXPECT_EQ(b.inputs.ppcl_select[0], 2);
    EXPECT_EQ(b.inputs.ppcl_select_enterprise[0], 1);
    EXPECT_EQ(b.inputs.ppcl_select_whole_farm, 2);
    ASSERT_EQ(b.inputs.units[5].size(), 2u);
    EXPECT_TRUE(b.inputs.units[5][1].optional_unit);
    EXPECT_EQ(b.inputs.units[5][1].acres.to_double(), 120.25);
    EXPECT_EQ(b.inputs.units[5][1].malting_barley_price.to_double(), 3.5);
    EXPECT_EQ(b.inputs.units[5][1].fn_or_fo_factor.to_double(), 0.95);
    EXPECT_EQ(b.continuous.practice_code, 3);
    EXPECT_EQ(b.continuous.acres.to_double(), 12.5);
    EXPECT_EQ(b.continuous.price_percent.to_double(), 1.0);
}

TEST(Farm, SetUnitCountLeavesExactlyTheCountAsked) {
    farm f = default_farm();
    const struct {
        int before, asked, after;
    } cases[] = {{5, 3, 3}, {0, 2, 2}, {9, 3, 3}, {9, 7, 7}, {2, 12, 7}, {3, -1, 0}};
    for (const auto& c : cases) {
        f.inputs.units[0].assign(static_cast<std::size_t>(c.before), insurance_unit{});
        set_unit_count(f, 1, c.asked);
        EXPECT_EQ(f.inputs.units[0].size(), static_cast<std::size_t>(c.after)) << c.before << " -> " << c.asked;
    }
}

// ------------------------------------------------------------------ unit and enterprise premiums

TEST(Calculator, SubsidyFactorsByCoverage) {
    const struct {
        int level;
        double factor;
    } cases[] = {{50, 0.59}, {74, 0.59}, {75, 0.55}, {79, 0.55}, {80, 0.48}, {84, 0.48}, {85, 0.38}, {90, 0.38}};
    iowa_fixture f;
    f.farm_value.inputs.price[at(crop_corn)] = 2.5;
    f.farm_value.inputs.units[at(crop_corn)] = {corn_unit()};
    for (const auto& c : cases) {
        f.farm_value.inputs.coverage[at(crop_corn)] = c.level;
        const farm_rating rating = f.rate();
        const unit_rating* unit = rating.unit(crop_corn, 1);
        ASSERT_TRUE(unit != nullptr && unit->figures) << c.level;
        const premium_figures& figures = *unit->figures;
        ASSERT_GT(figures.total_premium, 1000.0) << c.level;
        // The subsidy is the factor times the premium in whole dollars; the producer pays the rest.
        exact_decimal subsidy = figures.total_premium * c.factor;
        EXPECT_EQ(figures.subsidy.to_double(), subsidy.round_to(0).to_double()) << c.level;
        EXPECT_EQ(figures.producer_premium.to_double(), (figures.total_premium - figures.subsidy).to_double());
    }
}

TEST(Calculator, EnterpriseDiscountRatios) {
    iowa_fixture f;
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
        f.farm_value.inputs.sections[at(c.crop)] = c.sections;
        EXPECT_EQ(f.rate().enterprise.enterprise_discount_ratio[at(c.crop)].to_double(), c.ratio)
            << c.crop << "/" << c.sections;
    }
    // Canola of 9 sections in a county that offers it, at an enterprise base rate
    // of 1.0: a written agreement rate of 1 / 0.9 (widened) on one unit.
    f.add_county(19, 3, "Allamakee", {crop_canola});
    f.farm_value.inputs.county_fips = 3;
    f.farm_value.inputs.sections[at(crop_canola)] = 9;
    f.add_unit(crop_canola, 1, 1, 1000).written_agreement_rate = 1.0 / static_cast<double>(0.9f);
    const farm_rating rating = f.rate();
    EXPECT_EQ(rating.enterprise.enterprise_base_rate[at(crop_canola)].to_text(8), "1.00000000");
    EXPECT_EQ(rating.enterprise.enterprise_discounted_rate[at(crop_canola)].to_double(), 0.5556);
}

TEST(Calculator, EnterpriseAggregatesWeightByAcreShare) {
    iowa_fixture f;
    // Type 998 rates a unit of rate yield 150 at 0.04 + 0.01 = 0.05 (reference
    // yield 150); type 16 has a reference yield of 120 and, without a surcharge
    // row, a rate of 0.
    record_continuous_rates five = rows::rates(19, 1, 2004, 41, 90, 3, 998);
    five.reference_yield = 15000;
    five.reference_rate = 40;
    five.exponent = 1000;
    five.fixed_rate_load = 10;
    for (int i = 0; i < 13; ++i) {
        five.yield[i] = (100 + 10 * i) * 100;
        five.premium[i] = 200;
    }
    five.prior_year_reference_yield = 15000;
    five.prior_year_reference_rate = 100;
    five.prior_year_exponent = 1000;
    f.add_rates(five);
    f.add_iowa_surcharge(65, 1.0f, 998);
    record_continuous_rates twelve = rows::rates(19, 1, 2004, 41, 90, 3, 16);
    twelve.reference_yield = 12000;
    f.add_rates(twelve);

    insurance_unit a = corn_unit(100);
    a.type_code = 998;
    a.aph_yield = 140;
    insurance_unit b = corn_unit(300);
    b.type_code = 16;
    b.written_agreement_rate = 0.09;  // replaces the base rate
    b.aph_yield = 151;
    f.farm_value.inputs.units[at(crop_corn)] = {a, b};

    farm_rating rating = f.rate();
    EXPECT_EQ(rating.unit(crop_corn, 1)->base_rate.to_double(), 0.05);
    EXPECT_EQ(rating.unit(crop_corn, 2)->base_rate.to_double(), 0.0);
    EXPECT_EQ(rating.unit(crop_corn, 2)->reference_yield.to_double(), 120.0);
    // (0.05 * 100 + 0.09 * 300) / 400 = 0.08, times 0.9 (widened).
    EXPECT_EQ(rating.enterprise.enterprise_base_rate[0].to_double(), 0.07199999809265137);
    EXPECT_EQ(rating.enterprise.enterprise_aph_yield_exact[0].to_double(), 148.25);
    EXPECT_EQ(rating.enterprise.enterprise_aph_yield[0].to_double(), 148.3);
    EXPECT_EQ(rating.enterprise.enterprise_reference_yield[0].to_double(), 150.0);

    // No acre-share at all: rates and yields 0, the largest reference yield kept.
    f.farm_value.inputs.units[at(crop_corn)][0].share = 0;
    f.farm_value.inputs.units[at(crop_corn)][1].share = 0;
    rating = f.rate();
    EXPECT_EQ(rating.enterprise.enterprise_base_rate[0].to_double(), 0.0);
    EXPECT_EQ(rating.enterprise.enterprise_aph_yield[0].to_double(), 0.0);
    EXPECT_EQ(rating.enterprise.enterprise_reference_yield[0].to_double(), 150.0);
}

TEST(Calculator, PolynomialTermsAreRoundedAndTheSumCapped) {
    iowa_fixture f;
    record_continuous_rates twelve = rows::rates(19, 1, 2004, 41, 90, 3, 16);
    twelve.reference_yield = 12000;
    f.add_rates(twelve);
    // A written agreement rate of 0.06 is the base rate of every term.
    insurance_unit u = corn_unit();
    u.written_agreement_rate = 0.06;
    u.practice_code = 5;  // no record: no reference yield
    f.farm_value.inputs.units[at(crop_corn)] = {u};
    auto x = [](const std::string& worksheet, int k) { return term_line(worksheet, k).at(1); };

    // Without a reference yield the yield-ratio terms are 0, the others count.
    std::string worksheet = f.worksheet(crop_corn);
    for (int k : {5, 6, 10, 12, 14}) EXPECT_EQ(x(worksheet, k), "0.000000000000") << k;
    EXPECT_EQ(x(worksheet, 4), "0.422500000000");
    // 1/64 + 0.5 * (0.06 * 0.9) + 1/16 * 0.65 = 0.015625 + 0.027 + 0.040625 = 0.08325 -> 0.0833 (4 places)
    EXPECT_EQ(value_of(worksheet, "A2. Premium"), "0.08330000");

    // A reference yield of 120 (type 16) and a rate yield of 150.
    f.farm_value.inputs.units[at(crop_corn)][0].practice_code = 3;
    f.farm_value.inputs.units[at(crop_corn)][0].type_code = 16;
    worksheet = f.worksheet(crop_corn);
    EXPECT_EQ(x(worksheet, 5), "1.250000000000");
    EXPECT_EQ(x(worksheet, 12), text_of(1.25 * 0.65, 12));
    EXPECT_EQ(value_of(worksheet, "A2. Premium"), "0.08330000");

    // A written agreement rate replaces the base rate in every term.
    f.farm_value.inputs.units[at(crop_corn)][0].written_agreement_rate = 3.0;  // 0.015625 + 0.5 * 2.7 + 0.040625 > 0.99
    EXPECT_EQ(value_of(f.worksheet(crop_corn), "A2. Premium"), "0.99000000");
    // Harvest guarantee: the same set, its second column (all b doubled).
    f.farm_value.inputs.units[at(crop_corn)][0].written_agreement_rate = 0.06;
    f.farm_value.inputs.harvest_guarantee[at(crop_corn)] = true;
    EXPECT_EQ(value_of(f.worksheet(crop_corn), "A2. Premium"), "0.16650000");
    // No set for the region: every b value 0.
    f.add_county(19, 3, "Allamakee", {crop_corn}, true);
    f.farm_value.inputs.county_fips = 3;
    worksheet = f.worksheet(crop_corn);
    EXPECT_EQ(value_of(worksheet, "A2. Premium"), "0.00000000");
    for (int k = 0; k < 15; ++k) EXPECT_EQ(term_line(worksheet, k).at(2), "0.000000000000") << k;
    EXPECT_TRUE(f.session().has_b_values(19, crop_corn));
    EXPECT_FALSE(f.session().has_b_values(19, crop_soybeans));
}

TEST(Calculator, BValueLookupStopsAtAnUnusableCropNumber) {
    zelmora::testing::fixture_database fx;
    record_b_value_single_crop_lookup row{};
    row.state_fips = 19;
    row.crop_number = 2;
    row.set_number = 3;
    fx.add<rowset_b_value_single_crop_lookup>(row);
    row.crop_number = 10;
    fx.add<rowset_b_value_single_crop_lookup>(row);
    row.crop_number = 1;
    fx.add<rowset_b_value_single_crop_lookup>(row);

    rating_session session;
    std::string errors;
    std::string read_errors;
    ASSERT_TRUE(session.open(fx.path(), errors, read_errors));
    // Crop number 10 is refused where it is read, and the open says why.
    EXPECT_NE(read_errors.find("ERROR, unusable value in table [B Value Single Crop Lookup], column [Crop Number], "
                               "rowid 2: 10 is not a whole number from 1 to 9\r\n"),
              std::string::npos)
        << read_errors;
    EXPECT_TRUE(session.b_value_set_exists(19, false, 2));   // read before the bad row
    EXPECT_FALSE(session.b_value_set_exists(19, false, 1));  // after it: not read
    EXPECT_NE(errors.find("ERROR, no records in [B Value Single Crop].\r\n"), std::string::npos) << errors;
}

TEST(Calculator, RatesAUnitAndItsEnterpriseUnit) {
    iowa_fixture f;
    farm_inputs& in = f.farm_value.inputs;
    corn_only(f.farm_value);
    in.price[0] = 2.5;
    in.coverage[0] = 75;
    in.coverage_enterprise[0] = 75;
    in.units[0] = {corn_unit()};

    farm_rating rating = f.rate();
    EXPECT_EQ(rating.error_text(), "");
    EXPECT_TRUE(rating.diagnostics.empty());
    const unit_rating& u = *rating.unit(crop_corn, 1);
    ASSERT_TRUE(u.figures);
    EXPECT_EQ(u.reason, "");
    // Rater: yield ratio 150/150 = 1.00; 1^-2 * 0.050 + 0.010 = 0.06 (differential 1);
    // span rate at level 150 is 0.055, times 1.2 = 0.066; prior 0.07 * 1.2 = 0.084. Least: 0.06.
    EXPECT_EQ(u.base_rate.to_double(), 0.06);
    EXPECT_EQ(u.reference_yield.to_double(), 150.0);
    // Guarantee (2.5 * 150) * 0.75 = 281.25. Rate 1/64 + 0.5 * 0.054 + 1/16 * 0.75 = 0.0895.
    // 281.25 * 0.0895 = 25.171875, residual 1.125 -> 28.318359375 -> 28.32;
    // 28.32 * 100 = 2832; subsidy 2832 * 0.55 = 1557.6 -> 1558; producer 1274.
    EXPECT_EQ(u.figures->revenue_guarantee.to_double(), 281.25);
    EXPECT_EQ(u.residual_factor.to_double(), 1.125);
    EXPECT_EQ(u.figures->per_acre_premium.to_double(), 28.32);
    EXPECT_EQ(u.figures->total_premium.to_double(), 2832.0);
    EXPECT_EQ(u.figures->subsidy.to_double(), 1558.0);
    EXPECT_EQ(u.figures->producer_premium.to_double(), 1274.0);

    // Enterprise: base rate 0.06 * 0.8999999761581421, discounted (1 section) to 0.054;
    // rate 0.0895 again; residual (1.125 - 1) / 2 = 0.0625 -> 0.063, so 1.063;
    // 0.0895 * 281.25 * 1.063 = 26.757703125 -> 26.76; 100 acres: 2676;
    // subsidy 2676 * 0.55 = 1471.8 -> 1472; producer 1204.
    const enterprise_results& e = rating.enterprise;
    EXPECT_EQ(e.enterprise_discounted_rate[0].to_double(), 0.054);
    EXPECT_EQ(e.enterprise_revenue_guarantee[0].to_double(), 281.25);
    EXPECT_EQ(e.enterprise_premium_rate[0].to_double(), 0.0895);
    EXPECT_EQ(e.enterprise_residual_factor[0].to_double(), 1.063);
    EXPECT_EQ(e.loaded_enterprise_premium[0].to_double(), 26.76);
    EXPECT_EQ(e.total_loaded_enterprise_premium[0].to_double(), 2676.0);
    EXPECT_EQ(e.enterprise_per_acre_premium[0].to_double(), 26.76);
    EXPECT_EQ(e.enterprise_subsidy[0].to_double(), 1472.0);
    EXPECT_EQ(e.enterprise_producer_premium[0].to_double(), 1204.0);
    const premium_figures enterprise = rating.enterprise_figures(crop_corn);
    EXPECT_EQ(enterprise.total_premium.to_double(), 2676.0);
    EXPECT_EQ(enterprise.producer_premium.to_double(), 1204.0);

    // Whole-farm range: expected revenue 150 * 2.5 * 100 = 37500 over 100 acres.
    const whole_farm_results& w = rating.whole_farm;
    EXPECT_EQ(w.arg_minimum_whole_farm.to_double(), 243.75);
    EXPECT_EQ(w.arg_maximum_whole_farm.to_double(), 0.8500000238418579 * 37500 / 100);
    EXPECT_EQ(w.crop_acre_weight_whole_farm.to_double(), 100.0);
    EXPECT_EQ(w.weighted_aph_yield[0].to_double(), 150.0);
    EXPECT_EQ(w.limit_whole_farm.to_double(), 0.0);  // one crop: no limit

    // An optional unit pays 10 % more before whole dollars; a basic unit of 0 acres pays nothing.
    in.units[0][0].optional_unit = true;
    in.units[0].push_back(corn_unit(0));
    rating = f.rate();
    EXPECT_EQ(rating.unit(crop_corn, 1)->figures->total_premium.to_double(), 3115.0);  // 2832 * 1.1 = 3115.2
    EXPECT_EQ(rating.unit(crop_corn, 2)->figures->total_premium.to_double(), 0.0);
    EXPECT_EQ(rating.unit(crop_corn, 2)->figures->producer_premium.to_double(), 0.0);
}

TEST(Calculator, UnitWithoutRatesHasNoFiguresAndReportsTheKeys) {
    iowa_fixture f;
    insurance_unit u = corn_unit();
    u.practice_code = 2;  // no record
    f.farm_value.inputs.units[at(crop_corn)] = {u};
    const std::string reason =
        "ERROR, no record found in table [Continuous Rates]\r\n"
        "[State FIPS] = 19 AND [County FIPS] = 1 AND [Crop Year] = 2004 AND [Crop Code] = 41 AND "
        "[Insurance Plan ID] = 90 AND [Practice Code] = 2 AND [Type Code] = 997\r\n";

    // A rater that read no record lists nothing of one.
    const std::string worksheet = f.worksheet(crop_corn);
    EXPECT_NE(worksheet.find("Sections Farmed\t1\r\n"
                             "Crop Year\t2004\r\nInsurance Plan ID\t90\r\nReference Yield\t0.000\r\n"
                             "Chosen price election\t0.000\r\nPrior year Ref Yld\t0.000\r\nRef Rate\t0.000\r\n"
                             "Exp\t0.000\r\nPrior Year Fixed Rate Load\t0.000\r\n"
                             "Coverage Level Rate Differential\t0.000\r\n"),
              std::string::npos)
        << worksheet;

    f.farm_value.inputs.units[at(crop_corn)].push_back(corn_unit());
    const farm_rating rating = f.rate();
    const unit_rating& without = *rating.unit(crop_corn, 1);
    EXPECT_FALSE(without.figures);
    EXPECT_EQ(without.reason, reason);
    EXPECT_EQ(without.base_rate.to_double(), 0.0);
    EXPECT_EQ(rating.error_text(), reason);
    // The other unit still rates.
    ASSERT_TRUE(rating.unit(crop_corn, 2)->figures);
    EXPECT_EQ(rating.unit(crop_corn, 2)->base_rate.to_double(), 0.06);
}

// ------------------------------------------------------------------ the continuous rater

TEST(Rater, YieldRatioLimitsAndTheLeastOfThreeRates) {
    iowa_fixture f;
    f.farm_value.inputs.units[at(crop_corn)] = {corn_unit()};
    insurance_unit& unit = f.farm_value.inputs.units[at(crop_corn)][0];
    const struct {
        double rate_yield, ratio;
    } ratios[] = {{180, 1.2}, {300, 1.5}, {60, 0.5}, {150, 1.0}};
    for (const auto& c : ratios) {
        unit.rate_yield = c.rate_yield;
        const std::string worksheet = f.worksheet(crop_corn);
        EXPECT_EQ(worksheet.find("ERROR"), std::string::npos) << worksheet;
        EXPECT_EQ(value_of(worksheet, "4 Current Year's Yield Ratio"), text_of(c.ratio, 8)) << c.rate_yield;
    }
    // 1.2 ^ -2 = 0.69444444 (8 places), * 0.05 = 0.03472222, + 0.01 = 0.04472222.
    unit.rate_yield = 180;
    std::string worksheet = f.worksheet(crop_corn);
    EXPECT_EQ(f.rate().unit(crop_corn, 1)->base_rate.to_double(), 0.04472222);
    EXPECT_EQ(value_of(worksheet, "5 Current Year Uncapped BPR"), "0.045");
    // Span: 180 equals level 180 (rate 0.040) -> 0.040 * 1.2; above every level -> the thirteenth (0.020).
    EXPECT_EQ(value_of(worksheet, "6 Capped Yield Span Base Rate"), text_of(0.04 * 1.2, 8));
    EXPECT_EQ(value_of(worksheet, "11 Base Premium Rate"), "0.04472222");
    unit.rate_yield = 250;
    worksheet = f.worksheet(crop_corn);
    EXPECT_EQ(value_of(worksheet, "6 Capped Yield Span Base Rate"), text_of(0.02 * 1.2, 8));
    EXPECT_EQ(f.rate().unit(crop_corn, 1)->base_rate.to_double(), 0.02 * 1.2);  // the span rate is least here
    EXPECT_EQ(value_of(worksheet, "9 Preliminary Base Rate"), value_of(worksheet, "11 Base Premium Rate"));
}

// The yield ratio divides by the reference yield: a stored 0 is refused, and the
// rating says it could not read.
TEST(Rater, ZeroReferenceYieldIsRefused) {
    for (const char* column : {"Reference Yield", "Prior Year Reference Yield"}) {
        SCOPED_TRACE(column);
        iowa_fixture f;
        f.db.exec(std::string("UPDATE `Continuous Rates` SET `") + column + "` = 0");
        f.farm_value.inputs.units[at(crop_corn)] = {corn_unit()};
        const farm_rating rating = f.rate();
        EXPECT_TRUE(rating.read_failed);
        ASSERT_NE(rating.unit(crop_corn, 1), nullptr);
        EXPECT_FALSE(rating.unit(crop_corn, 1)->figures);
        EXPECT_NE(rating.error_text().find(std::string("column [") + column +
                                           "], rowid 1: 0 is not a whole number from 1 to 10000000 (hundredths)\r\n"),
                  std::string::npos)
            << rating.error_text();
    }
}
