// The rating session: its open sequence on the demo database, farms as
// values rated through one call (a copy of a farm rates like it, a unit
// without a rate is reported with its reason and changes no other unit's
// figures), and the tables and records it keeps until the database changes.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "rating/rating_session.h"
#include "rating_fixture.h"

using namespace zelmora;
using zelmora::testing::at;
using zelmora::testing::rating_fixture;
namespace rows = zelmora::testing::rows;

namespace {

insurance_unit unit_of(double acres, double aph, double rate, bool optional) {
    insurance_unit u;
    u.acres = acres;
    u.aph_yield = aph;
    u.rate_yield = rate;
    u.share = 1.0;
    u.practice_code = 3;
    u.optional_unit = optional;
    return u;
}

// Story County, Iowa: three Corn units and two Soybeans units.
farm story_county_farm() {
    farm f = default_farm();
    f.state_fips = 19;
    f.inputs.county_fips = 169;
    f.inputs.units[at(crop_corn)] = {unit_of(320, 165, 160, false), unit_of(160, 152, 150, true),
                                     unit_of(80, 171, 168, true)};
    f.inputs.units[at(crop_soybeans)] = {unit_of(240, 48, 47, false), unit_of(120, 44, 45, true)};
    f.inputs.coverage[at(crop_corn)] = 75;
    f.inputs.coverage_enterprise[at(crop_corn)] = 80;
    f.inputs.coverage[at(crop_soybeans)] = 70;
    f.inputs.coverage_whole_farm = 75;
    return f;
}

bool same(const premium_figures& a, const premium_figures& b) {
    return a.revenue_guarantee == b.revenue_guarantee && a.per_acre_premium == b.per_acre_premium &&
           a.total_premium == b.total_premium && a.subsidy == b.subsidy && a.producer_premium == b.producer_premium;
}

// Every figure the pages show for the farm: each rated unit, each enterprise unit, the whole farm.
std::vector<premium_figures> shown_figures(const farm_rating& rating) {
    std::vector<premium_figures> figures;
    for (int crop = 1; crop <= crop_count; ++crop) {
        for (const unit_rating& unit : rating.units[at(crop)])
            if (unit.figures) figures.push_back(*unit.figures);
        figures.push_back(rating.enterprise_figures(crop));
    }
    figures.push_back(rating.whole_farm_figures());
    return figures;
}

bool same_figures(const std::vector<premium_figures>& a, const std::vector<premium_figures>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!same(a[i], b[i])) return false;
    return true;
}

class RatingSession : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(session_.open(ZELMORA_DEMO_DATABASE, errors_)) << errors_; }

    rating_session session_;
    std::string errors_;
};

}  // namespace

TEST_F(RatingSession, OpensEveryPartOfTheSequenceOnTheDemoDatabase) {
    EXPECT_EQ(errors_, "");
    EXPECT_TRUE(session_.is_open());
    EXPECT_EQ(session_.path(), ZELMORA_DEMO_DATABASE);
    EXPECT_FALSE(session_.practice_codes().empty());
    EXPECT_FALSE(session_.type_codes().empty());
    EXPECT_TRUE(session_.has_b_values(19, crop_corn));
    EXPECT_GT(session_.state(19).county_count(), 0);
    EXPECT_EQ(session_.load_errors(story_county_farm()), "");
}

TEST(RatingSessionOpen, AMissingDatabaseCreatesNothingAndSaysWhy) {
    rating_session session;
    std::string errors;
    const std::string path = "/nonexistent/folder/none.sqlite";
    EXPECT_FALSE(session.open(path, errors));
    EXPECT_EQ(errors.rfind("ERROR, unable to open database", 0), 0u) << errors;
    EXPECT_FALSE(session.is_open());
    EXPECT_FALSE(std::filesystem::exists(path));
    // Nothing to rate with: a rating of nothing.
    const farm_rating rating = session.rate(story_county_farm());
    for (const auto& units : rating.units) EXPECT_TRUE(units.empty());
}

