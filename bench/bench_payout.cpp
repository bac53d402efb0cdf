// The expected payouts of the Iowa example farm: the simulation of the five
// coverage levels and three structures alone, and the coverage comparison
// with its expected figures (the comparison, the farm rated at each level,
// the simulation), on one job and on two. Target: the comparison with its
// expected figures within a second on the demo database.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_support.h"
#include "rating/coverage_comparison.h"
#include "rating/farm_file.h"
#include "rating/payout_rating.h"
#include "rating/payout_simulation.h"

namespace zelmora::bench {

namespace {

// The example farm as a value; empty state when the file cannot be read.
zelmora::farm example_farm(std::string& error) {
    memory_settings_store inputs;
    if (!read_farm_file(ZELMORA_PAYOUT_EXAMPLE, inputs, error)) return {};
    return read_farm(inputs);
}

void count_figures(benchmark::State& state, const expected_payouts& sim) {
    state.counters["draws"] = static_cast<double>(sim.draws);
    state.counters["target_met"] = sim.target_met ? 1.0 : 0.0;
    state.counters["tables"] = static_cast<double>(sim.tables.size());
}

void payout_simulation(benchmark::State& state) {
    document& doc = shared_document();
    std::string errors;
    const zelmora::farm f = example_farm(errors);
    const std::vector<coverage_level_farm> levels = payout_levels_of(doc, f);
    simulation_settings settings;
    settings.jobs = static_cast<int>(state.range(0));
    expected_payouts sim;
    for (auto _ : state) {
        sim = simulate_payouts(levels, payout_model{}, settings);
        benchmark::DoNotOptimize(sim.draws);
    }
    if (!sim.problem.empty() || sim.tables.empty())
        state.SkipWithError(("no expected figures: " + sim.problem + errors.substr(0, 200)).c_str());
    count_figures(state, sim);
}

void comparison_with_expected_figures(benchmark::State& state) {
    document& doc = shared_document();
    std::string errors;
    const zelmora::farm f = example_farm(errors);
    simulation_settings settings;
    settings.jobs = static_cast<int>(state.range(0));
    expected_payouts sim;
    std::size_t rows = 0;
    for (auto _ : state) {
        const std::vector<comparison_table> tables = compare_coverage(doc, f);
        const std::vector<coverage_level_farm> levels = payout_levels_of(doc, f);
        sim = simulate_payouts(levels, payout_model{}, settings);
        rows = 0;
        for (const comparison_table& table : tables) rows += table.rows.size();
        benchmark::DoNotOptimize(rows);
        benchmark::DoNotOptimize(sim.draws);
    }
    if (rows == 0 || !sim.problem.empty())
        state.SkipWithError(("no comparison: " + sim.problem + errors.substr(0, 200)).c_str());
    count_figures(state, sim);
}

}  // namespace

BENCHMARK(payout_simulation)->ArgName("jobs")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(comparison_with_expected_figures)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace zelmora::bench
