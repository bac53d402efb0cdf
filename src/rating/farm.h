#pragma once
// A farm as one value: everything entered for a rating (the state and county;
// per crop the tick, the harvest price option, sections, units, price,
// volatility, coverage levels and prevented planting choices; the whole-farm
// unit's choices; the malting barley option) and the continuous rater's own
// settings. Nothing rated is kept here: a rating of the farm comes back from
// rating_session::rate as a farm_rating.
//
// Per-crop arrays are indexed by crop number - 1 (crop numbers 1..9).
#include <array>
#include <vector>

#include "data/crops.h"
#include "rating/crop_arrays.h"
#include "utility/exact_decimal.h"

namespace zelmora {

inline constexpr int max_units_per_crop = 7;

// One insurance unit as entered.
struct insurance_unit {
    bool optional_unit = false;
    exact_decimal aph_yield;
    exact_decimal rate_yield;
    exact_decimal acres;
    exact_decimal share;
    exact_decimal written_agreement_rate;  // used instead of the county's base rate when above 0
    exact_decimal short_rate_factor = 1.0;  // Winter Wheat
    exact_decimal fn_or_fo_factor = 1.0;    // Spring Wheat and Barley
    exact_decimal cr_option_factor = 1.0;   // Canola
    int type_code = 997;
    int practice_code = 0;
    exact_decimal malting_barley_price;
    exact_decimal malting_barley_acres;
    exact_decimal malting_barley_approved_yield;

    bool operator==(const insurance_unit&) const = default;
};

// A crop's units in entry order.
using unit_list = std::vector<insurance_unit>;

// What the continuous rater keeps in its settings section ("APHContinuous").
// Only the practice code takes part in a rating: it is the practice the
// enterprise and whole-farm surcharges are read with before any unit is rated.
struct rater_settings {
    int map_area = 0;
    int practice_code = 0;
    int option_code = 0;
    int class_option = 0;
    exact_decimal price_percent = 1.0;
    exact_decimal acres;
    exact_decimal share;

    bool operator==(const rater_settings&) const = default;
};

// Everything entered for a rating but the state.
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

    bool operator==(const farm_inputs&) const = default;
};

// A farm as one value: its state, its inputs and the rater's settings.
struct farm {
    int state_fips = 17;
    farm_inputs inputs;
    rater_settings continuous;

    bool operator==(const farm&) const = default;
};

// The farm a new calculator starts with: Illinois, county 1, every crop ticked
// at 65% with no units, the default prices and volatilities, prevented planting
// factors 1.02 and 1.05, one section per crop, malting barley option B.
farm default_farm();

// Grows or shrinks the crop's list to `count` units (taken within 0..7); new
// units have the default inputs.
void set_unit_count(farm& f, int crop_number, int count);

}  // namespace zelmora
