// Importing the tables from CSV files and checking a database. Goals: on the
// national-size database (make_demo_database --scale 21) an import in under a
// minute and a check in under 30 s; a check of the demo database in under 2 s.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "bench_support.h"
#include "data/database_check.h"
#include "data/table_import.h"
#include "mdb_export.h"

namespace zelmora::bench {

namespace {

namespace fs = std::filesystem;

// A folder of its own for the files of one case, removed at the end.
class scratch_folder {
public:
    explicit scratch_folder(const std::string& name)
        : path_(fs::temp_directory_path() / ("zelmora-bench-" + name + "-" + std::to_string(::getpid()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~scratch_folder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

void import_tables_from_csv(benchmark::State& state) {
    scratch_folder folder("import");
    const fs::path csv = folder.path() / "csv";
    fs::create_directories(csv);
    if (!testing::mdb_export_all(database_path(), csv)) {
        state.SkipWithError("cannot export the database");
        return;
    }
    const std::string output = (folder.path() / "imported.sqlite").string();
    for (auto _ : state) {
        const import_result result = import_tables(csv.string(), output);
        state.PauseTiming();
        if (result.outcome != import_outcome::done) state.SkipWithError(result.problems.substr(0, 200).c_str());
        fs::remove(output);
        state.ResumeTiming();
    }
}

void check_rating_database(benchmark::State& state) {
    premium_database& db = shared_document().database();
    int problems = 0;
    for (auto _ : state) problems = check_database(db, database_path()).problem_count;
    state.counters["problems"] = problems;
}

}  // namespace

BENCHMARK(import_tables_from_csv)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(check_rating_database)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace zelmora::bench
