// import-tables, check-database and scripts/import-mdb end to end: the demo
// database exported as mdb-export writes it, imported again, and rated.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fixture_database.h"
#include "mdb_export.h"

extern char** environ;

using zelmora::testing::scratch_directory;

namespace {

namespace fs = std::filesystem;

struct run_result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void write_file(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// Starts a program with the settings folders in `home` and the given extra
// environment, without waiting for it; its process id (0 when it could not start).
pid_t start_program(const std::vector<std::string>& args, const fs::path& scratch,
                    const std::map<std::string, std::string>& extra = {}) {
    const fs::path out_file = scratch / "stdout", err_file = scratch / "stderr";
    std::vector<std::string> arguments = args;
    std::vector<char*> argv;
    for (auto& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::map<std::string, std::string> variables;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto at = entry.find('=');
        if (at != std::string::npos) variables[entry.substr(0, at)] = entry.substr(at + 1);
    }
    variables["HOME"] = variables["XDG_CONFIG_HOME"] = (scratch / "home").string();
    for (const auto& [name, value] : extra) variables[name] = value;
    std::vector<std::string> environment;
    for (const auto& [name, value] : variables) environment.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0) << "cannot start " << argv[0];
    return spawned == 0 ? pid : 0;
}

// Runs a program as start_program starts it, and waits for it.
run_result run_program(const std::vector<std::string>& args, const fs::path& scratch,
                       const std::map<std::string, std::string>& extra = {}) {
    const fs::path out_file = scratch / "stdout", err_file = scratch / "stderr";
    run_result result;
    const pid_t pid = start_program(args, scratch, extra);
    if (pid == 0) return result;
    int wait_status = 0;
    waitpid(pid, &wait_status, 0);
    result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    result.out = read_file(out_file);
    result.err = read_file(err_file);
    return result;
}

class ImportCommands : public ::testing::Test {
protected:
    // The demo database's ten tables as CSV files, written once for all tests.
    static void SetUpTestSuite() {
        exported_ = std::make_unique<scratch_directory>();
        ASSERT_TRUE(zelmora::testing::mdb_export_all(ZELMORA_DEMO_DATABASE, exported_->path()));
    }
    static void TearDownTestSuite() { exported_.reset(); }

    void SetUp() override { fs::create_directories(dir_.path() / "home"); }

    run_result cli(const std::vector<std::string>& args) const {
        std::vector<std::string> all = {ZELMORA_CLI_BINARY};
        all.insert(all.end(), args.begin(), args.end());
        return run_program(all, dir_.path());
    }

    // A copy of the exported files that a test may change.
    fs::path exported_copy() const {
        const fs::path copy = dir_.path() / "exported";
        fs::create_directories(copy);
        for (const auto& entry : fs::directory_iterator(exported_->path()))
            fs::copy_file(entry.path(), copy / entry.path().filename());
        return copy;
    }

    static std::string example(const char* name) { return std::string(ZELMORA_EXAMPLES_DIR) + "/" + name; }

    static std::unique_ptr<scratch_directory> exported_;
    scratch_directory dir_;
};

std::unique_ptr<scratch_directory> ImportCommands::exported_;

// Replaces the text of line `line` (1 = the header) of a file.
void replace_line(const fs::path& file, int line, const std::string& text) {
    std::istringstream in(read_file(file));
    std::string out, current;
    for (int n = 1; std::getline(in, current); ++n) out += (n == line ? text : current) + "\n";
    write_file(file, out);
}

std::string line_of(const fs::path& file, int line) {
    std::istringstream in(read_file(file));
    std::string current;
    for (int n = 1; std::getline(in, current); ++n)
        if (n == line) return current;
    return {};
}

}  // namespace

