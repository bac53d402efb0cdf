#include "data/database_check.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "data/crops.h"
#include "data/demo_database.h"
#include "data/rowsets.h"
#include "utility/number_text.h"

namespace zelmora {

namespace {

// ------------------------------------------------------------------ the report

constexpr std::size_t examples_shown = 5;

enum class section { schema, values, keys, codes, rated_rows, county_list, whole_farm };
constexpr std::size_t section_count = 7;
constexpr std::array<const char*, section_count> section_titles = {
    "Schema (the tables and columns the readers bind)",
    "Values the readers cannot use",
    "Keys stored twice",
    "Codes the lookups do not describe",
    "Rates without their county or surcharges",
    "County List indicators that disagree with the rates and surcharges",
    "Crop mixes the County List offers without a whole-farm column",
};

// Problems in groups of one kind; each group keeps its count and its first few examples.
class findings {
public:
    // One or more problems of the group `title`, a phrase that follows the
    // count ("negative rates or yields in ..."). `example` is called only while
    // the group shows fewer than a few.
    void add(section s, const std::string& title, const std::function<std::string()>& example, long count = 1) {
        auto& index = index_[at(s)];
        auto it = index.find(title);
        if (it == index.end()) {
            it = index.emplace(title, groups_[at(s)].size()).first;
            groups_[at(s)].push_back(group{title, 0, {}});
        }
        group& g = groups_[at(s)][it->second];
        g.count += count;
        if (g.examples.size() < examples_shown) g.examples.push_back(example());
    }
    // A line about what was not checked, and why.
    void note(section s, const std::string& text) { notes_[at(s)].push_back(text); }

    long total() const {
        long n = 0;
        for (const auto& groups : groups_)
            for (const group& g : groups) n += g.count;
        return n;
    }

