// The rewrites of "Lookup Column Number" and "County List" and the state input
// listing, through the maintenance commands, on small scratch databases. Each
// command reads the single-crop b values and the state's counties anew.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "data/crops.h"
#include "data/rowsets.h"
#include "fixture_database.h"
#include "table_rows.h"
#include "rating/table_maintenance.h"

namespace zelmora {
namespace {

using indicator_array = std::array<std::int16_t, 9>;
namespace rows = zelmora::testing::rows;

template <class Rowset>
auto read_rows(premium_database& db, const std::string& filter) {
    Rowset rs;
    std::vector<decltype(rs.record)> rows;
    EXPECT_EQ(rs.open_with_filter(db, filter), 0);
    for (hresult hr = rs.move_first(); hr == 0; hr = rs.move_next()) rows.push_back(rs.record);
    rs.close();
    return rows;
}

int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

std::vector<int> rows_written_counts(const std::string& report) {
    std::vector<int> counts;
    const std::regex pattern("Rows written\t([0-9]+)");
    for (auto it = std::sregex_iterator(report.begin(), report.end(), pattern); it != std::sregex_iterator(); ++it)
        counts.push_back(std::stoi((*it)[1].str()));
    return counts;
}

class table_maintenance_test : public ::testing::Test {
protected:
    table_maintenance_test() {
        // The single-crop b-value table needs a row of its own; the set numbers
        // decide which crops have b values.
        add_b_value_row(1);
    }

    premium_database& db() { return fixture.db(); }

    void add_b_value_row(int set) {
        fixture.add<rowset_b_value_single_crop>(record_b_value_single_crop{
            .set_number = static_cast<std::int8_t>(set), .b_index = 0, .b_value = 0.5f,
            .b_value_harvest_guarantee = 0.75f});
    }
    void add_b_value_set(int state, int crop, bool region, int set = 1) {
        fixture.add<rowset_b_value_single_crop_lookup>(rows::b_value_set(state, crop, region ? -1 : 0, set));
    }
    // b values for the six whole-farm crops in both regions.
    void add_six_crop_b_values(int state) {
        for (int crop = 1; crop <= 6; ++crop) {
            add_b_value_set(state, crop, false);
            add_b_value_set(state, crop, true);
        }
    }
    void add_county(int state, int county, const char* name, int region_flag,
                    const indicator_array& crops = {}, const indicator_array& high_coverage = {}) {
        fixture.add<rowset_county_list>(rows::county(state, county, name, region_flag, crops, high_coverage));
    }
    void add_rates(int state, int county, int year, int code, int plan = 90, int type = 997) {
        fixture.add<rowset_continuous_rates>(rows::rates(state, county, year, code, plan, 0, type));
    }
    void add_surcharge(int state, int county, int year, int code, int level) {
        fixture.add<rowset_endogenous_risk_surcharge>(rows::surcharge(level, code, state, county, year, 0, 0));
    }
    void add_column_row(int state, int column, const char* code) {
        fixture.add<rowset_lookup_column_number>(rows::column_lookup(state, column, code));
    }
    std::vector<record_county_list> county_rows(int state) {
        return read_rows<rowset_county_list>(db(), "[State FIPS] = " + std::to_string(state));
    }
    std::vector<record_lookup_column_number> column_rows(int state) {
        return read_rows<rowset_lookup_column_number>(db(), "[State FIPS] = " + std::to_string(state));
    }

