// The rating session on the demo database: its open sequence, and farms as
// values: a copy of the farm rated in a second calculator leaves the first as
// it was, and copy_from copies all but what it keeps.
#include <gtest/gtest.h>

#include <string>

#include "rating/rating_session.h"

using namespace zelmora;

namespace {

// Story County, Iowa: three Corn units and two Soybeans units.
farm story_county_farm(const premium_calculator& defaults) {
    farm f = defaults.current_farm();
    f.state_fips = 19;
    f.inputs.county_fips = 169;
    auto unit = [](double acres, double aph, double rate, bool optional) {
        insurance_unit u;
        u.acres = acres;
        u.aph_yield = aph;
        u.rate_yield = rate;
        u.share = 1.0;
        u.practice_code = 3;
        u.optional_unit = optional;
        return u;
    };
    f.inputs.units[crop_corn - 1] = {unit(320, 165, 160, false), unit(160, 152, 150, true), unit(80, 171, 168, true)};
    f.inputs.units[crop_soybeans - 1] = {unit(240, 48, 47, false), unit(120, 44, 45, true)};
    f.inputs.coverage[crop_corn - 1] = 75;
    f.inputs.coverage_enterprise[crop_corn - 1] = 80;
    f.inputs.coverage[crop_soybeans - 1] = 70;
    f.inputs.coverage_whole_farm = 75;
    return f;
}

// Every figure the pages show for the farm: each unit, each enterprise unit, the whole farm.
std::vector<premium_figures> shown_figures(premium_calculator& calc, rating_session& session) {
    std::string errors;
    calc.compute_all(*session.surcharges, errors);
    std::vector<premium_figures> figures;
    for (int crop = 1; crop <= crop_count; ++crop) {
        for (insurance_unit& unit : calc.units[static_cast<std::size_t>(crop - 1)])
            if (unit.compute(crop, calc, *session.continuous_rater, session.database.get(), *session.surcharges,
                             errors))
                figures.push_back(unit.figures());
        figures.push_back(calc.enterprise_figures(crop));
    }
    figures.push_back(calc.whole_farm_figures());
    return figures;
}

bool same_figures(const std::vector<premium_figures>& a, const std::vector<premium_figures>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].revenue_guarantee != b[i].revenue_guarantee || a[i].per_acre_premium != b[i].per_acre_premium ||
            a[i].total_premium != b[i].total_premium || a[i].subsidy != b[i].subsidy ||
            a[i].producer_premium != b[i].producer_premium)
            return false;
    }
    return true;
}

class RatingSession : public ::testing::Test {
protected:
    void SetUp() override {
        memory_settings_store empty;
        ASSERT_TRUE(session_.open(ZELMORA_DEMO_DATABASE, empty, errors_)) << errors_;
        std::string load_errors;
        session_.calculator->load_farm(story_county_farm(*session_.calculator), load_errors);
        ASSERT_EQ(load_errors, "");
    }

    rating_session session_;
    std::string errors_;
};

TEST_F(RatingSession, OpensEveryPartOfTheSequenceOnTheDemoDatabase) {
    EXPECT_EQ(errors_, "");
    EXPECT_TRUE(session_.is_open());
    ASSERT_NE(session_.continuous_rater, nullptr);
    ASSERT_NE(session_.calculator, nullptr);
    EXPECT_NE(session_.surcharges, nullptr);
    EXPECT_NE(session_.practice_codes, nullptr);
    EXPECT_NE(session_.type_codes, nullptr);
    EXPECT_EQ(session_.calculator->database, session_.database.get());
    EXPECT_EQ(session_.calculator->rater, session_.continuous_rater.get());
    EXPECT_TRUE(session_.calculator->has_b_values(crop_corn));
}

