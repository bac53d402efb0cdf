// Files written whole or not at all: the name shows the old file or the whole
// new one, whatever fails (a full device, a file size limit, a folder in the
// way, a name created meanwhile, an interrupt).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "fixture_database.h"
#include "utility/atomic_file.h"

using namespace zelmora;
using zelmora::testing::scratch_directory;

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void write_plain(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// The names in a folder, hidden ones included.
std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

fs::perms permissions_of(const fs::path& path) { return fs::status(path).permissions(); }

// Runs `body` in a child process; its exit status, or 128 + the signal that ended it.
int in_child(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST(AtomicFile, ReplacesTheFileKeepingItsPermissionsAndItsSymbolicLink) {
    scratch_directory scratch;
    const fs::path real = scratch.path() / "farms" / "farm.ini";
    fs::create_directories(real.parent_path());
    write_plain(real, "old");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::path link = scratch.path() / "link.ini";
    fs::create_symlink("farms/farm.ini", link);  // relative to the link's folder

    std::string reason;
    ASSERT_TRUE(write_file_atomically(link.string(), "new text", existing_file::replace, reason)) << reason;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read_file(real), "new text");
    EXPECT_EQ(permissions_of(real), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(names_in(real.parent_path()), std::vector<std::string>{"farm.ini"});

    // A dangling link gets its target; a new file the permissions the umask gives.
    const fs::path dangling = scratch.path() / "dangling.ini";
    fs::create_symlink("farms/new.ini", dangling);
    ASSERT_TRUE(write_file_atomically(dangling.string(), "created", existing_file::replace, reason)) << reason;
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(read_file(real.parent_path() / "new.ini"), "created");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(static_cast<mode_t>(permissions_of(real.parent_path() / "new.ini")), 0666 & ~mask);
}

TEST(AtomicFile, AFailedWriteLeavesTheNameAsItWasAndNoTemporaryFile) {
    scratch_directory scratch;
    const fs::path target = scratch.path() / "out.txt";
    const std::string big(64 * 1024, 'x');
    struct failure {
        const char* what;
        std::string path;
        const char* reason;
    };
    fs::create_directories(scratch.path() / "folder");
    const failure failures[] = {
        {"a folder that is not there", (scratch.path() / "gone" / "out.txt").string(), "No such file or directory"},
        {"a folder in place of the file", (scratch.path() / "folder").string(), "Is a directory"},
        {"a full device, written directly", "/dev/full", "No space left on device"},
    };
    for (const failure& f : failures) {
        SCOPED_TRACE(f.what);
        std::string reason;
        EXPECT_FALSE(write_file_atomically(f.path, big, existing_file::replace, reason));
        EXPECT_EQ(reason, f.reason);
    }

    // A write that fails part way (the file size limit: a disk that fills up).
    write_plain(target, "old");
    const int child = in_child([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string reason;
        if (write_file_atomically(target.string(), big, existing_file::replace, reason)) return 10;
        return reason == "File too large" ? 0 : 11;
    });
    EXPECT_EQ(child, 0);
    EXPECT_EQ(read_file(target), "old");
    EXPECT_EQ(names_in(scratch.path()), (std::vector<std::string>{"folder", "out.txt"}));

    // A file dropped before its commit leaves nothing either.
    {
        atomic_file file;
        std::string reason;
        ASSERT_TRUE(file.open(target.string(), existing_file::replace, reason)) << reason;
        ASSERT_TRUE(file.write("never committed", reason)) << reason;
        EXPECT_TRUE(fs::exists(file.temporary()));
        EXPECT_EQ(fs::path(file.temporary()).parent_path(), scratch.path());
    }
    EXPECT_EQ(read_file(target), "old");
    EXPECT_EQ(names_in(scratch.path()), (std::vector<std::string>{"folder", "out.txt"}));
}

TEST(AtomicFile, WithoutReplacingANameCreatedMeanwhileStays) {
    scratch_directory scratch;
    const fs::path target = scratch.path() / "new.sqlite";
    const fs::path elsewhere = scratch.path() / "elsewhere";
    struct in_the_way {
        const char* what;
        std::function<void()> make;
    };
    const in_the_way cases[] = {
        {"a file", [&] { write_plain(target, "someone else's"); }},
        {"a dangling symbolic link", [&] { fs::create_symlink(elsewhere, target); }},
        {"a folder", [&] { fs::create_directory(target); }},
    };
    for (const in_the_way& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path finished = temporary_name_beside(target.string(), "import");
        write_plain(finished, "finished");
        c.make();
        std::string reason;
        EXPECT_FALSE(publish_new_file(finished.string(), target.string(), reason));
        EXPECT_EQ(reason, "File exists");
        EXPECT_EQ(read_file(finished), "finished");
        EXPECT_FALSE(fs::exists(elsewhere));
        fs::remove(finished);
        fs::remove_all(target);

        atomic_file file;
        ASSERT_TRUE(file.open(target.string(), existing_file::keep, reason)) << reason;
        ASSERT_TRUE(file.write("mine", reason));
        c.make();
        EXPECT_FALSE(file.commit(reason));
        EXPECT_EQ(reason, "File exists");
        EXPECT_FALSE(fs::exists(elsewhere));
        EXPECT_EQ(names_in(scratch.path()), std::vector<std::string>{"new.sqlite"});
        fs::remove_all(target);
    }

    // With the name free, the file takes it.
    const fs::path finished = temporary_name_beside(target.string(), "import");
    write_plain(finished, "finished");
    std::string reason;
    ASSERT_TRUE(publish_new_file(finished.string(), target.string(), reason)) << reason;
    EXPECT_EQ(read_file(target), "finished");
    EXPECT_EQ(names_in(scratch.path()), std::vector<std::string>{"new.sqlite"});
}

TEST(AtomicFile, AnInterruptRemovesTheGuardedFileAndStillEndsTheProcess) {
    scratch_directory scratch;
    const fs::path guarded = scratch.path() / ".out.writing-abcdef";
    struct interrupt {
        const char* what;
        int signal_number;
        bool ignored;       // the process ignores the signal before the guard
        bool guard_ended;   // the signal comes after the guard's end
        int child_status;   // 128 + the signal when it ends the process
        bool removed;
    };
    const interrupt cases[] = {
        {"SIGTERM", SIGTERM, false, false, 128 + SIGTERM, true},
        {"SIGINT", SIGINT, false, false, 128 + SIGINT, true},
        {"an ignored SIGINT", SIGINT, true, false, 0, false},
        {"SIGTERM after the guard", SIGTERM, false, true, 128 + SIGTERM, false},
    };
    for (const interrupt& c : cases) {
        SCOPED_TRACE(c.what);
        write_plain(guarded, "partial");
        const int status = in_child([&] {
            if (c.ignored) ::signal(c.signal_number, SIG_IGN);
            {
                const removal_on_interrupt removal(guarded.string());
                if (!removal.armed()) return 20;
                if (!c.guard_ended) ::raise(c.signal_number);
            }
            if (c.guard_ended) ::raise(c.signal_number);
            return 0;
        });
        EXPECT_EQ(status, c.child_status);
        EXPECT_EQ(fs::exists(guarded), !c.removed);
    }

    // One guard at a time: a second one guards nothing until the first ends.
    const removal_on_interrupt first(guarded.string());
    EXPECT_TRUE(first.armed());
    EXPECT_FALSE(removal_on_interrupt(guarded.string()).armed());
}

TEST(AtomicFile, SameFileWhateverTheNameItIsGivenBy) {
    scratch_directory scratch;
    const fs::path folder = scratch.path() / "farms";
    fs::create_directories(folder);
    write_plain(folder / "a.ini", "a");
    write_plain(folder / "b.ini", "b");
    fs::create_symlink(folder / "a.ini", scratch.path() / "link.ini");
    fs::create_hard_link(folder / "a.ini", scratch.path() / "hard.ini");
    const std::string a = (folder / "a.ini").string();
    struct pair {
        std::string first;
        std::string second;
        bool same;
    };
    const pair pairs[] = {
        {a, a, true},
        {a, (scratch.path() / "link.ini").string(), true},
        {a, (scratch.path() / "hard.ini").string(), true},
        {a, (folder / ".." / "farms" / "a.ini").string(), true},
        {a, (folder / "b.ini").string(), false},
        {a, (folder / "none.ini").string(), false},
        {(folder / "none.ini").string(), (scratch.path() / "farms/../farms/none.ini").string(), true},
        {(folder / "none.ini").string(), (folder / "other.ini").string(), false},
    };
    for (const pair& p : pairs) EXPECT_EQ(same_file(p.first, p.second), p.same) << p.first << " " << p.second;
}
