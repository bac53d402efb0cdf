#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/result_codes.h"
#include "data/rowsets.h"
#include "data/surcharge_list.h"
#include "fixture_database.h"
#include "table_rows.h"

using zelmora::code_entry;
using zelmora::code_lookup;
using zelmora::surcharge_key;
using zelmora::surcharge_list;
using zelmora::surcharge_row;
using zelmora::surcharge_values;
using zelmora::testing::fixture_database;

namespace {

constexpr int state = 19, county = 7, year = 2004, practice = 3, type = 16;

surcharge_row row(int level, int crop, float differential, float residual, float prior_differential,
                  float prior_residual, int county_fips = county) {
    surcharge_row r;
    r.coverage_level = static_cast<std::int16_t>(level);
    r.crop_code = static_cast<std::int16_t>(crop);
    r.state_fips = static_cast<std::int16_t>(state);
    r.county_fips = static_cast<std::int16_t>(county_fips);
    r.crop_year = static_cast<std::int16_t>(year);
    r.practice_code = static_cast<std::int16_t>(practice);
    r.type_code = static_cast<std::int16_t>(type);
    r.rate_differential = differential;
    r.residual_factor = residual;
    r.prior_year_rate_differential = prior_differential;
    r.prior_year_residual_factor = prior_residual;
    return r;
}

surcharge_key key(int level, int crop, int county_fips = county) {
    return surcharge_key{level, crop, state, county_fips, year, practice, type};
}

double d(float f) { return static_cast<double>(f); }

zelmora::record_lookup_code lookup_row(int code, const std::string& description) {
    return zelmora::testing::rows::code(code, description.c_str());
}

zelmora::record_continuous_rates rates_row(int crop, int practice_code, int type_code, int county_fips = county,
                                           int crop_year = 2004, int plan = 90) {
    return zelmora::testing::rows::rates(state, county_fips, crop_year, crop, plan, practice_code, type_code);
}

std::vector<int> codes_of(const code_lookup& l) {
    std::vector<int> codes;
    for (const code_entry& e : l.entries()) codes.push_back(e.code);
    return codes;
}

}  // namespace

TEST(DefaultResidualFactor, ByCoverageLevel) {
    const std::vector<std::pair<int, double>> table = {{65, 1.0},  {70, 1.055}, {75, 1.11}, {80, 1.165}, {85, 1.22},
                                                       {60, 0.0},  {64, 0.0},   {66, 0.0},  {72, 0.0},   {89, 0.0},
                                                       {90, 0.0},  {0, 0.0},    {-5, 0.0}};
    for (const auto& [level, factor] : table)
        EXPECT_EQ(zelmora::default_residual_factor(level).to_double(), factor) << level;
}

TEST(SurchargeList, LevelWithoutItsRowTakesDifferentialsFrom65AndDefaultResidual) {
    struct row_case {
        int crop;
        double residual;
    };
    for (const row_case c : {row_case{41, 1.11}, row_case{81, 1.11}, row_case{11, 1.11}, row_case{21, 1.11},
                             row_case{18, 1.11}, row_case{15, 1.0}, row_case{78, 1.0}, row_case{91, 1.0}}) {
        SCOPED_TRACE(c.crop);
        surcharge_list list;
        list.add(row(65, c.crop, 0.25f, 0.9f, 0.125f, 0.8f));
        surcharge_values v;
        EXPECT_FALSE(list.surcharge_factors(key(75, c.crop), v));
        EXPECT_EQ(v.rate_differential.to_double(), 0.25);
        EXPECT_EQ(v.prior_rate_differential.to_double(), 0.125);
        EXPECT_EQ(v.residual_factor.to_double(), c.residual);
        EXPECT_EQ(v.prior_residual_factor.to_double(), 1.0);
        EXPECT_EQ(list.residual_factor_at(key(75, c.crop)).to_double(), c.residual);
    }
}