    std::string text() const {
        std::string out;
        for (std::size_t s = 0; s < section_count; ++s) {
            long n = 0;
            for (const group& g : groups_[s]) n += g.count;
            out += section_titles[s];
            out += n == 0 ? ": no problems\n" : ": " + std::to_string(n) + (n == 1 ? " problem\n" : " problems\n");
            for (const std::string& line : notes_[s]) out += "  (" + line + ")\n";
            for (const group& g : groups_[s]) {
                out += "  " + std::to_string(g.count) + " " + g.title + "\n";
                for (const std::string& e : g.examples) out += "    " + e + "\n";
                if (g.count > static_cast<long>(g.examples.size())) out += "    ...\n";
            }
        }
        return out;
    }

private:
    struct group {
        std::string title;
        long count;
        std::vector<std::string> examples;
    };
    static std::size_t at(section s) { return static_cast<std::size_t>(s); }
    std::array<std::vector<group>, section_count> groups_;
    std::array<std::map<std::string, std::size_t>, section_count> index_;
    std::array<std::vector<std::string>, section_count> notes_;
};

std::string quoted_text(const unsigned char* text, int bytes) {
    std::string out = "\"";
    for (int i = 0; i < bytes && text != nullptr; ++i) {
        if (i == 60) {
            out += "...";
            break;
        }
        const char c = static_cast<char>(text[i]);
        out += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    }
    return out + "\"";
}

std::string number_text(double value) { return general_text(value, 9); }

std::string in_column(const table_description& t, const column_spec& c) {
    return "in [" + t.name + "] `" + c.name + "`";
}

// ------------------------------------------------------------------ what the readers expect of each table

enum class which_row_counts { first, last, none };

struct table_rule {
    const table_description* table;
    std::vector<const char*> key;  // the columns that identify a row to its reader
    which_row_counts counts;       // which of two rows with one key the readers use; none: no reader
    bool read;                     // some reader opens the table
};

const std::vector<table_rule>& table_rules() {
    static const std::vector<table_rule> rules = {
        {&tables::b_value_single_crop(), {"Set Number", "B Index"}, which_row_counts::last, true},
        {&tables::b_value_single_crop_lookup(),
         {"State FIPS", "Region Flag", "Crop Number"},
         which_row_counts::last,
         true},
        {&tables::b_value_whole_farm(),
         {"State FIPS", "Region Flag", "Column Number", "B Index"},
         which_row_counts::last,
         true},
        {&tables::continuous_rates(),
         {"State FIPS", "County FIPS", "Crop Year", "Crop Code", "Insurance Plan ID", "Practice Code", "Type Code"},
         which_row_counts::first,
         true},
        {&tables::county_average_yields(), {"State FIPS", "County FIPS", "Crop Code"}, which_row_counts::none, false},
        {&tables::county_list(), {"State FIPS", "County FIPS"}, which_row_counts::last, true},
        {&tables::endogenous_risk_surcharge(),
         {"Coverage Level", "Crop Code", "State FIPS", "County FIPS", "Crop Year", "Practice Code", "Type Code"},
         which_row_counts::first,
         true},
        {&tables::lookup_column_number(),
         {"State FIPS", "Region Flag", "Column Number"},
         which_row_counts::none,
         false},
        {&tables::lookup_practice_code(), {"Practice Code"}, which_row_counts::last, true},
        {&tables::lookup_type_code(), {"Type Code"}, which_row_counts::last, true},
    };
    return rules;
}

int column_index(const table_description& t, const std::string& name) {
    for (std::size_t i = 0; i < t.columns.size(); ++i)
        if (t.columns[i].name == name) return static_cast<int>(i);
    return -1;
}

bool is_region_flag(const column_spec& c) { return c.name == "Region Flag"; }

// ------------------------------------------------------------------ the schema

struct stored_column {
    std::string name;
    std::string declared;
};

// SQLite's affinity of a declared column type.
enum class affinity { integer, text, blob, real, numeric };

affinity affinity_of(std::string declared) {
    for (char& c : declared) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto has = [&](const char* part) { return declared.find(part) != std::string::npos; };
    if (has("INT")) return affinity::integer;
    if (has("CHAR") || has("CLOB") || has("TEXT")) return affinity::text;
    if (has("BLOB") || declared.empty()) return affinity::blob;
    if (has("REAL") || has("FLOA") || has("DOUB")) return affinity::real;
    return affinity::numeric;
}

bool declared_type_fits(column_type type, const std::string& declared) {
    const affinity a = affinity_of(declared);
    switch (type) {
        case column_type::str: return a == affinity::text;
        case column_type::r4: return a == affinity::real || a == affinity::numeric;
        default: return a == affinity::integer || a == affinity::numeric;
    }
}

const char* bound_as(column_type type) {
    switch (type) {
        case column_type::i1: return "an 8-bit integer";
        case column_type::i2: return "a 16-bit integer";
        case column_type::i4: return "a 32-bit integer";
        case column_type::r4: return "a single-precision number";
        case column_type::boolean: return "a boolean (-1 true, 0 false)";
        case column_type::str: return "a text";
    }
    return "";
}

// ------------------------------------------------------------------ values

// "values in [Continuous Rates] `Reference Yield` that are not a whole number from 1 to 10000000 (hundredths)":
// the same words a load that meets such a value ends with.
std::string unusable_title(const table_description& t, const column_spec& c) {
    if (c.rule == nullptr) return "values " + in_column(t, c) + ", a column no rule describes";
    return "values " + in_column(t, c) + " that are not " + c.rule->words;
}

std::string value_text(sqlite3_stmt* stmt, int index) {
    switch (sqlite3_column_type(stmt, index)) {
        case SQLITE_NULL: return "NULL";
        case SQLITE_INTEGER: return std::to_string(sqlite3_column_int64(stmt, index));
        case SQLITE_FLOAT: return number_text(sqlite3_column_double(stmt, index));
        case SQLITE_BLOB: {
            const int bytes = sqlite3_column_bytes(stmt, index);
            return "a blob of " + std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
        }
        default: return quoted_text(sqlite3_column_text(stmt, index), sqlite3_column_bytes(stmt, index));
    }
}

// ------------------------------------------------------------------ what the tables say together

constexpr unsigned wheat_bit = 1u << 15;  // crop code 11, which counts for spring and winter wheat

// The crop bits of a crop code as the County List rewrite sets them: bit n - 1 for crop number n.
unsigned crop_bits(long long crop_code) {
    if (crop_code == 11) return wheat_bit;
    const int n = crop_number_of_code(static_cast<int>(crop_code), 0);
    return n > 0 ? 1u << (n - 1) : 0u;
}

struct county_row {
    long long rowid;
    int state, county;
    std::string name;
    long long region;
    std::array<long long, crop_count> crop{}, high{};
};

struct code_use {
    long rows = 0;
    long long first_row = 0;
};

using county_key = std::pair<int, int>;

// The rows of a county in a rated state that the system rates with: 2004 plan 90
// rates and 2004 surcharges.
struct county_use {
    long rates = 0, surcharges = 0;
    long long first_rates_row = 0, first_surcharge_row = 0;
};

// State, county, crop code, practice and type: the key a rates row shares with its surcharge rows.
using unit_key = std::array<int, 5>;

struct rated_row {
    unit_key key;
    long long rowid;
};

// The surcharge levels every rated unit reads: 65 % for the rate differentials, and each
// level's own residual factor (80 and 85 % only where the county offers them, which the
// County List indicators say).
constexpr std::array<int, 3> needed_levels = {65, 70, 75};
constexpr unsigned all_needed_levels = (1u << needed_levels.size()) - 1;

struct facts {
    std::set<const table_description*> read;  // tables read to their end with the columns where the readers bind them
    std::map<county_key, unsigned> rated;     // crops with 2004 plan 90 rates, by county
    std::map<county_key, unsigned> high;      // crops with 2004 surcharges at 80 or 85 %, by county
    std::array<std::array<std::array<int, 2>, crop_count>, rated_state_count> sets{};  // b-value set numbers
    bool sets_stopped = false;
    std::set<long long> whole_farm_columns;  // state, region and column with rows
    std::set<long long> practice_described, type_described;
    std::map<long long, code_use> practice_used, type_used;
    std::vector<county_row> counties;
    std::map<county_key, county_use> rated_counties;  // counties named by the rows the system rates with
    std::vector<rated_row> rated_rows;                // 2004 plan 90 rates rows of the rated states
    std::map<unit_key, unsigned> surcharge_levels;    // 2004 surcharge rows at 65, 70 and 75 %, a bit per level
};

long long whole_farm_key(long long state, int region, long long column) {
    return ((state * 2 + region) << 16) + (column & 0xFFFF);
}

// ------------------------------------------------------------------ reading a table

struct key_entry {
    std::array<std::int32_t, 7> key;
    long long rowid;
};

class table_scan {
public:
    table_scan(const table_rule& rule, findings& found, facts& known)
        : rule_(rule), t_(*rule.table), found_(found), known_(known) {
        for (const char* name : rule.key) key_columns_.push_back(column_index(t_, name));
        cells_.resize(t_.columns.size());
    }

