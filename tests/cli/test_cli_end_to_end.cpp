// zelmora-cli end to end: the built binary run on the demo database, with its
// settings folders (HOME, XDG_CONFIG_HOME) pointed at an empty scratch folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/session.h"
#include "comma_locales.h"
#include "fixture_database.h"
#include "rating/farm_file.h"

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

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto at = text.find(separator, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

// Lines of a text whose lines all end in `end`; a missing last end fails.
std::vector<std::string> lines_ending_in(const std::string& text, const std::string& end) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto at = text.find(end, start);
        EXPECT_NE(at, std::string::npos) << "unterminated last line: " << text.substr(start);
        if (at == std::string::npos) break;
        lines.push_back(text.substr(start, at - start));
        start = at + end.size();
    }
    return lines;
}

// The last line of a text, with its line end: what the command line said last
// (Qt Gui may say something of its own before it).
std::string last_line(const std::string& text) {
    const auto end = text.size() > 1 ? text.rfind('\n', text.size() - 2) : std::string::npos;
    return end == std::string::npos ? text : text.substr(end + 1);
}

std::size_t count_entries(const fs::path& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : fs::recursive_directory_iterator(dir)) ++n;
    return n;
}

// Where a run's standard output goes, and the largest file it may write.
struct run_options {
    std::string standard_output;  // empty: captured in run_result::out
    rlim_t file_size_limit = 0;   // bytes (the file size limit, SIGXFSZ ignored); 0: none
    // NAME=value entries that replace NAME's inherited value (an empty value: as
    // if unset, for the locale variables).
    std::vector<std::string> environment = {};
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(home()); }

    // The settings folders of every run: HOME and XDG_CONFIG_HOME.
    fs::path home() const { return dir_.path() / "home"; }

    // `environment` holds NAME=value entries that replace NAME's inherited value
    // (an empty value: as if unset, for the locale variables).
    run_result run_in(const std::vector<std::string>& environment, const std::vector<std::string>& args) const {
        run_options options;
        options.environment = environment;
        return run(args, options);
    }

    run_result run(const std::vector<std::string>& args, const run_options& options = {}) const {
        const pid_t pid = start(args, options);
        run_result result;
        if (pid <= 0) return result;
        int wait_status = 0;
        waitpid(pid, &wait_status, 0);
        EXPECT_TRUE(WIFEXITED(wait_status)) << "zelmora-cli did not exit normally";
        result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
        if (options.standard_output.empty()) result.out = read_file(dir_.path() / "stdout");
        result.err = read_file(dir_.path() / "stderr");
        return result;
    }

    // Starts zelmora-cli without waiting for it; its process id (0 when it could not start).
    pid_t start(const std::vector<std::string>& args, const run_options& options = {}) const {
        const fs::path out_file = options.standard_output.empty() ? dir_.path() / "stdout" : fs::path(options.standard_output);
        const fs::path err_file = dir_.path() / "stderr";
        std::vector<std::string> arguments = {ZELMORA_CLI_BINARY};
        arguments.insert(arguments.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);

        std::vector<std::string> changes = {"HOME=" + home().string(), "XDG_CONFIG_HOME=" + home().string()};
        changes.insert(changes.end(), options.environment.begin(), options.environment.end());
        auto changed = [&changes](const std::string& entry) {
            return std::any_of(changes.begin(), changes.end(), [&entry](const std::string& change) {
                return entry.compare(0, change.find('=') + 1, change, 0, change.find('=') + 1) == 0;
            });
        };
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e)
            if (!changed(*e)) environment.push_back(*e);
        environment.insert(environment.end(), changes.begin(), changes.end());
        std::vector<char*> envp;
        for (auto& e : environment) envp.push_back(e.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        // The limit and the ignored signal are inherited; this process takes its own back at once.
        rlimit own_limit{};
        getrlimit(RLIMIT_FSIZE, &own_limit);
        struct sigaction own_action {};
        if (options.file_size_limit > 0) {
            const rlimit limit{options.file_size_limit, own_limit.rlim_max};
            setrlimit(RLIMIT_FSIZE, &limit);
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            sigaction(SIGXFSZ, &ignore, &own_action);
        }
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        if (options.file_size_limit > 0) {
            setrlimit(RLIMIT_FSIZE, &own_limit);
            sigaction(SIGXFSZ, &own_action, nullptr);
        }
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0) << "cannot start " << argv[0];
        return spawned == 0 ? pid : 0;
    }

    // The names in the scratch folder, hidden ones included, but those of the runs' own files.
    std::vector<std::string> scratch_names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_.path())) {
            const std::string name = entry.path().filename().string();
            if (name != "stdout" && name != "stderr" && name != "home") names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // A copy of the demo database that a test may change.
    std::string database_copy() const {
        const fs::path copy = dir_.path() / "copy.sqlite";
        fs::copy_file(ZELMORA_DEMO_DATABASE, copy, fs::copy_options::overwrite_existing);
        return copy.string();
    }

    std::string inputs_file(const std::string& text, const std::string& name = "inputs.ini") const {
        const fs::path path = dir_.path() / name;
        write_file(path, text);
        return path.string();
    }

    static std::string example(const char* name) { return std::string(ZELMORA_EXAMPLES_DIR) + "/" + name; }

    // The quote of a farm as pdftotext -layout reads it, one text per page.
    std::vector<std::string> quote_pages(const std::string& inputs) const {
        const fs::path pdf = dir_.path() / "pages.pdf";
        const fs::path text = dir_.path() / "pages.txt";
        const run_result r = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs, "quote", "--pdf", pdf.string()});
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string command = "pdftotext -layout '" + pdf.string() + "' '" + text.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        std::vector<std::string> pages = split(read_file(text), '\f');
        if (!pages.empty() && pages.back().find_first_not_of(" \n") == std::string::npos) pages.pop_back();
        return pages;
    }

    // The units of `rate --tsv`: crop, unit number, total premium, subsidy and producer premium.
    struct rated_unit {
        std::string crop;
        int number = 0;
        long total_premium = 0;
        long subsidy = 0;
        long producer_premium = 0;
    };
    std::vector<rated_unit> rated_units(const std::string& inputs) const {
        std::vector<rated_unit> units;
        const run_result r = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs, "rate", "--tsv"});
        for (const auto& line : split(r.out, '\n')) {
            const auto cells = split(line, '\t');
            if (cells.size() < 8 || cells[0] != "unit" || cells[5].empty()) continue;
            units.push_back({cells[1], std::stoi(cells[2]), std::stol(cells[5]), std::stol(cells[6]), std::stol(cells[7])});
        }
        return units;
    }

    scratch_directory dir_;
};

// Two Corn units and one Soybeans unit in Iowa, Story County.
const char* const small_farm =
    "[Settings]\n"
    "State FIPS=19\n"
    "County FIPS=169\n"
    "Price Corn=2.80\n"
    "Units Corn=2\n"
    "Type 1 01=997\nPractice 1 01=3\nAPH Yield 1 01=150.000\nRate Yield 1 01=150.000\n"
    "Crop Acres 1 01=100.000\nCrop Share 1 01=1.000\n"
    "Type 1 02=997\nPractice 1 02=3\nAPH Yield 1 02=140.000\nRate Yield 1 02=140.000\n"
    "Crop Acres 1 02=80.000\nCrop Share 1 02=0.500\n"
    "Coverage 1=75\n"
    "Units Soybeans=1\n"
    "Type 2 01=997\nPractice 2 01=3\nAPH Yield 2 01=45.000\nRate Yield 2 01=45.000\n"
    "Crop Acres 2 01=120.000\nCrop Share 2 01=1.000\n"
    "Coverage 2=70\n";

}  // namespace

TEST_F(Cli, HelpAndVersion) {
    const run_result help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.err.empty()) << help.err;
    for (const char* command : {"rate [--tsv]", "worksheet CROP", "whole-farm", "malting-barley", "test-report",
                                "acreage-loop", "b-value-dump", "state-inputs", "write-column-lookup",
                                "write-county-list", "batch [--jobs N] [--output FILE] FARM...",
                                "a farm of a batch was", "--database PATH", "--inputs FILE"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    EXPECT_EQ(run({"rate", "--help"}).out, help.out);

    const run_result version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "zelmora-cli 4.00\n");
}

