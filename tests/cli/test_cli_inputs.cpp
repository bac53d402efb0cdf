// The command line's pieces in process: the inputs file reader, the number
// texts, crop names and the argument parser.
#include <gtest/gtest.h>

#include "cli/commands.h"
#include "cli/ini_file.h"
#include "cli/number_text.h"

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
    EXPECT_EQ(v.at({"APHContinuous", "Price Percent"}).text, "1.000000");
    EXPECT_EQ(v.size(), 7u);
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
