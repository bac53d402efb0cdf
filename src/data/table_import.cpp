#include "data/table_import.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "data/csv_reader.h"
#include "data/premium_database.h"
#include "data/rowsets.h"
#include "data/schema.h"
#include "data/value_rules.h"
#include "utility/atomic_file.h"
#include "utility/number_text.h"

namespace zelmora {

namespace {

namespace fs = std::filesystem;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// A field's text as a problem line quotes it: on one line and not too long.
std::string shown(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (out.size() >= 60) {
            out += "...";
            break;
        }
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return "\"" + out + "\"";
}

// ------------------------------------------------------------------ converting a field

bool parse_real(std::string_view text, double& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(text.data(), last, value);
    return ec == std::errc() && end == last && !text.empty();
}

// A whole number; a number written with a zero fraction ("19.0") counts as one.
bool parse_integer(std::string_view text, long long& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(text.data(), last, value);
    if (ec == std::errc() && end == last && !text.empty()) return true;
    double d = 0;
    if (!parse_real(text, d) || !std::isfinite(d) || d != std::trunc(d) || std::fabs(d) >= 9.2e18) return false;
    value = static_cast<long long>(d);
    return true;
}

// Access stores true as -1; mdb-export writes it as 1, or as True with --boolean-words.
bool parse_boolean(std::string_view text, long long& value) {
    const std::string word = lower_case(std::string(text));
    if (word == "1" || word == "-1" || word == "true") {
        value = -1;
        return true;
    }
    if (word == "0" || word == "false") {
        value = 0;
        return true;
    }
    return false;
}

// Binds a field as its column stores it; an empty text when it was bound, else
// what is wrong with it. A value is held to the column's rule of usable values
// (value_rules.h), so that what the import stores every load can use:
// "is not a whole number from 0 to 14".
std::string bind_field(const column_spec& column, const csv_field& field, sqlite3_stmt* stmt, int index) {
    if (column.rule == nullptr) return "is in a column without a rule of usable values";
    const value_rule& rule = *column.rule;
    const auto unusable = [&rule] { return "is not " + rule.words; };
    if (column.type == column_type::str) {
        if (field.text.size() > rule.longest) return unusable();
        sqlite3_bind_text(stmt, index, field.text.data(), static_cast<int>(field.text.size()), SQLITE_STATIC);
        return {};
    }
    const std::string_view text = trimmed(field.text);
    if (text.empty()) return "has no value";
    switch (column.type) {
        case column_type::boolean: {
            long long v = 0;
            if (!parse_boolean(text, v)) return "is not a boolean (1 or 0, True or False)";
            if (!rule_allows(rule, static_cast<double>(v))) return unusable();
            sqlite3_bind_int64(stmt, index, v);
            return {};
        }
        case column_type::r4: {
            double d = 0;
            if (!parse_real(text, d) || !rule_allows(rule, d)) return unusable();
            // Stored as the single-precision value the readers will see; the rule's
            // ends are single-precision values, so the rounding stays within them.
            sqlite3_bind_double(stmt, index, static_cast<double>(static_cast<float>(d)));
            return {};
        }
        default: {
            long long v = 0;
            if (!parse_integer(text, v) || !rule_allows(rule, static_cast<double>(v))) return unusable();
            sqlite3_bind_int64(stmt, index, v);
            return {};
        }
    }
}

// ------------------------------------------------------------------ one table

class importer {
public:
    importer(premium_database& db, import_result& result) : db_(db), result_(result) {}

    // Reads one table's file into the open database. False when the database
    // could not be written (nothing more should be tried).
    bool import_file(const table_description& table, const fs::path& path);

private:
    void problem(const std::string& line) { result_.problems += line + "\n"; }
    // "file:12: "
    std::string at_line(const std::string& file, long line) const { return file + ":" + std::to_string(line) + ": "; }

    bool open_file(const fs::path& path, const std::string& file, csv_reader& reader);
    bool match_header(const table_description& table, const std::string& file, const csv_reader& reader,
                      std::vector<long>& source);
    bool convert_row(const table_description& table, const std::vector<long>& source, const csv_reader& reader,
                     const std::string& at, sqlite3_stmt* insert);
    void report_rows(const table_description& table, const std::string& file, long rows);