TEST_F(Cli, UsageErrorsExitWithTwoAndOneLine) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"frobnicate"}, {"--bogus", "rate"}, {"rate", "--csv"}, {"worksheet", "Oats"}, {"test-report", "5"},
        {"--database"},
    };
    for (const auto& args : cases) {
        std::vector<std::string> with_database = {"--database", ZELMORA_DEMO_DATABASE};
        with_database.insert(with_database.end(), args.begin(), args.end());
        const run_result r = run(args.size() == 1 && args[0] == "--database" ? args : with_database);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "(none)" : args[0]);
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_EQ(r.err.rfind("zelmora-cli: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST_F(Cli, MissingDatabaseExitsWithOne) {
    const std::string missing = (dir_.path() / "no such.sqlite").string();
    const run_result r = run({"--database", missing, "--inputs", inputs_file(small_farm), "rate"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("ERROR, unable to open database \"" + missing + "\""), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(missing));  // never created
}

TEST_F(Cli, BadInputsFilesExitWithTwo) {
    const std::pair<const char*, const char*> cases[] = {
        {"[Settings]\nState FIPS\n", "line 2"},
        {"State FIPS=19\n", "line 1"},
        {"[Settings\n", "line 1"},
        {"[Settings]\nUnits Corn=8\n", "Units Corn"},
        {"[Settings]\nUnits Corn=-1\n", "Units Corn"},
        {"[Settings]\nCoverage Whole Farm=72\n", "Coverage Whole Farm"},
        {"[Settings]\nMalting Barley Option=3\n", "Malting Barley Option"},
        {"[Settings]\nPP Factor 5 Corn=abc\n", "PP Factor 5 Corn"},
        {"[Settings]\nPP Factor 5 Corm=1.1\n", "PP Factor 5 Corm"},
        {"[Settings]\nUnits Canola=2\nCR Option 4 03=0.9\n", "CR Option 4 03"},
        {"[Settings]\nUnits Corn=1\nCrop Acre 1 01=99999\n", "did you mean \"Crop Acres 1 01\"?"},
        {"[Settings]\ncoverage 1=80\n", "did you mean \"Coverage 1\"?"},
        {"", "no [Settings] section"},
    };
    for (const auto& [text, mentioned] : cases) {
        const run_result r = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs_file(text), "rate"});
        EXPECT_EQ(r.status, 2) << text;
        EXPECT_TRUE(r.out.empty()) << text;
        EXPECT_NE(r.err.find(mentioned), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    const run_result unreadable =
        run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", (dir_.path() / "none.ini").string(), "rate"});
    EXPECT_EQ(unreadable.status, 2);
    EXPECT_NE(unreadable.err.find("cannot read inputs file"), std::string::npos) << unreadable.err;
}

// Refused before the database is opened: a database path that does not exist
// gives exit 2, not the connection's exit 1, and is never created.
TEST_F(Cli, InputsNoFarmCanHaveAreRefusedBeforeTheDatabaseIsOpened) {
    const std::string missing = (dir_.path() / "no such.sqlite").string();
    const std::pair<std::string, std::string> cases[] = {
        {"Price Corn=1e308\n", "\"Price Corn\" must be a decimal number from 0 to 100000, not \"1e308\""},
        {"Units Corn=1\nCrop Share 1 01=-5\n", "\"Crop Share 1 01\""},
        {"Coverage 1=1e308\n", "\"Coverage 1\" must be 65, 70, 75, 80 or 85, not \"1e308\""},
        {"Sections Corn=-2147483648\n", "\"Sections Corn\""},
        {"Units Corn=1\nAPH Yield 1 01=99999999999999999999\n", "\"APH Yield 1 01\""},
        {"Price Corn=x\n", "\"Price Corn\" must be a decimal number, not \"x\""},
        {"Units Corn=99999999999999999999\n", "not \"99999999999999999999\""},
        {"Price Corn=" + std::string(1000000, '7') + "\n", "not \"" + std::string(40, '7') + "...\""},
        {"Price Corn=2\x1b]0;title\x07\n", "not \"2?]0;title?\""},
    };
    for (const auto& [keys, mentioned] : cases) {
        const run_result r = run({"--database", missing, "--inputs", inputs_file("[Settings]\n" + keys), "rate"});
        EXPECT_EQ(r.status, 2) << keys.substr(0, 60);
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find(mentioned), std::string::npos) << r.err.substr(0, 200);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err.substr(0, 200);
        EXPECT_LT(r.err.size(), 200u);
        EXPECT_FALSE(fs::exists(missing));
    }
    for (const std::string& path : {dir_.path().string(), std::string("/dev/zero")}) {
        const run_result r = run({"--database", missing, "--inputs", path, "rate"});
        EXPECT_EQ(r.status, 2) << path;
        EXPECT_EQ(r.err, "zelmora-cli: cannot read inputs file \"" + path + "\": it " +
                             (path == "/dev/zero" ? "is not a regular file" : "is a directory") + "\n");
    }
}

// The edges of every range rate to finite figures: no "nan", no "inf".
TEST_F(Cli, InputsAtTheEdgesOfTheirRangesGiveFiniteFigures) {
    const std::string units =
        "Units Corn=2\nType 1 01=997\nPractice 1 01=3\nAPH Yield 1 01=100000\nRate Yield 1 01=100000\n"
        "Crop Acres 1 01=1000000\nCrop Share 1 01=1\nWritten Agreement 1 01=1\n"
        "Type 1 02=997\nPractice 1 02=3\nAPH Yield 1 02=1e-300\nRate Yield 1 02=0\nCrop Acres 1 02=1e-300\n"
        "Crop Share 1 02=1e-300\nUnits Soybeans=1\nType 2 01=997\nPractice 2 01=3\nAPH Yield 2 01=45\n"
        "Rate Yield 2 01=45\nCrop Acres 2 01=120\nCrop Share 2 01=1\n";
    const std::string farms[] = {
        "Price Corn=100000\nPrice Volatility Corn=10\nSections Corn=9999\nCoverage 1=85\nCoverage Enterprise 1=85\n"
        "Prevented Planting Select 1=2\nPP Factor 10 Corn=10\nPrevented Planting Select Enterprise 1=2\n"
        "Coverage Whole Farm=85\nPrevented Planting Select Whole Farm=2\nHarvest Guarantee Corn=1\n",
        "Price Corn=4.9e-324\nPrice Volatility Corn=0\nSections Corn=0\nSections Soybeans=0\n"
        "Price Soybeans=4.9e-324\nAPH Yield 2 01=0.1\n",  // price times yield is 0 though neither is
        "Price Soybeans=0\n",
        "Price Corn=1e-300\nPrice Volatility Corn=1e-300\nSections Corn=0\nPP Factor 5 Corn=0\n"
        "Prevented Planting Select 1=1\n",
    };
    for (const std::string& farm : farms) {
        const std::string inputs = inputs_file("[Settings]\nState FIPS=19\nCounty FIPS=169\n" + units + farm);
        for (const std::vector<std::string>& command :
             {std::vector<std::string>{"rate", "--tsv"}, {"worksheet", "1"}, {"whole-farm"}}) {
            std::vector<std::string> args = {"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs};
            args.insert(args.end(), command.begin(), command.end());
            const run_result r = run(args);
            // The first unit's yields are far above the county's reference yield:
            // `rate` leaves it out, says so and exits with 3; the worksheets show its steps.
            EXPECT_EQ(r.status, command[0] == "rate" ? 3 : 0) << r.err;
            std::string lower = r.out;
            std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
            EXPECT_EQ(lower.find("nan"), std::string::npos) << farm << r.out;
            EXPECT_EQ(lower.find("inf"), std::string::npos) << farm << r.out;
            if (command[0] == "rate") {  // no figure below zero, none printed as -0
                EXPECT_EQ(r.out.find("\t-"), std::string::npos) << farm << r.out;
                EXPECT_NE(r.err.find("Corn unit 1: rate yield 100000 is more than 3 times"), std::string::npos) << r.err;
            }
        }
    }
}

// A name read from the database is printed with its control characters replaced.
TEST_F(Cli, ControlCharactersInDatabaseNamesNeverReachTheTerminal) {
    const std::string database = database_copy();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "UPDATE [County List] SET [County Name] = 'Story' || char(27) || '[2J' || char(7) || "
                           "char(13) || 'x' || char(155) WHERE [State FIPS] = 19 AND [County FIPS] = 169",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const run_result r = run({"--database", database, "--inputs", inputs_file(small_farm), "worksheet", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("FIPS\t19169\tStory?[2J??x?\r\n"), std::string::npos) << r.out.substr(0, 200);
    for (const char c : r.out + r.err)
        EXPECT_FALSE((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F);
}

TEST_F(Cli, RewritesWithoutYesChangeNothing) {
    const std::string database = database_copy();
    const std::string before = read_file(database);
    const std::string inputs = inputs_file(small_farm);
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"write-column-lookup"}, "Would rewrite [Lookup Column Number] for state 19; add --yes to do it.\n"},
        {{"write-column-lookup", "--all-states"},
         "Would rewrite [Lookup Column Number] table, all states; add --yes to do it.\n"},
        {{"write-county-list"}, "Would rewrite [County List] for state 19; add --yes to do it.\n"},
        {{"write-county-list", "--all-states"}, "Would rewrite [County List] for all states; add --yes to do it.\n"},
    };
    for (const auto& [args, message] : cases) {
        std::vector<std::string> command = {"--database", database, "--inputs", inputs};
        command.insert(command.end(), args.begin(), args.end());
        const run_result r = run(command);
        EXPECT_EQ(r.status, 2) << message;
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(r.err, message);
        EXPECT_EQ(read_file(database), before) << "the database changed: " << message;
    }
}

TEST_F(Cli, NothingIsWrittenToTheSettingsOrTheInputs) {
    const std::string inputs = inputs_file(small_farm);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--database", ZELMORA_DEMO_DATABASE, "rate"},
             {"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs, "rate", "--tsv"},
             {"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs, "worksheet", "1"}}) {
        const run_result r = run(args);
        EXPECT_EQ(r.status, 0) << r.err;
    }
    EXPECT_EQ(count_entries(home()), 0u) << "files appeared below " << home();
    EXPECT_EQ(read_file(inputs), small_farm);
}

TEST_F(Cli, RateTsvHasOneLinePerUnitNineEnterprisesAndTheWholeFarm) {
    const run_result r =
        run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs_file(small_farm), "rate", "--tsv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
    const auto lines = lines_ending_in(r.out, "\n");
    std::vector<std::vector<std::string>> units, enterprises, whole_farm;
    for (const auto& line : lines) {
        auto fields = split(line, '\t');
        if (fields[0] == "unit") units.push_back(fields);
        else if (fields[0] == "enterprise") enterprises.push_back(fields);
        else if (fields[0] == "whole farm") whole_farm.push_back(fields);
        else ADD_FAILURE() << "unknown line kind: " << line;
    }
    ASSERT_EQ(units.size(), 3u);
    for (const auto& u : units) EXPECT_EQ(u.size(), 8u);
    EXPECT_EQ(units[0][1] + " " + units[0][2], "Corn 1");
    EXPECT_EQ(units[1][1] + " " + units[1][2], "Corn 2");
    EXPECT_EQ(units[2][1] + " " + units[2][2], "Soybeans 1");
    // The revenue guarantee is price times APH yield times coverage: 2.80 x 150 x 0.75.
    EXPECT_EQ(units[0][3], "315.00");
    EXPECT_EQ(units[1][3], "294.00");
    EXPECT_EQ(units[2][3], "207.90");  // 6.60 x 45 x 0.70
    ASSERT_EQ(enterprises.size(), 9u);
    const char* crops[] = {"Corn",   "Soybeans",     "Spring Wheat", "Canola", "Sunflower",
                           "Barley", "Winter Wheat", "Cotton",       "Rice"};
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(enterprises[i].size(), 7u);
        EXPECT_EQ(enterprises[i][1], crops[i]);
    }
    ASSERT_EQ(whole_farm.size(), 1u);
    EXPECT_EQ(whole_farm[0].size(), 7u);
    EXPECT_EQ(lines.back().rfind("whole farm\t", 0), 0u);
    // Numbers carry no thousands separators and their fixed decimals.
    for (const auto& u : units) {
        EXPECT_EQ(u[3].find(','), std::string::npos);
        EXPECT_EQ(u[4].size() - u[4].find('.'), 3u) << u[4];
        EXPECT_EQ(u[5].find('.'), std::string::npos) << u[5];
    }
}

TEST_F(Cli, RateTableIsTheSameFiguresWithSeparators) {
    const std::string inputs = inputs_file(small_farm);
    const run_result table = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs, "rate"});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_EQ(table.out.rfind("Units\n", 0), 0u) << table.out;
    EXPECT_NE(table.out.find("\nEnterprise and whole farm units\n"), std::string::npos);
    EXPECT_NE(table.out.find("315.00"), std::string::npos);
    const auto lines = lines_ending_in(table.out, "\n");
    EXPECT_EQ(lines.back().rfind("Whole Farm ", 0), 0u) << lines.back();
}

