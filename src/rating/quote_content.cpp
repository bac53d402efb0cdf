#include "rating/quote_content.h"

#include <memory>

#include "data/demo_database.h"
#include "rating/insurance_unit.h"
#include "rating/reports.h"
#include "utility/dropped_errors.h"

namespace zelmora {

namespace {

constexpr std::size_t ix(int crop_number) { return static_cast<std::size_t>(crop_number - 1); }

std::string code_name(const code_lookup* codes, int code) {
    const code_entry* entry = codes != nullptr ? codes->find_code(code) : nullptr;
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

quote_content build_quote(rating_session& session, const farm& f, const std::string& farm_name,
                          const std::string& database_file, const std::string& date_text, std::string& error_text) {
    quote_content quote;
    quote.farm_name = farm_name;
    quote.database_file = database_file;
    quote.date_text = date_text;
    if (!session.is_open() || !session.surcharges) return quote;
    quote.demo_rates = is_demo_database(*session.database);

    const std::unique_ptr<premium_calculator> copy = session.calculator_for(f, error_text);
    premium_calculator& k = *copy;
    quote.state_name = state_name(k.state_fips());
    quote.county_name = k.state_data ? k.state_data->county_name(k.county_fips) : "";
    {
        const rate_record_scope records(session.continuous_rater.get());
        // As the pages do it: the farm, then each unit on its own to learn which
        // ones the rater rates, then the farm again for the enterprise and
        // whole-farm units.
        k.compute_all(*session.surcharges, error_text);
        std::array<std::vector<bool>, crop_count> rated;
        for (int c = 1; c <= crop_count; ++c) {
            if (!k.crop_selected(c)) continue;
            for (insurance_unit& u : k.units[ix(c)])
                rated[ix(c)].push_back(u.compute(c, k, *session.continuous_rater, session.database.get(),
                                                 *session.surcharges, dropped_errors{}));
        }
        k.compute_all(*session.surcharges, dropped_errors{});

        const farm_unit_totals totals = unit_totals_of(k);
        quote.farm_totals = totals.farm;
        for (int c = 1; c <= crop_count; ++c) {
            if (!k.crop_selected(c) || k.units[ix(c)].empty()) continue;
            quote_crop crop;
            crop.crop_number = c;
            crop.name = crop_display_name(c);
            crop.price = k.price[ix(c)];
            crop.totals = totals.crops[ix(c)];
            crop.prevented_planting = k.ppcl_select[ix(c)];
            crop.enterprise_prevented_planting = k.ppcl_select_enterprise[ix(c)];
            crop.enterprise_coverage_level = k.coverage_enterprise[ix(c)];
            crop.enterprise = k.enterprise_figures(c);
            crop.enterprise_guarantee = crop.enterprise.revenue_guarantee * crop.totals.acres;
            crop.enterprise_guarantee.round_to(0);
            int number = 0;
            for (const insurance_unit& u : k.units[ix(c)]) {
                quote_unit unit;
                unit.unit_number = ++number;
                unit.optional_unit = u.optional_unit;
                unit.type_name = code_name(session.type_codes.get(), u.type_code);
                unit.practice_name = code_name(session.practice_codes.get(), u.practice_code);
                unit.acres = u.acres;
                unit.share = u.share;
                unit.aph_yield = u.aph_yield;
                unit.coverage_level = k.coverage[ix(c)];
                unit.rated = rated[ix(c)][static_cast<std::size_t>(number - 1)];
                if (unit.rated) {
                    unit.figures = u.figures();
                    unit.guarantee = (u.revenue_guarantee * u.acres) * u.share;
                    unit.guarantee.round_to(0);
                }
                crop.units.push_back(unit);
                if (c == crop_barley && u.malting_barley_acres > 0.0 && unit.rated) {
                    malting_barley_endorsement endorsement = session.malting_barley_calculator;
                    endorsement.compute(k, u);
                    crop.malting_barley.push_back({unit.unit_number, endorsement.acres, endorsement.contract_price,
                                                   k.coverage[ix(c)], endorsement.liability, endorsement.base_premium,
                                                   endorsement.subsidy, endorsement.producer_premium});
                }
            }
            quote.crops.push_back(std::move(crop));
        }
        int whole_farm_crops = 0;
        for (int c = 1; c <= crop_count; ++c)
            if (k.crop_in_whole_farm(c) && !k.units[ix(c)].empty()) ++whole_farm_crops;
        quote.whole_farm_offered = whole_farm_crops > 1 && k.revenue_guarantee_whole_farm > 0.0;
        quote.whole_farm_coverage_level = k.coverage_whole_farm;
        quote.whole_farm_prevented_planting = k.ppcl_select_whole_farm;
        quote.whole_farm = k.whole_farm_figures();
        quote.whole_farm_guarantee = k.revenue_guarantee_whole_farm * k.crop_acre_weight_whole_farm;
        quote.whole_farm_guarantee.round_to(0);
        quote.whole_farm_note = limit_note(k);
    }
    quote.comparison = compare_coverage(session, f, dropped_errors{});
    return quote;
}

}  // namespace zelmora
