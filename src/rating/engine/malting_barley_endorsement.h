#pragma once
// The malting barley endorsement of a Barley unit: dollar amount of insurance,
// liability, premium rate, premium, subsidy and producer premium.
#include <string>

#include "rating/farm.h"
#include "utility/exact_decimal.h"

namespace zelmora {

class malting_barley_endorsement {
public:
    // The figures of the last unit calculated.
    exact_decimal acres = 200.0;
    exact_decimal dollar_amount;
    exact_decimal contract_price = 2.72;
    exact_decimal additional_value = 0.6;
    exact_decimal base_premium_75 = 0.0504;
    exact_decimal optional_rate_factor_a = 1.1;
    exact_decimal optional_rate_factor_b = 1.1;
    int coverage_level = 80;
    exact_decimal liability;
    exact_decimal premium_rate;
    exact_decimal base_premium;
    exact_decimal subsidy;
    exact_decimal producer_premium;

    // `base_rate` is the unit's 65% base premium rate as its rating stored it.
    void compute(const farm_inputs& calculator, const insurance_unit& unit, const exact_decimal& base_rate);
    // compute, then the unit's worksheet lines.
    void worksheet(const farm_inputs& calculator, const insurance_unit& unit, const exact_decimal& base_rate,
                   std::string& text);

    // 0.65, 0.79, 1.0, 1.27, 1.6 at 65..85; 0 at any other level.
    static exact_decimal rate_differential(int coverage_level);
    // 0.59, 0.59, 0.55, 0.48, 0.38 at 65..85; 0 at any other level.
    static exact_decimal subsidy_factor(int coverage_level);
};

}  // namespace zelmora
