#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

#include "data/crops.h"
#include "data/rowsets.h"
#include "data/state_record.h"
#include "fixture_database.h"
#include "table_rows.h"

using zelmora::state_record;
using zelmora::testing::fixture_database;

namespace {

zelmora::record_county_list county_row(int state, int county, const std::string& name, int region = 0) {
    return zelmora::testing::rows::county(state, county, name.c_str(), region);
}

zelmora::record_b_value_whole_farm whole_farm_row(int state, int region, int column, int index, float b, float hg) {
    return zelmora::testing::rows::whole_farm_b(state, region, column, index, b, hg);
}

zelmora::record_continuous_rates rates_row(int state, int county, int year, int crop, int plan, int type) {
    return zelmora::testing::rows::rates(state, county, year, crop, plan, 3, type);
}

double b_at(const state_record& s, bool hg, int region, int column, int index) {
    return s.whole_farm_b_value(hg, region, column, index).to_double();
}

std::array<bool, 9> crops(std::initializer_list<int> crop_numbers) {
    std::array<bool, 9> flags{};
    for (int c : crop_numbers) flags[static_cast<std::size_t>(c - 1)] = true;
    return flags;
}

state_record record_for(int state) {
    state_record s;
    s.set_state_fips(state);
    return s;
}

}  // namespace

TEST(StateRecord, StartsEmptyWithoutState) {
    state_record s;
    EXPECT_EQ(s.state_fips(), -1);
    EXPECT_EQ(s.county_count(), 0);
    EXPECT_EQ(s.county_fips_at(0), 0);
    EXPECT_EQ(b_at(s, false, 0, 1, 0), 0.0);
    EXPECT_EQ(s.reserved(), 0);
}

TEST(StateRecord, CountiesAreListedInFipsOrderAndOnlyForTheState) {
    fixture_database f;
    f.add<zelmora::rowset_county_list>(county_row(19, 5, "Five"));
    f.add<zelmora::rowset_county_list>(county_row(20, 2, "Other state"));
    f.add<zelmora::rowset_county_list>(county_row(19, 1, "One"));
    f.add<zelmora::rowset_county_list>(county_row(19, 3, "Three"));

    state_record s = record_for(19);
    std::string error;
    EXPECT_TRUE(s.read_county_list(f.db(), error));
    EXPECT_EQ(error, "");
    ASSERT_EQ(s.county_count(), 3);
    EXPECT_EQ(s.county_fips_at(0), 1);
    EXPECT_EQ(s.county_fips_at(1), 3);
    EXPECT_EQ(s.county_fips_at(2), 5);
    EXPECT_EQ(s.county_fips_at(3), 0);
    EXPECT_EQ(s.county_fips_at(-1), 0);
    using item = std::pair<std::string, int>;
    EXPECT_EQ(s.county_names_and_fips(), (std::vector<item>{{"One", 1}, {"Three", 3}, {"Five", 5}}));
}

TEST(StateRecord, EqualCountyCodeGoesBeforeTheExistingOne) {
    state_record s;
    zelmora::county_record a;
    a.county_fips = 7;
    a.county_name = "first";
    zelmora::county_record b = a;
    b.county_name = "second";
    zelmora::county_record c;
    c.county_fips = 9;
    s.insert_county(c);
    s.insert_county(a);
    s.insert_county(b);
    ASSERT_EQ(s.county_count(), 3);
    EXPECT_EQ(s.counties()[0].county_name, "second");
    EXPECT_EQ(s.counties()[1].county_name, "first");
    EXPECT_EQ(s.counties()[2].county_fips, 9);
}

