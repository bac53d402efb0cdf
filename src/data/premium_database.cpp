#include "data/premium_database.h"

#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "utility/number_text.h"

namespace zelmora {

namespace {

constexpr int max_cached_statements = 256;

void append_connection_failure(const std::string& path, hresult code, const std::string& message,
                               std::string& error_text) {
    error_text += "ERROR, unable to open database \"" + path + "\"\r\n";
    append_oledb_error_text(code, error_text);
    error_text += message + "\r\n";
}

bool has_sqlite_header(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char header[16] = {};
    if (!in.read(header, sizeof header)) return false;
    return std::memcmp(header, "SQLite format 3\0", 16) == 0;
}

bool is_identifier_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// True when the text may drop or alter a table (a false alarm only costs a re-prepare).
bool may_change_schema(const std::string& sql) {
    std::string upper(sql.size(), ' ');
    for (std::size_t i = 0; i < sql.size(); ++i)
        upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i])));
    return upper.find("DROP") != std::string::npos || upper.find("ALTER") != std::string::npos;
}

}  // namespace

// ---------------------------------------------------------------- statement_lease

statement_lease::statement_lease(statement_lease&& other) noexcept
    : owner_(other.owner_), home_(other.home_), stmt_(other.stmt_) {
    other.owner_ = nullptr;
    other.home_ = nullptr;
    other.stmt_ = nullptr;
}

statement_lease& statement_lease::operator=(statement_lease&& other) noexcept {
    if (this != &other) {
        release();
        owner_ = other.owner_;
        home_ = other.home_;
        stmt_ = other.stmt_;
        other.owner_ = nullptr;
        other.home_ = nullptr;
        other.stmt_ = nullptr;
    }
    return *this;
}

statement_lease::~statement_lease() { release(); }

void statement_lease::release() {
    if (stmt_ != nullptr) {
        if (owner_ != nullptr && home_ != nullptr)
            owner_->give_back(*home_, stmt_);
        else
            sqlite3_finalize(stmt_);
    }
    stmt_ = nullptr;
    owner_ = nullptr;
    home_ = nullptr;
}

// ---------------------------------------------------------------- normalize_sql

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// True for the characters after which a run of plain text ends: an opening
// quote or bracket, or a digit.
bool ends_plain_run(char c) { return is_digit(c) || c == '\'' || c == '"' || c == '`' || c == '['; }

}  // namespace

normalized_sql normalize_sql(const std::string& sql) {
    normalized_sql out;
    out.text.reserve(sql.size() + 16);  // room for a clause appended by the caller
    out.literals.reserve(8);
    const std::size_t n = sql.size();
    const char* const s = sql.data();
    std::size_t i = 0;
    while (i < n) {
        // Copy plain text up to the next quote, bracket or digit in one piece
        // (a NUL inside the text stops strcspn early and is copied as plain text).
        std::size_t run = i + std::strcspn(s + i, "0123456789'\"`[");
        while (run < n && !ends_plain_run(s[run])) ++run;
        if (run > i) {
            out.text.append(s + i, run - i);
            i = run;
            if (i == n) break;
        }
        const char c = s[i];
        char close = 0;
        if (c == '\'' || c == '"' || c == '`')
            close = c;
        else if (c == '[')
            close = ']';
        if (close != 0) {
            const std::size_t end = sql.find(close, i + 1);
            const std::size_t stop = end == std::string::npos ? n : end + 1;
            out.text.append(s + i, stop - i);
            i = stop;
            continue;
        }
        // A digit: a literal unless it continues a word such as t1 or x2.
        if (i != 0 && is_identifier_char(s[i - 1])) {
            out.text += c;
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < n && is_digit(s[j])) ++j;
        bool real = false;
        if (j + 1 < n && s[j] == '.' && is_digit(s[j + 1])) {
            real = true;
            ++j;
            while (j < n && is_digit(s[j])) ++j;
        }
        if (j < n && is_identifier_char(s[j])) {  // part of a word such as 1e5 or 12abc: leave it
            out.text.append(s + i, j - i);
            i = j;
            continue;
        }
        normalized_sql::literal lit{!real, 0, 0.0};
        if (!real && j - i <= 18) {  // cannot overflow: 18 digits fit 64 bits
            for (std::size_t k = i; k < j; ++k) lit.integer = lit.integer * 10 + (s[k] - '0');
        } else {
            // The literal's own characters; a number too large for its type is
            // the largest one.
            const std::string_view token(s + i, j - i);
            if (real && !read_decimal_number(token, lit.real)) lit.real = std::numeric_limits<double>::infinity();
            if (!real) lit.integer = leading_whole_number(token).value_or(0);
        }
        out.literals.push_back(lit);
        out.text += '?';
        i = j;
    }
    return out;
}

