#pragma once
// The commands that work on a rating database as a file rather than on a
// rating session: import-tables builds one from CSV files, check-database
// checks one before it is trusted.
#include <string>

#include "cli/commands.h"

namespace zelmora {

// Exit statuses of these commands beside the common ones.
inline constexpr int exit_refused_input = 2;
inline constexpr int exit_failed_part_way = 3;
inline constexpr int exit_check_found_problems = 4;

// True for the commands that run without inputs and without a session.
bool is_database_command(command_kind kind);

// Runs import-tables or check-database; `database` is the database to check.
// The report goes to `out`, problems to `err`. Returns the exit status.
int run_database_command(const command_line& line, const std::string& database, std::string& out, std::string& err);

}  // namespace zelmora