TEST(StateRecord, LoadingAnotherStateDropsThePreviousData) {
    fixture_database f;
    f.add<zelmora::rowset_county_list>(county_row(19, 1, "Iowa county"));
    f.add<zelmora::rowset_b_value_whole_farm>(whole_farm_row(19, 0, 3, 10, 1.5f, 2.5f));

    state_record s = record_for(19);
    std::string error;
    ASSERT_TRUE(s.read_county_list(f.db(), error));
    ASSERT_EQ(b_at(s, false, 0, 3, 10), 1.5);

    s.set_state_fips(20);
    EXPECT_FALSE(s.read_county_list(f.db(), error));
    EXPECT_EQ(error, "ERROR, no counties for state.\r\n");
    EXPECT_EQ(s.county_count(), 0);
    EXPECT_EQ(b_at(s, false, 0, 3, 10), 0.0);
    EXPECT_EQ(b_at(s, true, 0, 3, 10), 0.0);
}

TEST(StateRecord, UnopenableCountyListStillLoadsWholeFarmBValues) {
    fixture_database f;
    f.add<zelmora::rowset_b_value_whole_farm>(whole_farm_row(19, 0, 2, 4, 0.25f, 0.75f));
    f.exec("DROP TABLE `County List`");

    state_record s = record_for(19);
    std::string error;
    EXPECT_FALSE(s.read_county_list(f.db(), error));
    EXPECT_EQ(error, "ERROR, unable to open table County List\r\n");
    EXPECT_EQ(s.county_count(), 0);
    EXPECT_EQ(b_at(s, false, 0, 2, 4), 0.25);
    EXPECT_EQ(b_at(s, true, 0, 2, 4), 0.75);
}

TEST(StateRecord, UnopenableWholeFarmTableIsReportedAfterTheCounties) {
    fixture_database f;
    f.add<zelmora::rowset_county_list>(county_row(19, 1, "One"));
    f.exec("DROP TABLE `B Value Whole Farm`");

    state_record s = record_for(19);
    std::string error;
    EXPECT_FALSE(s.read_county_list(f.db(), error));
    EXPECT_EQ(error, "ERROR, unable to open table B Value Whole Farm\r\n");
    EXPECT_EQ(s.county_count(), 1);
}

TEST(StateRecord, StateWithoutWholeFarmRowsLoadsWithZeroBValues) {
    fixture_database f;
    f.add<zelmora::rowset_county_list>(county_row(19, 1, "One"));
    f.add<zelmora::rowset_b_value_whole_farm>(whole_farm_row(20, 0, 1, 0, 9.0f, 9.0f));

    state_record s = record_for(19);
    std::string error;
    EXPECT_TRUE(s.read_county_list(f.db(), error));
    EXPECT_EQ(error, "");
    for (int region : {0, 1})
        for (int column : {1, 32, 64})
            for (int index : {0, 164, 329}) {
                EXPECT_EQ(b_at(s, false, region, column, index), 0.0);
                EXPECT_EQ(b_at(s, true, region, column, index), 0.0);
            }
}

TEST(StateRecord, WholeFarmBValuesAreStoredByRegionColumnAndIndex) {
    fixture_database f;
    f.add<zelmora::rowset_county_list>(county_row(27, 1, "One"));
    f.add<zelmora::rowset_b_value_whole_farm>(whole_farm_row(27, 0, 1, 0, 0.125f, 1.125f));
    f.add<zelmora::rowset_b_value_whole_farm>(whole_farm_row(27, -1, 64, 329, 0.1f, 0.2f));
    f.add<zelmora::rowset_b_value_whole_farm>(whole_farm_row(27, 0, 64, 329, 3.0f, 4.0f));

    state_record s = record_for(27);
    std::string error;
    ASSERT_TRUE(s.read_county_list(f.db(), error)) << error;

    EXPECT_EQ(b_at(s, false, 0, 1, 0), 0.125);
    EXPECT_EQ(b_at(s, true, 0, 1, 0), 1.125);
    EXPECT_EQ(b_at(s, false, 1, 1, 0), 0.0);
    // Single-precision values widened, not re-rounded to the decimal text.
    EXPECT_EQ(b_at(s, false, 1, 64, 329), static_cast<double>(0.1f));
    EXPECT_EQ(b_at(s, true, 1, 64, 329), static_cast<double>(0.2f));
    EXPECT_EQ(b_at(s, false, 0, 64, 329), 3.0);
    // Any region argument other than 1 reads region 0.
    EXPECT_EQ(b_at(s, false, 2, 64, 329), 3.0);
    EXPECT_EQ(b_at(s, false, -1, 64, 329), 3.0);
}