    premium_database& db_;
    import_result& result_;
};

// Opens the file and reads its header row; false (with the problem noted) when there is none.
bool importer::open_file(const fs::path& path, const std::string& file, csv_reader& reader) {
    std::string error;
    if (!reader.open(path.string(), error)) {
        problem(file + ": cannot be read: " + error);
        return false;
    }
    if (!reader.next()) {
        problem(reader.error().empty() ? file + ": no header row" : at_line(file, reader.line()) + reader.error());
        return false;
    }
    return true;
}

// The position in the file of each column of the table, from the header row read
// last. Unknown columns are reported and ignored; a column missing or named twice
// is a problem (false).
bool importer::match_header(const table_description& table, const std::string& file, const csv_reader& reader,
                            std::vector<long>& source) {
    const std::size_t columns = table.columns.size();
    source.assign(columns, -1);
    bool matched = true;
    for (std::size_t i = 0; i < reader.size(); ++i) {
        const std::string name = lower_case(std::string(trimmed(reader[i].text)));
        std::size_t c = 0;
        while (c < columns && lower_case(table.columns[c].name) != name) ++c;
        if (c == columns) {
            result_.report +=
                "  " + file + ": column " + shown(reader[i].text) + " is not one the readers use; ignored\n";
        } else if (source[c] >= 0) {
            problem(at_line(file, reader.line()) + "column \"" + table.columns[c].name + "\" appears twice");
            matched = false;
        } else {
            source[c] = static_cast<long>(i);
        }
    }
    for (std::size_t c = 0; c < columns; ++c) {
        if (source[c] >= 0) continue;
        problem(at_line(file, reader.line()) + "no column \"" + table.columns[c].name + "\"");
        matched = false;
    }
    return matched;
}

// Binds every field of the record read last to the insert; false (each field's
// problem noted, the bindings cleared) when one cannot be stored.
bool importer::convert_row(const table_description& table, const std::vector<long>& source, const csv_reader& reader,
                           const std::string& at, sqlite3_stmt* insert) {
    bool converted = true;
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        const csv_field& field = reader[static_cast<std::size_t>(source[c])];
        const std::string wrong = bind_field(table.columns[c], field, insert, static_cast<int>(c + 1));
        if (wrong.empty()) continue;
        problem(at + "column \"" + table.columns[c].name + "\": " + shown(field.text) + " " + wrong);
        converted = false;
    }
    if (!converted) sqlite3_clear_bindings(insert);
    return converted;
}

void importer::report_rows(const table_description& table, const std::string& file, long rows) {
    char line[160];
    std::snprintf(line, sizeof line, "%-27s %9ld rows from \"%s\"\n", table.name.c_str(), rows, file.c_str());
    result_.report += line;
}

bool importer::import_file(const table_description& table, const fs::path& path) {
    const std::string file = path.filename().string();
    csv_reader reader;
    std::vector<long> source;
    if (!open_file(path, file, reader) || !match_header(table, file, reader, source)) return true;
    const std::size_t width = reader.size();

    // The table's rows go in as one transaction.
    std::string sql = "INSERT INTO `" + table.name + "` VALUES (";
    for (std::size_t c = 0; c < table.columns.size(); ++c) sql += c == 0 ? "?" : ", ?";
    sql += ")";
    statement_lease insert;
    if (db_.execute_statement("BEGIN") != S_OK_CODE || db_.prepare(sql, insert, false) != S_OK_CODE) {
        problem(file + ": cannot be stored: " + db_.last_error_message());
        return false;
    }
    long rows = 0;
    while (reader.next()) {
        const std::string at = at_line(file, reader.line());
        if (reader.size() != width) {
            problem(at + std::to_string(reader.size()) + " fields where the header has " + std::to_string(width));
            continue;
        }
        if (!convert_row(table, source, reader, at, insert.get())) continue;
        const int rc = sqlite3_step(insert.get());
        sqlite3_reset(insert.get());
        if (rc != SQLITE_DONE) {
            problem(at + "cannot be stored: " + db_.last_error_message());
            return false;
        }
        ++rows;
    }
    if (!reader.error().empty()) problem(at_line(file, reader.line()) + reader.error());
    insert.release();
    if (db_.execute_statement("COMMIT") != S_OK_CODE) {
        problem(file + ": cannot be stored: " + db_.last_error_message());
        return false;
    }
    report_rows(table, file, rows);
    return true;
}

// The files of the directory by their names in lower case, to find "county
// list.csv" for "County List" when no file has the exact name.
std::map<std::string, fs::path> files_by_lower_name(const fs::path& directory) {
    std::map<std::string, fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(directory, ec))
        if (entry.is_regular_file(ec)) files.emplace(lower_case(entry.path().filename().string()), entry.path());
    return files;
}

void remove_database_files(const std::string& path) {
    std::error_code ec;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(path + suffix, ec);
}

// ------------------------------------------------------------------ the whole import

