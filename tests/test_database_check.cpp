// The rating database check: one Iowa county with Corn and Soybeans that is
// consistent, then one problem of each kind, each found and counted.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "data/database_check.h"
#include "data/demo_database.h"
#include "data/rowsets.h"
#include "data/value_rules.h"
#include "fixture_database.h"

namespace {

using zelmora::check_database;
using zelmora::database_check_result;
using zelmora::premium_database;
using zelmora::testing::fixture_database;

// A 2004 plan 90 rates row of Adair County, Iowa (19, 1).
std::string rates_row(int crop_code, int type_code = 997) {
    std::string sql = "INSERT INTO `Continuous Rates` VALUES (19, 1, 2004, " + std::to_string(crop_code) + ", 90, 3, " +
                      std::to_string(type_code) + ", 15000, 40, -2000, 5";
    for (int i = 0; i < 13; ++i) sql += ", " + std::to_string(7500 + 1250 * i) + ", " + std::to_string(60 - 2 * i);
    return sql + ", 14500, 41, -2010, 5)";
}

// The surcharge rows of a 2004 rates row of Adair County at 65, 70 and 75 %, the
// levels every unit reads (without 80 and 85 % the County List offers no high coverage).
std::string low_surcharges(int crop_code) {
    std::string sql = "INSERT INTO `Endogenous Risk Surcharge` VALUES ";
    for (int level : {65, 70, 75})
        sql += (level == 65 ? "(" : ", (") + std::to_string(level) + ", " + std::to_string(crop_code) +
               ", 19, 1, 2004, 3, 997, 1.0, 1.05, 1.0, 1.05)";
    return sql;
}

void fill(fixture_database& fx) {
    fx.exec("PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY");
    for (int i = 0; i < 15; ++i)
        fx.exec("INSERT INTO `B Value Single Crop` VALUES (1, " + std::to_string(i) + ", 0.5, 0.53)");
    for (int crop : {1, 2})
        for (int flag : {0, -1})
            fx.exec("INSERT INTO `B Value Single Crop Lookup` VALUES (19, " + std::to_string(flag) + ", " +
                    std::to_string(crop) + ", 1)");
    for (int i = 0; i < 3; ++i)
        fx.exec("INSERT INTO `B Value Whole Farm` VALUES (19, 0, 48, " + std::to_string(i) + ", 0.1, 0.11)");
    fx.exec(rates_row(41));
    fx.exec(rates_row(81));
    for (int crop : {41, 81})
        for (int level = 65; level <= 85; level += 5)
            fx.exec("INSERT INTO `Endogenous Risk Surcharge` VALUES (" + std::to_string(level) + ", " +
                    std::to_string(crop) + ", 19, 1, 2004, 3, 997, 1.0, 1.05, 1.0, 1.05)");
    fx.exec(
        "INSERT INTO `County List` VALUES (19, 1, 'Adair', 0, -1, -1, 0, 0, 0, 0, 0, 0, 0, "
        "-1, -1, 0, 0, 0, 0, 0, 0, 0)");
    fx.exec("INSERT INTO `Lookup Practice Code` VALUES (3, 'Non-Irrigated')");
    fx.exec("INSERT INTO `Lookup Type Code` VALUES (997, 'No Type Specified')");
}

// Reads every row of a table through its record binder, as each load does; a
// load stops at the first row it refuses.
template <class Rowset>
void read_all(premium_database& db) {
    Rowset rs;
    if (rs.open_with_filter(db) != zelmora::S_OK_CODE) return;
    for (zelmora::hresult hr = rs.move_first(); hr == zelmora::S_OK_CODE; hr = rs.move_next()) {
    }
}

void load_table(premium_database& db, const std::string& table) {
    using namespace zelmora;
    const std::map<std::string, void (*)(premium_database&)> readers = {
        {"B Value Single Crop", read_all<rowset_b_value_single_crop>},
        {"B Value Single Crop Lookup", read_all<rowset_b_value_single_crop_lookup>},
        {"B Value Whole Farm", read_all<rowset_b_value_whole_farm>},
        {"Continuous Rates", read_all<rowset_continuous_rates>},
        {"County List", read_all<rowset_county_list>},
        {"Endogenous Risk Surcharge", read_all<rowset_endogenous_risk_surcharge>},
        {"Lookup Practice Code", read_all<rowset_lookup_practice_code>},
        {"Lookup Type Code", read_all<rowset_lookup_type_code>},
    };
    readers.at(table)(db);
}

struct problem_case {
    const char* kind;
    std::vector<std::string> sql;
    std::string line;  // the group's line in the report
    int problems;      // every problem the change causes
};

}  // namespace