TEST(SurchargeList, Level65RowGivesAllFourValues) {
    surcharge_list list;
    list.add(row(65, 41, 0.1f, 0.97f, 0.3f, 0.93f));
    surcharge_values v;
    EXPECT_TRUE(list.surcharge_factors(key(65, 41), v));
    EXPECT_EQ(v.rate_differential.to_double(), d(0.1f));
    EXPECT_EQ(v.residual_factor.to_double(), d(0.97f));
    EXPECT_EQ(v.prior_rate_differential.to_double(), d(0.3f));
    EXPECT_EQ(v.prior_residual_factor.to_double(), d(0.93f));
}

TEST(SurchargeList, ResidualsFromOwnLevelDifferentialsFrom65) {
    surcharge_list list;
    list.add(row(80, 41, 9.0f, 1.5f, 9.5f, 1.75f));
    list.add(row(65, 41, 0.25f, 1.0f, 0.5f, 1.0f));
    surcharge_values v;
    EXPECT_TRUE(list.surcharge_factors(key(80, 41), v));
    EXPECT_EQ(v.rate_differential.to_double(), 0.25);
    EXPECT_EQ(v.prior_rate_differential.to_double(), 0.5);
    EXPECT_EQ(v.residual_factor.to_double(), 1.5);
    EXPECT_EQ(v.prior_residual_factor.to_double(), 1.75);

    // Without a 65 row the differentials are 0 even when the own row has some.
    surcharge_list only_80;
    only_80.add(row(80, 41, 9.0f, 1.5f, 9.5f, 1.75f));
    EXPECT_TRUE(only_80.surcharge_factors(key(80, 41), v));
    EXPECT_EQ(v.rate_differential.to_double(), 0.0);
    EXPECT_EQ(v.prior_rate_differential.to_double(), 0.0);
    EXPECT_EQ(v.residual_factor.to_double(), 1.5);
}

TEST(SurchargeList, NoRowsGiveTheDefaults) {
    struct row_case {
        int crop;
        int level;
        double residual;
    };
    const surcharge_list list;
    for (const row_case c : {row_case{41, 65, 1.0}, row_case{81, 70, 1.055}, row_case{11, 75, 1.11},
                             row_case{21, 80, 1.165}, row_case{18, 85, 1.22}, row_case{15, 85, 1.0},
                             row_case{78, 70, 1.0}, row_case{91, 80, 1.0}, row_case{99, 75, 1.0}}) {
        SCOPED_TRACE(c.crop);
        surcharge_values v;
        v.rate_differential = 5.0;
        v.prior_rate_differential = 5.0;
        EXPECT_FALSE(list.surcharge_factors(key(c.level, c.crop), v));
        EXPECT_EQ(v.rate_differential.to_double(), 0.0);
        EXPECT_EQ(v.prior_rate_differential.to_double(), 0.0);
        EXPECT_EQ(v.residual_factor.to_double(), c.residual);
        EXPECT_EQ(v.prior_residual_factor.to_double(), 1.0);
        EXPECT_EQ(list.residual_factor_at(key(c.level, c.crop)).to_double(), c.residual);
    }
    EXPECT_EQ(list.size(), 0u);
}

TEST(SurchargeList, FirstRowReadWins) {
    surcharge_list list;
    list.add(row(70, 41, 0.0f, 1.25f, 0.0f, 1.0f));
    list.add(row(70, 41, 0.0f, 2.5f, 0.0f, 1.0f));
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(list.residual_factor_at(key(70, 41)).to_double(), 1.25);
}

TEST(SurchargeList, EveryKeyFieldMustMatch) {
    surcharge_list list;
    list.add(row(70, 41, 0.0f, 1.25f, 0.0f, 1.0f));
    ASSERT_NE(list.find_surcharge(key(70, 41)), nullptr);

    std::vector<surcharge_key> misses;
    for (int field = 0; field < 5; ++field) {
        surcharge_key k = key(70, 41);
        switch (field) {
            case 0: k.crop_code = 81; break;
            case 1: k.crop_year = 2003; break;
            case 2: k.practice_code = 2; break;
            case 3: k.type_code = 997; break;
            case 4: k.county_fips = 207; break;  // 19 * 207 falls in the bucket of 19 * 7
        }
        EXPECT_EQ(list.find_surcharge(k), nullptr) << field;
    }
    // Another level's slot does not hold the row.
    EXPECT_EQ(list.find_surcharge(key(75, 41)), nullptr);
    EXPECT_EQ(list.find_surcharge(key(65, 41)), nullptr);
}

