// Reading CSV text as mdb-export writes it, and importing such files into a
// new rating database: what is converted, what is reported, what is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "data/csv_reader.h"
#include "data/rowsets.h"
#include "data/table_import.h"
#include "fixture_database.h"
#include "mdb_export.h"

namespace {

namespace fs = std::filesystem;
using namespace zelmora;
using zelmora::testing::scratch_directory;

void write_file(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

using record = std::vector<std::pair<std::string, bool>>;  // text, quoted

struct parsed {
    std::vector<record> records;
    std::vector<long> lines;
    std::string error;
    long error_line = 0;
};

parsed parse(const std::string& text) {
    scratch_directory dir;
    write_file(dir.file("t.csv"), text);
    csv_reader reader;
    std::string error;
    EXPECT_TRUE(reader.open(dir.file("t.csv"), error)) << error;
    parsed p;
    while (reader.next()) {
        record r;
        for (std::size_t i = 0; i < reader.size(); ++i) r.emplace_back(reader[i].text, reader[i].quoted);
        p.records.push_back(r);
        p.lines.push_back(reader.line());
    }
    p.error = reader.error();
    p.error_line = reader.line();
    return p;
}

// The ten tables as mdb-export writes them from a database with the schema and no rows.
fs::path empty_export(const scratch_directory& dir) {
    const fs::path folder = dir.path() / "csv";
    fs::create_directories(folder);
    zelmora::testing::fixture_database fx;
    EXPECT_TRUE(zelmora::testing::mdb_export_all(fx.path(), folder));
    return folder;
}

// A row of a table with 1 in every field (a quoted "x" in text columns) and `value` in `column`.
std::string row_with(const table_description& t, const std::string& column, const std::string& value) {
    std::string row;
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
        const column_spec& c = t.columns[i];
        row += (i > 0 ? "," : "") + (c.name == column ? value : c.type == column_type::str ? "\"x\"" : "1");
    }
    return row + "\n";
}

void append(const fs::path& file, const std::string& text) { write_file(file, read_file(file) + text); }

}  // namespace

TEST(CsvReader, ReadsWhatMdbExportWrites) {
    const struct {
        const char* what;
        std::string text;
        std::vector<record> records;
        std::vector<long> lines;
    } cases[] = {
        {"numbers and a quoted text", "19,1,\"Adair\"\n", {{{"19", false}, {"1", false}, {"Adair", true}}}, {1}},
        {"a doubled quote and a comma inside quotes",
         "\"O\"\"Brien, north\",5\n",
         {{{"O\"Brien, north", true}, {"5", false}}},
         {1}},
        {"CRLF line ends, the last line without one",
         "a,b\r\nc,d",
         {{{"a", false}, {"b", false}}, {{"c", false}, {"d", false}}},
         {1, 2}},
        {"a line end inside quotes belongs to the text",
         "\"two\nlines\",1\n3,4\n",
         {{{"two\nlines", true}, {"1", false}}, {{"3", false}, {"4", false}}},
         {1, 3}},
        {"NULL is an empty field, an empty text is quoted", ",\"\"\n", {{{"", false}, {"", true}}}, {1}},
        {"a byte order mark and blank lines", "\xEF\xBB\xBFx\n\ny\n", {{{"x", false}}, {{"y", false}}}, {1, 3}},
    };
    for (const auto& c : cases) {
        const parsed p = parse(c.text);
        EXPECT_TRUE(p.error.empty()) << c.what << ": " << p.error;
        EXPECT_EQ(p.records, c.records) << c.what;
        EXPECT_EQ(p.lines, c.lines) << c.what;
    }
}

TEST(CsvReader, MalformedTextStopsWithItsLine) {
    const parsed unclosed = parse("a,b\n\"never closed,1\n2\n");
    EXPECT_EQ(unclosed.records.size(), 1u);
    EXPECT_EQ(unclosed.error, "quoted text from line 2 is never closed");
    const parsed trailing = parse("a\n1,\"a\"b\n");
    EXPECT_EQ(trailing.error, "text after the closing quote of a field");
    EXPECT_EQ(trailing.error_line, 2);
}

