#include "utility/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

namespace zelmora {

namespace {

std::string system_reason(int error) { return std::strerror(error); }

std::string folder_of(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string name_of(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a name stands for when nothing exists at its end: each symbolic link
// of the chain read in turn (a relative one from its own folder), up to the
// kernel's limit of links followed.
bool end_of_links(const std::string& path, std::string& end, std::string& reason) {
    std::string current = path;
    for (int followed = 0; followed < 40; ++followed) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            end = current;
            return true;
        }
        std::string link(PATH_MAX, '\0');
        const ssize_t size = ::readlink(current.c_str(), link.data(), link.size());
        if (size < 0) {
            reason = system_reason(errno);
            return false;
        }
        link.resize(static_cast<std::size_t>(size));
        current = !link.empty() && link.front() == '/' ? link : folder_of(current) + "/" + link;
    }
    reason = system_reason(ELOOP);
    return false;
}

// Flushes a folder's entries to the disk. A file system that cannot (EINVAL)
// has nothing to flush; any other failure comes after the rename, when the
// name already stands for the whole file, and is not the write's failure.
void sync_folder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// fsync, where a file system that cannot flush (EINVAL, EROFS) has nothing to lose.
bool sync_descriptor(int fd, std::string& reason) {
    if (::fsync(fd) == 0 || errno == EINVAL || errno == EROFS) return true;
    reason = system_reason(errno);
    return false;
}

std::string random_suffix() {
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    std::string suffix;
    for (int i = 0; i < 6; ++i) suffix += letters[pick(device)];
    return suffix;
}

// ------------------------------------------------------------------ removal on interrupt
// What the signal handler needs, and nothing else: the path to remove, written
// while no handler can read it (`armed` false), and whether it is armed. A
// guard takes `taken` first, so that only one writes the path at a time.
char interrupted_path[PATH_MAX];
std::atomic<bool> interrupted_path_armed{false};
std::atomic<bool> interrupted_path_taken{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the handler reads the flag without a lock");

constexpr int guarded_signals[2] = {SIGINT, SIGTERM};

// Only async-signal-safe calls: unlink, then the signal again, which the
// handler's reset to the default action (SA_RESETHAND) lets end the process
// once the handler returns.
extern "C" void remove_and_stop(int signal_number) {
    const int saved_errno = errno;
    if (interrupted_path_armed.load()) ::unlink(interrupted_path);
    ::raise(signal_number);
    errno = saved_errno;
}

}  // namespace

// ------------------------------------------------------------------ atomic_file

atomic_file::~atomic_file() { discard(); }

bool atomic_file::open(const std::string& path, existing_file existing, std::string& reason) {
    discard();
    existing_ = existing;
    target_.clear();
    temporary_.clear();
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            reason = system_reason(EISDIR);
            return false;
        }
        if (!S_ISREG(status.st_mode)) {
            // A device or a pipe: opened as a redirection would open it.
            fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd_ < 0) {
                reason = system_reason(errno);
                return false;
            }
            target_ = path;
            return true;
        }
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) == nullptr) {
            reason = system_reason(errno);
            return false;
        }
        target_ = resolved;
    } else if (errno == ENOENT) {
        if (!end_of_links(path, target_, reason)) return false;
    } else {
        reason = system_reason(errno);
        return false;
    }

    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = temporary_name_beside(target_, "writing");
        fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temporary_ = candidate;
            break;
        }
        if (errno != EEXIST) {
            reason = system_reason(errno);
            return false;
        }
    }
    if (fd_ < 0) {
        reason = system_reason(EEXIST);
        return false;
    }
    struct stat kept {};
    if (::stat(target_.c_str(), &kept) == 0 && S_ISREG(kept.st_mode)) {
        // The owner only where the user may give it (the superuser saving another's file).
        if (kept.st_uid != ::geteuid() || kept.st_gid != ::getegid()) {
            const int owner_kept = ::fchown(fd_, kept.st_uid, kept.st_gid);
            static_cast<void>(owner_kept);  // otherwise the file becomes the user's own
        }
        if (::fchmod(fd_, kept.st_mode & 07777) != 0) {
            reason = system_reason(errno);
            discard();
            return false;
        }
    }
    return true;
}

