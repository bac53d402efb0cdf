#include "rating/payout.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "utility/text_format.h"

namespace zelmora {

namespace {

constexpr std::size_t ix(int crop_number) { return static_cast<std::size_t>(crop_number - 1); }
constexpr std::size_t at(payout_structure s) { return static_cast<std::size_t>(s); }

bool in_whole_farm(const payout_farm& farm, int crop_number) {
    return farm.whole_farm && farm.whole_farm->in_unit[ix(crop_number)];
}

exact_decimal not_below_zero(const exact_decimal& value) { return value > 0.0 ? value : exact_decimal(0.0); }

structure_payout figures_of(const exact_decimal& payout, const exact_decimal& producer_premium) {
    return {true, payout, producer_premium, payout - producer_premium};
}

}  // namespace

const char* payout_structure_name(payout_structure structure) {
    switch (structure) {
    case payout_structure::units_as_entered:
        return "Units as entered";
    case payout_structure::enterprise_unit:
        return "Enterprise unit";
    case payout_structure::whole_farm_unit:
        return "Whole-farm unit";
    }
    return "";
}

const payout_crop* payout_farm::crop(int crop_number) const {
    for (const payout_crop& c : crops)
        if (c.crop_number == crop_number) return &c;
    return nullptr;
}

const crop_payout* outcome_payout::crop(int crop_number) const {
    for (const crop_payout& c : crops)
        if (c.crop_number == crop_number) return &c;
    return nullptr;
}

std::string payout_farm_problem(const payout_farm& farm) {
    auto coverage_ok = [](int level) { return level >= 1 && level <= 100; };
    int previous = 0;
    for (const payout_crop& crop : farm.crops) {
        if (crop.crop_number < 1 || crop.crop_number > crop_count)
            return "crop number " + std::to_string(crop.crop_number) + " is not one of 1 to 9";
        const auto name = [&crop] { return std::string(crop_display_name(crop.crop_number)); };
        if (crop.crop_number <= previous) return name() + " comes out of crop order or twice";
        previous = crop.crop_number;
        if (crop.price < 0.0 || crop.price_volatility < 0.0) return name() + " has a negative price or volatility";
        if (!coverage_ok(crop.coverage_enterprise)) return name() + "'s enterprise coverage is not a percent 1 to 100";
        for (std::size_t u = 0; u < crop.units.size(); ++u) {
            const payout_unit& unit = crop.units[u];
            const auto which = [&] { return name() + " unit " + std::to_string(u + 1); };
            if (!coverage_ok(unit.coverage)) return which() + "'s coverage is not a percent 1 to 100";
            if (unit.aph_yield < 0.0 || unit.acres < 0.0) return which() + " has a negative APH yield or acreage";
            if (unit.share < 0.0 || unit.share > 1.0) return which() + "'s share is not within 0 to 1";
        }
    }
    if (farm.whole_farm && !coverage_ok(farm.whole_farm->coverage))
        return "the whole-farm coverage is not a percent 1 to 100";
    return std::string();
}

outcome uniform_outcome(const payout_farm& farm, double price_change, double yield_percent) {
    outcome result;
    for (const payout_crop& crop : farm.crops) {
        if (crop.crop_number < 1 || crop.crop_number > crop_count) continue;
        crop_outcome& c = result.crops[ix(crop.crop_number)];
        c.harvest_price = (crop.price * (100.0 + price_change)) / 100.0;
        c.yield_percent = yield_percent;
    }
    return result;
}

// ------------------------------------------------------------------ the rules

exact_decimal price_in_guarantee(const exact_decimal& ra_price, const exact_decimal& harvest_price,
                                 bool harvest_option) {
    return harvest_option && harvest_price > ra_price ? harvest_price : ra_price;
}

exact_decimal unit_guarantee_per_acre(const payout_unit& unit, const exact_decimal& ra_price,
                                      const exact_decimal& price) {
    if (price <= ra_price) return unit.revenue_guarantee;
    exact_decimal guarantee = (price * unit.aph_yield) * (unit.coverage / 100.0);
    return guarantee.round_to(2);
}

exact_decimal actual_yield(const payout_unit& unit, const crop_outcome& crop, std::size_t unit_index) {
    if (unit_index < crop.unit_yields.size()) return not_below_zero(crop.unit_yields[unit_index]);
    return not_below_zero((unit.aph_yield * crop.yield_percent) / 100.0);
}

exact_decimal revenue_to_count_per_acre(const exact_decimal& actual_yield, const exact_decimal& harvest_price) {
    exact_decimal revenue = not_below_zero(actual_yield) * not_below_zero(harvest_price);
    return revenue.round_to(2);
}

exact_decimal unit_payout(const payout_unit& unit, const exact_decimal& guarantee_per_acre,
                          const exact_decimal& revenue_per_acre) {
    if (!(guarantee_per_acre > revenue_per_acre)) return 0.0;
    exact_decimal payout = ((guarantee_per_acre - revenue_per_acre) * unit.acres) * unit.share;
    return payout.round_to(0);  // whole dollars
}

exact_decimal unit_revenue_to_count(const payout_unit& unit, const exact_decimal& revenue_per_acre) {
    return (revenue_per_acre * unit.acres) * unit.share;
}

exact_decimal acre_share(const payout_crop& crop) {
    exact_decimal total = 0.0;
    for (const payout_unit& unit : crop.units) total += unit.acres * unit.share;
    return total;
}

exact_decimal enterprise_guarantee_per_acre(const payout_crop& crop, const exact_decimal& price) {
    return (price * crop.enterprise_aph_yield_exact) * (crop.coverage_enterprise / 100.0);
}

exact_decimal whole_farm_guarantee_per_acre(const payout_farm& farm, const crop_prices& harvest_prices) {
    if (!farm.whole_farm) return 0.0;
    const payout_whole_farm& wf = *farm.whole_farm;
    auto price_of = [&](const payout_crop& crop) {
        return price_in_guarantee(crop.price, harvest_prices[ix(crop.crop_number)], wf.harvest_guarantee);
    };
    const bool raised = std::any_of(farm.crops.begin(), farm.crops.end(), [&](const payout_crop& crop) {
        return wf.forms_guarantee[ix(crop.crop_number)] && price_of(crop) > crop.price;
    });
    if (!raised) return wf.revenue_guarantee_per_acre;
    exact_decimal weight = 0.0;
    exact_decimal expected_revenue = 0.0;
    for (const payout_crop& crop : farm.crops) {
        if (!wf.forms_guarantee[ix(crop.crop_number)]) continue;
        const exact_decimal crop_weight = acre_share(crop);
        weight += crop_weight;
        expected_revenue += (crop.enterprise_aph_yield_exact * price_of(crop)) * crop_weight;
    }
    if (weight == 0.0) return 0.0;
    exact_decimal guarantee = (wf.coverage / 100.0) * (expected_revenue / weight);
    return guarantee.round_to(2);
}

exact_decimal whole_farm_acre_share(const payout_farm& farm) {
    exact_decimal total = 0.0;
    for (const payout_crop& crop : farm.crops) {
        if (!in_whole_farm(farm, crop.crop_number)) continue;
        for (const payout_unit& unit : crop.units) total += unit.acres * unit.share;
    }
    return total;
}

exact_decimal shortfall_payout(const exact_decimal& guarantee, const exact_decimal& revenue_to_count) {
    if (!(guarantee > revenue_to_count)) return 0.0;
    exact_decimal payout = guarantee - revenue_to_count;
    return payout.round_to(0);  // whole dollars
}

// ------------------------------------------------------------------ the payout of one outcome

outcome_payout payout_of(const payout_farm& farm, const outcome& result) {
    outcome_payout paid;
    paid.problem = payout_farm_problem(farm);
    if (!paid.problem.empty()) return paid;
    exact_decimal units_payout = 0.0, units_premium = 0.0, enterprise_payout = 0.0, enterprise_premium = 0.0;
    exact_decimal outside_payout = 0.0, outside_premium = 0.0;
    crop_prices harvest_prices{};

    for (const payout_crop& crop : farm.crops) {
        const crop_outcome& happened = result.crops[ix(crop.crop_number)];
        harvest_prices[ix(crop.crop_number)] = happened.harvest_price;
        crop_payout c;
        c.crop_number = crop.crop_number;
        c.harvest_price = happened.harvest_price;
        const exact_decimal price = price_in_guarantee(crop.price, happened.harvest_price, crop.harvest_guarantee);

        exact_decimal crop_units_payout = 0.0, crop_units_premium = 0.0, crop_revenue = 0.0;
        for (std::size_t u = 0; u < crop.units.size(); ++u) {
            const payout_unit& unit = crop.units[u];
            unit_payout_steps steps;
            steps.price_in_guarantee = price;
            steps.guarantee_per_acre = unit_guarantee_per_acre(unit, crop.price, price);
            steps.actual_yield = actual_yield(unit, happened, u);
            steps.revenue_to_count_per_acre = revenue_to_count_per_acre(steps.actual_yield, happened.harvest_price);
            steps.payout_per_acre = not_below_zero(steps.guarantee_per_acre - steps.revenue_to_count_per_acre);
            steps.revenue_to_count = unit_revenue_to_count(unit, steps.revenue_to_count_per_acre);
            steps.payout = unit_payout(unit, steps.guarantee_per_acre, steps.revenue_to_count_per_acre);
            crop_units_payout += steps.payout;
            crop_units_premium += unit.producer_premium;
            crop_revenue += steps.revenue_to_count;
            c.units.push_back(steps);
        }

        enterprise_payout_steps& e = c.enterprise;
        e.price_in_guarantee = price;
        e.guarantee_per_acre = enterprise_guarantee_per_acre(crop, price);
        e.acre_share = acre_share(crop);
        e.guarantee = e.guarantee_per_acre * e.acre_share;
        e.revenue_to_count = crop_revenue;
        e.payout = shortfall_payout(e.guarantee, e.revenue_to_count);

        c.units_as_entered = figures_of(crop_units_payout, crop_units_premium);
        c.enterprise_unit = figures_of(e.payout, crop.enterprise_producer_premium);
        units_payout += crop_units_payout;
        units_premium += crop_units_premium;
        enterprise_payout += e.payout;
        enterprise_premium += crop.enterprise_producer_premium;
        if (!in_whole_farm(farm, crop.crop_number)) {
            outside_payout += crop_units_payout;
            outside_premium += crop_units_premium;
        }
        paid.crops.push_back(std::move(c));
    }
    paid.farm[at(payout_structure::units_as_entered)] = figures_of(units_payout, units_premium);
    paid.farm[at(payout_structure::enterprise_unit)] = figures_of(enterprise_payout, enterprise_premium);

    if (farm.whole_farm) {
        const payout_whole_farm& wf = *farm.whole_farm;
        whole_farm_payout_steps w;
        w.revenue_to_count_total = 0.0;
        for (std::size_t k = 0; k < farm.crops.size(); ++k) {
            const payout_crop& crop = farm.crops[k];
            const std::size_t ci = ix(crop.crop_number);
            if (wf.forms_guarantee[ci]) {
                w.price_in_guarantee[ci] = price_in_guarantee(crop.price, harvest_prices[ci], wf.harvest_guarantee);
                if (w.price_in_guarantee[ci] > crop.price) w.guarantee_raised = true;
            }
            if (!wf.in_unit[ci]) continue;
            w.acre_share[ci] = paid.crops[k].enterprise.acre_share;
            w.revenue_to_count[ci] = paid.crops[k].enterprise.revenue_to_count;
            w.revenue_to_count_total += w.revenue_to_count[ci];
        }
        w.guarantee_per_acre = whole_farm_guarantee_per_acre(farm, harvest_prices);
        w.acre_share_total = whole_farm_acre_share(farm);
        w.guarantee = w.guarantee_per_acre * w.acre_share_total;
        w.payout = shortfall_payout(w.guarantee, w.revenue_to_count_total);
        w.producer_premium = wf.producer_premium;
        w.outside_payout = outside_payout;
        w.outside_premium = outside_premium;
        paid.farm[at(payout_structure::whole_farm_unit)] =
            figures_of(w.payout + outside_payout, w.producer_premium + outside_premium);
        paid.whole_farm = w;
    }
    return paid;
}

// ------------------------------------------------------------------ the worksheet

namespace {

// "<label>\t<value>\r\n" with the value at `places` decimals.
void append_value(std::string& text, const std::string& label, const exact_decimal& value, int places) {
    text += label;
    text += '\t';
    text += value.to_text(places);
    text += "\r\n";
}

void append_structure(std::string& text, const char* name, const structure_payout& figures) {
    if (!figures.offered) return;
    append_format(text, "%s\t%s\t%s\t%s\r\n", name, figures.payout.to_text(0).c_str(),
                  figures.producer_premium.to_text(0).c_str(), figures.net.to_text(0).c_str());
}

std::string bracketed(const char* label, int crop_number) {
    return std::string(label) + " [" + crop_display_name(crop_number) + "]";
}

}  // namespace

std::string payout_worksheet(const payout_farm& farm, const outcome& result) {
    std::string text;
    text += "Payout Worksheet\r\n";
    text += "Outside this estimate\tprevented planting, replant and quality adjustment\r\n";
    const outcome_payout paid = payout_of(farm, result);
    if (!paid.problem.empty()) {
        text += "Not paid out\t" + paid.problem + "\r\n";
        return text;
    }

    for (std::size_t k = 0; k < farm.crops.size(); ++k) {
        const payout_crop& crop = farm.crops[k];
        const crop_payout& c = paid.crops[k];
        text += "\r\n";
        append_format(text, "Crop\t%s\r\n", crop_display_name(crop.crop_number));
        append_value(text, "RA Price", crop.price, 4);
        append_value(text, "Harvest Price", c.harvest_price, 4);
        append_format(text, "Harvest Price Option\t%s\r\n", crop.harvest_guarantee ? "Yes" : "No");
        for (std::size_t u = 0; u < crop.units.size(); ++u) {
            const payout_unit& unit = crop.units[u];
            const unit_payout_steps& s = c.units[u];
            append_format(text, "Unit\t%zu\r\n", u + 1);
            append_value(text, "P1. APH Yield", unit.aph_yield, 3);
            append_format(text, "P2. Coverage Level\t%d\r\n", unit.coverage);
            append_value(text, "P3. Price in Guarantee", s.price_in_guarantee, 4);
            append_value(text, "P4. Revenue Guarantee Per Acre", s.guarantee_per_acre, 2);
            append_value(text, "P5. Actual Yield", s.actual_yield, 4);
            append_value(text, "P6. Revenue to Count Per Acre", s.revenue_to_count_per_acre, 2);
            append_value(text, "P7. Payout Per Acre", s.payout_per_acre, 2);
            append_value(text, "P8. Acres", unit.acres, 3);
            append_value(text, "P9. Share", unit.share, 3);
            append_value(text, "P10. Revenue to Count", s.revenue_to_count, 4);
            append_value(text, "P11. Unit Payout", s.payout, 0);
            append_value(text, "P12. Producer Premium", unit.producer_premium, 0);
            append_value(text, "P13. Net", s.payout - unit.producer_premium, 0);
        }
        append_value(text, "Units Payout", c.units_as_entered.payout, 0);
        append_value(text, "Units Producer Premium", c.units_as_entered.producer_premium, 0);
        append_value(text, "Units Net", c.units_as_entered.net, 0);

        const enterprise_payout_steps& e = c.enterprise;
        append_value(text, "E1. Enterprise APH Yield", crop.enterprise_aph_yield_exact, 4);
        append_format(text, "E2. Enterprise Coverage Level\t%d\r\n", crop.coverage_enterprise);
        append_value(text, "E3. Price in Guarantee", e.price_in_guarantee, 4);
        append_value(text, "E4. Enterprise Guarantee Per Acre", e.guarantee_per_acre, 4);
        append_value(text, "E5. Acre Share", e.acre_share, 4);
        append_value(text, "E6. Enterprise Guarantee", e.guarantee, 4);
        append_value(text, "E7. Revenue to Count", e.revenue_to_count, 4);
        append_value(text, "E8. Enterprise Payout", e.payout, 0);
        append_value(text, "E9. Producer Premium", crop.enterprise_producer_premium, 0);
        append_value(text, "E10. Net", c.enterprise_unit.net, 0);
    }

    if (farm.whole_farm && paid.whole_farm) {
        const payout_whole_farm& wf = *farm.whole_farm;
        const whole_farm_payout_steps& w = *paid.whole_farm;
        text += "\r\nWhole Farm\r\n";
        append_format(text, "W1. Coverage Level\t%d\r\n", wf.coverage);
        append_format(text, "W2. Harvest Price Option\t%s\r\n", wf.harvest_guarantee ? "Yes" : "No");
        for (const payout_crop& crop : farm.crops) {
            const std::size_t ci = ix(crop.crop_number);
            if (wf.forms_guarantee[ci]) {
                append_value(text, bracketed("W3. Price in Guarantee", crop.crop_number), w.price_in_guarantee[ci], 4);
                append_value(text, bracketed("W4. Enterprise APH Yield", crop.crop_number),
                             crop.enterprise_aph_yield_exact, 4);
            }
            if (wf.in_unit[ci]) {
                append_value(text, bracketed("W5. Acre Share", crop.crop_number), w.acre_share[ci], 4);
                append_value(text, bracketed("W6. Revenue to Count", crop.crop_number), w.revenue_to_count[ci], 4);
            }
        }
        append_format(text, "W7. Guarantee Per Acre\t%s\t%s\r\n", w.guarantee_per_acre.to_text(2).c_str(),
                      w.guarantee_raised ? "formed at the harvest prices" : "as rated");
        append_value(text, "W8. Acre Share", w.acre_share_total, 4);
        append_value(text, "W9. Whole-Farm Guarantee", w.guarantee, 4);
        append_value(text, "W10. Revenue to Count", w.revenue_to_count_total, 4);
        append_value(text, "W11. Whole-Farm Payout", w.payout, 0);
        append_value(text, "W12. Producer Premium", w.producer_premium, 0);
        for (const payout_crop& crop : farm.crops)
            if (!wf.in_unit[ix(crop.crop_number)])
                append_format(text, "W13. Paid on Its Units\t%s\r\n", crop_display_name(crop.crop_number));
        append_value(text, "W14. Units Outside Payout", w.outside_payout, 0);
        append_value(text, "W15. Units Outside Producer Premium", w.outside_premium, 0);
        append_value(text, "W16. Net", paid.farm_figures(payout_structure::whole_farm_unit).net, 0);
    }

    text += "\r\nFarm\tPayout\tProducer Premium\tNet\r\n";
    for (const payout_structure s : payout_structures)
        append_structure(text, payout_structure_name(s), paid.farm_figures(s));
    return text;
}

// ------------------------------------------------------------------ break-even points

namespace {

// One insured piece of a structure (a unit, an enterprise unit, the
// whole-farm unit), in dollars, with every price at m x its RA price and every
// yield at f x its APH yield:
//   guarantee          `at_ra` for m <= 1 (or without the harvest price option),
//                      m x `slope` above 1 with it;
//   revenue to count   f x m x `revenue`.
struct piece {
    double at_ra = 0.0;
    double slope = 0.0;
    double revenue = 0.0;
    bool option = false;
};

constexpr double infinite = std::numeric_limits<double>::infinity();

// The highest m below which the piece pays at yield fraction f (0 when it
// never pays, infinity when it pays at every price).
double price_threshold(const piece& p, double f) {
    const double revenue = f * p.revenue;
    if (p.at_ra <= 0.0) return 0.0;
    if (revenue <= 0.0) return infinite;
    if (p.option && p.slope > revenue) return infinite;  // above the RA price the guarantee rises as fast
    const double m = p.at_ra / revenue;
    // With the option the guarantee stops exceeding the revenue above the RA price.
    return p.option && m > 1.0 ? 1.0 : m;
}

// The highest f below which the piece pays at the RA price.
double yield_threshold(const piece& p) {
    if (p.at_ra <= 0.0) return 0.0;
    if (p.revenue <= 0.0) return infinite;
    return p.at_ra / p.revenue;
}

break_even point_of(double threshold, double scale, double offset, int places) {
    if (threshold == infinite) return {break_even::kind::always, 0.0};
    if (threshold <= 0.0) return {break_even::kind::never, 0.0};
    exact_decimal value = threshold * scale + offset;
    return {break_even::kind::below, value.round_to(places)};
}

piece unit_piece(const payout_crop& crop, const payout_unit& unit) {
    const exact_decimal q = unit.acres * unit.share;
    piece p;
    p.at_ra = (unit.revenue_guarantee * q).to_double();
    p.slope = (((crop.price * unit.aph_yield) * (unit.coverage / 100.0)) * q).to_double();
    p.revenue = ((unit.aph_yield * crop.price) * q).to_double();
    p.option = crop.harvest_guarantee;
    return p;
}

// The units' revenue to count at APH yields and RA prices, dollars.
double expected_revenue(const payout_crop& crop) {
    double total = 0.0;
    for (const payout_unit& unit : crop.units)
        total += ((unit.aph_yield * crop.price) * (unit.acres * unit.share)).to_double();
    return total;
}

piece enterprise_piece(const payout_crop& crop) {
    piece p;
    p.at_ra = (enterprise_guarantee_per_acre(crop, crop.price) * acre_share(crop)).to_double();
    p.slope = p.at_ra;
    p.revenue = expected_revenue(crop);
    p.option = crop.harvest_guarantee;
    return p;
}

piece whole_farm_piece(const payout_farm& farm) {
    const payout_whole_farm& wf = *farm.whole_farm;
    piece p;
    const double weight = whole_farm_acre_share(farm).to_double();
    p.at_ra = wf.revenue_guarantee_per_acre.to_double() * weight;
    // Above the RA prices every price forming the guarantee rises with m.
    double forming_weight = 0.0, forming_revenue = 0.0;
    for (const payout_crop& crop : farm.crops) {
        if (wf.in_unit[ix(crop.crop_number)]) p.revenue += expected_revenue(crop);
        if (!wf.forms_guarantee[ix(crop.crop_number)]) continue;
        const double crop_weight = acre_share(crop).to_double();
        forming_weight += crop_weight;
        forming_revenue += (crop.enterprise_aph_yield_exact * crop.price).to_double() * crop_weight;
    }
    if (forming_weight > 0.0) p.slope = (wf.coverage / 100.0) * (forming_revenue / forming_weight) * weight;
    p.option = wf.harvest_guarantee;
    return p;
}

struct structure_pieces {
    bool offered = false;
    std::vector<piece> pieces;
    double price_ra = 0.0;  // the crop's RA price for a crop's table, else 0
};

std::array<structure_pieces, payout_structure_count> pieces_of(const payout_farm& farm, int crop_number) {
    std::array<structure_pieces, payout_structure_count> all;
    structure_pieces& units = all[at(payout_structure::units_as_entered)];
    structure_pieces& enterprise = all[at(payout_structure::enterprise_unit)];
    structure_pieces& whole = all[at(payout_structure::whole_farm_unit)];
    for (const payout_crop& crop : farm.crops) {
        if (crop_number != 0 && crop.crop_number != crop_number) continue;
        units.offered = enterprise.offered = true;
        for (const payout_unit& unit : crop.units) units.pieces.push_back(unit_piece(crop, unit));
        enterprise.pieces.push_back(enterprise_piece(crop));
        if (crop_number != 0) units.price_ra = enterprise.price_ra = crop.price.to_double();
    }
    if (crop_number == 0 && farm.whole_farm) {
        whole.offered = true;
        whole.pieces.push_back(whole_farm_piece(farm));
        for (const payout_crop& crop : farm.crops)
            if (!in_whole_farm(farm, crop.crop_number))
                for (const payout_unit& unit : crop.units) whole.pieces.push_back(unit_piece(crop, unit));
    }
    return all;
}

}  // namespace

std::array<structure_break_evens, payout_structure_count> break_evens_of(const payout_farm& farm, int crop_number) {
    std::array<structure_break_evens, payout_structure_count> points;
    const auto all = pieces_of(farm, crop_number);
    for (std::size_t s = 0; s < payout_structure_count; ++s) {
        const structure_pieces& structure = all[s];
        if (!structure.offered) continue;
        double price = 0.0, yield = 0.0;
        for (const piece& p : structure.pieces) {
            price = std::max(price, price_threshold(p, 1.0));
            yield = std::max(yield, yield_threshold(p));
        }
        structure_break_evens& b = points[s];
        b.offered = true;
        b.price_change = point_of(price, 100.0, -100.0, 2);
        if (crop_number != 0) b.harvest_price = point_of(price, structure.price_ra, 0.0, 2);
        b.yield_percent = point_of(yield, 100.0, 0.0, 2);
    }
    return points;
}

// ------------------------------------------------------------------ the outcome table

std::string outcome_grid_problem(const outcome_grid& grid) {
    if (grid.price_change_step <= 0 || grid.yield_step <= 0) return "a step of the outcome table is not above 0";
    if (grid.price_change_from > grid.price_change_to) return "the price changes run from above their end";
    if (grid.yield_from > grid.yield_to) return "the yields run from above their end";
    if (grid.price_change_from < -100) return "a harvest price change below -100 %";
    if (grid.yield_from < 0) return "a yield below 0 % of APH";
    constexpr long long most = 1000;
    if ((static_cast<long long>(grid.price_change_to) - grid.price_change_from) / grid.price_change_step >= most ||
        (static_cast<long long>(grid.yield_to) - grid.yield_from) / grid.yield_step >= most)
        return "more than 1,000 rows or columns in the outcome table";
    return std::string();
}

outcome_table outcome_table_of(const payout_farm& farm, int crop_number, payout_structure structure,
                               const outcome_grid& grid) {
    outcome_table table;
    table.crop_number = crop_number;
    table.structure = structure;
    table.problem = outcome_grid_problem(grid);
    if (table.problem.empty()) table.problem = payout_farm_problem(farm);
    const payout_crop* crop = crop_number != 0 ? farm.crop(crop_number) : nullptr;
    if (table.problem.empty() && crop_number != 0 && crop == nullptr)
        table.problem = "no crop number " + std::to_string(crop_number) + " with units on the farm";
    if (!table.problem.empty()) return table;

    table.break_evens = break_evens_of(farm, crop_number);
    table.offered = table.break_evens[at(structure)].offered;
    if (!table.offered) return table;

    for (int change = grid.price_change_from; change <= grid.price_change_to; change += grid.price_change_step)
        table.price_changes.push_back(change);
    for (int yield = grid.yield_from; yield <= grid.yield_to; yield += grid.yield_step)
        table.yield_percents.push_back(yield);

    for (const int change : table.price_changes) {
        if (crop != nullptr) table.harvest_prices.push_back((crop->price * (100.0 + change)) / 100.0);
        std::vector<outcome_table_cell> row;
        for (const int yield : table.yield_percents) {
            const outcome_payout paid = payout_of(farm, uniform_outcome(farm, change, yield));
            structure_payout figures;
            if (crop == nullptr) {
                figures = paid.farm_figures(structure);
            } else {
                const crop_payout& c = *paid.crop(crop_number);
                figures = structure == payout_structure::enterprise_unit ? c.enterprise_unit : c.units_as_entered;
            }
            table.producer_premium = figures.producer_premium;
            row.push_back({figures.payout, figures.net});
        }
        table.cells.push_back(std::move(row));
    }
    return table;
}

}  // namespace zelmora
