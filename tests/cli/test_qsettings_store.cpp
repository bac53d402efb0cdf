// The QSettings adapter of the settings store, on a temporary folder.
#include <gtest/gtest.h>

#include <QSettings>
#include <QString>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "comma_locales.h"
#include "fixture_database.h"
#include "qtsupport/qsettings_store.h"
#include "rating/farm.h"
#include "rating/farm_file.h"

using zelmora::qsettings_store;
using zelmora::testing::scratch_directory;

namespace {

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Points the user's native settings at a scratch folder for one test.
class QSettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(dir_.path().string()));
    }
    std::filesystem::path conf() const { return dir_.path() / "Terravane" / "Zelmora 2004.conf"; }
    scratch_directory dir_;
};

}  // namespace

TEST_F(QSettingsStore, ValuesComeBackInALaterRun) {
    {
        qsettings_store store;
        store.write_integer("Settings", "State FIPS", 19);
        store.write_integer("Settings", "Units Corn", -3);
        store.write_text("Settings", "Price Corn", "2.80");
        store.write_text("Settings", "Coverage 1", "75");
        store.write_text("Settings", "Note", " blanks, commas; and \"quotes\" ");
        store.write_text("Settings", "Empty", "");
        store.write_text("APHContinuous", "Price Percent", "1.000000");
        store.write_integer("APHContinuous", "Practice Code", 3);
    }
    ASSERT_TRUE(std::filesystem::exists(conf()));
    qsettings_store store;
    EXPECT_EQ(store.file_name(), conf().string());
    EXPECT_EQ(store.read_integer("Settings", "State FIPS", 17), 19);
    EXPECT_EQ(store.read_integer("Settings", "Units Corn", 0), -3);
    EXPECT_EQ(store.read_text("Settings", "Price Corn", "x"), "2.80");
    EXPECT_EQ(store.read_text("Settings", "Coverage 1", "x"), "75");
    EXPECT_EQ(store.read_text("Settings", "Note", "x"), " blanks, commas; and \"quotes\" ");
    EXPECT_EQ(store.read_text("Settings", "Empty", "x"), "");
    EXPECT_EQ(store.read_text("APHContinuous", "Price Percent", "x"), "1.000000");
    EXPECT_EQ(store.read_integer("APHContinuous", "Practice Code", 0), 3);
    // Sections are separate: the same key in another section is absent.
    EXPECT_EQ(store.read_integer("APHContinuous", "State FIPS", 42), 42);
}

TEST_F(QSettingsStore, AbsentKeysGiveTheDefaultAndCreateNoFile) {
    {
        qsettings_store store;
        EXPECT_EQ(store.read_integer("Settings", "State FIPS", 17), 17);
        EXPECT_EQ(store.read_text("Settings", "Price Corn", "2.799999952316284"), "2.799999952316284");
        EXPECT_EQ(store.read_text("Settings", "Price Corn", ""), "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Terravane"));
}

TEST_F(QSettingsStore, KeysAreGroupsAndEscapedBlanksInTheFile) {
    {
        qsettings_store store;
        store.write_integer("Settings", "APH Yield 1 01", 150);
        store.write_text("Settings", "Price Corn", "2.80");
    }
    const std::string text = read_file(conf());
    EXPECT_NE(text.find("[Settings]"), std::string::npos) << text;
    EXPECT_NE(text.find("APH%20Yield%201%2001=150"), std::string::npos) << text;
    EXPECT_NE(text.find("Price%20Corn=2.80"), std::string::npos) << text;
}

TEST_F(QSettingsStore, IntegerReadOfATextThatIsNoIntegerGivesTheDefault) {
    qsettings_store store;
    store.write_text("Settings", "Units Corn", "two");
    store.write_text("Settings", "Units Soybeans", "4");
    EXPECT_EQ(store.read_integer("Settings", "Units Corn", 7), 7);
    EXPECT_EQ(store.read_integer("Settings", "Units Soybeans", 7), 4);
    // An integer read as text is its digits.
    store.write_integer("Settings", "Sections Corn", 12);
    EXPECT_EQ(store.read_text("Settings", "Sections Corn", ""), "12");
}

// The window's store for a German or French user: the rater's "%lf" texts are
// written with a point and read back as they were, and so are integers.
TEST_F(QSettingsStore, SettingsComeBackTheSameUnderACommaLocale) {
    for (const char* name : zelmora::testing::comma_locales) {
        SCOPED_TRACE(name);
        const zelmora::testing::scoped_c_locale locale(name);
        ASSERT_EQ(locale.problem(), "");
        zelmora::farm written = zelmora::default_farm();
        written.continuous.share = 0.5;
        written.continuous.price_percent = 0.75;
        written.continuous.practice_code = 3;
        {
            qsettings_store store;
            zelmora::write_farm_settings(written, store);
            store.write_integer("Settings", "Sections Corn", 1234);
        }
        const std::string file = read_file(conf());
        EXPECT_NE(file.find("Share=0.500000\n"), std::string::npos) << file;
        EXPECT_NE(file.find("Price%20Percent=0.750000\n"), std::string::npos) << file;

        qsettings_store store;
        const zelmora::rater_settings read = zelmora::read_farm_settings(store).continuous;
        EXPECT_EQ(read.share.to_double(), 0.5);
        EXPECT_EQ(read.price_percent.to_double(), 0.75);
        EXPECT_EQ(read.practice_code, 3);
        EXPECT_EQ(store.read_integer("Settings", "Sections Corn", 0), 1234);
    }
}

TEST_F(QSettingsStore, WritingOneKeyKeepsTheOthers) {
    {
        qsettings_store store;
        store.write_integer("Settings", "Units Corn", 3);
        store.write_text("Settings", "APH Yield 1 03", "160.000");
    }
    {
        qsettings_store store;
        store.write_integer("Settings", "Units Corn", 1);
    }
    qsettings_store store;
    EXPECT_EQ(store.read_integer("Settings", "Units Corn", 0), 1);
    EXPECT_EQ(store.read_text("Settings", "APH Yield 1 03", ""), "160.000");
}

TEST(QSettingsStoreFile, AnIniFileOfItsOwn) {
    scratch_directory dir;
    const std::string path = dir.file("inputs.ini");
    {
        qsettings_store store(QString::fromStdString(path));
        store.write_text("Settings", "Price Corn", "3.10");
    }
    qsettings_store store(QString::fromStdString(path));
    EXPECT_EQ(store.read_text("Settings", "Price Corn", ""), "3.10");
    EXPECT_EQ(store.file_name(), path);
}
