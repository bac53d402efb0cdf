#pragma once
// The continuous base-rate rater: a unit's 65% base premium rate and reference
// yield from the county's "Continuous Rates" record.
#include <array>
#include <string>
#include <vector>

#include <unordered_map>

#include "data/premium_database.h"
#include "data/rowsets.h"
#include "data/surcharge_list.h"
#include "rating/farm.h"
#include "utility/exact_decimal.h"

namespace zelmora {

class rater {
public:
    explicit rater(premium_database* db) : database(db) {}
    virtual ~rater() = default;

    virtual bool rate(int crop_code, int state_fips, int county_fips, int coverage_level,
                      const exact_decimal& rate_yield, int type_code, int practice_code,
                      const surcharge_list& surcharges, std::string& error_text);
    // Takes the farm's rater settings (its practice code is the one used before any unit is rated).
    void use_settings(const rater_settings& settings);
    // Number of failures (0 on success); the base computes nothing.
    virtual int compute_rate(int crop_year, int crop_code, int state_fips, int county_fips, int coverage_level,
                             const exact_decimal& rate_yield, const surcharge_list& surcharges,
                             std::string& error_text);

    std::string script = "/scripts/rater_aph.dll";
    std::string name = "APH";  // also the section of its settings
    int type_code = 997;
    int crop_year = 2004;
    int insurance_plan_id = 90;
    int practice_code = 0;
    unsigned char map_area = 0;
    unsigned char option_code = 0;
    unsigned char class_option = 0;
    exact_decimal acres;
    exact_decimal share;
    exact_decimal price_election;
    exact_decimal price_percent = 1.0;
    exact_decimal base_premium_rate;
    premium_database* database = nullptr;
};

// The keys that select one "Continuous Rates" record of a unit.
struct rate_record_key {
    int state_fips = 0;
    int county_fips = 0;
    int crop_year = 0;
    int crop_code = 0;
    int insurance_plan_id = 0;
    int practice_code = 0;
    int type_code = 0;
};

// The continuous rates records read, by their seven keys, each with the error
// text its read appended (empty when the record was found). The session keeps
// one for as long as the database does not change, so each record is read once;
// a read that failed for another reason than a missing row is never kept.
class rate_record_cache {
public:
    // State, county, crop year, crop code, plan, practice and type.
    using key = std::array<int, 7>;
    struct entry {
        key keys;
        bool found = false;
        record_continuous_rates record;
        std::string error_text;
    };
    const entry* find(const key& keys) const;
    const entry& add(entry read);
    std::size_t size() const { return entries_.size(); }
    // Drops the records kept (the count of reads stays).
    void clear() { entries_.clear(); }
    long reads = 0;  // records read from the database so far

private:
    struct key_hash {
        std::size_t operator()(const key& k) const noexcept;
    };
    std::unordered_map<key, entry, key_hash> entries_;
};

class rater_aph_continuous : public rater {
public:
    // `records` (may be null: every record is then read afresh) keeps what was read.
    rater_aph_continuous(premium_database* db, rate_record_cache* records);
    rater_aph_continuous(const rater_aph_continuous&) = delete;
    rater_aph_continuous& operator=(const rater_aph_continuous&) = delete;

    int compute_rate(int crop_year, int crop_code, int state_fips, int county_fips, int coverage_level,
                     const exact_decimal& rate_yield, const surcharge_list& surcharges,
                     std::string& error_text) override;

    // Appends the rater's worksheet lines ("Crop Year" .. "Coverage Level Rate Differential").
    void worksheet(std::string& text) const;

    // The rate of the yield span table of a record for a rate yield.
    static exact_decimal span_rate_of(const record_continuous_rates& record, const exact_decimal& rate_yield);

    // Step 1's values of a record: the reference and prior year yields, rates, exponents and loads.
    void take_record(const record_continuous_rates& record);
    // Steps 4 to 11 from the values taken, with the yield span rate of step 6.
    void rate_from_record_values(int crop_year, int crop_code, int state_fips, int county_fips, int coverage_level,
                                 const exact_decimal& rate_yield, const exact_decimal& span_rate,
                                 const surcharge_list& surcharges);

    exact_decimal reference_yield;
    exact_decimal reference_rate;
    exact_decimal exponent;
    exact_decimal fixed_rate_load;
    exact_decimal prior_reference_yield;
    exact_decimal prior_reference_rate;
    exact_decimal prior_exponent;
    exact_decimal prior_fixed_rate_load;
    exact_decimal coverage_level_rate_differential;  // printed, never computed
    exact_decimal yield_ratio;                       // step 4
    exact_decimal uncapped_base_premium_rate;        // step 5
    exact_decimal capped_yield_span_base_rate;       // step 6
    exact_decimal prior_yield_ratio;                 // step 7
    exact_decimal prior_continuous_base_rate;        // step 8
    exact_decimal preliminary_base_rate;             // step 9

private:
    // The record of the keys from the kept records, or read (and kept, unless the
    // read failed for another reason than a missing row). A failed read appends
    // its text to `error_text`.
    const rate_record_cache::entry& record_of(const rate_record_cache::key& keys, rate_record_cache::entry& read,
                                              std::string& error_text);
    rate_record_cache* records_ = nullptr;
};

}  // namespace zelmora
