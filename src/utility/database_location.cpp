#include "utility/database_location.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace zelmora {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view application_folder = "zelmora";
constexpr std::string_view default_data_dirs = "/usr/local/share:/usr/share";

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// "/usr/share/" and "/usr//share" both as "/usr/share": one folder is listed once.
std::string folder_text(const fs::path& folder) {
    std::string text = folder.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

void add_folder(std::vector<std::string>& folders, const std::string& folder) {
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
}

}  // namespace

data_folder_environment current_data_folder_environment() {
    return {variable("HOME"), variable("XDG_DATA_HOME"), variable("XDG_DATA_DIRS")};
}

std::string executable_folder() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error || !executable.is_absolute()) return {};
    return folder_text(executable.parent_path());
}

std::vector<std::string> rating_database_folders(const std::string& program_folder,
                                                 const data_folder_environment& environment) {
    std::vector<std::string> folders;
    if (!program_folder.empty()) add_folder(folders, folder_text(program_folder));

    const fs::path data_home(environment.xdg_data_home);
    if (data_home.is_absolute()) {
        add_folder(folders, folder_text(data_home / application_folder));
    } else if (fs::path(environment.home).is_absolute()) {
        add_folder(folders, folder_text(fs::path(environment.home) / ".local/share" / application_folder));
    }

    const std::string_view data_dirs =
        environment.xdg_data_dirs.empty() ? default_data_dirs : std::string_view(environment.xdg_data_dirs);
    std::size_t start = 0;
    while (start <= data_dirs.size()) {
        std::size_t end = data_dirs.find(':', start);
        if (end == std::string_view::npos) end = data_dirs.size();
        const fs::path folder(data_dirs.substr(start, end - start));
        if (folder.is_absolute()) add_folder(folders, folder_text(folder / application_folder));
        start = end + 1;
    }
    return folders;
}

database_search find_database_file(const std::vector<std::string>& folders, const std::string& file_name) {
    database_search search;
    search.folders = folders;
    for (const std::string& folder : folders) {
        const fs::path candidate = fs::path(folder) / file_name;
        std::error_code error;
        if (fs::is_regular_file(candidate, error)) {
            search.found = candidate.string();
            break;
        }
    }
    return search;
}

database_search find_rating_database(const std::string& file_name) {
    return find_database_file(rating_database_folders(executable_folder(), current_data_folder_environment()),
                              file_name);
}

}  // namespace zelmora