TEST(DatabaseCheck, AConsistentDatabaseHasNoProblems) {
    fixture_database fx;
    fill(fx);
    const database_check_result r = check_database(fx.db(), "fixture");
    EXPECT_EQ(r.problem_count, 0) << r.report;
    EXPECT_FALSE(r.demo);
    EXPECT_FALSE(r.unreadable);
    EXPECT_EQ(r.report.rfind("Rating database \"fixture\"\nThis is not the bundled demo database.\n\n", 0), 0u)
        << r.report;
    EXPECT_NE(r.report.find("\nNo problems found.\n"), std::string::npos);
}

TEST(DatabaseCheck, EachKindOfProblemIsFoundAndCounted) {
    const std::string rates = "UPDATE `Continuous Rates` SET ";
    const std::string surcharges = "UPDATE `Endogenous Risk Surcharge` SET ";
    const std::string county = "UPDATE `County List` SET ";
    const std::vector<problem_case> cases = {
        // The schema.
        {"missing table",
         {"DROP TABLE `County Average Yields`"},
         "  1 missing tables\n    [County Average Yields]\n",
         1},
        {"renamed column",
         {"ALTER TABLE `Lookup Type Code` RENAME COLUMN `Description` TO `Text`"},
         "  1 missing columns\n    [Lookup Type Code] `Description`\n",
         2},
        {"extra column", {"ALTER TABLE `Lookup Practice Code` ADD COLUMN `Note` TEXT"}, "  1 extra columns\n", 1},
        // Swapped columns are read by position: a text where the code should be, so code 3 is not described.
        {"columns out of order",
         {"DROP TABLE `Lookup Practice Code`",
          "CREATE TABLE `Lookup Practice Code` (`Description` TEXT, `Practice Code` INTEGER)",
          "INSERT INTO `Lookup Practice Code` VALUES ('Non-Irrigated', 3)"},
         "  2 columns out of order (the readers read by position)\n",
         4},
        {"column type",
         {"DROP TABLE `Lookup Type Code`", "CREATE TABLE `Lookup Type Code` (`Type Code` REAL, `Description` TEXT)",
          "INSERT INTO `Lookup Type Code` VALUES (997, 'No Type Specified')"},
         "  1 columns of another type\n    [Lookup Type Code] `Type Code` is declared \"REAL\"; the readers read a "
         "16-bit integer\n",
         1},
        // Keys stored twice.
        {"rates twice",
         {"INSERT INTO `Continuous Rates` SELECT * FROM `Continuous Rates` WHERE `Crop Code` = 41"},
         "  1 rows that repeat the key of an earlier row of [Continuous Rates] (the first row counts)\n    State FIPS 19, "
         "County FIPS 1, Crop Year 2004, Crop Code 41, Insurance Plan ID 90, Practice Code 3, Type Code 997: rows 1 "
         "3\n",
         1},
        {"type code twice",
         {"INSERT INTO `Lookup Type Code` VALUES (997, 'Again')"},
         "  1 rows that repeat the key of an earlier row of [Lookup Type Code] (the last row counts)\n",
         1},
        // Codes.
        {"practice code 7",
         {rates + "`Practice Code` = 7 WHERE `Crop Code` = 81",
          surcharges + "`Practice Code` = 7 WHERE `Crop Code` = 81"},
         "  1 practice codes used in [Continuous Rates] that [Lookup Practice Code] does not describe\n    practice "
         "code 7: 1 row, the first row 2\n",
         1},
        {"type code 5",
         {rates + "`Type Code` = 5 WHERE `Crop Code` = 81", surcharges + "`Type Code` = 5 WHERE `Crop Code` = 81"},
         "  1 type codes used in [Continuous Rates] that [Lookup Type Code] does not describe\n",
         1},
        // Rates without their county or surcharges.
        {"county missing from the County List",
         {"DELETE FROM `County List`"},
         "  1 counties with 2004 rates (plan 90) or surcharges that [County List] does not list\n    State FIPS 19, "
         "County FIPS 1: 2 [Continuous Rates] rows, the first row 1; 10 [Endogenous Risk Surcharge] rows, the first "
         "row 1\n",
         1},
        // Soybean surcharges moved to county 3: a county only they name, and a rates row without them.
        {"surcharges of a county the County List lacks",
         {surcharges + "`County FIPS` = 3 WHERE `Crop Code` = 81"},
         "    State FIPS 19, County FIPS 3: 5 [Endogenous Risk Surcharge] rows, the first row 6\n",
         3},
        {"rates row without its surcharges",
         {"DELETE FROM `Endogenous Risk Surcharge` WHERE `Crop Code` = 81"},
         "  1 [Continuous Rates] rows of 2004, plan 90 without their [Endogenous Risk Surcharge] rows at 65, 70 and "
         "75 %\n    row 2 (State FIPS 19, County FIPS 1, Crop Code 81, Practice Code 3, Type Code 997): none at 65, "
         "70, 75 %\n",
         2},
        {"rates row without its 70 % surcharge",
         {"DELETE FROM `Endogenous Risk Surcharge` WHERE `Crop Code` = 41 AND `Coverage Level` = 70"},
         "Code 41, Practice Code 3, Type Code 997): none at 70 %\n",
         1},
        // The County List against the rates and surcharges.
        {"crop indicator without rates",
         {"DELETE FROM `Continuous Rates` WHERE `Crop Code` = 81"},
         "    row 1 (State FIPS 19, County FIPS 1, Adair): `Crop Indicator 2` -1 -> 0\n",
         1},
        {"8085 indicator without 80 and 85 % surcharges",
         {"DELETE FROM `Endogenous Risk Surcharge` WHERE `Crop Code` = 81 AND `Coverage Level` >= 80"},
         "    row 1 (State FIPS 19, County FIPS 1, Adair): `8085 Indicator 2` -1 -> 0\n",
         1},
        // A wheat row counts for spring wheat once the state has its b values.
        {"wheat rates with spring wheat b values",
         {rates_row(11), low_surcharges(11), "INSERT INTO `B Value Single Crop Lookup` VALUES (19, 0, 3, 1)"},
         "`Crop Indicator 3` 0 -> -1\n",
         1},
        // Crop mixes without whole-farm b values.
        {"no whole-farm column",
         {"DELETE FROM `B Value Whole Farm`"},
         "  1 crop mixes without rows in [B Value Whole Farm] (rated with b values of 0)\n    State FIPS 19, Region "
         "Flag 0, Column Number 48 (Corn, Soybeans): offered by 1 county, the first row 1 (State FIPS 19, County "
         "FIPS 1, Adair)\n",
         1},
        // Beside Cotton, outside the six-crop model, Corn alone and Soybeans alone are whole-farm mixes too.
        {"single model crops beside cotton",
         {rates_row(21), low_surcharges(21), county + "`Crop Indicator 8` = -1"},
         "  2 crop mixes without rows in [B Value Whole Farm] (rated with b values of 0)\n",
         2},
    };
    for (const problem_case& c : cases) {
        fixture_database fx;
        fill(fx);
        for (const std::string& sql : c.sql) fx.exec(sql);
        const database_check_result r = check_database(fx.db(), "fixture");
        EXPECT_EQ(r.problem_count, c.problems) << c.kind << "\n" << r.report;
        EXPECT_NE(r.report.find(c.line), std::string::npos) << c.kind << "\n" << r.report;
        const std::string total =
            "\n" + std::to_string(c.problems) + (c.problems == 1 ? " problem found.\n" : " problems found.\n");
        EXPECT_NE(r.report.find(total), std::string::npos) << c.kind;
    }
}