    testing::fixture_database fixture;
};

// ------------------------------------------------------------ crop indicators

TEST_F(table_maintenance_test, crop_indicators_follow_rates_of_the_county_year_and_plan) {
    add_rates(19, 1, 2004, 41);
    add_rates(19, 1, 2004, 11, 90, 12);
    add_rates(19, 1, 2004, 18);
    add_rates(19, 1, 2004, 99);      // no crop
    add_rates(19, 1, 2003, 81);      // another year
    add_rates(19, 1, 2004, 15, 2);   // another plan
    add_rates(19, 2, 2004, 78);      // another county
    add_rates(20, 1, 2004, 91);      // another state

    struct case_row {
        bool spring;
        bool winter;
        indicator_array expected;
    };
    const case_row cases[] = {
        {true, true, {-1, 0, -1, 0, 0, 0, -1, 0, -1}},
        {true, false, {-1, 0, -1, 0, 0, 0, 0, 0, -1}},
        {false, true, {-1, 0, 0, 0, 0, 0, -1, 0, -1}},
        {false, false, {-1, 0, 0, 0, 0, 0, 0, 0, -1}},
    };
    for (const case_row& c : cases) {
        indicator_array indicators{};
        std::string report;
        crop_indicators_from_rates(db(), 19, 1, 2004, 90, c.spring, c.winter, indicators, report);
        EXPECT_EQ(indicators, c.expected) << c.spring << c.winter;
        EXPECT_EQ(report, "");
    }

    // A county without rows sets nothing and reports nothing.
    indicator_array indicators{};
    std::string report;
    crop_indicators_from_rates(db(), 19, 7, 2004, 90, true, true, indicators, report);
    EXPECT_EQ(indicators, indicator_array{});
    EXPECT_EQ(report, "");
}

TEST_F(table_maintenance_test, high_coverage_counts_only_levels_80_and_85) {
    for (int level : {65, 70, 75}) {
        add_surcharge(19, 1, 2004, 41, level);
        add_surcharge(19, 1, 2004, 81, level);
        add_surcharge(19, 1, 2004, 11, level);
    }
    add_surcharge(19, 2, 2004, 91, 80);
    add_surcharge(19, 2, 2004, 11, 85);
    add_surcharge(19, 2, 2004, 21, 85);
    add_surcharge(19, 2, 2004, 41, 75);
    add_surcharge(19, 2, 2003, 81, 85);  // another year

    struct case_row {
        int county;
        bool spring;
        bool winter;
        indicator_array expected;
    };
    const case_row cases[] = {
        {1, true, true, {}},
        {2, true, true, {0, 0, -1, 0, 0, -1, -1, -1, 0}},
        {2, false, true, {0, 0, 0, 0, 0, -1, -1, -1, 0}},
        {2, false, false, {0, 0, 0, 0, 0, -1, 0, -1, 0}},
    };
    for (const case_row& c : cases) {
        indicator_array indicators{};
        std::string report;
        high_coverage_from_surcharges(db(), 19, c.county, 2004, c.spring, c.winter, indicators, report);
        EXPECT_EQ(indicators, c.expected) << c.county << c.spring << c.winter;
        EXPECT_EQ(report, "");
    }
}

TEST_F(table_maintenance_test, indicator_readers_report_a_table_they_cannot_open) {
    fixture.exec("DROP TABLE `Continuous Rates`");
    fixture.exec("DROP TABLE `Endogenous Risk Surcharge`");
    indicator_array indicators{};
    std::string report;
    crop_indicators_from_rates(db(), 19, 1, 2004, 90, true, true, indicators, report);
    EXPECT_EQ(report, "ERROR, unable to open table [Continuous Rates].\r\n");
    report.clear();
    high_coverage_from_surcharges(db(), 19, 1, 2004, true, true, indicators, report);
    EXPECT_EQ(report, "ERROR, can't open table [Endogenous Risk Surcharge].\r\n");
    EXPECT_EQ(indicators, indicator_array{});
}

// ------------------------------------------------------------ Lookup Column Number

TEST_F(table_maintenance_test, column_lookup_of_a_six_crop_state_writes_every_combination) {
    add_six_crop_b_values(19);
    add_column_row(19, 5, "STALE");
    add_column_row(20, 7, "KEEP");

    // The state has no counties: the command says so, and columns need none.
    const rewrite_report report = write_column_lookup(db(), 19);
    EXPECT_EQ(report.text, "ERROR, no counties for state.\r\nRows written\t63");
    EXPECT_FALSE(report.failed());

    const auto rows = column_rows(19);
    ASSERT_EQ(rows.size(), 63u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int column = 63 - static_cast<int>(i);
        EXPECT_EQ(rows[i].column_number, column);
        EXPECT_EQ(rows[i].region_flag, 0);
        // Corn weighs 32 .. Barley 1; the other three crops never belong.
        for (int crop = 1; crop <= 9; ++crop) {
            const bool member = crop <= 6 && (column & (1 << (6 - crop))) != 0;
            EXPECT_EQ(rows[i].crop_set[crop - 1], member ? 1 : 0) << column << " crop " << crop;
        }
    }
    EXPECT_STREQ(rows.front().column_code, "IARRRRRR");
    EXPECT_STREQ(rows[63 - 48].column_code, "IARR0000");
    EXPECT_STREQ(rows.back().column_code, "IA00000R");
    ASSERT_EQ(column_rows(20).size(), 1u);
    EXPECT_STREQ(column_rows(20).front().column_code, "KEEP");
}

TEST_F(table_maintenance_test, split_states_write_a_second_row_for_their_other_region) {
    struct case_row {
        int state;
        const char* first;
        const char* second;
    };
    for (const case_row& c : {case_row{27, "MN-NRRRRRR", "MN-SRRRRRR"}, case_row{46, "SD-WRRRRRR", "SD-ERRRRRR"}}) {
        add_six_crop_b_values(c.state);
        // Neither Minnesota's county 11 nor South Dakota's county 9 exists.
        add_county(c.state, 1, "North", 0);
        EXPECT_EQ(write_column_lookup(db(), c.state).text, "Rows written\t126");

        const auto rows = column_rows(c.state);
        ASSERT_EQ(rows.size(), 126u);
        for (std::size_t i = 0; i < rows.size(); i += 2) {
            const int column = 63 - static_cast<int>(i / 2);
            EXPECT_EQ(rows[i].column_number, column);
            EXPECT_EQ(rows[i + 1].column_number, column);
            EXPECT_EQ(rows[i].region_flag, 0);
            EXPECT_EQ(rows[i + 1].region_flag, -1);
            EXPECT_EQ(std::string(rows[i].column_code).substr(0, 4), std::string(c.first).substr(0, 4));
            EXPECT_EQ(std::string(rows[i + 1].column_code).substr(0, 4), std::string(c.second).substr(0, 4));
        }
        EXPECT_STREQ(rows[0].column_code, c.first);
        EXPECT_STREQ(rows[1].column_code, c.second);
    }
}

TEST_F(table_maintenance_test, combinations_with_a_crop_without_b_values_are_not_written) {
    // Iowa: Corn in region 0, Soybeans only in region 1; either region counts.
    add_b_value_set(19, crop_corn, false);
    add_b_value_set(19, crop_soybeans, true);
    // Arkansas rates four crops: Corn 8, Soybeans 4, Cotton 2, Rice 1.
    add_b_value_set(5, crop_corn, false);
    add_b_value_set(5, crop_rice, false);
    add_b_value_set(5, crop_barley, false);  // not a crop of the four-crop model

    struct case_row {
        int state;
        std::vector<int> columns;
        std::vector<std::string> codes;
    };
    const case_row cases[] = {
        {19, {48, 32, 16}, {"IARR0000", "IAR00000", "IA0R0000"}},
        {5, {9, 8, 1}, {"ARR00R", "ARR000", "AR000R"}},
    };
    for (const case_row& c : cases) {
        add_county(c.state, 1, "One", 0);
        EXPECT_EQ(write_column_lookup(db(), c.state).text, "Rows written\t" + std::to_string(c.columns.size()));
        const auto rows = column_rows(c.state);
        ASSERT_EQ(rows.size(), c.columns.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].column_number, c.columns[i]);
            EXPECT_EQ(rows[i].column_code, c.codes[i]);
        }
    }
}