TEST_F(ImportCommands, AnAccessFileImportedThroughMdbExportRatesAsTheDemoDatabase) {
    // A stand-in mdb-export on the PATH serves the exported files; it has no
    // "County Average Yields", which the import may leave empty.
    const fs::path served = exported_copy();
    fs::remove(served / "County Average Yields.csv");
    const fs::path bin = dir_.path() / "bin";
    fs::create_directories(bin);
    write_file(bin / "mdb-export",
               "#!/bin/sh\n"
               "[ -f \"$STAND_IN_FOLDER/$2.csv\" ] || { echo \"Error: Table $2 does not exist in this database.\" >&2; "
               "exit 1; }\n"
               "cat \"$STAND_IN_FOLDER/$2.csv\"\n");
    fs::permissions(bin / "mdb-export", fs::perms::owner_all);
    const fs::path access_file = dir_.path() / "rates.mdb";
    write_file(access_file, "stand-in");
    const std::string imported = (dir_.path() / "imported.sqlite").string();

    const run_result r = run_program(
        {std::string(ZELMORA_SOURCE_DIR) + "/scripts/import-mdb", access_file.string(), imported}, dir_.path(),
        {{"PATH", bin.string() + ":" + std::getenv("PATH")},
         {"ZELMORA_CLI", ZELMORA_CLI_BINARY},
         {"STAND_IN_FOLDER", served.string()}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Continuous Rates"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("no \"County Average Yields.csv\": the table is left empty"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("mdb-export \"County Average Yields\": Error: Table County Average Yields does not exist"),
              std::string::npos)
        << r.err;

    // The same figures and worksheets on the imported file as on the demo database.
    const std::map<std::string, std::vector<std::vector<std::string>>> farms = {
        {"arkansas-farm.ini", {{"worksheet", "1"}, {"worksheet", "2"}, {"worksheet", "8"}, {"worksheet", "9"}}},
        {"iowa-farm.ini", {{"worksheet", "1"}, {"worksheet", "2"}, {"worksheet", "7"}}},
        {"north-dakota-farm.ini",
         {{"worksheet", "3"}, {"worksheet", "4"}, {"worksheet", "5"}, {"worksheet", "6"}, {"malting-barley"}}},
    };
    for (const auto& [farm, worksheets] : farms) {
        std::vector<std::vector<std::string>> commands = {{"rate", "--tsv"}, {"whole-farm"}};
        commands.insert(commands.end(), worksheets.begin(), worksheets.end());
        for (const auto& command : commands) {
            auto with = [&](const std::string& database) {
                std::vector<std::string> args = {"--database", database, "--inputs", example(farm.c_str())};
                args.insert(args.end(), command.begin(), command.end());
                return cli(args);
            };
            const run_result demo = with(ZELMORA_DEMO_DATABASE), mine = with(imported);
            EXPECT_EQ(mine.status, demo.status) << farm << " " << command[0];
            EXPECT_EQ(mine.out, demo.out) << farm << " " << command[0] << " " << command.back();
            EXPECT_EQ(mine.err, demo.err) << farm << " " << command[0];
        }
    }

    const run_result check = cli({"--database", imported, "check-database"});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_NE(check.out.find("This is not the bundled demo database."), std::string::npos);
}

TEST_F(ImportCommands, RowsThatCannotBeConvertedAreEachReportedAndNoFileIsLeft) {
    const fs::path folder = exported_copy();
    // Line 3 of the rates: a text in "Reference Rate" (the ninth column); line 2
    // of the County List: a boolean that is neither 1 nor 0.
    std::string rates = line_of(folder / "Continuous Rates.csv", 3);
    std::vector<std::string> fields;
    std::stringstream split(rates);
    for (std::string f; std::getline(split, f, ',');) fields.push_back(f);
    fields[8] = "12a";
    rates.clear();
    for (std::size_t i = 0; i < fields.size(); ++i) rates += (i ? "," : "") + fields[i];
    replace_line(folder / "Continuous Rates.csv", 3, rates);
    std::string county = line_of(folder / "County List.csv", 2);
    county.replace(county.rfind(','), std::string::npos, ",maybe");
    replace_line(folder / "County List.csv", 2, county);

    const std::string output = (dir_.path() / "new.sqlite").string();
    const run_result r = cli({"import-tables", folder.string(), "--output", output});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("Continuous Rates.csv:3: column \"Reference Rate\": \"12a\" is not a whole number from 0 to "
                         "1000 (thousandths)\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("County List.csv:2: column \"8085 Indicator 9\": \"maybe\" is not a boolean"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("\"" + output + "\" was not written"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(output));
    for (const auto& entry : fs::directory_iterator(dir_.path()))
        EXPECT_EQ(entry.path().filename().string().find("new.sqlite"), std::string::npos) << entry.path();
}

TEST_F(ImportCommands, RefusedCallsExitWithTwoAndOneLine) {
    const std::string existing = (dir_.path() / "existing.sqlite").string();
    write_file(existing, "mine");
    const fs::path empty = dir_.path() / "empty";
    fs::create_directories(empty);
    const std::vector<std::vector<std::string>> cases = {
        {"import-tables", exported_->path().string()},                                       // no --output
        {"import-tables", "--output", existing},                                             // no DIR
        {"import-tables", (dir_.path() / "none").string(), "--output", "x.sqlite"},          // no such folder
        {"import-tables", exported_->path().string(), "--output", existing},                 // never replaces a file
        {"import-tables", empty.string(), "--output", (dir_.path() / "y.sqlite").string()},  // no CSV files
        {"check-database", "now"},
    };
    for (const auto& args : cases) {
        const run_result r = cli(args);
        EXPECT_EQ(r.status, 2) << args.back() << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind("zelmora-cli: ", 0), 0u) << r.err;
    }
    EXPECT_EQ(read_file(existing), "mine");
    EXPECT_FALSE(fs::exists(dir_.path() / "y.sqlite"));
}

TEST_F(ImportCommands, CheckDatabaseExitsWithFourWhenItFindsProblemsAndOneWhenItCannotOpen) {
    const run_result demo = cli({"--database", ZELMORA_DEMO_DATABASE, "check-database"});
    EXPECT_EQ(demo.status, 0) << demo.out;
    EXPECT_NE(demo.out.find("This is the bundled demo database"), std::string::npos);
    EXPECT_NE(demo.out.find("No problems found.\n"), std::string::npos);

    const fs::path copy = dir_.path() / "copy.sqlite";
    fs::copy_file(ZELMORA_DEMO_DATABASE, copy);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(copy.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE `Continuous Rates` SET `Reference Rate` = NULL WHERE rowid = 7", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const auto before = fs::last_write_time(copy);
    const run_result found = cli({"--database", copy.string(), "check-database"});
    EXPECT_EQ(found.status, 4) << found.out;
    EXPECT_NE(found.out.find("  1 values in [Continuous Rates] `Reference Rate` that are not a whole number from 0 to "
                             "1000 (thousandths)\n    row 7 ("),
              std::string::npos)
        << found.out;
    EXPECT_NE(found.out.find("1 problem found.\n"), std::string::npos);
    EXPECT_EQ(fs::last_write_time(copy), before);

    const run_result missing = cli({"--database", (dir_.path() / "none.sqlite").string(), "check-database"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("ERROR, unable to open database"), std::string::npos) << missing.err;

    const run_result help = cli({"--help"});
    for (const char* text : {"import-tables DIR --output FILE", "check-database", "4  check-database found problems"})
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
}

namespace {

// The exported files with the rates written `times` over, so that an import
// runs long enough to be caught part way.
void lengthen_rates(const fs::path& folder, int times) {
    const std::string rates = read_file(folder / "Continuous Rates.csv");
    const auto header_end = rates.find('\n') + 1;
    std::string longer = rates;
    for (int i = 1; i < times; ++i) longer.append(rates, header_end, std::string::npos);
    write_file(folder / "Continuous Rates.csv", longer);
}

std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Waits until the import's temporary file beside `output` is there.
bool temporary_file_appears(const fs::path& output) {
    for (int waited = 0; waited < 20000; ++waited) {
        for (const std::string& name : names_in(output.parent_path()))
            if (name.rfind(output.filename().string() + ".import-", 0) == 0) return true;
        usleep(500);
    }
    return false;
}

}  // namespace

// The output is checked at the start and never replaced at the end either: a
// file or a symbolic link that appears while the import runs stays, the import
// fails and leaves nothing of its own.
TEST_F(ImportCommands, AnOutputCreatedWhileTheImportRunsIsNeverReplaced) {
    const fs::path folder = exported_copy();
    lengthen_rates(folder, 2);
    const fs::path out = dir_.path() / "out";
    fs::create_directories(out);
    const fs::path output = out / "new.sqlite";
    const fs::path elsewhere = out / "elsewhere.sqlite";

    struct in_the_way {
        const char* what;
        std::function<void()> make;
        std::function<void()> expect_kept;
    };
    const in_the_way cases[] = {
        {"a file", [&] { write_file(output, "someone else's"); },
         [&] { EXPECT_EQ(read_file(output), "someone else's"); }},
        {"a dangling symbolic link", [&] { fs::create_symlink(elsewhere, output); },
         [&] {
             EXPECT_TRUE(fs::is_symlink(output));
             EXPECT_FALSE(fs::exists(elsewhere));
         }},
    };
    for (const in_the_way& c : cases) {
        SCOPED_TRACE(c.what);
        const pid_t pid = start_program({ZELMORA_CLI_BINARY, "import-tables", folder.string(), "--output", output.string()},
                                        dir_.path());
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(temporary_file_appears(output));
        kill(pid, SIGSTOP);
        c.make();
        kill(pid, SIGCONT);
        int wait_status = 0;
        waitpid(pid, &wait_status, 0);
        ASSERT_TRUE(WIFEXITED(wait_status));
        EXPECT_EQ(WEXITSTATUS(wait_status), 3);
        const std::string err = read_file(dir_.path() / "stderr");
        EXPECT_NE(err.find(": File exists\n"), std::string::npos) << err;
        EXPECT_NE(err.find("\"" + output.string() + "\" was not written"), std::string::npos) << err;
        c.expect_kept();
        EXPECT_EQ(names_in(out), std::vector<std::string>{"new.sqlite"});

        // Already there at the start: refused before anything is read.
        const run_result refused = cli({"import-tables", folder.string(), "--output", output.string()});
        EXPECT_EQ(refused.status, 2) << refused.err;
        c.expect_kept();
        EXPECT_EQ(names_in(out), std::vector<std::string>{"new.sqlite"});
        fs::remove(output);
    }
}

// Stopped by SIGINT or SIGTERM part way, an import removes its temporary file
// and still ends as the signal ends a process.
TEST_F(ImportCommands, AnInterruptedImportLeavesNoFile) {
    const fs::path folder = exported_copy();
    lengthen_rates(folder, 2);
    const fs::path out = dir_.path() / "out";
    fs::create_directories(out);
    const fs::path output = out / "new.sqlite";
    for (const int signal_number : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal_number);
        const pid_t pid = start_program({ZELMORA_CLI_BINARY, "import-tables", folder.string(), "--output", output.string()},
                                        dir_.path());
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(temporary_file_appears(output));
        kill(pid, signal_number);
        int wait_status = 0;
        waitpid(pid, &wait_status, 0);
        ASSERT_TRUE(WIFSIGNALED(wait_status)) << "the import ended before its signal";
        EXPECT_EQ(WTERMSIG(wait_status), signal_number);
        EXPECT_EQ(names_in(out), std::vector<std::string>{});
    }
}
