#include "cli/database_commands.h"

#include <memory>

#include "data/database_check.h"
#include "data/premium_database.h"
#include "data/table_import.h"

namespace zelmora {

namespace {

int import_tables_command(const command_line& line, std::string& out, std::string& err) {
    const import_result result = import_tables(line.import_directory, line.output);
    out += result.report;
    switch (result.outcome) {
        case import_outcome::done: out += "Wrote \"" + line.output + "\".\n"; return 0;
        case import_outcome::refused:
            err += "zelmora-cli: import-tables: " + result.problems;
            return exit_refused_input;
        case import_outcome::failed: break;
    }
    err += result.problems;
    err += "zelmora-cli: import-tables: \"" + line.output + "\" was not written\n";
    return exit_failed_part_way;
}

int check_database_command(const std::string& database, std::string& out, std::string& err) {
    std::string error;
    std::unique_ptr<premium_database> db = connect_premium_database(database, error);
    if (!db) {
        err += error;
        return 1;
    }
    const database_check_result result = check_database(*db, database);
    out += result.report;
    if (result.unreadable) {
        err += "zelmora-cli: check-database: \"" + database + "\" cannot be read to its end\n";
        return 1;
    }
    return result.problem_count > 0 ? exit_check_found_problems : 0;
}

}  // namespace

bool is_database_command(command_kind kind) {
    return kind == command_kind::import_tables || kind == command_kind::check_database;
}

int run_database_command(const command_line& line, const std::string& database, std::string& out, std::string& err) {
    if (line.command == command_kind::import_tables) return import_tables_command(line, out, err);
    return check_database_command(database, out, err);
}

}  // namespace zelmora