TEST_F(RatingSession, ACopyOfTheFarmRatesLikeTheOriginal) {
    const farm original = story_county_farm();
    const farm copy = original;
    EXPECT_TRUE(copy == original);
    const farm_rating rating = session_.rate(original);
    EXPECT_EQ(rating.error_text(), "");
    const auto expected = shown_figures(rating);
    ASSERT_GT(expected.front().total_premium, 0.0);
    EXPECT_TRUE(same_figures(shown_figures(session_.rate(copy)), expected));
    EXPECT_TRUE(same_figures(shown_figures(session_.rate(original)), expected));  // and again

    farm other = copy;
    other.inputs.malting_barley_option = 1;
    EXPECT_FALSE(other == original);
}

TEST_F(RatingSession, ACopyRatedAtAnotherCoverageLevelLeavesTheOriginalUnchanged) {
    const farm original = story_county_farm();
    const auto before = shown_figures(session_.rate(original));

    farm higher = original;
    higher.inputs.coverage.fill(85);
    higher.inputs.coverage_enterprise.fill(85);
    higher.inputs.coverage_whole_farm = 85;
    const auto at_85 = shown_figures(session_.rate(higher));

    EXPECT_FALSE(same_figures(at_85, before));
    EXPECT_GT(at_85.back().revenue_guarantee, before.back().revenue_guarantee);
    EXPECT_EQ(original.inputs.coverage[at(crop_corn)], 75);
    EXPECT_EQ(original.inputs.coverage_whole_farm, 75);
    EXPECT_TRUE(same_figures(shown_figures(session_.rate(original)), before));
}

// A unit the rater has no rate for (a type the county has no rates of) has no
// figures and says why, in the unit and among the rating's diagnostics; every
// other unit rates as it does when that unit is absent.
TEST_F(RatingSession, AUnitWithoutARateIsReportedWithItsReasonAndTheOthersRateAsWithoutIt) {
    const farm without = story_county_farm();
    farm with = without;
    insurance_unit unrated = unit_of(200, 160, 160, false);
    unrated.type_code = 999;
    auto& corn = with.inputs.units[at(crop_corn)];
    corn.insert(corn.begin() + 1, unrated);

    const farm_rating before = session_.rate(without);
    const farm_rating after = session_.rate(with);

    const std::string reason =
        "ERROR, no record found in table [Continuous Rates]\r\n"
        "[State FIPS] = 19 AND [County FIPS] = 169 AND [Crop Year] = 2004 AND [Crop Code] = 41 AND "
        "[Insurance Plan ID] = 90 AND [Practice Code] = 3 AND [Type Code] = 999\r\n";
    const unit_rating* second = after.unit(crop_corn, 2);
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(second->figures);
    EXPECT_EQ(second->reason, reason);
    EXPECT_EQ(second->base_rate.to_double(), 0.0);
    ASSERT_EQ(after.diagnostics.size(), 1u);
    EXPECT_EQ(after.diagnostics[0].level, diagnostic::severity::error);
    EXPECT_EQ(after.diagnostics[0].where, "Corn unit 2");
    EXPECT_EQ(after.diagnostics[0].text, reason);
    EXPECT_EQ(after.error_text(), reason);
    EXPECT_FALSE(after.read_failed);
    EXPECT_TRUE(before.diagnostics.empty());

    // Every other unit: the same figures, base rate and reference yield.
    ASSERT_EQ(after.units[at(crop_corn)].size(), 4u);
    const std::size_t corn_positions[] = {0, 2, 3};  // of the three units without it: 0, 1, 2
    for (std::size_t n = 0; n < 3; ++n) {
        const unit_rating& was = before.units[at(crop_corn)][n];
        const unit_rating& is = after.units[at(crop_corn)][corn_positions[n]];
        ASSERT_TRUE(was.figures && is.figures) << n;
        EXPECT_TRUE(same(*is.figures, *was.figures)) << n;
        EXPECT_EQ(is.base_rate, was.base_rate) << n;
        EXPECT_EQ(is.reference_yield, was.reference_yield) << n;
        EXPECT_EQ(is.reason, "");
    }
    ASSERT_EQ(after.units[at(crop_soybeans)].size(), 2u);
    for (std::size_t n = 0; n < 2; ++n)
        EXPECT_TRUE(same(*after.units[at(crop_soybeans)][n].figures, *before.units[at(crop_soybeans)][n].figures));
    EXPECT_TRUE(same(after.enterprise_figures(crop_soybeans), before.enterprise_figures(crop_soybeans)));
    // The unit's acres still count in the engine's enterprise figures (the
    // worksheets print them), but neither the crop's enterprise unit nor the
    // whole-farm unit is given as if complete: each says which unit it misses.
    EXPECT_GT(after.enterprise_figures(crop_corn).total_premium, before.enterprise_figures(crop_corn).total_premium);
    const std::string missing = "Corn unit 2: no rate for type 999 and practice 3 in this county";
    EXPECT_EQ(second->why_not_rated, "no rate for type 999 and practice 3 in this county");
    EXPECT_EQ(after.enterprise_reason[at(crop_corn)], missing);
    EXPECT_FALSE(after.complete_enterprise_figures(crop_corn));
    EXPECT_EQ(after.whole_farm_reason, missing);
    EXPECT_FALSE(after.complete_whole_farm_figures());
    EXPECT_EQ(after.unrated_units(), std::vector<std::string>{missing});
    ASSERT_TRUE(after.complete_enterprise_figures(crop_soybeans));
    EXPECT_TRUE(same(*after.complete_enterprise_figures(crop_soybeans), before.enterprise_figures(crop_soybeans)));
    ASSERT_TRUE(before.complete_whole_farm_figures());
    EXPECT_TRUE(before.unrated_units().empty());

    // A crop the farm does not insure here does not hold up the others.
    with.inputs.indicated[at(crop_corn)] = false;
    const farm_rating corn_off = session_.rate(with);
    EXPECT_TRUE(corn_off.unrated_units().empty());
    EXPECT_EQ(corn_off.whole_farm_reason, "");
}

