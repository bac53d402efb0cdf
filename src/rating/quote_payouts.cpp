#include "rating/quote_payouts.h"

#include "rating/payout_rating.h"
#include "rating/payout_texts.h"

namespace zelmora {

namespace {

constexpr std::size_t at(payout_structure s) { return static_cast<std::size_t>(s); }

// The level every crop of the farm has for a structure; 0 when they differ.
template <typename Level>
int common_level(const payout_farm& paid, Level level_of) {
    int level = 0;
    for (const payout_crop& crop : paid.crops) {
        const int own = level_of(crop);
        if (level != 0 && own != level) return 0;
        level = own;
    }
    return level;
}

}  // namespace

quote_payouts quote_payouts_of(const farm& f, const farm_rating& rated, const payout_model& model,
                               const simulation_settings& settings) {
    quote_payouts payouts;
    const payout_farm paid = payout_farm_of(f, rated);
    if (paid.crops.empty() || !payout_farm_problem(paid).empty()) return payouts;

    // One "level": the farm as it is, each structure at its own coverage.
    const expected_payouts expected = simulate_payouts({coverage_level_farm{0, paid}}, model, settings);
    payouts.assumptions = payout_model_sentence(model);
    payouts.outside_note = outside_whole_farm_note(paid);
    if (expected.problem.empty())
        payouts.draws_note = expected_figures_note(expected, settings, "\u00b1");
    else
        payouts.problem = expected.problem;

    auto add = [&](int crop_number, payout_structure s, int level, const structure_break_evens& points) {
        if (!points.offered) return;
        quote_payout_row row{crop_number, s, level, points, {}};
        if (const expected_table* table = expected.table(crop_number); table != nullptr && !table->rows.empty())
            row.expected = table->rows.front().cell(s);
        payouts.rows.push_back(row);
    };
    for (const payout_crop& crop : paid.crops) {
        const auto points = break_evens_of(paid, crop.crop_number);
        const int unit_level = crop.units.empty() ? 0 : crop.units.front().coverage;
        add(crop.crop_number, payout_structure::units_as_entered, unit_level,
            points[at(payout_structure::units_as_entered)]);
        add(crop.crop_number, payout_structure::enterprise_unit, crop.coverage_enterprise,
            points[at(payout_structure::enterprise_unit)]);
    }
    const auto points = break_evens_of(paid, 0);
    add(0, payout_structure::units_as_entered,
        common_level(paid, [](const payout_crop& c) { return c.units.empty() ? 0 : c.units.front().coverage; }),
        points[at(payout_structure::units_as_entered)]);
    add(0, payout_structure::enterprise_unit,
        common_level(paid, [](const payout_crop& c) { return c.coverage_enterprise; }),
        points[at(payout_structure::enterprise_unit)]);
    add(0, payout_structure::whole_farm_unit, paid.whole_farm ? paid.whole_farm->coverage : 0,
        points[at(payout_structure::whole_farm_unit)]);
    return payouts;
}

}  // namespace zelmora
