// The expected payout model: its draws follow the model, each draw is paid as
// one outcome, the figures do not depend on the job count, and they behave at
// the extremes (nothing varies; everything varies a lot).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "rating/farm.h"
#include "rating/payout_rating.h"
#include "rating/farm_file.h"
#include "rating/payout_simulation.h"
#include "utility/ini_file.h"

using namespace zelmora;

namespace {

constexpr std::array<int, 5> levels_65_to_85{65, 70, 75, 80, 85};

// A farm of two crops rated by hand at a level: each guarantee is (price x APH yield) x
// coverage to cents, the premiums grow with the level.
payout_farm farm_at(int level, double volatility) {
    auto unit = [level](double price, double aph, double acres, double share) {
        exact_decimal guarantee = (price * aph) * (level / 100.0);
        return payout_unit{aph, acres, share, level, guarantee.round_to(2), 10.0 * level};
    };
    payout_farm farm;
    payout_crop corn{crop_corn, 2.50, volatility, false, level, 0.0, 8.0 * level, {}};
    corn.units = {unit(2.50, 150.0, 100.0, 1.0), unit(2.50, 120.0, 50.0, 0.5), unit(2.50, 170.0, 80.0, 1.0)};
    corn.enterprise_aph_yield_exact = (150.0 * 100 + 120.0 * 25 + 170.0 * 80) / 205.0;
    payout_crop soybeans{crop_soybeans, 6.00, volatility, true, level, 40.0, 12.0 * level, {}};
    soybeans.units = {unit(6.00, 40.0, 200.0, 1.0), unit(6.00, 44.0, 60.0, 1.0)};
    soybeans.enterprise_aph_yield_exact = (40.0 * 200 + 44.0 * 60) / 260.0;
    farm.crops = {corn, soybeans};
    payout_whole_farm wf;
    wf.coverage = level;
    wf.in_unit[0] = wf.in_unit[1] = wf.forms_guarantee[0] = wf.forms_guarantee[1] = true;
    exact_decimal guarantee = (level / 100.0) * (((corn.enterprise_aph_yield_exact * 2.50) * 205.0 +
                                                  (soybeans.enterprise_aph_yield_exact * 6.00) * 260.0) /
                                                 465.0);
    wf.revenue_guarantee_per_acre = guarantee.round_to(2);
    wf.producer_premium = 15.0 * level;
    farm.whole_farm = wf;
    return farm;
}

std::vector<coverage_level_farm> levels_of(double volatility) {
    std::vector<coverage_level_farm> levels;
    for (const int level : levels_65_to_85) levels.push_back({level, farm_at(level, volatility)});
    return levels;
}

simulation_settings fixed_draws(std::uint64_t draws, int jobs = 1) {
    simulation_settings s;
    s.min_draws = s.max_draws = draws;
    s.jobs = jobs;
    return s;
}

// Every figure of two simulations, bit for bit.
void expect_same_bytes(const expected_payouts& a, const expected_payouts& b) {
    ASSERT_EQ(a.draws, b.draws);
    ASSERT_EQ(a.tables.size(), b.tables.size());
    for (std::size_t t = 0; t < a.tables.size(); ++t)
        for (std::size_t r = 0; r < a.tables[t].rows.size(); ++r)
            for (const payout_structure s : payout_structures) {
                const expected_cell& x = a.tables[t].rows[r].cell(s);
                const expected_cell& y = b.tables[t].rows[r].cell(s);
                ASSERT_EQ(x.offered, y.offered);
                const double xs[] = {x.payout.value, x.payout.standard_error, x.probability.value,
                                     x.probability.standard_error, x.net.value};
                const double ys[] = {y.payout.value, y.payout.standard_error, y.probability.value,
                                     y.probability.standard_error, y.net.value};
                EXPECT_EQ(std::memcmp(xs, ys, sizeof xs), 0) << "table " << t << " row " << r;
            }
}

double correlation(const std::vector<double>& x, const std::vector<double>& y) {
    const double n = static_cast<double>(x.size());
    double mx = 0, my = 0;
    for (std::size_t i = 0; i < x.size(); ++i) mx += x[i] / n, my += y[i] / n;
    double sxy = 0, sxx = 0, syy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
        syy += (y[i] - my) * (y[i] - my);
    }
    return sxy / std::sqrt(sxx * syy);
}

}  // namespace