TEST_F(Cli, WorksheetIsTheClipboardText) {
    const run_result r = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs_file(small_farm), "worksheet",
                              "corn"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = lines_ending_in(r.out, "\r\n");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().rfind("FIPS\t19169\t", 0), 0u) << lines.front();
    EXPECT_EQ(lines.back().rfind("17. Total Loaded Enterprise Premium\t", 0), 0u) << lines.back();
    for (const auto& line : lines) EXPECT_EQ(line.find('\n'), std::string::npos) << "a bare line feed: " << line;
    // The crop by number or by name gives the same text.
    EXPECT_EQ(run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs_file(small_farm), "worksheet", "1"}).out,
              r.out);
}

TEST_F(Cli, LoadErrorsGoToStandardErrorAndTheCommandGoesOn) {
    const std::string database = database_copy();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "DELETE FROM [Lookup Type Code]", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    const run_result r = run({"--database", database, "--inputs", inputs_file(small_farm), "rate", "--tsv"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("ERROR, rowset_lookup_type_codes has no rows.\r\n"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("unit\tCorn\t1\t315.00\t"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nwhole farm\t"), std::string::npos);
}

TEST_F(Cli, SavedInputsAreReadFromTheUsersSettings) {
    // The application's file: keys with %20 escapes, below XDG_CONFIG_HOME.
    std::string saved = small_farm;
    for (std::size_t at = saved.find(' '); at != std::string::npos; at = saved.find(' ', at))
        saved.replace(at, 1, "%20");
    const fs::path conf = home() / "Terravane" / "Zelmora 2004.conf";
    fs::create_directories(conf.parent_path());
    write_file(conf, saved);

    const run_result from_settings = run({"--database", ZELMORA_DEMO_DATABASE, "rate", "--tsv"});
    ASSERT_EQ(from_settings.status, 0) << from_settings.err;
    const run_result from_file =
        run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs_file(small_farm), "rate", "--tsv"});
    EXPECT_EQ(from_settings.out, from_file.out);
    EXPECT_NE(from_settings.out.find("unit\tCorn\t2\t294.00\t"), std::string::npos) << from_settings.out;
    EXPECT_EQ(read_file(conf), saved);  // read, never written
    EXPECT_EQ(count_entries(home()), 2u);
}

TEST_F(Cli, DefaultDatabaseIsBesideTheExecutable) {
    const std::string inputs = inputs_file(small_farm);
    const run_result beside = run({"--inputs", inputs, "rate", "--tsv"});
    ASSERT_EQ(beside.status, 0) << beside.err;
    EXPECT_EQ(beside.out, run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs, "rate", "--tsv"}).out);
}

TEST_F(Cli, ExamplesRateEveryUnitWithoutErrors) {
    const std::pair<const char*, std::size_t> examples[] = {
        {"iowa-farm.ini", 6}, {"arkansas-farm.ini", 6}, {"north-dakota-farm.ini", 5}};
    for (const auto& [name, unit_count] : examples) {
        const run_result r = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", example(name), "rate", "--tsv"});
        ASSERT_EQ(r.status, 0) << name << ": " << r.err;
        EXPECT_TRUE(r.err.empty()) << name << ": " << r.err;
        std::size_t units = 0;
        for (const auto& line : lines_ending_in(r.out, "\n")) {
            const auto fields = split(line, '\t');
            if (fields[0] != "unit") continue;
            ++units;
            for (std::size_t i = 3; i < fields.size(); ++i) EXPECT_FALSE(fields[i].empty()) << name << ": " << line;
        }
        EXPECT_EQ(units, unit_count) << name;
        EXPECT_NE(r.out.find("\nwhole farm\t"), std::string::npos) << name;
    }
}

// The lines of "rate --tsv" of one farm, each led by the farm's name and a tab.
std::string with_name_column(const std::string& name, const std::string& tsv) {
    std::string lines;
    for (const auto& line : lines_ending_in(tsv, "\n")) lines += name + "\t" + line + "\n";
    return lines;
}

TEST_F(Cli, BatchIsTheFarmsRateTsvWithTheirNamesInTheOrderGiven) {
    const std::vector<std::string> names = {"north-dakota-farm.ini", "iowa-farm.ini", "arkansas-farm.ini"};
    std::map<std::string, std::string> tsv;
    for (const auto& name : names) {
        const run_result r = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", example(name.c_str()), "rate", "--tsv"});
        ASSERT_EQ(r.status, 0) << r.err;
        tsv[name] = r.out;
    }
    std::string given_order;
    for (const auto& name : names) given_order += with_name_column(example(name.c_str()), tsv[name]);
    std::string folder_order;  // a folder's files in name order
    for (const auto& name : {"arkansas-farm.ini", "iowa-farm.ini", "north-dakota-farm.ini"})
        folder_order += with_name_column((fs::path(ZELMORA_EXAMPLES_DIR) / name).string(), tsv[name]);

    for (const char* jobs : {"1", "2"}) {
        std::vector<std::string> files = {"--database", ZELMORA_DEMO_DATABASE, "batch", "--jobs", jobs};
        for (const auto& name : names) files.push_back(example(name.c_str()));
        const run_result by_files = run(files);
        EXPECT_EQ(by_files.status, 0) << by_files.err;
        EXPECT_EQ(by_files.err, "");
        EXPECT_EQ(by_files.out, given_order) << "jobs " << jobs;

        const std::string output = (dir_.path() / "book.tsv").string();
        const run_result by_folder =
            run({"--database", ZELMORA_DEMO_DATABASE, "batch", "--jobs", jobs, "--output", output, ZELMORA_EXAMPLES_DIR});
        EXPECT_EQ(by_folder.status, 0) << by_folder.err;
        EXPECT_EQ(by_folder.out, "");
        EXPECT_EQ(read_file(output), folder_order) << "jobs " << jobs;
    }
}

