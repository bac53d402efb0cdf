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

// "inf", "-Infinity", "nan": numbers mdb-export may write, which no column can hold.
bool is_non_finite_word(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    const std::string word = lower_case(std::string(text));
    return word == "inf" || word == "infinity" || word == "nan";
}

// A whole number; a number written with a zero fraction ("19.0") counts as one.
bool parse_integer(std::string_view text, long long& value, bool& out_of_range) {
    out_of_range = false;
    if (read_whole_number(text, value)) return true;
    double d = 0;
    if (!read_decimal_number(text, d) || d != std::trunc(d)) return false;
    if (std::fabs(d) >= 9.2e18) {
        out_of_range = true;
        return false;
    }
    value = static_cast<long long>(d);
    return true;
}

struct integer_range {
    long long lo, hi;
    const char* words;
};

integer_range range_of(column_type type) {
    switch (type) {
        case column_type::i1: return {-128, 127, "an 8-bit integer (-128 to 127)"};
        case column_type::i2: return {-32768, 32767, "a 16-bit integer (-32768 to 32767)"};
        default:
            return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(),
                    "a 32-bit integer"};
    }
}

// Binds a field as the column's type; an empty text when it was bound, else
// what is wrong with it ("is not a whole number").
std::string bind_field(const column_spec& column, const csv_field& field, sqlite3_stmt* stmt, int index) {
    if (column.type == column_type::str) {
        if (field.text.size() > column.width - 1)
            return "is longer than " + std::to_string(column.width - 1) + " characters";
        sqlite3_bind_text(stmt, index, field.text.data(), static_cast<int>(field.text.size()), SQLITE_STATIC);
        return {};
    }
    const std::string_view text = trimmed(field.text);
    if (text.empty()) return "has no value";
    switch (column.type) {
        case column_type::boolean: {
            // Access stores true as -1; mdb-export writes it as 1, or as True with --boolean-words.
            const std::string word = lower_case(std::string(text));
            if (word == "1" || word == "-1" || word == "true") {
                sqlite3_bind_int(stmt, index, -1);
                return {};
            }
            if (word == "0" || word == "false") {
                sqlite3_bind_int(stmt, index, 0);
                return {};
            }
            return "is not a boolean (1 or 0, True or False)";
        }
        case column_type::r4: {
            double d = 0;
            if (is_non_finite_word(text)) return "is not a finite number";
            if (!read_decimal_number(text, d)) return "is not a number";
            if (std::fabs(d) > static_cast<double>(std::numeric_limits<float>::max()))
                return "is beyond single precision";
            // Stored as the single-precision value the readers will see.
            sqlite3_bind_double(stmt, index, static_cast<double>(static_cast<float>(d)));
            return {};
        }
        default: {
            long long v = 0;
            bool out_of_range = false;
            const integer_range range = range_of(column.type);
            if (!parse_integer(text, v, out_of_range))
                return out_of_range ? std::string("is outside ") + range.words : "is not a whole number";
            if (v < range.lo || v > range.hi) return std::string("is outside ") + range.words;
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

    premium_database& db_;
    import_result& result_;
};

bool importer::import_file(const table_description& table, const fs::path& path) {
    const std::string file = path.filename().string();
    csv_reader reader;
    std::string error;
    if (!reader.open(path.string(), error)) {
        problem(file + ": cannot be read: " + error);
        return true;
    }
    if (!reader.next()) {
        problem(file + (reader.error().empty() ? ": no header row"
                                               : ":" + std::to_string(reader.line()) + ": " + reader.error()));
        return true;
    }

    // Header: the position in the file of each column of the table.
    const std::size_t columns = table.columns.size();
    std::vector<long> source(columns, -1);
    const std::size_t width = reader.size();
    bool header_ok = true;
    for (std::size_t i = 0; i < width; ++i) {
        const std::string name = lower_case(std::string(trimmed(reader[i].text)));
        std::size_t c = 0;
        while (c < columns && lower_case(table.columns[c].name) != name) ++c;
        if (c == columns) {
            result_.report +=
                "  " + file + ": column " + shown(reader[i].text) + " is not one the readers use; ignored\n";
        } else if (source[c] >= 0) {
            problem(file + ":" + std::to_string(reader.line()) + ": column \"" + table.columns[c].name +
                    "\" appears twice");
            header_ok = false;
        } else {
            source[c] = static_cast<long>(i);
        }
    }
    for (std::size_t c = 0; c < columns; ++c) {
        if (source[c] >= 0) continue;
        problem(file + ":" + std::to_string(reader.line()) + ": no column \"" + table.columns[c].name + "\"");
        header_ok = false;
    }
    if (!header_ok) return true;

    std::string sql = "INSERT INTO `" + table.name + "` VALUES (";
    for (std::size_t c = 0; c < columns; ++c) sql += c == 0 ? "?" : ", ?";
    sql += ")";
    statement_lease insert;
    if (db_.execute_statement("BEGIN") != S_OK_CODE || db_.prepare(sql, insert, false) != S_OK_CODE) {
        problem(file + ": cannot be stored: " + db_.last_error_message());
        return false;
    }
    sqlite3_stmt* stmt = insert.get();
    long rows = 0;
    while (reader.next()) {
        const std::string at = file + ":" + std::to_string(reader.line()) + ": ";
        if (reader.size() != width) {
            problem(at + std::to_string(reader.size()) + " fields where the header has " + std::to_string(width));
            continue;
        }
        bool row_ok = true;
        for (std::size_t c = 0; c < columns; ++c) {
            const csv_field& field = reader[static_cast<std::size_t>(source[c])];
            const std::string wrong = bind_field(table.columns[c], field, stmt, static_cast<int>(c + 1));
            if (wrong.empty()) continue;
            problem(at + "column \"" + table.columns[c].name + "\": " + shown(field.text) + " " + wrong);
            row_ok = false;
        }
        if (!row_ok) {
            sqlite3_clear_bindings(stmt);
            continue;
        }
        const int rc = sqlite3_step(stmt);
        sqlite3_reset(stmt);
        if (rc != SQLITE_DONE) {
            problem(at + "cannot be stored: " + db_.last_error_message());
            return false;
        }
        ++rows;
    }
    if (!reader.error().empty()) problem(file + ":" + std::to_string(reader.line()) + ": " + reader.error());
    insert.release();
    if (db_.execute_statement("COMMIT") != S_OK_CODE) {
        problem(file + ": cannot be stored: " + db_.last_error_message());
        return false;
    }
    char line[160];
    std::snprintf(line, sizeof line, "%-27s %9ld rows from \"%s\"\n", table.name.c_str(), rows, file.c_str());
    result_.report += line;
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

// The finished database flushed to the disk and renamed to the output, which
// it never replaces: an output created since the start (a file, a symbolic
// link) stays, and the import fails.
bool put_in_place(const std::string& temporary, const std::string& output, import_result& result) {
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
    std::error_code ec;
    if (!fs::is_directory(directory, ec)) {
        result.problems = "\"" + directory + "\" is not a directory\n";
        return result;
    }
    if (fs::exists(fs::symlink_status(output, ec))) {  // a symbolic link too, even a dangling one
        result.problems = "\"" + output + "\" exists; the import writes a new file only\n";
        return result;
    }
    const fs::path output_path(output);
    const fs::path folder = output_path.has_parent_path() ? output_path.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) {
        result.problems = "the folder of \"" + output + "\" does not exist\n";
        return result;
    }

    // One file per table, named after it.
    const auto files = files_by_lower_name(directory);
    std::vector<std::pair<const table_description*, fs::path>> found;
    std::vector<const table_description*> missing_optional;
    std::string missing_required;
    for (const table_description* table : tables::all()) {
        const std::string name = table->name + ".csv";
        fs::path path = fs::path(directory) / name;
        if (!fs::is_regular_file(path, ec)) {
            const auto it = files.find(lower_case(name));
            path = it != files.end() ? it->second : fs::path();
        }
        if (!path.empty())
            found.emplace_back(table, path);
        else if (table_is_required(table->name))
            missing_required += (missing_required.empty() ? "\"" : ", \"") + name + "\"";
        else
            missing_optional.push_back(table);
    }
    if (!missing_required.empty()) {
        result.problems = "\"" + directory + "\" has no " + missing_required + "\n";
        return result;
    }

    // The rows go into a file of their own beside the output until all is read.
    result.outcome = import_outcome::failed;
    const std::string temporary = output + ".import-" + std::to_string(::getpid());
    remove_database_files(temporary);
    const removal_on_interrupt removal(temporary);  // no journal: the file is all there is
    bool written = false;
    {
        std::string error;
        std::unique_ptr<premium_database> db = create_premium_database(temporary, error);
        if (!db) {
            result.problems = "cannot create \"" + temporary + "\": " + error;
            while (!result.problems.empty() && (result.problems.back() == '\n' || result.problems.back() == '\r'))
                result.problems.pop_back();
            result.problems += "\n";
            return result;
        }
        // The file is thrown away if anything fails, so it needs no journal.
        if (db->execute_statement("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA page_size = 8192;") !=
                S_OK_CODE ||
            db->execute_statement(schema_tables_sql()) != S_OK_CODE) {
            result.problems = "cannot create the tables: " + db->last_error_message() + "\n";
        } else {
            importer in(*db, result);
            for (const auto& [table, path] : found)
                if (!in.import_file(*table, path)) break;
            for (const table_description* table : missing_optional) {
                char line[160];
                std::snprintf(line, sizeof line, "%-27s no \"%s.csv\": the table is left empty\n", table->name.c_str(),
                              table->name.c_str());
                result.report += line;
            }
            if (result.problems.empty()) {
                if (db->execute_statement(schema_indexes_sql()) != S_OK_CODE ||
                    db->execute_statement("ANALYZE") != S_OK_CODE)
                    result.problems = "cannot create the indexes: " + db->last_error_message() + "\n";
                else
                    written = true;
            }
        }
    }
    if (written) written = put_in_place(temporary, output, result);
    if (!written) {
        remove_database_files(temporary);
        return result;
    }
    result.outcome = import_outcome::done;
    return result;
}

}  // namespace zelmora
