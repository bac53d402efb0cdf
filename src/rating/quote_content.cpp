#include "rating/quote_content.h"

#include "data/demo_database.h"
#include "rating/engine/unit_premium.h"
#include "rating/reports.h"

namespace zelmora {

namespace {

constexpr std::size_t ix(int crop_number) { return static_cast<std::size_t>(crop_number - 1); }

std::string code_name(const code_lookup& codes, int code) {
    const code_entry* entry = codes.find_code(code);
    if (entry == nullptr || entry->description.empty()) return std::to_string(code);
    return entry->description;
}

}  // namespace

const char* prevented_planting_text(int selection) {
    switch (selection) {
    case 1: return "+5%";
    case 2: return "+10%";
    default: return "none";
    }
}

int subsidy_percent(const quote_unit& unit) {
    return static_cast<int>(rounded(subsidy_factor(unit.coverage_level) * 100.0, 0));
}

exact_decimal producer_premium_per_acre(const quote_unit& unit) {
    const exact_decimal insured_acres = unit.acres * unit.share;
    if (!unit.rated || !(insured_acres > 0.0)) return 0.0;
    exact_decimal per_acre = unit.figures.producer_premium / insured_acres;
    return per_acre.round_to(2);
}

quote_content build_quote(const rating_session& session, const farm& f, const std::string& farm_name,
                          const std::string& database_file, const std::string& date_text,
                          const payout_model& model, const simulation_settings& settings) {
    quote_content quote;
    quote.farm_name = farm_name;
    quote.database_file = database_file;
    quote.date_text = date_text;
    if (!session.is_open()) return quote;
    quote.demo_rates = is_demo_database(session.database());

    const farm_inputs& in = f.inputs;
    const farm_rating rated = session.rate(f);
    quote.read_failed = rated.read_failed;
    quote.rating_errors = rated.error_text();
    quote.unrated_units = rated.unrated_units();
    const state_record& state = session.state(f.state_fips);
    quote.state_name = state_name(f.state_fips);
    quote.county_name = state.county_name(in.county_fips);

    const farm_unit_totals totals = unit_totals_of(f, rated);
    quote.farm_totals = totals.farm;
    for (int c = 1; c <= crop_count; ++c) {
        if (!rated.selected[ix(c)] || in.units[ix(c)].empty()) continue;
        quote_crop crop;
        crop.crop_number = c;
        crop.name = crop_display_name(c);
        crop.price = in.price[ix(c)];
        crop.totals = totals.crops[ix(c)];
        crop.prevented_planting = in.ppcl_select[ix(c)];
        crop.enterprise_prevented_planting = in.ppcl_select_enterprise[ix(c)];
        crop.enterprise_coverage_level = in.coverage_enterprise[ix(c)];
        crop.enterprise = rated.enterprise_figures(c);
        crop.enterprise_reason = rated.enterprise_reason[ix(c)];
        crop.enterprise_guarantee = crop.enterprise.revenue_guarantee * crop.totals.acres;
        crop.enterprise_guarantee.round_to(0);
        int number = 0;
        for (const insurance_unit& u : in.units[ix(c)]) {
            const unit_rating& unit_rated = rated.units[ix(c)][static_cast<std::size_t>(number)];
            quote_unit unit;
            unit.unit_number = ++number;
            unit.optional_unit = u.optional_unit;
            unit.type_name = code_name(session.type_codes(), u.type_code);
            unit.practice_name = code_name(session.practice_codes(), u.practice_code);
            unit.acres = u.acres;
            unit.share = u.share;
            unit.aph_yield = u.aph_yield;
            unit.coverage_level = in.coverage[ix(c)];
            unit.rated = unit_rated.figures.has_value();
            if (unit.rated) {
                unit.figures = *unit_rated.figures;
                unit.guarantee = (unit.figures.revenue_guarantee * u.acres) * u.share;
                unit.guarantee.round_to(0);
            }
            crop.units.push_back(unit);
            if (c == crop_barley && u.malting_barley_acres > 0.0 && unit.rated) {
                const malting_barley_figures endorsement = malting_barley_of(f, u, unit_rated.base_rate);
                crop.malting_barley.push_back({unit.unit_number, endorsement.acres, endorsement.contract_price,
                                               in.coverage[ix(c)], endorsement.liability, endorsement.base_premium,
                                               endorsement.subsidy, endorsement.producer_premium});
            }
        }
        quote.crops.push_back(std::move(crop));
    }
    int whole_farm_crops = 0;
    for (int c = 1; c <= crop_count; ++c)
        if (rated.in_whole_farm[ix(c)] && !in.units[ix(c)].empty()) ++whole_farm_crops;
    const whole_farm_results& whole = rated.whole_farm;
    quote.whole_farm_reason = rated.whole_farm_reason;
    quote.whole_farm_offered =
        whole_farm_crops > 1 && (whole.revenue_guarantee_whole_farm > 0.0 || !quote.whole_farm_reason.empty());
    quote.whole_farm_coverage_level = in.coverage_whole_farm;
    quote.whole_farm_prevented_planting = in.ppcl_select_whole_farm;
    quote.whole_farm = rated.whole_farm_figures();
    quote.whole_farm_guarantee = whole.revenue_guarantee_whole_farm * whole.crop_acre_weight_whole_farm;
    quote.whole_farm_guarantee.round_to(0);
    quote.whole_farm_note = rated.limit_note;
    quote.comparison = compare_coverage(session, f, rated);
    quote.payouts = quote_payouts_of(f, rated, model, settings);
    return quote;
}

}  // namespace zelmora
