#include "data/value_rules.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <vector>

#include "data/crops.h"

namespace zelmora {

namespace {

// Ceilings of the stored rate data, far above any real rating and far below
// what would overflow the arithmetic. Yields are stored in hundredths and rates
// in thousandths.
constexpr double yield_ceiling = 10'000'000;  // 100,000, the highest yield a farm's inputs take
constexpr double rate_ceiling = 1000;         // 1.000: the whole liability
constexpr double exponent_limit = 5000;       // +-5.000: a yield ratio of 0.5..1.5 scales the rate by 1/32..32 at most
constexpr double factor_ceiling = 10;         // rate differentials and residual factors are about 1
constexpr double b_value_limit = 1000;        // polynomial coefficients; the demo's lie within +-7

constexpr std::array<int, 2> region_flag_values = {-1, 0};  // the readers take only -1 for true
constexpr std::array<int, 3> flag_values = {-1, 0, 1};

std::string number_words(double value) {
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return ec == std::errc() ? std::string(text, end) : std::string("?");
}

value_rule whole(double lowest, double highest, const char* note = nullptr) {
    value_rule r;
    r.kind = stored_kind::whole_number;
    r.lowest = lowest;
    r.highest = highest;
    r.words = "a whole number from " + number_words(lowest) + " to " + number_words(highest);
    if (note != nullptr) r.words += std::string(" (") + note + ")";
    return r;
}

// A 16-bit code or key: whatever the column's type holds.
value_rule code() { return whole(-32768, 32767); }

value_rule one_of(std::span<const int> values, const char* words = nullptr) {
    value_rule r;
    r.kind = stored_kind::whole_number;
    r.lowest = r.highest = values.front();
    for (const int v : values) {
        r.lowest = std::min(r.lowest, static_cast<double>(v));
        r.highest = std::max(r.highest, static_cast<double>(v));
    }
    r.allowed = values;
    if (words != nullptr) {
        r.words = words;
    } else {
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i > 0) r.words += i + 1 == values.size() ? " or " : ", ";
            r.words += std::to_string(values[i]);
        }
    }
    return r;
}

value_rule number(double lowest, double highest) {
    value_rule r;
    r.kind = stored_kind::number;
    r.lowest = lowest;
    r.highest = highest;
    r.words = "a number from " + number_words(lowest) + " to " + number_words(highest);
    return r;
}

value_rule text(std::size_t longest) {
    value_rule r;
    r.kind = stored_kind::text;
    r.longest = longest;
    r.words = "a text of at most " + std::to_string(longest) + " characters";
    return r;
}

value_rule region_flag() { return one_of(region_flag_values, "-1 (true) or 0 (false)"); }
value_rule flag() { return one_of(flag_values); }
value_rule b_value() { return number(-b_value_limit, b_value_limit); }

struct rule_table {
    std::vector<column_value_rule> rows;

    void add(const char* table, std::string column, value_rule rule) {
        rows.push_back({table, std::move(column), std::move(rule)});
    }
    // "Crop Indicator 1" .. "Crop Indicator 9"
    void add_numbered(const char* table, const std::string& prefix, int count, const value_rule& rule) {
        for (int i = 1; i <= count; ++i) add(table, prefix + std::to_string(i), rule);
    }
};

