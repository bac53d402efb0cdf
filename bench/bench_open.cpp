// Opening a window's session: the connection, the shared tables and the tables
// of the farm the settings keep; and the biggest table a farm of a new county loads.
#include <benchmark/benchmark.h>

#include "bench_support.h"

namespace zelmora::bench {

namespace {

void open_document_sequence(benchmark::State& state) {
    memory_settings_store store = saved_settings();
    std::string errors;
    for (auto _ : state) {
        auto doc = open_document(database_path(), store);
        errors = doc->error_text;
        state.PauseTiming();
        doc.reset();  // closing is not part of the opening
        state.ResumeTiming();
    }
    if (!errors.empty()) state.SkipWithError(errors.substr(0, 200).c_str());
}

// The surcharges of the six-crop farm's county.
void read_surcharges(benchmark::State& state) {
    premium_database& db = shared_document().database();
    const picked_county& county = shared_county(false);
    std::string errors;
    std::size_t rows = 0;
    for (auto _ : state) {
        surcharge_list surcharges;
        errors.clear();
        surcharges.read_county_surcharges(db, county.state_fips, county.county_fips, errors);
        rows = surcharges.size();
        state.PauseTiming();
        { surcharge_list gone = std::move(surcharges); }
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(rows);
    if (!errors.empty()) state.SkipWithError(errors.substr(0, 200).c_str());
}

}  // namespace

BENCHMARK(open_document_sequence)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(read_surcharges)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace zelmora::bench