    // Reads every row; false when the table could not be read to its end.
    bool run(premium_database& db, std::string& error) {
        statement_lease lease;
        if (db.prepare("SELECT rowid, * FROM `" + t_.name + "` ORDER BY rowid", lease, false) != S_OK_CODE) {
            error = db.last_error_message();
            return false;
        }
        stmt_ = lease.get();
        int rc;
        while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) row();
        if (rc != SQLITE_DONE) {
            error = db.last_error_message();
            return false;
        }
        duplicates();
        return true;
    }

private:
    // "row 12 (State FIPS 19, County FIPS 1)"
    std::string context(long long rowid) const {
        std::string text = "row " + std::to_string(rowid) + " (";
        for (std::size_t k = 0; k < key_columns_.size(); ++k) {
            if (k > 0) text += ", ";
            text += t_.columns[static_cast<std::size_t>(key_columns_[k])].name + " " +
                    value_text(stmt_, key_columns_[k] + 1);
        }
        return text + ")";
    }

    void row() {
        const long long rowid = sqlite3_column_int64(stmt_, 0);
        for (std::size_t c = 0; c < t_.columns.size(); ++c) {
            const column_spec& column = t_.columns[c];
            const int index = static_cast<int>(c) + 1;
            // Judged by the rule the record binder holds every load to.
            cells_[c] = column.rule != nullptr ? judge_stored_value(*column.rule, sqlite3_column_value(stmt_, index))
                                               : stored_value{};
            if (!cells_[c].usable)
                found_.add(section::values, unusable_title(t_, column),
                           [&] { return context(rowid) + ": " + value_text(stmt_, index); });
        }
        observe(rowid);
        if (rule_.counts != which_row_counts::none) {
            key_entry e{{}, rowid};
            for (std::size_t k = 0; k < key_columns_.size(); ++k) {
                const auto c = static_cast<std::size_t>(key_columns_[k]);
                long long v = cells_[c].integer;
                if (is_region_flag(t_.columns[c])) v = v == -1 ? -1 : 0;  // the readers' test for true
                e.key[k] = static_cast<std::int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
            }
            keys_.push_back(e);
        }
    }