TEST(SurchargeList, CountiesSharingABucketAreTold) {
    surcharge_list list;
    list.add(row(70, 41, 0.0f, 1.25f, 0.0f, 1.0f, 7));
    list.add(row(70, 41, 0.0f, 1.5f, 0.0f, 1.0f, 207));
    EXPECT_EQ(list.residual_factor_at(key(70, 41, 7)).to_double(), 1.25);
    EXPECT_EQ(list.residual_factor_at(key(70, 41, 207)).to_double(), 1.5);
}

TEST(SurchargeList, LevelsWithoutASlot) {
    surcharge_list list;
    list.add(row(64, 41, 0.0f, 3.0f, 0.0f, 1.0f));
    list.add(row(0, 41, 0.0f, 3.0f, 0.0f, 1.0f));
    list.add(row(90, 41, 0.0f, 4.0f, 0.0f, 1.0f));
    list.add(row(1000, 41, 0.0f, 4.0f, 0.0f, 1.0f));
    list.add(row(-70, 41, 0.0f, 4.0f, 0.0f, 1.0f));
    EXPECT_EQ(list.size(), 0u);

    // 87 shares the slot of 85; the level chooses the slot and is not compared.
    list.add(row(87, 81, 0.0f, 1.75f, 0.0f, 1.0f));
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(list.residual_factor_at(key(85, 81)).to_double(), 1.75);
    EXPECT_EQ(list.residual_factor_at(key(89, 81)).to_double(), 1.75);

    // Lookups outside the slots find nothing and fall back to the defaults.
    EXPECT_EQ(list.find_surcharge(key(60, 41)), nullptr);
    EXPECT_EQ(list.find_surcharge(key(90, 41)), nullptr);
    EXPECT_EQ(list.find_surcharge(key(90, 81)), nullptr);
    for (int level : {60, 90}) {
        EXPECT_EQ(list.residual_factor_at(key(level, 41)).to_double(), 0.0) << level;
        EXPECT_EQ(list.residual_factor_at(key(level, 15)).to_double(), 1.0) << level;
    }
}

TEST(SurchargeList, NegativeCodesAreStoredAndFound) {
    surcharge_list list;
    list.add(row(75, 41, 0.0f, 1.25f, 0.0f, 1.0f, -3));
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(list.residual_factor_at(key(75, 41, -3)).to_double(), 1.25);
    EXPECT_EQ(list.find_surcharge(key(75, 41, 3)), nullptr);
    surcharge_key huge{75, 41, 2147483647, 2147483647, year, practice, type};
    EXPECT_EQ(list.find_surcharge(huge), nullptr);
}