TEST_F(Cli, BatchGoesOnPastRefusedFarmsAndExitsWithThree) {
    const std::string iowa = example("iowa-farm.ini");
    const std::string dakota = example("north-dakota-farm.ini");
    const std::string too_many_units = inputs_file("[Settings]\nUnits Corn=8\n", "too-many.ini");
    const std::string unrated_state = inputs_file("[Settings]\nState FIPS=44\n", "unrated.ini");
    const std::string missing = (dir_.path() / "missing.ini").string();
    const fs::path empty_folder = dir_.path() / "empty";
    fs::create_directories(empty_folder);
    const std::string expected =
        with_name_column(iowa, run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", iowa, "rate", "--tsv"}).out) +
        with_name_column(dakota, run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", dakota, "rate", "--tsv"}).out);

    for (const char* jobs : {"1", "2"}) {
        const run_result r = run({"--database", ZELMORA_DEMO_DATABASE, "batch", "--jobs", jobs, iowa, too_many_units,
                                  missing, unrated_state, empty_folder.string(), dakota});
        EXPECT_EQ(r.status, 3) << r.err;
        EXPECT_EQ(r.out, expected);
        const auto errors = lines_ending_in(r.err, "\n");
        ASSERT_EQ(errors.size(), 4u) << r.err;
        const std::pair<std::string, const char*> reasons[] = {{too_many_units, "Units Corn"},
                                                               {missing, "cannot read inputs file"},
                                                               {unrated_state, "\"State FIPS\" must be"},
                                                               {empty_folder.string(), "holds no *.ini files"}};
        for (std::size_t i = 0; i < errors.size(); ++i) {
            EXPECT_EQ(errors[i].rfind("zelmora-cli: ", 0), 0u) << errors[i];
            EXPECT_NE(errors[i].find(reasons[i].first), std::string::npos) << errors[i];
            EXPECT_NE(errors[i].find(reasons[i].second), std::string::npos) << errors[i];
        }
    }
}

// A farm some of whose units have no rate still prints the figures that could be
// rated, with blanks for the enterprise and whole-farm units they would leave
// out, names each such unit on standard error and exits with 3; a farm in a
// county the rating data does not list is refused with 2 before anything is rated.
TEST_F(Cli, UnitsWithoutARateExitWithThreeAndCountiesNotListedWithTwo) {
    std::string text = read_file(example("iowa-farm.ini"));
    const std::size_t type = text.find("Type 1 02=997");
    ASSERT_NE(type, std::string::npos);
    const std::string unrated = inputs_file(text.replace(type, 13, "Type 1 02=998"), "unrated.ini");
    const std::string reason = "zelmora-cli: Corn unit 2: no rate for type 998 and practice 3 in this county\n";
    const std::string pdf = (dir_.path() / "quote.pdf").string();
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"rate"}, {"rate", "--tsv"}, {"compare"}, {"compare", "--tsv"}, {"quote", "--pdf", pdf}}) {
        std::vector<std::string> args = {"--database", ZELMORA_DEMO_DATABASE, "--inputs", unrated};
        args.insert(args.end(), command.begin(), command.end());
        const run_result r = run(args);
        EXPECT_EQ(r.status, 3) << command[0];
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
    }
    const run_result tsv = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", unrated, "rate", "--tsv"});
    EXPECT_NE(tsv.out.find("unit\tCorn\t1\t350.21\t18.93\t6058\t"), std::string::npos) << tsv.out;
    EXPECT_NE(tsv.out.find("\nenterprise\tCorn\t\t\t\t\t\n"), std::string::npos) << tsv.out;
    EXPECT_NE(tsv.out.find("\nwhole farm\t\t\t\t\t\t\n"), std::string::npos) << tsv.out;
    EXPECT_TRUE(fs::exists(pdf));

    for (const char* jobs : {"1", "2"}) {
        const run_result r = run({"--database", ZELMORA_DEMO_DATABASE, "batch", "--jobs", jobs, unrated});
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.out, with_name_column(unrated, tsv.out));
        EXPECT_EQ(r.err, "zelmora-cli: " + unrated + ": " + reason.substr(13)) << r.err;
    }

    const std::string unlisted = inputs_file("[Settings]\nState FIPS=19\nCounty FIPS=999\n", "unlisted.ini");
    const std::string refusal = "County FIPS 999 is not a county of Iowa in the rating database\n";
    for (const std::vector<std::string>& command : {std::vector<std::string>{"rate", "--tsv"}, {"compare"}, {"worksheet", "1"}}) {
        std::vector<std::string> args = {"--database", ZELMORA_DEMO_DATABASE, "--inputs", unlisted};
        args.insert(args.end(), command.begin(), command.end());
        const run_result r = run(args);
        EXPECT_EQ(r.status, 2) << command[0];
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "zelmora-cli: inputs file \"" + unlisted + "\": " + refusal) << r.err;
    }
    const run_result batch = run({"--database", ZELMORA_DEMO_DATABASE, "batch", unlisted});
    EXPECT_EQ(batch.status, 3);
    EXPECT_NE(batch.err.find(refusal), std::string::npos) << batch.err;
}

// Each farm of a batch is rated on one version of the database: beside another
// connection that keeps doubling and halving the county's rates, every farm's
// lines are those of the old rates or of the new ones, never a mixture.
TEST_F(Cli, ABatchBesideALoopingRewriteRatesEachFarmOnOneVersion) {
    const std::string database = database_copy();
    const std::string iowa = example("iowa-farm.ini");
    const char* doubled = "UPDATE [Continuous Rates] SET [Reference Rate] = [Reference Rate] * 2 "
                          "WHERE [State FIPS] = 19 AND [County FIPS] = 169";
    const char* halved = "UPDATE [Continuous Rates] SET [Reference Rate] = [Reference Rate] / 2 "
                         "WHERE [State FIPS] = 19 AND [County FIPS] = 169";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 5000);
    const std::string old_lines = run({"--database", database, "--inputs", iowa, "rate", "--tsv"}).out;
    ASSERT_EQ(sqlite3_exec(db, doubled, nullptr, nullptr, nullptr), SQLITE_OK);
    const std::string new_lines = run({"--database", database, "--inputs", iowa, "rate", "--tsv"}).out;
    ASSERT_EQ(sqlite3_exec(db, halved, nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_NE(old_lines, new_lines);

    const fs::path farms = dir_.path() / "farms";
    fs::create_directories(farms);
    std::vector<std::string> names;
    for (int n = 0; n < 150; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "farm-%03d.ini", n);
        fs::copy_file(iowa, farms / name);
        names.emplace_back((farms / name).string());
    }
    std::atomic<bool> done{false};
    std::atomic<int> rewrites{0};
    std::thread rewriter([&] {
        for (bool up = true; !done; up = !up) {
            if (sqlite3_exec(db, up ? doubled : halved, nullptr, nullptr, nullptr) == SQLITE_OK) ++rewrites;
            else up = !up;  // not written: the same rewrite again
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    const run_result r = run({"--database", database, "batch", "--jobs", "2", farms.string()});
    done = true;
    rewriter.join();
    sqlite3_close(db);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_GT(rewrites.load(), 0);
    std::size_t old_farms = 0, new_farms = 0;
    for (const std::string& name : names) {
        const std::string as_old = with_name_column(name, old_lines);
        const std::string as_new = with_name_column(name, new_lines);
        // The farm's lines: those that begin with its name.
        std::string lines;
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);)
            if (line.rfind(name + "\t", 0) == 0) lines += line + "\n";
        if (lines == as_old) ++old_farms;
        else if (lines == as_new) ++new_farms;
        else ADD_FAILURE() << "mixed figures for " << name << ":\n" << lines;
    }
    EXPECT_EQ(old_farms + new_farms, names.size());
}

TEST_F(Cli, BatchUsageErrorsAndAnUnopenableDatabase) {
    const std::string farm = example("iowa-farm.ini");
    const std::vector<std::vector<std::string>> usage = {
        {"batch"},
        {"batch", "--jobs", "0", farm},
        {"batch", "--jobs=two", farm},
        {"batch", "--jobs"},
        {"batch", "--output=", farm},
        {"batch", "--verbose", farm},
        {"--inputs", farm, "batch", farm},
        {"batch", "--output", (dir_.path() / "no folder" / "book.tsv").string(), farm},
    };
    for (const auto& args : usage) {
        std::vector<std::string> with_database = {"--database", ZELMORA_DEMO_DATABASE};
        with_database.insert(with_database.end(), args.begin(), args.end());
        const run_result r = run(with_database);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_EQ(r.err.rfind("zelmora-cli: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    const run_result r = run({"--database", (dir_.path() / "none.sqlite").string(), "batch", "--jobs", "2", farm});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("ERROR, unable to open database"), std::string::npos) << r.err;
}

// The keys only the command line reads change what they should and nothing else.
TEST_F(Cli, CommandLineOnlyKeysReachTheCalculator) {
    const std::string base =
        "[Settings]\nState FIPS=38\nCounty FIPS=11\n"
        "Units Corn=1\nType 1 01=997\nPractice 1 01=3\nAPH Yield 1 01=110.000\nRate Yield 1 01=110.000\n"
        "Crop Acres 1 01=200.000\nCrop Share 1 01=1.000\nPrevented Planting Select 1=1\n"
        "Units Canola=1\nType 4 01=997\nPractice 4 01=3\nAPH Yield 4 01=1400.000\nRate Yield 4 01=1400.000\n"
        "Crop Acres 4 01=300.000\nCrop Share 4 01=1.000\nPrice Canola=0.11\n";
    auto rate = [&](const std::string& extra) {
        const run_result r =
            run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs_file(base + extra), "rate", "--tsv"});
        EXPECT_EQ(r.status, 0) << r.err;
        std::map<std::string, std::vector<std::string>> rows;
        for (const auto& line : lines_ending_in(r.out, "\n")) {
            auto fields = split(line, '\t');
            const std::string key = fields[0] == "whole farm" ? fields[0] : fields[0] + " " + fields[1];
            rows[key] = fields;
        }
        return rows;
    };
    const auto baseline = rate("");
    ASSERT_FALSE(baseline.at("unit Corn")[4].empty());
    ASSERT_FALSE(baseline.at("unit Canola")[4].empty());

    struct key_case {
        const char* extra;
        const char* row;
        std::size_t field;
        bool changes;
    };
    const key_case cases[] = {
        {"PP Factor 5 Corn=1.02\n", "unit Corn", 4, false},  // the default factor
        {"PP Factor 5 Corn=1.20\n", "unit Corn", 4, true},
        {"PP Factor 10 Corn=1.20\n", "unit Corn", 4, false},  // the +10% factor is not selected
        {"CR Option 4 01=1.0\n", "unit Canola", 4, false},
        {"CR Option 4 01=0.8\n", "unit Canola", 4, true},
        {"Coverage Whole Farm=65\n", "whole farm", 1, false},
        {"Coverage Whole Farm=80\n", "whole farm", 1, true},
    };
    for (const auto& c : cases) {
        const auto changed = rate(c.extra);
        EXPECT_EQ(changed.at(c.row)[c.field] != baseline.at(c.row)[c.field], c.changes)
            << c.extra << baseline.at(c.row)[c.field] << " -> " << changed.at(c.row)[c.field];
        EXPECT_EQ(changed.at("enterprise Soybeans"), baseline.at("enterprise Soybeans")) << c.extra;
    }
}

TEST_F(Cli, MaltingBarleyWorksheetsOfEveryBarleyUnit) {
    const std::string farm =
        "[Settings]\nState FIPS=38\nCounty FIPS=11\nCoverage 6=75\nUnits Barley=2\n"
        "Type 6 01=997\nPractice 6 01=3\nAPH Yield 6 01=60.000\nRate Yield 6 01=60.000\n"
        "Crop Acres 6 01=200.000\nCrop Share 6 01=1.000\nMalting Barley Approved Yield 6 01=58.000\n"
        "Malting Barley 6 01=3.500\nMalting Barley Acres 6 01=150.000\n"
        "Type 6 02=997\nPractice 6 02=3\nAPH Yield 6 02=55.000\nRate Yield 6 02=55.000\n"
        "Crop Acres 6 02=100.000\nCrop Share 6 02=0.500\nMalting Barley Approved Yield 6 02=50.000\n"
        "Malting Barley 6 02=3.200\nMalting Barley Acres 6 02=80.000\n";
    const run_result b = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs_file(farm), "malting-barley"});
    ASSERT_EQ(b.status, 0) << b.err;
    const auto lines = lines_ending_in(b.out, "\r\n");
    ASSERT_FALSE(lines.empty());
    // The first unit's lines, then the second's, each starting with its malting barley acres.
    ASSERT_EQ(lines.size() % 2, 0u) << b.out;
    EXPECT_EQ(lines.front(), "Acres\t150.0");
    EXPECT_EQ(lines[lines.size() / 2], "Acres\t80.0");

    const run_result a = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs",
                              inputs_file(farm + "Malting Barley Option=1\n"), "malting-barley"});
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_NE(a.out, b.out);  // option A is priced differently from option B

    const run_result none = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs_file(small_farm),
                                 "malting-barley"});
    EXPECT_EQ(none.status, 0);
    EXPECT_TRUE(none.out.empty()) << none.out;
}

