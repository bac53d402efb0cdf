// Invariants of the generated demo rating database: the counties and regions,
// the b-value tables and whole-farm columns, the County List indicators against
// the rates and surcharges, the code lookups and the plausibility of the rates.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <array>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "data/crops.h"
#include "data/premium_database.h"

namespace zelmora {
namespace {

class DemoDatabase : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        db_ = connect_premium_database(ZELMORA_DEMO_DATABASE, error).release();
        ASSERT_NE(db_, nullptr) << error;
    }
    static void TearDownTestSuite() {
        delete db_;
        db_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(db_, nullptr); }

    // Runs a query and calls `row` for each result row.
    static void each_row(const std::string& sql, const std::function<void(sqlite3_stmt*)>& row) {
        sqlite3_stmt* stmt = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db_->handle(), sql.c_str(), -1, &stmt, nullptr), SQLITE_OK)
            << sql << ": " << sqlite3_errmsg(db_->handle());
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) row(stmt);
        EXPECT_EQ(rc, SQLITE_DONE) << sql;
        sqlite3_finalize(stmt);
    }
    static int i(sqlite3_stmt* s, int col) { return sqlite3_column_int(s, col); }
    static double d(sqlite3_stmt* s, int col) { return sqlite3_column_double(s, col); }

    // Set numbers by (state, region flag -1/0, crop number).
    static std::map<std::tuple<int, int, int>, int> single_crop_sets() {
        std::map<std::tuple<int, int, int>, int> sets;
        each_row("SELECT `State FIPS`, `Region Flag`, `Crop Number`, `Set Number` FROM `B Value Single Crop Lookup`",
                 [&](sqlite3_stmt* s) { sets[{i(s, 0), i(s, 1), i(s, 2)}] = i(s, 3); });
        return sets;
    }

    static premium_database* db_;
};
premium_database* DemoDatabase::db_ = nullptr;

bool has_regions(int state) { return state == 27 || state == 46; }
bool is_four_crop(int state) { return state == 5 || state == 22 || state == 40; }

