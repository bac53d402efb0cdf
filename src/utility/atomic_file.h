#pragma once
// Writing a file so that its name never stands for a part of it: the bytes go
// into a temporary file beside it, which is flushed to the disk and then
// renamed to the name, so that the name shows the old file or the whole new
// one, and a failed or interrupted write leaves it as it was. Farm files, the
// batch's output, the quote's files and the import's database are written so.
//
// Every reason given is the system's (strerror: "No space left on device");
// the caller names the file.
#include <signal.h>

#include <string>
#include <string_view>

namespace zelmora {

// What the rename does when the name exists by then.
enum class existing_file {
    replace,  // the new file takes its place
    keep,     // the write fails ("File exists") and the file, or the symbolic link, stays
};

class atomic_file {
public:
    atomic_file() = default;
    atomic_file(const atomic_file&) = delete;
    atomic_file& operator=(const atomic_file&) = delete;
    // A file that was not committed is closed and its temporary file removed.
    ~atomic_file();

    // Creates the temporary file for the file `path` names. A symbolic link is
    // followed to its end, so that the link stays and the file it names gets the
    // bytes (a dangling link creates its target); an existing file's permission
    // bits (and, where allowed, its owner) are kept, a new file gets those the
    // umask gives. A name that stands for a device or a pipe (/dev/null,
    // /dev/stdout on a pipe) is written directly: it holds nothing to protect.
    // A folder is refused. False with the reason.
    bool open(const std::string& path, existing_file existing, std::string& reason);

    // Writes all the bytes; false with the reason (the file stays open: discard
    // it, or let it go out of scope).
    bool write(std::string_view bytes, std::string& reason);

    // Flushes the file to the disk, closes it and renames it to its name, then
    // flushes the folder. False with the reason, the temporary file removed and
    // the name left as it was.
    bool commit(std::string& reason);

    // Closes the file and removes the temporary file.
    void discard();

    // The descriptor written to (for a stream of one's own over a dup() of it);
    // -1 when not open.
    int descriptor() const { return fd_; }
    // The file the name stands for (symbolic links followed).
    const std::string& target() const { return target_; }
    // The temporary file; empty when the target is written directly.
    const std::string& temporary() const { return temporary_; }

private:
    int fd_ = -1;
    std::string target_;
    std::string temporary_;
    existing_file existing_ = existing_file::replace;
};

// The bytes as the file `path`, through atomic_file. False with the reason.
bool write_file_atomically(const std::string& path, std::string_view bytes, existing_file existing,
                           std::string& reason);

// The name of a new temporary file beside `target` (".NAME.TAG-XXXXXX", with
// XXXXXX random), for a file written by other means (SQLite). Not created.
std::string temporary_name_beside(const std::string& target, std::string_view tag);

// Puts a finished file written by other means in place: flushes it to the disk,
// renames it to `target` without replacing anything there (see
// rename_without_replacing) and flushes the folder. False with the reason; the
// file `finished` then stays where it is.
bool publish_new_file(const std::string& finished, const std::string& target, std::string& reason);

// Renames `from` to `to` only when no file, folder or symbolic link (even a
// dangling one) is named `to`, in one step (renameat2 with RENAME_NOREPLACE);
// where the file system cannot do that, by link() and unlink(), which also
// never replace. False with the reason ("File exists").
bool rename_without_replacing(const std::string& from, const std::string& to, std::string& reason);

// Whether two names stand for the same file, symbolic links and ".." followed:
// the same file when both exist, else the same absolute path (a file one of
// them would create).
bool same_file(const std::string& first, const std::string& second);

// Removes a file if SIGINT or SIGTERM stops the process while the guard lives,
// and then lets the signal end the process as it would have. Signals the
// process ignores stay ignored; the handlers that were installed come back
// when the guard ends. One guard is active at a time: a second one, or one for
// an empty path or a path longer than PATH_MAX, guards nothing.
//
// The signal handler may only do what is async-signal-safe, so the path is
// prepared beforehand in a buffer at namespace scope with a flag saying it is
// armed: the only state the process holds outside of objects, and only what
// the handler needs (see atomic_file.cpp).
class removal_on_interrupt {
public:
    explicit removal_on_interrupt(const std::string& path);
    removal_on_interrupt(const removal_on_interrupt&) = delete;
    removal_on_interrupt& operator=(const removal_on_interrupt&) = delete;
    ~removal_on_interrupt();

    bool armed() const { return armed_; }

private:
    bool armed_ = false;
    bool installed_[2] = {false, false};
    struct sigaction previous_[2] = {};
};

}  // namespace zelmora