    long long integer(const char* column) const {
        return cells_[static_cast<std::size_t>(column_index(t_, column))].integer;
    }

    // The row's state, county, crop code, practice and type.
    unit_key unit_key_of_row() const {
        unit_key key{};
        std::size_t k = 0;
        for (const char* column : {"State FIPS", "County FIPS", "Crop Code", "Practice Code", "Type Code"})
            key[k++] = static_cast<int>(std::clamp<long long>(integer(column), INT32_MIN, INT32_MAX));
        return key;
    }

    // What the later checks need from this table.
    void observe(long long rowid) {
        if (&t_ == &tables::continuous_rates()) {
            const county_key county{static_cast<int>(integer("State FIPS")), static_cast<int>(integer("County FIPS"))};
            if (integer("Crop Year") == 2004 && integer("Insurance Plan ID") == 90) {
                known_.rated[county] |= crop_bits(integer("Crop Code"));
                if (state_index(county.first) >= 0) {
                    county_use& use = known_.rated_counties[county];
                    if (use.rates++ == 0) use.first_rates_row = rowid;
                    known_.rated_rows.push_back({unit_key_of_row(), rowid});
                }
            }
            for (auto [used, column] :
                 {std::pair{&known_.practice_used, "Practice Code"}, std::pair{&known_.type_used, "Type Code"}}) {
                code_use& u = (*used)[integer(column)];
                if (u.rows++ == 0) u.first_row = rowid;
            }
        } else if (&t_ == &tables::endogenous_risk_surcharge()) {
            const long long level = integer("Coverage Level");
            const county_key county{static_cast<int>(integer("State FIPS")), static_cast<int>(integer("County FIPS"))};
            if (integer("Crop Year") != 2004) return;
            if (level == 80 || level == 85) known_.high[county] |= crop_bits(integer("Crop Code"));
            if (state_index(county.first) < 0) return;
            county_use& use = known_.rated_counties[county];
            if (use.surcharges++ == 0) use.first_surcharge_row = rowid;
            const auto needed = std::find(needed_levels.begin(), needed_levels.end(), level);
            if (needed != needed_levels.end())
                known_.surcharge_levels[unit_key_of_row()] |= 1u << (needed - needed_levels.begin());
        } else if (&t_ == &tables::b_value_single_crop_lookup()) {
            // As the calculator loads it: a later row overwrites, a crop number outside 1..9 ends the load.
            const long long crop = integer("Crop Number");
            if (known_.sets_stopped || crop < 1 || crop > crop_count) {
                known_.sets_stopped = true;
                return;
            }
            const int s = state_index(static_cast<int>(integer("State FIPS")));
            if (s >= 0)
                known_.sets[static_cast<std::size_t>(s)][static_cast<std::size_t>(crop - 1)]
                           [integer("Region Flag") == -1 ? 1 : 0] = static_cast<int>(integer("Set Number"));
        } else if (&t_ == &tables::b_value_whole_farm()) {
            known_.whole_farm_columns.insert(
                whole_farm_key(integer("State FIPS"), integer("Region Flag") == -1 ? 1 : 0, integer("Column Number")));
        } else if (&t_ == &tables::lookup_practice_code()) {
            known_.practice_described.insert(integer("Practice Code"));
        } else if (&t_ == &tables::lookup_type_code()) {
            known_.type_described.insert(integer("Type Code"));
        } else if (&t_ == &tables::county_list()) {
            county_row r{rowid,
                         static_cast<int>(integer("State FIPS")),
                         static_cast<int>(integer("County FIPS")),
                         "",
                         integer("Region Flag"),
                         {},
                         {}};
            const int name = column_index(t_, "County Name") + 1;
            if (const unsigned char* text = sqlite3_column_text(stmt_, name))
                r.name.assign(reinterpret_cast<const char*>(text),
                              static_cast<std::size_t>(sqlite3_column_bytes(stmt_, name)));
            for (int n = 1; n <= crop_count; ++n) {
                r.crop[static_cast<std::size_t>(n - 1)] = integer(("Crop Indicator " + std::to_string(n)).c_str());
                r.high[static_cast<std::size_t>(n - 1)] = integer(("8085 Indicator " + std::to_string(n)).c_str());
            }
            known_.counties.push_back(std::move(r));
        }
    }