TEST(StateRecord, WholeFarmBValueOutsideTheTableIsZero) {
    fixture_database f;
    f.add<zelmora::rowset_county_list>(county_row(19, 1, "One"));
    // Neighbours of every edge, so that a wrong offset would read them.
    f.add<zelmora::rowset_b_value_whole_farm>(whole_farm_row(19, 0, 1, 0, 1.0f, 1.0f));
    f.add<zelmora::rowset_b_value_whole_farm>(whole_farm_row(19, 0, 1, 329, 2.0f, 2.0f));
    f.add<zelmora::rowset_b_value_whole_farm>(whole_farm_row(19, 0, 2, 0, 3.0f, 3.0f));
    f.add<zelmora::rowset_b_value_whole_farm>(whole_farm_row(19, -1, 1, 0, 4.0f, 4.0f));
    f.add<zelmora::rowset_b_value_whole_farm>(whole_farm_row(19, 0, 64, 329, 5.0f, 5.0f));

    state_record s = record_for(19);
    std::string error;
    ASSERT_TRUE(s.read_county_list(f.db(), error)) << error;
    struct address {
        int region, column, index;
    };
    for (const address a : {address{0, 0, 0}, address{0, 0, 329}, address{0, 65, 0}, address{0, 1, -1},
                            address{0, 1, 330}, address{0, 2, -1}, address{1, 0, 0}, address{0, 64, 330},
                            address{1, 65, 0}}) {
        EXPECT_EQ(b_at(s, false, a.region, a.column, a.index), 0.0) << a.region << " " << a.column << " " << a.index;
        EXPECT_EQ(b_at(s, true, a.region, a.column, a.index), 0.0) << a.region << " " << a.column << " " << a.index;
    }
}

