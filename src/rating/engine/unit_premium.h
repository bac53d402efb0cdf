#pragma once
// The premium of one basic or optional unit: what its rating stores and the
// steps that compute it.
#include <string>

#include "data/surcharge_list.h"
#include "rating/farm.h"
#include "rating/farm_rating.h"
#include "utility/exact_decimal.h"

namespace zelmora {

class premium_calculator;
class rater_aph_continuous;

// Subsidy factor of a coverage level percent: below 75 0.59, 75-79 0.55, 80-84 0.48, 85 and above 0.38.
double subsidy_factor(int coverage_level);

inline constexpr double optional_unit_surcharge_factor = 1.1;

// What rating a unit stores: the rater's base rate and reference yield, the
// residual factor and the five figures.
struct unit_results {
    exact_decimal base_rate;  // 65% base premium rate from the rater
    exact_decimal reference_yield;
    exact_decimal residual_factor;
    exact_decimal revenue_guarantee;
    exact_decimal loaded_per_acre_premium;
    exact_decimal producer_premium;
    exact_decimal total_premium;
    exact_decimal ra_subsidy;

    premium_figures figures() const {
        return {revenue_guarantee, loaded_per_acre_premium, total_premium, ra_subsidy, producer_premium};
    }
};

// Written agreement rate when greater than zero, else the base rate.
exact_decimal effective_base_rate(const insurance_unit& unit, const unit_results& results);

// Rates the unit into `results`; false when the rater gives no base rate
// (nothing of `results` changes then). The rater's lines go to `error_text`.
bool rate_unit(int crop_number, const insurance_unit& unit, unit_results& results, premium_calculator& calculator,
               rater_aph_continuous& base_rater, const surcharge_list& surcharges, std::string& error_text);
// Multiplies `premium` by the unit's residual factor (stored in `results`) when a surcharge row exists.
bool apply_residual_surcharge(int crop_year, int crop_number, const insurance_unit& unit, unit_results& results,
                              const premium_calculator& calculator, exact_decimal& premium,
                              const surcharge_list& surcharges);
// Multiplies `premium` by 1.1 for an optional unit.
void apply_optional_unit_surcharge(const insurance_unit& unit, int crop_number, exact_decimal& premium);

}  // namespace zelmora
