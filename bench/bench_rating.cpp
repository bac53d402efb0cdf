// Rating a full farm through the session: with the continuous rates records
// read by the rating (a farm of a county the session has not rated), with the
// records kept from the last rating (the arithmetic floor: every record already
// read), and one keystroke on a crop page.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench_support.h"
#include "rating/farm_totals.h"

namespace zelmora::bench {

namespace {

void set_farm_counters(benchmark::State& state, bool four_crop_state) {
    const picked_county& county = shared_county(four_crop_state);
    state.counters["units"] = county.unit_count();
    state.counters["crops"] = static_cast<double>(county.crops.size());
    char label[64];
    std::snprintf(label, sizeof label, "state %d county %d", county.state_fips, county.county_fips);
    state.SetLabel(label);
}

// Results go to DoNotOptimize as values: GCC may rewrite a member handed over by reference.
void rate_farm_records_read(benchmark::State& state, bool four) {
    const document& session = shared_document();
    const farm& f = shared_farm(four);
    for (auto _ : state) {
        session.forget_records();
        const farm_rating rated = session.rate(f);
        benchmark::DoNotOptimize(rated.whole_farm.producer_premium_whole_farm.to_double());
    }
    if (!session.rate(f).error_text().empty()) state.SkipWithError(session.rate(f).error_text().substr(0, 200).c_str());
    set_farm_counters(state, four);
}

void rate_farm_records_kept(benchmark::State& state, bool four) {
    const document& session = shared_document();
    const farm& f = shared_farm(four);
    const farm_rating first = session.rate(f);
    const long reads = session.activity().record_reads;
    for (auto _ : state) {
        const farm_rating rated = session.rate(f);
        benchmark::DoNotOptimize(rated.whole_farm.producer_premium_whole_farm.to_double());
    }
    if (session.activity().record_reads != reads) state.SkipWithError("a kept record was read again");
    // The floor must rate exactly as the reading path does.
    session.forget_records();
    const farm_rating read = session.rate(f);
    if (read.whole_farm.producer_premium_whole_farm != first.whole_farm.producer_premium_whole_farm ||
        read.enterprise.total_loaded_enterprise_premium != first.enterprise.total_loaded_enterprise_premium)
        state.SkipWithError("the rating with kept records differs from the one that read them");
    set_farm_counters(state, four);
}

// A crop page's change handler: the page puts the changed unit into the farm,
// the farm is rated once, and the page shows the unit figures and the crop's
// totals from that rating.
void keystroke_on_crop_page(benchmark::State& state, bool four) {
    const document& session = shared_document();
    farm f = shared_farm(four);
    const int crop = shared_county(four).crops.front().crop_number;
    const auto c = static_cast<std::size_t>(crop - 1);
    const exact_decimal typed[2] = {f.inputs.units[c][2].aph_yield.to_double() + 1.0, f.inputs.units[c][2].aph_yield};
    session.rate(f);
    const rating_session::activity_counts before = session.activity();
    int keystroke = 0;
    for (auto _ : state) {
        farm edited = f;  // store_page
        edited.inputs.units[c][2].aph_yield = typed[keystroke++ & 1];
        f = edited;
        const farm_rating rated = session.rate(f);  // show_results
        const farm_totals totals = farm_totals_of(f, rated);
        benchmark::DoNotOptimize(totals.units.crops[c].producer_premium.to_double());
        benchmark::DoNotOptimize(rated.units[c][2].figures.has_value());
    }
    const rating_session::activity_counts after = session.activity();
    const double keystrokes = static_cast<double>(state.iterations());
    state.counters["ratings_per_keystroke"] = static_cast<double>(after.ratings - before.ratings) / keystrokes;
    state.counters["table_loads_per_keystroke"] =
        static_cast<double>(after.table_loads - before.table_loads) / keystrokes;
    state.counters["record_reads_per_keystroke"] =
        static_cast<double>(after.record_reads - before.record_reads) / keystrokes;
    set_farm_counters(state, four);
}

}  // namespace

BENCHMARK_CAPTURE(rate_farm_records_read, six_crop_farm, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(rate_farm_records_read, four_crop_farm, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(rate_farm_records_kept, six_crop_farm, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(rate_farm_records_kept, four_crop_farm, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(keystroke_on_crop_page, six_crop_farm, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(keystroke_on_crop_page, four_crop_farm, true)->Unit(benchmark::kMicrosecond);

}  // namespace zelmora::bench
