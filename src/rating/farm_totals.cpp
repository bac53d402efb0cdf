#include "rating/farm_totals.h"

#include <memory>

namespace zelmora {

farm_totals rate_farm_totals(const rating_session& session, const farm& f, std::string& error_text) {
    farm_totals totals;
    if (!session.is_open() || !session.surcharges) return totals;
    const std::unique_ptr<premium_calculator> copy = session.calculator_for(f, error_text);
    if (!copy) return totals;
    for (unit_list& units : copy->units) {
        for (insurance_unit& u : units) {
            u.revenue_guarantee = 0.0;
            u.total_premium = 0.0;
            u.ra_subsidy = 0.0;
            u.producer_premium = 0.0;
        }
    }
    {
        const rate_record_scope records(session.continuous_rater.get());
        copy->compute_all(*session.surcharges, error_text);
    }
    totals.units = unit_totals_of(*copy);
    for (int c = 1; c <= crop_count; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        if (!copy->crop_selected(c)) continue;
        unit_totals& enterprise = totals.enterprise[i];
        enterprise.acres = totals.units.crops[i].acres;
        const premium_figures figures = copy->enterprise_figures(c);
        enterprise.guarantee = figures.revenue_guarantee * enterprise.acres;
        enterprise.guarantee.round_to(0);
        enterprise.total_premium = figures.total_premium;
        enterprise.subsidy = figures.subsidy;
        enterprise.producer_premium = figures.producer_premium;
    }
    return totals;
}

}  // namespace zelmora
