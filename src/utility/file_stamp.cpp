#include "utility/file_stamp.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <system_error>

namespace zelmora {

file_stamp stamp_of_bytes(const std::string& bytes) {
    return {true, true, bytes.size(), std::hash<std::string>{}(bytes)};
}

file_stamp stamp_of_file(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return {};
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return {true, false, 0, 0};
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return {true, false, 0, 0};
    return stamp_of_bytes(bytes);
}

}  // namespace zelmora
