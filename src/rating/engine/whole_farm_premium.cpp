// The whole-farm unit's premium: ARG range, the limit on the rate, the
// prevented planting factor, unit premiums, subsidy and producer premium.
#include "rating/engine/premium_calculator.h"

namespace zelmora {

namespace {

std::size_t ix(int crop_number) { return static_cast<std::size_t>(crop_number - 1); }

// Single-precision 0.85 widened, the ARG maximum's share of expected revenue.
constexpr double arg_maximum_share = static_cast<double>(0.85f);

double limit_percent(int whole_farm_crops) {
    switch (whole_farm_crops) {
        case 2: return 0.5;
        case 3: return 0.475;
        case 4: return 0.45;
        case 5: return 0.425;
        case 6: return 0.4;
        default: return 0.0;
    }
}

}  // namespace

void premium_calculator::compute_arg_whole_farm(const crop_decimals& crop_acre_weight) {
    // Expected revenue over Corn .. Barley, in both crop models.
    exact_decimal expected = 0.0;
    for (int c = crop_corn; c <= crop_barley; ++c)
        expected += (enterprise_aph_yield[ix(c)] * price[ix(c)]) * crop_acre_weight[ix(c)];
    if (crop_acre_weight_whole_farm == 0.0) {  // no acres in the whole-farm unit: no range
        arg_minimum_whole_farm = 0.0;
        arg_maximum_whole_farm = 0.0;
        return;
    }
    arg_minimum_whole_farm = (0.65 * expected) / crop_acre_weight_whole_farm;
    arg_minimum_whole_farm.round_to(2);
    arg_maximum_whole_farm = (arg_maximum_share * expected) / crop_acre_weight_whole_farm;
}

exact_decimal premium_calculator::crop_rate_whole_farm(int c) {
    aggregate_enterprise_units(c);
    compute_enterprise_discount();
    const std::size_t i = ix(c);
    const exact_decimal& v = enterprise_discounted_rate[i];
    const bool has_ratio = enterprise_reference_yield[i] != 0.0;
    const exact_decimal y = has_ratio ? enterprise_aph_yield[i] / enterprise_reference_yield[i] : exact_decimal(0.0);
    const exact_decimal& u = price_volatility[i];
    const int level = coverage_whole_farm;
    const double cv = level / 100.0;
    const std::array<exact_decimal, 15> x = {
        1.0,
        v,
        v * v,
        cv,
        static_cast<double>(static_cast<std::int64_t>(level) * level) / 10000.0,
        y,
        y * y,
        u,
        u * u,
        v * cv,
        v * y,
        v * u,
        y * cv,
        u * cv,
        y * u,
    };
    return capped_sum(c, county_region(), x).round_to(4);
}

void premium_calculator::apply_limit_whole_farm(const crop_decimals& crop_acre_weight) {
    limit_whole_farm = 0.0;
    exact_decimal divisor = 0.0;
    int n = 0;
    for (int c = 1; c <= crop_count; ++c) {
        if (!crop_in_whole_farm(c)) continue;
        if (!units[ix(c)].empty()) {
            const exact_decimal rate = crop_rate_whole_farm(c);
            for (const insurance_unit& unit : units[ix(c)]) {
                exact_decimal term = (rate * unit.acres) * unit.share;
                limit_whole_farm += term.round_to(9);
            }
        }
        divisor += crop_acre_weight[ix(c)];
        ++n;  // a whole-farm crop without units still counts
    }
    if (divisor != 0.0) {
        limit_whole_farm = (limit_whole_farm / divisor) * limit_percent(n);
        limit_whole_farm.round_to(4);
    } else {
        limit_whole_farm = 0.0;
    }
    if (premium_rate_whole_farm < limit_whole_farm) {
        premium_rate_whole_farm = limit_whole_farm;
        limit_applied_whole_farm = 1;
    } else {
        limit_applied_whole_farm = 0;
    }
}

exact_decimal premium_calculator::ppcl_factor_whole_farm(const crop_decimals& crop_acre_weight) const {
    exact_decimal p = 0.0;
    for (int c = 1; c <= crop_count; ++c)
        if (crop_in_whole_farm(c)) p += crop_acre_weight[ix(c)];
    exact_decimal q = 0.0;
    switch (ppcl_select_whole_farm) {
        case 0: q = p; break;
        case 1:
        case 2:
            for (int c = 1; c <= crop_count; ++c)
                if (crop_in_whole_farm(c))
                    q += ppcl_factor[static_cast<std::size_t>(ppcl_select_whole_farm - 1)][ix(c)] * crop_acre_weight[ix(c)];
            break;
        default: return 1.0;
    }
    if (p == 0.0) return 1.0;  // no acres in the unit: no prevented planting loading
    return q / p;
}

void premium_calculator::rate_whole_farm_after_crops(const crop_decimals& crop_acre_weight, bool four_crop) {
    premium_rate_whole_farm = whole_farm_rate();
    apply_limit_whole_farm(crop_acre_weight);
    const exact_decimal ppcl = ppcl_factor_whole_farm(crop_acre_weight);

    // The four-crop model shows its residual factor but does not apply it.
    if (four_crop)
        per_acre_premium_whole_farm = (revenue_guarantee_whole_farm * premium_rate_whole_farm) * ppcl;
    else
        per_acre_premium_whole_farm =
            ((revenue_guarantee_whole_farm * premium_rate_whole_farm) * residual_factor_whole_farm) * ppcl;
    per_acre_premium_whole_farm.round_to(2);

    const double subfactor_whole_farm = subsidy_factor(coverage_whole_farm);
    ra_subsidy_whole_farm = 0.0;
    total_premium_whole_farm = 0.0;
    for (int c = 1; c <= crop_count; ++c) {
        if (!crop_in_whole_farm(c)) continue;
        for (const insurance_unit& unit : units[ix(c)]) {
            const exact_decimal r = unit.acres * unit.share;
            exact_decimal per_acre = per_acre_premium_whole_farm;
            if (!four_crop && (c == crop_spring_wheat || c == crop_barley))
                per_acre = unit.fn_or_fo_factor * per_acre_premium_whole_farm;
            exact_decimal unit_premium = per_acre * r;
            unit_premium.round_to(0);
            exact_decimal unit_subsidy = unit_premium * subfactor_whole_farm;
            ra_subsidy_whole_farm += unit_subsidy.round_to(0);
            total_premium_whole_farm += unit_premium;
        }
    }
    if (crop_acre_weight_whole_farm != 0.0) {
        base_premium_whole_farm = total_premium_whole_farm / crop_acre_weight_whole_farm;
        base_premium_whole_farm.round_to(2);
    } else {
        base_premium_whole_farm = 0.0;
    }
    producer_premium_whole_farm = total_premium_whole_farm - ra_subsidy_whole_farm;
}

}  // namespace zelmora