// Far outside the yields the county's rates were fitted over, the premium
// formulas give rates below zero: such a unit, enterprise unit or whole-farm
// unit has a reason instead of figures, and nothing shown is ever negative.
TEST_F(RatingSession, YieldsFarOutsideTheCountysRatesAreRefusedAndNoFigureIsNegative) {
    struct refusal {
        double rate_yield, aph_yield;
        const char* unit_reason;        // of Corn unit 1
        const char* enterprise_reason;  // of the Corn enterprise unit
    };
    const refusal cases[] = {
        {160, 165, "", ""},
        {2000, 165, "rate yield 2000 is more than 3 times the county's reference yield 180",
         "Corn unit 1: rate yield 2000 is more than 3 times the county's reference yield 180"},
        {40, 165, "rate yield 40 is less than a quarter of the county's reference yield 180",
         "Corn unit 1: rate yield 40 is less than a quarter of the county's reference yield 180"},
        {160, 4000, "", "Corn enterprise unit: APH yield 2353.6 is more than 3 times the county's reference yield 180"},
    };
    for (const refusal& c : cases) {
        SCOPED_TRACE(c.rate_yield);
        farm f = story_county_farm();
        f.inputs.units[at(crop_corn)][0].rate_yield = c.rate_yield;
        f.inputs.units[at(crop_corn)][0].aph_yield = c.aph_yield;
        const farm_rating rating = session_.rate(f);
        const unit_rating& unit = *rating.unit(crop_corn, 1);
        EXPECT_EQ(unit.figures.has_value(), *c.unit_reason == '\0');
        EXPECT_EQ(unit.why_not_rated, c.unit_reason);
        EXPECT_EQ(rating.enterprise_reason[at(crop_corn)], c.enterprise_reason);
        EXPECT_EQ(rating.whole_farm_reason, c.enterprise_reason);
        EXPECT_EQ(rating.complete_whole_farm_figures().has_value(), *c.enterprise_reason == '\0');
        if (*c.enterprise_reason != '\0') {
            EXPECT_EQ(rating.unrated_units(), std::vector<std::string>{c.enterprise_reason});
        }
        // Every figure a caller may show.
        std::vector<premium_figures> shown;
        for (int crop = 1; crop <= crop_count; ++crop) {
            for (const unit_rating& u : rating.units[at(crop)])
                if (u.figures) shown.push_back(*u.figures);
            if (const auto enterprise = rating.complete_enterprise_figures(crop)) shown.push_back(*enterprise);
        }
        if (const auto whole = rating.complete_whole_farm_figures()) shown.push_back(*whole);
        for (const premium_figures& figures : shown) {
            for (const exact_decimal& figure : {figures.revenue_guarantee, figures.per_acre_premium,
                                                figures.total_premium, figures.subsidy, figures.producer_premium})
                EXPECT_FALSE(std::signbit(figure.to_double()));
        }
    }
}

