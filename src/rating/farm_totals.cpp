#include "rating/farm_totals.h"

namespace zelmora {

farm_totals farm_totals_of(const farm& f, const farm_rating& rated) {
    farm_totals totals;
    totals.units = unit_totals_of(f, rated);
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        if (!rated.selected[i]) continue;
        unit_totals& enterprise = totals.enterprise[i];
        enterprise.acres = totals.units.crops[i].acres;
        const premium_figures figures = rated.enterprise_figures(c);
        enterprise.guarantee = figures.revenue_guarantee * enterprise.acres;
        enterprise.guarantee.round_to(0);
        enterprise.total_premium = figures.total_premium;
        enterprise.subsidy = figures.subsidy;
        enterprise.producer_premium = figures.producer_premium;
        enterprise.complete = rated.enterprise_reason[i].empty();
    }
    return totals;
}

}  // namespace zelmora