TEST_F(table_maintenance_test, failed_column_lookup_insert_keeps_the_old_rows) {
    add_six_crop_b_values(19);
    add_column_row(19, 3, "OLD3");
    add_column_row(19, 4, "OLD4");
    fixture.exec(
        "CREATE TRIGGER refuse_column BEFORE INSERT ON `Lookup Column Number` WHEN NEW.`Column Number` = 10 "
        "BEGIN SELECT RAISE(ABORT, 'forced'); END");
    add_county(19, 1, "Adair", 0);

    const rewrite_report report = write_column_lookup(db(), 19);
    EXPECT_EQ(report.failed_states, 1);
    EXPECT_EQ(report.text,
              "\r\nERROR, unable to insert into [Lookup Column Number]\r\n"
              "A specified value violated the integrity constraints for a column or table.\r\n"
              "forced\r\n"
              "ERROR, [Lookup Column Number] not rewritten for state 19; its rows are unchanged.\r\n"
              "Rows written\t0");
    const auto rows = column_rows(19);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_STREQ(rows[0].column_code, "OLD3");
    EXPECT_STREQ(rows[1].column_code, "OLD4");
}

// ------------------------------------------------------------ County List

TEST_F(table_maintenance_test, county_list_rewrite_rebuilds_the_indicators) {
    // Both wheat b-value sets exist in region 1 only.
    add_b_value_set(19, crop_spring_wheat, true);
    add_b_value_set(19, crop_winter_wheat, true);
    add_county(19, 3, "Carroll", -1, {0, -1, 0, 0, 0, 0, 0, 0, 0});
    add_county(19, 1, "Adair", 0, {}, {-1, 0, 0, 0, 0, 0, 0, 0, 0});
    add_county(20, 1, "Allen", 0, {-1, -1, 0, 0, 0, 0, 0, 0, 0});
    for (int county : {1, 3}) {
        add_rates(19, county, 2004, 41);
        add_rates(19, county, 2004, 11);
        add_rates(19, county, 2003, 81);  // last year's rates do not count
        add_surcharge(19, county, 2004, 11, 80);
        add_surcharge(19, county, 2004, 41, 70);
    }
    add_surcharge(19, 1, 2004, 91, 85);

    const rewrite_report report = write_county_list(db(), 19);
    EXPECT_FALSE(report.failed());
    EXPECT_EQ(report.text, "");

    const auto rows = county_rows(19);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].county_fips, 1);
    EXPECT_STREQ(rows[0].county_name, "Adair");
    EXPECT_EQ(rows[0].region_flag, 0);
    EXPECT_EQ(indicator_array(std::to_array(rows[0].crop_indicator)), (indicator_array{-1, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(indicator_array(std::to_array(rows[0].indicator_8085)), (indicator_array{0, 0, 0, 0, 0, -1, 0, 0, 0}));
    EXPECT_EQ(rows[1].county_fips, 3);
    EXPECT_STREQ(rows[1].county_name, "Carroll");
    EXPECT_EQ(rows[1].region_flag, -1);
    EXPECT_EQ(indicator_array(std::to_array(rows[1].crop_indicator)),
              (indicator_array{-1, 0, -1, 0, 0, 0, -1, 0, 0}));
    EXPECT_EQ(indicator_array(std::to_array(rows[1].indicator_8085)), (indicator_array{0, 0, -1, 0, 0, 0, -1, 0, 0}));

    const auto other = county_rows(20);
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0].crop_indicator[1], -1);
}

