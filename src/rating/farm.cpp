#include "rating/farm.h"

#include <algorithm>

namespace zelmora {

namespace {

// Corn's and Soybeans' prices are single-precision constants widened.
constexpr double default_prices[crop_count] = {static_cast<double>(2.8f), static_cast<double>(6.6f), 3.0, 1.0, 1.0,
                                               1.0, 1.0, 0.5, 5.0};
constexpr double default_volatilities[crop_count] = {0.2, 0.18, 0.17, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1};

}  // namespace

farm default_farm() {
    farm f;
    f.state_fips = 17;
    farm_inputs& in = f.inputs;
    in.county_fips = 1;
    in.indicated.fill(true);
    in.harvest_guarantee.fill(false);
    in.harvest_guarantee_whole_farm = false;
    in.coverage.fill(65);
    in.coverage_enterprise.fill(65);
    in.coverage_whole_farm = 65;
    for (std::size_t i = 0; i < crop_count; ++i) {
        in.ppcl_factor[0][i] = 1.02;
        in.ppcl_factor[1][i] = 1.05;
        in.ppcl_select[i] = 0;
        in.ppcl_select_enterprise[i] = 0;
        in.sections[i] = 1;
        in.units[i].clear();
        in.price[i] = default_prices[i];
        in.price_volatility[i] = default_volatilities[i];
    }
    in.ppcl_select_whole_farm = 0;
    in.malting_barley_option = 2;
    return f;
}

void set_unit_count(farm& f, int crop_number, int count) {
    if (crop_number < 1 || crop_number > crop_count) return;
    f.inputs.units[static_cast<std::size_t>(crop_number - 1)].resize(
        static_cast<std::size_t>(std::clamp(count, 0, max_units_per_crop)));
}

}  // namespace zelmora