TEST(TableImport, ColumnsAreMatchedByNameAndEveryValueComesBackAsTheReadersBindIt) {
    scratch_directory dir;
    const fs::path folder = empty_export(dir);
    // The County List with its columns in reverse order, booleans as words and
    // 1/0, a name with a quote and a comma, a number written as 19.0.
    const table_description& list = tables::county_list();
    std::string header, row;
    for (auto c = list.columns.rbegin(); c != list.columns.rend(); ++c) {
        header += (header.empty() ? "" : ",") + c->name;
        std::string value = c->type == column_type::boolean ? "0" : "1";
        if (c->name == "State FIPS") value = "19.0";
        if (c->name == "County FIPS") value = "141";
        if (c->name == "County Name") value = "\"O\"\"Brien, north\"";
        if (c->name == "Region Flag") value = "True";
        if (c->name == "Crop Indicator 1") value = "1";
        if (c->name == "8085 Indicator 2") value = "-1";
        row += (row.empty() ? "" : ",") + value;
    }
    write_file(folder / "County List.csv", header + "\r\n" + row + "\r\n");
    append(folder / "B Value Whole Farm.csv", "19,0,48,2,1.23456789e-05,-0.5\n");
    fs::remove(folder / "County Average Yields.csv");
    write_file(folder / "Lookup Practice Code.csv", "Description,Practice Code,Remark\n\"Non-Irrigated\",3,\"old\"\n");

    const std::string output = dir.file("new.sqlite");
    const import_result r = import_tables(folder.string(), output);
    ASSERT_EQ(r.outcome, import_outcome::done) << r.problems;
    EXPECT_TRUE(r.problems.empty()) << r.problems;
    EXPECT_NE(r.report.find("County List                         1 rows from \"County List.csv\"\n"), std::string::npos)
        << r.report;
    EXPECT_NE(r.report.find("County Average Yields       no \"County Average Yields.csv\": the table is left empty\n"),
              std::string::npos)
        << r.report;
    EXPECT_NE(r.report.find("column \"Remark\" is not one the readers use; ignored"), std::string::npos) << r.report;

    std::string error;
    auto db = connect_premium_database(output, error);
    ASSERT_TRUE(db) << error;
    rowset_county_list counties;
    ASSERT_EQ(counties.open_with_filter(*db), 0);
    ASSERT_EQ(counties.move_first(), 0);
    const record_county_list& c = counties.record;
    EXPECT_EQ(c.state_fips, 19);
    EXPECT_EQ(c.county_fips, 141);
    EXPECT_STREQ(c.county_name, "O\"Brien, north");
    EXPECT_EQ(c.region_flag, -1);  // true as Access stores it, which is what the region readers test for
    EXPECT_EQ(c.crop_indicator[0], -1);
    EXPECT_EQ(c.crop_indicator[1], 0);
    EXPECT_EQ(c.indicator_8085[1], -1);
    rowset_b_value_whole_farm farm;
    ASSERT_EQ(farm.open_with_filter(*db), 0);
    ASSERT_EQ(farm.move_first(), 0);
    EXPECT_EQ(farm.record.b_value, 1.23456789e-05f);
    EXPECT_EQ(farm.record.b_value_harvest_guarantee, -0.5f);
    rowset_lookup_practice_code practices;
    ASSERT_EQ(practices.open_with_filter(*db), 0);
    ASSERT_EQ(practices.move_first(), 0);
    EXPECT_EQ(practices.record.code, 3);
    EXPECT_STREQ(practices.record.description, "Non-Irrigated");
}