// ---------------------------------------------------------------- premium_database

premium_database::~premium_database() {
    finalize_idle();
    if (db_ != nullptr) sqlite3_close_v2(db_);
}

void premium_database::finalize_idle() {
    for (auto& [key, list] : idle_) {
        for (sqlite3_stmt* s : list) sqlite3_finalize(s);
        list.clear();
    }
    cached_ = 0;
}

std::string premium_database::last_error_message() const { return db_ != nullptr ? sqlite3_errmsg(db_) : ""; }

void premium_database::append_last_error_message(std::string& error_text) const {
    if (db_ == nullptr || sqlite3_errcode(db_) == SQLITE_OK) return;
    error_text += sqlite3_errmsg(db_);
    error_text += "\r\n";
}

void premium_database::set_busy_timeout(int milliseconds) {
    if (db_ != nullptr) sqlite3_busy_timeout(db_, milliseconds);
}

void premium_database::note_read_error(const std::string& lines) {
    if (read_errors_.find(lines) == std::string::npos) read_errors_ += lines;
}

void premium_database::begin_read() {
    if (read_depth_++ > 0) return;
    // A deferred BEGIN: the snapshot is taken at the first read.
    read_began_ = db_ != nullptr && sqlite3_get_autocommit(db_) != 0 &&
                  sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
}

void premium_database::end_read() {
    if (--read_depth_ > 0 || !read_began_) return;
    read_began_ = false;
    if (sqlite3_get_autocommit(db_) != 0) return;
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

hresult premium_database::prepare(const std::string& sql, statement_lease& lease, bool literals_as_parameters) {
    if (!literals_as_parameters) return prepare_text(sql, nullptr, lease);
    if (sql != last_sql_) {
        last_normalized_ = normalize_sql(sql);
        last_sql_ = sql;
    }
    return prepare(last_normalized_, lease);
}

hresult premium_database::prepare(const normalized_sql& sql, statement_lease& lease) {
    return prepare_text(sql.text, &sql.literals, lease);
}

hresult premium_database::prepare_text(const std::string& text, const std::vector<normalized_sql::literal>* literals,
                                       statement_lease& lease) {
    lease.release();
    sqlite3_stmt* stmt = nullptr;
    std::vector<sqlite3_stmt*>& home = idle_[text];
    if (!home.empty()) {
        stmt = home.back();
        home.pop_back();
        --cached_;
    } else {
        const int rc = sqlite3_prepare_v3(db_, text.c_str(), static_cast<int>(text.size()), SQLITE_PREPARE_PERSISTENT,
                                          &stmt, nullptr);
        ++prepare_count_;
        if (rc != SQLITE_OK) {
            if (stmt != nullptr) sqlite3_finalize(stmt);
            return map_sqlite_result(rc, sqlite3_errmsg(db_));
        }
    }
    if (literals != nullptr) {
        if (sqlite3_bind_parameter_count(stmt) != static_cast<int>(literals->size())) {
            sqlite3_finalize(stmt);
            return DB_E_ERRORSINCOMMAND;
        }
        for (std::size_t k = 0; k < literals->size(); ++k) {
            const auto& lit = (*literals)[k];
            const int index = static_cast<int>(k) + 1;
            if (lit.is_integer)
                sqlite3_bind_int64(stmt, index, lit.integer);
            else
                sqlite3_bind_double(stmt, index, lit.real);
        }
    }
    lease = statement_lease(this, &home, stmt);
    return S_OK_CODE;
}

void premium_database::give_back(std::vector<sqlite3_stmt*>& home, sqlite3_stmt* stmt) {
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (cached_ >= max_cached_statements) {
        sqlite3_finalize(stmt);
        return;
    }
    home.push_back(stmt);
    ++cached_;
}

hresult premium_database::execute_statement(const std::string& sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
    hresult code = S_OK_CODE;
    if (rc != SQLITE_OK) code = map_sqlite_result(rc, message != nullptr ? message : sqlite3_errmsg(db_));
    sqlite3_free(message);
    // A cached statement on a dropped table would still open and fail only at its
    // first fetch; forget the idle ones so the next open reports the missing table.
    if (may_change_schema(sql)) finalize_idle();
    return code;
}

std::unique_ptr<premium_database> connect_premium_database(const std::string& path, std::string& error_text) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        append_connection_failure(path, E_FAIL_CODE, sqlite3_errstr(SQLITE_CANTOPEN), error_text);
        return nullptr;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        if (db != nullptr) sqlite3_close_v2(db);
        append_connection_failure(path, map_sqlite_result(rc, message.c_str()), message, error_text);
        return nullptr;
    }
    sqlite3_busy_timeout(db, busy_timeout_milliseconds);
    // A zero-byte or foreign file would pass as an empty database: prove the header.
    if (!has_sqlite_header(path)) {
        sqlite3_close_v2(db);
        append_connection_failure(path, E_FAIL_CODE, sqlite3_errstr(SQLITE_NOTADB), error_text);
        return nullptr;
    }
    sqlite3_stmt* probe = nullptr;
    int probe_rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, &probe, nullptr);
    if (probe_rc == SQLITE_OK) {
        probe_rc = sqlite3_step(probe);
        if (probe_rc == SQLITE_ROW || probe_rc == SQLITE_DONE) probe_rc = SQLITE_OK;
    }
    const std::string probe_message = sqlite3_errmsg(db);
    sqlite3_finalize(probe);
    if (probe_rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        append_connection_failure(path, map_sqlite_result(probe_rc, probe_message.c_str()), probe_message,
                                  error_text);
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 0);
    return std::make_unique<premium_database>(premium_database::token{}, db, path);
}

