// The comparison table: the farm rated at the five coverage levels under each
// unit structure (units as entered, enterprise units, the whole-farm unit).
#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "bench_support.h"

namespace zelmora::bench {

namespace {

// One copy of the farm per unit structure, made before the timing: a copy made
// with copy_from reads the state's county list again, which a table redrawn on
// every keystroke would not do once the farm's inputs are a value to copy.
// Each redraw is one record scope, as a report is.
void comparison_table(benchmark::State& state, bool four) {
    document& doc = shared_document();
    const premium_calculator& farm = farm_calculator(four);
    std::string errors;
    std::array<std::unique_ptr<premium_calculator>, 3> copies;
    for (auto& copy : copies) {
        copy = std::make_unique<premium_calculator>(doc.database.get(), doc.continuous_rater.get(), errors);
        copy->copy_from(farm, errors);
    }
    premium_calculator& units = *copies[0];
    premium_calculator& enterprise = *copies[1];
    premium_calculator& whole_farm = *copies[2];
    constexpr std::array<int, 5> levels = {65, 70, 75, 80, 85};
    for (auto _ : state) {
        const rate_record_scope records(doc.continuous_rater.get());
        for (const int level : levels) {
            errors.clear();
            units.coverage.fill(level);
            units.compute_all(*doc.surcharges, errors);
            benchmark::DoNotOptimize(units.producer_premium_whole_farm.to_double());
            enterprise.coverage_enterprise.fill(level);
            enterprise.compute_all(*doc.surcharges, errors);
            benchmark::DoNotOptimize(enterprise.enterprise_producer_premium[0].to_double());
            whole_farm.coverage_whole_farm = level;
            whole_farm.compute_all(*doc.surcharges, errors);
            benchmark::DoNotOptimize(whole_farm.producer_premium_whole_farm.to_double());
        }
    }
    if (!errors.empty()) state.SkipWithError(errors.substr(0, 200).c_str());
    state.counters["ratings"] = static_cast<double>(levels.size() * copies.size());
}

}  // namespace

BENCHMARK_CAPTURE(comparison_table, six_crop_farm, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(comparison_table, four_crop_farm, true)->Unit(benchmark::kMicrosecond);

}  // namespace zelmora::bench
