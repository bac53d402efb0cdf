// The command line's pieces in process: the inputs file reader, the number
// texts, crop names and the argument parser.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "cli/commands.h"
#include "cli/number_text.h"
#include "fixture_database.h"
#include "data/crops.h"
#include "rating/farm_file.h"
#include "rating/farm.h"
#include "utility/ini_file.h"
#include "utility/printable.h"

using namespace zelmora;

namespace {

struct ini_case {
    const char* name;
    const char* text;
};

}  // namespace

TEST(CliIniFile, ReadsSectionsKeysAndValueKinds) {
    memory_settings_store store;
    std::string error;
    ASSERT_TRUE(parse_ini_text("\xEF\xBB\xBF; saved by hand\r\n"
                               "[Settings]\r\n"
                               "State FIPS=19\r\n"
                               "  County%20FIPS = 169  \r\n"
                               "# a comment\r\n"
                               "\r\n"
                               "Price Corn=2.80\r\n"
                               "Price Soybeans=\"6.60\"\r\n"
                               "APH Yield 1 01 = 150.000\r\n"
                               "Empty=\r\n"
                               "Quoted=\"007\"\r\n"
                               "[APHContinuous]\r\n"
                               "Price Percent=1.000000",
                               store, error))
        << error;
    const auto& v = store.values();
    ASSERT_TRUE(store.contains("Settings", "State FIPS"));
    EXPECT_TRUE(v.at({"Settings", "State FIPS"}).is_integer);
    EXPECT_EQ(v.at({"Settings", "State FIPS"}).integer, 19);
    ASSERT_TRUE(store.contains("Settings", "County FIPS"));  // %20 decoded, outer blanks dropped
    EXPECT_EQ(v.at({"Settings", "County FIPS"}).integer, 169);
    EXPECT_FALSE(v.at({"Settings", "Price Corn"}).is_integer);
    EXPECT_EQ(v.at({"Settings", "Price Corn"}).text, "2.80");  // the characters as written
    EXPECT_EQ(v.at({"Settings", "Price Soybeans"}).text, "6.60");
    EXPECT_EQ(v.at({"Settings", "APH Yield 1 01"}).text, "150.000");
    EXPECT_EQ(v.at({"Settings", "Empty"}).text, "");
    EXPECT_FALSE(v.at({"Settings", "Quoted"}).is_integer);  // in quotes: a text, leading zeros kept
    EXPECT_EQ(v.at({"Settings", "Quoted"}).text, "007");
    EXPECT_EQ(store.read_integer("Settings", "Quoted", 0), 7);
    EXPECT_EQ(v.at({"APHContinuous", "Price Percent"}).text, "1.000000");
    EXPECT_EQ(v.size(), 8u);
}

TEST(CliIniFile, LaterValueOfAKeyWins) {
    memory_settings_store store;
    std::string error;
    ASSERT_TRUE(parse_ini_text("[Settings]\nUnits Corn=1\nUnits%20Corn=3\n", store, error));
    EXPECT_EQ(store.read_integer("Settings", "Units Corn", 0), 3);
}

TEST(CliIniFile, RejectsMalformedLinesWithTheirNumber) {
    const ini_case cases[] = {
        {"line 2: expected", "[Settings]\nState FIPS\n"},
        {"line 1: key=value before the first [section]", "State FIPS=19\n"},
        {"line 3: a section header must end in ']'", "[Settings]\nA=1\n[APHContinuous\n"},
        {"line 1: malformed section name", "[]\n"},
        {"line 2: the key before '=' is empty", "[Settings]\n =19\n"},
        {"line 2: malformed %XX escape in the key", "[Settings]\nState%2FIPS%2=19\n"},
        {"line 2: malformed %XX escape in the key", "[Settings]\nState%ZZFIPS=19\n"},
    };
    for (const auto& c : cases) {
        memory_settings_store store;
        std::string error;
        EXPECT_FALSE(parse_ini_text(c.text, store, error)) << c.text;
        EXPECT_EQ(error.rfind(c.name, 0), 0u) << "got \"" << error << "\" for " << c.text;
    }
}

