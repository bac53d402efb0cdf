// The SQLite access layer: connection failures and their texts, result codes,
// command texts, ordinal binding and conversions, stored row order, insert and
// delete, and the prepared-statement cache.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "data/premium_database.h"
#include "data/result_codes.h"
#include "data/rowsets.h"
#include "data/schema.h"
#include "fixture_database.h"
#include "table_rows.h"

namespace zelmora {
namespace {

using testing::fixture_database;
using testing::scratch_directory;
namespace rows = testing::rows;

// ------------------------------------------------------------------ connection

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct connection_case {
    const char* name;
    std::function<void(const std::string&)> make;  // prepares the path
    const char* sqlite_message;
};

TEST(PremiumDatabaseConnect, EveryFailureGivesTheThreeLinesAndNoConnection) {
    const std::vector<connection_case> cases = {
        {"missing file", [](const std::string&) {}, "unable to open database file"},
        {"directory", [](const std::string& p) { std::filesystem::create_directory(p); },
         "unable to open database file"},
        {"text file", [](const std::string& p) { write_file(p, "State,County\r\n19,169\r\n"); },
         "file is not a database"},
        {"zero-byte file", [](const std::string& p) { write_file(p, ""); }, "file is not a database"},
        {"Access file",
         [](const std::string& p) {
             std::string header("\x00\x01\x00\x00Standard Jet DB", 19);
             header.append(2048 - header.size(), '\0');
             write_file(p, header);
         },
         "file is not a database"},
        {"short binary file", [](const std::string& p) { write_file(p, std::string("SQLite", 6)); },
         "file is not a database"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        scratch_directory dir;
        const std::string path = dir.file("APH Base Premium Data.sqlite");
        c.make(path);
        std::string error = "earlier line\r\n";
        auto db = connect_premium_database(path, error);
        EXPECT_EQ(db, nullptr);
        EXPECT_EQ(error, "earlier line\r\nERROR, unable to open database \"" + path +
                             "\"\r\nUnspecified error: 80004005\r\n" + c.sqlite_message + "\r\n");
    }
}

TEST(PremiumDatabaseConnect, MissingFileIsNotCreated) {
    scratch_directory dir;
    const std::string path = dir.file("absent.sqlite");
    std::string error;
    EXPECT_EQ(connect_premium_database(path, error), nullptr);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(PremiumDatabaseConnect, ForeignFilesAreLeftUnchanged) {
    scratch_directory dir;
    const std::string path = dir.file("old.mdb");
    const std::string bytes("\x00\x01\x00\x00Standard Jet DB\x00\x00\x00\x00", 23);
    write_file(path, bytes);
    std::string error;
    EXPECT_EQ(connect_premium_database(path, error), nullptr);
    std::ifstream in(path, std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(after, bytes);
}

TEST(PremiumDatabaseConnect, ConnectsToACreatedDatabaseWithoutText) {
    scratch_directory dir;
    const std::string path = dir.file("APH Base Premium Data.sqlite");
    std::string error;
    {
        auto created = create_premium_database(path, error);
        ASSERT_NE(created, nullptr) << error;
        EXPECT_EQ(create_schema(*created), S_OK_CODE);
    }
    auto db = connect_premium_database(path, error);
    ASSERT_NE(db, nullptr) << error;
    EXPECT_TRUE(error.empty());
    EXPECT_TRUE(db->open_session());
    EXPECT_EQ(db->path(), path);

    // An existing file is never replaced by create.
    EXPECT_EQ(create_premium_database(path, error), nullptr);
    EXPECT_EQ(error, "ERROR, database \"" + path + "\" already exists\r\n");
}

// ------------------------------------------------------------------ result codes

TEST(ResultCodes, TextsByCode) {
    struct text_case {
        hresult code;
        const char* text;
    };
    const text_case cases[] = {
        {E_FAIL_CODE, "Unspecified error: 80004005\r\n"},
        {DB_E_ERRORSINCOMMAND, "Other error: 80040E14\r\n"},
        {make_hresult(0x80040E14u), "Other error: 80040E14\r\n"},
        {make_hresult(0x1u), "Other error: 1\r\n"},
        {make_hresult(0xA0000005u), "Other error: A0000005\r\n"},
        {DB_E_ROWSNOTRELEASED, "All HROWs must be released before new ones can be obtained.\r\n"},
        {DB_E_BADROWHANDLE, "Invalid row handle.\r\n"},
        {E_UNEXPECTED_CODE,
         "ITransaction::Commit or ITransaction::Abort was called and the object is in a zombie state.\r\n"},
        {E_NOINTERFACE_CODE, "No such interface supported.\r\n"},
        {CO_E_NOTINITIALIZED_CODE, "CoInitialize has not been called.\r\n"},
        {DB_E_BADACCESSORHANDLE, "hAccessor was invalid.\r\n"},
        {DB_E_BADCHAPTER, "The rowset was chaptered and hChapter was invalid.\r\n"},
        {DB_E_PARAMNOTOPTIONAL, "No value given for one or more required parameters.\r\n"},
        {DB_E_UNSUPPORTEDCONVERSION, "Requested conversion is not supported.\r\n"},
        {DB_E_ERRORSOCCURRED,
         "An error occurred while setting data for one or more columns and data was not successfully set for any "
         "columns.\r\n"
         "To determine the columns for which values were invalid, the consumer checks the status values.\r\n"
         "For a list of status values that can be returned by this method, see \"Status Values Used When Setting "
         "Data\" in \"Status\" in Chapter 6.\r\n"},
        {DB_E_BADORDINAL, "Column does not exist.\r\n"},
        {DB_E_INTEGRITYVIOLATION, "A specified value violated the integrity constraints for a column or table.\r\n"},
        {DB_E_NOTABLE, "The specified table does not exist.\r\n"},
        {DB_E_BADACCESSORTYPE, "The specified accessor was not a row accessor or was a reference accessor.\r\n"},
        {DB_SEC_E_AUTH_FAILED, "Authentication failed.\r\n"},
        {DB_E_CANCELED, "The change was canceled during notification; no columns are changed.\r\n"},
        {DB_S_ENDOFROWSET, "Reached start or end of rowset or chapter.\r\n"},
        {E_OUTOFMEMORY_CODE,
         "The provider was unable to allocate sufficient memory in which to instantiate the row.\r\n"},
        {E_INVALIDARG_CODE, "pData was a null pointer and hAccessor was not a null accessor.\r\n"},
        {DB_S_ERRORSOCCURRED,
         "An error occurred while setting data for one or more columns, but data was successfully set for at least "
         "one column.\r\n"},
    };
    for (const auto& c : cases) {
        char name[16];
        std::snprintf(name, sizeof name, "%08X", static_cast<unsigned>(c.code));
        SCOPED_TRACE(name);
        std::string text = "before\r\n";
        append_oledb_error_text(c.code, text);
        EXPECT_EQ(text, std::string("before\r\n") + c.text);
    }
}

TEST(ResultCodes, SqliteResultsMapOntoTheTableOfCodes) {
    struct map_case {
        int sqlite_code;
        const char* message;
        hresult expected;
    };
    const map_case cases[] = {
        {SQLITE_OK, nullptr, S_OK_CODE},
        {SQLITE_ROW, nullptr, S_OK_CODE},
        {SQLITE_DONE, nullptr, DB_S_ENDOFROWSET},
        {SQLITE_CANTOPEN, "unable to open database file", E_FAIL_CODE},
        {SQLITE_NOTADB, "file is not a database", E_FAIL_CODE},
        {SQLITE_CORRUPT, nullptr, E_FAIL_CODE},
        {SQLITE_PERM, nullptr, E_FAIL_CODE},
        {SQLITE_AUTH, nullptr, E_FAIL_CODE},
        {SQLITE_ERROR, "no such table: County Lists", DB_E_NOTABLE},
        {SQLITE_ERROR, "no such column: State", DB_E_ERRORSINCOMMAND},
        {SQLITE_ERROR, "near \"WHERE\": syntax error", DB_E_ERRORSINCOMMAND},
        {SQLITE_ERROR, nullptr, DB_E_ERRORSINCOMMAND},
        {SQLITE_NOMEM, nullptr, E_OUTOFMEMORY_CODE},
        {SQLITE_CONSTRAINT, nullptr, DB_E_INTEGRITYVIOLATION},
        {SQLITE_CONSTRAINT_UNIQUE, nullptr, DB_E_INTEGRITYVIOLATION},
        {SQLITE_MISMATCH, nullptr, DB_E_UNSUPPORTEDCONVERSION},
        {SQLITE_RANGE, nullptr, DB_E_UNSUPPORTEDCONVERSION},
        {SQLITE_BUSY, nullptr, make_hresult(0xA0000005u)},
        {SQLITE_READONLY, nullptr, make_hresult(0xA0000008u)},
        {SQLITE_IOERR_READ, nullptr, make_hresult(0xA000000Au)},
        {SQLITE_FULL, nullptr, make_hresult(0xA000000Du)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sqlite_code);
        EXPECT_EQ(map_sqlite_result(c.sqlite_code, c.message), c.expected);
    }
    // The unlisted codes read as "Other error" with the SQLite code in the last digits.
    std::string text;
    append_oledb_error_text(map_sqlite_result(SQLITE_BUSY), text);
    EXPECT_EQ(text, "Other error: A0000005\r\n");
}

// ------------------------------------------------------------------ command texts

TEST(Rowsets, CommandTexts) {
    fixture_database f;
    rowset_county_list counties;
    ASSERT_EQ(counties.open_with_filter(f.db()), S_OK_CODE);
    EXPECT_EQ(counties.command_text(), "SELECT * FROM `County List`");
    ASSERT_EQ(counties.open_with_filter(f.db(), "[State FIPS] = 19"), S_OK_CODE);
    EXPECT_EQ(counties.command_text(), "SELECT * FROM `County List` WHERE [State FIPS] = 19");
    ASSERT_EQ(counties.open_with_filter(f.db(), std::string("[State FIPS] = 27 AND [County FIPS] = 11")), S_OK_CODE);
    EXPECT_EQ(counties.command_text(), "SELECT * FROM `County List` WHERE [State FIPS] = 27 AND [County FIPS] = 11");

    rowset_continuous_rates rates;
    ASSERT_EQ(rates.open_by_crop(f.db(), 41, 19, 169), S_OK_CODE);
    EXPECT_EQ(rates.command_text(),
              "SELECT * FROM [Continuous Rates] WHERE ([Crop Code] = 41) AND ([State FIPS] = 19) AND "
              "([County FIPS] = 169)");

    for (const table_description* t : tables::all()) {
        SCOPED_TRACE(t->name);
        EXPECT_TRUE(t->name == "B Value Single Crop" || t->name == "B Value Single Crop Lookup" ||
                    t->name == "B Value Whole Farm" || t->name == "Continuous Rates" ||
                    t->name == "County Average Yields" || t->name == "County List" ||
                    t->name == "Endogenous Risk Surcharge" || t->name == "Lookup Column Number" ||
                    t->name == "Lookup Practice Code" || t->name == "Lookup Type Code");
    }
    EXPECT_EQ(tables::all().size(), 10u);
    EXPECT_EQ(tables::continuous_rates().columns.size(), 41u);
    EXPECT_EQ(tables::county_list().columns.size(), 22u);
    EXPECT_EQ(tables::endogenous_risk_surcharge().columns.size(), 11u);
    EXPECT_EQ(tables::lookup_column_number().columns.size(), 13u);
}

TEST(Rowsets, OpenByCropSelectsTheCropOfTheCountyInEveryYearAndPlan) {
    fixture_database f;
    auto rate = [](int crop, int state, int county, int year, int plan, int practice) {
        return rows::rates(state, county, year, crop, plan, practice, 0);
    };
    f.add<rowset_continuous_rates>(rate(41, 19, 169, 2004, 90, 3));
    f.add<rowset_continuous_rates>(rate(81, 19, 169, 2004, 90, 3));
    f.add<rowset_continuous_rates>(rate(41, 19, 169, 2003, 90, 2));
    f.add<rowset_continuous_rates>(rate(41, 19, 1, 2004, 90, 3));
    f.add<rowset_continuous_rates>(rate(41, 19, 169, 2004, 44, 1));

    rowset_continuous_rates rs;
    ASSERT_EQ(rs.open_by_crop(f.db(), 41, 19, 169), S_OK_CODE);
    std::vector<int> practices;
    for (hresult hr = rs.move_first(); hr == S_OK_CODE; hr = rs.move_next()) practices.push_back(rs.record.practice_code);
    EXPECT_EQ(practices, (std::vector<int>{3, 2, 1}));
}

// ------------------------------------------------------------------ binding and conversions

TEST(Rowsets, ValuesComeBackAsTheRecordBindsThem) {
    fixture_database f;
    f.exec("INSERT INTO `County Average Yields` VALUES (19, 169, 41, 0.1)");
    f.exec("INSERT INTO `County Average Yields` VALUES (19, 169, 81, NULL)");
    rowset_county_average_yields yields;
    ASSERT_EQ(yields.open_with_filter(f.db()), S_OK_CODE);
    {
        const read_errors_scope reads(f.db());
        ASSERT_EQ(yields.move_first(), S_OK_CODE);
        EXPECT_EQ(static_cast<double>(yields.record.average_yield), 0.10000000149011612);
        // A NULL in a numeric column is no value to rate with: the fetch fails and the scope says which.
        EXPECT_EQ(yields.move_next(), DB_E_UNSUPPORTEDCONVERSION);
        EXPECT_TRUE(reads.failed());
        EXPECT_EQ(reads.errors(), "ERROR, unusable value in table [County Average Yields], column [Average Yield], "
                                  "rowid 2: NULL is not a number from 0 to 100000\r\n");
        EXPECT_EQ(yields.move_next(), DB_S_ENDOFROWSET);
    }

    record_continuous_rates r;
    r.state_fips = 19;
    r.county_fips = 169;
    r.crop_year = 2004;
    r.crop_code = 41;
    r.insurance_plan_id = 90;
    r.practice_code = 3;
    r.type_code = 997;
    r.reference_yield = 14250;
    r.prior_year_reference_yield = 14000;
    r.exponent = -1850;
    for (int i = 0; i < 13; ++i) {
        r.yield[i] = 12399 + 1000 * i;
        r.premium[i] = 90 - 5 * i;
    }
    r.prior_year_fixed_rate_load = 7;
    f.add<rowset_continuous_rates>(r);
    rowset_continuous_rates rates;
    ASSERT_EQ(rates.open_with_filter(f.db(), "[Crop Year] = 2004"), S_OK_CODE);
    ASSERT_EQ(rates.move_first(), S_OK_CODE);
    EXPECT_EQ(rates.record.yield[0], 12399);
    EXPECT_EQ(rates.record.yield_level(0), 123);
    EXPECT_EQ(rates.record.yield_level(12), 243);
    EXPECT_EQ(rates.record.premium[12], 30);
    EXPECT_EQ(rates.record.exponent, -1850);
    EXPECT_EQ(rates.record.type_code, 997);
    EXPECT_EQ(rates.record.prior_year_fixed_rate_load, 7);

    // Booleans come back as stored: -1 and 0 as delivered, a 1 written by the system stays 1.
    record_county_list c;
    c.state_fips = 27;
    c.county_fips = 11;
    copy_to_buffer(c.county_name, sizeof c.county_name, "Big Stone");
    c.region_flag = -1;
    c.crop_indicator[0] = -1;
    c.crop_indicator[1] = 1;
    c.indicator_8085[8] = -1;
    f.add<rowset_county_list>(c);
    rowset_county_list counties;
    ASSERT_EQ(counties.open_with_filter(f.db(), "[State FIPS] = 27"), S_OK_CODE);
    ASSERT_EQ(counties.move_first(), S_OK_CODE);
    EXPECT_STREQ(counties.record.county_name, "Big Stone");
    EXPECT_EQ(counties.record.region_flag, -1);
    EXPECT_EQ(counties.record.crop_indicator[0], -1);
    EXPECT_EQ(counties.record.crop_indicator[1], 1);
    EXPECT_EQ(counties.record.crop_indicator[2], 0);
    EXPECT_EQ(counties.record.indicator_8085[8], -1);
    EXPECT_EQ(counties.move_next(), DB_S_ENDOFROWSET);
}

// Failed reads are gathered by the scopes around them: each scope sees what
// failed since it began (a repeated failure once), and nothing outlives the
// outermost scope, so no caller has an old failure to clear.
TEST(ReadErrors, AScopeGathersTheFailedReadsSinceItBeganAndNothingOutlivesIt) {
    fixture_database f;
    f.exec("INSERT INTO `County Average Yields` VALUES (19, 169, 41, 0.1)");
    f.exec("INSERT INTO `County Average Yields` VALUES (19, 169, 81, NULL)");
    f.exec("INSERT INTO `County Average Yields` VALUES (19, 169, 15, NULL)");
    auto line = [](int rowid) {
        return "ERROR, unusable value in table [County Average Yields], column [Average Yield], rowid " +
               std::to_string(rowid) + ": NULL is not a number from 0 to 100000\r\n";
    };
    // Reads the first row and `failures` rows after it, each a failed fetch.
    auto read_rows = [&f](int failures) {
        rowset_county_average_yields yields;
        ASSERT_EQ(yields.open_with_filter(f.db()), S_OK_CODE);
        ASSERT_EQ(yields.move_first(), S_OK_CODE);
        for (int n = 0; n < failures; ++n) EXPECT_EQ(yields.move_next(), DB_E_UNSUPPORTEDCONVERSION);
    };

    read_rows(1);  // outside any scope
    {
        const read_errors_scope outer(f.db());
        EXPECT_FALSE(outer.failed()) << outer.errors();
        read_rows(1);
        EXPECT_EQ(outer.errors(), line(2));
        {
            const read_errors_scope inner(f.db());
            EXPECT_FALSE(inner.failed());
            read_rows(2);
            EXPECT_EQ(inner.errors(), line(3));
        }
        EXPECT_EQ(outer.errors(), line(2) + line(3));
    }
    const read_errors_scope later(f.db());
    EXPECT_FALSE(later.failed()) << later.errors();
}

TEST(Rowsets, TextsThatFitTheirBufferAreReadAndLongerOnesRefused) {
    fixture_database f;
    f.add<rowset_county_list>(rows::county(19, 1, ""));
    f.add<rowset_county_list>(rows::county(19, 2, ""));
    f.exec("UPDATE `County List` SET `County Name` = '" + std::string(50, 'N') + "' WHERE rowid = 1");
    f.exec("UPDATE `County List` SET `County Name` = '" + std::string(51, 'N') + "' WHERE rowid = 2");
    f.exec("INSERT INTO `Lookup Practice Code` VALUES (3, '" + std::string(254, 'd') + "')");
    f.exec("INSERT INTO `Lookup Practice Code` VALUES (4, '" + std::string(255, 'd') + "')");

    const read_errors_scope reads(f.db());
    rowset_county_list counties;
    ASSERT_EQ(counties.open_with_filter(f.db()), S_OK_CODE);
    ASSERT_EQ(counties.move_first(), S_OK_CODE);
    EXPECT_EQ(std::string(counties.record.county_name), std::string(50, 'N'));
    EXPECT_EQ(counties.move_next(), DB_E_UNSUPPORTEDCONVERSION);

    rowset_lookup_practice_code practices;
    ASSERT_EQ(practices.open_with_filter(f.db()), S_OK_CODE);
    ASSERT_EQ(practices.move_first(), S_OK_CODE);
    EXPECT_EQ(std::strlen(practices.record.description), 254u);
    EXPECT_EQ(practices.move_next(), DB_E_UNSUPPORTEDCONVERSION);

    // The message shows the first 40 characters of the text, and the rule.
    EXPECT_EQ(reads.errors(),
              "ERROR, unusable value in table [County List], column [County Name], rowid 2: '" + std::string(40, 'N') +
                  "...' is not a text of at most 50 characters\r\n"
                  "ERROR, unusable value in table [Lookup Practice Code], column [Description], rowid 2: '" +
                  std::string(40, 'd') + "...' is not a text of at most 254 characters\r\n");

    char buffer[4];
    copy_to_buffer(buffer, sizeof buffer, "abcdef");
    EXPECT_STREQ(buffer, "abc");
    copy_to_buffer(buffer, sizeof buffer, "");
    EXPECT_STREQ(buffer, "");
}

TEST(Rowsets, ColumnsAreBoundByPositionNotByName) {
    scratch_directory dir;
    std::string error;
    auto db = create_premium_database(dir.file("other.sqlite"), error);
    ASSERT_NE(db, nullptr) << error;
    ASSERT_EQ(db->execute_statement("CREATE TABLE `Lookup Type Code` (code INTEGER, words TEXT, extra INTEGER);"
                                    "INSERT INTO `Lookup Type Code` VALUES ('12', 'Spring', 5);"),
              S_OK_CODE);
    rowset_lookup_type_code types;
    ASSERT_EQ(types.open_with_filter(*db), S_OK_CODE);
    ASSERT_EQ(types.move_first(), S_OK_CODE);
    EXPECT_EQ(types.record.code, 12);  // a numeric text converts
    EXPECT_STREQ(types.record.description, "Spring");
}

TEST(Rowsets, OpenAndFetchFailures) {
    scratch_directory dir;
    std::string error;
    auto db = create_premium_database(dir.file("odd.sqlite"), error);
    ASSERT_NE(db, nullptr) << error;

    // No such table.
    rowset_county_list counties;
    EXPECT_EQ(counties.open_with_filter(*db), DB_E_NOTABLE);
    EXPECT_FALSE(counties.is_open());
    EXPECT_EQ(counties.move_first(), DB_E_BADROWHANDLE);
    EXPECT_EQ(counties.insert_row(), DB_E_BADACCESSORHANDLE);

    // A table with fewer columns than the record.
    ASSERT_EQ(db->execute_statement("CREATE TABLE `Lookup Practice Code` (`Practice Code` INTEGER)"), S_OK_CODE);
    rowset_lookup_practice_code practices;
    EXPECT_EQ(practices.open_with_filter(*db), DB_E_BADORDINAL);
    EXPECT_FALSE(practices.is_open());

    // A filter naming a column that does not exist.
    ASSERT_EQ(db->execute_statement(schema_sql().substr(0, schema_sql().find("CREATE TABLE `Continuous Rates`"))),
              S_OK_CODE);  // the three b-value tables
    rowset_b_value_single_crop b;
    EXPECT_EQ(b.open_with_filter(*db, "[No Such Column] = 1"), DB_E_ERRORSINCOMMAND);

    // Values the record cannot hold fail the fetch of their row only.
    ASSERT_EQ(db->execute_statement("INSERT INTO `B Value Single Crop` VALUES (1, 0, 0.5, 0.6);"
                                    "INSERT INTO `B Value Single Crop` VALUES (1, 'abc', 0.5, 0.6);"
                                    "INSERT INTO `B Value Single Crop` VALUES (300, 1, 0.5, 0.6);"
                                    "INSERT INTO `B Value Single Crop` VALUES (1, 70000, 0.5, 0.6);"
                                    "INSERT INTO `B Value Single Crop` VALUES (1, 2, 'x.5', 0.6);"
                                    "INSERT INTO `B Value Single Crop` VALUES (1, '', 0.5, 0.6);"
                                    "INSERT INTO `B Value Single Crop` VALUES (1, 3, 1e300, 0.6);"
                                    "INSERT INTO `B Value Single Crop` VALUES (1, 4, 0.5, '-1e40');"
                                    "INSERT INTO `B Value Single Crop` VALUES (2, 14, '0.25', -1.5);"),
              S_OK_CODE);
    const read_errors_scope reads(*db);
    ASSERT_EQ(b.open_with_filter(*db), S_OK_CODE);
    EXPECT_EQ(b.move_first(), S_OK_CODE);
    for (int row = 2; row <= 8; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(b.move_next(), DB_E_UNSUPPORTEDCONVERSION);
    }
    // Each is noted with its table, column, rowid and value.
    for (const char* line :
         {"ERROR, unusable value in table [B Value Single Crop], column [B Index], rowid 2: 'abc' is not a whole "
          "number from 0 to 14\r\n",
          "ERROR, unusable value in table [B Value Single Crop], column [Set Number], rowid 3: 300 is not a whole "
          "number from 1 to 5\r\n",
          "column [B Value], rowid 5: 'x.5' is not a number from -1000 to 1000\r\n",
          "column [B Value], rowid 7: 1.0000000000000001e+300 is not a number from -1000 to 1000\r\n",
          "column [B Value Harvest Guarantee], rowid 8: -1e+40 is not a number from -1000 to 1000\r\n"})
        EXPECT_NE(reads.errors().find(line), std::string::npos) << line << reads.errors();
    ASSERT_EQ(b.move_next(), S_OK_CODE);
    EXPECT_EQ(b.record.set_number, 2);
    EXPECT_EQ(b.record.b_index, 14);
    EXPECT_EQ(b.record.b_value, 0.25f);
    EXPECT_EQ(b.record.b_value_harvest_guarantee, -1.5f);
    EXPECT_EQ(b.move_next(), DB_S_ENDOFROWSET);
    // A rowset at its end stays there; only move_first starts over.
    EXPECT_EQ(b.move_next(), DB_S_ENDOFROWSET);
    EXPECT_EQ(b.move_next(), DB_S_ENDOFROWSET);
    ASSERT_EQ(b.move_first(), S_OK_CODE);
    EXPECT_EQ(b.record.set_number, 1);
    EXPECT_EQ(b.record.b_index, 0);
    EXPECT_EQ(b.move_next(), DB_E_UNSUPPORTEDCONVERSION);
}

// ------------------------------------------------------------------ order, insert and delete

TEST(Rowsets, RowsComeInStoredOrderWhateverTheIndexes) {
    fixture_database f;
    // The index on crop code, state and county would give 41 before 81 and county 1 before 5.
    const int keys[][3] = {{81, 19, 5}, {41, 19, 5}, {41, 19, 1}, {18, 5, 1}, {81, 19, 1}};
    for (const auto& key : keys) f.add<rowset_continuous_rates>(rows::rates(key[1], key[2], 0, key[0], 0, 0, 0));
    rowset_continuous_rates rs;
    ASSERT_EQ(rs.open_with_filter(f.db(), "[Crop Code] > 20 AND [State FIPS] = 19"), S_OK_CODE);
    std::vector<std::vector<int>> seen;
    for (hresult hr = rs.move_first(); hr == S_OK_CODE; hr = rs.move_next())
        seen.push_back({rs.record.crop_code, rs.record.county_fips});
    EXPECT_EQ(seen, (std::vector<std::vector<int>>{{81, 5}, {41, 5}, {41, 1}, {81, 1}}));

    // The county list index is by state only; counties keep their stored order within and across states.
    for (int county : {5, 1, 3}) {
        record_county_list c;
        c.state_fips = static_cast<std::int16_t>(county == 1 ? 27 : 19);
        c.county_fips = static_cast<std::int16_t>(county);
        f.add<rowset_county_list>(c);
    }
    rowset_county_list counties;
    ASSERT_EQ(counties.open_with_filter(f.db(), "[State FIPS] > 0"), S_OK_CODE);
    std::vector<int> fips;
    for (hresult hr = counties.move_first(); hr == S_OK_CODE; hr = counties.move_next())
        fips.push_back(counties.record.county_fips);
    EXPECT_EQ(fips, (std::vector<int>{5, 1, 3}));
}

TEST(Rowsets, InsertThenDeleteRoundTrip) {
    fixture_database f;
    record_endogenous_risk_surcharge s;
    s.crop_code = 41;
    s.county_fips = 169;
    s.crop_year = 2004;
    s.practice_code = 3;
    s.type_code = 997;
    s.rate_differential = 0.987f;
    s.prior_year_rate_differential = 1.013f;
    for (int state : {19, 27}) {
        for (int level = 65; level <= 85; level += 5) {
            s.state_fips = static_cast<std::int16_t>(state);
            s.coverage_level = static_cast<std::int16_t>(level);
            s.residual_factor = 1.0f + 0.011f * static_cast<float>(level - 65);
            s.prior_year_residual_factor = s.residual_factor - 0.001f;
            f.add<rowset_endogenous_risk_surcharge>(s);
        }
    }

    auto read_all = [&f] {
        std::vector<record_endogenous_risk_surcharge> rows;
        rowset_endogenous_risk_surcharge rs;
        EXPECT_EQ(rs.open_with_filter(f.db()), S_OK_CODE);
        for (hresult hr = rs.move_first(); hr == S_OK_CODE; hr = rs.move_next()) rows.push_back(rs.record);
        return rows;
    };
    auto rows = read_all();
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0].state_fips, 19);
    EXPECT_EQ(rows[0].coverage_level, 65);
    EXPECT_EQ(rows[4].coverage_level, 85);
    EXPECT_EQ(rows[4].residual_factor, 1.0f + 0.011f * 20.0f);
    EXPECT_EQ(rows[4].prior_year_rate_differential, 1.013f);
    EXPECT_EQ(rows[9].state_fips, 27);

    EXPECT_EQ(f.db().execute_statement("DELETE FROM [Endogenous Risk Surcharge] WHERE [State FIPS] = 19"), S_OK_CODE);
    rows = read_all();
    ASSERT_EQ(rows.size(), 5u);
    for (const auto& r : rows) EXPECT_EQ(r.state_fips, 27);

    EXPECT_EQ(f.db().execute_statement("DELETE FROM [No Such Table] WHERE [State FIPS] = 19"), DB_E_NOTABLE);
    EXPECT_EQ(f.db().execute_statement("DELETE [County List]"), DB_E_ERRORSINCOMMAND);
    EXPECT_EQ(read_all().size(), 5u);
}

TEST(Rowsets, InsertIntoAWiderTableLeavesTheExtraColumnsEmpty) {
    scratch_directory dir;
    std::string error;
    auto db = create_premium_database(dir.file("wide.sqlite"), error);
    ASSERT_NE(db, nullptr) << error;
    ASSERT_EQ(db->execute_statement("CREATE TABLE `Lookup Type Code` (a INTEGER, b TEXT, c INTEGER)"), S_OK_CODE);
    rowset_lookup_type_code types;
    ASSERT_EQ(types.open_with_filter(*db), S_OK_CODE);
    types.record.code = 997;
    copy_to_buffer(types.record.description, sizeof types.record.description, "No Type Specified");
    ASSERT_EQ(types.insert_row(), S_OK_CODE);
    types.close();

    statement_lease lease;
    ASSERT_EQ(db->prepare("SELECT a, b, c IS NULL FROM `Lookup Type Code`", lease, false), S_OK_CODE);
    ASSERT_EQ(sqlite3_step(lease.get()), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(lease.get(), 0), 997);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(lease.get(), 1)), "No Type Specified");
    EXPECT_EQ(sqlite3_column_int(lease.get(), 2), 1);
}

// ------------------------------------------------------------------ literals and the statement cache

TEST(NormalizeSql, LiteralsOutsideQuotesBecomeParameters) {
    struct norm_case {
        const char* sql;
        const char* text;
        std::vector<double> literals;  // integers compared as doubles
        std::vector<bool> is_integer;
    };
    const norm_case cases[] = {
        {"SELECT * FROM `County List` WHERE [State FIPS] = 19", "SELECT * FROM `County List` WHERE [State FIPS] = ?",
         {19}, {true}},
        {"[State FIPS] = 19 AND [County FIPS] = 169 AND [Crop Year] = 2004",
         "[State FIPS] = ? AND [County FIPS] = ? AND [Crop Year] = ?", {19, 169, 2004}, {true, true, true}},
        {"`Yield 1` > 12.5 AND [Crop Set 1] = 1", "`Yield 1` > ? AND [Crop Set 1] = ?", {12.5, 1}, {false, true}},
        {"[County Name] = 'Des Moines 2' AND \"Premium 3\" < 7", "[County Name] = 'Des Moines 2' AND \"Premium 3\" < ?",
         {7}, {true}},
        {"[Region Flag] = -1", "[Region Flag] = -?", {1}, {true}},
        {"t1 = x2 + 1e5 + 7abc", "t1 = x2 + 1e5 + 7abc", {}, {}},
        {"a=3.25,b=(4)", "a=?,b=(?)", {3.25, 4}, {false, true}},
        {"[unterminated 5", "[unterminated 5", {}, {}},
        {"", "", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        const normalized_sql n = normalize_sql(c.sql);
        EXPECT_EQ(n.text, c.text);
        ASSERT_EQ(n.literals.size(), c.literals.size());
        for (std::size_t k = 0; k < n.literals.size(); ++k) {
            EXPECT_EQ(n.literals[k].is_integer, c.is_integer[k]);
            EXPECT_EQ(n.literals[k].is_integer ? static_cast<double>(n.literals[k].integer) : n.literals[k].real,
                      c.literals[k]);
        }
    }
}

TEST(StatementCache, FiltersDifferingOnlyInNumbersShareOneStatement) {
    fixture_database f;
    for (int state : {19, 27, 19}) {
        record_county_list c;
        c.state_fips = static_cast<std::int16_t>(state);
        c.county_fips = static_cast<std::int16_t>(state * 10);
        f.add<rowset_county_list>(c);
    }
    auto counties_of = [&f](int state) {
        rowset_county_list rs;
        EXPECT_EQ(rs.open_with_filter(f.db(), "[State FIPS] = " + std::to_string(state)), S_OK_CODE);
        std::vector<int> fips;
        for (hresult hr = rs.move_first(); hr == S_OK_CODE; hr = rs.move_next()) fips.push_back(rs.record.county_fips);
        return fips;
    };
    const int before = f.db().prepare_count();
    EXPECT_EQ(counties_of(19), (std::vector<int>{190, 190}));
    EXPECT_EQ(f.db().prepare_count(), before + 1);
    EXPECT_EQ(counties_of(27), (std::vector<int>{270}));
    EXPECT_EQ(counties_of(5), (std::vector<int>{}));
    EXPECT_EQ(f.db().prepare_count(), before + 1);

    // A different text is a different statement; two open at once need two statements.
    rowset_county_list a, b;
    ASSERT_EQ(a.open_with_filter(f.db(), "[State FIPS] = 19"), S_OK_CODE);
    ASSERT_EQ(b.open_with_filter(f.db(), "[State FIPS] = 27"), S_OK_CODE);
    EXPECT_EQ(f.db().prepare_count(), before + 2);
    ASSERT_EQ(a.move_first(), S_OK_CODE);
    ASSERT_EQ(b.move_first(), S_OK_CODE);
    EXPECT_EQ(a.record.county_fips, 190);
    EXPECT_EQ(b.record.county_fips, 270);
    a.close();
    b.close();
    EXPECT_EQ(counties_of(27), (std::vector<int>{270}));
    EXPECT_EQ(f.db().prepare_count(), before + 2);
    ASSERT_EQ(a.open_with_filter(f.db(), "[County FIPS] = 270"), S_OK_CODE);
    EXPECT_EQ(f.db().prepare_count(), before + 3);
}

TEST(StatementCache, ADroppedTableFailsTheNextOpen) {
    fixture_database f;
    f.exec("INSERT INTO `Lookup Type Code` VALUES (11, 'Winter')");
    rowset_lookup_type_code types;
    ASSERT_EQ(types.open_with_filter(f.db(), "[Type Code] = 11"), S_OK_CODE);
    ASSERT_EQ(types.move_first(), S_OK_CODE);
    types.close();
    f.exec("DROP TABLE `Lookup Type Code`");
    EXPECT_EQ(types.open_with_filter(f.db(), "[Type Code] = 12"), DB_E_NOTABLE);
    EXPECT_FALSE(types.is_open());
}

TEST(StatementCache, AStatementLeasedAcrossADropIsGivenBack) {
    fixture_database f;
    f.exec("INSERT INTO `Lookup Type Code` VALUES (11, 'Winter')");
    rowset_lookup_type_code types;
    ASSERT_EQ(types.open_with_filter(f.db(), "[Type Code] = 11"), S_OK_CODE);
    f.exec("CREATE TABLE `Scratch` (a INTEGER)");
    f.exec("DROP TABLE `Scratch`");
    types.close();  // back into the cache the drop emptied
    ASSERT_EQ(types.open_with_filter(f.db(), "[Type Code] = 11"), S_OK_CODE);
    ASSERT_EQ(types.move_first(), S_OK_CODE);
    EXPECT_EQ(types.record.code, 11);
}

TEST(StatementCache, PrepareReportsBadCommands) {
    fixture_database f;
    statement_lease lease;
    EXPECT_EQ(f.db().prepare("SELECT * FROM `No Table` WHERE a = 1", lease), DB_E_NOTABLE);
    EXPECT_FALSE(lease);
    EXPECT_EQ(f.db().prepare("SELEC 1", lease), DB_E_ERRORSINCOMMAND);
    EXPECT_FALSE(lease);
    // A text with its own '?' cannot also have its numbers bound.
    EXPECT_EQ(f.db().prepare("SELECT ? + 1", lease), DB_E_ERRORSINCOMMAND);
    EXPECT_FALSE(lease);
    ASSERT_EQ(f.db().prepare("SELECT ? + 1", lease, false), S_OK_CODE);
    sqlite3_bind_int(lease.get(), 1, 41);
    ASSERT_EQ(sqlite3_step(lease.get()), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(lease.get(), 0), 42);
}

TEST(StatementCache, BoundFiltersShareOneStatementAndShowTheirValues) {
    fixture_database f;
    for (int state : {19, 27, 19}) f.add<rowset_county_list>(rows::county(state, state * 10, "x"));
    const int before = f.db().prepare_count();
    for (int state : {19, 27, 5}) {
        SCOPED_TRACE(state);
        rowset_county_list rs;
        ASSERT_EQ(rs.open_where(f.db(), "[State FIPS] = ? AND [County FIPS] > ?", {state, 0}), S_OK_CODE);
        EXPECT_EQ(rs.command_text(), "SELECT * FROM `County List` WHERE [State FIPS] = " + std::to_string(state) +
                                         " AND [County FIPS] > 0");
        int found = 0;
        for (hresult hr = rs.move_first(); hr == S_OK_CODE; hr = rs.move_next()) {
            EXPECT_EQ(rs.record.county_fips, state * 10);
            ++found;
        }
        EXPECT_EQ(found, state == 19 ? 2 : state == 27 ? 1 : 0);
    }
    EXPECT_EQ(f.db().prepare_count(), before + 1);
    rowset_county_list rs;
    EXPECT_EQ(rs.open_where(f.db(), "[State FIPS] = ?", {19, 20}), DB_E_ERRORSINCOMMAND);  // one '?', two values
}

// ------------------------------------------------------------------ readers beside writers

// Two connections on one file, as two processes would have.
struct two_connections {
    fixture_database f;
    std::unique_ptr<premium_database> other;
    two_connections() {
        std::string error;
        other = connect_premium_database(f.path(), error);
        EXPECT_TRUE(other) << error;
    }
};

TEST(ReadTransaction, AReaderSeesOneSetOfRowsAndAWriterWaitsOrFailsClearly) {
    two_connections c;
    c.f.add<rowset_lookup_type_code>(rows::code(11, "old"));
    premium_database& reader = c.f.db();
    premium_database& writer = *c.other;
    writer.set_busy_timeout(50);
    const read_errors_scope reads(reader);
    auto description = [&reader] {
        rowset_lookup_type_code rs;
        EXPECT_EQ(rs.open_with_filter(reader), S_OK_CODE);
        EXPECT_EQ(rs.move_first(), S_OK_CODE);
        return std::string(rs.record.description);
    };
    {
        read_transaction reading(reader);
        read_transaction nested(reader);  // guards nest
        EXPECT_EQ(description(), "old");
        // The writer cannot commit while the reader's transaction lasts: it fails
        // with SQLite's own words, and the reader still sees the old row.
        ASSERT_EQ(writer.execute_statement("BEGIN IMMEDIATE"), S_OK_CODE);
        ASSERT_EQ(writer.execute_statement("UPDATE `Lookup Type Code` SET Description = 'new'"), S_OK_CODE);
        EXPECT_EQ(writer.execute_statement("COMMIT"), make_hresult(0xA0000005u));  // busy
        std::string message;
        writer.append_last_error_message(message);
        EXPECT_EQ(message, "database is locked\r\n");
        EXPECT_EQ(description(), "old");
    }
    // Once the reader is done the same commit goes through.
    ASSERT_EQ(writer.execute_statement("COMMIT"), S_OK_CODE);
    EXPECT_EQ(description(), "new");
    EXPECT_FALSE(reads.failed()) << reads.errors();
}

TEST(ReadTransaction, ALockedFetchIsAnErrorWithItsTextNeverTheEndOfTheRows) {
    two_connections c;
    c.f.add<rowset_lookup_type_code>(rows::code(11, "Winter"));
    premium_database& reader = c.f.db();
    reader.set_busy_timeout(50);
    ASSERT_EQ(c.other->execute_statement("BEGIN EXCLUSIVE"), S_OK_CODE);
    {
        const read_errors_scope reading(reader);
        rowset_lookup_type_code rs;
        hresult hr = rs.open_with_filter(reader);
        if (hr == S_OK_CODE) hr = rs.move_first();
        EXPECT_NE(hr, S_OK_CODE);
        EXPECT_NE(hr, DB_S_ENDOFROWSET);
        EXPECT_TRUE(reading.failed());
        EXPECT_NE(reading.errors().find("table [Lookup Type Code]\r\nOther error: A0000005\r\ndatabase is locked\r\n"),
                  std::string::npos)
            << reading.errors();
    }
    ASSERT_EQ(c.other->execute_statement("ROLLBACK"), S_OK_CODE);
}

// A writer thread replaces all rows of a table again and again, each time with
// one new description on every row; a reader thread reads them twice in each
// read transaction. Every read sees one generation only, complete, or fails
// and says so: it never passes a mix or a short list for a result.
TEST(ReadTransaction, AReaderBesideAWriterNeverSeesAMix) {
    fixture_database f;
    constexpr int row_count = 50;
    for (int i = 0; i < row_count; ++i) f.add<rowset_lookup_type_code>(rows::code(i, "0"));
    std::atomic<bool> done{false};
    std::atomic<int> writes{0};
    std::thread writer([&] {
        std::string error;
        auto db = connect_premium_database(f.path(), error);
        ASSERT_TRUE(db) << error;
        for (int generation = 1; generation <= 30; ++generation) {
            ASSERT_EQ(db->execute_statement("BEGIN IMMEDIATE"), S_OK_CODE);
            ASSERT_EQ(db->execute_statement("DELETE FROM `Lookup Type Code`"), S_OK_CODE);
            rowset_lookup_type_code table;
            ASSERT_EQ(table.open_with_filter(*db), S_OK_CODE);
            for (int i = 0; i < row_count; ++i) {
                table.record = rows::code(i, std::to_string(generation).c_str());
                ASSERT_EQ(table.insert_row(), S_OK_CODE);
            }
            table.close();
            ASSERT_EQ(db->execute_statement("COMMIT"), S_OK_CODE);
            ++writes;
        }
        done = true;
    });
    std::string error;
    auto db = connect_premium_database(f.path(), error);
    ASSERT_TRUE(db) << error;
    int reads = 0;
    while (!done || reads == 0) {
        read_transaction reading(*db);
        std::set<std::string> generations;
        int seen = 0;
        for (int pass = 0; pass < 2; ++pass) {
            rowset_lookup_type_code rs;
            ASSERT_EQ(rs.open_with_filter(*db), S_OK_CODE);
            for (hresult hr = rs.move_first(); hr == S_OK_CODE; hr = rs.move_next()) {
                generations.insert(rs.record.description);
                ++seen;
            }
        }
        ASSERT_FALSE(reading.failed()) << reading.errors();
        EXPECT_EQ(generations.size(), 1u);
        EXPECT_EQ(seen, 2 * row_count);
        ++reads;
    }
    writer.join();
    EXPECT_EQ(writes, 30);
    EXPECT_GT(reads, 0);
}

}  // namespace
}  // namespace zelmora