bool atomic_file::write(std::string_view bytes, std::string& reason) {
    if (fd_ < 0) {
        reason = system_reason(EBADF);
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            reason = system_reason(errno);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool atomic_file::commit(std::string& reason) {
    if (fd_ < 0) {
        reason = system_reason(EBADF);
        return false;
    }
    if (temporary_.empty()) {
        // Written directly: what is left to fail is the close.
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            reason = system_reason(errno);
            return false;
        }
        return true;
    }
    if (!sync_descriptor(fd_, reason)) {
        discard();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        reason = system_reason(errno);
        discard();
        return false;
    }
    if (existing_ == existing_file::keep) {
        if (!rename_without_replacing(temporary_, target_, reason)) {
            discard();
            return false;
        }
    } else if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        reason = system_reason(errno);
        discard();
        return false;
    }
    temporary_.clear();
    sync_folder(folder_of(target_));
    return true;
}

void atomic_file::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

bool write_file_atomically(const std::string& path, std::string_view bytes, existing_file existing,
                           std::string& reason) {
    atomic_file file;
    return file.open(path, existing, reason) && file.write(bytes, reason) && file.commit(reason);
}

std::string temporary_name_beside(const std::string& target, std::string_view tag) {
    // Within the longest name a folder entry may have, whatever the target's.
    const std::string name = name_of(target).substr(0, 200);
    const std::string folder = folder_of(target);
    return (folder == "/" ? std::string() : folder) + "/." + name + "." + std::string(tag) + "-" + random_suffix();
}

bool publish_new_file(const std::string& finished, const std::string& target, std::string& reason) {
    const int fd = ::open(finished.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        reason = system_reason(errno);
        return false;
    }
    const bool synced = sync_descriptor(fd, reason);
    ::close(fd);
    if (!synced || !rename_without_replacing(finished, target, reason)) return false;
    sync_folder(folder_of(target));
    return true;
}

bool rename_without_replacing(const std::string& from, const std::string& to, std::string& reason) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP) {
        reason = system_reason(errno);
        return false;
    }
    // link() never replaces `to` either; the second name is then removed.
    if (::link(from.c_str(), to.c_str()) != 0) {
        reason = system_reason(errno);
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

bool same_file(const std::string& first, const std::string& second) {
    struct stat a {}, b {};
    const bool first_exists = ::stat(first.c_str(), &a) == 0;
    const bool second_exists = ::stat(second.c_str(), &b) == 0;
    if (first_exists && second_exists) return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    if (first_exists || second_exists) return false;
    // Neither exists: the paths, made absolute, through the folders that exist.
    const auto normal = [](const std::string& path, std::filesystem::path& result) {
        std::error_code error;
        const std::filesystem::path whole = std::filesystem::absolute(path, error);
        if (!error) result = std::filesystem::weakly_canonical(whole, error);
        return !error;
    };
    std::filesystem::path first_path, second_path;
    return normal(first, first_path) && normal(second, second_path) && first_path == second_path;
}

// ------------------------------------------------------------------ removal_on_interrupt

removal_on_interrupt::removal_on_interrupt(const std::string& path) {
    if (path.empty() || path.size() >= sizeof interrupted_path || interrupted_path_taken.exchange(true)) return;
    std::memcpy(interrupted_path, path.c_str(), path.size() + 1);
    interrupted_path_armed.store(true);
    armed_ = true;
    for (int i = 0; i < 2; ++i) {
        struct sigaction current {};
        if (::sigaction(guarded_signals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction handler {};
        handler.sa_handler = remove_and_stop;
        sigemptyset(&handler.sa_mask);
        handler.sa_flags = SA_RESETHAND;
        installed_[i] = ::sigaction(guarded_signals[i], &handler, &previous_[i]) == 0;
    }
}

removal_on_interrupt::~removal_on_interrupt() {
    if (!armed_) return;
    for (int i = 0; i < 2; ++i)
        if (installed_[i]) ::sigaction(guarded_signals[i], &previous_[i], nullptr);
    interrupted_path_armed.store(false);
    interrupted_path_taken.store(false);
}

}  // namespace zelmora