TEST_F(DemoDatabase, HoldsEveryCountyOfTheRatedStatesWithItsRegion) {
    std::map<std::pair<int, int>, std::string> expected;
    std::ifstream csv(std::string(ZELMORA_SOURCE_DIR) + "/data/counties.csv");
    ASSERT_TRUE(csv);
    std::string line;
    std::getline(csv, line);
    while (std::getline(csv, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto a = line.find(','), b = line.find(',', a + 1);
        expected[{std::stoi(line.substr(0, a)), std::stoi(line.substr(a + 1, b - a - 1))}] = line.substr(b + 1);
    }
    ASSERT_EQ(expected.size(), 1860u);

    std::map<std::pair<int, int>, std::string> found;
    std::map<int, std::set<int>> flags_by_state;
    int rows = 0;
    each_row("SELECT `State FIPS`, `County FIPS`, `County Name`, `Region Flag` FROM `County List`",
             [&](sqlite3_stmt* s) {
                 ++rows;
                 found[{i(s, 0), i(s, 1)}] = reinterpret_cast<const char*>(sqlite3_column_text(s, 2));
                 flags_by_state[i(s, 0)].insert(i(s, 3));
             });
    EXPECT_EQ(rows, 1860);  // no county twice
    EXPECT_EQ(found, expected);

    std::set<int> states;
    for (const auto& [state, flags] : flags_by_state) states.insert(state);
    EXPECT_EQ(states, std::set<int>(rated_states.begin(), rated_states.end()));
    for (const auto& [state, flags] : flags_by_state) {
        SCOPED_TRACE(state);
        if (has_regions(state))
            EXPECT_EQ(flags, (std::set<int>{-1, 0}));
        else
            EXPECT_EQ(flags, std::set<int>{0});
    }
    // Southern Minnesota and eastern South Dakota are the true regions.
    std::map<std::pair<int, int>, int> flag;
    each_row("SELECT `State FIPS`, `County FIPS`, `Region Flag` FROM `County List` WHERE `State FIPS` IN (27, 46)",
             [&](sqlite3_stmt* s) { flag[{i(s, 0), i(s, 1)}] = i(s, 2); });
    EXPECT_EQ((flag[{27, 11}]), -1);  // Big Stone
    EXPECT_EQ((flag[{27, 13}]), -1);  // Blue Earth
    EXPECT_EQ((flag[{27, 69}]), 0);   // Kittson
    EXPECT_EQ((flag[{46, 9}]), -1);   // Bon Homme
    EXPECT_EQ((flag[{46, 99}]), -1);  // Minnehaha
    EXPECT_EQ((flag[{46, 103}]), 0);  // Pennington
}

TEST_F(DemoDatabase, SingleCropBValuesGiveRatesOfTwoToFifteenPercent) {
    std::map<std::pair<int, int>, std::pair<double, double>> b;  // (set, index) -> plain, harvest
    each_row("SELECT `Set Number`, `B Index`, `B Value`, `B Value Harvest Guarantee` FROM `B Value Single Crop`",
             [&](sqlite3_stmt* s) {
                 EXPECT_TRUE(b.emplace(std::pair{i(s, 0), i(s, 1)}, std::pair{d(s, 2), d(s, 3)}).second);
             });
    ASSERT_EQ(b.size(), 75u);
    for (int set = 1; set <= 5; ++set) {
        SCOPED_TRACE(set);
        for (int k = 0; k < 15; ++k) ASSERT_EQ(b.count({set, k}), 1u);
        // The rate of a unit at yield ratio 1 and volatility 0.15, by the single-crop polynomial.
        auto rate = [&](double base_rate, int coverage, bool harvest) {
            const double x1 = base_rate * 0.9, L = coverage / 100.0, R = 1.0, V = 0.15;
            const double x[15] = {1.0, x1,    x1 * x1, L,      L * L,  R,      R * R, V,
                                  V * V, x1 * L, x1 * R, x1 * V, R * L, V * L, R * V};
            double sum = 0;
            for (int k = 0; k < 15; ++k) sum += (harvest ? b[{set, k}].second : b[{set, k}].first) * x[k];
            return sum;
        };
        for (double base_rate : {0.025, 0.05, 0.075}) {
            SCOPED_TRACE(base_rate);
            double previous = 0;
            for (int coverage = 65; coverage <= 85; coverage += 5) {
                const double r = rate(base_rate, coverage, false);
                EXPECT_GT(r, previous);
                EXPECT_GE(rate(base_rate, coverage, true), r);
                previous = r;
            }
        }
        EXPECT_GT(rate(0.025, 65, false), 0.015);
        EXPECT_LT(rate(0.025, 65, false), 0.04);
        EXPECT_GT(rate(0.075, 85, false), 0.10);
        EXPECT_LT(rate(0.075, 85, false), 0.18);
    }

    const auto sets = single_crop_sets();
    std::set<int> crops_rated;
    for (const auto& [key, set] : sets) {
        const auto [state, flag, crop] = key;
        EXPECT_NE(state_index(state), -1) << state;
        EXPECT_TRUE(flag == -1 || flag == 0);
        EXPECT_TRUE(crop >= 1 && crop <= 9);
        EXPECT_TRUE(set >= 1 && set <= 5);
        EXPECT_EQ(sets.count({state, flag == 0 ? -1 : 0, crop}), 1u) << "both regions of " << state << "/" << crop;
        crops_rated.insert(crop);
    }
    EXPECT_EQ(crops_rated.size(), 9u);  // every crop page has states where it rates
    // Iowa rates corn and soybeans; the two regions of Minnesota may use different sets.
    EXPECT_EQ(sets.count({19, 0, crop_corn}), 1u);
    EXPECT_EQ(sets.count({19, 0, crop_soybeans}), 1u);
    EXPECT_NE((sets.at({27, -1, crop_corn})), (sets.at({27, 0, crop_corn})));
}

TEST_F(DemoDatabase, EveryValidCropMixHasAWholeFarmColumn) {
    const auto sets = single_crop_sets();
    // Indexes by (state, flag, column).
    std::map<std::tuple<int, int, int>, std::set<int>> indexes;
    int rows = 0;
    each_row("SELECT `State FIPS`, `Region Flag`, `Column Number`, `B Index`, `B Value`, `B Value Harvest Guarantee` "
             "FROM `B Value Whole Farm`",
             [&](sqlite3_stmt* s) {
                 ++rows;
                 indexes[{i(s, 0), i(s, 1), i(s, 2)}].insert(i(s, 3));
                 EXPECT_GE(std::fabs(d(s, 5)), std::fabs(d(s, 4)));
             });
    std::set<std::tuple<int, int, int>> lookup_columns;
    each_row("SELECT `State FIPS`, `Region Flag`, `Column Number` FROM `Lookup Column Number`",
             [&](sqlite3_stmt* s) { lookup_columns.insert({i(s, 0), i(s, 1), i(s, 2)}); });

    std::size_t expected_columns = 0;
    std::size_t expected_rows = 0;
    for (int state : rated_states) {
        SCOPED_TRACE(state);
        const bool four = is_four_crop(state);
        const std::vector<int> model = four ? std::vector<int>{1, 2, 8, 9} : std::vector<int>{1, 2, 3, 4, 5, 6};
        const int bits = static_cast<int>(model.size());
        const int n = four ? 165 : 330;
        std::vector<int> flags = {0};
        if (has_regions(state)) flags.push_back(-1);
        for (int mask = 1; mask < (1 << bits); ++mask) {
            bool valid = true;
            for (int k = 0; k < bits; ++k)
                if ((mask & (1 << (bits - 1 - k))) != 0 && sets.count({state, 0, model[k]}) == 0 &&
                    sets.count({state, -1, model[k]}) == 0)
                    valid = false;
            for (int flag : flags) {
                SCOPED_TRACE(mask * 10 + flag);
                const auto it = indexes.find({state, flag, mask});
                if (!valid) {
                    EXPECT_EQ(it, indexes.end());
                    continue;
                }
                ASSERT_NE(it, indexes.end());
                EXPECT_EQ(it->second.size(), static_cast<std::size_t>(n));
                EXPECT_EQ(*it->second.begin(), 0);
                EXPECT_EQ(*it->second.rbegin(), n - 1);
                EXPECT_EQ(lookup_columns.count({state, flag, mask}), 1u);
                ++expected_columns;
                expected_rows += static_cast<std::size_t>(n);
            }
        }
    }
    EXPECT_EQ(indexes.size(), expected_columns);  // nothing for a mix without b values or a stray region
    EXPECT_EQ(static_cast<std::size_t>(rows), expected_rows);
    EXPECT_EQ(lookup_columns.size(), expected_columns);
    // Iowa: corn and soybeans at least (columns 32, 16, 48 of the six-crop model).
    for (int mask : {16, 32, 48}) EXPECT_EQ(indexes.count({19, 0, mask}), 1u) << mask;
}

TEST_F(DemoDatabase, CountyListIndicatorsFollowTheRatesAndSurcharges) {
    const auto sets = single_crop_sets();
    std::map<std::pair<int, int>, int> region;
    each_row("SELECT `State FIPS`, `County FIPS`, `Region Flag` FROM `County List`",
             [&](sqlite3_stmt* s) { region[{i(s, 0), i(s, 1)}] = i(s, 2); });

    // The crops a row of crop code and type sets, by the state's b values for the county's region.
    auto crops_of = [&](int state, int county, int code, int type) {
        std::vector<int> out;
        if (code == 11) {
            const int flag = region[{state, county}] == -1 ? -1 : 0;
            if (sets.count({state, flag, crop_spring_wheat}) != 0) out.push_back(crop_spring_wheat);
            if (sets.count({state, flag, crop_winter_wheat}) != 0) out.push_back(crop_winter_wheat);
        } else if (const int n = crop_number_of_code(code, type); n != 0) {
            out.push_back(n);
        }
        return out;
    };
    std::map<std::pair<int, int>, std::array<int, 9>> offered, high;
    each_row("SELECT DISTINCT `State FIPS`, `County FIPS`, `Crop Code`, `Type Code` FROM `Continuous Rates` "
             "WHERE `Crop Year` = 2004 AND `Insurance Plan ID` = 90",
             [&](sqlite3_stmt* s) {
                 for (int n : crops_of(i(s, 0), i(s, 1), i(s, 2), i(s, 3))) offered[{i(s, 0), i(s, 1)}][n - 1] = -1;
             });
    each_row("SELECT DISTINCT `State FIPS`, `County FIPS`, `Crop Code`, `Type Code` FROM `Endogenous Risk Surcharge` "
             "WHERE `Crop Year` = 2004 AND `Coverage Level` IN (80, 85)",
             [&](sqlite3_stmt* s) {
                 for (int n : crops_of(i(s, 0), i(s, 1), i(s, 2), i(s, 3))) high[{i(s, 0), i(s, 1)}][n - 1] = -1;
             });

    int counties = 0, crops_without_high_coverage = 0, counties_without_crops = 0;
    std::string columns;
    for (int k = 1; k <= 9; ++k) columns += ", `Crop Indicator " + std::to_string(k) + "`";
    for (int k = 1; k <= 9; ++k) columns += ", `8085 Indicator " + std::to_string(k) + "`";
    each_row("SELECT `State FIPS`, `County FIPS`" + columns + " FROM `County List`", [&](sqlite3_stmt* s) {
        ++counties;
        const std::pair<int, int> key{i(s, 0), i(s, 1)};
        std::array<int, 9> crop{}, h{};
        for (int k = 0; k < 9; ++k) {
            crop[k] = i(s, 2 + k);
            h[k] = i(s, 11 + k);
            if (crop[k] != 0 && h[k] == 0) ++crops_without_high_coverage;
        }
        EXPECT_EQ(crop, offered[key]) << key.first << "/" << key.second;
        EXPECT_EQ(h, high[key]) << key.first << "/" << key.second;
        if (crop == std::array<int, 9>{}) ++counties_without_crops;
    });
    EXPECT_EQ(counties, 1860);
    EXPECT_EQ(counties_without_crops, 0);
    EXPECT_GT(crops_without_high_coverage, 0);  // 80 and 85 % are not offered everywhere

    // The sample farm: Story County, Iowa, grows corn and soybeans with high coverage offered.
    const auto story = offered[{19, 169}];
    EXPECT_EQ(story[crop_corn - 1], -1);
    EXPECT_EQ(story[crop_soybeans - 1], -1);
    EXPECT_EQ((high[{19, 169}][crop_corn - 1]), -1);
}

TEST_F(DemoDatabase, EveryCodeInUseIsInItsLookup) {
    std::set<int> practices, types;
    each_row("SELECT `Practice Code` FROM `Lookup Practice Code`", [&](sqlite3_stmt* s) { practices.insert(i(s, 0)); });
    each_row("SELECT `Type Code`, `Description` FROM `Lookup Type Code`", [&](sqlite3_stmt* s) {
        types.insert(i(s, 0));
        EXPECT_GT(sqlite3_column_bytes(s, 1), 0);
    });
    EXPECT_EQ(practices.count(2), 1u);
    EXPECT_EQ(practices.count(3), 1u);
    for (int t : {11, 12, 997}) EXPECT_EQ(types.count(t), 1u) << t;
    for (const char* table : {"Continuous Rates", "Endogenous Risk Surcharge"})
        each_row(std::string("SELECT DISTINCT `Practice Code`, `Type Code` FROM `") + table + "`",
                 [&](sqlite3_stmt* s) {
                     EXPECT_EQ(practices.count(i(s, 0)), 1u) << table << " practice " << i(s, 0);
                     EXPECT_EQ(types.count(i(s, 1)), 1u) << table << " type " << i(s, 1);
                 });
}

TEST_F(DemoDatabase, RatesAndSurchargesArePlausible) {
    struct range {
        int code, type;
        double low, high;
    };
    const range yields[] = {{41, 997, 100, 180},   {81, 997, 30, 55},     {11, 12, 30, 60},
                            {11, 11, 30, 60},      {15, 997, 1200, 1800}, {78, 997, 1000, 1600},
                            {91, 997, 40, 80},     {21, 997, 500, 900},   {18, 997, 5000, 7500}};
    std::set<std::tuple<int, int, int, int, int, int>> keys_2004;
    int rows = 0;
    each_row("SELECT * FROM `Continuous Rates` ORDER BY rowid", [&](sqlite3_stmt* s) {
        ++rows;
        const int state = i(s, 0), county = i(s, 1), year = i(s, 2), code = i(s, 3), practice = i(s, 5),
                  type = i(s, 6);
        SCOPED_TRACE(std::to_string(state) + "/" + std::to_string(county) + "/" + std::to_string(year) + "/" +
                     std::to_string(code) + "/" + std::to_string(practice) + "/" + std::to_string(type));
        ASSERT_TRUE(year == 2003 || year == 2004);
        ASSERT_EQ(i(s, 4), 90);
        if (code == 11) {
            ASSERT_TRUE(type == 11 || type == 12);
        }
        if (code == 18) {
            ASSERT_TRUE(practice == 2 || practice / 100 == 2);
        }
        const double yield = i(s, 7) / 100.0, rate = i(s, 8) / 1000.0, exponent = i(s, 9) / 1000.0,
                     load = i(s, 10) / 1000.0;
        if (year == 2004) {
            keys_2004.insert({state, county, code, practice, type, 0});
            if (practice == 3 && (type == 997 || code == 11)) {
                for (const range& r : yields)
                    if (r.code == code && r.type == type) {
                        EXPECT_GE(yield, r.low);
                        EXPECT_LE(yield, r.high);
                    }
            }
        }
        EXPECT_GE(rate, 0.008);
        EXPECT_LE(rate, 0.08);
        EXPECT_GE(exponent, -2.6);
        EXPECT_LE(exponent, -1.4);
        EXPECT_GE(load, 0.001);
        EXPECT_LE(load, 0.011);
        // The yield span: levels rising around the reference yield, rates falling.
        EXPECT_NEAR(i(s, 11) / 100.0, 0.5 * yield, 0.02);
        for (int k = 1; k < 13; ++k) {
            EXPECT_GT(i(s, 11 + 2 * k), i(s, 11 + 2 * (k - 1)));
            EXPECT_LE(i(s, 12 + 2 * k), i(s, 12 + 2 * (k - 1)));
        }
        EXPECT_NEAR(i(s, 11 + 2 * 12) / 100.0, 1.5 * yield, 0.02);
        // The prior year a little different.
        EXPECT_NEAR(i(s, 37) / 100.0, yield, 0.06 * yield);
        EXPECT_NEAR(i(s, 38) / 1000.0, rate, 0.0035);
        EXPECT_NEAR(i(s, 39) / 1000.0, exponent, 0.06);
    });
    EXPECT_GT(rows, 5000);

    // Every 2004 key has its 65 % surcharge row; differentials near 1, residual factors by level.
    std::set<std::tuple<int, int, int, int, int, int>> surcharge_keys;
    const double residual[] = {1.0, 1.055, 1.11, 1.165, 1.22};
    each_row("SELECT `Coverage Level`, `Crop Code`, `State FIPS`, `County FIPS`, `Crop Year`, `Practice Code`, "
             "`Type Code`, `Rate Differential`, `Residual Factor`, `Prior Year Rate Differential`, "
             "`Prior Year Residual Factor` FROM `Endogenous Risk Surcharge`",
             [&](sqlite3_stmt* s) {
                 const int level = i(s, 0);
                 ASSERT_TRUE(level >= 65 && level <= 85 && level % 5 == 0) << level;
                 if (level == 65 && i(s, 4) == 2004) surcharge_keys.insert({i(s, 2), i(s, 3), i(s, 1), i(s, 5), i(s, 6), 0});
                 EXPECT_GE(d(s, 7), 0.95 - 1e-6);
                 EXPECT_LE(d(s, 7), 1.05 + 1e-6);
                 EXPECT_NEAR(d(s, 9), d(s, 7), 0.011);
                 EXPECT_NEAR(d(s, 8), residual[(level - 65) / 5], 0.011);
                 EXPECT_NEAR(d(s, 10), residual[(level - 65) / 5], 0.011);
             });
    EXPECT_EQ(surcharge_keys, keys_2004);
}

}  // namespace
}  // namespace zelmora
