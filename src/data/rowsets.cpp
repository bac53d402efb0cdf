#include "data/rowsets.h"

#include <sqlite3.h>

#include <charconv>
#include <cstring>
#include <string>

#include "utility/number_text.h"

namespace zelmora {

void copy_to_buffer(char* buffer, std::size_t size, const std::string& text) {
    if (size == 0) return;
    const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

namespace tables {

namespace {

column_spec col(std::string name, column_type type, std::size_t offset, std::size_t width = 0) {
    return column_spec{std::move(name), type, offset, width};
}

// The table with each column's rule of usable values attached.
table_description with_rules(table_description table) {
    for (column_spec& c : table.columns) c.rule = find_value_rule(table.name, c.name);
    return table;
}

}  // namespace

const table_description& b_value_single_crop() {
    using R = record_b_value_single_crop;
    static const table_description t = with_rules({"B Value Single Crop",
                                                   {col("Set Number", column_type::i1, offsetof(R, set_number)),
                                                    col("B Index", column_type::i2, offsetof(R, b_index)),
                                                    col("B Value", column_type::r4, offsetof(R, b_value)),
                                                    col("B Value Harvest Guarantee", column_type::r4,
                                                        offsetof(R, b_value_harvest_guarantee))}});
    return t;
}

const table_description& b_value_single_crop_lookup() {
    using R = record_b_value_single_crop_lookup;
    static const table_description t = with_rules({"B Value Single Crop Lookup",
                                                   {col("State FIPS", column_type::i2, offsetof(R, state_fips)),
                                                    col("Region Flag", column_type::boolean, offsetof(R, region_flag)),
                                                    col("Crop Number", column_type::i2, offsetof(R, crop_number)),
                                                    col("Set Number", column_type::i1, offsetof(R, set_number))}});
    return t;
}

const table_description& b_value_whole_farm() {
    using R = record_b_value_whole_farm;
    static const table_description t = with_rules({"B Value Whole Farm",
                                                   {col("State FIPS", column_type::i2, offsetof(R, state_fips)),
                                                    col("Region Flag", column_type::boolean, offsetof(R, region_flag)),
                                                    col("Column Number", column_type::i2, offsetof(R, column_number)),
                                                    col("B Index", column_type::i2, offsetof(R, b_index)),
                                                    col("B Value", column_type::r4, offsetof(R, b_value)),
                                                    col("B Value Harvest Guarantee", column_type::r4,
                                                        offsetof(R, b_value_harvest_guarantee))}});
    return t;
}

const table_description& continuous_rates() {
    using R = record_continuous_rates;
    static const table_description t = [] {
        table_description d{"Continuous Rates",
                            {col("State FIPS", column_type::i2, offsetof(R, state_fips)),
                             col("County FIPS", column_type::i2, offsetof(R, county_fips)),
                             col("Crop Year", column_type::i2, offsetof(R, crop_year)),
                             col("Crop Code", column_type::i2, offsetof(R, crop_code)),
                             col("Insurance Plan ID", column_type::i2, offsetof(R, insurance_plan_id)),
                             col("Practice Code", column_type::i2, offsetof(R, practice_code)),
                             col("Type Code", column_type::i2, offsetof(R, type_code)),
                             col("Reference Yield", column_type::i4, offsetof(R, reference_yield)),
                             col("Reference Rate", column_type::i4, offsetof(R, reference_rate)),
                             col("Exponent", column_type::i4, offsetof(R, exponent)),
                             col("Fixed Rate Load", column_type::i4, offsetof(R, fixed_rate_load))}};
        for (int i = 0; i < 13; ++i) {
            d.columns.push_back(col("Yield " + std::to_string(i + 1), column_type::i4,
                                    offsetof(R, yield) + sizeof(std::int32_t) * static_cast<std::size_t>(i)));
            d.columns.push_back(col("Premium " + std::to_string(i + 1), column_type::i4,
                                    offsetof(R, premium) + sizeof(std::int32_t) * static_cast<std::size_t>(i)));
        }
        d.columns.push_back(col("Prior Year Reference Yield", column_type::i4, offsetof(R, prior_year_reference_yield)));
        d.columns.push_back(col("Prior Year Reference Rate", column_type::i4, offsetof(R, prior_year_reference_rate)));
        d.columns.push_back(col("Prior Year Exponent", column_type::i4, offsetof(R, prior_year_exponent)));
        d.columns.push_back(col("Prior Year Fixed Rate Load", column_type::i4, offsetof(R, prior_year_fixed_rate_load)));
        return with_rules(std::move(d));
    }();
    return t;
}

const table_description& county_average_yields() {
    using R = record_county_average_yields;
    static const table_description t = with_rules({"County Average Yields",
                                                   {col("State FIPS", column_type::i2, offsetof(R, state_fips)),
                                                    col("County FIPS", column_type::i2, offsetof(R, county_fips)),
                                                    col("Crop Code", column_type::i2, offsetof(R, crop_code)),
                                                    col("Average Yield", column_type::r4,
                                                        offsetof(R, average_yield))}});
    return t;
}

const table_description& county_list() {
    using R = record_county_list;
    static const table_description t = [] {
        table_description d{"County List",
                            {col("State FIPS", column_type::i2, offsetof(R, state_fips)),
                             col("County FIPS", column_type::i2, offsetof(R, county_fips)),
                             col("County Name", column_type::str, offsetof(R, county_name), sizeof(R::county_name)),
                             col("Region Flag", column_type::boolean, offsetof(R, region_flag))}};
        for (int i = 0; i < 9; ++i)
            d.columns.push_back(col("Crop Indicator " + std::to_string(i + 1), column_type::boolean,
                                    offsetof(R, crop_indicator) + sizeof(std::int16_t) * static_cast<std::size_t>(i)));
        for (int i = 0; i < 9; ++i)
            d.columns.push_back(col("8085 Indicator " + std::to_string(i + 1), column_type::boolean,
                                    offsetof(R, indicator_8085) + sizeof(std::int16_t) * static_cast<std::size_t>(i)));
        return with_rules(std::move(d));
    }();
    return t;
}

const table_description& endogenous_risk_surcharge() {
    using R = record_endogenous_risk_surcharge;
    static const table_description t = with_rules({
        "Endogenous Risk Surcharge",
        {col("Coverage Level", column_type::i2, offsetof(R, coverage_level)),
         col("Crop Code", column_type::i2, offsetof(R, crop_code)),
         col("State FIPS", column_type::i2, offsetof(R, state_fips)),
         col("County FIPS", column_type::i2, offsetof(R, county_fips)),
         col("Crop Year", column_type::i2, offsetof(R, crop_year)),
         col("Practice Code", column_type::i2, offsetof(R, practice_code)),
         col("Type Code", column_type::i2, offsetof(R, type_code)),
         col("Rate Differential", column_type::r4, offsetof(R, rate_differential)),
         col("Residual Factor", column_type::r4, offsetof(R, residual_factor)),
         col("Prior Year Rate Differential", column_type::r4, offsetof(R, prior_year_rate_differential)),
         col("Prior Year Residual Factor", column_type::r4, offsetof(R, prior_year_residual_factor))}});
    return t;
}

const table_description& lookup_column_number() {
    using R = record_lookup_column_number;
    static const table_description t = [] {
        table_description d{"Lookup Column Number",
                            {col("State FIPS", column_type::i2, offsetof(R, state_fips)),
                             col("Region Flag", column_type::boolean, offsetof(R, region_flag)),
                             col("Column Number", column_type::i2, offsetof(R, column_number)),
                             col("Column Code", column_type::str, offsetof(R, column_code), sizeof(R::column_code))}};
        for (int i = 0; i < 9; ++i)
            d.columns.push_back(col("Crop Set " + std::to_string(i + 1), column_type::boolean,
                                    offsetof(R, crop_set) + sizeof(std::int16_t) * static_cast<std::size_t>(i)));
        return with_rules(std::move(d));
    }();
    return t;
}

const table_description& lookup_practice_code() {
    using R = record_lookup_code;
    static const table_description t = with_rules({"Lookup Practice Code",
                                                   {col("Practice Code", column_type::i2, offsetof(R, code)),
                                                    col("Description", column_type::str, offsetof(R, description),
                                                        sizeof(R::description))}});
    return t;
}

const table_description& lookup_type_code() {
    using R = record_lookup_code;
    static const table_description t = with_rules({"Lookup Type Code",
                                                   {col("Type Code", column_type::i2, offsetof(R, code)),
                                                    col("Description", column_type::str, offsetof(R, description),
                                                        sizeof(R::description))}});
    return t;
}

std::vector<const table_description*> all() {
    return {&b_value_single_crop(),   &b_value_single_crop_lookup(), &b_value_whole_farm(), &continuous_rates(),
            &county_average_yields(), &county_list(),                &endogenous_risk_surcharge(),
            &lookup_column_number(),  &lookup_practice_code(),       &lookup_type_code()};
}

}  // namespace tables

// ------------------------------------------------------------------ accessor

namespace {

// A column of the current row. One call per column: its type and value are then
// read from the value itself (the connection is used by one thread only).
sqlite3_value* column_of(sqlite3_stmt* stmt, int col) { return sqlite3_column_value(stmt, col); }

// A stored value as a message shows it: NULL, a blob, a number, or text in
// quotes cut to 40 characters.
std::string value_text(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_NULL: return "NULL";
        case SQLITE_BLOB: return "a blob";
        case SQLITE_INTEGER: return std::to_string(sqlite3_value_int64(value));
        case SQLITE_FLOAT: return general_text(sqlite3_value_double(value), 17);
        default: {
            const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
            std::string shown = text != nullptr ? text : "";
            if (shown.size() > 40) shown = shown.substr(0, 40) + "...";
            for (char& c : shown)
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
            return "'" + shown + "'";
        }
    }
}

// "ERROR, <what> table [<name>]\r\n", the result code's text and SQLite's message.
std::string failure_lines(const char* what, const std::string& table, hresult code, const std::string& message) {
    std::string lines = "ERROR, ";
    lines += what;
    lines += " table [" + table + "]\r\n";
    append_oledb_error_text(code, lines);
    if (!message.empty()) lines += message + "\r\n";
    return lines;
}

}  // namespace

hresult rowset_base::open_with_filter(premium_database& db, const char* filter) {
    std::string command;
    command.reserve(table_.name.size() + 24 + (filter != nullptr ? std::strlen(filter) : 0));
    command += "SELECT * FROM `";
    command += table_.name;
    command += '`';
    if (filter != nullptr) {
        command += " WHERE ";
        command += filter;
    }
    return open_command(db, command);
}

hresult rowset_base::open_where(premium_database& db, const char* condition, std::initializer_list<int> values) {
    std::string command;
    command.reserve(table_.name.size() + 24 + std::strlen(condition));
    command += "SELECT * FROM `";
    command += table_.name;
    command += "` WHERE ";
    command += condition;
    return open_command(db, command, values);
}

hresult rowset_base::open_command(premium_database& db, const std::string& command) {
    close();
    command_text_ = command;
    bound_count_ = 0;
    db_ = &db;
    statement_lease lease;
    const hresult hr = db.prepare(select_text(command), lease);
    if (hr != S_OK_CODE) return open_failed(hr);
    if (sqlite3_column_count(lease.get()) - 1 < static_cast<int>(table_.columns.size()))
        return open_failed(DB_E_BADORDINAL);
    select_ = std::move(lease);
    fetched_any_ = false;
    at_end_ = false;
    return S_OK_CODE;
}

hresult rowset_base::open_command(premium_database& db, const std::string& command,
                                  std::initializer_list<int> values) {
    close();
    command_text_ = command;
    bound_count_ = 0;
    db_ = &db;
    if (values.size() > bound_.size()) return DB_E_ERRORSINCOMMAND;
    for (const int v : values) bound_[bound_count_++] = v;
    statement_lease lease;
    const hresult hr = db.prepare(select_text(command), lease, false);
    if (hr != S_OK_CODE) return open_failed(hr);
    sqlite3_stmt* stmt = lease.get();
    if (sqlite3_bind_parameter_count(stmt) != static_cast<int>(bound_count_)) return DB_E_ERRORSINCOMMAND;
    for (std::size_t k = 0; k < bound_count_; ++k) sqlite3_bind_int(stmt, static_cast<int>(k) + 1, bound_[k]);
    if (sqlite3_column_count(stmt) - 1 < static_cast<int>(table_.columns.size())) return open_failed(DB_E_BADORDINAL);
    select_ = std::move(lease);
    fetched_any_ = false;
    at_end_ = false;
    return S_OK_CODE;
}

std::string rowset_base::select_text(const std::string& command) {
    // Every command starts "SELECT * FROM"; the row's rowid comes last, for the
    // messages on unusable values, and rows always come in the table's stored
    // order, whatever indexes exist.
    std::string text = "SELECT *, rowid";
    text.append(command, 8, std::string::npos);
    text += " ORDER BY rowid";
    return text;
}

hresult rowset_base::open_failed(hresult code) {
    std::string message;
    if (code != DB_E_BADORDINAL && db_ != nullptr) message = db_->last_error_message();
    if (db_ != nullptr) db_->note_read_error(failure_lines("unable to open", table_.name, code, message));
    return code;
}

std::string rowset_base::command_text() const {
    if (bound_count_ == 0) return command_text_;
    std::string text;
    text.reserve(command_text_.size() + 8 * bound_count_);
    std::size_t next = 0;
    for (const char c : command_text_) {
        if (c == '?' && next < bound_count_)
            text += std::to_string(bound_[next++]);
        else
            text += c;
    }
    return text;
}

hresult rowset_continuous_rates::open_by_crop(premium_database& db, int crop_code, int state_fips, int county_fips) {
    return open_command(db,
                        "SELECT * FROM [Continuous Rates] WHERE ([Crop Code] = ?) AND ([State FIPS] = ?) AND "
                        "([County FIPS] = ?)",
                        {crop_code, state_fips, county_fips});
}

hresult rowset_base::move_first() {
    if (!select_) return DB_E_BADROWHANDLE;
    if (fetched_any_) sqlite3_reset(select_.get());
    fetched_any_ = true;
    at_end_ = false;
    return fetch();
}

hresult rowset_base::move_next() {
    if (!select_) return DB_E_BADROWHANDLE;
    fetched_any_ = true;
    return fetch();
}

hresult rowset_base::fetch() {
    // SQLite would start the statement over on the next step; a rowset stays at its end.
    if (at_end_) return DB_S_ENDOFROWSET;
    const int rc = sqlite3_step(select_.get());
    if (rc == SQLITE_ROW) return bind_row();
    at_end_ = true;
    if (rc == SQLITE_DONE) return DB_S_ENDOFROWSET;
    const std::string message = db_ != nullptr ? db_->last_error_message() : std::string();
    const hresult code = map_sqlite_result(rc, message.c_str());
    if (db_ != nullptr) db_->note_read_error(failure_lines("unable to read", table_.name, code, message));
    return code == S_OK_CODE ? E_FAIL_CODE : code;
}

hresult rowset_base::unusable_value(const column_spec& column, int col) {
    sqlite3_stmt* stmt = select_.get();
    if (db_ != nullptr) {
        const long long rowid = sqlite3_column_int64(stmt, sqlite3_column_count(stmt) - 1);
        std::string line = "ERROR, unusable value in table [" + table_.name + "], column [" + column.name +
                           "], rowid " + std::to_string(rowid) + ": " + value_text(column_of(stmt, col));
        if (column.rule != nullptr) line += " is not " + column.rule->words;
        db_->note_read_error(line + "\r\n");
    }
    return DB_E_UNSUPPORTEDCONVERSION;
}

hresult rowset_base::bind_row() {
    sqlite3_stmt* stmt = select_.get();
    auto* base = static_cast<unsigned char*>(record_);
    int col = 0;
    for (const column_spec& c : table_.columns) {
        void* field = base + c.offset;
        sqlite3_value* value = column_of(stmt, col);
        // A column the rule table does not name is refused rather than guessed at.
        if (c.rule == nullptr) return unusable_value(c, col);
        const stored_value v = judge_stored_value(*c.rule, value);
        if (!v.usable) return unusable_value(c, col);
        // Each rule's range lies within its field's type, so nothing is cut here.
        switch (c.type) {
            case column_type::i1: *static_cast<std::int8_t*>(field) = static_cast<std::int8_t>(v.integer); break;
            case column_type::i2:
            case column_type::boolean: *static_cast<std::int16_t*>(field) = static_cast<std::int16_t>(v.integer); break;
            case column_type::i4: *static_cast<std::int32_t*>(field) = static_cast<std::int32_t>(v.integer); break;
            case column_type::r4: *static_cast<float*>(field) = static_cast<float>(v.real); break;
            case column_type::str: {
                const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
                copy_to_buffer(static_cast<char*>(field), c.width, text != nullptr ? text : "");
                break;
            }
        }
        ++col;
    }
    return S_OK_CODE;
}

void rowset_base::close() { select_.release(); }

hresult rowset_base::insert_row() {
    if (db_ == nullptr || !select_) return DB_E_BADACCESSORHANDLE;
    // One placeholder per column of the table as it is stored; columns past the
    // record's are left empty.
    const int table_columns = sqlite3_column_count(select_.get()) - 1;  // less the rowid
    std::string sql = "INSERT INTO `" + table_.name + "` VALUES (";
    for (int i = 0; i < table_columns; ++i) sql += i == 0 ? "?" : ", ?";
    sql += ")";
    statement_lease insert;
    hresult hr = db_->prepare(sql, insert, false);
    if (hr != S_OK_CODE) return hr;
    sqlite3_stmt* stmt = insert.get();
    const auto* base = static_cast<const unsigned char*>(record_);
    int index = 1;
    for (const column_spec& c : table_.columns) {
        const void* field = base + c.offset;
        switch (c.type) {
            case column_type::i1: sqlite3_bind_int(stmt, index, *static_cast<const std::int8_t*>(field)); break;
            case column_type::i2:
            case column_type::boolean:
                sqlite3_bind_int(stmt, index, *static_cast<const std::int16_t*>(field));
                break;
            case column_type::i4: sqlite3_bind_int(stmt, index, *static_cast<const std::int32_t*>(field)); break;
            case column_type::r4:
                sqlite3_bind_double(stmt, index, static_cast<double>(*static_cast<const float*>(field)));
                break;
            case column_type::str: {
                const char* text = static_cast<const char*>(field);
                sqlite3_bind_text(stmt, index, text, static_cast<int>(strnlen(text, c.width)), SQLITE_TRANSIENT);
                break;
            }
        }
        ++index;
    }
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_DONE) return S_OK_CODE;
    return map_sqlite_result(rc, db_->last_error_message().c_str());
}

}  // namespace zelmora
