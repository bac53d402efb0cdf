// The coverage comparison: the farm rated at the five coverage levels under
// each unit structure (units as entered, enterprise units, the whole-farm
// unit), as the Compare window redraws it on every change of the farm.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "rating/coverage_comparison.h"

namespace zelmora::bench {

namespace {

// One whole table per iteration: compare_coverage makes its copies of the
// farm, rates them and builds every crop's table and the farm's. The farm is
// the document's own, as in the Compare window; it is put back afterwards.
void coverage_comparison(benchmark::State& state, bool four) {
    document& doc = shared_document();
    const zelmora::farm f = farm_calculator(four).current_farm();
    std::string errors;
    const zelmora::farm saved = doc.calculator->current_farm();
    doc.calculator->load_farm(f, errors);
    std::size_t rows = 0;
    for (auto _ : state) {
        errors.clear();
        const std::vector<comparison_table> tables = compare_coverage(doc, f, errors);
        rows = 0;
        for (const comparison_table& table : tables) rows += table.rows.size();
        benchmark::DoNotOptimize(rows);
    }
    doc.calculator->load_farm(saved, errors);
    if (rows == 0) state.SkipWithError(("no comparison: " + errors.substr(0, 200)).c_str());
    state.counters["rows"] = static_cast<double>(rows);
}

}  // namespace

BENCHMARK_CAPTURE(coverage_comparison, six_crop_farm, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(coverage_comparison, four_crop_farm, true)->Unit(benchmark::kMicrosecond);

}  // namespace zelmora::bench
