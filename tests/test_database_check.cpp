// The rating database check: one Iowa county with Corn and Soybeans that is
// consistent, then one problem of each kind, each found and counted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/database_check.h"
#include "data/demo_database.h"
#include "fixture_database.h"

namespace {

using zelmora::check_database;
using zelmora::database_check_result;
using zelmora::testing::fixture_database;

// A 2004 plan 90 rates row of Adair County, Iowa (19, 1).
std::string rates_row(int crop_code, int type_code = 997) {
    std::string sql = "INSERT INTO `Continuous Rates` VALUES (19, 1, 2004, " + std::to_string(crop_code) + ", 90, 3, " +
                      std::to_string(type_code) + ", 15000, 40, -2000, 5";
    for (int i = 0; i < 13; ++i) sql += ", " + std::to_string(7500 + 1250 * i) + ", " + std::to_string(60 - 2 * i);
    return sql + ", 14500, 41, -2010, 5)";
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
        // Values the readers cannot use.
        {"NULL",
         {rates + "`Reference Rate` = NULL WHERE `Crop Code` = 41"},
         "  1 NULL values in [Continuous Rates] `Reference Rate` (read as 0)\n    row 1 (State FIPS 19, County FIPS 1, "
         "Crop Year 2004, Crop Code 41, Insurance Plan ID 90, Practice Code 3, Type Code 997): NULL\n",
         1},
        {"text",
         {rates + "`Exponent` = 'steep' WHERE `Crop Code` = 41"},
         "  1 texts in [Continuous Rates] `Exponent`, a numeric column\n",
         1},
        {"blob",
         {"UPDATE `Lookup Type Code` SET `Description` = X'00FF'"},
         "  1 blobs in [Lookup Type Code] `Description`\n",
         1},
        {"non-finite",
         {"UPDATE `B Value Single Crop` SET `B Value` = 9e999 WHERE `B Index` = 3"},
         "  1 non-finite numbers in [B Value Single Crop] `B Value`\n    row 4 (Set Number 1, B Index 3): inf\n",
         1},
        {"8-bit set number of 200",
         {"UPDATE `B Value Single Crop Lookup` SET `Set Number` = 200 WHERE rowid = 1"},
         "  1 numbers that do not fit an 8-bit integer in [B Value Single Crop Lookup] `Set Number`\n",
         1},
        {"fraction",
         {surcharges + "`Coverage Level` = 70.5 WHERE `Coverage Level` = 70 AND `Crop Code` = 41"},
         "  1 fractions in [Endogenous Risk Surcharge] `Coverage Level`, an integer column (the readers drop them)\n",
         1},
        {"negative rate",
         {rates + "`Premium 3` = -5 WHERE `Crop Code` = 81"},
         "  1 negative rates or yields in [Continuous Rates] `Premium 3`\n",
         1},
        {"coverage level 95",
         {surcharges + "`Coverage Level` = 95 WHERE `Coverage Level` = 75 AND `Crop Code` = 41"},
         "  1 coverage levels outside 60..89 in [Endogenous Risk Surcharge] `Coverage Level`\n",
         1},
        {"B Index 400",
         {"UPDATE `B Value Whole Farm` SET `B Index` = 400 WHERE `B Index` = 2"},
         "  1 b indexes outside 0..329 in [B Value Whole Farm] `B Index`\n",
         1},
        {"set number 6",
         {"UPDATE `B Value Single Crop` SET `Set Number` = 6 WHERE `B Index` = 14"},
         "  1 set numbers outside 1..5 (the row is not used) in [B Value Single Crop] `Set Number`\n",
         1},
        {"boolean 5",
         {county + "`Crop Indicator 1` = 5"},
         "  1 booleans other than -1, 0 and 1 in [County List] `Crop Indicator 1`\n",
         1},
        {"region flag 1",
         {county + "`Region Flag` = 1"},
         "  1 region flags of 1 in [County List] `Region Flag` (read as false: only -1 is true)\n",
         1},
        {"long county name",
         {county + "`County Name` = '" + std::string(51, 'x') + "'"},
         "  1 texts longer than 50 characters in [County List] `County Name` (cut when read)\n",
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
         {rates + "`Practice Code` = 7 WHERE `Crop Code` = 81"},
         "  1 practice codes used in [Continuous Rates] that [Lookup Practice Code] does not describe\n    practice "
         "code 7: 1 row, the first row 2\n",
         1},
        {"type code 5",
         {rates + "`Type Code` = 5 WHERE `Crop Code` = 81"},
         "  1 type codes used in [Continuous Rates] that [Lookup Type Code] does not describe\n",
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
         {rates_row(11), "INSERT INTO `B Value Single Crop Lookup` VALUES (19, 0, 3, 1)"},
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
         {rates_row(21), county + "`Crop Indicator 8` = -1"},
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
