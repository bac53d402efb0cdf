// What payouts say: the comparison with its expected figures keeps the
// comparison's own cells, the quote's payouts agree with that comparison at
// the farm's own coverage, and the break-even points read as words.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "rating/farm_file.h"
#include "rating/payout_rating.h"
#include "rating/payout_texts.h"
#include "rating/quote_payouts.h"
#include "rating/rating_session.h"

using namespace zelmora;

namespace {

std::vector<std::string> split(const std::string& text, char at) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t to = text.find(at); to != std::string::npos; to = text.find(at, from)) {
        parts.push_back(text.substr(from, to - from));
        from = to + 1;
    }
    parts.push_back(text.substr(from));
    return parts;
}

struct iowa_fixture {
    rating_session session;
    farm f;
    iowa_fixture() {
        memory_settings_store inputs;
        std::string error;
        EXPECT_TRUE(read_farm_file(std::string(ZELMORA_SOURCE_DIR) + "/examples/iowa-farm.ini", inputs, error))
            << error;
        EXPECT_TRUE(session.open(ZELMORA_DEMO_DATABASE, error)) << error;
        f = read_farm(inputs);
    }
};

simulation_settings few_draws() {
    simulation_settings settings;
    settings.min_draws = 16384;
    settings.max_draws = 16384;
    return settings;
}

}  // namespace

TEST(PayoutTexts, TheExpectedColumnsFollowTheComparisonsOwnCells) {
    iowa_fixture iowa;
    const std::vector<comparison_table> tables = compare_coverage(iowa.session, iowa.f);
    const expected_payouts expected =
        simulate_payouts(payout_levels_of(iowa.session, iowa.f), payout_model{}, few_draws());
    ASSERT_EQ(expected.problem, "");
    const std::vector<std::string> plain = split(comparison_tsv(tables), '\n');
    const std::vector<std::string> joined = split(expected_comparison_tsv(tables, expected), '\n');
    ASSERT_EQ(plain.size(), joined.size());
    EXPECT_EQ(joined[0], plain[0] +
                             "\tExpected Payout\tExpected Payout SE\tChance of Payout\tChance of Payout SE"
                             "\tExpected Net\tExpected Net SE\tPayout/Premium\tPayout/Premium SE");
    for (std::size_t i = 1; i + 1 < plain.size(); ++i) {
        SCOPED_TRACE(plain[i]);
        ASSERT_EQ(joined[i].rfind(plain[i] + "\t", 0), 0u) << joined[i];
        const std::vector<std::string> cells = split(joined[i], '\t');
        ASSERT_EQ(cells.size(), 17u);
        // Producer premium (column 4) + expected net = expected payout, to the dollar's rounding. The
        // whole-farm structure's net also counts the premium of Winter Wheat's units, outside the unit.
        const double premium = std::stod(cells[4]), payout = std::stod(cells[9]), net = std::stod(cells[13]);
        double outside = 0.0;
        if (cells[0] == "Farm (all crops)" && cells[2] == "Whole-farm unit")
            for (const std::string& line : plain)
                if (const auto wheat = split(line, '\t'); wheat.size() > 4 && wheat[0] == "Winter Wheat" &&
                                                           wheat[1] == cells[1] && wheat[2] == "Units as entered")
                    outside = std::stod(wheat[4]);
        const double difference = payout - premium - net;
        EXPECT_TRUE(std::abs(difference) <= 1.0 || std::abs(difference - outside) <= 1.0) << difference;
        EXPECT_GE(std::stod(cells[11]), 0.0);
        EXPECT_LE(std::stod(cells[11]), 1.0);
    }
    // The text ends with the model and the draws.
    const std::string text = expected_comparison_text(tables, expected, payout_model{}, few_draws());
    EXPECT_NE(text.find("with a cv of 0.25"), std::string::npos);
    EXPECT_NE(text.find("averages over 16,384 simulated harvests (seed 2004)"), std::string::npos);
}

TEST(PayoutTexts, TheQuotesPayoutsAgreeWithTheComparisonAtTheFarmsOwnCoverage) {
    iowa_fixture iowa;
    const farm_rating rated = iowa.session.rate(iowa.f);
    const quote_payouts quoted = quote_payouts_of(iowa.f, rated, payout_model{}, few_draws());
    ASSERT_EQ(quoted.problem, "");
    EXPECT_NE(quoted.assumptions.find("price-yield correlation of -0.3"), std::string::npos);
    EXPECT_NE(quoted.outside_note.find("Winter Wheat"), std::string::npos);
    // Per crop its units and enterprise unit, then the farm's three structures.
    ASSERT_EQ(quoted.rows.size(), 9u);
    EXPECT_EQ(quoted.rows[0].crop_number, 1);
    EXPECT_EQ(quoted.rows[0].coverage_level, 75);
    EXPECT_EQ(quoted.rows[1].coverage_level, 80);
    EXPECT_EQ(quoted.rows[8].crop_number, 0);
    EXPECT_EQ(quoted.rows[8].structure, payout_structure::whole_farm_unit);

    // Corn's units are at 75% and its enterprise unit at 80%: the comparison's
    // figures at those levels, within the errors of the two estimates.
    const expected_payouts compared =
        simulate_payouts(payout_levels_of(iowa.session, iowa.f), payout_model{}, few_draws());
    struct at_level {
        std::size_t row;
        int level;
        payout_structure structure;
    };
    for (const at_level& c : {at_level{0, 75, payout_structure::units_as_entered},
                              at_level{1, 80, payout_structure::enterprise_unit}}) {
        const expected_cell& own = quoted.rows[c.row].expected;
        const expected_cell& level = compared.table(1)->rows[static_cast<std::size_t>((c.level - 65) / 5)].cell(c.structure);
        ASSERT_TRUE(own.offered);
        EXPECT_EQ(own.producer_premium.to_double(), level.producer_premium.to_double());
        EXPECT_NEAR(own.payout.value, level.payout.value,
                    4.0 * (own.payout.standard_error + level.payout.standard_error));
    }
    // The break-evens are those of the farm as rated.
    const auto points = break_evens_of(payout_farm_of(iowa.f, rated), 1);
    EXPECT_EQ(break_even_yield_text(quoted.rows[0].break_evens),
              break_even_yield_text(points[static_cast<std::size_t>(payout_structure::units_as_entered)]));
}

TEST(PayoutTexts, BreakEvensReadAsWords) {
    auto points = [](break_even price, std::optional<break_even> harvest, break_even yield) {
        return structure_break_evens{true, price, harvest, yield};
    };
    using k = break_even::kind;
    const struct {
        structure_break_evens points;
        const char* price;
        const char* yield;
    } cases[] = {
        {points({k::below, -25.0}, break_even{k::below, 2.12}, {k::below, 75.0}), "below $2.12 (-25.00%)",
         "below 75.00% of APH"},
        {points({k::below, 3.5}, std::nullopt, {k::below, 103.5}), "below +3.50%", "below 103.50% of APH"},
        {points({k::always, 0.0}, std::nullopt, {k::always, 0.0}), "at any price", "at any yield"},
        {points({k::never, 0.0}, break_even{k::never, 0.0}, {k::never, 0.0}), "never", "never"},
        {structure_break_evens{}, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(break_even_price_text(c.points), c.price);
        EXPECT_EQ(break_even_yield_text(c.points), c.yield);
    }
}
