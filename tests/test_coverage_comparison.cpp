// The coverage comparison on the example farms: each figure equals rating a
// copy of the farm with that one level set; structures not offered are absent;
// the farm totals of the units; what the `compare` command prints is the
// library's text.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "rating/coverage_comparison.h"
#include "rating/farm.h"
#include "rating/farm_file.h"
#include "rating/rating_session.h"

using namespace zelmora;

namespace {

// An example farm as the command line reads it, and a session on the demo database.
struct opened_farm {
    rating_session ratings;
    farm f;
};

std::unique_ptr<opened_farm> open_example(const std::string& name) {
    auto opened = std::make_unique<opened_farm>();
    memory_settings_store inputs;
    std::string error;
    if (!read_farm_file(std::string(ZELMORA_SOURCE_DIR) + "/examples/" + name, inputs, error)) {
        ADD_FAILURE() << error;
        return nullptr;
    }
    opened->f = read_farm(inputs);
    if (!opened->ratings.open(ZELMORA_DEMO_DATABASE, error)) {
        ADD_FAILURE() << error;
        return nullptr;
    }
    return opened;
}

// A copy of the farm with one change, rated on its own.
template <typename Change>
farm_rating rated_copy(const opened_farm& opened, farm& copy, Change change) {
    copy = opened.f;
    change(copy.inputs);
    return opened.ratings.rate(copy);
}

exact_decimal crop_acres(const farm& f, int c) {
    exact_decimal acres = 0.0;
    for (const insurance_unit& u : f.inputs.units[c - 1]) acres += u.acres * u.share;
    return acres;
}

class Comparison : public ::testing::TestWithParam<const char*> {};

TEST_P(Comparison, EachCellIsACopyOfTheFarmRatedWithThatLevel) {
    const auto example = open_example(GetParam());
    ASSERT_TRUE(example);
    const std::vector<comparison_table> tables = compare_coverage(example->ratings, example->f);
    ASSERT_GE(tables.size(), 2u);
    EXPECT_EQ(tables.back().crop_number, 0);

    int cells = 0;
    farm copy;
    for (const comparison_table& table : tables) {
        for (const comparison_row& row : table.rows) {
            const int level = row.coverage_level;
            SCOPED_TRACE(comparison_title(table) + " at " + std::to_string(level));
            if (table.crop_number != 0) {
                const int c = table.crop_number;
                const farm_rating units = rated_copy(*example, copy, [&](farm_inputs& in) { in.coverage[c - 1] = level; });
                const unit_totals sums = unit_totals_of(copy, units).crops[c - 1];
                const comparison_cell& u = row.cell(unit_structure::units_as_entered);
                ASSERT_TRUE(u.offered);
                EXPECT_EQ(u.guarantee, sums.guarantee);
                EXPECT_EQ(u.producer_premium, sums.producer_premium);

                const farm_rating enterprise =
                    rated_copy(*example, copy, [&](farm_inputs& in) { in.coverage_enterprise[c - 1] = level; });
                const comparison_cell& e = row.cell(unit_structure::enterprise_unit);
                ASSERT_TRUE(e.offered);
                exact_decimal guarantee = enterprise.enterprise.enterprise_revenue_guarantee[c - 1] * crop_acres(copy, c);
                EXPECT_EQ(e.guarantee, guarantee.round_to(0));
                EXPECT_EQ(e.producer_premium, enterprise.enterprise.enterprise_producer_premium[c - 1]);
                EXPECT_FALSE(row.cell(unit_structure::whole_farm_unit).offered);
                cells += 2;
            } else if (row.cell(unit_structure::whole_farm_unit).offered) {
                // The whole-farm unit, and the crops outside it under their units as
                // entered: the same crops and acres as the farm's other structures.
                const farm_rating whole = rated_copy(*example, copy, [&](farm_inputs& in) { in.coverage_whole_farm = level; });
                const comparison_cell& w = row.cell(unit_structure::whole_farm_unit);
                exact_decimal guarantee =
                    whole.whole_farm.revenue_guarantee_whole_farm * whole.whole_farm.crop_acre_weight_whole_farm;
                guarantee.round_to(0);
                exact_decimal premium = whole.whole_farm.producer_premium_whole_farm;
                const farm_rating units = rated_copy(*example, copy, [&](farm_inputs& in) { in.coverage.fill(level); });
                const farm_unit_totals sums = unit_totals_of(copy, units);
                for (const int c : table.outside_whole_farm) {
                    EXPECT_FALSE(whole.in_whole_farm[c - 1]);
                    guarantee += sums.crops[c - 1].guarantee;
                    premium += sums.crops[c - 1].producer_premium;
                }
                EXPECT_EQ(w.guarantee, guarantee);
                EXPECT_EQ(w.producer_premium, premium);
                ++cells;
            }
        }
    }
    EXPECT_GT(cells, 10);
    if (std::string(GetParam()) == "iowa-farm.ini") {  // Winter Wheat is outside its whole-farm unit
        EXPECT_EQ(tables.back().outside_whole_farm, std::vector<int>{crop_winter_wheat});
        EXPECT_EQ(outside_whole_farm_note(tables.back()),
                  "Whole-farm unit: Winter Wheat is outside it and counted under its units as entered.");
    }
    // Given the farm's own rating, the comparison is the same.
    const auto given = compare_coverage(example->ratings, example->f, example->ratings.rate(example->f));
    EXPECT_EQ(comparison_tsv(given), comparison_tsv(tables));
}

TEST_P(Comparison, LevelsAndStructuresNotOfferedAreAbsent) {
    const auto example = open_example(GetParam());
    ASSERT_TRUE(example);
    const farm& f = example->f;
    const std::vector<comparison_table> tables = compare_coverage(example->ratings, f);
    const state_record& state = example->ratings.state(f.state_fips);
    bool every_crop_high = true;
    for (const comparison_table& table : tables) {
        if (table.crop_number == 0) continue;
        const bool high = state.offers_high_coverage(f.inputs.county_fips, table.crop_number);
        every_crop_high = every_crop_high && high;
        ASSERT_EQ(table.rows.size(), high ? 5u : 3u) << comparison_title(table);
        EXPECT_FALSE(table.offers(unit_structure::whole_farm_unit));
    }
    const comparison_table& farm_table = tables.back();
    for (const comparison_row& row : farm_table.rows) {
        if (row.coverage_level < 80) continue;
        EXPECT_EQ(row.cell(unit_structure::units_as_entered).offered, every_crop_high);
    }

    // A farm of one crop has no whole-farm unit at any level.
    farm one_crop = f;
    const int kept = tables.front().crop_number;
    for (int c = 1; c <= crop_count; ++c)
        if (c != kept) one_crop.inputs.indicated[c - 1] = false;
    const auto single = compare_coverage(example->ratings, one_crop);
    ASSERT_EQ(single.size(), 2u);
    EXPECT_FALSE(single.back().offers(unit_structure::whole_farm_unit));
    EXPECT_TRUE(single.back().offers(unit_structure::enterprise_unit));
}

INSTANTIATE_TEST_SUITE_P(Examples, Comparison,
                         ::testing::Values("iowa-farm.ini", "arkansas-farm.ini", "north-dakota-farm.ini"));

TEST(ComparisonFigures, StepsPerThousandAndTheCheapestMark) {
    const auto example = open_example("iowa-farm.ini");
    ASSERT_TRUE(example);
    const auto tables = compare_coverage(example->ratings, example->f);
    for (const comparison_table& table : tables) {
        for (std::size_t s = 0; s < unit_structure_count; ++s) {
            const comparison_cell* previous = nullptr;
            for (const comparison_row& row : table.rows) {
                const comparison_cell& cell = row.cells[s];
                if (!cell.offered) continue;
                EXPECT_EQ(cell.has_step, previous != nullptr);
                if (previous) {
                    exact_decimal step = (cell.producer_premium - previous->producer_premium) /
                                         (cell.guarantee - previous->guarantee);
                    EXPECT_EQ(cell.added_premium_per_added_dollar, step.round_to(4));
                }
                exact_decimal per_1000 = cell.producer_premium / cell.guarantee * 1000.0;
                EXPECT_EQ(cell.premium_per_1000, per_1000.round_to(2));
                previous = &cell;
            }
        }
        for (const comparison_row& row : table.rows) {
            int marked = 0;
            for (const comparison_cell& cell : row.cells) {
                if (!cell.cheapest) continue;
                ++marked;
                for (const comparison_cell& other : row.cells) {
                    if (!other.offered) continue;
                    EXPECT_LE(cell.producer_premium, other.producer_premium);
                }
            }
            EXPECT_GE(marked, 1);
        }
    }
}

TEST(ComparisonFigures, FarmTotalsAreTheSumsOfTheRatedUnits) {
    const auto example = open_example("iowa-farm.ini");
    ASSERT_TRUE(example);
    const farm_rating rating = example->ratings.rate(example->f);
    const farm_unit_totals totals = unit_totals_of(example->f, rating);
    exact_decimal premium = 0.0, subsidy = 0.0;
    for (int c = 1; c <= crop_count; ++c) {
        if (!rating.selected[c - 1]) continue;
        for (const unit_rating& u : rating.units[c - 1]) {
            ASSERT_TRUE(u.figures) << u.reason;
            premium += u.figures->total_premium;
            subsidy += u.figures->subsidy;
        }
    }
    EXPECT_GT(totals.farm.total_premium, 0.0);
    EXPECT_EQ(totals.farm.total_premium, premium);
    EXPECT_EQ(totals.farm.subsidy, subsidy);
    EXPECT_EQ(totals.farm.producer_premium, premium - subsidy);
}

// The standard output recorded in a golden case's expected file.
std::string golden_stdout(const std::string& name) {
    std::ifstream in(std::string(ZELMORA_SOURCE_DIR) + "/tests/golden/expected/" + name + ".txt", std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    const std::string text = content.str();
    const std::string head = "--- exit 0\n--- stdout\n";
    const std::size_t end = text.rfind("--- stderr\n");
    if (text.rfind(head, 0) != 0 || end == std::string::npos) return "unreadable expected file " + name;
    return text.substr(head.size(), end - head.size());
}

// The golden cases pin what `zelmora-cli compare` prints for the examples; it
// is the library's text, byte for byte.
TEST(ComparisonFigures, TheCompareCommandPrintsTheLibrarysTexts) {
    const struct {
        const char* example;
        const char* golden_case;
        bool tsv;
    } cases[] = {{"north-dakota-farm.ini", "north-dakota.compare", false},
                 {"iowa-farm.ini", "iowa.compare", false},
                 {"iowa-farm.ini", "iowa.compare-tsv", true}};
    for (const auto& c : cases) {
        const auto example = open_example(c.example);
        ASSERT_TRUE(example);
        const auto tables = compare_coverage(example->ratings, example->f);
        EXPECT_EQ(c.tsv ? comparison_tsv(tables) : comparison_text(tables), golden_stdout(c.golden_case))
            << c.golden_case;
    }
}

}  // namespace