TEST_F(table_maintenance_test, failed_county_list_insert_keeps_the_old_rows) {
    add_county(19, 1, "Adair", 0);
    add_county(19, 5, "Bremer", 0);
    add_county(19, 7, "Cass", 0);
    add_rates(19, 1, 2004, 41);  // would set Corn in county 1
    fixture.exec(
        "CREATE TRIGGER refuse_county BEFORE INSERT ON `County List` WHEN NEW.`County FIPS` = 5 "
        "BEGIN SELECT RAISE(ABORT, 'forced'); END");

    const std::string expected_failure =
        "ERROR, unable to insert into table [County List]\r\n"
        "A specified value violated the integrity constraints for a column or table.\r\n"
              "forced\r\n"
        "ERROR, [County List] not rewritten for state 19; its rows are unchanged.\r\n";
    add_b_value_set(19, crop_corn, false);  // the b values load without a line
    const rewrite_report report = write_county_list(db(), 19);
    EXPECT_EQ(report.text, expected_failure);
    EXPECT_EQ(report.failed_states, 1);

    const auto rows = county_rows(19);
    ASSERT_EQ(rows.size(), 3u);
    for (const auto& row : rows) EXPECT_EQ(row.crop_indicator[0], 0) << row.county_fips;
    EXPECT_EQ(rows[0].county_fips, 1);
    EXPECT_EQ(rows[1].county_fips, 5);
    EXPECT_EQ(rows[2].county_fips, 7);
}

TEST_F(table_maintenance_test, failed_delete_leaves_no_duplicate_rows) {
    add_county(19, 1, "Adair", 0);
    add_rates(19, 1, 2004, 41);
    fixture.exec(
        "CREATE TRIGGER refuse_delete BEFORE DELETE ON `County List` BEGIN SELECT RAISE(ABORT, 'forced'); END");
    add_b_value_set(19, crop_corn, false);
    const rewrite_report report = write_county_list(db(), 19);
    EXPECT_EQ(report.failed_states, 1);
    EXPECT_EQ(report.text,
              "DELETE FROM [County List] WHERE [State FIPS] = 19\r\nERROR, unable to delete from [County List]\r\n"
              "A specified value violated the integrity constraints for a column or table.\r\n"
              "forced\r\n"
              "ERROR, [County List] not rewritten for state 19; its rows are unchanged.\r\n");
    const auto rows = county_rows(19);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].crop_indicator[0], 0);
}