rule_table make_rules() {
    rule_table t;
    const char* table = "B Value Single Crop";
    t.add(table, "Set Number", whole(1, 5));  // the calculator holds five sets
    t.add(table, "B Index", whole(0, 14));    // of 15 values each
    t.add(table, "B Value", b_value());
    t.add(table, "B Value Harvest Guarantee", b_value());

    table = "B Value Single Crop Lookup";
    t.add(table, "State FIPS", one_of(rated_states, "the FIPS code of one of the 23 rated states"));
    t.add(table, "Region Flag", region_flag());
    t.add(table, "Crop Number", whole(1, crop_count));
    t.add(table, "Set Number", whole(0, 5));  // 0: the crop has no b values there

    table = "B Value Whole Farm";
    t.add(table, "State FIPS", code());
    t.add(table, "Region Flag", region_flag());
    t.add(table, "Column Number", whole(1, 64));  // a crop combination of the six-crop model
    t.add(table, "B Index", whole(0, 329));       // a state record holds 330 values per column
    t.add(table, "B Value", b_value());
    t.add(table, "B Value Harvest Guarantee", b_value());

    table = "Continuous Rates";
    for (const char* key :
         {"State FIPS", "County FIPS", "Crop Year", "Crop Code", "Insurance Plan ID", "Practice Code", "Type Code"})
        t.add(table, key, code());
    const value_rule reference_yield = whole(1, yield_ceiling, "hundredths");
    const value_rule rate = whole(0, rate_ceiling, "thousandths");
    const value_rule exponent = whole(-exponent_limit, exponent_limit, "thousandths");
    t.add(table, "Reference Yield", reference_yield);
    t.add(table, "Reference Rate", rate);
    t.add(table, "Exponent", exponent);
    t.add(table, "Fixed Rate Load", rate);
    for (int i = 1; i <= 13; ++i) {
        t.add(table, "Yield " + std::to_string(i), whole(0, yield_ceiling, "hundredths"));
        t.add(table, "Premium " + std::to_string(i), rate);
    }
    t.add(table, "Prior Year Reference Yield", reference_yield);
    t.add(table, "Prior Year Reference Rate", rate);
    t.add(table, "Prior Year Exponent", exponent);
    t.add(table, "Prior Year Fixed Rate Load", rate);

    table = "County Average Yields";
    for (const char* key : {"State FIPS", "County FIPS", "Crop Code"}) t.add(table, key, code());
    t.add(table, "Average Yield", number(0, yield_ceiling / 100));

    table = "County List";
    t.add(table, "State FIPS", code());
    t.add(table, "County FIPS", code());
    t.add(table, "County Name", text(50));
    t.add(table, "Region Flag", region_flag());
    t.add_numbered(table, "Crop Indicator ", crop_count, flag());
    t.add_numbered(table, "8085 Indicator ", crop_count, flag());

    table = "Endogenous Risk Surcharge";
    // 65..85 are rated; 60..64 have no slot in the surcharge list and 86..89 share the slot of 85.
    t.add(table, "Coverage Level", whole(60, 89));
    for (const char* key : {"Crop Code", "State FIPS", "County FIPS", "Crop Year", "Practice Code", "Type Code"})
        t.add(table, key, code());
    for (const char* factor :
         {"Rate Differential", "Residual Factor", "Prior Year Rate Differential", "Prior Year Residual Factor"})
        t.add(table, factor, number(0, factor_ceiling));

    table = "Lookup Column Number";
    t.add(table, "State FIPS", code());
    t.add(table, "Region Flag", region_flag());
    t.add(table, "Column Number", whole(1, 64));
    t.add(table, "Column Code", text(10));
    t.add_numbered(table, "Crop Set ", crop_count, flag());

    t.add("Lookup Practice Code", "Practice Code", code());
    t.add("Lookup Practice Code", "Description", text(254));
    t.add("Lookup Type Code", "Type Code", code());
    t.add("Lookup Type Code", "Description", text(254));
    return t;
}

const rule_table& rules() {
    static const rule_table t = make_rules();
    return t;
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The whole number a text starts with, after blanks; 0 when it starts with none.
long long leading_whole_number(const unsigned char* text, int bytes) {
    if (text == nullptr) return 0;
    const char* first = reinterpret_cast<const char*>(text);
    const char* last = first + bytes;
    while (first != last && is_blank(*first)) ++first;
    if (first != last && *first == '+') ++first;
    long long value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end != first ? value : 0;
}

}  // namespace

std::span<const column_value_rule> value_rules() { return rules().rows; }

const value_rule* find_value_rule(std::string_view table, std::string_view column) {
    for (const column_value_rule& r : value_rules())
        if (r.table == table && r.column == column) return &r.rule;
    return nullptr;
}

namespace {

bool within_range(const value_rule& rule, double value) { return value >= rule.lowest && value <= rule.highest; }

bool among_allowed(const value_rule& rule, long long value) {
    if (rule.allowed.empty()) return true;
    for (const int v : rule.allowed)
        if (value == v) return true;
    return false;
}

}  // namespace

bool rule_allows(const value_rule& rule, double value) {
    if (!within_range(rule, value)) return false;  // NaN fails too
    if (rule.kind != stored_kind::whole_number) return true;
    return value == std::trunc(value) && among_allowed(rule, static_cast<long long>(value));
}

stored_value judge_stored_value(const value_rule& rule, sqlite3_value* value) {
    // Called for every column of every row a load reads: the common cases come first.
    stored_value v;
    const int type = sqlite3_value_type(value);
    if (type == SQLITE_NULL || type == SQLITE_BLOB) return v;
    if (rule.kind == stored_kind::text) {
        v.usable = static_cast<std::size_t>(sqlite3_value_bytes(value)) <= rule.longest;
        return v;
    }
    if (type == SQLITE_INTEGER) {
        v.integer = sqlite3_value_int64(value);
        v.real = static_cast<double>(v.integer);
        v.usable = within_range(rule, v.real) && among_allowed(rule, v.integer);
        return v;
    }
    if (type == SQLITE_FLOAT) {
        const double d = sqlite3_value_double(value);
        if (!std::isfinite(d)) return v;
        v.real = d;
        v.integer = std::fabs(d) < 9e18 ? static_cast<long long>(d) : 0;
        v.usable = rule_allows(rule, d);
        return v;
    }
    v.integer = leading_whole_number(sqlite3_value_text(value), sqlite3_value_bytes(value));  // a text
    return v;
}

}  // namespace zelmora
