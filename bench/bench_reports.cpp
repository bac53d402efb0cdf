// The page reports and the worksheets on a full farm.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "rating/reports.h"

namespace zelmora::bench {

namespace {

void report_test_1_to_63(benchmark::State& state) {
    const bool four = state.range(0) != 0;
    premium_calculator& calc = farm_calculator(four);
    const surcharge_list& surcharges = *shared_document().surcharges;
    for (auto _ : state) {
        std::string text = test_report(calc, surcharges, 1, 63);
        benchmark::DoNotOptimize(text.data());
        calc.indicated.fill(true);  // the Test leaves the ticks of combination 63
    }
}

void report_acreage_loop(benchmark::State& state) {
    const bool four = state.range(0) != 0;
    const premium_calculator& calc = farm_calculator(four);
    const surcharge_list& surcharges = *shared_document().surcharges;
    for (auto _ : state) {
        std::string text = acreage_loop_report(calc, surcharges);
        benchmark::DoNotOptimize(text.data());
    }
}

void report_b_value_dump(benchmark::State& state) {
    const bool four = state.range(0) != 0;
    const premium_calculator& calc = farm_calculator(four);
    const surcharge_list& surcharges = *shared_document().surcharges;
    for (auto _ : state) {
        std::string text = b_value_dump(calc, surcharges);
        benchmark::DoNotOptimize(text.data());
    }
}

// The crop page's Copy: compute_all, then the worksheet of the page's crop.
void single_crop_worksheet_copy(benchmark::State& state) {
    const bool four = state.range(0) != 0;
    premium_calculator& calc = farm_calculator(four);
    const surcharge_list& surcharges = *shared_document().surcharges;
    const int crop = shared_farm(four).crops.front().crop_number;
    for (auto _ : state) {
        std::string text;
        calc.compute_all(surcharges, text);
        calc.single_crop_worksheet(text, crop, surcharges);
        benchmark::DoNotOptimize(text.data());
    }
}

// The whole-farm worksheet prints the results of the last compute_all.
void whole_farm_worksheet_text(benchmark::State& state) {
    const bool four = state.range(0) != 0;
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

BENCHMARK(report_test_1_to_63)->ArgName("four_crop")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(report_acreage_loop)->ArgName("four_crop")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(report_b_value_dump)->ArgName("four_crop")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(single_crop_worksheet_copy)->ArgName("four_crop")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(whole_farm_worksheet_text)->ArgName("four_crop")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace zelmora::bench