TEST(RatingSessionOpen, AMissingDatabaseCreatesNothingAndSaysWhy) {
    rating_session session;
    memory_settings_store empty;
    std::string errors;
    EXPECT_FALSE(session.open("/nonexistent/folder/none.sqlite", empty, errors));
    EXPECT_EQ(errors.rfind("ERROR, unable to open database", 0), 0u) << errors;
    EXPECT_FALSE(session.is_open());
    EXPECT_EQ(session.continuous_rater, nullptr);
    EXPECT_EQ(session.calculator, nullptr);
    EXPECT_EQ(session.surcharges, nullptr);
}

TEST_F(RatingSession, ACopyOfTheFarmRatesLikeTheOriginal) {
    premium_calculator& original = *session_.calculator;
    std::string errors;
    const auto copy = session_.calculator_for(original.current_farm(), errors);
    EXPECT_EQ(errors, "");
    const auto expected = shown_figures(original, session_);
    ASSERT_GT(expected.front().total_premium, 0.0);
    EXPECT_TRUE(same_figures(shown_figures(*copy, session_), expected));
}

TEST_F(RatingSession, ACopyRatedAtAnotherCoverageLevelLeavesTheOriginalUnchanged) {
    premium_calculator& original = *session_.calculator;
    const auto before = shown_figures(original, session_);

    std::string errors;
    farm higher = original.current_farm();
    higher.inputs.coverage.fill(85);
    higher.inputs.coverage_enterprise.fill(85);
    higher.inputs.coverage_whole_farm = 85;
    const auto copy = session_.calculator_for(higher, errors);
    const auto at_85 = shown_figures(*copy, session_);

    EXPECT_FALSE(same_figures(at_85, before));
    EXPECT_GT(at_85.back().revenue_guarantee, before.back().revenue_guarantee);
    EXPECT_EQ(original.coverage[crop_corn - 1], 75);
    EXPECT_EQ(original.coverage_whole_farm, 75);
    // The original's stored results and its units' results are as they were.
    const premium_figures whole_farm = original.whole_farm_figures();
    EXPECT_EQ(whole_farm.total_premium, before.back().total_premium);
    EXPECT_EQ(whole_farm.revenue_guarantee, before.back().revenue_guarantee);
    EXPECT_EQ(original.units[crop_corn - 1][0].figures().total_premium, before.front().total_premium);
    EXPECT_TRUE(same_figures(shown_figures(original, session_), before));
}

TEST_F(RatingSession, CopyFromCopiesAllButTheMaltingBarleyOptionAndTheFiguresEachComputationForms) {
    premium_calculator& original = *session_.calculator;
    shown_figures(original, session_);
    original.malting_barley_option = 1;

    std::string errors;
    premium_calculator copy(session_.database.get(), session_.continuous_rater.get(), errors);
    copy.per_acre_premium_whole_farm = 12.5;
    copy.liability_per_acre[crop_corn - 1] = 7.0;
    copy.copy_from(original, errors);

    EXPECT_EQ(copy.state_fips(), 19);
    EXPECT_EQ(copy.county_fips, 169);
    EXPECT_TRUE(copy.crop_selected(crop_corn));  // the county list of the new state is read
    EXPECT_EQ(copy.units[crop_corn - 1].size(), 3u);
    EXPECT_EQ(copy.units[crop_corn - 1][1].figures().total_premium,
              original.units[crop_corn - 1][1].figures().total_premium);
    EXPECT_EQ(copy.coverage_enterprise, original.coverage_enterprise);
    EXPECT_EQ(copy.b_value_set, original.b_value_set);
    EXPECT_EQ(copy.total_loaded_enterprise_premium, original.total_loaded_enterprise_premium);
    EXPECT_EQ(copy.total_premium_whole_farm, original.total_premium_whole_farm);
    EXPECT_EQ(copy.percent_liability, original.percent_liability);
    EXPECT_EQ(copy.limit_applied_whole_farm, original.limit_applied_whole_farm);
    // Kept from before the copy.
    EXPECT_EQ(copy.malting_barley_option, 2);
    EXPECT_EQ(copy.per_acre_premium_whole_farm, 12.5);
    EXPECT_EQ(copy.liability_per_acre[crop_corn - 1], 7.0);
}

}  // namespace