    void duplicates() {
        if (rule_.counts == which_row_counts::none) return;
        std::stable_sort(keys_.begin(), keys_.end(),
                         [](const key_entry& a, const key_entry& b) { return a.key < b.key; });
        const std::string title =
            "rows that repeat the key of an earlier row of [" + t_.name + "] (" +
            (rule_.counts == which_row_counts::first ? "the first row counts)" : "the last row counts)");
        for (std::size_t i = 0; i < keys_.size();) {
            std::size_t j = i + 1;
            while (j < keys_.size() && keys_[j].key == keys_[i].key) ++j;
            if (j - i > 1) {
                found_.add(
                    section::keys, title,
                    [&] {
                        std::string text;
                        for (std::size_t k = 0; k < key_columns_.size(); ++k)
                            text += (k > 0 ? ", " : "") + t_.columns[static_cast<std::size_t>(key_columns_[k])].name +
                                    " " + std::to_string(keys_[i].key[k]);
                        text += ": rows";
                        for (std::size_t r = i; r < j && r < i + 5; ++r) text += " " + std::to_string(keys_[r].rowid);
                        return text + (j - i > 5 ? " ..." : "");
                    },
                    static_cast<long>(j - i - 1));
            }
            i = j;
        }
        keys_.clear();
        keys_.shrink_to_fit();
    }

    const table_rule& rule_;
    const table_description& t_;
    findings& found_;
    facts& known_;
    sqlite3_stmt* stmt_ = nullptr;
    std::vector<int> key_columns_;
    std::vector<stored_value> cells_;
    std::vector<key_entry> keys_;
};

// ------------------------------------------------------------------ the checks

// The schema of one table; true when the readers can open it (it has at least their columns).
bool check_schema(premium_database& db, const table_description& t, findings& found) {
    std::vector<stored_column> stored;
    statement_lease lease;
    if (db.prepare("PRAGMA table_info(`" + t.name + "`)", lease, false) == S_OK_CODE) {
        while (sqlite3_step(lease.get()) == SQLITE_ROW) {
            auto text = [&](int i) {
                const unsigned char* s = sqlite3_column_text(lease.get(), i);
                return std::string(s != nullptr ? reinterpret_cast<const char*>(s) : "");
            };
            stored.push_back({text(1), text(2)});
        }
    }
    if (stored.empty()) {
        found.add(section::schema, "missing tables", [&] { return "[" + t.name + "]"; });
        return false;
    }
    auto position_in = [](const auto& columns, const std::string& name) {
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (lower_case(columns[i].name) == lower_case(name)) return static_cast<long>(i);
        return -1L;
    };
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
        const column_spec& c = t.columns[i];
        const long at = position_in(stored, c.name);
        if (at < 0) {
            found.add(section::schema, "missing columns", [&] { return "[" + t.name + "] `" + c.name + "`"; });
            continue;
        }
        if (static_cast<std::size_t>(at) != i)
            found.add(section::schema, "columns out of order (the readers read by position)", [&] {
                return "[" + t.name + "] `" + c.name + "` is column " + std::to_string(at + 1) +
                       "; the readers read it as column " + std::to_string(i + 1);
            });
        const std::string& declared = stored[static_cast<std::size_t>(at)].declared;
        if (!declared_type_fits(c.type, declared))
            found.add(section::schema, "columns of another type", [&] {
                return "[" + t.name + "] `" + c.name + "` is declared \"" + declared + "\"; the readers read " +
                       bound_as(c.type);
            });
    }
    for (const stored_column& s : stored)
        if (position_in(t.columns, s.name) < 0)
            found.add(section::schema, "extra columns", [&] { return "[" + t.name + "] `" + s.name + "`"; });
    if (stored.size() < t.columns.size()) {
        found.note(section::values, "[" + t.name + "] not checked: it has " + std::to_string(stored.size()) +
                                        " columns and the readers bind " + std::to_string(t.columns.size()));
        return false;
    }
    return true;
}

