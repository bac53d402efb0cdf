// The coverage comparison on the example farms: each figure equals rating a
// copy of the farm with that one level set; structures not offered are absent;
// the farm totals of the units; the `compare` command prints the same figures.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "cli/commands.h"
#include "utility/ini_file.h"
#include "cli/session.h"
#include "rating/coverage_comparison.h"
#include "utility/dropped_errors.h"

using namespace zelmora;

namespace {

struct opened_farm {
    memory_settings_store inputs;
    session s;
};

std::unique_ptr<opened_farm> open_example(const std::string& name) {
    auto farm = std::make_unique<opened_farm>();
    std::string error;
    if (!read_ini_file(std::string(ZELMORA_EXAMPLES_DIR) + "/" + name, farm->inputs, error)) {
        ADD_FAILURE() << error;
        return nullptr;
    }
    if (!open_session(ZELMORA_DEMO_DATABASE, farm->inputs, farm->s, error)) {
        ADD_FAILURE() << error;
        return nullptr;
    }
    return farm;
}

// A copy of the farm with one change, rated on its own.
template <typename Change>
std::unique_ptr<premium_calculator> rated_copy(session& s, Change change) {
    farm f = s.calculator->current_farm();
    change(f.inputs);
    auto copy = s.calculator_for(f, dropped_errors{});
    copy->compute_all(*s.surcharges, dropped_errors{});
    return copy;
}

exact_decimal crop_acres(const premium_calculator& k, int c) {
    exact_decimal acres = 0.0;
    for (const insurance_unit& u : k.units[c - 1]) acres += u.acres * u.share;
    return acres;
}

class Comparison : public ::testing::TestWithParam<const char*> {};

TEST_P(Comparison, EachCellIsACopyOfTheFarmRatedWithThatLevel) {
    const auto example = open_example(GetParam());
    ASSERT_TRUE(example);
    session& s = example->s;
    const farm before = s.calculator->current_farm();
    const std::vector<comparison_table> tables = compare_coverage(s, before, dropped_errors{});
    ASSERT_GE(tables.size(), 2u);
    EXPECT_EQ(tables.back().crop_number, 0);

    int cells = 0;
    for (const comparison_table& table : tables) {
        for (const comparison_row& row : table.rows) {
            const int level = row.coverage_level;
            SCOPED_TRACE(comparison_title(table) + " at " + std::to_string(level));
            if (table.crop_number != 0) {
                const int c = table.crop_number;
                const auto units = rated_copy(s, [&](farm_inputs& in) { in.coverage[c - 1] = level; });
                const unit_totals sums = unit_totals_of(*units).crops[c - 1];
                const comparison_cell& u = row.cell(unit_structure::units_as_entered);
                ASSERT_TRUE(u.offered);
                EXPECT_EQ(u.guarantee, sums.guarantee);
                EXPECT_EQ(u.producer_premium, sums.producer_premium);

                const auto enterprise = rated_copy(s, [&](farm_inputs& in) { in.coverage_enterprise[c - 1] = level; });
                const comparison_cell& e = row.cell(unit_structure::enterprise_unit);
                ASSERT_TRUE(e.offered);
                exact_decimal guarantee = enterprise->enterprise_revenue_guarantee[c - 1] * crop_acres(*enterprise, c);
                EXPECT_EQ(e.guarantee, guarantee.round_to(0));
                EXPECT_EQ(e.producer_premium, enterprise->enterprise_producer_premium[c - 1]);
                EXPECT_FALSE(row.cell(unit_structure::whole_farm_unit).offered);
                cells += 2;
            } else if (row.cell(unit_structure::whole_farm_unit).offered) {
                const auto whole = rated_copy(s, [&](farm_inputs& in) { in.coverage_whole_farm = level; });
                const comparison_cell& w = row.cell(unit_structure::whole_farm_unit);
                exact_decimal guarantee = whole->revenue_guarantee_whole_farm * whole->crop_acre_weight_whole_farm;
                EXPECT_EQ(w.guarantee, guarantee.round_to(0));
                EXPECT_EQ(w.producer_premium, whole->producer_premium_whole_farm);
                ++cells;
            }
        }
    }
    EXPECT_GT(cells, 10);
    // The farm's own calculator is not touched.
    EXPECT_EQ(s.calculator->coverage, before.inputs.coverage);
    EXPECT_EQ(s.calculator->coverage_enterprise, before.inputs.coverage_enterprise);
    EXPECT_EQ(s.calculator->coverage_whole_farm, before.inputs.coverage_whole_farm);
}

TEST_P(Comparison, LevelsAndStructuresNotOfferedAreAbsent) {
    const auto example = open_example(GetParam());
    ASSERT_TRUE(example);
    session& s = example->s;
    const premium_calculator& k = *s.calculator;
    const std::vector<comparison_table> tables = compare_coverage(s, k.current_farm(), dropped_errors{});
    bool every_crop_high = true;
    for (const comparison_table& table : tables) {
        if (table.crop_number == 0) continue;
        const bool high = k.state_data->offers_high_coverage(k.county_fips, table.crop_number);
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
    farm one_crop = k.current_farm();
    const int kept = tables.front().crop_number;
    for (int c = 1; c <= crop_count; ++c)
        if (c != kept) one_crop.inputs.indicated[c - 1] = false;
    const auto single = compare_coverage(s, one_crop, dropped_errors{});
    ASSERT_EQ(single.size(), 2u);
    EXPECT_FALSE(single.back().offers(unit_structure::whole_farm_unit));
    EXPECT_TRUE(single.back().offers(unit_structure::enterprise_unit));
}

INSTANTIATE_TEST_SUITE_P(Examples, Comparison,
                         ::testing::Values("iowa-farm.ini", "arkansas-farm.ini", "north-dakota-farm.ini"));

TEST(ComparisonFigures, StepsPerThousandAndTheCheapestMark) {
    const auto example = open_example("iowa-farm.ini");
    ASSERT_TRUE(example);
    const auto tables = compare_coverage(example->s, example->s.calculator->current_farm(), dropped_errors{});
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
    premium_calculator& k = *example->s.calculator;
    k.compute_all(*example->s.surcharges, dropped_errors{});
    const farm_unit_totals totals = unit_totals_of(k);
    exact_decimal premium = 0.0, subsidy = 0.0;
    for (int c = 1; c <= crop_count; ++c) {
        if (!k.crop_selected(c)) continue;
        for (const insurance_unit& u : k.units[c - 1]) {
            premium += u.total_premium;
            subsidy += u.ra_subsidy;
        }
    }
    EXPECT_GT(totals.farm.total_premium, 0.0);
    EXPECT_EQ(totals.farm.total_premium, premium);
    EXPECT_EQ(totals.farm.subsidy, subsidy);
    EXPECT_EQ(totals.farm.producer_premium, premium - subsidy);
}

TEST(ComparisonFigures, CompareCommandPrintsTheLibrarysTexts) {
    const auto example = open_example("north-dakota-farm.ini");
    ASSERT_TRUE(example);
    const auto tables = compare_coverage(example->s, example->s.calculator->current_farm(), dropped_errors{});
    for (const bool tsv : {false, true}) {
        command_line line;
        line.command = command_kind::compare;
        line.tsv = tsv;
        std::string out, err;
        EXPECT_EQ(run_command(line, example->s, out, err), 0) << err;
        EXPECT_EQ(out, tsv ? comparison_tsv(tables) : comparison_text(tables));
    }
}

}  // namespace
