// The batch command's throughput: the three example farms repeated, rated by
// one and by two workers, each on its own connection, the lines thrown away.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "cli/batch.h"

namespace zelmora::bench {

namespace {

void batch_of_the_examples(benchmark::State& state) {
    constexpr int rounds = 300;
    batch_options options;
    options.database = database_path();
    options.jobs = static_cast<int>(state.range(0));
    for (int i = 0; i < rounds; ++i)
        for (const char* name : {"iowa-farm.ini", "arkansas-farm.ini", "north-dakota-farm.ini"})
            options.farms.push_back(std::string(ZELMORA_EXAMPLES_DIR) + "/" + name);
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::fopen("/dev/null", "wb"), &std::fclose);
    int status = 0;
    for (auto _ : state) status = run_batch(options, sink.get(), stderr);
    if (status != 0) state.SkipWithError("a farm of the batch failed");
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(options.farms.size()));
    state.counters["farms"] = static_cast<double>(options.farms.size());
}

}  // namespace

BENCHMARK(batch_of_the_examples)->ArgName("jobs")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace zelmora::bench