void check_codes(const facts& known, findings& found) {
    const struct {
        const std::map<long long, code_use>& used;
        const std::set<long long>& described;
        const table_description& lookup;
        const char* what;
    } kinds[] = {{known.practice_used, known.practice_described, tables::lookup_practice_code(), "practice"},
                 {known.type_used, known.type_described, tables::lookup_type_code(), "type"}};
    for (const auto& k : kinds) {
        if (known.read.count(&k.lookup) == 0) {
            found.note(section::codes,
                       std::string(k.what) + " codes not checked: [" + k.lookup.name + "] was not read");
            continue;
        }
        for (const auto& [code, use] : k.used)
            if (k.described.count(code) == 0)
                found.add(section::codes,
                          std::string(k.what) + " codes used in [Continuous Rates] that [" + k.lookup.name +
                              "] does not describe",
                          [&] {
                              return std::string(k.what) + " code " + std::to_string(code) + ": " +
                                     std::to_string(use.rows) + (use.rows == 1 ? " row" : " rows") +
                                     ", the first row " + std::to_string(use.first_row);
                          });
    }
}

// "3 [Continuous Rates] rows, the first row 17"
std::string rows_in(const char* table, long rows, long long first_row) {
    return std::to_string(rows) + " [" + table + "] " + (rows == 1 ? "row" : "rows") + ", the first row " +
           std::to_string(first_row);
}

// A county the rates or surcharges name but the County List does not list cannot be
// chosen, and a farm that names it is not rated. A rates row without its surcharge
// rows would be rated with a rate differential of 0 (no 65 % row) or with a default
// residual factor.
void check_rated_rows(const facts& known, findings& found) {
    std::set<county_key> listed;
    for (const county_row& r : known.counties) listed.insert({r.state, r.county});
    for (const auto& named : known.rated_counties) {
        const county_key& county = named.first;
        const county_use& use = named.second;
        if (listed.count(county) != 0) continue;
        found.add(section::rated_rows,
                  "counties with 2004 rates (plan 90) or surcharges that [County List] does not list", [&] {
                      std::string text = "State FIPS " + std::to_string(county.first) + ", County FIPS " +
                                         std::to_string(county.second) + ":";
                      if (use.rates > 0) text += " " + rows_in("Continuous Rates", use.rates, use.first_rates_row);
                      if (use.rates > 0 && use.surcharges > 0) text += ";";
                      if (use.surcharges > 0)
                          text += " " + rows_in("Endogenous Risk Surcharge", use.surcharges, use.first_surcharge_row);
                      return text;
                  });
    }
    for (const rated_row& r : known.rated_rows) {
        const auto it = known.surcharge_levels.find(r.key);
        const unsigned present = it != known.surcharge_levels.end() ? it->second : 0u;
        if (present == all_needed_levels) continue;
        found.add(section::rated_rows,
                  "[Continuous Rates] rows of 2004, plan 90 without their [Endogenous Risk Surcharge] rows at 65, 70 "
                  "and 75 %",
                  [&] {
                      std::string missing;
                      for (std::size_t i = 0; i < needed_levels.size(); ++i)
                          if ((present & (1u << i)) == 0)
                              missing += (missing.empty() ? "" : ", ") + std::to_string(needed_levels[i]);
                      return "row " + std::to_string(r.rowid) + " (State FIPS " + std::to_string(r.key[0]) +
                             ", County FIPS " + std::to_string(r.key[1]) + ", Crop Code " + std::to_string(r.key[2]) +
                             ", Practice Code " + std::to_string(r.key[3]) + ", Type Code " + std::to_string(r.key[4]) +
                             "): none at " + missing + " %";
                  });
    }
}

std::string county_context(const county_row& r) {
    return "row " + std::to_string(r.rowid) + " (State FIPS " + std::to_string(r.state) + ", County FIPS " +
           std::to_string(r.county) + ", " + r.name + ")";
}

