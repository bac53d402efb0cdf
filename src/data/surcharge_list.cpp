#include "data/surcharge_list.h"

#include <algorithm>
#include <cstdio>

namespace zelmora {

namespace {

constexpr int lowest_level = 65;
constexpr int highest_level = 89;  // 86..89 share the slot of 85

// The slot of a coverage level, or -1 when the level has none.
int slot_of(int coverage_level) {
    if (coverage_level < lowest_level || coverage_level > highest_level) return -1;
    return coverage_level / 5 - 13;
}

// (state times county) modulo 200, kept non-negative for negative codes.
int bucket_of(int state_fips, int county_fips) {
    const long long product = static_cast<long long>(state_fips) * county_fips;
    const long long b = product % surcharge_list::buckets;
    return static_cast<int>(b < 0 ? b + surcharge_list::buckets : b);
}

std::size_t index_of(int slot, int bucket) { return static_cast<std::size_t>(slot * surcharge_list::buckets + bucket); }

// Crops whose residual factor falls back to the table by coverage level.
bool uses_default_residual_table(int crop_code) {
    return crop_code == 11 || crop_code == 18 || crop_code == 21 || crop_code == 41 || crop_code == 81;
}

exact_decimal missing_residual_factor(const surcharge_key& key) {
    return uses_default_residual_table(key.crop_code) ? default_residual_factor(key.coverage_level)
                                                      : exact_decimal(1.0);
}

bool matches(const surcharge_row& r, const surcharge_key& k) {
    return r.crop_code == k.crop_code && r.state_fips == k.state_fips && r.county_fips == k.county_fips &&
           r.crop_year == k.crop_year && r.practice_code == k.practice_code && r.type_code == k.type_code;
}

// The order of a bucket's index: by crop code, state, county, crop year, practice and type.
struct key_fields {
    int crop_code, state_fips, county_fips, crop_year, practice_code, type_code;
    friend bool operator<(const key_fields& a, const key_fields& b) {
        if (a.crop_code != b.crop_code) return a.crop_code < b.crop_code;
        if (a.state_fips != b.state_fips) return a.state_fips < b.state_fips;
        if (a.county_fips != b.county_fips) return a.county_fips < b.county_fips;
        if (a.crop_year != b.crop_year) return a.crop_year < b.crop_year;
        if (a.practice_code != b.practice_code) return a.practice_code < b.practice_code;
        return a.type_code < b.type_code;
    }
};

key_fields fields_of(const surcharge_row& r) {
    return {r.crop_code, r.state_fips, r.county_fips, r.crop_year, r.practice_code, r.type_code};
}

key_fields fields_of(const surcharge_key& k) {
    return {k.crop_code, k.state_fips, k.county_fips, k.crop_year, k.practice_code, k.type_code};
}

exact_decimal widened(float value) { return static_cast<double>(value); }

}  // namespace

exact_decimal default_residual_factor(int coverage_level) {
    switch (coverage_level) {
        case 65: return 1.0;
        case 70: return 1.055;
        case 75: return 1.11;
        case 80: return 1.165;
        case 85: return 1.22;
        default: return 0.0;
    }
}

// ------------------------------------------------------------------ surcharge list

surcharge_list::surcharge_list() = default;

bool surcharge_list::read_surcharges(premium_database& db, std::string& error_text) {
    rowset_endogenous_risk_surcharge rs;
    if (!is_ok(rs.open_with_filter(db))) {
        error_text += "ERROR, unable to open table [Endogenous Risk Surcharge].\r\n";
        return false;
    }
    const hresult first = rs.move_first();
    if (!is_ok(first)) {
        error_text += "ERROR, no records in table [Endogenous Risk Surcharge].\r\n";
        append_oledb_error_text(first, error_text);
        rs.close();
        return false;
    }
    // All rows first, then each bucket's index in one sort.
    std::array<bool, slots * buckets> grown{};
    do {
        const int bucket = append(rs.record);
        if (bucket >= 0) grown[static_cast<std::size_t>(bucket)] = true;
    } while (is_ok(rs.move_next()));
    rs.close();
    for (std::size_t b = 0; b < grown.size(); ++b)
        if (grown[b]) index_bucket(b);
    return true;
}

bool surcharge_list::read_county_surcharges(premium_database& db, int state_fips, int county_fips,
                                            std::string& error_text) {
    rowset_endogenous_risk_surcharge rs;
    if (!is_ok(rs.open_where(db, "[State FIPS] = ? AND [County FIPS] = ?", {state_fips, county_fips}))) {
        error_text += "ERROR, unable to open table [Endogenous Risk Surcharge].\r\n";
        return false;
    }
    std::array<bool, slots * buckets> grown{};
    if (is_ok(rs.move_first())) {
        do {
            const int bucket = append(rs.record);
            if (bucket >= 0) grown[static_cast<std::size_t>(bucket)] = true;
        } while (is_ok(rs.move_next()));
    }
    rs.close();
    for (std::size_t b = 0; b < grown.size(); ++b)
        if (grown[b]) index_bucket(b);
    return true;
}

int surcharge_list::append(const surcharge_row& row) {
    const int slot = slot_of(row.coverage_level);
    if (slot < 0) return -1;
    const std::size_t bucket = index_of(slot, bucket_of(row.state_fips, row.county_fips));
    rows_[bucket].push_back(row);
    return static_cast<int>(bucket);
}

namespace {

// A row's key packed into two words whose order is that of key_fields (each 16-bit
// field shifted to unsigned), with the row's position last: sorting these puts the
// rows of one key in the order read.
struct packed_row {
    std::uint64_t high;  // crop code, state, county, crop year
    std::uint64_t low;   // practice, type, position
    friend bool operator<(const packed_row& a, const packed_row& b) {
        return a.high != b.high ? a.high < b.high : a.low < b.low;
    }
};

std::uint64_t field(std::int16_t value) { return static_cast<std::uint16_t>(value + 32768); }

packed_row pack(const surcharge_row& r, std::uint32_t position) {
    return {field(r.crop_code) << 48 | field(r.state_fips) << 32 | field(r.county_fips) << 16 | field(r.crop_year),
            field(r.practice_code) << 48 | field(r.type_code) << 32 | position};
}

}  // namespace

void surcharge_list::index_bucket(std::size_t bucket) {
    const std::vector<surcharge_row>& rows = rows_[bucket];
    std::vector<packed_row> packed;
    packed.reserve(rows.size());
    for (std::size_t k = 0; k < rows.size(); ++k) packed.push_back(pack(rows[k], static_cast<std::uint32_t>(k)));
    std::sort(packed.begin(), packed.end());
    std::vector<std::uint32_t>& order = by_key_[bucket];
    order.clear();
    order.reserve(packed.size());
    for (const packed_row& p : packed) order.push_back(static_cast<std::uint32_t>(p.low & 0xFFFFFFFFu));
}

void surcharge_list::add(const surcharge_row& row) {
    const int bucket = append(row);
    if (bucket < 0) return;
    // After every row of the same key, so that the first row read still wins.
    const std::vector<surcharge_row>& rows = rows_[static_cast<std::size_t>(bucket)];
    std::vector<std::uint32_t>& order = by_key_[static_cast<std::size_t>(bucket)];
    const key_fields key = fields_of(row);
    const auto at = std::upper_bound(order.begin(), order.end(), key, [&rows](const key_fields& k, std::uint32_t p) {
        return k < fields_of(rows[p]);
    });
    order.insert(at, static_cast<std::uint32_t>(rows.size() - 1));
}

const surcharge_row* surcharge_list::find_surcharge(const surcharge_key& key) const {
    const int slot = slot_of(key.coverage_level);
    if (slot < 0) return nullptr;
    const std::size_t bucket = index_of(slot, bucket_of(key.state_fips, key.county_fips));
    const std::vector<surcharge_row>& rows = rows_[bucket];
    const std::vector<std::uint32_t>& order = by_key_[bucket];
    const key_fields wanted = fields_of(key);
    const auto first = std::lower_bound(order.begin(), order.end(), wanted, [&rows](std::uint32_t p, const key_fields& k) {
        return fields_of(rows[p]) < k;
    });
    if (first == order.end() || !matches(rows[*first], key)) return nullptr;
    return &rows[*first];
}

bool surcharge_list::surcharge_factors(const surcharge_key& key, surcharge_values& out) const {
    const surcharge_row* own = find_surcharge(key);
    const surcharge_row* base = own;
    if (key.coverage_level != lowest_level) {
        surcharge_key base_key = key;
        base_key.coverage_level = lowest_level;
        base = find_surcharge(base_key);
    }

    if (own != nullptr) {
        out.residual_factor = widened(own->residual_factor);
        out.prior_residual_factor = widened(own->prior_year_residual_factor);
    } else {
        out.residual_factor = missing_residual_factor(key);
        out.prior_residual_factor = 1.0;
    }

    // The differentials always come from the 65 % row.
    if (base != nullptr) {
        out.rate_differential = widened(base->rate_differential);
        out.prior_rate_differential = widened(base->prior_year_rate_differential);
    } else {
        out.rate_differential = 0.0;
        out.prior_rate_differential = 0.0;
    }
    return own != nullptr;
}

exact_decimal surcharge_list::residual_factor_at(const surcharge_key& key) const {
    const surcharge_row* own = find_surcharge(key);
    return own != nullptr ? widened(own->residual_factor) : missing_residual_factor(key);
}

std::size_t surcharge_list::size() const {
    std::size_t n = 0;
    for (const auto& bucket : rows_) n += bucket.size();
    return n;
}

// ------------------------------------------------------------------ code lookup

namespace {

template <class Rowset>
bool read_codes(code_lookup& lookup, premium_database& db, const char* no_rows_line, std::string& error_text) {
    Rowset rs;
    if (!is_ok(rs.open_with_filter(db))) {
        char line[128];
        std::snprintf(line, sizeof line, "ERROR, unable to open table [%s].\r\n", rs.table_name().c_str());
        error_text += line;
        return false;
    }
    if (!is_ok(rs.move_first())) {
        error_text += no_rows_line;
        rs.close();
        return false;
    }
    do {
        lookup.insert(code_entry{rs.record.code, rs.record.description});
    } while (is_ok(rs.move_next()));
    rs.close();
    return true;
}

// The codes of one column of "Continuous Rates" for a crop in a county, described by `full`.
void codes_for_crop(code_lookup& lookup, premium_database& db, const code_lookup& full, int crop_code,
                    int state_fips, int county_fips, std::int16_t record_continuous_rates::*column,
                    const char* missing_format, std::string& error_text) {
    rowset_continuous_rates rs;
    const hresult hr = rs.open_by_crop(db, crop_code, state_fips, county_fips);
    if (!is_ok(hr)) {
        char line[128];
        std::snprintf(line, sizeof line, "ERROR, unable to open table [%s].\r\n", rs.table_name().c_str());
        error_text += line;
        append_oledb_error_text(hr, error_text);
        return;
    }
    if (!is_ok(rs.move_first())) {
        char line[128];
        std::snprintf(line, sizeof line, "ERROR, rowset_continuous_rates has no rows for Crop %d.\r\n", crop_code);
        error_text += line;
        rs.close();
        return;
    }
    do {
        const int code = rs.record.*column;
        if (lookup.find_code(code) != nullptr) continue;
        if (const code_entry* entry = full.find_code(code)) {
            lookup.insert(*entry);
        } else {
            char line[160];
            std::snprintf(line, sizeof line, missing_format, code);
            error_text += line;
        }
    } while (is_ok(rs.move_next()));
    rs.close();
}

}  // namespace

bool code_lookup::read_practice_codes(premium_database& db, std::string& error_text) {
    return read_codes<rowset_lookup_practice_code>(*this, db, "ERROR, rowset_lookup_practice_codes has no rows.\r\n",
                                                   error_text);
}

bool code_lookup::read_type_codes(premium_database& db, std::string& error_text) {
    return read_codes<rowset_lookup_type_code>(*this, db, "ERROR, rowset_lookup_type_codes has no rows.\r\n",
                                               error_text);
}

const code_entry* code_lookup::find_code(int code) const {
    for (const code_entry& e : entries_)
        if (e.code == code) return &e;
    return nullptr;
}

void code_lookup::insert(code_entry entry) {
    const auto at =
        std::find_if(entries_.begin(), entries_.end(), [&](const code_entry& e) { return !(e.code < entry.code); });
    entries_.insert(at, std::move(entry));
}

void code_lookup::practice_codes_for_crop(premium_database& db, const code_lookup& full, int crop_code,
                                          int state_fips, int county_fips, std::string& error_text) {
    codes_for_crop(*this, db, full, crop_code, state_fips, county_fips, &record_continuous_rates::practice_code,
                   "ERROR, practice code %d from rowset_continuous_rates does not appear in "
                   "[Lookup Practice Code].\r\n",
                   error_text);
}

void code_lookup::type_codes_for_crop(premium_database& db, const code_lookup& full, int crop_code, int state_fips,
                                      int county_fips, std::string& error_text) {
    codes_for_crop(*this, db, full, crop_code, state_fips, county_fips, &record_continuous_rates::type_code,
                   "ERROR, type code %d from rowset_continuous_rates does not appear in [Lookup Type Code].\r\n",
                   error_text);
}

std::vector<code_entry> crop_code_list(premium_database& db, code_kind kind, const code_lookup& full, int crop_code,
                                       int state_fips, int county_fips, std::string& error_text) {
    code_lookup codes;
    if (kind == code_kind::practice)
        codes.practice_codes_for_crop(db, full, crop_code, state_fips, county_fips, error_text);
    else
        codes.type_codes_for_crop(db, full, crop_code, state_fips, county_fips, error_text);
    return codes.entries();
}

}  // namespace zelmora