TEST_F(Cli, TestReportCoversTheRequestedCombinations) {
    const run_result r =
        run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", example("iowa-farm.ini"), "test-report", "5", "5"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = lines_ending_in(r.out, "\r\n");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "State FIPS\t19");
    EXPECT_EQ(lines[1], "County\tStory");
    EXPECT_EQ(lines[2], "\t\t000R0R");  // the two label cells, then Canola and Barley without harvest option
    EXPECT_EQ(lines.size(), 3u + 63u + 7u);
}

// Rating data that cannot be read: stderr names why, nothing on stdout, exit 1.
TEST_F(Cli, UnreadableRatingDataExitsWithOne) {
    struct data_case {
        const char* change;
        const char* command;
        const char* expected_error;
    };
    const data_case cases[] = {
        {"DROP TABLE [Continuous Rates]", "rate", "ERROR, unable to open table [Continuous Rates]\r\n"},
        {"ALTER TABLE [Lookup Type Code] RENAME TO [Old Type Code];"
         "CREATE TABLE [Lookup Type Code] ([Type Code] INTEGER)",
         "rate", "ERROR, unable to open table [Lookup Type Code]\r\nColumn does not exist.\r\n"},
        {"UPDATE [B Value Whole Farm] SET [B Value] = 'nan' WHERE rowid = (SELECT min(rowid) FROM "
         "[B Value Whole Farm] WHERE [State FIPS] = 19)",
         "whole-farm", "ERROR, unusable value in table [B Value Whole Farm], column [B Value], rowid "},
        {"UPDATE [B Value Single Crop] SET [Set Number] = 200 WHERE rowid = 1", "rate",
         "column [Set Number], rowid 1: 200 is not a whole number from 1 to 5\r\n"},
        {"UPDATE [Continuous Rates] SET [Reference Rate] = 'abc' WHERE [State FIPS] = 19 AND [County FIPS] = 169",
         "rate", "column [Reference Rate], rowid "},
        // Values the check calls unusable are refused by every load, with the check's words.
        {"UPDATE [Continuous Rates] SET [Reference Rate] = -40 WHERE [State FIPS] = 19 AND [County FIPS] = 169",
         "rate", ": -40 is not a whole number from 0 to 1000 (thousandths)\r\n"},
        {"UPDATE [Continuous Rates] SET [Reference Rate] = '0x1p0' WHERE [State FIPS] = 19 AND [County FIPS] = 169",
         "rate", ": '0x1p0' is not a whole number from 0 to 1000 (thousandths)\r\n"},
        {"UPDATE [Continuous Rates] SET [Reference Yield] = 0 WHERE [State FIPS] = 19 AND [County FIPS] = 169",
         "rate", ": 0 is not a whole number from 1 to 10000000 (hundredths)\r\n"},
        {"UPDATE [Continuous Rates] SET [Exponent] = 99999 WHERE [State FIPS] = 19 AND [County FIPS] = 169",
         "compare", ": 99999 is not a whole number from -5000 to 5000 (thousandths)\r\n"},
        {"UPDATE [Continuous Rates] SET [Yield 1] = 12399.5 WHERE [State FIPS] = 19 AND [County FIPS] = 169",
         "test-report", ": 12399.5 is not a whole number from 0 to 10000000 (hundredths)\r\n"},
        {"UPDATE [Endogenous Risk Surcharge] SET [Residual Factor] = 3e38 WHERE [State FIPS] = 19 AND "
         "[County FIPS] = 169",
         "rate", "column [Residual Factor], rowid "},
        {"UPDATE [Endogenous Risk Surcharge] SET [Residual Factor] = -1 WHERE [State FIPS] = 19 AND "
         "[County FIPS] = 169",
         "acreage-loop", ": -1 is not a number from 0 to 10\r\n"},
        {"UPDATE [B Value Whole Farm] SET [B Index] = 330 WHERE rowid = (SELECT min(rowid) FROM "
         "[B Value Whole Farm] WHERE [State FIPS] = 19)",
         "whole-farm", ": 330 is not a whole number from 0 to 329\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        const std::string database = database_copy();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, c.change, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
        const run_result r = run({"--database", database, "--inputs", example("iowa-farm.ini"), c.command});
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_NE(r.err.find(c.expected_error), std::string::npos) << r.err;
        for (const char* figure : {"nan", "inf"}) EXPECT_EQ(r.out.find(figure), std::string::npos) << r.out;
    }
}

// A rewrite that fails for a state keeps its report on stdout, repeats the
// ERROR lines with SQLite's reason on stderr and exits 3.
TEST_F(Cli, FailedRewritesExitWithThree) {
    const std::string database = database_copy();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER refuse BEFORE INSERT ON [County List] WHEN NEW.[State FIPS] = 19 "
                           "BEGIN SELECT RAISE(ABORT, 'refused for the test'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    for (bool all_states : {false, true}) {
        SCOPED_TRACE(all_states);
        std::vector<std::string> args = {"--database", database, "--inputs", example("iowa-farm.ini"),
                                         "write-county-list", "--yes"};
        if (all_states) args.push_back("--all-states");
        const run_result r = run(args);
        EXPECT_EQ(r.status, 3);
        const std::string failure = "ERROR, unable to insert into table [County List]\r\n"
                                    "A specified value violated the integrity constraints for a column or table.\r\n"
                                    "refused for the test\r\n"
                                    "ERROR, [County List] not rewritten for state 19; its rows are unchanged.\r\n";
        EXPECT_NE(r.out.find(failure), std::string::npos) << r.out;
        EXPECT_EQ(r.err, failure);
    }
    // Without the trigger's state the same rewrite is done: exit 0, nothing on stderr.
    const run_result done = run({"--database", database, "--inputs", example("north-dakota-farm.ini"),
                                 "write-county-list", "--yes"});
    EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_TRUE(done.err.empty()) << done.err;
}

TEST_F(Cli, ColumnLookupRewriteWithYesReportsTheRowsItWrote) {
    const std::string database = database_copy();
    const run_result r =
        run({"--database", database, "--inputs", example("iowa-farm.ini"), "write-column-lookup", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.out.rfind("Rows written\t", 0), 0u) << r.out;
    const int reported = std::stoi(r.out.substr(std::string("Rows written\t").size()));
    EXPECT_GT(reported, 0);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* count = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT count(*) FROM [Lookup Column Number] WHERE [State FIPS] = 19", -1, &count,
                                 nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(count, 0), reported);
    sqlite3_finalize(count);
    sqlite3_close(db);
}

