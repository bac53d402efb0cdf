// Farm files: what the window writes is what the command line rates. Each
// example is read as the command line reads its inputs, rated, written as a
// farm file, read back and rated again.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fixture_database.h"
#include "rating/farm_file.h"
#include "rating/rating_session.h"

using namespace zelmora;
using zelmora::testing::scratch_directory;

namespace {

namespace fs = std::filesystem;

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

const std::string examples_dir = std::string(ZELMORA_SOURCE_DIR) + "/examples";

// Every figure of a rating as text: each unit's or its reason, each crop's
// enterprise unit, the whole-farm unit and its limit note, the errors.
std::string figures_text(const farm_rating& rating) {
    std::string text;
    auto add = [&text](const premium_figures& p) {
        for (const exact_decimal* v :
             {&p.revenue_guarantee, &p.per_acre_premium, &p.total_premium, &p.subsidy, &p.producer_premium})
            text += "\t" + v->to_text(2);
        text += "\n";
    };
    for (int c = 1; c <= crop_count; ++c) {
        for (const unit_rating& unit : rating.units[static_cast<std::size_t>(c - 1)]) {
            if (unit.figures) add(*unit.figures);
            text += unit.reason + unit.base_rate.to_text(8) + "\n";
        }
        add(rating.enterprise_figures(c));
    }
    add(rating.whole_farm_figures());
    return text + rating.limit_note + "\n" + rating.error_text();
}

// The farm file at `path` read as the command line reads its inputs, and rated.
struct rated_farm {
    farm f;
    std::string figures;
    std::string farm_text;
};

void rate_file(const std::string& path, rated_farm& rated) {
    memory_settings_store store;
    std::string error;
    ASSERT_TRUE(read_farm_file(path, store, error)) << error;
    rated.f = read_farm(store);
    rating_session session;
    ASSERT_TRUE(session.open(ZELMORA_DEMO_DATABASE, error)) << error;
    rated.figures = figures_text(session.rate(rated.f));
    rated.farm_text = farm_file_text(rated.f);
}

}  // namespace

TEST(FarmFile, EveryExampleWrittenAndReadBackRatesTheSameAndWritesTheSameText) {
    scratch_directory scratch;
    for (const char* name : {"iowa-farm.ini", "north-dakota-farm.ini", "arkansas-farm.ini"}) {
        SCOPED_TRACE(name);
        rated_farm original;
        rate_file(examples_dir + "/" + name, original);
        ASSERT_NE(original.figures.find('\t'), std::string::npos);

        const std::string copy = scratch.file(name);
        std::string error;
        ASSERT_TRUE(write_farm_file(copy, original.farm_text, error)) << error;
        EXPECT_EQ(read_file(copy), original.farm_text);
        rated_farm again;
        rate_file(copy, again);
        EXPECT_TRUE(again.f == original.f);
        EXPECT_EQ(again.figures, original.figures);
        EXPECT_EQ(again.farm_text, original.farm_text);
    }
}

