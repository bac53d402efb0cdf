#pragma once
// The continuous base-rate rater: a unit's 65% base premium rate and reference
// yield from the county's "Continuous Rates" record.
#include <string>

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

class rater_aph_continuous : public rater {
public:
    explicit rater_aph_continuous(premium_database* db);

    int compute_rate(int crop_year, int crop_code, int state_fips, int county_fips, int coverage_level,
                     const exact_decimal& rate_yield, const surcharge_list& surcharges,
                     std::string& error_text) override;

    // Appends the rater's worksheet lines ("Crop Year" .. "Coverage Level Rate Differential").
    void worksheet(std::string& text) const;

    // The rate of the yield span table for a rate yield (re-reads the record).
    exact_decimal yield_span_rate(const rate_record_key& key, const exact_decimal& rate_yield,
                                  std::string& error_text);
    // The same from a record at hand.
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
};

}  // namespace zelmora