TEST(PayoutSimulation, DrawsFollowTheModel) {
    // With a small cv no yield reaches the floor, so each unit's normal is (yield / APH - 1) / cv.
    payout_model model;
    model.yield_cv = 0.05;
    const payout_farm farm = farm_at(75, 0.25);
    const std::vector<outcome> draws = simulated_outcomes(farm, model, 2004, 0, 40000);
    std::vector<double> corn1, corn2, soy1, corn_price, corn_log_price, soy_price;
    for (const outcome& o : draws) {
        corn1.push_back((o.crops[0].unit_yields[0].to_double() / 150.0 - 1.0) / 0.05);
        corn2.push_back((o.crops[0].unit_yields[1].to_double() / 120.0 - 1.0) / 0.05);
        soy1.push_back((o.crops[1].unit_yields[0].to_double() / 40.0 - 1.0) / 0.05);
        corn_price.push_back(o.crops[0].harvest_price.to_double());
        corn_log_price.push_back(std::log(o.crops[0].harvest_price.to_double()));
        soy_price.push_back(o.crops[1].harvest_price.to_double());
    }
    double mean_price = 0, mean_log = 0, var_log = 0;
    for (std::size_t i = 0; i < draws.size(); ++i) {
        mean_price += corn_price[i] / 40000.0;
        mean_log += corn_log_price[i] / 40000.0;
    }
    for (const double l : corn_log_price) var_log += (l - mean_log) * (l - mean_log) / 40000.0;

    EXPECT_NEAR(mean_price, 2.50, 0.01);               // the mean is the RA price
    EXPECT_NEAR(std::sqrt(var_log), 0.25, 0.005);      // the log's deviation is the volatility
    EXPECT_NEAR(correlation(corn1, corn2), 0.8, 0.01);  // units of a crop
    EXPECT_NEAR(correlation(corn1, soy1), 0.5, 0.015);  // units of two crops
    // Price against the crop's own units: -0.3 x sqrt(0.8); against another crop's through the farm factor.
    EXPECT_NEAR(correlation(corn_log_price, corn1), -0.3 * std::sqrt(0.8), 0.015);
    EXPECT_NEAR(correlation(corn_log_price, soy1), -0.3 * 0.5 / std::sqrt(0.8), 0.015);
    // Draw 2j + 1 is draw 2j's twin: its normals are the negatives.
    EXPECT_NEAR(corn1[0], -corn1[1], 1e-9);
    EXPECT_NEAR(std::log(corn_price[0] / 2.5) + std::log(corn_price[1] / 2.5), -0.25 * 0.25, 1e-12);
}

TEST(PayoutSimulation, EachDrawIsPaidAsThatOutcome) {
    // The expected figures are the mean of payout_of over the same draws.
    const payout_model model;
    const std::vector<coverage_level_farm> levels = levels_of(0.3);
    const expected_payouts sim = simulate_payouts(levels, model, fixed_draws(4096));
    ASSERT_EQ(sim.problem, "");
    ASSERT_EQ(sim.draws, 4096u);
    const std::vector<outcome> draws = simulated_outcomes(levels[0].farm, model, 2004, 0, 4096);
    for (std::size_t l = 0; l < levels.size(); ++l) {
        double sums[payout_structure_count] = {}, paid[payout_structure_count] = {}, corn_enterprise = 0;
        for (const outcome& o : draws) {
            const outcome_payout p = payout_of(levels[l].farm, o);
            for (const payout_structure s : payout_structures) {
                sums[static_cast<int>(s)] += p.farm_figures(s).payout.to_double();
                paid[static_cast<int>(s)] += p.farm_figures(s).payout > 0.0 ? 1.0 : 0.0;
            }
            corn_enterprise += p.crop(crop_corn)->enterprise_unit.payout.to_double();
        }
        const expected_row& farm_row = sim.table(0)->rows[l];
        for (const payout_structure s : payout_structures) {
            SCOPED_TRACE(std::string(payout_structure_name(s)) + " at " + std::to_string(levels[l].coverage_level));
            const expected_cell& cell = farm_row.cell(s);
            ASSERT_TRUE(cell.offered);
            EXPECT_NEAR(cell.payout.value, sums[static_cast<int>(s)] / 4096.0, 1e-9 * cell.payout.value);
            EXPECT_NEAR(cell.probability.value, paid[static_cast<int>(s)] / 4096.0, 1e-12);
            EXPECT_DOUBLE_EQ(cell.net.value, cell.payout.value - cell.producer_premium.to_double());
            EXPECT_DOUBLE_EQ(cell.payout_to_premium->value, cell.payout.value / cell.producer_premium.to_double());
        }
        const expected_cell& corn = sim.table(crop_corn)->rows[l].cell(payout_structure::enterprise_unit);
        EXPECT_NEAR(corn.payout.value, corn_enterprise / 4096.0, 1e-9 * corn.payout.value);
        EXPECT_FALSE(sim.table(crop_corn)->rows[l].cell(payout_structure::whole_farm_unit).offered);
    }
}