TEST_F(table_maintenance_test, failed_rates_read_keeps_the_old_rows) {
    add_county(19, 1, "Adair", 0, {-1, -1, 0, 0, 0, 0, 0, 0, 0});
    add_b_value_set(19, crop_corn, false);
    fixture.exec("DROP TABLE `Continuous Rates`");
    const rewrite_report report = write_county_list(db(), 19);
    EXPECT_TRUE(report.failed());
    EXPECT_EQ(report.text,
              "ERROR, unable to open table [Continuous Rates].\r\n"
              "ERROR, [County List] not rewritten for state 19; its rows are unchanged.\r\n");
    const auto rows = county_rows(19);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].crop_indicator[1], -1);
}

TEST_F(table_maintenance_test, state_without_loaded_counties_is_not_rewritten) {
    add_county(19, 1, "Adair", 0, {-1, 0, 0, 0, 0, 0, 0, 0, 0});
    // The county list cannot be read: its only row holds a text where a number belongs.
    fixture.exec("UPDATE `County List` SET `Region Flag` = 'north'");
    const rewrite_report report = write_county_list(db(), 19);
    EXPECT_NE(report.text.find("ERROR, no counties loaded for state 19; [County List] not rewritten.\r\n"),
              std::string::npos)
        << report.text;
    EXPECT_NE(report.read_errors.find("column [Region Flag]"), std::string::npos) << report.read_errors;
    EXPECT_TRUE(report.failed());
    fixture.exec("UPDATE `County List` SET `Region Flag` = 0");
    const auto rows = county_rows(19);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].crop_indicator[0], -1);
}

// ------------------------------------------------------------ state input listing

TEST_F(table_maintenance_test, county_listing_gives_region_and_two_crop_masks) {
    add_county(19, 1, "Adair", 0, {}, {0, -1, 0, 0, 0, -1, 0, 0, 0});
    add_county(19, 3, "Carroll", -1);
    add_rates(19, 3, 2003, 41);
    add_rates(19, 3, 2003, 18);
    add_rates(19, 3, 2004, 81);  // only 2003 counts in the listing
    add_rates(19, 1, 2003, 11, 90, 12);
    add_rates(19, 1, 2003, 11, 90, 11);
    add_b_value_set(20, crop_corn, false);  // another state's: none of Iowa's columns

    const std::string report = show_state_inputs(db(), 19);
    EXPECT_EQ(report,
              "B Values Single Crop\r\n"
              "B Values Whole Farm\r\n"
              "County List\r\n"
              "19\t1\tAdair\t0\t68\t136\r\n"
              "19\t3\tCarroll\t1\t257\t0\r\n");
}

TEST_F(table_maintenance_test, whole_farm_listing_has_every_b_value_of_each_written_column) {
    add_six_crop_b_values(19);
    add_six_crop_b_values(27);
    add_b_value_set(5, crop_corn, false);
    add_b_value_set(5, crop_rice, false);
    fixture.add<rowset_b_value_whole_farm>(record_b_value_whole_farm{19, 0, 63, 0, 1.5f, 2.25f});
    fixture.add<rowset_b_value_whole_farm>(record_b_value_whole_farm{27, -1, 63, 1, 0.123456f, -0.5f});

    struct case_row {
        int state;
        int lines;
        std::string first;
        std::string probe;
    };
    const case_row cases[] = {
        {19, 63 * 330, "19\t0\t63\t0\t1.50000\t2.25000\t63\tIARRRRRR\r\n",
         "19\t0\t1\t329\t0.00000\t0.00000\t1\tIA00000R\r\n"},
        {27, 126 * 330, "27\t0\t63\t0\t0.00000\t0.00000\t63\tMN-NRRRRRR\r\n",
         "27\t0\t63\t329\t0.00000\t0.00000\t63\tMN-NRRRRRR\r\n27\t1\t63\t0\t0.00000\t0.00000\t63\tMN-SRRRRRR\r\n"
         "27\t1\t63\t1\t0.12346\t-0.50000\t63\tMN-SRRRRRR\r\n"},
        {5, 3 * 165, "5\t0\t9\t0\t0.00000\t0.00000\t9\tARR00R\r\n",
         "5\t0\t9\t164\t0.00000\t0.00000\t9\tARR00R\r\n5\t0\t8\t0\t0.00000\t0.00000\t8\tARR000\r\n"},
    };
    for (const case_row& c : cases) {
        const std::string report = show_state_inputs(db(), c.state);
        const std::string head = "B Values Whole Farm\r\n";
        const auto begin = report.find(head);
        ASSERT_NE(begin, std::string::npos) << c.state;
        const auto end = report.find("County List\r\n");
        ASSERT_NE(end, std::string::npos);
        const std::string listing = report.substr(begin + head.size(), end - begin - head.size());
        EXPECT_EQ(count_of(listing, "\r\n"), c.lines) << c.state;
        EXPECT_EQ(listing.compare(0, c.first.size(), c.first), 0) << c.state;
        EXPECT_NE(listing.find(c.probe), std::string::npos) << c.state;
    }
}