// Every report of every example: exit 0, no load errors, "\r\n" lines only.
TEST_F(Cli, EveryReportRunsOnEveryExample) {
    const std::vector<std::vector<std::string>> commands = {
        {"whole-farm"},   {"test-report", "1", "3"}, {"acreage-loop"}, {"b-value-dump"},
        {"state-inputs"}, {"worksheet", "1"},        {"worksheet", "rice"},
    };
    for (const char* name : {"iowa-farm.ini", "arkansas-farm.ini", "north-dakota-farm.ini"}) {
        for (const auto& command : commands) {
            std::vector<std::string> args = {"--database", ZELMORA_DEMO_DATABASE, "--inputs", example(name)};
            args.insert(args.end(), command.begin(), command.end());
            const run_result r = run(args);
            const std::string what = std::string(name) + " " + command[0];
            EXPECT_EQ(r.status, 0) << what;
            EXPECT_TRUE(r.err.empty()) << what << ": " << r.err;
            EXPECT_FALSE(r.out.empty()) << what;
            for (const auto& line : lines_ending_in(r.out, "\r\n"))
                ASSERT_EQ(line.find('\n'), std::string::npos) << what << ": a bare line feed in " << line;
        }
    }
}

// The quote without a display: a PDF whose text holds the farm's totals and,
// on every page, the demo banner; an HTML file with its chart inside; no banner
// for a database without the demo mark.
TEST_F(Cli, QuoteWritesThePdfAndHtmlWithTheFarmTotals) {
    const fs::path pdf = dir_.path() / "quote.pdf";
    const fs::path html = dir_.path() / "quote.html";
    const std::string inputs = example("iowa-farm.ini");
    const run_result r = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs, "quote", "--pdf", pdf.string(),
                              "--html", html.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const auto pdf_text = [this](const fs::path& file) {
        const fs::path text = dir_.path() / "quote.txt";
        const std::string command = "pdftotext -layout '" + file.string() + "' '" + text.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return read_file(text);
    };
    const std::string text = pdf_text(pdf);
    const auto pages = std::count(text.begin(), text.end(), '\f');
    EXPECT_GE(pages, 1);
    EXPECT_LE(pages, 3);
    std::size_t banners = 0;
    for (std::size_t at = text.find("DEMO RATES - NOT FOR REAL QUOTES"); at != std::string::npos;
         at = text.find("DEMO RATES - NOT FOR REAL QUOTES", at + 1))
        ++banners;
    EXPECT_EQ(static_cast<long>(banners), pages);

    // The farm's totals of its units, as `rate --tsv` gives the units: column 5 total premium, 6 subsidy, 7 producer premium.
    const run_result rated = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs, "rate", "--tsv"});
    long premium = 0, subsidy = 0, producer = 0;
    for (const auto& line : split(rated.out, '\n')) {
        const auto cells = split(line, '\t');
        if (cells.size() < 8 || cells[0] != "unit" || cells[5].empty()) continue;
        premium += std::stol(cells[5]);
        subsidy += std::stol(cells[6]);
        producer += std::stol(cells[7]);
    }
    const auto dollars = [](long value) {
        std::string digits = std::to_string(value);
        for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), ",");
        return "$" + digits;
    };
    ASSERT_GT(premium, 0);
    for (const long total : {premium, subsidy, producer})
        EXPECT_NE(text.find(dollars(total)), std::string::npos) << dollars(total) << " in\n" << text;
    for (const char* words : {"Iowa", "Story", "iowa-farm.ini", "Corn", "Soybeans", "Whole-farm unit",
                              "It is not a policy"})
        EXPECT_NE(text.find(words), std::string::npos) << words;

    const std::string page = read_file(html);
    EXPECT_NE(page.find("DEMO RATES - NOT FOR REAL QUOTES"), std::string::npos);
    EXPECT_NE(page.find("data:image/png;base64,"), std::string::npos);
    EXPECT_NE(page.find(dollars(producer)), std::string::npos);

    // A database without the demo mark: no banner.
    const std::string copy = database_copy();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(copy.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA application_id = 0", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    ASSERT_EQ(run({"--database", copy, "--inputs", inputs, "quote", "--pdf", pdf.string()}).status, 0);
    const std::string unmarked = pdf_text(pdf);
    EXPECT_EQ(unmarked.find("DEMO RATES"), std::string::npos);
    EXPECT_NE(unmarked.find(dollars(producer)), std::string::npos);
}

namespace {

std::string dollar_text(long value) {
    std::string digits = std::to_string(value);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), ",");
    return "$" + digits;
}

// The lines of a page between the demo banner and the footer, without blank lines.
std::vector<std::string> body_lines(const std::string& page) {
    std::vector<std::string> lines;
    for (const auto& line : split(page, '\n')) {
        if (line.find_first_not_of(' ') == std::string::npos || line.find("DEMO RATES - NOT FOR REAL QUOTES") != std::string::npos)
            continue;
        if (line.find("This quote is an estimate") != std::string::npos) break;
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> words_of(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

bool is_unit_row(const std::string& line) {
    const auto words = words_of(line);
    return words.size() > 2 && std::all_of(words[0].begin(), words[0].end(), ::isdigit) &&
           (words[1] == "basic" || words[1] == "optional");
}

// A dollar figure ("$1,234"), not the "$1,000" of a heading.
bool has_figures(std::string line) {
    for (auto at = line.find("$1,000 of"); at != std::string::npos; at = line.find("$1,000 of")) line.erase(at, 6);
    for (std::size_t at = line.find('$'); at != std::string::npos; at = line.find('$', at + 1))
        if (at + 1 < line.size() && std::isdigit(static_cast<unsigned char>(line[at + 1]))) return true;
    return false;
}

// A table's heading row: the words of its headings and no figure.
bool is_heading_row(const std::string& line) {
    return !has_figures(line) &&
           ((line.find("Guarantee") != std::string::npos &&
             (line.find("Unit") != std::string::npos || line.find("Coverage") != std::string::npos)) ||
            (line.find("Coverage") != std::string::npos && line.find("Expected") != std::string::npos));
}

}  // namespace

// Six crops of seven units run over several pages: a unit's row stays whole on
// one page (and is printed once), a table that goes on over a break starts its
// page with "<crop> (continued)" and its heading row, no page ends with a
// heading or what leads into a table, and headings break only between words.
TEST_F(Cli, QuotePagesBreakBetweenRowsAndNameTheirContinuedTables) {
    const std::string farm = std::string(ZELMORA_SOURCE_DIR) + "/tests/golden/farms/minnesota-six-crops.ini";
    const std::vector<std::string> pages = quote_pages(farm);
    ASSERT_GE(pages.size(), 3u);
    const std::vector<rated_unit> units = rated_units(farm);
    ASSERT_EQ(units.size(), 42u);

    for (const rated_unit& u : units) {
        const std::vector<std::string> figures = {dollar_text(u.total_premium), dollar_text(u.subsidy),
                                                  dollar_text(u.producer_premium)};
        int rows = 0;
        for (const std::string& page : pages)
            for (const std::string& line : body_lines(page)) {
                if (!is_unit_row(line) || words_of(line)[0] != std::to_string(u.number)) continue;
                std::size_t at = 0;
                bool whole = true;
                for (const std::string& figure : figures) {
                    at = line.find(" " + figure + " ", at);
                    whole = whole && at != std::string::npos;
                    if (!whole) break;
                }
                rows += whole ? 1 : 0;
            }
        EXPECT_EQ(rows, 1) << u.crop << " unit " << u.number << ": its row whole on one page, once";
    }

    const std::vector<std::string> crops = {"Corn", "Soybeans", "Spring Wheat", "Canola", "Sunflower", "Barley"};
    const std::vector<std::string> headings = {"Summary", "Whole-farm unit", "Malting barley endorsement",
                                               "Coverage levels and unit structures side by side", "Farm (all crops)",
                                               "What this coverage pays"};
    const std::vector<std::string> heading_words = {
        "Unit", "Type", "Practice", "Acres", "Share", "APH", "yield", "Guarantee", "Premium", "per",
        "acre", "Total", "premium", "Subsidy", "rate", "Producer", "Coverage", "structure", "Per", "$1,000",
        "of", "guarantee", "Added", "added", "$", "Malting", "acres", "Contract", "price", "Liability",
        "Crop", "Pays", "at", "a", "harvest", "the", "RA", "Expected", "payout", "Chance", "net", "Payout",
        "and", "unit"};
    int continued = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        const std::vector<std::string> lines = body_lines(pages[p]);
        ASSERT_FALSE(lines.empty());
        // A page starts with a heading, a paragraph or a continued table's name, never inside a table.
        EXPECT_FALSE(is_unit_row(lines.front()) || is_heading_row(lines.front()) ||
                     lines.front().find(" Total ") == 0)
            << lines.front();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const auto at = lines[i].find(" (continued)");
            if (at == std::string::npos) continue;
            ++continued;
            EXPECT_EQ(i, 0u) << "a continued table's name leads its page";
            const std::string name = lines[i].substr(lines[i].find_first_not_of(' '), at - lines[i].find_first_not_of(' '));
            EXPECT_TRUE(std::find(crops.begin(), crops.end(), name) != crops.end() ||
                        std::find(headings.begin(), headings.end(), name) != headings.end())
                << name;
            ASSERT_LT(i + 1, lines.size());
            EXPECT_TRUE(is_heading_row(lines[i + 1])) << "the heading row follows: " << lines[i + 1];
        }
        // The last line is no heading and nothing that leads into a table.
        const std::string last = lines.back().substr(lines.back().find_first_not_of(' '));
        EXPECT_EQ(last.find(" (price $"), std::string::npos) << last;
        EXPECT_EQ(last.find("Units insured at"), std::string::npos) << last;
        EXPECT_TRUE(std::find(crops.begin(), crops.end(), last) == crops.end()) << last;
        EXPECT_TRUE(std::find(headings.begin(), headings.end(), last) == headings.end()) << last;
        EXPECT_FALSE(is_heading_row(last)) << last;
        // Heading rows (a line of headings and the lines under it before the first row) hold whole words.
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!is_heading_row(lines[i])) continue;
            for (std::size_t j = i; j < lines.size() && !has_figures(lines[j]) && !is_unit_row(lines[j]) &&
                                    lines[j].find('%') == std::string::npos;
                 ++j)
                for (const std::string& word : words_of(lines[j]))
                    EXPECT_TRUE(std::find(heading_words.begin(), heading_words.end(), word) != heading_words.end())
                        << "\"" << word << "\" in the heading line \"" << lines[j] << "\"";
        }
    }
    EXPECT_GE(continued, 1) << "the farm's quote breaks a table somewhere";
}

