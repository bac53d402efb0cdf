#include <gtest/gtest.h>

#include "utility/filename_struct.h"

using zelmora::filename_struct;
using zelmora::path_separator;

namespace {
std::string p(std::string s) {
    for (char& c : s)
        if (c == '\\') c = path_separator;
    return s;
}
}  // namespace

TEST(FilenameStruct, SelfTestPassesAndObjectStartsEmpty) {
    std::string reported;
    zelmora::set_filename_failure_hook([&](const std::string& m) { reported = m; });
    filename_struct f;
    EXPECT_EQ(f.test(), 0);
    filename_struct g;
    EXPECT_TRUE(reported.empty());
    EXPECT_FALSE(g.name().has_value());
    EXPECT_FALSE(g.directory().has_value());
    EXPECT_EQ(g.drive(), '*');
    zelmora::set_filename_failure_hook(nullptr);
}

TEST(FilenameStruct, SplitsPaths) {
    filename_struct f;
    EXPECT_TRUE(f.set_path(p("c:\\x\\y.txt")));
    EXPECT_EQ(f.drive(), 'c');
    EXPECT_EQ(f.directory(), p("\\x\\"));
    EXPECT_EQ(f.name(), "y.txt");
    EXPECT_EQ(f.base(), "y");
    EXPECT_EQ(f.extension(), "txt");
    EXPECT_EQ(f.full_path(), p("c:\\x\\y.txt"));

    EXPECT_TRUE(f.set_path(p("\\data\\reports\\")));
    EXPECT_EQ(f.directory(), p("\\data\\reports\\"));
    EXPECT_FALSE(f.name().has_value());

    EXPECT_TRUE(f.set_path("c:report.txt"));
    EXPECT_EQ(f.drive(), 'c');
    EXPECT_EQ(f.name(), "c:report.txt");
    EXPECT_EQ(f.base(), "c:report");

    EXPECT_TRUE(f.set_name("archive.tar.gz"));
    EXPECT_EQ(f.base(), "archive.tar");
    EXPECT_EQ(f.extension(), "gz");

    f.set_path(p("\\tmp\\x.txt"));
    f.set_name("README");
    EXPECT_FALSE(f.extension().has_value());
    EXPECT_EQ(f.full_path(), p("\\tmp\\README"));

    // A colon before the last separator that is not the second character: no drive,
    // directory left as it was, the name still set.
    f.set_path(p("\\keep\\me.txt"));
    EXPECT_TRUE(f.set_path(p("x\\a:b\\c.txt")));
    EXPECT_EQ(f.drive(), '*');
    EXPECT_EQ(f.directory(), p("\\keep\\"));
    EXPECT_EQ(f.name(), "c.txt");

    // The executable's folder, as start-up uses it.
    f.set_path(p("\\opt\\zelmora\\bin\\zelmora"));
    EXPECT_EQ(f.directory_text() + "APH Base Premium Data.sqlite", p("\\opt\\zelmora\\bin\\APH Base Premium Data.sqlite"));
}
