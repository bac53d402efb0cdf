// Farm files: what the window writes is what the command line rates. Each
// example is read as the command line reads its inputs, rated, written as a
// farm file, read back and rated again.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fixture_database.h"
#include "rating/farm.h"
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

// Whatever is typed into the details comes back from the file as it was typed
// (a line break of any kind as "\n"); the farm's inputs and its rating stay those
// of the file without details, and the command line takes the file.
TEST(FarmFile, DetailsReadBackAsTheyWereWrittenBesideTheFarm) {
    using namespace std::string_literals;
    struct detail_case {
        std::string text;
        std::string read_back;  // empty: the text itself
    };
    const detail_case cases[] = {
        {"Jane Q. Doe", ""},
        {"  blanks at both ends  ", ""},
        {"\"in quotes\"", ""},
        {"007", ""},
        {"+1 701 555 0100", ""},
        {"12345", ""},
        {"first line\nsecond line\n\nfourth", ""},
        {"windows\r\nlines\rand a lone CR", "windows\nlines\nand a lone CR"},
        {"C:\\farms\\new\\n is not a break", ""},
        {"ends in a backslash\\", ""},
        {"\\n typed as two characters", ""},
        {"; [Section] key=value # not a comment", ""},
        {"tab\there, \xC3\xBCml\xC3\xA4ut", ""},
        {"NUL\0dropped"s, "NULdropped"},
    };
    rated_farm iowa;
    rate_file(examples_dir + "/iowa-farm.ini", iowa);
    scratch_directory scratch;
    for (const detail_case& c : cases) {
        const std::string& text = c.text;
        SCOPED_TRACE(text);
        const farm_details details{text, "Agent " + text, text, text};
        const std::string farm_text = farm_file_text(iowa.f, details);
        EXPECT_EQ(farm_text.rfind(iowa.farm_text, 0), 0u) << "the details follow the farm";
        EXPECT_NE(farm_text.find("\n[Farm Details]\nProducer=\""), std::string::npos) << farm_text;
        // Each detail is one line of the file.
        EXPECT_EQ(std::count(farm_text.begin() + static_cast<std::ptrdiff_t>(iowa.farm_text.size()), farm_text.end(), '\n'),
                  6);
        const std::string path = scratch.file("details.ini");
        std::string error;
        ASSERT_TRUE(write_farm_file(path, farm_text, error)) << error;
        memory_settings_store store;
        ASSERT_TRUE(read_farm_file(path, store, error)) << error;
        const std::string expected = c.read_back.empty() ? text : c.read_back;
        EXPECT_EQ(read_farm_details(store), (farm_details{expected, "Agent " + expected, expected, expected}));
        rated_farm again;
        rate_file(path, again);
        EXPECT_EQ(again.figures, iowa.figures);
        EXPECT_EQ(again.farm_text, iowa.farm_text);
    }
    // No details, no section; a file without the section has none.
    EXPECT_EQ(farm_file_text(iowa.f, farm_details{}), iowa.farm_text);
    memory_settings_store without;
    std::string error;
    ASSERT_TRUE(read_farm_file(examples_dir + "/iowa-farm.ini", without, error)) << error;
    EXPECT_TRUE(read_farm_details(without).empty());
    // Only the details given are written, in a fixed order.
    const std::string some = farm_file_text(iowa.f, {"", "A. Gent", "", "x"});
    EXPECT_EQ(some.substr(iowa.farm_text.size()), "\n[Farm Details]\nAgent=\"A. Gent\"\nNote=\"x\"\n");
}

