#include "rating/payout_rating.h"

#include "data/state_record.h"
#include "rating/farm.h"

namespace zelmora {

namespace {

// The crops whose expected revenue forms the whole-farm guarantee per acre.
bool whole_farm_model_crop(int state_fips, int c) {
    if (is_four_crop_state_fips(state_fips))
        return c == crop_corn || c == crop_soybeans || c == crop_cotton || c == crop_rice;
    return c >= crop_corn && c <= crop_barley;
}

}  // namespace

payout_farm payout_farm_of(const farm& f, const farm_rating& rated) {
    const farm_inputs& in = f.inputs;
    payout_farm paid;
    int whole_farm_crops = 0;
    payout_whole_farm wf;
    wf.coverage = in.coverage_whole_farm;
    wf.harvest_guarantee = in.harvest_guarantee_whole_farm;
    wf.revenue_guarantee_per_acre = rated.whole_farm.revenue_guarantee_whole_farm;
    wf.producer_premium = rated.whole_farm.producer_premium_whole_farm;
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        if (!rated.selected[i] || in.units[i].empty()) continue;
        payout_crop crop;
        crop.crop_number = c;
        crop.price = in.price[i];
        crop.price_volatility = in.price_volatility[i];
        crop.harvest_guarantee = in.harvest_guarantee[i];
        crop.coverage_enterprise = in.coverage_enterprise[i];
        crop.enterprise_aph_yield_exact = rated.enterprise.enterprise_aph_yield_exact[i];
        crop.enterprise_producer_premium = rated.enterprise.enterprise_producer_premium[i];
        for (std::size_t u = 0; u < in.units[i].size(); ++u) {
            const insurance_unit& unit = in.units[i][u];
            const premium_figures figures = rated.units[i][u].figures.value_or(premium_figures{});
            crop.units.push_back(
                {unit.aph_yield, unit.acres, unit.share, in.coverage[i], figures.revenue_guarantee, figures.producer_premium});
        }
        paid.crops.push_back(std::move(crop));
        if (rated.in_whole_farm[i]) {
            wf.in_unit[i] = true;
            ++whole_farm_crops;
        }
        wf.forms_guarantee[i] = whole_farm_model_crop(f.state_fips, c);
    }
    if (whole_farm_crops > 1) paid.whole_farm = wf;
    return paid;
}

std::vector<coverage_level_farm> payout_levels_of(const rating_session& session, const farm& f) {
    std::vector<coverage_level_farm> levels;
    for (const int level : {65, 70, 75, 80, 85}) {
        farm at_level = f;
        at_level.inputs.coverage.fill(level);
        at_level.inputs.coverage_enterprise.fill(level);
        at_level.inputs.coverage_whole_farm = level;
        levels.push_back({level, payout_farm_of(at_level, session.rate(at_level))});
    }
    return levels;
}

}  // namespace zelmora