std::unique_ptr<premium_database> create_premium_database(const std::string& path, std::string& error_text) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        error_text += "ERROR, database \"" + path + "\" already exists\r\n";
        return nullptr;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        if (db != nullptr) sqlite3_close_v2(db);
        append_connection_failure(path, map_sqlite_result(rc, message.c_str()), message, error_text);
        return nullptr;
    }
    sqlite3_busy_timeout(db, busy_timeout_milliseconds);
    return std::make_unique<premium_database>(premium_database::token{}, db, path);
}

}  // namespace zelmora

namespace zelmora {

premium_database::change_marker premium_database::changes() const {
    change_marker marker;
    if (db_ == nullptr) return marker;
    // Reading the header first takes the read lock, so the version is that of the rows read next.
    for (const char* sql : {"PRAGMA schema_version", "PRAGMA data_version"}) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(stmt);
            return {};
        }
        const bool row = sqlite3_step(stmt) == SQLITE_ROW;
        const long long value = row ? sqlite3_column_int64(stmt, 0) : -1;
        sqlite3_finalize(stmt);
        if (!row) return {};
        if (sql[7] == 'd') marker.data_version = value;
    }
    marker.own_changes = sqlite3_total_changes64(db_);
    return marker;
}

read_errors_scope::read_errors_scope(premium_database& db) : db_(&db) {
    if (db_->error_scopes_++ == 0) db_->read_errors_.clear();  // what failed before belongs to no scope
    first_error_ = db_->read_errors_.size();
}

read_errors_scope::~read_errors_scope() {
    if (--db_->error_scopes_ == 0) db_->read_errors_.clear();
}

std::string read_errors_scope::errors() const { return db_->read_errors_.substr(first_error_); }

bool read_errors_scope::failed() const { return db_->read_errors_.size() > first_error_; }

// The transaction begins before the scope gathers, and ends after it.
read_transaction::read_transaction(premium_database& db) : db_((db.begin_read(), &db)), errors_(db) {}

read_transaction::~read_transaction() {
    // errors_ ends after this body; the transaction ends with it in any order.
    db_->end_read();
}

}  // namespace zelmora
