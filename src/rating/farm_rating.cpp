#include "rating/farm_rating.h"

namespace zelmora {

const unit_rating* farm_rating::unit(int crop_number, int unit_number) const {
    if (crop_number < 1 || crop_number > crop_count || unit_number < 1) return nullptr;
    const auto& list = units[static_cast<std::size_t>(crop_number - 1)];
    if (static_cast<std::size_t>(unit_number) > list.size()) return nullptr;
    return &list[static_cast<std::size_t>(unit_number - 1)];
}

premium_figures farm_rating::enterprise_figures(int crop_number) const {
    if (crop_number < 1 || crop_number > crop_count) return {};
    const auto i = static_cast<std::size_t>(crop_number - 1);
    return {enterprise.enterprise_revenue_guarantee[i], enterprise.enterprise_per_acre_premium[i],
            enterprise.total_loaded_enterprise_premium[i], enterprise.enterprise_subsidy[i],
            enterprise.enterprise_producer_premium[i]};
}

premium_figures farm_rating::whole_farm_figures() const {
    return {whole_farm.revenue_guarantee_whole_farm, whole_farm.base_premium_whole_farm,
            whole_farm.total_premium_whole_farm, whole_farm.ra_subsidy_whole_farm,
            whole_farm.producer_premium_whole_farm};
}

std::string farm_rating::error_text() const {
    std::string text;
    for (const diagnostic& d : diagnostics)
        if (d.level == diagnostic::severity::error) text += d.text;
    return text;
}

}  // namespace zelmora
