// zelmora_resident_memory DATABASE
// Opens a document on the database as the application does, rates the six-crop
// farm, and prints the process's resident memory at each step.
#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "rating/farm_file.h"

namespace {

// "VmRSS" or "VmHWM" of /proc/self/status in kB; -1 when unreadable.
long status_kb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.compare(0, prefix.size(), prefix) == 0) return std::stol(line.substr(prefix.size()));
    return -1;
}

void print_step(const char* step) {
    std::printf("%-44s VmRSS %7.1f MB   VmHWM %7.1f MB\n", step, static_cast<double>(status_kb("VmRSS")) / 1024.0,
                static_cast<double>(status_kb("VmHWM")) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelmora_resident_memory DATABASE\n");
        return 2;
    }
    using namespace zelmora;
    print_step("start");
    // The settings a document finds: those of a six-crop farm picked beforehand
    // on a connection of its own, closed again.
    memory_settings_store store;
    {
        std::string errors;
        auto db = connect_premium_database(argv[1], errors);
        if (!db) {
            std::fputs(errors.c_str(), stderr);
            return 1;
        }
        write_farm_settings(bench::full_farm(bench::pick_county(*db, false)), store);
    }
    malloc_trim(0);  // hand the picking's memory back before measuring
    print_step("settings prepared");
    auto doc = bench::open_document(argv[1], store);
    if (!doc->is_open()) {
        std::fputs(doc->error_text.c_str(), stderr);
        return 1;
    }
    print_step("document open");
    const farm_rating rated = doc->rate(read_farm_settings(store));
    print_step("farm rated");
    if (!rated.error_text().empty()) std::fputs(rated.error_text().c_str(), stderr);
    return 0;
}
