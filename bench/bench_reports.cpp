// The page reports and the worksheets on a full farm.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "rating/reports.h"

namespace zelmora::bench {

namespace {

void report_test_1_to_63(benchmark::State& state, bool four) {
    premium_calculator& calc = farm_calculator(four);
    const surcharge_list& surcharges = *shared_document().surcharges;
    for (auto _ : state) {
        std::string text = test_report(calc, surcharges, 1, 63);
        benchmark::DoNotOptimize(text.data());
        calc.indicated.fill(true);  // the Test leaves the ticks of combination 63
    }
}

void report_acreage_loop(benchmark::State& state, bool four) {
    const premium_calculator& calc = farm_calculator(four);
    const surcharge_list& surcharges = *shared_document().surcharges;
    for (auto _ : state) {
        std::string text = acreage_loop_report(calc, surcharges);
        benchmark::DoNotOptimize(text.data());
    }
}

void report_b_value_dump(benchmark::State& state, bool four) {
    const premium_calculator& calc = farm_calculator(four);
    const surcharge_list& surcharges = *shared_document().surcharges;
    for (auto _ : state) {
        std::string text = b_value_dump(calc, surcharges);
        benchmark::DoNotOptimize(text.data());
    }
}

// The crop page's Copy: compute_all, then the worksheet of the page's crop, in
// one record scope as the page does.
void single_crop_worksheet_copy(benchmark::State& state, bool four) {
    premium_calculator& calc = farm_calculator(four);
    const surcharge_list& surcharges = *shared_document().surcharges;
    const int crop = shared_farm(four).crops.front().crop_number;
    for (auto _ : state) {
        std::string text;
        const rate_record_scope records(calc.rater);
        calc.compute_all(surcharges, text);
        calc.single_crop_worksheet(text, crop, surcharges);
        benchmark::DoNotOptimize(text.data());
    }
}

// The whole-farm worksheet prints the results of the last compute_all.
void whole_farm_worksheet_text(benchmark::State& state, bool four) {
    premium_calculator& calc = farm_calculator(four);
    std::string errors;
    calc.compute_all(*shared_document().surcharges, errors);
    for (auto _ : state) {
        std::string text;
        calc.whole_farm_worksheet(text);
        benchmark::DoNotOptimize(text.data());
    }
}

}  // namespace

BENCHMARK_CAPTURE(report_test_1_to_63, six_crop_farm, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(report_test_1_to_63, four_crop_farm, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(report_acreage_loop, six_crop_farm, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(report_acreage_loop, four_crop_farm, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(report_b_value_dump, six_crop_farm, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(report_b_value_dump, four_crop_farm, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(single_crop_worksheet_copy, six_crop_farm, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(single_crop_worksheet_copy, four_crop_farm, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(whole_farm_worksheet_text, six_crop_farm, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(whole_farm_worksheet_text, four_crop_farm, true)->Unit(benchmark::kMicrosecond);

}  // namespace zelmora::bench