// The farm's details stand at the top of the quote in place of the file's name;
// each unit's row gives its subsidy rate and its producer premium per insured
// acre, and each crop its prevented planting coverage.
TEST_F(Cli, QuotePrintsTheFarmsDetailsAndEachUnitsSubsidyRateAndPremiumPerAcre) {
    const std::string farm_text = read_file(example("iowa-farm.ini")) +
                                  "\n[Farm Details]\nProducer=\"Jane Q. Doe & Sons\"\nAgent=\"Sam Agent\"\n"
                                  "Agent Contact=\"701-555-0100\"\nNote=\"Quoted at the kitchen table.\\nCall after harvest.\"\n";
    const std::string inputs = inputs_file(farm_text, "with-details.ini");
    const std::vector<std::string> pages = quote_pages(inputs);
    ASSERT_FALSE(pages.empty());
    const std::vector<std::string> first = body_lines(pages.front());
    const auto line_with = [&first](const std::string& a, const std::string& b) {
        for (const std::string& line : first)
            if (line.find(a) != std::string::npos && line.find(b) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(line_with("Producer", "Jane Q. Doe & Sons"));
    EXPECT_TRUE(line_with("Agent", "Sam Agent"));
    EXPECT_TRUE(line_with("Agent contact", "701-555-0100"));
    EXPECT_TRUE(line_with("Note", "Quoted at the kitchen table."));
    EXPECT_TRUE(line_with("Call after harvest.", "Call after harvest."));
    EXPECT_FALSE(line_with("Quoted at the kitchen table.", "Call after harvest.")) << "the note keeps its two lines";
    EXPECT_FALSE(line_with("with-details.ini", "")) << "the details stand in place of the file's name";
    // Corn is insured at 75% (a 55% subsidy) with the +5% prevented planting coverage, soybeans at 70% (59%) without.
    EXPECT_TRUE(line_with("Units insured at 75% coverage", "prevented planting coverage: +5%"));
    EXPECT_TRUE(line_with("Units insured at 70% coverage", "prevented planting coverage: none"));

    zelmora::memory_settings_store store;
    std::string error;
    ASSERT_TRUE(zelmora::read_farm_file(inputs, store, error)) << error;
    const zelmora::farm f = zelmora::read_farm(store);
    for (const rated_unit& u : rated_units(inputs)) {
        const int crop = u.crop == "Corn" ? 1 : u.crop == "Soybeans" ? 2 : 7;
        const zelmora::insurance_unit& unit = f.inputs.units[static_cast<std::size_t>(crop - 1)][static_cast<std::size_t>(u.number - 1)];
        char per_acre[32];
        std::snprintf(per_acre, sizeof per_acre, "$%.2f",
                      zelmora::rounded(static_cast<double>(u.producer_premium) /
                                           (unit.acres.to_double() * unit.share.to_double()), 2));
        const int coverage = f.inputs.coverage[static_cast<std::size_t>(crop - 1)];
        const std::string subsidy_rate = coverage < 75 ? "59%" : coverage < 80 ? "55%" : coverage < 85 ? "48%" : "38%";
        const std::string row_end = subsidy_rate + " " + dollar_text(u.subsidy) + " " + dollar_text(u.producer_premium) +
                                    " " + per_acre;
        bool found = false;
        for (const std::string& page : pages)
            for (const std::string& line : body_lines(page)) {
                if (!is_unit_row(line) || words_of(line)[0] != std::to_string(u.number)) continue;
                const auto words = words_of(line);
                std::string tail;
                for (std::size_t w = words.size() - 4; w < words.size(); ++w) tail += (tail.empty() ? "" : " ") + words[w];
                found = found || (tail == row_end && line.find(dollar_text(u.total_premium)) != std::string::npos);
            }
        EXPECT_TRUE(found) << u.crop << " unit " << u.number << " ends in " << row_end;
    }
}

TEST_F(Cli, QuoteRefusalsAndUnwritableFiles) {
    const std::string inputs = example("iowa-farm.ini");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"quote"}, {"quote", "--pdf"}, {"quote", "--png", "x.png"}}) {
        std::vector<std::string> full = {"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs};
        full.insert(full.end(), args.begin(), args.end());
        const run_result r = run(full);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    const std::string missing = (dir_.path() / "no-such-folder" / "quote.pdf").string();
    const run_result r = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", inputs, "quote", "--pdf", missing});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("no-such-folder"), std::string::npos) << r.err;
}

// ------------------------------------------------------------------ locales

namespace {

// How a German or French user's environment asks for a comma as decimal mark:
// the whole locale, LANG alone, or LC_NUMERIC alone.
std::vector<std::vector<std::string>> comma_environments() {
    std::vector<std::vector<std::string>> environments;
    for (const std::string name : zelmora::testing::comma_locales) {
        environments.push_back({"LC_ALL=" + name});
        environments.push_back({"LC_ALL=", "LC_NUMERIC=", "LANG=" + name});
        environments.push_back({"LC_ALL=", "LANG=C", "LC_NUMERIC=" + name});
    }
    return environments;
}

const std::vector<std::string> c_environment = {"LC_ALL=C"};

std::string environment_text(const std::vector<std::string>& environment) {
    std::string text;
    for (const std::string& entry : environment) text += entry + " ";
    return text;
}

}  // namespace

TEST_F(Cli, RatingsAreTheSameUnderAGermanOrFrenchLocale) {
    for (const char* name : zelmora::testing::comma_locales) ASSERT_EQ(zelmora::testing::comma_locale_problem(name), "");
    const std::string database = ZELMORA_DEMO_DATABASE;
    std::vector<std::vector<std::string>> commands;
    for (const char* name : {"iowa-farm.ini", "north-dakota-farm.ini", "arkansas-farm.ini"})
        commands.push_back({"--database", database, "--inputs", example(name), "rate", "--tsv"});
    commands.push_back({"--database", database, "batch", example("iowa-farm.ini"), example("north-dakota-farm.ini"),
                        example("arkansas-farm.ini")});
    for (const auto& command : commands) {
        SCOPED_TRACE(command[3] + " " + command[4]);
        const run_result in_c = run_in(c_environment, command);
        ASSERT_EQ(in_c.status, 0) << in_c.err;
        ASSERT_NE(in_c.out.find('.'), std::string::npos) << in_c.out;
        for (const auto& environment : comma_environments()) {
            const run_result r = run_in(environment, command);
            EXPECT_EQ(r.status, 0) << environment_text(environment);
            EXPECT_EQ(r.out, in_c.out) << environment_text(environment);
            EXPECT_EQ(r.err, in_c.err) << environment_text(environment);
        }
    }
}

// The window's save path (the farm file's text, written beside and renamed)
// running under a comma locale writes the bytes it writes in the C locale, and
// the command line under that locale rates the saved file as the example.
TEST_F(Cli, AFarmFileSavedUnderACommaLocaleIsReadBackTheSame) {
    using zelmora::testing::scoped_c_locale;
    auto saved_text = [](const std::string& example_path) {
        zelmora::memory_settings_store store;
        std::string error;
        EXPECT_TRUE(zelmora::read_farm_file(example_path, store, error)) << error;
        return zelmora::farm_file_text(zelmora::read_farm(store));
    };
    for (const char* example_name : {"iowa-farm.ini", "north-dakota-farm.ini", "arkansas-farm.ini"}) {
        SCOPED_TRACE(example_name);
        const std::vector<std::string> rate = {"--database", ZELMORA_DEMO_DATABASE, "rate", "--tsv"};
        auto with_inputs = [&rate](const std::string& path) {
            std::vector<std::string> command = {"--inputs", path};
            command.insert(command.end(), rate.begin(), rate.end());
            return command;
        };
        const run_result example_in_c = run_in(c_environment, with_inputs(example(example_name)));
        ASSERT_EQ(example_in_c.status, 0) << example_in_c.err;
        std::string text_in_c;
        {
            const scoped_c_locale c_locale("C");
            text_in_c = saved_text(example(example_name));
        }
        ASSERT_NE(text_in_c.find("\nPrice Corn="), std::string::npos) << text_in_c;

        for (const char* locale_name : zelmora::testing::comma_locales) {
            SCOPED_TRACE(locale_name);
            const std::string saved = (dir_.path() / (std::string(locale_name) + "-" + example_name)).string();
            {
                const scoped_c_locale locale(locale_name);
                ASSERT_EQ(locale.problem(), "");
                const std::string text = saved_text(example(example_name));
                EXPECT_EQ(text, text_in_c);
                std::string error;
                ASSERT_TRUE(zelmora::write_farm_file(saved, text, error)) << error;
            }
            const run_result r = run_in({"LC_ALL=" + std::string(locale_name)}, with_inputs(saved));
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.out, example_in_c.out);
        }
    }
}