TEST(DatabaseCheck, TheDemoMarkIsReportedAndTheCheckLeavesTheConnectionWritable) {
    fixture_database fx;
    fill(fx);
    ASSERT_EQ(zelmora::mark_demo_database(fx.db()), 0);
    const database_check_result r = check_database(fx.db(), "fixture");
    EXPECT_TRUE(r.demo);
    EXPECT_EQ(r.problem_count, 0) << r.report;
    EXPECT_NE(r.report.find("This is the bundled demo database: its rates are invented"), std::string::npos);
    // The check held the connection read-only while it ran, and only then.
    fx.exec("DELETE FROM `Lookup Type Code`");
}

// Rates of another year or plan, and of a state without b values, are never
// rated: they need no County List row and no surcharges.
TEST(DatabaseCheck, RowsTheSystemDoesNotRateNeedNoCountyOrSurcharges) {
    fixture_database fx;
    fill(fx);
    for (const char* row :
         {"UPDATE `Continuous Rates` SET `County FIPS` = 5, `Insurance Plan ID` = 44 WHERE rowid = 3",
          "UPDATE `Continuous Rates` SET `County FIPS` = 5, `Crop Year` = 2003 WHERE rowid = 4",
          "UPDATE `Continuous Rates` SET `State FIPS` = 1 WHERE rowid = 5"}) {
        fx.exec("INSERT INTO `Continuous Rates` SELECT * FROM `Continuous Rates` WHERE rowid = 1");
        fx.exec(row);
    }
    fx.exec("INSERT INTO `Endogenous Risk Surcharge` VALUES (65, 41, 1, 9, 2004, 3, 997, 1.0, 1.0, 1.0, 1.0)");
    const database_check_result r = check_database(fx.db(), "fixture");
    EXPECT_EQ(r.problem_count, 0) << r.report;
}