// A row whose column number or b index has no place in the tables is refused
// when read: the reading of the state's b values stops there, and the connection
// names the table, the column, the rowid and the rule.
TEST(StateRecord, WholeFarmRowsOutsideTheTablesEndTheReadingWithTheirRule) {
    const struct {
        int column, index;
        const char* error;
    } cases[] = {
        {0, 2, "column [Column Number], rowid 2: 0 is not a whole number from 1 to 64\r\n"},
        {65, 2, "column [Column Number], rowid 2: 65 is not a whole number from 1 to 64\r\n"},
        {-3, 2, "column [Column Number], rowid 2: -3 is not a whole number from 1 to 64\r\n"},
        // 330 of column 5 would land on index 0 of column 6; -1 on 329 of column 4.
        {5, 330, "column [B Index], rowid 2: 330 is not a whole number from 0 to 329\r\n"},
        {5, -1, "column [B Index], rowid 2: -1 is not a whole number from 0 to 329\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        fixture_database f;
        f.add<zelmora::rowset_county_list>(county_row(19, 1, "One"));
        f.add<zelmora::rowset_b_value_whole_farm>(whole_farm_row(19, 0, 5, 1, 1.5f, 2.5f));
        f.add<zelmora::rowset_b_value_whole_farm>(whole_farm_row(19, 0, c.column, c.index, 7.0f, 7.0f));
        f.add<zelmora::rowset_b_value_whole_farm>(whole_farm_row(19, 0, 5, 3, 8.0f, 8.0f));

        state_record s = record_for(19);
        std::string error;
        const zelmora::read_errors_scope reads(f.db());
        s.read_county_list(f.db(), error);
        EXPECT_EQ(reads.errors(),
                  std::string("ERROR, unusable value in table [B Value Whole Farm], ") + c.error);
        EXPECT_EQ(s.county_count(), 1);
        EXPECT_EQ(b_at(s, false, 0, 5, 1), 1.5);
        EXPECT_EQ(b_at(s, true, 0, 5, 1), 2.5);
        EXPECT_EQ(b_at(s, false, 0, 6, 0), 0.0);
        EXPECT_EQ(b_at(s, false, 0, 4, 329), 0.0);
        EXPECT_EQ(b_at(s, false, 0, 5, 3), 0.0);  // after the refused row: not read
    }
}

TEST(StateRecord, CountyQueries) {
    fixture_database f;
    auto a = county_row(46, 3, "Brookings", -1);
    a.crop_indicator[0] = -1;       // Corn
    a.crop_indicator[1] = 1;        // Soybeans, written by the system as 1
    a.indicator_8085[0] = -1;       // Corn
    a.indicator_8085[7] = -1;       // Cotton
    auto b = county_row(46, 5, "Pennington", 1);  // a region flag of 1 is not the delivered true
    f.add<zelmora::rowset_county_list>(a);
    f.add<zelmora::rowset_county_list>(b);

    state_record s = record_for(46);
    std::string error;
    ASSERT_TRUE(s.read_county_list(f.db(), error)) << error;

    EXPECT_EQ(s.county_name(3), "Brookings");
    EXPECT_EQ(s.county_name(4), "ERROR");
    EXPECT_TRUE(s.county_region(3));
    EXPECT_FALSE(s.county_region(5));
    EXPECT_FALSE(s.county_region(4));
    ASSERT_NE(s.find_county(3), nullptr);
    EXPECT_EQ(s.find_county(3)->crop_indicator_raw[0], -1);
    EXPECT_EQ(s.find_county(4), nullptr);

    EXPECT_EQ(s.crop_offered(3, zelmora::crop_corn), 1);
    EXPECT_EQ(s.crop_offered(3, zelmora::crop_soybeans), 1);
    EXPECT_EQ(s.crop_offered(3, zelmora::crop_barley), 0);
    EXPECT_EQ(s.crop_offered(4, zelmora::crop_corn), 0);
    EXPECT_EQ(s.crop_offered(3, 0), 0);
    EXPECT_EQ(s.crop_offered(3, 10), 0);

    EXPECT_TRUE(s.offers_high_coverage(3, zelmora::crop_corn));
    EXPECT_FALSE(s.offers_high_coverage(3, zelmora::crop_cotton));
    EXPECT_FALSE(s.offers_high_coverage(3, zelmora::crop_soybeans));
    EXPECT_FALSE(s.offers_high_coverage(4, zelmora::crop_corn));
    EXPECT_FALSE(s.offers_high_coverage(3, 0));
    EXPECT_FALSE(s.offers_high_coverage(3, 10));
}

TEST(StateRecord, FourCropStates) {
    for (int fips = -1; fips <= 80; ++fips) {
        const bool expected = fips == 5 || fips == 22 || fips == 40;
        EXPECT_EQ(zelmora::is_four_crop_state_fips(fips), expected) << fips;
        EXPECT_EQ(record_for(fips).is_four_crop_state(), expected) << fips;
    }
}

TEST(StateCodes, AbbreviationsAndNames) {
    struct row {
        int fips;
        const char* abbreviation;
        const char* name;
    };
    for (const row& r : {row{1, "AL", "Alabama"}, row{11, "DC", "District of Columbia"}, row{19, "IA", "Iowa"},
                         row{27, "MN", "Minnesota"}, row{46, "SD", "South Dakota"}, row{56, "WY", "Wyoming"},
                         row{60, "AS", "American Samoa"}, row{66, "GU", "Guam"}, row{69, "MP", "Northern Mariana"},
                         row{72, "PR", "Puerto Rico"}, row{78, "VI", "Virgin Islands"}, row{3, "", ""},
                         row{43, "", ""}, row{57, "", ""}, row{0, "", ""}, row{-1, "", ""}, row{79, "", ""},
                         row{1000, "", ""}}) {
        EXPECT_EQ(zelmora::state_abbreviation(r.fips), r.abbreviation) << r.fips;
        EXPECT_EQ(zelmora::state_name(r.fips), r.name) << r.fips;
    }
}

TEST(StateCodes, FiftySixCodesAreNamed) {
    std::set<std::string> abbreviations;
    int named = 0;
    for (int fips = 1; fips <= 78; ++fips) {
        const std::string a = zelmora::state_abbreviation(fips);
        EXPECT_EQ(a.empty(), zelmora::state_name(fips).empty()) << fips;
        if (a.empty()) continue;
        ++named;
        EXPECT_EQ(a.size(), 2u) << fips;
        abbreviations.insert(a);
    }
    EXPECT_EQ(named, 56);
    EXPECT_EQ(abbreviations.size(), 56u);
}

TEST(StateRecord, MakeColumnCode) {
    using namespace zelmora;
    struct row {
        int state;
        std::array<bool, 9> indicated;
        bool harvest;
        bool region;
        const char* code;
    };
    const std::array<bool, 9> all = crops({1, 2, 3, 4, 5, 6, 7, 8, 9});
    for (const row& r : {
             row{19, crops({crop_corn, crop_soybeans}), false, false, "IARR0000"},
             row{19, crops({crop_corn, crop_soybeans}), false, true, "IARR0000"},
             row{27, crops({crop_corn, crop_soybeans}), false, false, "MN-NRR0000"},
             row{27, crops({crop_corn, crop_soybeans}), false, true, "MN-SRR0000"},
             row{46, crops({1, 2, 3, 4, 5, 6}), true, false, "SD-WCCCCCC"},
             row{46, crops({crop_barley}), false, true, "SD-E00000R"},
             row{38, crops({crop_spring_wheat, crop_sunflower}), true, false, "ND00C0C0"},
             // Winter Wheat, Cotton and Rice have no place in the six-crop code.
             row{19, crops({crop_winter_wheat, crop_cotton, crop_rice}), false, false, "IA000000"},
             row{19, all, false, false, "IARRRRRR"},
             // Four-crop states: Corn, Soybeans, Cotton, Rice.
             row{5, crops({crop_corn, crop_rice}), true, false, "ARC00C"},
             row{22, crops({crop_soybeans, crop_cotton, crop_spring_wheat}), false, false, "LA0RR0"},
             row{40, all, false, true, "OKRRRR"},
             row{5, crops({}), false, false, "AR0000"},
         }) {
        EXPECT_EQ(record_for(r.state).make_column_code(r.indicated, r.harvest, r.region), r.code) << r.code;
    }
}

TEST(StateRecord, ColumnForCropsSixCropState) {
    const state_record s = record_for(19);
    const std::set<int> with_b_values = {zelmora::crop_corn, zelmora::crop_soybeans, zelmora::crop_spring_wheat,
                                         zelmora::crop_sunflower, zelmora::crop_barley};
    std::vector<int> asked;
    auto has_b_values = [&](int crop) {
        asked.push_back(crop);
        return with_b_values.count(crop) > 0;
    };

    int column = -7;
    std::array<bool, 9> flags;
    flags.fill(true);
    EXPECT_TRUE(s.column_for_crops(has_b_values, 32 | 16, column, flags));
    EXPECT_EQ(column, 48);
    EXPECT_EQ(flags, crops({zelmora::crop_corn, zelmora::crop_soybeans}));
    EXPECT_EQ(asked, (std::vector<int>{zelmora::crop_corn, zelmora::crop_soybeans}));

    // Canola (bit 4) has no b values: false, and the column keeps only the others.
    EXPECT_FALSE(s.column_for_crops(has_b_values, 63, column, flags));
    EXPECT_EQ(column, 59);
    EXPECT_EQ(flags, crops({1, 2, 3, 5, 6}));

    EXPECT_FALSE(s.column_for_crops(has_b_values, 4, column, flags));
    EXPECT_EQ(column, 0);
    EXPECT_EQ(flags, crops({}));

    EXPECT_TRUE(s.column_for_crops(has_b_values, 8 | 2 | 1, column, flags));
    EXPECT_EQ(column, 11);
    EXPECT_EQ(flags, crops({zelmora::crop_spring_wheat, zelmora::crop_sunflower, zelmora::crop_barley}));
}

TEST(StateRecord, ColumnForCropsFourCropState) {
    const state_record s = record_for(22);
    auto all_but_soybeans = [](int crop) { return crop != zelmora::crop_soybeans; };
    int column = 0;
    std::array<bool, 9> flags{};
    EXPECT_TRUE(s.column_for_crops([](int) { return true; }, 15, column, flags));
    EXPECT_EQ(column, 15);
    EXPECT_EQ(flags, crops({zelmora::crop_corn, zelmora::crop_soybeans, zelmora::crop_cotton, zelmora::crop_rice}));

    EXPECT_FALSE(s.column_for_crops(all_but_soybeans, 15, column, flags));
    EXPECT_EQ(column, 11);
    EXPECT_EQ(flags, crops({zelmora::crop_corn, zelmora::crop_cotton, zelmora::crop_rice}));

    EXPECT_TRUE(s.column_for_crops(all_but_soybeans, 8 | 1, column, flags));
    EXPECT_EQ(column, 9);
    EXPECT_EQ(flags, crops({zelmora::crop_corn, zelmora::crop_rice}));
}

TEST(StateRecord, FindCropsInCounty) {
    fixture_database f;
    using R = zelmora::rowset_continuous_rates;
    f.add<R>(rates_row(19, 7, 2003, 41, 90, 0));    // Corn
    f.add<R>(rates_row(19, 7, 2003, 11, 90, 12));   // Spring Wheat
    f.add<R>(rates_row(19, 7, 2003, 11, 90, 11));   // Winter Wheat
    f.add<R>(rates_row(19, 7, 2003, 99, 90, 0));    // no crop
    f.add<R>(rates_row(19, 7, 2004, 81, 90, 0));    // other year
    f.add<R>(rates_row(19, 7, 2003, 21, 2, 0));     // other plan
    f.add<R>(rates_row(19, 8, 2003, 18, 90, 0));    // other county
    f.add<R>(rates_row(20, 7, 2003, 91, 90, 0));    // other state

    const state_record s = record_for(19);
    std::array<int, 9> flags;
    flags.fill(5);
    std::string error;
    EXPECT_TRUE(s.find_crops_in_county(f.db(), 7, flags, error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(flags, (std::array<int, 9>{1, 0, 1, 0, 0, 0, 1, 0, 0}));

    flags.fill(5);
    EXPECT_FALSE(s.find_crops_in_county(f.db(), 9, flags, error));
    EXPECT_EQ(error, "ERROR, no records in [Continuous Rates] for state 19.\r\n");
    EXPECT_EQ(flags, (std::array<int, 9>{}));

}

TEST(StateRecord, FindCropsInCountyWithoutTheTable) {
    fixture_database f;
    f.exec("DROP TABLE `Continuous Rates`");
    std::array<int, 9> flags;
    flags.fill(5);
    std::string error;
    EXPECT_FALSE(record_for(19).find_crops_in_county(f.db(), 7, flags, error));
    EXPECT_EQ(error, "ERROR, unable to open table Continuous Rates\r\n");
    EXPECT_EQ(flags, (std::array<int, 9>{}));
}