TEST(PayoutSimulation, NothingVariesNothingIsPaid) {
    // cv 0 and volatility 0: every draw is the RA price and the APH yield, which no coverage pays.
    payout_model model;
    model.yield_cv = 0.0;
    simulation_settings settings;
    settings.min_draws = 4096;
    const expected_payouts sim = simulate_payouts(levels_of(0.0), model, settings);
    ASSERT_EQ(sim.problem, "");
    EXPECT_TRUE(sim.target_met);
    EXPECT_EQ(sim.draws, 4096u);  // nothing to estimate more closely
    for (const expected_table& table : sim.tables)
        for (const expected_row& row : table.rows)
            for (const expected_cell& cell : row.cells) {
                if (!cell.offered) continue;
                EXPECT_EQ(cell.payout.value, 0.0);
                EXPECT_EQ(cell.probability.value, 0.0);
                EXPECT_EQ(cell.payout.standard_error, 0.0);
                EXPECT_EQ(cell.net.value, -cell.producer_premium.to_double());
            }
}

TEST(PayoutSimulation, WithWideSpreadsThePayoutGrowsWithCoverage) {
    payout_model model;
    model.yield_cv = 0.5;
    const expected_payouts sim = simulate_payouts(levels_of(0.6), model, fixed_draws(16384));
    ASSERT_EQ(sim.problem, "");
    for (const expected_table& table : sim.tables)
        for (const payout_structure s : payout_structures) {
            if (!table.rows[0].cell(s).offered) continue;
            SCOPED_TRACE(std::string(payout_structure_name(s)) + " of table " + std::to_string(table.crop_number));
            for (std::size_t r = 1; r < table.rows.size(); ++r) {
                EXPECT_GT(table.rows[r].cell(s).payout.value, table.rows[r - 1].cell(s).payout.value);
                EXPECT_GE(table.rows[r].cell(s).probability.value, table.rows[r - 1].cell(s).probability.value);
            }
            EXPECT_GT(table.rows[0].cell(s).probability.value, 0.1);
        }
}

TEST(PayoutSimulation, TheSameBytesForOneJobOrTwoAndEveryRun) {
    const std::vector<coverage_level_farm> levels = levels_of(0.25);
    // A target out of reach: rounds of 2, 8 and 16 blocks.
    simulation_settings adaptive;
    adaptive.min_draws = 2048;
    adaptive.max_draws = 16384;
    adaptive.target_relative_error = 1e-6;
    const expected_payouts one = simulate_payouts(levels, payout_model{}, adaptive);
    adaptive.jobs = 2;
    const expected_payouts two = simulate_payouts(levels, payout_model{}, adaptive);
    adaptive.jobs = 3;  // more jobs than some rounds have blocks
    const expected_payouts three = simulate_payouts(levels, payout_model{}, adaptive);
    ASSERT_EQ(one.problem, "");
    expect_same_bytes(one, two);
    expect_same_bytes(one, three);
    expect_same_bytes(one, simulate_payouts(levels, payout_model{}, adaptive));
    // A different seed draws differently.
    adaptive.seed = 7;
    EXPECT_NE(simulate_payouts(levels, payout_model{}, adaptive).tables[2].rows[0].cells[0].payout.value,
              one.tables[2].rows[0].cells[0].payout.value);
}