// ------------------------------------------------------------ commands

TEST_F(table_maintenance_test, show_state_inputs_lists_single_crop_then_whole_farm_then_counties) {
    add_b_value_set(19, crop_corn, false);
    add_county(19, 1, "Adair", 0);
    add_county(17, 1, "Adams", 0);  // the default farm's state
    const std::string report = show_state_inputs(db(), 19);
    EXPECT_EQ(report.find("ERROR"), std::string::npos) << report;
    const auto single = report.find("B Values Single Crop\r\n");
    const auto whole = report.find("B Values Whole Farm\r\n");
    const auto counties = report.find("County List\r\n");
    ASSERT_NE(single, std::string::npos);
    ASSERT_NE(whole, std::string::npos);
    ASSERT_NE(counties, std::string::npos);
    EXPECT_LT(single, whole);
    EXPECT_LT(whole, counties);
    EXPECT_NE(report.find("Crop\t1\tSet\t1\r\n"), std::string::npos);
    EXPECT_EQ(report.substr(counties), "County List\r\n19\t1\tAdair\t0\t0\t0\r\n");
}

TEST_F(table_maintenance_test, write_column_lookup_rewrites_the_current_state) {
    add_six_crop_b_values(19);
    add_county(19, 1, "Adair", 0);
    add_county(17, 1, "Adams", 0);
    add_column_row(19, 99, "STALE");
    const std::string report = write_column_lookup(db(), 19).text;
    EXPECT_EQ(report, "Rows written\t63");
    EXPECT_EQ(column_rows(19).size(), 63u);
}

TEST_F(table_maintenance_test, column_lookup_all_states_reports_each_count_in_turn) {
    add_six_crop_b_values(19);
    add_six_crop_b_values(27);
    add_b_value_set(5, crop_corn, false);
    add_b_value_set(5, crop_rice, false);
    // An empty single-crop b-value table is reported for every state.
    fixture.exec("DELETE FROM `B Value Single Crop`");

    const std::string report = write_column_lookup_all_states(db()).text;
    std::vector<int> expected(rated_states.size(), 0);
    for (std::size_t i = 0; i < rated_states.size(); ++i) {
        if (rated_states[i] == 5) expected[i] = 3;
        if (rated_states[i] == 19) expected[i] = 63;
        if (rated_states[i] == 27) expected[i] = 126;
    }
    EXPECT_EQ(rows_written_counts(report), expected);
    EXPECT_FALSE(std::regex_search(report, std::regex("Rows written\t[0-9]+\r\n")));
    // The b values are read anew for each state.
    EXPECT_EQ(count_of(report, "ERROR, no records in [B Value Single Crop].\r\n"), 23);
    EXPECT_EQ(column_rows(5).size(), 3u);
    EXPECT_EQ(column_rows(19).size(), 63u);
    EXPECT_EQ(column_rows(27).size(), 126u);
}

TEST_F(table_maintenance_test, all_county_lists_read_the_b_values_once_and_skip_states_without_counties) {
    add_county(19, 1, "Adair", 0);
    add_county(17, 1, "Adams", 0);
    add_rates(19, 1, 2004, 41);
    add_rates(17, 1, 2004, 81);
    fixture.exec("DELETE FROM `B Value Single Crop`");

    const std::string report = write_all_county_lists(db()).text;
    EXPECT_EQ(count_of(report, "ERROR, no records in [B Value Single Crop].\r\n"), 1);
    EXPECT_EQ(count_of(report, "; [County List] not rewritten.\r\n"), 21);
    EXPECT_NE(report.find("ERROR, no counties loaded for state 4; [County List] not rewritten.\r\n"),
              std::string::npos);
    EXPECT_EQ(report.find("ERROR, no counties loaded for state 19"), std::string::npos);
    EXPECT_EQ(report.find("not rewritten for state"), std::string::npos) << report;
    ASSERT_EQ(county_rows(19).size(), 1u);
    EXPECT_EQ(county_rows(19)[0].crop_indicator[0], -1);
    ASSERT_EQ(county_rows(17).size(), 1u);
    EXPECT_EQ(county_rows(17)[0].crop_indicator[1], -1);
}

}  // namespace
}  // namespace zelmora
