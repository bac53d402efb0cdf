#pragma once
// What a file held when a window read or wrote it, so that a later save can
// tell whether someone else (another window, another program) has written it
// since: its size and a digest of its bytes. A file touched without a change
// of its bytes counts as the same.
#include <cstddef>
#include <cstdint>
#include <string>

namespace zelmora {

struct file_stamp {
    bool exists = false;    // something stands under the name
    bool readable = false;  // and its bytes could be read
    std::uintmax_t size = 0;
    std::size_t digest = 0;  // of the bytes; equal bytes, equal digests

    bool operator==(const file_stamp&) const = default;
};

// The stamp of the file `path` names now (symbolic links followed).
file_stamp stamp_of_file(const std::string& path);

// The stamp a file holding exactly `bytes` has.
file_stamp stamp_of_bytes(const std::string& bytes);

}  // namespace zelmora
