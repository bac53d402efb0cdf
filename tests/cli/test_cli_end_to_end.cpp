// zelmora-cli end to end: the built binary run on the demo database, with its
// settings folders (HOME, XDG_CONFIG_HOME) pointed at an empty scratch folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fixture_database.h"

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

std::size_t count_entries(const fs::path& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : fs::recursive_directory_iterator(dir)) ++n;
    return n;
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(home()); }

    // The settings folders of every run: HOME and XDG_CONFIG_HOME.
    fs::path home() const { return dir_.path() / "home"; }

    run_result run(const std::vector<std::string>& args) const {
        const fs::path out_file = dir_.path() / "stdout";
        const fs::path err_file = dir_.path() / "stderr";
        std::vector<std::string> arguments = {ZELMORA_CLI_BINARY};
        arguments.insert(arguments.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);

        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            if (entry.rfind("HOME=", 0) != 0 && entry.rfind("XDG_CONFIG_HOME=", 0) != 0) environment.push_back(entry);
        }
        environment.push_back("HOME=" + home().string());
        environment.push_back("XDG_CONFIG_HOME=" + home().string());
        std::vector<char*> envp;
        for (auto& e : environment) envp.push_back(e.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        run_result result;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0) << "cannot start " << argv[0];
        if (spawned != 0) return result;
        int wait_status = 0;
        waitpid(pid, &wait_status, 0);
        EXPECT_TRUE(WIFEXITED(wait_status)) << "zelmora-cli did not exit normally";
        result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
        result.out = read_file(out_file);
        result.err = read_file(err_file);
        return result;
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
            EXPECT_EQ(r.status, 0) << r.err;
            std::string lower = r.out;
            std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
            EXPECT_EQ(lower.find("nan"), std::string::npos) << farm << r.out;
            EXPECT_EQ(lower.find("inf"), std::string::npos) << farm << r.out;
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