TEST_F(RatingSession, AFarmInACountyTheRatingDataDoesNotListIsRefusedWithItsReason) {
    farm f = story_county_farm();
    EXPECT_EQ(session_.farm_refusal(f), "");
    f.inputs.county_fips = 999;
    EXPECT_EQ(session_.farm_refusal(f), "County FIPS 999 is not a county of Iowa in the rating database");
    f.state_fips = 98;
    EXPECT_EQ(session_.farm_refusal(f), "County FIPS 999 is not a county of state 98 in the rating database");
}

namespace {

// Iowa, county 1, Corn offered, with a record of practice 3, type 997 that
// rates a unit of rate yield 150 at 0.05 + 0.01 = 0.06: reference yield 150,
// rate 0.050, exponent -2.0, load 0.010; yield span rates 0.080, 0.075, ...
// (0.055 at 150, times 1.2: 0.066); prior rate 0.060 (0.07 times 1.2: 0.084);
// a 65% surcharge row with differentials 1.
struct one_record_fixture : rating_fixture {
    one_record_fixture() {
        in_county(19);
        add_county(19, 1, "Adair", {crop_corn});
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
        add_surcharge(rows::surcharge(65, 41, 19, 1, 2004, 3, 997, 1.0f, 1.0f, 1.0f, 1.0f));
        // Two units of the same keys.
        for (int n = 0; n < 2; ++n) {
            insurance_unit& unit = add_unit(crop_corn, 100, 1, 150);
            unit.rate_yield = 150;
            unit.practice_code = 3;
        }
    }
    long record_reads() { return session().activity().record_reads; }
    double base_rate(const farm_rating& rating, int unit = 1) { return rating.unit(crop_corn, unit)->base_rate.to_double(); }
};

}  // namespace

// A session keeps the records it read while the database stays as it was, and
// sees a change the moment another connection (or its own) commits it.
TEST(RatingSessionRecords, ARatingSeesWhatAnotherConnectionCommits) {
    one_record_fixture f;
    farm_rating rating = f.rate();
    EXPECT_EQ(f.base_rate(rating, 1), 0.06);
    EXPECT_EQ(f.base_rate(rating, 2), 0.06);
    EXPECT_EQ(f.record_reads(), 1);  // one record for both units

    // Nothing changed: the record is not read again.
    rating = f.rate();
    EXPECT_EQ(f.base_rate(rating), 0.06);
    EXPECT_EQ(f.record_reads(), 1);

    // Another connection (the fixture's own) rewrites the record: 1^-2 * 0.040 + 0.010 = 0.05.
    f.db.exec("UPDATE `Continuous Rates` SET `Reference Rate` = 40");
    rating = f.rate();
    EXPECT_EQ(f.base_rate(rating), 0.05);
    EXPECT_EQ(f.record_reads(), 2);
    rating = f.rate();
    EXPECT_EQ(f.base_rate(rating), 0.05);
    EXPECT_EQ(f.record_reads(), 2);

    // A rewrite on the session's own connection counts as well: 0.030 + 0.010.
    ASSERT_EQ(f.session().database().execute_statement("UPDATE `Continuous Rates` SET `Reference Rate` = 30"), 0);
    EXPECT_EQ(f.base_rate(f.rate()), 0.04);
    EXPECT_EQ(f.record_reads(), 3);
    EXPECT_EQ(f.session().activity().ratings, 5);
}

