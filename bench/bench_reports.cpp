// The page reports and the worksheets on a full farm, each rating the farm.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "rating/reports.h"

namespace zelmora::bench {

namespace {

void report_test_1_to_63(benchmark::State& state, bool four) {
    for (auto _ : state) {
        std::string text = test_report(shared_document(), shared_farm(four), 1, 63);
        benchmark::DoNotOptimize(text.data());
    }
}

void report_acreage_loop(benchmark::State& state, bool four) {
    for (auto _ : state) {
        std::string text = acreage_loop_report(shared_document(), shared_farm(four));
        benchmark::DoNotOptimize(text.data());
    }
}

void report_b_value_dump(benchmark::State& state, bool four) {
    for (auto _ : state) {
        std::string text = b_value_dump(shared_document(), shared_farm(four));
        benchmark::DoNotOptimize(text.data());
    }
}

// The crop page's Copy: the farm rated, then the worksheet of the page's crop.
void single_crop_worksheet_copy(benchmark::State& state, bool four) {
    const int crop = shared_county(four).crops.front().crop_number;
    for (auto _ : state) {
        std::string text = single_crop_worksheet(shared_document(), shared_farm(four), crop, true);
        benchmark::DoNotOptimize(text.data());
    }
}

// The whole-farm page's Copy: the farm rated, then its whole-farm worksheet.
void whole_farm_worksheet_text(benchmark::State& state, bool four) {
    for (auto _ : state) {
        std::string text = whole_farm_copy_text(shared_document(), shared_farm(four));
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