// ------------------------------------------------------------------ usable stored values

// One stored value changed in the consistent fixture, and what the check and a
// load make of it.
struct value_case {
    const char* table;
    const char* column;
    int rowid;
    std::string value;  // an SQL literal
    const char* rule;   // the words of the rule it breaks; nullptr for a usable value
};

// What the check flags, a load refuses, naming table, column, rowid and the
// rule in the same words; what the check lets pass, a load reads.
TEST(StoredValues, WhatTheCheckFlagsALoadRefusesInTheSameWords) {
    const char* hundredths = "a whole number from 1 to 10000000 (hundredths)";
    const char* thousandths = "a whole number from 0 to 1000 (thousandths)";
    const char* factor = "a number from 0 to 10";
    const char* b_value = "a number from -1000 to 1000";
    const char* code = "a whole number from -32768 to 32767";
    const value_case cases[] = {
        // Each rule broken.
        {"B Value Single Crop", "Set Number", 1, "6", "a whole number from 1 to 5"},
        {"B Value Single Crop", "B Index", 1, "15", "a whole number from 0 to 14"},
        {"B Value Single Crop", "B Value", 1, "3e38", b_value},
        {"B Value Single Crop Lookup", "State FIPS", 1, "3", "the FIPS code of one of the 23 rated states"},
        {"B Value Single Crop Lookup", "Region Flag", 1, "1", "-1 (true) or 0 (false)"},
        {"B Value Single Crop Lookup", "Crop Number", 1, "10", "a whole number from 1 to 9"},
        {"B Value Single Crop Lookup", "Set Number", 1, "200", "a whole number from 0 to 5"},
        {"B Value Whole Farm", "Column Number", 1, "65", "a whole number from 1 to 64"},
        {"B Value Whole Farm", "B Index", 3, "330", "a whole number from 0 to 329"},
        {"Continuous Rates", "Reference Yield", 1, "0", hundredths},
        {"Continuous Rates", "Prior Year Reference Yield", 2, "NULL", hundredths},
        {"Continuous Rates", "Reference Rate", 1, "-40", thousandths},
        {"Continuous Rates", "Reference Rate", 1, "'0x1p0'", thousandths},
        {"Continuous Rates", "Fixed Rate Load", 1, "X'00'", thousandths},
        {"Continuous Rates", "Premium 13", 2, "1001", thousandths},
        {"Continuous Rates", "Exponent", 1, "99999", "a whole number from -5000 to 5000 (thousandths)"},
        {"Continuous Rates", "Exponent", 1, "'steep'", "a whole number from -5000 to 5000 (thousandths)"},
        {"Continuous Rates", "Yield 3", 1, "2.5", "a whole number from 0 to 10000000 (hundredths)"},
        {"Continuous Rates", "Crop Year", 1, "70000", code},
        {"County List", "County Name", 1, "'" + std::string(51, 'x') + "'", "a text of at most 50 characters"},
        {"County List", "County Name", 1, "NULL", "a text of at most 50 characters"},
        {"County List", "Region Flag", 1, "1", "-1 (true) or 0 (false)"},
        {"County List", "Crop Indicator 1", 1, "5", "-1, 0 or 1"},
        {"Endogenous Risk Surcharge", "Coverage Level", 3, "95", "a whole number from 60 to 89"},
        {"Endogenous Risk Surcharge", "Residual Factor", 1, "3e38", factor},
        {"Endogenous Risk Surcharge", "Rate Differential", 1, "-0.5", factor},
        {"Endogenous Risk Surcharge", "Prior Year Residual Factor", 1, "9e999", factor},
        {"Lookup Practice Code", "Practice Code", 1, "3.5", code},
        {"Lookup Type Code", "Description", 1, "X'00FF'", "a text of at most 254 characters"},
        // The ends of the ranges are usable.
        {"B Value Single Crop", "Set Number", 15, "5", nullptr},
        {"B Value Single Crop", "B Value", 1, "-1000", nullptr},
        {"B Value Whole Farm", "B Index", 3, "329", nullptr},
        {"Continuous Rates", "Reference Yield", 1, "1", nullptr},
        {"Continuous Rates", "Yield 13", 1, "10000000", nullptr},
        {"Continuous Rates", "Reference Rate", 1, "1000", nullptr},
        {"Continuous Rates", "Exponent", 1, "-5000", nullptr},
        {"Continuous Rates", "Prior Year Exponent", 1, "5000", nullptr},
        {"County List", "County Name", 1, "'" + std::string(50, 'x') + "'", nullptr},
        {"County List", "Crop Indicator 1", 1, "1", nullptr},
        {"Endogenous Risk Surcharge", "Residual Factor", 1, "10", nullptr},
        {"Endogenous Risk Surcharge", "Rate Differential", 1, "0", nullptr},
    };
    for (const value_case& c : cases) {
        SCOPED_TRACE(std::string(c.table) + " `" + c.column + "` = " + c.value.substr(0, 20));
        fixture_database fx;
        fill(fx);
        fx.exec(std::string("UPDATE `") + c.table + "` SET `" + c.column + "` = " + c.value +
                " WHERE rowid = " + std::to_string(c.rowid));
        const database_check_result check = check_database(fx.db(), "fixture");
        std::string refused;
        {
            const zelmora::read_errors_scope reads(fx.db());
            load_table(fx.db(), c.table);
            refused = reads.errors();
        }
        if (c.rule == nullptr) {
            EXPECT_NE(check.report.find("Values the readers cannot use: no problems\n"), std::string::npos)
                << check.report;
            EXPECT_EQ(refused, "");
            continue;
        }
        EXPECT_NE(check.report.find("Values the readers cannot use: 1 problem\n"), std::string::npos) << check.report;
        EXPECT_NE(check.report.find(std::string("  1 values in [") + c.table + "] `" + c.column + "` that are not " +
                                    c.rule + "\n    row " + std::to_string(c.rowid) + " ("),
                  std::string::npos)
            << check.report;
        const std::string line = std::string("ERROR, unusable value in table [") + c.table + "], column [" + c.column +
                                 "], rowid " + std::to_string(c.rowid) + ": ";
        const std::size_t at = refused.find(line);
        ASSERT_NE(at, std::string::npos) << refused;
        const std::string whole_line = refused.substr(at, refused.find("\r\n", at) - at);
        EXPECT_TRUE(whole_line.ends_with(std::string(" is not ") + c.rule)) << refused;
    }
}