TEST(TableImport, EveryFieldThatCannotBeConvertedIsReportedAndNoFileIsLeft) {
    scratch_directory dir;
    const fs::path folder = empty_export(dir);
    const table_description& rates = tables::continuous_rates();
    append(folder / "Continuous Rates.csv", row_with(rates, "Crop Code", "41") +         // line 2: good
                                                row_with(rates, "Crop Code", "4l") +     // line 3
                                                row_with(rates, "Crop Year", "40000") +  // line 4
                                                row_with(rates, "Exponent", "") +        // line 5
                                                row_with(rates, "Yield 3", "2.5") +      // line 6
                                                "19,1,2004\n" +                          // line 7
                                                row_with(rates, "Reference Yield", "0"));  // line 8
    append(folder / "B Value Single Crop.csv", "200,1,0.5,0.5\n1,2,inf,0.5\n1,3,0.5,1e39\n");
    append(folder / "Endogenous Risk Surcharge.csv", "70,41,19,1,2004,3,997,1,3e38,1,1\n");
    append(folder / "County List.csv",
           row_with(tables::county_list(), "Region Flag", "maybe") +
               row_with(tables::county_list(), "County Name", "\"" + std::string(51, 'x') + "\""));
    write_file(folder / "Lookup Type Code.csv", "Type Code\n997\n");

    const std::string output = dir.file("new.sqlite");
    const import_result r = import_tables(folder.string(), output);
    EXPECT_EQ(r.outcome, import_outcome::failed);
    for (const char* line : {
             "Continuous Rates.csv:3: column \"Crop Code\": \"4l\" is not a whole number from -32768 to 32767\n",
             "Continuous Rates.csv:4: column \"Crop Year\": \"40000\" is not a whole number from -32768 to 32767\n",
             "Continuous Rates.csv:5: column \"Exponent\": \"\" has no value\n",
             "Continuous Rates.csv:6: column \"Yield 3\": \"2.5\" is not a whole number from 0 to 10000000 "
             "(hundredths)\n",
             "Continuous Rates.csv:7: 3 fields where the header has 41\n",
             // What a load would refuse is not stored: the words are those of the rule.
             "Continuous Rates.csv:8: column \"Reference Yield\": \"0\" is not a whole number from 1 to 10000000 "
             "(hundredths)\n",
             "B Value Single Crop.csv:2: column \"Set Number\": \"200\" is not a whole number from 1 to 5\n",
             "B Value Single Crop.csv:3: column \"B Value\": \"inf\" is not a number from -1000 to 1000\n",
             "B Value Single Crop.csv:4: column \"B Value Harvest Guarantee\": \"1e39\" is not a number from -1000 to "
             "1000\n",
             "Endogenous Risk Surcharge.csv:2: column \"Residual Factor\": \"3e38\" is not a number from 0 to 10\n",
             "County List.csv:2: column \"Region Flag\": \"maybe\" is not a boolean (1 or 0, True or False)\n",
             "County List.csv:3: column \"County Name\": \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\" is "
             "not a text of at most 50 characters\n",
             "Lookup Type Code.csv:1: no column \"Description\"\n",
         })
        EXPECT_NE(r.problems.find(line), std::string::npos) << line << "\n" << r.problems;
    EXPECT_EQ(std::count(r.problems.begin(), r.problems.end(), '\n'), 13) << r.problems;
    EXPECT_FALSE(fs::exists(output));
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().rfind("new.sqlite", 0), std::string::npos) << entry.path();
}

TEST(TableImport, RefusesWhatItCannotUseWithoutWritingAnything) {
    scratch_directory dir;
    const fs::path folder = empty_export(dir);
    const std::string existing = dir.file("existing.sqlite");
    write_file(existing, "mine");

    import_result r = import_tables(folder.string(), existing);
    EXPECT_EQ(r.outcome, import_outcome::refused);
    EXPECT_EQ(r.problems, "\"" + existing + "\" exists; the import writes a new file only\n");
    EXPECT_EQ(read_file(existing), "mine");

    fs::remove(folder / "Continuous Rates.csv");
    fs::remove(folder / "County List.csv");
    r = import_tables(folder.string(), dir.file("new.sqlite"));
    EXPECT_EQ(r.outcome, import_outcome::refused);
    EXPECT_EQ(r.problems, "\"" + folder.string() + "\" has no \"Continuous Rates.csv\", \"County List.csv\"\n");

    r = import_tables(dir.file("none"), dir.file("new.sqlite"));
    EXPECT_EQ(r.outcome, import_outcome::refused);
    EXPECT_FALSE(fs::exists(dir.file("new.sqlite")));
}