// The indicators that rewriting the County List would write: crops with 2004
// plan 90 rates, and crops with 2004 surcharges at 80 or 85 %; a wheat row
// counts for spring and winter wheat as far as the state has b values for each
// in the county's region.
void check_county_list(const facts& known, findings& found) {
    for (const county_row& r : known.counties) {
        const int s = state_index(r.state);
        const int region = r.region == -1 ? 1 : 0;
        auto has_set = [&](int crop) {
            return s >= 0 && known.sets[static_cast<std::size_t>(s)][static_cast<std::size_t>(crop - 1)]
                                       [static_cast<std::size_t>(region)] != 0;
        };
        const bool spring = has_set(crop_spring_wheat), winter = has_set(crop_winter_wheat);
        auto expand = [&](const std::map<county_key, unsigned>& by_county) {
            std::array<bool, crop_count> on{};
            const auto it = by_county.find({r.state, r.county});
            const unsigned bits = it != by_county.end() ? it->second : 0u;
            for (int n = 1; n <= crop_count; ++n) on[static_cast<std::size_t>(n - 1)] = (bits & (1u << (n - 1))) != 0;
            if ((bits & wheat_bit) != 0) {
                if (spring) on[crop_spring_wheat - 1] = true;
                if (winter) on[crop_winter_wheat - 1] = true;
            }
            return on;
        };
        const auto crops = expand(known.rated), high = expand(known.high);
        std::string changes;
        for (int n = 1; n <= crop_count; ++n) {
            const auto i = static_cast<std::size_t>(n - 1);
            for (const auto& [stored, expected, name] : {std::tuple{r.crop[i], crops[i], "Crop Indicator "},
                                                         std::tuple{r.high[i], high[i], "8085 Indicator "}})
                if ((stored != 0) != expected)
                    changes += std::string(changes.empty() ? "" : ", ") + "`" + name + std::to_string(n) + "` " +
                               std::to_string(stored) + " -> " + (expected ? "-1" : "0");
        }
        if (!changes.empty())
            found.add(section::county_list,
                      "County List rows that rewriting the County List would change (2004, plan 90 rates; 80 and 85 % "
                      "surcharges)",
                      [&] { return county_context(r) + ": " + changes; });
    }
}

// The whole-farm model crops of a state, highest bit of the column number first.
std::vector<int> model_crops(int state) {
    if (state == 5 || state == 22 || state == 40) return {crop_corn, crop_soybeans, crop_cotton, crop_rice};
    return {crop_corn, crop_soybeans, crop_spring_wheat, crop_canola, crop_sunflower, crop_barley};
}

// Every crop mix a county offers for the whole farm (two or more crops, Winter
// Wheat never) reads the b values of the column of its model crops.
void check_whole_farm(const facts& known, findings& found) {
    struct missing {
        int state, region, column;
        long counties;
        const county_row* first;
    };
    std::map<long long, missing> absent;  // by whole_farm_key
    for (const county_row& r : known.counties) {
        const std::vector<int> model = model_crops(r.state);
        const int bits = static_cast<int>(model.size());
        unsigned offered_model = 0;
        bool offered_other = false;
        for (int n = 1; n <= crop_count; ++n) {
            if (n == crop_winter_wheat || r.crop[static_cast<std::size_t>(n - 1)] == 0) continue;
            const auto at = std::find(model.begin(), model.end(), n);
            if (at == model.end())
                offered_other = true;
            else
                offered_model |= 1u << (bits - 1 - static_cast<int>(at - model.begin()));
        }
        const int region = r.region == -1 ? 1 : 0;
        for (unsigned mix = offered_model; mix != 0; mix = (mix - 1) & offered_model) {
            // A mix of one model crop is a whole-farm unit only beside a crop outside the model.
            if (std::popcount(mix) < 2 && !offered_other) continue;
            const long long key = whole_farm_key(r.state, region, mix);
            if (known.whole_farm_columns.count(key) != 0) continue;
            auto [it, added] = absent.try_emplace(key, missing{r.state, region, static_cast<int>(mix), 0, &r});
            ++it->second.counties;
        }
    }
    for (const auto& [key, m] : absent) {
        found.add(section::whole_farm, "crop mixes without rows in [B Value Whole Farm] (rated with b values of 0)",
                  [&] {
                      const std::vector<int> model = model_crops(m.state);
                      const int bits = static_cast<int>(model.size());
                      std::string crops;
                      for (int k = 0; k < bits; ++k)
                          if ((m.column & (1 << (bits - 1 - k))) != 0)
                              crops += std::string(crops.empty() ? "" : ", ") +
                                       crop_display_name(model[static_cast<std::size_t>(k)]);
                      return "State FIPS " + std::to_string(m.state) + ", Region Flag " + (m.region != 0 ? "-1" : "0") +
                             ", Column Number " + std::to_string(m.column) + " (" + crops + "): offered by " +
                             std::to_string(m.counties) + (m.counties == 1 ? " county" : " counties") + ", the first " +
                             county_context(*m.first);
                  });
    }
}