TEST(FarmFile, ThePayoutModelIsWrittenWhereItDiffersFromTheDefaultsAndReadBack) {
    rated_farm iowa;
    rate_file(examples_dir + "/iowa-farm.ini", iowa);
    // The default model writes nothing: today's files stay as they are.
    EXPECT_EQ(farm_file_text(iowa.f, {}, payout_model{}), iowa.farm_text);
    payout_model model;
    model.yield_cv = 0.35;
    model.crop_correlation = 0.125;
    const std::string text = farm_file_text(iowa.f, {"Jane", "", "", ""}, model);
    EXPECT_EQ(text.substr(iowa.farm_text.size()),
              "\n[Payout Model]\nYield CV=0.35\nCrop Correlation=0.125\n\n[Farm Details]\nProducer=\"Jane\"\n");
    scratch_directory scratch;
    const std::string path = scratch.file("model.ini");
    std::string error;
    ASSERT_TRUE(write_farm_file(path, text, error)) << error;
    memory_settings_store store;
    ASSERT_TRUE(read_farm_file(path, store, error)) << error;
    EXPECT_EQ(read_payout_model(store), model);
    EXPECT_EQ(read_farm_details(store).producer, "Jane");
    // The model is not the farm: the rating reads the same.
    rated_farm again;
    rate_file(path, again);
    EXPECT_EQ(again.figures, iowa.figures);
    // A store without the section holds the defaults.
    memory_settings_store without;
    ASSERT_TRUE(read_farm_file(examples_dir + "/iowa-farm.ini", without, error)) << error;
    EXPECT_EQ(read_payout_model(without), payout_model{});
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
        {"[Settings]\nState FIPS=19\n[Payout Model]\nYield CV=high\n",
         "\": \"Yield CV\" in [Payout Model] must be a decimal number, not \"high\""},
        {"[Settings]\nState FIPS=19\n[Payout Model]\nPrice Yield Correlation=-1.5\n",
         "\": \"Price Yield Correlation\" in [Payout Model] must be a decimal number from -1 to 1, not \"-1.5\""},
        {"[Settings]\nState FIPS=19\n[Payout Model]\nUnit Correlation=0.3\n",
         "\": \"Crop Correlation\" in [Payout Model] is 0.5, above \"Unit Correlation\" 0.3: two units of a crop "
         "correlate at least as much as units of two crops"},
        {"[Settings]\nState FIPS=19\n[Payout Model]\nYield Cv=0.3\n", ""},
    };
    for (const refused& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string path = scratch.file("refused.ini");
        write_file(path, c.text);
        memory_settings_store store;
        std::string error;
        EXPECT_FALSE(read_farm_file(path, store, error));
        if (*c.after_path == '\0')
            EXPECT_NE(error.find("did you mean \"Yield CV\""), std::string::npos) << error;
        else
            EXPECT_EQ(error, "inputs file \"" + path + c.after_path);
    }
}

TEST(FarmFile, AFailedWriteSaysWhyAndLeavesTheOldFileAsItWas) {
    scratch_directory scratch;
    const std::string path = scratch.file("farm.ini");
    write_file(path, "[Settings]\nState FIPS=19\n");
    std::string error;

    // A device that takes nothing.
    EXPECT_FALSE(write_farm_file("/dev/full", "[Settings]\nState FIPS=38\n", error));
    EXPECT_EQ(error, "cannot write farm file \"/dev/full\": No space left on device");

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
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
}

// A farm saved through a symbolic link (a farm kept in a shared folder) leaves
// the link and writes the file it names, with the permissions it had.
TEST(FarmFile, ASaveKeepsTheSymbolicLinkAndThePermissions) {
    scratch_directory scratch;
    fs::create_directories(scratch.path() / "shared");
    const std::string real = scratch.file("shared/farm.ini");
    write_file(real, "[Settings]\nState FIPS=19\n");
    const fs::perms shared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                             fs::perms::group_write | fs::perms::others_read;
    fs::permissions(real, shared);
    const std::string link = scratch.file("farm.ini");
    fs::create_symlink("shared/farm.ini", link);

    std::string error;
    ASSERT_TRUE(write_farm_file(link, "[Settings]\nState FIPS=38\n", error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read_file(real), "[Settings]\nState FIPS=38\n");
    EXPECT_EQ(fs::status(real).permissions(), shared);
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path() / "shared"), fs::directory_iterator()), 1);
}

// What a file manager hands the application: farm files by their name or by their first line.
TEST(FarmFile, IsRecognisedByItsNameOrItsFirstLine) {
    scratch_directory scratch;
    rated_farm iowa;
    rate_file(examples_dir + "/iowa-farm.ini", iowa);
    ASSERT_EQ(iowa.farm_text.rfind(farm_file_mark, 0), 0u);  // what the desktop's file type looks for

    struct file_case {
        const char* name;
        std::string text;  // what the file holds; no file at all when it is "-"
        bool farm;
    };
    const std::vector<file_case> cases = {
        {"saved farm", iowa.farm_text, true},                          // the writer's own, without an extension
        {"copied.txt", iowa.farm_text, true},                          // any name
        {"iowa-example", read_file(examples_dir + "/iowa-farm.ini"), true},
        {"plain.ini", "[Settings]\nState FIPS=19\n", true},            // an .ini farm file of before
        {"SHOUTED.INI", "-", true},                                    // the name alone decides
        {"notes.txt", "; Zelmora 2003 farm\n[Settings]\n", false},
        {"short", "; Zelmora", false},                                 // shorter than the mark
        {"iowa.ini.bak", iowa.farm_text.substr(1), false},             // a farm that lost its first character
        {"nothing-here", "-", false},
    };
    for (const file_case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = scratch.file(c.name);
        if (c.text != "-") write_file(path, c.text);
        EXPECT_EQ(is_farm_file(path), c.farm);
    }
    EXPECT_FALSE(is_farm_file(scratch.path().string()));  // a folder
}
