#pragma once
// Writes the tables of a rating database as CSV files the way mdb-export does
// with its defaults: a header row of the column names, commas, "\n" line ends,
// text in double quotes (a quote inside written twice), booleans as 1 and 0,
// single-precision numbers with "%.8g", NULL as an empty field.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "data/rowsets.h"

namespace zelmora::testing {

inline std::string mdb_export_text(const std::string& text) {
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// Writes "<table>.csv" for each of the ten tables of `database` into `folder`.
inline bool mdb_export_all(const std::string& database, const std::filesystem::path& folder) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = true;
    for (const table_description* t : tables::all()) {
        std::ofstream out(folder / (t->name + ".csv"), std::ios::binary);
        for (std::size_t i = 0; i < t->columns.size(); ++i) out << (i ? "," : "") << t->columns[i].name;
        out << "\n";
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, ("SELECT * FROM `" + t->name + "` ORDER BY rowid").c_str(), -1, &stmt, nullptr) !=
            SQLITE_OK) {
            ok = false;
            continue;
        }
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (std::size_t i = 0; i < t->columns.size(); ++i) {
                const int c = static_cast<int>(i);
                if (i) out << ",";
                if (sqlite3_column_type(stmt, c) == SQLITE_NULL) continue;
                char number[40];
                switch (t->columns[i].type) {
                    case column_type::str:
                        out << mdb_export_text(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)));
                        break;
                    case column_type::boolean: out << (sqlite3_column_int(stmt, c) != 0 ? "1" : "0"); break;
                    case column_type::r4:
                        std::snprintf(number, sizeof number, "%.8g",
                                      static_cast<double>(static_cast<float>(sqlite3_column_double(stmt, c))));
                        out << number;
                        break;
                    default: out << sqlite3_column_int64(stmt, c); break;
                }
            }
            out << "\n";
        }
        sqlite3_finalize(stmt);
        ok = ok && out.good();
    }
    sqlite3_close(db);
    return ok;
}

}  // namespace zelmora::testing
