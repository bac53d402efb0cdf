// The coverage comparison: the farm rated at the five coverage levels under
// each unit structure (units as entered, enterprise units, the whole-farm
// unit), as the Compare window redraws it on every change of the farm.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "rating/coverage_comparison.h"

namespace zelmora::bench {

namespace {

// One whole table per iteration, given the farm's own rating as the window has
// it: ten copies of the farm rated, every crop's table and the farm's built.
void coverage_comparison(benchmark::State& state, bool four) {
    const document& session = shared_document();
    const farm& f = shared_farm(four);
    const farm_rating as_entered = session.rate(f);
    const long ratings = session.activity().ratings;
    std::size_t rows = 0;
    for (auto _ : state) {
        const std::vector<comparison_table> tables = compare_coverage(session, f, as_entered);
        rows = 0;
        for (const comparison_table& table : tables) rows += table.rows.size();
        benchmark::DoNotOptimize(rows);
    }
    if (rows == 0) state.SkipWithError("no comparison");
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["ratings_per_table"] =
        static_cast<double>(session.activity().ratings - ratings) / static_cast<double>(state.iterations());
}

}  // namespace

BENCHMARK_CAPTURE(coverage_comparison, six_crop_farm, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(coverage_comparison, four_crop_farm, true)->Unit(benchmark::kMicrosecond);

}  // namespace zelmora::bench