// Keeps the connection from writing while the check runs, and gives it back as it was.
class read_only_guard {
public:
    explicit read_only_guard(premium_database& db) : db_(db) {
        statement_lease lease;
        if (db.prepare("PRAGMA query_only", lease, false) == S_OK_CODE && sqlite3_step(lease.get()) == SQLITE_ROW)
            was_ = sqlite3_column_int(lease.get(), 0) != 0;
        lease.release();
        db_.execute_statement("PRAGMA query_only = 1");
    }
    ~read_only_guard() {
        if (!was_) db_.execute_statement("PRAGMA query_only = 0");
    }
    read_only_guard(const read_only_guard&) = delete;
    read_only_guard& operator=(const read_only_guard&) = delete;

private:
    premium_database& db_;
    bool was_ = false;
};

}  // namespace

database_check_result check_database(premium_database& db, const std::string& name) {
    database_check_result result;
    read_only_guard guard(db);
    findings found;
    facts known;
    std::string unread;

    for (const table_rule& rule : table_rules()) {
        const table_description& t = *rule.table;
        if (!check_schema(db, t, found)) continue;
        if (!rule.read) {
            found.note(section::values, "[" + t.name + "] not checked: the system never reads it");
            continue;
        }
        std::string error;
        table_scan scan(rule, found, known);
        if (!scan.run(db, error)) {
            unread += "[" + t.name + "] cannot be read: " + error + "\n";
            result.unreadable = true;
            continue;
        }
        known.read.insert(&t);
    }

    auto all_read = [&](std::initializer_list<const table_description*> needed, section s, const char* what) {
        std::string missing;
        for (const table_description* t : needed)
            if (known.read.count(t) == 0) missing += (missing.empty() ? "[" : ", [") + t->name + "]";
        if (!missing.empty()) found.note(s, std::string(what) + " not checked: " + missing + " could not be read");
        return missing.empty();
    };
    if (known.read.count(&tables::continuous_rates()) != 0)
        check_codes(known, found);
    else
        found.note(section::codes, "not checked: [Continuous Rates] could not be read");
    if (all_read({&tables::county_list(), &tables::continuous_rates(), &tables::endogenous_risk_surcharge()},
                 section::rated_rows, "counties and surcharges"))
        check_rated_rows(known, found);
    if (all_read({&tables::county_list(), &tables::continuous_rates(), &tables::endogenous_risk_surcharge(),
                  &tables::b_value_single_crop_lookup()},
                 section::county_list, "indicators"))
        check_county_list(known, found);
    if (all_read({&tables::county_list(), &tables::b_value_whole_farm()}, section::whole_farm, "crop mixes"))
        check_whole_farm(known, found);

    result.demo = is_demo_database(db);
    result.problem_count = static_cast<int>(std::min<long>(found.total(), std::numeric_limits<int>::max()));
    result.report = "Rating database \"" + name + "\"\n";
    result.report += result.demo ? "This is the bundled demo database: its rates are invented; do not quote from it.\n"
                                 : "This is not the bundled demo database.\n";
    result.report += "\n" + found.text() + unread + "\n";
    if (result.problem_count == 0)
        result.report += result.unreadable ? "No problems found in what could be read.\n" : "No problems found.\n";
    else
        result.report += std::to_string(result.problem_count) +
                         (result.problem_count == 1 ? " problem found.\n" : " problems found.\n");
    return result;
}

}  // namespace zelmora
