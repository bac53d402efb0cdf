#pragma once
// The ten tables of the rating database: one record per table, bound to the
// table's columns by ordinal, and one accessor class per table. A single
// generic accessor, driven by each table's column description, does the work.
#include <cstddef>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "data/premium_database.h"
#include "data/value_rules.h"

namespace zelmora {

// Types in which a record binds its columns.
enum class column_type : std::uint8_t {
    i1,       // 8-bit signed integer
    i2,       // 16-bit signed integer
    i4,       // 32-bit signed integer
    r4,       // single precision; widened to double where used
    boolean,  // 16-bit, the stored integer (-1 true, 0 false)
    str,      // zero-terminated text of `width` bytes (at most width - 1 characters)
};

struct column_spec {
    std::string name;  // the column's name in the schema
    column_type type;
    std::size_t offset;     // of the field in the record
    std::size_t width = 0;  // buffer size of a str column
    const value_rule* rule = nullptr;  // what a usable stored value is (value_rules.h)
};

struct table_description {
    std::string name;
    std::vector<column_spec> columns;  // ordinal 1 is columns[0]
};

// ------------------------------------------------------------------ records

struct record_b_value_single_crop {
    std::int8_t set_number = 0;
    std::int16_t b_index = 0;
    float b_value = 0;
    float b_value_harvest_guarantee = 0;
};

// Declared in the order of columns 1, 3, 2, 4.
struct record_b_value_single_crop_lookup {
    std::int16_t state_fips = 0;
    std::int16_t crop_number = 0;
    std::int16_t region_flag = 0;
    std::int8_t set_number = 0;
};

struct record_b_value_whole_farm {
    std::int16_t state_fips = 0;
    std::int16_t region_flag = 0;
    std::int16_t column_number = 0;
    std::int16_t b_index = 0;
    float b_value = 0;
    float b_value_harvest_guarantee = 0;
};

// Rate data stored scaled: yields in hundredths, rates in thousandths.
struct record_continuous_rates {
    std::int16_t state_fips = 0;
    std::int16_t county_fips = 0;
    std::int16_t crop_year = 0;
    std::int16_t crop_code = 0;
    std::int16_t insurance_plan_id = 0;
    std::int16_t practice_code = 0;
    std::int16_t type_code = 0;
    std::int32_t reference_yield = 0;
    std::int32_t reference_rate = 0;
    std::int32_t exponent = 0;
    std::int32_t fixed_rate_load = 0;
    std::int32_t yield[13] = {};    // columns 12, 14, ..., 36
    std::int32_t premium[13] = {};  // columns 13, 15, ..., 37
    std::int32_t prior_year_reference_yield = 0;
    std::int32_t prior_year_reference_rate = 0;
    std::int32_t prior_year_exponent = 0;
    std::int32_t prior_year_fixed_rate_load = 0;

    // A yield level of the span table: whole units, the remainder dropped (12399 -> 123).
    std::int32_t yield_level(int i) const { return yield[i] / 100; }
};

struct record_county_average_yields {
    std::int16_t state_fips = 0;
    std::int16_t county_fips = 0;
    std::int16_t crop_code = 0;
    float average_yield = 0;
};

struct record_county_list {
    std::int16_t state_fips = 0;
    std::int16_t county_fips = 0;
    char county_name[51] = {};
    std::int16_t region_flag = 0;
    std::int16_t crop_indicator[9] = {};
    std::int16_t indicator_8085[9] = {};
};

struct record_endogenous_risk_surcharge {
    std::int16_t coverage_level = 0;
    std::int16_t crop_code = 0;
    std::int16_t state_fips = 0;
    std::int16_t county_fips = 0;
    std::int16_t crop_year = 0;
    std::int16_t practice_code = 0;
    std::int16_t type_code = 0;
    float rate_differential = 0;
    float residual_factor = 0;
    float prior_year_rate_differential = 0;
    float prior_year_residual_factor = 0;
};

struct record_lookup_column_number {
    std::int16_t state_fips = 0;
    std::int16_t region_flag = 0;
    std::int16_t column_number = 0;
    char column_code[11] = {};
    std::int16_t crop_set[9] = {};
};

struct record_lookup_code {
    std::int16_t code = 0;
    char description[255] = {};
};

// Copies text into a record's fixed buffer, cut to size - 1 bytes.
void copy_to_buffer(char* buffer, std::size_t size, const std::string& text);

// ------------------------------------------------------------------ tables

namespace tables {
const table_description& b_value_single_crop();
const table_description& b_value_single_crop_lookup();
const table_description& b_value_whole_farm();
const table_description& continuous_rates();
const table_description& county_average_yields();
const table_description& county_list();
const table_description& endogenous_risk_surcharge();
const table_description& lookup_column_number();
const table_description& lookup_practice_code();
const table_description& lookup_type_code();
// All ten, in the order above.
std::vector<const table_description*> all();
}  // namespace tables

// ------------------------------------------------------------------ accessor

class rowset_base {
public:
    rowset_base(const rowset_base&) = delete;
    rowset_base& operator=(const rowset_base&) = delete;
    virtual ~rowset_base() = default;

