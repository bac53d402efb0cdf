#pragma once
// Where the rating database is found when none is named: in the folder of the
// program first (the build tree, or a copy put beside the executable), then in
// the user's data folder ($XDG_DATA_HOME/zelmora, ~/.local/share/zelmora by
// default), then in each system data folder ($XDG_DATA_DIRS, /usr/local/share
// and /usr/share by default, each with /zelmora), where a package installs it.
#include <optional>
#include <string>
#include <vector>

namespace zelmora {

// The environment the search depends on, as values, so that a test can give its own.
struct data_folder_environment {
    std::string home;           // $HOME
    std::string xdg_data_home;  // $XDG_DATA_HOME
    std::string xdg_data_dirs;  // $XDG_DATA_DIRS, folders separated by ':'
};

// The variables of this process, read when called; an unset variable is empty.
data_folder_environment current_data_folder_environment();

// The folder of the running executable (read from /proc/self/exe); empty when
// it cannot be read.
std::string executable_folder();

// The folders looked in, in order, each once: the executable's folder (when not
// empty), the user's data folder, then the system data folders. A relative or
// empty entry of a variable is ignored, as the XDG base directory rules ask: an
// empty or relative $XDG_DATA_HOME means $HOME/.local/share (no user folder
// without an absolute $HOME), an empty $XDG_DATA_DIRS /usr/local/share:/usr/share.
// Folders are written normalised, without a trailing '/'.
std::vector<std::string> rating_database_folders(const std::string& program_folder,
                                                 const data_folder_environment& environment);

struct database_search {
    std::vector<std::string> folders;  // every folder looked in, in order
    std::optional<std::string> found;  // the first regular file of the name among them
};

// Looks for a regular file (or a link to one) named `file_name` in each folder in turn.
database_search find_database_file(const std::vector<std::string>& folders, const std::string& file_name);

// The search of this process: its executable's folder and its environment.
database_search find_rating_database(const std::string& file_name);

}  // namespace zelmora
