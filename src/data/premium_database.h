#pragma once
// The connection to the rating database (a SQLite file) and the small RAII
// layer over SQLite's C API that every table accessor uses.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/result_codes.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zelmora {

inline constexpr const char* premium_database_file_name = "APH Base Premium Data.sqlite";

// How long a statement waits for another connection's lock before it fails
// with "database is locked".
inline constexpr int busy_timeout_milliseconds = 10000;

// SQL with integer and real literals outside quotes and brackets replaced by
// '?', and the literals in order. Exposed for tests.
struct normalized_sql {
    std::string text;
    struct literal {
        bool is_integer;
        long long integer;
        double real;
    };
    std::vector<literal> literals;
};
normalized_sql normalize_sql(const std::string& sql);

class premium_database;

// A prepared statement borrowed from the connection's cache. Integer and real
// literals of the SQL text were turned into bound parameters, so texts that
// differ only in their numbers share one prepared statement; the cache keeps
// them for the life of the connection. Returned (reset) on destruction.
class statement_lease {
public:
    statement_lease() = default;
    statement_lease(statement_lease&& other) noexcept;
    statement_lease& operator=(statement_lease&& other) noexcept;
    statement_lease(const statement_lease&) = delete;
    statement_lease& operator=(const statement_lease&) = delete;
    ~statement_lease();

    sqlite3_stmt* get() const { return stmt_; }
    explicit operator bool() const { return stmt_ != nullptr; }
    void release();

private:
    friend class premium_database;
    using idle_list = std::vector<sqlite3_stmt*>;
    statement_lease(premium_database* owner, idle_list* home, sqlite3_stmt* stmt)
        : owner_(owner), home_(home), stmt_(stmt) {}
    premium_database* owner_ = nullptr;
    idle_list* home_ = nullptr;  // the cache's list of idle statements of the same text
    sqlite3_stmt* stmt_ = nullptr;
};

class premium_database {
    struct token {};  // only the connect functions construct a connection

public:
    premium_database(token, sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
    ~premium_database();
    premium_database(const premium_database&) = delete;
    premium_database& operator=(const premium_database&) = delete;

    // Prepares `sql` (from the cache when possible). With `literals_as_parameters`
    // its numbers become bound parameters; without, the text is prepared as it
    // stands and its own '?' parameters are left for the caller. On failure
    // returns the mapped result code and leaves `lease` empty.
    hresult prepare(const std::string& sql, statement_lease& lease, bool literals_as_parameters = true);
    // The same for a text already normalized (see normalize_sql); its literals are bound.
    hresult prepare(const normalized_sql& sql, statement_lease& lease);

    // Runs a statement that returns no rows (DELETE, BEGIN, COMMIT, ...).
    hresult execute_statement(const std::string& sql);

    // A "session" on the connection: always available while it is open.
    bool open_session() const { return db_ != nullptr; }

    const std::string& path() const { return path_; }
    sqlite3* handle() const { return db_; }
    std::string last_error_message() const;

    // What tells whether the rows may have changed since it was last taken: the
    // count of commits by other connections ("PRAGMA data_version") and the rows
    // this connection changed. Taken inside a read transaction it names the rows
    // that transaction sees. Nothing when it cannot be read.
    struct change_marker {
        long long data_version = -1;
        long long own_changes = -1;
        bool operator==(const change_marker&) const = default;
    };
    change_marker changes() const;

    // How long a statement waits for another connection's lock (tests shorten it).
    void set_busy_timeout(int milliseconds);

    // Number of statements prepared so far (for tests of the cache).
    int prepare_count() const { return prepare_count_; }

    // Notes a read that failed: a table that could not be opened, a fetch that
    // ended in an error (busy, locked, I/O, ...) rather than at the end of the
    // rows, or a stored value the record cannot use, as "ERROR, ..." lines ending
    // in "\r\n". The loaders only see such a read end early; the read_transaction
    // around the reads hands the lines to whoever must not report a result built
    // on them (a repeated failure once).
    void note_read_error(const std::string& lines);

    // SQLite's message for the last failure, in words after a result code's line
    // ("attempt to write a readonly database\r\n"); nothing when there is none.
    void append_last_error_message(std::string& error_text) const;

private:
    friend std::unique_ptr<premium_database> connect_premium_database(const std::string&, std::string&);
    friend std::unique_ptr<premium_database> create_premium_database(const std::string&, std::string&);
    friend class statement_lease;
    friend class read_transaction;
    friend class read_errors_scope;
    void begin_read();
    void end_read();
    hresult prepare_text(const std::string& text, const std::vector<normalized_sql::literal>* literals,
                         statement_lease& lease);
    void give_back(std::vector<sqlite3_stmt*>& home, sqlite3_stmt* stmt);
    void finalize_idle();

    sqlite3* db_ = nullptr;
    std::string path_;
    // The last text prepared with its literals as parameters, taken apart: a
    // reader that opens the same text twice in a row parses it once.
    std::string last_sql_;
    normalized_sql last_normalized_;
    // Idle statements by their (normalized) text. Entries are never erased, so a
    // lease can keep a pointer to its text's list.
    std::unordered_map<std::string, std::vector<sqlite3_stmt*>> idle_;
    int cached_ = 0;
    int prepare_count_ = 0;
    std::string read_errors_;  // noted since the outermost read_errors_scope began
    int error_scopes_ = 0;     // live read_errors_scope objects
    int read_depth_ = 0;       // live read_transaction guards
    bool read_began_ = false;  // the outermost guard began a transaction
};

// Gathers the reads that failed on the connection while it lives (nothing of
// them outlives the outermost scope): whoever must not report a result built
// on such a read asks it.
class read_errors_scope {
public:
    explicit read_errors_scope(premium_database& db);
    ~read_errors_scope();
    read_errors_scope(const read_errors_scope&) = delete;
    read_errors_scope& operator=(const read_errors_scope&) = delete;

    // The "ERROR, ..." lines of the reads that failed since this scope began.
    std::string errors() const;
    bool failed() const;

private:
    premium_database* db_;
    std::size_t first_error_ = 0;
};

// Holds one read transaction on the connection while it lives: every read in
// its scope sees the same committed rows, and a writer on another connection
// waits (up to the busy timeout) until it ends. Guards nest; only the
// outermost begins and ends the transaction, and none begins one while the
// connection is already inside a transaction of its own (a rewrite). Its
// failed reads are gathered as by read_errors_scope.
class read_transaction {
public:
    explicit read_transaction(premium_database& db);
    ~read_transaction();
    read_transaction(const read_transaction&) = delete;
    read_transaction& operator=(const read_transaction&) = delete;

    std::string errors() const { return errors_.errors(); }
    bool failed() const { return errors_.failed(); }

private:
    premium_database* db_;
    read_errors_scope errors_;
};

// Opens an existing rating database read-write; never creates one. The
// connection waits busy_timeout_milliseconds for another one's lock. The file
// must be a SQLite database (header and one query on sqlite_master). On
// failure appends "ERROR, unable to open database \"<path>\"\r\n", the reason
// line and SQLite's own message line, and returns nothing.
std::unique_ptr<premium_database> connect_premium_database(const std::string& path, std::string& error_text);

// Creates a new, empty database file (for the demo generator and tests);
// fails when the file exists.
std::unique_ptr<premium_database> create_premium_database(const std::string& path, std::string& error_text);

}  // namespace zelmora