// A record that is missing is kept with its text like one that was found, and
// the rating says the same until the database changes; a read that failed is
// no answer to keep: the next rating tries again.
TEST(RatingSessionRecords, AMissingRecordIsKeptWithItsTextUntilTheDatabaseChanges) {
    one_record_fixture f;
    f.farm_value.inputs.units[at(crop_corn)].resize(1);
    f.farm_value.inputs.units[at(crop_corn)][0].practice_code = 2;
    const std::string no_record =
        "ERROR, no record found in table [Continuous Rates]\r\n"
        "[State FIPS] = 19 AND [County FIPS] = 1 AND [Crop Year] = 2004 AND [Crop Code] = 41 AND "
        "[Insurance Plan ID] = 90 AND [Practice Code] = 2 AND [Type Code] = 997\r\n";

    for (int n = 0; n < 2; ++n) {
        const farm_rating rating = f.rate();
        EXPECT_FALSE(rating.unit(crop_corn, 1)->figures);
        EXPECT_EQ(rating.unit(crop_corn, 1)->reason, no_record);
        EXPECT_FALSE(rating.read_failed);
    }
    EXPECT_EQ(f.record_reads(), 1);

    // Mended by another connection: the next rating finds it.
    f.db.exec("UPDATE `Continuous Rates` SET `Practice Code` = 2");
    f.db.exec("UPDATE `Endogenous Risk Surcharge` SET `Practice Code` = 2");
    farm_rating rating = f.rate();
    ASSERT_TRUE(rating.unit(crop_corn, 1)->figures) << rating.unit(crop_corn, 1)->reason;
    EXPECT_EQ(f.record_reads(), 2);

    // The table is gone: the rating says it could not read it and keeps
    // nothing, so the next rating reads again.
    f.db.exec("ALTER TABLE `Continuous Rates` RENAME TO `Gone`");
    for (long reads = 3; reads <= 4; ++reads) {
        rating = f.rate();
        EXPECT_FALSE(rating.unit(crop_corn, 1)->figures);
        EXPECT_TRUE(rating.read_failed);
        ASSERT_FALSE(rating.diagnostics.empty());
        EXPECT_EQ(rating.diagnostics.back().where, "database");
        EXPECT_EQ(rating.diagnostics.back().text.rfind("ERROR, unable to read table [Continuous Rates]\r\n", 0), 0u)
            << rating.diagnostics.back().text;
        EXPECT_EQ(f.record_reads(), reads);
    }
    f.db.exec("ALTER TABLE `Gone` RENAME TO `Continuous Rates`");
    rating = f.rate();
    EXPECT_TRUE(rating.unit(crop_corn, 1)->figures) << rating.unit(crop_corn, 1)->reason;
    EXPECT_FALSE(rating.read_failed);

}

// The rate differentials come from the county's 65 % surcharge row: a unit whose
// row is missing has no figures (its rate would be a fraction of the true one),
// and the farm's enterprise figures say so.
TEST(RatingSessionRecords, AUnitWithoutIts65PercentSurchargeRowIsNotRated) {
    one_record_fixture f;
    ASSERT_TRUE(f.rate().unit(crop_corn, 1)->figures);
    f.db.exec("DELETE FROM `Endogenous Risk Surcharge`");
    const farm_rating rating = f.rate();
    const unit_rating* unit = rating.unit(crop_corn, 1);
    EXPECT_FALSE(unit->figures);
    EXPECT_EQ(unit->why_not_rated, "no 65% surcharge row for type 997 and practice 3 in this county");
    EXPECT_FALSE(rating.complete_enterprise_figures(crop_corn));
    EXPECT_EQ(rating.unrated_units().size(), 2u);
}
