#include "rating/farm_rating.h"

#include "rating/rating_domain.h"

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
    return without_negative_zeros({enterprise.enterprise_revenue_guarantee[i], enterprise.enterprise_per_acre_premium[i],
                                   enterprise.total_loaded_enterprise_premium[i], enterprise.enterprise_subsidy[i],
                                   enterprise.enterprise_producer_premium[i]});
}

premium_figures farm_rating::whole_farm_figures() const {
    return without_negative_zeros({whole_farm.revenue_guarantee_whole_farm, whole_farm.base_premium_whole_farm,
                                   whole_farm.total_premium_whole_farm, whole_farm.ra_subsidy_whole_farm,
                                   whole_farm.producer_premium_whole_farm});
}

std::optional<premium_figures> farm_rating::complete_enterprise_figures(int crop_number) const {
    if (crop_number < 1 || crop_number > crop_count) return std::nullopt;
    if (!enterprise_reason[static_cast<std::size_t>(crop_number - 1)].empty()) return std::nullopt;
    return enterprise_figures(crop_number);
}

std::optional<premium_figures> farm_rating::complete_whole_farm_figures() const {
    if (!whole_farm_reason.empty()) return std::nullopt;
    return whole_farm_figures();
}

std::vector<std::string> farm_rating::unrated_units() const {
    std::vector<std::string> lines;
    for (int c = 1; c <= crop_count; ++c) {
        if (!selected[static_cast<std::size_t>(c - 1)]) continue;  // a crop the farm does not insure here
        int number = 0;
        for (const unit_rating& unit : units[static_cast<std::size_t>(c - 1)]) {
            ++number;
            if (unit.figures) continue;
            lines.push_back(std::string(crop_display_name(c)) + " unit " + std::to_string(number) + ": " +
                            unit.why_not_rated);
        }
    }
    lines.insert(lines.end(), refused_structures.begin(), refused_structures.end());
    return lines;
}

std::string farm_rating::error_text() const {
    std::string text;
    for (const diagnostic& d : diagnostics)
        if (d.level == diagnostic::severity::error) text += d.text;
    return text;
}

}  // namespace zelmora
