#pragma once
// A farm as values: the inputs of a rating (`farm_inputs`, and `farm` with its
// state), the stored results of the enterprise and whole-farm units, and the
// five figures a page shows for a unit, an enterprise unit or the whole farm.
// `premium_calculator` is made of these, so copying a farm copies whole values.
//
// Per-crop arrays are indexed by crop number - 1 (crop numbers 1..9).
#include <array>

#include "data/crops.h"
#include "rating/insurance_unit.h"
#include "utility/exact_decimal.h"

namespace zelmora {

using crop_decimals = std::array<exact_decimal, crop_count>;
using crop_ints = std::array<int, crop_count>;
using crop_flags = std::array<bool, crop_count>;

// Everything entered for a rating but the state, which the calculator holds as
// its loaded state record: the county; per crop the tick, the harvest price
// option, sections, units, price, volatility, coverage levels and prevented
// planting choices; the whole-farm unit's choices; the malting barley option.
struct farm_inputs {
    int county_fips = 1;
    crop_flags indicated{};
    crop_flags harvest_guarantee{};
    bool harvest_guarantee_whole_farm = false;
    crop_ints sections{};
    std::array<unit_list, crop_count> units;
    crop_decimals price{};
    crop_ints coverage{};
    crop_ints coverage_enterprise{};
    int coverage_whole_farm = 65;
    std::array<crop_decimals, 2> ppcl_factor{};  // [0] the "+5%" selection, [1] the "+10%" selection
    crop_ints ppcl_select{};
    crop_ints ppcl_select_enterprise{};
    int ppcl_select_whole_farm = 0;
    crop_decimals price_volatility{};
    int malting_barley_option = 2;  // 1 option A, 2 option B
};

// A farm as one value: its state and its inputs.
struct farm {
    int state_fips = 17;
    farm_inputs inputs;
};

// What the last computation stored for each crop's enterprise unit.
struct enterprise_results {
    crop_decimals enterprise_revenue_guarantee{};
    crop_decimals enterprise_base_rate{};
    crop_decimals enterprise_aph_yield{};
    crop_decimals enterprise_aph_yield_exact{};
    crop_decimals enterprise_reference_yield{};
    crop_decimals enterprise_discount_ratio{};
    crop_decimals enterprise_discounted_rate{};
    crop_decimals enterprise_premium_rate{};
    crop_decimals enterprise_residual_factor{};
    crop_decimals loaded_enterprise_premium{};
    crop_decimals total_loaded_enterprise_premium{};
    crop_decimals enterprise_per_acre_premium{};
    crop_decimals enterprise_subsidy{};
    crop_decimals enterprise_producer_premium{};
};

// What the last computation stored for the whole-farm unit.
struct whole_farm_results {
    exact_decimal revenue_guarantee_whole_farm;
    crop_decimals percent_liability{};
    crop_decimals liability_per_acre{};
    exact_decimal premium_rate_whole_farm;
    exact_decimal limit_whole_farm;
    exact_decimal per_acre_premium_whole_farm;
    exact_decimal base_premium_whole_farm;
    exact_decimal total_premium_whole_farm;
    exact_decimal crop_acre_weight_whole_farm;
    exact_decimal ra_subsidy_whole_farm;
    exact_decimal producer_premium_whole_farm;
    exact_decimal residual_factor_whole_farm;
    exact_decimal arg_minimum_whole_farm;
    exact_decimal arg_maximum_whole_farm;
    crop_decimals weighted_aph_yield{};
    int limit_applied_whole_farm = 0;
};

// The five figures shown for a rated unit, enterprise unit or whole-farm unit.
struct premium_figures {
    exact_decimal revenue_guarantee;
    exact_decimal per_acre_premium;
    exact_decimal total_premium;
    exact_decimal subsidy;
    exact_decimal producer_premium;
};

}  // namespace zelmora
