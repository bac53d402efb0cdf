#pragma once
// The continuous base-rate rater: a unit's 65% base premium rate and reference
// yield from the county's "Continuous Rates" record.
#include <array>
#include <string>
#include <vector>

#include "data/premium_database.h"
#include "data/rowsets.h"
#include "data/surcharge_list.h"
#include "utility/exact_decimal.h"
#include "utility/settings_store.h"

namespace zelmora {

class rater {
public:
    explicit rater(premium_database* db) : database(db) {}
    virtual ~rater() = default;

    virtual bool rate(int crop_code, int state_fips, int county_fips, int coverage_level,
                      const exact_decimal& rate_yield, int type_code, int practice_code,
                      const surcharge_list& surcharges, std::string& error_text);
    virtual void read_settings(settings_store& store);
    virtual void write_settings(settings_store& store) const;
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

// The continuous rates records read during one rating, by their seven keys, each
// with the error text its read appended (empty when the record was found).
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

private:
    // A rating holds a few dozen keys at most: a list searched in order beats a tree.
    std::vector<entry> entries_;
};

class rater_aph_continuous;

// While it lives, the rater reads each continuous rates record at most once:
// a unit's rate and its yield span table, and every other unit with the same
// keys, take the record (or its failure and the failure's text) from the first
// read. Scopes nest; the outermost holds the records and drops them when it
// ends, so the next rating reads the database afresh. A null rater is allowed.
class rate_record_scope {
public:
    explicit rate_record_scope(rater_aph_continuous* rater);
    ~rate_record_scope();
    rate_record_scope(const rate_record_scope&) = delete;
    rate_record_scope& operator=(const rate_record_scope&) = delete;

private:
    rater_aph_continuous* rater_ = nullptr;  // null when an outer scope holds the records
    rate_record_cache records_;
};

class rater_aph_continuous : public rater {
public:
    explicit rater_aph_continuous(premium_database* db);
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
    friend class rate_record_scope;
    // The record of the keys from the scope's records, or read and kept there;
    // read afresh outside a scope. A failed read appends its text to `error_text`.
    const rate_record_cache::entry& record_of(const rate_record_cache::key& keys, rate_record_cache::entry& read,
                                              std::string& error_text);
    rate_record_cache* records_ = nullptr;  // set by the outermost rate_record_scope
};

}  // namespace zelmora
