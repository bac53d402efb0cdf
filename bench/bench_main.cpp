// zelmora_bench [benchmark options] DATABASE
// Runs every case on the rating database given; the farms rated are picked from it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench_support.h"
#include "data/crops.h"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelmora_bench [benchmark options] DATABASE\n");
        return 2;
    }
    using namespace zelmora;
    bench::set_database_path(argv[1]);
    benchmark::AddCustomContext("database", argv[1]);
    for (const bool four : {false, true}) {
        const bench::picked_county& f = bench::shared_county(four);
        std::string crops;
        for (const auto& c : f.crops) {
            if (!crops.empty()) crops += ", ";
            crops += crop_display_name(c.crop_number);
            crops += " (" + std::to_string(c.practice_type.size()) + " keys)";
        }
        char text[96];
        std::snprintf(text, sizeof text, "state %d county %d, %d units: ", f.state_fips, f.county_fips,
                      f.unit_count());
        benchmark::AddCustomContext(four ? "farm of a four-crop state" : "farm of a six-crop state", text + crops);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