TEST(CliIniFile, LinesEndInLfCrLfOrALoneCr) {
    memory_settings_store store;
    std::string error;
    ASSERT_TRUE(parse_ini_text("[Settings]\rState FIPS=19\r\nCounty FIPS=169\n\rUnits Corn=2\r", store, error)) << error;
    EXPECT_EQ(store.read_integer("Settings", "State FIPS", 0), 19);
    EXPECT_EQ(store.read_integer("Settings", "County FIPS", 0), 169);
    EXPECT_EQ(store.read_integer("Settings", "Units Corn", 0), 2);
    EXPECT_EQ(store.values().size(), 3u);

    // CR LF is one line end, a lone CR and LF CR are each their own.
    EXPECT_FALSE(parse_ini_text("[Settings]\r\nA=1\rB=2\n\rbroken\n", store, error));
    EXPECT_EQ(error.rfind("line 5: expected", 0), 0u) << error;
}

TEST(CliIniFile, NulByteIsRefusedWithItsLine) {
    memory_settings_store store;
    std::string error;
    EXPECT_FALSE(parse_ini_text(std::string("[Settings]\nPrice Corn=2\0.80\n", 28), store, error));
    EXPECT_EQ(error, "line 2: a NUL byte in the line");
    EXPECT_FALSE(store.contains("Settings", "Price Corn"));
}

