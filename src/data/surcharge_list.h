#pragma once
// Every row of "Endogenous Risk Surcharge", indexed by coverage level slot and
// county bucket, and the rate differentials and residual factors of a unit.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/premium_database.h"
#include "data/rowsets.h"
#include "utility/exact_decimal.h"

namespace zelmora {

using surcharge_row = record_endogenous_risk_surcharge;

struct surcharge_key {
    int coverage_level;
    int crop_code;
    int state_fips;
    int county_fips;
    int crop_year;
    int practice_code;
    int type_code;
};

struct surcharge_values {
    exact_decimal rate_differential;
    exact_decimal residual_factor;
    exact_decimal prior_rate_differential;
    exact_decimal prior_residual_factor;
};

// 1.0, 1.055, 1.11, 1.165, 1.22 at 65..85; 0 at any other level.
exact_decimal default_residual_factor(int coverage_level);

class surcharge_list {
public:
    static constexpr int slots = 5;
    static constexpr int buckets = 200;

    surcharge_list();

    bool read_surcharges(premium_database& db, std::string& error_text);
    // The rows of one county only: all a farm of that county is ever rated with.
    // A county without rows is no failure (every key falls back to the defaults).
    bool read_county_surcharges(premium_database& db, int state_fips, int county_fips, std::string& error_text);

    // Adds a row as read (rows at levels of 64 or less, or above 89, have no slot and are skipped).
    void add(const surcharge_row& row);

    // The first row read for the key in the slot of its coverage level, or nullptr.
    const surcharge_row* find_surcharge(const surcharge_key& key) const;
    // True when a row exists at the key's own level; the values fall back to the defaults.
    bool surcharge_factors(const surcharge_key& key, surcharge_values& out) const;
    exact_decimal residual_factor_at(const surcharge_key& key) const;

    std::size_t size() const;

private:
    // Appends a row to its bucket without indexing it; the bucket's index, or -1 when the row has none.
    int append(const surcharge_row& row);
    // Sorts a bucket's index by key, rows of one key in the order read.
    void index_bucket(std::size_t bucket);

    // Rows of each slot and bucket in the order read.
    std::array<std::vector<surcharge_row>, slots * buckets> rows_;
    // Positions of each bucket's rows in key order, for a binary search.
    std::array<std::vector<std::uint32_t>, slots * buckets> by_key_;
};

struct code_entry {
    int code = 0;
    std::string description;  // at most 254 characters
};

// Codes with descriptions, kept in ascending code order.
class code_lookup {
public:
    bool read_practice_codes(premium_database& db, std::string& error_text);
    bool read_type_codes(premium_database& db, std::string& error_text);

    const code_entry* find_code(int code) const;
    void insert(code_entry entry);  // after every entry with a smaller code
    const std::vector<code_entry>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }

    // Fill this (empty) lookup with the codes "Continuous Rates" uses for a crop in a county.
    void practice_codes_for_crop(premium_database& db, const code_lookup& full, int crop_code, int state_fips,
                                 int county_fips, std::string& error_text);
    void type_codes_for_crop(premium_database& db, const code_lookup& full, int crop_code, int state_fips,
                             int county_fips, std::string& error_text);

private:
    std::vector<code_entry> entries_;
};

// The column of "Continuous Rates" a unit's code list comes from.
enum class code_kind { practice, type };

// The codes "Continuous Rates" uses for a crop in a county, with their
// descriptions from `full`, in ascending code order (the unit rows' lists).
std::vector<code_entry> crop_code_list(premium_database& db, code_kind kind, const code_lookup& full, int crop_code,
                                       int state_fips, int county_fips, std::string& error_text);

}  // namespace zelmora