TEST(SurchargeList, ReadsTheTable) {
    fixture_database f;
    using R = zelmora::rowset_endogenous_risk_surcharge;
    f.add<R>(row(60, 41, 0.0f, 3.0f, 0.0f, 1.0f));
    f.add<R>(row(65, 41, 0.5f, 1.0f, 0.25f, 1.0f));
    f.add<R>(row(75, 41, 0.0f, 1.125f, 0.0f, 1.0625f));
    f.add<R>(row(75, 41, 0.0f, 9.0f, 0.0f, 9.0f));

    surcharge_list list;
    std::string error;
    EXPECT_TRUE(list.read_surcharges(f.db(), error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(list.size(), 3u);
    surcharge_values v;
    EXPECT_TRUE(list.surcharge_factors(key(75, 41), v));
    EXPECT_EQ(v.rate_differential.to_double(), 0.5);
    EXPECT_EQ(v.prior_rate_differential.to_double(), 0.25);
    EXPECT_EQ(v.residual_factor.to_double(), 1.125);
    EXPECT_EQ(v.prior_residual_factor.to_double(), 1.0625);
}

TEST(SurchargeList, ManyKeysInOneBucketFindTheirFirstRowRead) {
    fixture_database f;
    using R = zelmora::rowset_endogenous_risk_surcharge;
    f.exec("BEGIN");
    // Practices 40 down to 1, read twice: the second reading of a key never wins.
    for (int pass = 0; pass < 2; ++pass)
        for (int p = 40; p >= 1; --p) {
            surcharge_row r = row(70, 41, 0.0f, static_cast<float>(p) / 8 + 5 * pass, 0.0f, 1.0f);
            r.practice_code = static_cast<std::int16_t>(p);
            f.add<R>(r);
        }
    f.exec("COMMIT");
    surcharge_list list;
    std::string error;
    ASSERT_TRUE(list.read_surcharges(f.db(), error)) << error;
    list.add(row(70, 41, 0.0f, 9.5f, 0.0f, 1.0f));  // practice 3 again, after the table
    for (int p = 1; p <= 40; ++p) {
        surcharge_key k = key(70, 41);
        k.practice_code = p;
        EXPECT_EQ(list.residual_factor_at(k).to_double(), p / 8.0) << p;
    }
    surcharge_key missing = key(70, 41);
    missing.practice_code = 41;
    EXPECT_EQ(list.find_surcharge(missing), nullptr);
}

TEST(SurchargeList, EmptyOrMissingTable) {
    fixture_database f;
    surcharge_list list;
    std::string error;
    EXPECT_FALSE(list.read_surcharges(f.db(), error));
    EXPECT_EQ(error,
              "ERROR, no records in table [Endogenous Risk Surcharge].\r\n"
              "Reached start or end of rowset or chapter.\r\n");

    fixture_database without_table;
    without_table.exec("DROP TABLE `Endogenous Risk Surcharge`");
    error.clear();
    EXPECT_FALSE(list.read_surcharges(without_table.db(), error));
    EXPECT_EQ(error, "ERROR, unable to open table [Endogenous Risk Surcharge].\r\n");
    EXPECT_EQ(list.size(), 0u);
}

// ------------------------------------------------------------------ code lookups

TEST(CodeLookup, KeepsCodesAscending) {
    code_lookup l;
    for (int c : {5, 1, 3, 9, 2}) l.insert({c, "c" + std::to_string(c)});
    EXPECT_EQ(codes_of(l), (std::vector<int>{1, 2, 3, 5, 9}));
    ASSERT_NE(l.find_code(3), nullptr);
    EXPECT_EQ(l.find_code(3)->description, "c3");
    EXPECT_EQ(l.find_code(4), nullptr);
}

TEST(CodeLookup, ReadsPracticeAndTypeCodes) {
    fixture_database f;
    f.add<zelmora::rowset_lookup_practice_code>(lookup_row(3, "Irrigated"));
    f.add<zelmora::rowset_lookup_practice_code>(lookup_row(2, "Non-irrigated"));
    f.add<zelmora::rowset_lookup_practice_code>(lookup_row(43, "Following another crop"));
    f.add<zelmora::rowset_lookup_type_code>(lookup_row(997, "No type specified"));
    f.add<zelmora::rowset_lookup_type_code>(lookup_row(12, "Spring"));

    code_lookup practices, types;
    std::string error;
    EXPECT_TRUE(practices.read_practice_codes(f.db(), error));
    EXPECT_TRUE(types.read_type_codes(f.db(), error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(codes_of(practices), (std::vector<int>{2, 3, 43}));
    EXPECT_EQ(codes_of(types), (std::vector<int>{12, 997}));
    ASSERT_NE(practices.find_code(43), nullptr);
    EXPECT_EQ(practices.find_code(43)->description, "Following another crop");
    EXPECT_EQ(types.find_code(997)->description, "No type specified");
}

TEST(CodeLookup, EmptyOrMissingLookupTables) {
    fixture_database f;
    code_lookup practices, types;
    std::string error;
    EXPECT_FALSE(practices.read_practice_codes(f.db(), error));
    EXPECT_EQ(error, "ERROR, rowset_lookup_practice_codes has no rows.\r\n");
    error.clear();
    EXPECT_FALSE(types.read_type_codes(f.db(), error));
    EXPECT_EQ(error, "ERROR, rowset_lookup_type_codes has no rows.\r\n");

    fixture_database without_tables;
    without_tables.exec("DROP TABLE `Lookup Practice Code`");
    without_tables.exec("DROP TABLE `Lookup Type Code`");
    error.clear();
    EXPECT_FALSE(practices.read_practice_codes(without_tables.db(), error));
    EXPECT_FALSE(types.read_type_codes(without_tables.db(), error));
    EXPECT_EQ(error,
              "ERROR, unable to open table [Lookup Practice Code].\r\n"
              "ERROR, unable to open table [Lookup Type Code].\r\n");
    EXPECT_TRUE(practices.empty());
    EXPECT_TRUE(types.empty());
}

class CodesForCrop : public ::testing::Test {
protected:
    void SetUp() override {
        for (int c : {1, 2, 3}) full_practices.insert({c, "practice " + std::to_string(c)});
        for (int c : {11, 12}) full_types.insert({c, "type " + std::to_string(c)});
    }
    void add_rates(int crop, int practice_code, int type_code, int county_fips = county) {
        f.add<zelmora::rowset_continuous_rates>(rates_row(crop, practice_code, type_code, county_fips));
    }

    fixture_database f;
    code_lookup full_practices;
    code_lookup full_types;
    std::string error;
};

TEST_F(CodesForCrop, EachCodeOnceInAscendingOrder) {
    add_rates(41, 3, 12);
    add_rates(41, 2, 11);
    add_rates(41, 3, 12);
    add_rates(41, 1, 12);
    // Other crop, other county, other years and plans of the crop count too (open by crop).
    add_rates(81, 7, 7);
    add_rates(41, 7, 7, county + 1);
    f.add<zelmora::rowset_continuous_rates>(rates_row(41, 2, 11, county, 2003, 2));

    code_lookup practices;
    practices.practice_codes_for_crop(f.db(), full_practices, 41, state, county, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(codes_of(practices), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(practices.find_code(2)->description, "practice 2");

    code_lookup types;
    types.type_codes_for_crop(f.db(), full_types, 41, state, county, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(codes_of(types), (std::vector<int>{11, 12}));
    EXPECT_EQ(types.find_code(12)->description, "type 12");
}

TEST_F(CodesForCrop, CodeMissingFromTheLookupIsReportedForEveryRow) {
    add_rates(41, 9, 12);
    add_rates(41, 2, 40);
    add_rates(41, 9, 40);
    add_rates(41, 9, 12);

    code_lookup practices;
    practices.practice_codes_for_crop(f.db(), full_practices, 41, state, county, error);
    const std::string practice_line =
        "ERROR, practice code 9 from rowset_continuous_rates does not appear in [Lookup Practice Code].\r\n";
    EXPECT_EQ(error, practice_line + practice_line + practice_line);
    EXPECT_EQ(codes_of(practices), (std::vector<int>{2}));

    error.clear();
    code_lookup types;
    types.type_codes_for_crop(f.db(), full_types, 41, state, county, error);
    const std::string type_line =
        "ERROR, type code 40 from rowset_continuous_rates does not appear in [Lookup Type Code].\r\n";
    EXPECT_EQ(error, type_line + type_line);
    EXPECT_EQ(codes_of(types), (std::vector<int>{12}));
}

TEST_F(CodesForCrop, NoRowsOrNoTable) {
    add_rates(81, 1, 11);
    code_lookup practices;
    practices.practice_codes_for_crop(f.db(), full_practices, 41, state, county, error);
    EXPECT_EQ(error, "ERROR, rowset_continuous_rates has no rows for Crop 41.\r\n");
    EXPECT_TRUE(practices.empty());

    fixture_database without_table;
    without_table.exec("DROP TABLE `Continuous Rates`");
    error.clear();
    code_lookup types;
    types.type_codes_for_crop(without_table.db(), full_types, 41, state, county, error);
    std::string expected = "ERROR, unable to open table [Continuous Rates].\r\n";
    zelmora::append_oledb_error_text(zelmora::DB_E_NOTABLE, expected);
    EXPECT_EQ(error, expected);
    EXPECT_GT(error.size(), std::string("ERROR, unable to open table [Continuous Rates].\r\n").size());
    EXPECT_TRUE(types.empty());
}
