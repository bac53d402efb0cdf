#pragma once
// One insurance unit of a crop: its inputs and the results of rating it.
#include <string>
#include <vector>

#include "data/premium_database.h"
#include "data/surcharge_list.h"
#include "utility/exact_decimal.h"
#include "utility/settings_store.h"

namespace zelmora {

class premium_calculator;
class rater_aph_continuous;
struct premium_figures;

// Subsidy factor of a coverage level percent: below 75 0.59, 75-79 0.55, 80-84 0.48, 85 and above 0.38.
double subsidy_factor(int coverage_level);

inline constexpr double optional_unit_surcharge_factor = 1.1;

class insurance_unit {
public:
    bool optional_unit = false;
    exact_decimal aph_yield;
    exact_decimal rate_yield;
    exact_decimal acres;
    exact_decimal share;
    exact_decimal base_rate;  // result: 65% base premium rate from the rater
    exact_decimal written_agreement_rate;
    exact_decimal short_rate_factor = 1.0;
    exact_decimal fn_or_fo_factor = 1.0;
    exact_decimal cr_option_factor = 1.0;
    int type_code = 997;
    int practice_code = 0;
    exact_decimal reference_yield;  // result: from the rater
    exact_decimal malting_barley_price;
    exact_decimal malting_barley_acres;
    exact_decimal malting_barley_dollar_amount;
    exact_decimal malting_barley_approved_yield;
    exact_decimal residual_factor;  // result
    exact_decimal revenue_guarantee;
    exact_decimal loaded_per_acre_premium;
    exact_decimal producer_premium;
    exact_decimal total_premium;
    exact_decimal ra_subsidy;

    void copy_from(const insurance_unit& other) { *this = other; }

    // The five figures of the last rating: guarantee, loaded premium per acre,
    // total premium, subsidy and producer premium.
    premium_figures figures() const;

    // Written agreement rate when greater than zero, else the base rate.
    exact_decimal effective_base_rate() const;

    // Rates the unit; false when the rater gives no base rate (nothing else changes then).
    bool compute(int crop_number, premium_calculator& calculator, rater_aph_continuous& base_rater, premium_database* database,
                 const surcharge_list& surcharges, std::string& error_text);
    // Multiplies `premium` by the unit's residual factor when a surcharge row exists.
    bool apply_residual_surcharge(int crop_year, int crop_number, const premium_calculator& calculator,
                                  exact_decimal& premium, const surcharge_list& surcharges);
    // Multiplies `premium` by 1.1 for an optional unit.
    void apply_optional_unit_surcharge(int crop_number, exact_decimal& premium) const;

    void read_settings(settings_store& store, int crop_number, int unit_number);
    void write_settings(settings_store& store, int crop_number, int unit_number) const;
};

// A crop's units in entry order.
using unit_list = std::vector<insurance_unit>;

}  // namespace zelmora