// Every column of the ten tables has its rule, and the rule's values fit the
// field the record binds them into: nothing a load takes is cut or wraps.
TEST(StoredValues, EveryColumnHasARuleItsFieldCanHold) {
    using zelmora::column_type;
    using zelmora::stored_kind;
    struct bounds {
        double lowest, highest;
    };
    const std::map<column_type, bounds> field = {
        {column_type::i1, {-128, 127}},
        {column_type::i2, {-32768, 32767}},
        {column_type::boolean, {-32768, 32767}},
        {column_type::i4, {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}},
        {column_type::r4, {-std::numeric_limits<float>::max(), std::numeric_limits<float>::max()}},
    };
    std::size_t columns = 0;
    for (const zelmora::table_description* t : zelmora::tables::all()) {
        for (const zelmora::column_spec& c : t->columns) {
            SCOPED_TRACE(t->name + " `" + c.name + "`");
            ++columns;
            ASSERT_NE(c.rule, nullptr);
            EXPECT_EQ(c.rule, zelmora::find_value_rule(t->name, c.name));
            const zelmora::value_rule& rule = *c.rule;
            EXPECT_FALSE(rule.words.empty());
            if (c.type == column_type::str) {
                EXPECT_EQ(rule.kind, stored_kind::text);
                EXPECT_EQ(rule.longest, c.width - 1);
                continue;
            }
            EXPECT_EQ(rule.kind, c.type == column_type::r4 ? stored_kind::number : stored_kind::whole_number);
            EXPECT_LE(field.at(c.type).lowest, rule.lowest);
            EXPECT_LE(rule.lowest, rule.highest);
            EXPECT_LE(rule.highest, field.at(c.type).highest);
            // The import rounds to single precision: the ends must stay where they are.
            if (c.type == column_type::r4) {
                EXPECT_EQ(static_cast<double>(static_cast<float>(rule.lowest)), rule.lowest);
                EXPECT_EQ(static_cast<double>(static_cast<float>(rule.highest)), rule.highest);
            }
        }
    }
    EXPECT_EQ(zelmora::value_rules().size(), columns);  // no rule for a column the tables do not have
}
