// Rating a full farm: compute_all, one keystroke on a crop page, and the same
// compute_all with the continuous rates records read beforehand (the floor the
// database path is measured against).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <tuple>
#include <vector>

#include "bench_support.h"
#include "data/crops.h"
#include "data/rowsets.h"

namespace zelmora::bench {

namespace {

void set_farm_counters(benchmark::State& state, bool four_crop_state) {
    const farm& f = shared_farm(four_crop_state);
    state.counters["units"] = f.unit_count();
    state.counters["crops"] = static_cast<double>(f.crops.size());
    char label[64];
    std::snprintf(label, sizeof label, "state %d county %d", f.state_fips, f.county_fips);
    state.SetLabel(label);
}

// Results go to DoNotOptimize as values: GCC may rewrite a member handed over by reference.
void compute_all_farm(benchmark::State& state, bool four) {
    premium_calculator& calc = farm_calculator(four);
    const surcharge_list& surcharges = *shared_document().surcharges;
    std::string errors;
    for (auto _ : state) {
        errors.clear();
        calc.compute_all(surcharges, errors);
        benchmark::DoNotOptimize(calc.producer_premium_whole_farm.to_double());
    }
    if (!errors.empty()) state.SkipWithError(errors.substr(0, 200).c_str());
    set_farm_counters(state, four);
}

// A crop page's change handler: the page stores its fields into the calculator,
// then shows the results: compute_all and the crop's units rated once more, in
// one record scope as the page does.
void keystroke_on_crop_page(benchmark::State& state, bool four) {
    premium_calculator& calc = farm_calculator(four);
    document& doc = shared_document();
    const int crop = shared_farm(four).crops.front().crop_number;
    unit_list& units = calc.units[static_cast<std::size_t>(crop - 1)];
    const exact_decimal typed[2] = {units[2].aph_yield.to_double() + 1.0, units[2].aph_yield};
    std::string errors;
    int keystroke = 0;
    for (auto _ : state) {
        units[2].aph_yield = typed[keystroke++ & 1];  // store_page
        errors.clear();
        const rate_record_scope records(doc.continuous_rater.get());  // show_results
        calc.compute_all(*doc.surcharges, errors);
        for (insurance_unit& u : units)
            benchmark::DoNotOptimize(u.compute(crop, calc, *doc.continuous_rater, doc.database.get(), *doc.surcharges, errors));
    }
    units[2].aph_yield = typed[1];
    if (!errors.empty()) state.SkipWithError(errors.substr(0, 200).c_str());
    set_farm_counters(state, four);
}

// A rater whose records were read before the timing: every other step of the
// rating runs as in the real rater.
class preread_rater : public rater_aph_continuous {
public:
    explicit preread_rater(premium_database* db) : rater_aph_continuous(db) {}

    void read_records_of(const premium_calculator& calc, std::string& error_text) {
        for (int c = 1; c <= crop_count; ++c)
            for (const insurance_unit& u : calc.units[static_cast<std::size_t>(c - 1)]) {
                char filter[320];
                std::snprintf(filter, sizeof filter,
                              "[State FIPS] = %d AND [County FIPS] = %d AND [Crop Year] = %d AND [Crop Code] = %d AND "
                              "[Insurance Plan ID] = %d AND [Practice Code] = %d AND [Type Code] = %d",
                              calc.state_fips(), calc.county_fips, crop_year, crop_code(c), insurance_plan_id,
                              u.practice_code, u.type_code);
                rowset_continuous_rates rs;
                if (!is_ok(rs.open_with_filter(*database, filter)) || !is_ok(rs.move_first())) {
                    error_text += "no record for ";
                    error_text += filter;
                    continue;
                }
                records_.push_back(rs.record);
            }
    }

    int compute_rate(int year, int crop, int state, int county, int coverage_level, const exact_decimal& rate_yield,
                     const surcharge_list& surcharges, std::string& error_text) override {
        for (const record_continuous_rates& r : records_) {
            if (r.state_fips != state || r.county_fips != county || r.crop_year != year || r.crop_code != crop ||
                r.insurance_plan_id != insurance_plan_id || r.practice_code != practice_code ||
                r.type_code != type_code)
                continue;
            take_record(r);
            rate_from_record_values(year, crop, state, county, coverage_level, rate_yield, span_rate_of(r, rate_yield),
                                    surcharges);
            return 0;
        }
        error_text += "ERROR, no record read beforehand\r\n";
        return 1;
    }

private:
    std::vector<record_continuous_rates> records_;
};

void compute_all_records_preread(benchmark::State& state, bool four) {
    document& doc = shared_document();
    std::string errors;
    preread_rater rater(doc.database.get());
    premium_calculator calc(doc.database.get(), &rater, errors);
    calc.copy_from(farm_calculator(four), errors);
    rater.read_records_of(calc, errors);
    if (!errors.empty()) {
        state.SkipWithError(errors.substr(0, 200).c_str());
        return;
    }
    for (auto _ : state) {
        errors.clear();
        calc.compute_all(*doc.surcharges, errors);
        benchmark::DoNotOptimize(calc.producer_premium_whole_farm.to_double());
    }
    if (!errors.empty()) state.SkipWithError(errors.substr(0, 200).c_str());

    // The floor must rate exactly as the real path does.
    premium_calculator& real = farm_calculator(four);
    real.compute_all(*doc.surcharges, errors);
    if (real.producer_premium_whole_farm != calc.producer_premium_whole_farm ||
        real.total_loaded_enterprise_premium != calc.total_loaded_enterprise_premium)
        state.SkipWithError("the pre-read rating differs from the real one");
    set_farm_counters(state, four);
}

}  // namespace

BENCHMARK_CAPTURE(compute_all_farm, six_crop_farm, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(compute_all_farm, four_crop_farm, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(keystroke_on_crop_page, six_crop_farm, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(keystroke_on_crop_page, four_crop_farm, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(compute_all_records_preread, six_crop_farm, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(compute_all_records_preread, four_crop_farm, true)->Unit(benchmark::kMicrosecond);

}  // namespace zelmora::bench