// Every command checks what it writes to standard output up to its close: a
// report that did not reach it all is a failure naming the reason, not a success.
TEST_F(Cli, EveryCommandThatCannotWriteStandardOutputExitsWithThree) {
    const std::string iowa = example("iowa-farm.ini");
    const std::string database = ZELMORA_DEMO_DATABASE;
    const std::vector<std::vector<std::string>> commands = {
        {"--database", database, "--inputs", iowa, "rate"},
        {"--database", database, "--inputs", iowa, "rate", "--tsv"},
        {"--database", database, "--inputs", iowa, "compare"},
        {"--database", database, "--inputs", iowa, "worksheet", "1"},
        {"--database", database, "--inputs", iowa, "whole-farm"},
        {"--database", database, "--inputs", example("north-dakota-farm.ini"), "malting-barley"},
        {"--database", database, "--inputs", iowa, "test-report", "1", "3"},
        {"--database", database, "--inputs", iowa, "acreage-loop"},
        {"--database", database, "--inputs", iowa, "b-value-dump"},
        {"--database", database, "--inputs", iowa, "state-inputs"},
        {"--database", database, "check-database"},
        {"--help"},
        {"--version"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args.back());
        const run_result r = run(args, {"/dev/full"});
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.err, "zelmora-cli: cannot write standard output: No space left on device\n");
    }
    const run_result batch = run({"--database", database, "batch", ZELMORA_EXAMPLES_DIR}, {"/dev/full"});
    EXPECT_EQ(batch.status, 3);
    EXPECT_EQ(batch.err, "zelmora-cli: batch: cannot write the lines: No space left on device\n");
}

// A quote file is written whole or not at all: the file that was there stays
// when the device is full or the disk fills up part way.
TEST_F(Cli, QuoteFilesAreWrittenWholeOrNotAtAll) {
    const std::string iowa = example("iowa-farm.ini");
    for (const char* option : {"--pdf", "--html"}) {
        SCOPED_TRACE(option);
        const run_result full = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", iowa, "quote", option, "/dev/full"});
        EXPECT_EQ(full.status, 3);
        EXPECT_EQ(last_line(full.err), "zelmora-cli: quote: cannot write \"/dev/full\": No space left on device\n");

        const fs::path quote = dir_.path() / "quote";
        write_file(quote, "the quote of last week");
        const run_result limited = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", iowa, "quote", option,
                                        quote.string()},
                                       {"", 8192});
        EXPECT_EQ(limited.status, 3);
        EXPECT_EQ(last_line(limited.err), "zelmora-cli: quote: cannot write \"" + quote.string() + "\": File too large\n");
        EXPECT_EQ(read_file(quote), "the quote of last week");
        EXPECT_EQ(scratch_names(), std::vector<std::string>{"quote"});

        const run_result written = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", iowa, "quote", option,
                                        quote.string()});
        EXPECT_EQ(written.status, 0) << written.err;
        EXPECT_GT(fs::file_size(quote), 8192u);
        EXPECT_EQ(scratch_names(), std::vector<std::string>{"quote"});
        fs::remove(quote);
    }
}

// An output file that is one of the inputs or the rating database, by whatever
// name, is refused before anything is read or written.
TEST_F(Cli, QuoteAndBatchNeverWriteOverTheirInputsOrTheDatabase) {
    const std::string farm = inputs_file(read_file(example("iowa-farm.ini")), "farm.ini");
    const std::string database = database_copy();
    const fs::path folder = dir_.path() / "farms";
    fs::create_directories(folder);
    fs::copy_file(farm, folder / "a.ini");
    fs::create_symlink(farm, dir_.path() / "alias.ini");
    const std::string alias = (dir_.path() / "alias.ini").string();
    const std::string in_folder = (folder / "a.ini").string();
    const std::string through_folder = (folder / ".." / "farm.ini").string();
    const std::string pdf = (dir_.path() / "x.pdf").string();
    const std::map<std::string, std::string> before = {
        {farm, read_file(farm)}, {database, read_file(database)}, {in_folder, read_file(in_folder)}};

    struct refused {
        std::vector<std::string> args;
        const char* reason;
    };
    const refused cases[] = {
        {{"--inputs", farm, "quote", "--pdf", farm}, "is the inputs file"},
        {{"--inputs", farm, "quote", "--html", alias}, "is the inputs file"},
        {{"--inputs", alias, "quote", "--pdf", through_folder}, "is the inputs file"},
        {{"--inputs", farm, "quote", "--pdf", database}, "is the rating database"},
        {{"--inputs", farm, "quote", "--pdf", pdf, "--html", pdf}, "--pdf and --html name the same file"},
        {{"batch", "--output", farm, farm}, "is the farm file"},
        {{"batch", "--output", alias, farm}, "is the farm file"},
        {{"batch", "--output", in_folder, folder.string()}, "is the farm file"},
        {{"batch", "--output", through_folder, example("iowa-farm.ini"), farm}, "is the farm file"},
        {{"batch", "--output", database, farm}, "is the rating database"},
    };
    for (const refused& c : cases) {
        std::vector<std::string> args = {"--database", database};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const run_result r = run(args);
        SCOPED_TRACE(r.err);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        const std::string line = last_line(r.err);
        EXPECT_NE(line.find(c.reason), std::string::npos);
        EXPECT_EQ(line.rfind("zelmora-cli: ", 0), 0u);
        for (const auto& [path, text] : before) EXPECT_EQ(read_file(path), text) << path;
        EXPECT_FALSE(fs::exists(pdf));
    }
}

// --output FILE takes its name only once every line is in it: a batch that
// cannot open its database or write a line leaves the previous FILE as it was.
TEST_F(Cli, ABatchOutputTakesItsNameOnlyWhenEveryLineIsWritten) {
    const std::string iowa = example("iowa-farm.ini");
    const fs::path book = dir_.path() / "book.tsv";
    const std::string previous = "the previous book\n";
    write_file(book, previous);
    fs::permissions(book, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const run_result no_database =
        run({"--database", (dir_.path() / "none.sqlite").string(), "batch", "--output", book.string(), iowa});
    EXPECT_EQ(no_database.status, 1);
    EXPECT_EQ(read_file(book), previous);
    EXPECT_EQ(scratch_names(), std::vector<std::string>{"book.tsv"});

    const run_result limited =
        run({"--database", ZELMORA_DEMO_DATABASE, "batch", "--output", book.string(), ZELMORA_EXAMPLES_DIR}, {"", 1024});
    EXPECT_EQ(limited.status, 3);
    EXPECT_EQ(limited.err, "zelmora-cli: batch: cannot write the lines: File too large\n");
    EXPECT_EQ(read_file(book), previous);
    EXPECT_EQ(scratch_names(), std::vector<std::string>{"book.tsv"});

    // A refused farm leaves its lines out; the others take the name.
    const std::string rated = run({"--database", ZELMORA_DEMO_DATABASE, "--inputs", iowa, "rate", "--tsv"}).out;
    const std::string missing = (dir_.path() / "missing.ini").string();
    const run_result one_refused =
        run({"--database", ZELMORA_DEMO_DATABASE, "batch", "--output", book.string(), missing, iowa});
    EXPECT_EQ(one_refused.status, 3);
    EXPECT_EQ(read_file(book), with_name_column(iowa, rated));
    EXPECT_EQ(fs::status(book).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(scratch_names(), std::vector<std::string>{"book.tsv"});
}

// Stopped part way, a batch leaves FILE as it was: SIGTERM and SIGINT also
// remove the file of the lines written so far, SIGKILL cannot.
TEST_F(Cli, AnInterruptedBatchLeavesItsOutputAsItWas) {
    const fs::path book = dir_.path() / "book.tsv";
    const std::string previous = "the previous book\n";
    std::vector<std::string> args = {"--database", ZELMORA_DEMO_DATABASE, "batch", "--jobs", "1", "--output",
                                     book.string()};
    for (int i = 0; i < 20000; ++i) args.push_back(example("iowa-farm.ini"));
    for (const int signal_number : {SIGTERM, SIGINT, SIGKILL}) {
        SCOPED_TRACE(signal_number);
        write_file(book, previous);
        const pid_t pid = start(args);
        ASSERT_GT(pid, 0);
        // Until the file of the lines is there.
        const auto writing = [&] {
            for (const std::string& name : scratch_names())
                if (name.rfind(".book.tsv.", 0) == 0) return true;
            return false;
        };
        for (int waited = 0; waited < 10000 && !writing(); ++waited) usleep(1000);
        ASSERT_TRUE(writing());
        usleep(100000);  // some lines written
        kill(pid, signal_number);
        int wait_status = 0;
        waitpid(pid, &wait_status, 0);
        ASSERT_TRUE(WIFSIGNALED(wait_status)) << "the batch ended before its signal";
        EXPECT_EQ(WTERMSIG(wait_status), signal_number);
        EXPECT_EQ(read_file(book), previous);
        if (signal_number != SIGKILL) {
            EXPECT_EQ(scratch_names(), std::vector<std::string>{"book.tsv"});
        }
    }
}