TEST(CliIniFile, OnlyRegularFilesOfAtMost16MiBAreRead) {
    zelmora::testing::scratch_directory dir;
    const std::string fifo = dir.file("inputs.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string large = dir.file("large.ini");
    std::ofstream(large).put(';');
    std::filesystem::resize_file(large, max_inputs_file_size + 1);
    const std::string limit = dir.file("limit.ini");
    {
        std::ofstream out(limit, std::ios::binary);
        out << "[Settings]\nState FIPS=19\n";
        out << std::string(max_inputs_file_size - 25, ' ');
    }
    ASSERT_EQ(std::filesystem::file_size(limit), max_inputs_file_size);

    const std::pair<std::string, const char*> cases[] = {
        {dir.path().string(), "it is a directory"},
        {"/dev/zero", "it is not a regular file"},
        {fifo, "it is not a regular file"},
        {large, "it is larger than 16 MiB"},
    };
    for (const auto& [path, reason] : cases) {
        memory_settings_store store;
        std::string error;
        EXPECT_FALSE(read_ini_file(path, store, error)) << path;
        EXPECT_EQ(error, "cannot read inputs file \"" + path + "\": " + reason);
    }
    memory_settings_store store;
    std::string error;
    EXPECT_TRUE(read_ini_file(limit, store, error)) << error;
    EXPECT_EQ(store.read_integer("Settings", "State FIPS", 0), 19);
}

TEST(CliIniFile, MissingFileIsReported) {
    memory_settings_store store;
    std::string error;
    EXPECT_FALSE(read_ini_file("/nonexistent/zelmora/inputs.ini", store, error));
    EXPECT_NE(error.find("cannot read inputs file \"/nonexistent/zelmora/inputs.ini\""), std::string::npos);
}

TEST(CliNumberText, InsertsThousandsSeparators) {
    const std::pair<const char*, const char*> cases[] = {
        {"1234567.891", "1,234,567.891"}, {"-1234.5", "-1,234.5"}, {"999", "999"},     {"1000", "1,000"},
        {"12345", "12,345"},              {"0.12345", "0.12345"},  {"-100", "-100"}, {"", ""},
        {"100000.00", "100,000.00"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(insert_separators(in), out) << in;
    EXPECT_EQ(number_text(12345.4, 0, true), "12,345");
    EXPECT_EQ(number_text(12345.4, 0, false), "12345");
    EXPECT_EQ(number_text(1234.5, 2, true), "1,234.50");
}

TEST(CliCommandLine, CropsByNumberOrName) {
    const std::pair<const char*, int> cases[] = {
        {"1", 1},        {"9", 9},           {"0", 0},     {"10", 0},           {"corn", 1},
        {"SOYBEANS", 2}, {"Spring Wheat", 3}, {"springwheat", 3}, {"WinterWheat", 7}, {"winter wheat", 7},
        {"Rice", 9},     {"Oats", 0},        {"", 0},      {"1x", 0},
    };
    for (const auto& [text, crop] : cases) EXPECT_EQ(crop_from_text(text), crop) << text;
}

TEST(CliCommandLine, ParsesOptionsCommandsAndArguments) {
    command_line line;
    std::string error;
    ASSERT_TRUE(parse_command_line({"--database", "a.sqlite", "--inputs=b.ini", "test-report", "5", "7"}, line, error));
    EXPECT_EQ(line.database, "a.sqlite");
    EXPECT_EQ(line.inputs, "b.ini");
    EXPECT_EQ(line.command, command_kind::test_report);
    EXPECT_EQ(line.low, 5);
    EXPECT_EQ(line.high, 7);

    line = {};
    ASSERT_TRUE(parse_command_line({"write-county-list", "--yes", "--all-states"}, line, error));
    EXPECT_EQ(line.command, command_kind::write_county_list);
    EXPECT_TRUE(line.yes);
    EXPECT_TRUE(line.all_states);

    line = {};
    ASSERT_TRUE(parse_command_line({"rate"}, line, error));
    EXPECT_FALSE(line.tsv);
    EXPECT_EQ(line.low, 1);
    EXPECT_EQ(line.high, 63);
}

TEST(CliCommandLine, RejectsUsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--database"},
        {"--inputs", "x.ini"},
        {"--frobnicate", "rate"},
        {"frobnicate"},
        {"rate", "--csv"},
        {"worksheet"},
        {"worksheet", "Oats"},
        {"worksheet", "1", "2"},
        {"test-report", "5"},
        {"test-report", "9", "5"},
        {"test-report", "0", "64"},
        {"test-report", "a", "b"},
        {"whole-farm", "extra"},
        {"write-column-lookup", "--force"},
    };
    for (const auto& args : cases) {
        command_line line;
        std::string error;
        EXPECT_FALSE(parse_command_line(args, line, error)) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

TEST(CliCommandLine, PayoutCommandsTakeTheirOptions) {
    command_line line;
    std::string error;
    ASSERT_TRUE(parse_command_line({"compare", "--expected", "--jobs=3", "--tsv"}, line, error)) << error;
    EXPECT_EQ(line.command, command_kind::compare);
    EXPECT_TRUE(line.expected);
    EXPECT_TRUE(line.tsv);
    EXPECT_EQ(line.jobs, 3);

    line = {};
    ASSERT_TRUE(parse_command_line({"outcomes", "--crop", "Spring Wheat", "--structure=enterprise", "--prices",
                                    "-20:20:5", "--yields", "0:100:50"},
                                   line, error))
        << error;
    EXPECT_EQ(line.command, command_kind::outcomes);
    EXPECT_EQ(line.outcomes.crop_number, 3);
    EXPECT_EQ(line.outcomes.structure, payout_structure::enterprise_unit);
    EXPECT_EQ(line.outcomes.grid.price_change_from, -20);
    EXPECT_EQ(line.outcomes.grid.price_change_step, 5);
    EXPECT_EQ(line.outcomes.grid.yield_to, 100);

    line = {};
    ASSERT_TRUE(parse_command_line({"payout-worksheet", "--price", "corn=2.2", "--yield=soybeans=55.5",
                                    "--unit-yield", "winter wheat:2=31"},
                                   line, error))
        << error;
    EXPECT_EQ(line.command, command_kind::payout_worksheet);
    EXPECT_EQ(line.outcome.prices[0], 2.2);
    EXPECT_EQ(line.outcome.yield_percents[1], 55.5);
    ASSERT_EQ(line.outcome.unit_yields.size(), 1u);
    EXPECT_EQ(line.outcome.unit_yields[0].crop_number, 7);
    EXPECT_EQ(line.outcome.unit_yields[0].unit_number, 2);
    EXPECT_EQ(line.outcome.unit_yields[0].yield, 31.0);

    const std::pair<std::vector<std::string>, const char*> refused[] = {
        {{"compare", "--jobs", "2"}, "--jobs applies to compare --expected only"},
        {{"compare", "--expected", "--jobs", "0"}, "--jobs takes a number of threads from 1 to 64 (got \"0\")"},
        {{"compare", "--expected", "--jobs"}, "--jobs needs a value"},
        {{"compare", "--tsv=1"}, "--tsv takes no value"},
        {{"compare", "--csv"}, "compare takes only --tsv, --expected and --jobs N (got --csv)"},
        {{"outcomes", "--crop", "oats"},
         "--crop: unknown crop \"oats\": give 1-9 or a name such as Corn or \"Spring Wheat\""},
        {{"outcomes", "--structure", "farm"}, "--structure takes units, enterprise or whole-farm (got \"farm\")"},
        {{"outcomes", "--prices", "-50:50"}, "--prices takes FROM:TO:STEP, three whole percents (got \"-50:50\")"},
        {{"outcomes", "--crop", "1", "--structure", "whole-farm"},
         "outcomes: the whole-farm unit covers the farm, not one crop; leave out --crop"},
        {{"payout-worksheet", "--price", "corn"}, "--price takes CROP=VALUE (got \"corn\")"},
        {{"payout-worksheet", "--price", "corn=-1"}, "--price takes a harvest price from 0 to 100000 (got \"-1\")"},
        {{"payout-worksheet", "--yield", "corn=50", "--yield", "1=60"}, "--yield names Corn twice"},
        {{"payout-worksheet", "--unit-yield", "corn:8=100"}, "--unit-yield: a crop's units are numbered 1 to 7 (got 8)"},
        {{"payout-worksheet", "--unit-yield", "corn=100"}, "--unit-yield takes CROP:UNIT=YIELD (got \"corn=100\")"},
    };
    for (const auto& [args, reason] : refused) {
        SCOPED_TRACE(args.back());
        line = {};
        EXPECT_FALSE(parse_command_line(args, line, error));
        EXPECT_EQ(error, reason);
    }
}

TEST(CliCommandLine, AnOutcomeRequestKeepsTheCropsPercentageForTheUnitsNotGiven) {
    payout_farm farm;
    payout_crop corn;
    corn.crop_number = 1;
    corn.price = 2.5;
    for (const double aph : {100.0, 150.0, 200.0}) {
        payout_unit unit;
        unit.aph_yield = aph;
        unit.acres = 10.0;
        unit.share = 1.0;
        corn.units.push_back(unit);
    }
    farm.crops.push_back(corn);
    outcome_request request;
    request.prices[0] = 2.0;
    request.yield_percents[0] = 50.0;
    request.unit_yields.push_back({1, 2, 120.0});
    std::string error;
    const auto chosen = outcome_of(request, farm, error);
    ASSERT_TRUE(chosen) << error;
    const crop_outcome& c = chosen->crops[0];
    EXPECT_EQ(c.harvest_price.to_double(), 2.0);
    EXPECT_EQ(c.yield_percent.to_double(), 50.0);
    ASSERT_EQ(c.unit_yields.size(), 2u);  // the third unit yields the percentage
    EXPECT_EQ(c.unit_yields[0].to_double(), 50.0);
    EXPECT_EQ(c.unit_yields[1].to_double(), 120.0);

    const std::pair<outcome_request, const char*> refused[] = {
        {[] { outcome_request r; r.prices[1] = 6.0; return r; }(),
         "the farm has no Soybeans units to pay out (the crop is not ticked or has no units)"},
        {[] { outcome_request r; r.unit_yields.push_back({1, 4, 10.0}); return r; }(),
         "Corn has 3 unit(s); there is no unit 4"},
    };
    for (const auto& [r, reason] : refused) {
        EXPECT_FALSE(outcome_of(r, farm, error));
        EXPECT_EQ(error, reason);
    }
}

namespace {

std::string check_text(const std::string& text) {
    memory_settings_store store;
    std::string error;
    EXPECT_TRUE(parse_ini_text(text, store, error)) << error;
    if (check_inputs(store, &store, error)) return "";
    EXPECT_FALSE(error.empty());
    return error;
}

}  // namespace

TEST(CliInputChecks, RefusesWhatNoFarmCanHaveNamingKeyValueAndWhatIsAllowed) {
    const std::pair<const char*, const char*> cases[] = {
        {"Price Corn=1e308", "\"Price Corn\" must be a decimal number from 0 to 100000, not \"1e308\""},
        {"Price Corn=x", "\"Price Corn\" must be a decimal number, not \"x\""},
        {"Price Corn=nan", "\"Price Corn\" must be a decimal number, not \"nan\""},
        {"Price Corn=0x10", "\"Price Corn\" must be a decimal number, not \"0x10\""},
        {"Price Corn=", "\"Price Corn\" must be a decimal number, not \"\""},
        {"Units Corn=1\nCrop Share 1 01=-5",
         "\"Crop Share 1 01\" must be a decimal number from 0 to 1, not \"-5\""},
        {"Units Corn=1\nAPH Yield 1 01=99999999999999999999",
         "\"APH Yield 1 01\" must be a decimal number from 0 to 100000, not \"99999999999999999999\""},
        {"Coverage 1=1e308", "\"Coverage 1\" must be 65, 70, 75, 80 or 85, not \"1e308\""},
        {"Coverage Enterprise 9=72", "\"Coverage Enterprise 9\" must be 65, 70, 75, 80 or 85, not \"72\""},
        {"Sections Corn=-2147483648", "\"Sections Corn\" must be a whole number from 0 to 9999, not \"-2147483648\""},
        {"Units Corn=3abc", "\"Units Corn\" must be a whole number from 0 to 7, not \"3abc\""},
        {"Units Corn=0x3", "\"Units Corn\" must be a whole number from 0 to 7, not \"0x3\""},
        {"Units Corn=1e1", "\"Units Corn\" must be a whole number from 0 to 7, not \"1e1\""},
        {"Units Corn=99999999999999999999",
         "\"Units Corn\" must be a whole number from 0 to 7, not \"99999999999999999999\""},
        {"Units Corn=8", "\"Units Corn\" is 8; a crop holds 0 to 7 units"},
        {"State FIPS=3",
         "\"State FIPS\" must be 4, 5, 8, 16, 17, 18, 19, 20, 21, 22, 26, 27, 29, 30, 31, 35, 37, 38, 39, 40, 46, "
         "47 or 51, not \"3\""},
        {"County FIPS=0", "\"County FIPS\" must be a whole number from 1 to 999, not \"0\""},
        {"Indicated Rice=2", "\"Indicated Rice\" must be 0 or 1, not \"2\""},
        {"Harvest Guarantee Whole Farm=-1", "\"Harvest Guarantee Whole Farm\" must be 0 or 1, not \"-1\""},
        {"Prevented Planting Select Whole Farm=3",
         "\"Prevented Planting Select Whole Farm\" must be 0, 1 or 2, not \"3\""},
        {"Units Barley=2\nType 6 02=1000", "\"Type 6 02\" must be a whole number from 0 to 999, not \"1000\""},
        {"Units Canola=1\nCR Option 4 01=11", "\"CR Option 4 01\" must be a decimal number from 0 to 10, not \"11\""},
        {"PP Factor 10 Rice=-0.1", "\"PP Factor 10 Rice\" must be a decimal number from 0 to 10, not \"-0.1\""},
        {"Malting Barley Option=1.0",
         "\"Malting Barley Option\" must be 1 (option A) or 2 (option B), not \"1.0\""},
        {"Units Barley=1\nMalting Barley Acres 6 01=1000001",
         "\"Malting Barley Acres 6 01\" must be a decimal number from 0 to 1000000, not \"1000001\""},
        {"Price Rice=\x1b[2J", "\"Price Rice\" must be a decimal number, not \"?[2J\""},
    };
    for (const auto& [keys, message] : cases) EXPECT_EQ(check_text(std::string("[Settings]\n") + keys + "\n"), message);
}

TEST(CliInputChecks, AcceptsEveryAllowedFormAndIgnoresUnitsBeyondTheCount) {
    const char* const cases[] = {
        "State FIPS=51\nCounty FIPS=999\nCoverage Whole Farm=85\nMalting Barley Option=1",
        "Price Corn=0\nPrice Soybeans=100000\nPrice Volatility Rice=10\nSections Corn=0\nSections Rice=9999",
        "Price Corn=1.\nPrice Soybeans=.5\nPrice Rice=1e3\nPrice Cotton=+2.5E-1\nPrice Barley= 2.80 ",
        "Units Corn=7\nCrop Acres 1 07=1000000\nCrop Share 1 07=1\nType 1 07=0\nOptional Units 1 07=1",
        "Units Corn=1\nAPH Yield 1 02=-5\nType 1 08=abc\nCrop Share 2 01=9",  // units 1 02 and 2 01 do not exist
        "Coverage 1=65\nCoverage Enterprise 9=85\nPrevented Planting Select 3=2\nUnits Rice=+0",
        "[APHContinuous]\nAcres=1e308",  // another section
    };
    for (const char* keys : cases) EXPECT_EQ(check_text(std::string("[Settings]\n") + keys + "\n"), "") << keys;
}

// A key the command line would not read is refused, naming the key it most
// likely meant; so is a file without the section of the inputs.
TEST(CliInputChecks, UnknownKeysAreRefusedNamingTheClosestKnownKey) {
    const std::pair<std::string, std::string> cases[] = {
        {"[Settings]\nUnits Corn=1\nCrop Acre 1 01=99999\n",
         "unknown key \"Crop Acre 1 01\" in [Settings]; did you mean \"Crop Acres 1 01\"?"},
        {"[Settings]\ncoverage 1=80\n", "unknown key \"coverage 1\" in [Settings]; did you mean \"Coverage 1\"?"},
        {"[Settings]\nPrice Corm=2.8\n", "unknown key \"Price Corm\" in [Settings]; did you mean \"Price Corn\"?"},
        {"[Settings]\nUnits Corn=1\nAPH Yield 1 1=150\n",
         "unknown key \"APH Yield 1 1\" in [Settings]; did you mean \"APH Yield 1 01\"?"},
        {"[Settings]\nType 10 01=997\n", "unknown key \"Type 10 01\" in [Settings]; did you mean \"Type 1 01\"?"},
        {"[Settings]\nCoverage 0=75\n", "unknown key \"Coverage 0\" in [Settings]; did you mean \"Coverage 1\"?"},
        {"[Settings]\nState=19\n", "unknown key \"State\" in [Settings]; did you mean \"State FIPS\"?"},
        {"[Settings]\n[APHContinuous]\nMap Areas=0\n",
         "unknown key \"Map Areas\" in [APHContinuous]; did you mean \"Map Area\"?"},
        {"[Settings]\n[Farm Details]\nProducer Name=Ann\n",
         "unknown key \"Producer Name\" in [Farm Details]; did you mean \"Producer\"?"},
        {"[Settings]\n" + std::string(100, 'K') + "=1\n",
         "unknown key \"" + std::string(40, 'K') + "...\" in [Settings]; did you mean \"State FIPS\"?"},
        {"[Settings]\nPrice\x1b[2J Corn=1\n",
         "unknown key \"Price?[2J Corn\" in [Settings]; did you mean \"Price Corn\"?"},
        {"", "no [Settings] section"},
        {"; only a comment\n\n", "no [Settings] section"},
        {"[APHContinuous]\nAcres=0\n", "no [Settings] section"},
        {"[settings]\nState FIPS=19\n", "no [Settings] section"},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(check_text(text), message) << text;
}

// What the application writes is read back: every key of a farm with seven
// units in every crop, and the farm's free texts.
TEST(CliInputChecks, EveryKeyTheApplicationWritesIsKnown) {
    farm seven_units = default_farm();
    for (int crop = 1; crop <= crop_count; ++crop) set_unit_count(seven_units, crop, max_units_per_crop);
    const std::string text = farm_file_text(seven_units) +
                             "\n[Farm Details]\nProducer=Ann Lee\nAgent=Bo\nAgent Contact=555-0100\nNote=Dryland\n"
                             "\n[Recent File List]\nFile1=/home/ann/rates.sqlite\n";  // a section the inputs do not read
    EXPECT_NE(text.find("Malting Barley Acres 9 07="), std::string::npos);
    EXPECT_EQ(check_text(text), "");
    // The keys of units beyond a crop's count, which a settings store keeps and the calculator does not read.
    EXPECT_EQ(check_text("[Settings]\nUnits Corn=1\nAPH Yield 1 07=-5\nCR Option 1 02=0.5\n"),
              "\"CR Option 1 02\" names no crop or unit of these inputs");
    EXPECT_EQ(check_text("[Settings]\nUnits Corn=1\nAPH Yield 1 07=-5\nFN or FO 9 99=x\n"), "");
    EXPECT_EQ(check_text("[Settings]\n"), "");  // no key at all: the calculator's defaults
}

TEST(CliInputChecks, QuotesAtMost40CharactersOfAValue) {
    const std::string long_value(1000000, '9');
    const std::string error = check_text("[Settings]\nPrice Corn=" + long_value + "\n");
    EXPECT_EQ(error, "\"Price Corn\" must be a decimal number from 0 to 100000, not \"" + std::string(40, '9') + "...\"");
    // A long key that names no crop is cut the same way.
    const std::string key = "PP Factor 5 " + std::string(100, 'x');
    EXPECT_EQ(check_text("[Settings]\n" + key + "=1\n"),
              "\"" + key.substr(0, 40) + "...\" names no crop or unit of these inputs");
}

TEST(CliPrintable, ControlCharactersAreReplacedButLineEndsAndTabsKept) {
    const std::pair<std::string, std::string> cases[] = {
        {"County\tStory\r\n", "County\tStory\r\n"},
        {"a\x1b[31mred\x07\n", "a?[31mred?\n"},
        {"over\rwrite\r\n", "over?write\r\n"},
        {std::string("nul\0byte", 8), "nul?byte"},
        {"del\x7f c1\xc2\x9b!", "del? c1?!"},
        {"Do\xc3\xb1" "a Ana\n", "Do\xc3\xb1" "a Ana\n"},  // UTF-8 letters stay
        {"end\r", "end?"},
    };
    for (const auto& [text, printable] : cases) EXPECT_EQ(printable_text(text), printable) << text;

    EXPECT_EQ(quoted_value("tab\there\nnext"), "\"tab?here?next\"");
    // Cut after 40 characters, never inside one.
    std::string accented;
    for (int i = 0; i < 41; ++i) accented += "\xc3\xa9";
    EXPECT_EQ(quoted_value(accented), "\"" + accented.substr(0, 80) + "...\"");
    EXPECT_EQ(quoted_value(std::string(40, 'a')), "\"" + std::string(40, 'a') + "\"");
}