    // Sends "SELECT * FROM `<table>`" and, with a filter, " WHERE <filter>";
    // rows come in stored (rowid) order. 0 = opened.
    hresult open_with_filter(premium_database& db, const char* filter = nullptr);
    hresult open_with_filter(premium_database& db, const std::string& filter) {
        return open_with_filter(db, filter.c_str());
    }
    // Sends "SELECT * FROM `<table>` WHERE <condition>" with the condition's '?'
    // bound, in order, to `values` (at most eight). 0 = opened.
    hresult open_where(premium_database& db, const char* condition, std::initializer_list<int> values);
    // Fetch a row into the record; only 0 means a row was fetched.
    hresult move_first();
    hresult move_next();
    void close();
    // Inserts the record's fields as a new row of the open table; 0 = inserted.
    hresult insert_row();

    // The command text of the last open (without the ordering clause added to it),
    // with bound values written in place of their '?'.
    std::string command_text() const;
    const table_description& table() const { return table_; }
    const std::string& table_name() const { return table_.name; }
    bool is_open() const { return static_cast<bool>(select_); }

protected:
    rowset_base(const table_description& table, void* record) : table_(table), record_(record) {}
    hresult open_command(premium_database& db, const std::string& command);
    hresult open_command(premium_database& db, const std::string& command, std::initializer_list<int> values);

private:
    static std::string select_text(const std::string& command);
    hresult open_failed(hresult code);  // notes the failure on the connection
    hresult fetch();
    hresult bind_row();
    hresult unusable_value(const column_spec& column, int col);  // notes it on the connection

    const table_description& table_;
    void* record_;
    premium_database* db_ = nullptr;
    statement_lease select_;
    std::string command_text_;
    std::array<int, 8> bound_{};  // the values of the command's '?', in order
    std::size_t bound_count_ = 0;
    bool fetched_any_ = false;
    bool at_end_ = false;  // the statement ran out (or failed); only move_first starts over
};

template <class Record>
class rowset : public rowset_base {
public:
    Record record{};

protected:
    explicit rowset(const table_description& table) : rowset_base(table, &record) {}
};

class rowset_b_value_single_crop : public rowset<record_b_value_single_crop> {
public:
    rowset_b_value_single_crop() : rowset(tables::b_value_single_crop()) {}
};
class rowset_b_value_single_crop_lookup : public rowset<record_b_value_single_crop_lookup> {
public:
    rowset_b_value_single_crop_lookup() : rowset(tables::b_value_single_crop_lookup()) {}
};
class rowset_b_value_whole_farm : public rowset<record_b_value_whole_farm> {
public:
    rowset_b_value_whole_farm() : rowset(tables::b_value_whole_farm()) {}
};
class rowset_continuous_rates : public rowset<record_continuous_rates> {
public:
    rowset_continuous_rates() : rowset(tables::continuous_rates()) {}
    // "SELECT * FROM [Continuous Rates] WHERE ([Crop Code] = %d) AND ([State FIPS] = %d) AND ([County FIPS] = %d)"
    hresult open_by_crop(premium_database& db, int crop_code, int state_fips, int county_fips);
};
class rowset_county_average_yields : public rowset<record_county_average_yields> {
public:
    rowset_county_average_yields() : rowset(tables::county_average_yields()) {}
};
class rowset_county_list : public rowset<record_county_list> {
public:
    rowset_county_list() : rowset(tables::county_list()) {}
};
class rowset_endogenous_risk_surcharge : public rowset<record_endogenous_risk_surcharge> {
public:
    rowset_endogenous_risk_surcharge() : rowset(tables::endogenous_risk_surcharge()) {}
};
class rowset_lookup_column_number : public rowset<record_lookup_column_number> {
public:
    rowset_lookup_column_number() : rowset(tables::lookup_column_number()) {}
};
class rowset_lookup_practice_code : public rowset<record_lookup_code> {
public:
    rowset_lookup_practice_code() : rowset(tables::lookup_practice_code()) {}
};
class rowset_lookup_type_code : public rowset<record_lookup_code> {
public:
    rowset_lookup_type_code() : rowset(tables::lookup_type_code()) {}
};

}  // namespace zelmora
