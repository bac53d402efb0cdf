#include "rating/engine/unit_premium.h"

#include "data/crops.h"
#include "rating/engine/premium_calculator.h"
#include "rating/engine/rater.h"

namespace zelmora {

double subsidy_factor(int coverage_level) {
    if (coverage_level < 75) return 0.59;
    if (coverage_level < 80) return 0.55;
    if (coverage_level < 85) return 0.48;
    return 0.38;
}

exact_decimal effective_base_rate(const insurance_unit& unit, const unit_results& results) {
    return unit.written_agreement_rate > 0.0 ? unit.written_agreement_rate : results.base_rate;
}

bool rate_unit(int c, const insurance_unit& unit, unit_results& results, premium_calculator& k,
               rater_aph_continuous& base_rater, const surcharge_list& surcharges, std::string& error_text) {
    const int level = k.coverage[static_cast<std::size_t>(c - 1)];

    // 65% base premium rate and reference yield.
    if (!base_rater.rate(crop_code(c), k.state_fips(), k.county_fips, level, unit.rate_yield, unit.type_code,
                         unit.practice_code, surcharges, error_text))
        return false;
    results.base_rate = base_rater.base_premium_rate;
    results.reference_yield = base_rater.reference_yield;

    results.revenue_guarantee = (k.price[static_cast<std::size_t>(c - 1)] * unit.aph_yield) * (level / 100.0);
    results.revenue_guarantee.round_to(2);

    const exact_decimal ppcl = k.ppcl_factor_of(c) * premium_calculator::unit_factor(c, unit);
    const exact_decimal rate = k.unit_premium_rate(c, unit, results);

    results.loaded_per_acre_premium = (results.revenue_guarantee * rate) * ppcl;
    apply_residual_surcharge(base_rater.crop_year, c, unit, results, k, results.loaded_per_acre_premium, surcharges);
    results.loaded_per_acre_premium.round_to(2);

    results.total_premium = (results.loaded_per_acre_premium * unit.acres) * unit.share;
    apply_optional_unit_surcharge(unit, c, results.total_premium);
    results.total_premium.round_to(0);  // whole dollars before the subsidy

    results.ra_subsidy = results.total_premium * subsidy_factor(level);
    results.ra_subsidy.round_to(0);
    results.producer_premium = results.total_premium - results.ra_subsidy;
    return true;
}

bool apply_residual_surcharge(int crop_year, int c, const insurance_unit& unit, unit_results& results,
                              const premium_calculator& k, exact_decimal& premium, const surcharge_list& surcharges) {
    surcharge_values factors;
    const bool found = surcharges.surcharge_factors(surcharge_key{k.coverage[static_cast<std::size_t>(c - 1)],
                                                                  crop_code(c), k.state_fips(), k.county_fips,
                                                                  crop_year, unit.practice_code, unit.type_code},
                                                    factors);
    results.residual_factor = factors.residual_factor;
    if (found) premium = premium * results.residual_factor;
    return found;
}

void apply_optional_unit_surcharge(const insurance_unit& unit, int crop_number, exact_decimal& premium) {
    if (unit.optional_unit && crop_number >= 1 && crop_number <= crop_count)
        premium = premium * optional_unit_surcharge_factor;
}

}  // namespace zelmora
