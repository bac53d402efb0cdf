#pragma once
// The batch command: many farms' inputs files rated on one rating database,
// each worker on a connection of its own, the lines written in the order the
// farms were given.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace zelmora {

struct batch_options {
    std::string database;
    std::vector<std::string> farms;  // files, or folders whose *.ini files are taken in name order
    int jobs = 1;
    // Progress on the error stream: only when it is a terminal and the batch runs over a second.
    bool show_progress = false;
};

// Exit status of a batch in which a farm was refused or failed.
inline constexpr int exit_batch_farm_failed = 3;

// The farms' files in the order given, folders expanded. A folder without
// *.ini files stands for itself, so that rating it reports the fault.
std::vector<std::string> batch_farm_files(const std::vector<std::string>& arguments);

// Rates every farm as "rate --tsv" does and writes its lines to `out`, each
// preceded by the farm file's name and a tab. A farm whose inputs file cannot
// be read, is refused, or loads with errors writes one line to `err` instead
// and the batch goes on. Returns 0, 1 when a worker cannot open the database
// (nothing is rated), or exit_batch_farm_failed.
int run_batch(const batch_options& options, std::FILE* out, std::FILE* err);

// The command "batch" on the database at `database`: the lines go to standard
// output (its close checked) or to --output's file, errors and the progress
// line to standard error. The file is written beside FILE and takes its name
// once every line is in it; when the database cannot be opened or a line cannot
// be written, FILE is left as it was. Refused with 2: a FILE that is one of the
// farms or the database, or that cannot be created.
int run_batch_command(const command_line& line, const std::string& database);

}  // namespace zelmora
