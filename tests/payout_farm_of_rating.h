#pragma once
// A payout farm filled from a rated calculator, and the farm rated at each
// coverage level for the expected payouts: what the tests and the benchmark
// need of a rating to pay out a farm.
#include <memory>
#include <string>
#include <vector>

#include "rating/payout_simulation.h"
#include "rating/premium_calculator.h"
#include "rating/rating_session.h"

namespace zelmora::testing {

// The crops whose expected revenue forms the whole-farm guarantee per acre.
inline bool whole_farm_model_crop(const premium_calculator& k, int c) {
    if (k.is_four_crop_state())
        return c == crop_corn || c == crop_soybeans || c == crop_cotton || c == crop_rice;
    return c >= crop_corn && c <= crop_barley;
}

// What the last compute_all of `k` stored, as a payout farm: every selected
// crop with units; the whole-farm unit when two or more of its crops have units.
inline payout_farm payout_farm_of(const premium_calculator& k) {
    payout_farm farm;
    int whole_farm_crops = 0;
    payout_whole_farm wf;
    wf.coverage = k.coverage_whole_farm;
    wf.harvest_guarantee = k.harvest_guarantee_whole_farm;
    wf.revenue_guarantee_per_acre = k.revenue_guarantee_whole_farm;
    wf.producer_premium = k.producer_premium_whole_farm;
    for (int c = 1; c <= crop_count; ++c) {
        const std::size_t i = static_cast<std::size_t>(c - 1);
        if (!k.crop_selected(c) || k.units[i].empty()) continue;
        payout_crop crop;
        crop.crop_number = c;
        crop.price = k.price[i];
        crop.price_volatility = k.price_volatility[i];
        crop.harvest_guarantee = k.harvest_guarantee[i];
        crop.coverage_enterprise = k.coverage_enterprise[i];
        crop.enterprise_aph_yield_exact = k.enterprise_aph_yield_exact[i];
        crop.enterprise_producer_premium = k.enterprise_producer_premium[i];
        for (const insurance_unit& u : k.units[i]) {
            crop.units.push_back(
                {u.aph_yield, u.acres, u.share, k.coverage[i], u.revenue_guarantee, u.producer_premium});
        }
        farm.crops.push_back(std::move(crop));
        if (k.crop_in_whole_farm(c)) {
            wf.in_unit[i] = true;
            ++whole_farm_crops;
        }
        wf.forms_guarantee[i] = whole_farm_model_crop(k, c);
    }
    if (whole_farm_crops > 1) farm.whole_farm = wf;
    return farm;
}

// The farm rated at each level from 65 to 85 with every coverage (units,
// enterprise units, whole-farm unit) set to it, on copies of the farm.
inline std::vector<coverage_level_farm> payout_levels_of(const rating_session& session, const farm& f,
                                                         std::string& error_text) {
    std::vector<coverage_level_farm> levels;
    for (const int level : {65, 70, 75, 80, 85}) {
        farm at_level = f;
        at_level.inputs.coverage.fill(level);
        at_level.inputs.coverage_enterprise.fill(level);
        at_level.inputs.coverage_whole_farm = level;
        const std::unique_ptr<premium_calculator> copy = session.calculator_for(at_level, error_text);
        copy->compute_all(*session.surcharges, error_text);
        levels.push_back({level, payout_farm_of(*copy)});
    }
    return levels;
}

}  // namespace zelmora::testing
