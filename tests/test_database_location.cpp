#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fixture_database.h"
#include "utility/database_location.h"

namespace fs = std::filesystem;
using zelmora::data_folder_environment;
using zelmora::rating_database_folders;

namespace {

struct folders_case {
    const char* what;
    std::string program_folder;
    data_folder_environment environment;
    std::vector<std::string> expected;
};

void touch(const fs::path& file) { std::ofstream(file) << "x"; }

}  // namespace

TEST(DatabaseLocation, FoldersFollowTheProgramThenTheUserThenTheSystem) {
    const std::vector<folders_case> cases = {
        {"defaults from HOME alone",
         "/opt/zelmora/bin",
         {"/home/ann", "", ""},
         {"/opt/zelmora/bin", "/home/ann/.local/share/zelmora", "/usr/local/share/zelmora", "/usr/share/zelmora"}},
        {"the variables replace the defaults, in their order",
         "/opt/zelmora/bin",
         {"/home/ann", "/data/ann", "/srv/share:/usr/share"},
         {"/opt/zelmora/bin", "/data/ann/zelmora", "/srv/share/zelmora", "/usr/share/zelmora"}},
        {"relative and empty entries are ignored; a relative XDG_DATA_HOME counts as unset",
         "/opt/zelmora/bin",
         {"/home/ann", "share", "::relative/share:/usr/share/:"},
         {"/opt/zelmora/bin", "/home/ann/.local/share/zelmora", "/usr/share/zelmora"}},
        {"no user folder without an absolute HOME",
         "/opt/zelmora/bin",
         {"", "", "/usr/share"},
         {"/opt/zelmora/bin", "/usr/share/zelmora"}},
        {"a folder named twice is looked in once; trailing and doubled slashes do not make it another",
         "/usr/share/zelmora/",
         {"/home/ann", "/usr//share", "/usr/share/:/usr/local/share"},
         {"/usr/share/zelmora", "/usr/local/share/zelmora"}},
        {"without the program's folder the search starts with the user's",
         "",
         {"/home/ann", "", ""},
         {"/home/ann/.local/share/zelmora", "/usr/local/share/zelmora", "/usr/share/zelmora"}},
    };
    for (const folders_case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(rating_database_folders(c.program_folder, c.environment), c.expected);
    }
}

TEST(DatabaseLocation, FindsTheFirstFolderThatHoldsTheFile) {
    zelmora::testing::scratch_directory scratch;
    const std::string program = scratch.file("bin");
    const std::string user = scratch.file("home/.local/share/zelmora");
    const std::string system = scratch.file("share/zelmora");
    for (const std::string& folder : {program, user, system}) fs::create_directories(folder);
    const std::vector<std::string> folders = {program, user, system};
    const std::string name = "APH Base Premium Data.sqlite";

    zelmora::database_search search = zelmora::find_database_file(folders, name);
    EXPECT_FALSE(search.found.has_value());
    EXPECT_EQ(search.folders, folders);  // every place looked in, for the message

    touch(fs::path(system) / name);
    EXPECT_EQ(zelmora::find_database_file(folders, name).found, (fs::path(system) / name).string());
    // A folder of the file's name is not a database: the search goes on past it.
    fs::create_directories(fs::path(program) / name);
    touch(fs::path(user) / name);
    EXPECT_EQ(zelmora::find_database_file(folders, name).found, (fs::path(user) / name).string());
    // A link to a database counts as the database.
    fs::remove_all(fs::path(program) / name);
    fs::create_symlink(fs::path(system) / name, fs::path(program) / name);
    EXPECT_EQ(zelmora::find_database_file(folders, name).found, (fs::path(program) / name).string());
    // A link to nothing does not.
    fs::remove(fs::path(system) / name);
    EXPECT_EQ(zelmora::find_database_file(folders, name).found, (fs::path(user) / name).string());
}

TEST(DatabaseLocation, TheProgramFolderIsThatOfTheRunningExecutable) {
    const std::string folder = zelmora::executable_folder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(fs::exists(fs::path(folder) / "zelmora_tests"));
    EXPECT_EQ(zelmora::rating_database_folders(folder, zelmora::current_data_folder_environment()).front(), folder);
}