// What the directory offers: each table's file, the optional tables without
// one, and the required tables without one ("\"County List.csv\", ...").
struct table_files {
    std::vector<std::pair<const table_description*, fs::path>> found;
    std::vector<const table_description*> missing_optional;
    std::string missing_required;
};

// Why the import cannot start with this folder and output; empty when it can.
std::string unusable_paths(const std::string& directory, const std::string& output) {
    std::error_code ec;
    if (!fs::is_directory(directory, ec)) return "\"" + directory + "\" is not a directory\n";
    if (fs::exists(fs::symlink_status(output, ec)))  // a symbolic link too, even a dangling one
        return "\"" + output + "\" exists; the import writes a new file only\n";
    const fs::path output_path(output);
    const fs::path folder = output_path.has_parent_path() ? output_path.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) return "the folder of \"" + output + "\" does not exist\n";
    return {};
}

// One file per table, named after it; a name in another case is found too.
table_files find_table_files(const std::string& directory) {
    table_files files;
    const auto by_lower_name = files_by_lower_name(directory);
    std::error_code ec;
    for (const table_description* table : tables::all()) {
        const std::string name = table->name + ".csv";
        fs::path path = fs::path(directory) / name;
        if (!fs::is_regular_file(path, ec)) {
            const auto it = by_lower_name.find(lower_case(name));
            path = it != by_lower_name.end() ? it->second : fs::path();
        }
        if (!path.empty())
            files.found.emplace_back(table, path);
        else if (table_is_required(table->name))
            files.missing_required += (files.missing_required.empty() ? "\"" : ", \"") + name + "\"";
        else
            files.missing_optional.push_back(table);
    }
    return files;
}

// Writes a new database `path` with the schema, every file's rows and then the
// indexes; false when anything could not be read or written (the problems are
// in `result`).
bool write_database(const std::string& path, const table_files& files, import_result& result) {
    std::string error;
    std::unique_ptr<premium_database> db = create_premium_database(path, error);
    if (!db) {
        while (!error.empty() && (error.back() == '\n' || error.back() == '\r')) error.pop_back();
        result.problems = "cannot create \"" + path + "\": " + error + "\n";
        return false;
    }
    // The file is thrown away if anything fails, so it needs no journal.
    if (db->execute_statement("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA page_size = 8192;") !=
            S_OK_CODE ||
        db->execute_statement(schema_tables_sql()) != S_OK_CODE) {
        result.problems = "cannot create the tables: " + db->last_error_message() + "\n";
        return false;
    }
    importer in(*db, result);
    for (const auto& [table, file] : files.found)
        if (!in.import_file(*table, file)) break;
    for (const table_description* table : files.missing_optional) {
        char line[160];
        std::snprintf(line, sizeof line, "%-27s no \"%s.csv\": the table is left empty\n", table->name.c_str(),
                      table->name.c_str());
        result.report += line;
    }
    if (!result.problems.empty()) return false;
    if (db->execute_statement(schema_indexes_sql()) != S_OK_CODE || db->execute_statement("ANALYZE") != S_OK_CODE) {
        result.problems = "cannot create the indexes: " + db->last_error_message() + "\n";
        return false;
    }
    return true;
}

// The finished database flushed to the disk and renamed to the output, which
// it never replaces: an output created since the start (a file, a symbolic
// link) stays, and the import fails. False with the problem in `result`.
bool move_into_place(const std::string& temporary, const std::string& output, import_result& result) {
    std::string reason;
    if (publish_new_file(temporary, output, reason)) return true;
    result.problems = "cannot rename \"" + temporary + "\" to \"" + output + "\": " + reason + "\n";
    return false;
}

}  // namespace

bool table_is_required(const std::string& table_name) {
    return table_name != tables::county_average_yields().name && table_name != tables::lookup_column_number().name;
}

import_result import_tables(const std::string& directory, const std::string& output) {
    import_result result;
    result.outcome = import_outcome::refused;
    result.problems = unusable_paths(directory, output);
    if (!result.problems.empty()) return result;
    const table_files files = find_table_files(directory);
    if (!files.missing_required.empty()) {
        result.problems = "\"" + directory + "\" has no " + files.missing_required + "\n";
        return result;
    }

    // The rows go into a file of their own beside the output until all is read.
    result.outcome = import_outcome::failed;
    const std::string temporary = output + ".import-" + std::to_string(::getpid());
    remove_database_files(temporary);
    const removal_on_interrupt removal(temporary);  // no journal: the file is all there is
    if (!write_database(temporary, files, result) || !move_into_place(temporary, output, result)) {
        remove_database_files(temporary);
        return result;
    }
    result.outcome = import_outcome::done;
    return result;
}

}  // namespace zelmora