TEST(FarmFile, HoldsTheInputsTheSettingsStoreDoesNotKeepOneKeyALine) {
    rated_farm iowa;
    rate_file(examples_dir + "/iowa-farm.ini", iowa);
    const std::string& text = iowa.farm_text;
    for (const char* line : {"\n[Settings]\nState FIPS=19\nCounty FIPS=169\n", "\nCoverage Whole Farm=75\n",
                             "\nPP Factor 5 Corn=1.030\n", "\nPP Factor 10 Corn=1.050\n", "\nCR Option 1 03=",
                             "\nMalting Barley Option=2\n", "\n[APHContinuous]\nMap Area=0\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    // Only the units the farm has: corn has three.
    EXPECT_EQ(text.find("CR Option 1 04"), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_LT(text.find("Prevented Planting Select Whole Farm="), text.find("Coverage Whole Farm="));
    EXPECT_LT(text.find("Coverage Whole Farm="), text.find("[APHContinuous]"));
}

TEST(FarmFile, FactorsKeepThePlacesTheyWereTypedWith) {
    rated_farm iowa;
    rate_file(examples_dir + "/iowa-farm.ini", iowa);
    farm& f = iowa.f;
    f.inputs.ppcl_factor[1][1] = 1.0275;
    f.inputs.units[0][2].cr_option_factor = 0.9;
    const std::string text = farm_file_text(f);
    EXPECT_NE(text.find("\nPP Factor 10 Soybeans=1.0275\n"), std::string::npos);
    EXPECT_NE(text.find("\nCR Option 1 03=0.900\n"), std::string::npos);
}

TEST(FarmFile, ReadFarmTakesTheFileOverTheDefaults) {
    memory_settings_store store;
    std::string error;
    ASSERT_TRUE(read_farm_file(examples_dir + "/iowa-farm.ini", store, error)) << error;
    const farm f = read_farm(store);
    EXPECT_EQ(f.state_fips, 19);
    EXPECT_EQ(f.inputs.county_fips, 169);
    EXPECT_EQ(f.inputs.coverage_whole_farm, 75);
    EXPECT_EQ(f.inputs.units[0].size(), 3u);
    EXPECT_EQ(f.inputs.ppcl_factor[0][0].to_text(2), "1.03");
    EXPECT_EQ(f.inputs.ppcl_factor[0][1].to_text(2), "1.02");  // soybeans keep the default
    memory_settings_store empty;
    const farm defaults = read_farm(empty);
    EXPECT_EQ(defaults.state_fips, 17);
    EXPECT_EQ(defaults.inputs.county_fips, 1);
    EXPECT_TRUE(defaults.inputs.units[0].empty());
}

TEST(FarmFile, ARefusedFileNamesItsKeyOrLine) {
    scratch_directory scratch;
    struct refused {
        const char* text;
        const char* after_path;
    };
    const refused cases[] = {
        {"[Settings]\nCoverage Whole Farm=72\n",
         "\": \"Coverage Whole Farm\" must be 65, 70, 75, 80 or 85, not \"72\""},
        {"[Settings]\nPP Factor 5 Corm=1.02\n", "\": \"PP Factor 5 Corm\" names no crop or unit of these inputs"},
        {"[Settings]\nState FIPS\n", "\", line 2: expected [section], key=value or a comment"},
    };
    for (const refused& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string path = scratch.file("refused.ini");
        write_file(path, c.text);
        memory_settings_store store;
        std::string error;
        EXPECT_FALSE(read_farm_file(path, store, error));
        EXPECT_EQ(error, "inputs file \"" + path + c.after_path);
    }
}

TEST(FarmFile, AFailedWriteSaysWhyAndLeavesTheOldFileAsItWas) {
    scratch_directory scratch;
    const std::string path = scratch.file("farm.ini");
    write_file(path, "[Settings]\nState FIPS=19\n");
    std::string error;

    // The temporary file beside it cannot be made.
    fs::create_directories(scratch.path() / ".farm.ini.saving" / "in the way");
    EXPECT_FALSE(write_farm_file(path, "[Settings]\nState FIPS=38\n", error));
    EXPECT_EQ(error.rfind("cannot write farm file \"" + path + "\": ", 0), 0u) << error;
    EXPECT_EQ(read_file(path), "[Settings]\nState FIPS=19\n");
    fs::remove_all(scratch.path() / ".farm.ini.saving");

    // A folder that is not there, and a folder in place of the file.
    EXPECT_FALSE(write_farm_file(scratch.file("gone/farm.ini"), "x", error));
    EXPECT_NE(error.find("gone/farm.ini\": "), std::string::npos) << error;
    EXPECT_FALSE(write_farm_file(scratch.path().string(), "x", error));
    EXPECT_NE(error.find("it is a folder"), std::string::npos) << error;

    // A folder the user may not write to (the superuser may).
    fs::permissions(scratch.path(), fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(scratch.path().c_str(), W_OK) != 0) {
        EXPECT_FALSE(write_farm_file(path, "[Settings]\nState FIPS=38\n", error));
        EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
        EXPECT_EQ(read_file(path), "[Settings]\nState FIPS=19\n");
    }
    fs::permissions(scratch.path(), fs::perms::owner_all);

    // A write that succeeds replaces the file and leaves no temporary behind.
    ASSERT_TRUE(write_farm_file(path, "[Settings]\nState FIPS=38\n", error)) << error;
    EXPECT_EQ(read_file(path), "[Settings]\nState FIPS=38\n");
    EXPECT_FALSE(fs::exists(scratch.path() / ".farm.ini.saving"));
}