TEST(PayoutSimulation, DrawsAreAddedUntilTheErrorsMeetTheTarget) {
    const std::vector<coverage_level_farm> levels = levels_of(0.25);
    simulation_settings settings;
    settings.min_draws = 4096;
    settings.max_draws = 1u << 22;
    settings.target_relative_error = 0.05;
    const expected_payouts sim = simulate_payouts(levels, payout_model{}, settings);
    ASSERT_TRUE(sim.target_met);
    EXPECT_LT(sim.draws, settings.max_draws);
    for (const expected_table& table : sim.tables)
        for (const expected_row& row : table.rows)
            for (const expected_cell& cell : row.cells) {
                if (!cell.offered) continue;
                EXPECT_LE(cell.payout.standard_error, 0.05 * cell.payout.value);
                EXPECT_LE(cell.probability.standard_error, 0.05 * cell.probability.value);
            }
    // With a cap below what the target needs, the cap holds and says so.
    settings.target_relative_error = 0.0001;
    settings.max_draws = 8192;
    const expected_payouts capped = simulate_payouts(levels, payout_model{}, settings);
    EXPECT_EQ(capped.draws, 8192u);
    EXPECT_FALSE(capped.target_met);
}

TEST(PayoutSimulation, InputsThatCannotBeSimulatedSaySo) {
    struct bad_case {
        const char* name;
        payout_model model;
        simulation_settings settings;
        bool mixed_farms;
        const char* says;
    };
    payout_model negative_cv;
    negative_cv.yield_cv = -0.1;
    payout_model crops_above_units;
    crops_above_units.crop_correlation = 0.9;
    payout_model price_beyond_one;
    price_beyond_one.price_yield_correlation = -1.5;
    simulation_settings no_jobs;
    no_jobs.jobs = 0;
    simulation_settings backwards;
    backwards.max_draws = backwards.min_draws - 1;
    const bad_case cases[] = {
        {"a negative cv", negative_cv, {}, false, "yield cv"},
        {"crops correlated above units", crops_above_units, {}, false, "between crops"},
        {"a correlation below -1", price_beyond_one, {}, false, "price-yield"},
        {"no jobs", {}, no_jobs, false, "job count"},
        {"fewer draws at most than at least", {}, backwards, false, "draws"},
        {"levels of two farms", {}, {}, true, "not the farm of the first level"},
    };
    for (const bad_case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<coverage_level_farm> levels = levels_of(0.25);
        if (c.mixed_farms) levels[3].farm.crops[0].units[0].acres = 99.0;
        const expected_payouts sim = simulate_payouts(levels, c.model, c.settings);
        EXPECT_NE(sim.problem.find(c.says), std::string::npos) << sim.problem;
        EXPECT_TRUE(sim.tables.empty());
    }
    EXPECT_NE(simulate_payouts({}, payout_model{}).problem, "");
}

// The Iowa example on the demo database, rated at each level: its figures with
// one job and with two.
TEST(PayoutSimulation, TheIowaExampleGivesTheSameFiguresOnOneJobOrTwo) {
    memory_settings_store inputs;
    std::string error;
    ASSERT_TRUE(read_farm_file(std::string(ZELMORA_SOURCE_DIR) + "/examples/iowa-farm.ini", inputs, error)) << error;
    rating_session session;
    std::string errors;
    ASSERT_TRUE(session.open(ZELMORA_DEMO_DATABASE, errors)) << errors;
    const std::vector<coverage_level_farm> levels = payout_levels_of(session, read_farm(inputs));
    ASSERT_EQ(levels.size(), 5u);
    ASSERT_TRUE(levels[0].farm.whole_farm);

    simulation_settings settings;
    settings.min_draws = 4096;
    settings.max_draws = 16384;
    const expected_payouts one = simulate_payouts(levels, payout_model{}, settings);
    settings.jobs = 2;
    const expected_payouts two = simulate_payouts(levels, payout_model{}, settings);
    ASSERT_EQ(one.problem, "");
    expect_same_bytes(one, two);
    // Corn, Soybeans, Winter Wheat and the farm.
    ASSERT_EQ(one.tables.size(), 4u);
    const expected_row& at_75 = one.table(0)->rows[2];
    EXPECT_EQ(at_75.coverage_level, 75);
    EXPECT_GT(at_75.cell(payout_structure::whole_farm_unit).payout.value, 0.0);
}
