// The single-crop worksheet (every step of the rating of a crop's first unit
// and the crop's enterprise figures) and the whole-farm worksheet.
#include <cstdio>
#include <vector>

#include "data/crops.h"
#include "utility/text_format.h"
#include "rating/engine/premium_calculator.h"
#include "rating/engine/rater.h"

namespace zelmora {

namespace {

// A line "<label>\t<value>\r\n" with the value at `places` decimals.
void append_value(std::string& text, const char* label, const exact_decimal& value, int places) {
    text += label;
    text += '\t';
    text += value.to_text(places);
    text += "\r\n";
}

// A term line "index\tx\tb\tx*b\tsum\r\n", every number at 12 decimals.
void append_term(std::string& text, int index, const exact_decimal& x, const exact_decimal& b,
                 const exact_decimal& term, const exact_decimal& sum) {
    append_format(text, "%d\t%s\t%s\t%s\t%s\r\n", index, x.to_text(12).c_str(), b.to_text(12).c_str(),
                  term.to_text(12).c_str(), sum.to_text(12).c_str());
}

}  // namespace

void premium_calculator::single_crop_worksheet(std::string& text, int crop_number, const surcharge_list& surcharges) {
    if (crop_number < 1 || crop_number > crop_count) return;
    const std::size_t ci = static_cast<std::size_t>(crop_number - 1);
    if (units[ci].empty()) {
        text += "No unit.\r\n";
        return;
    }
    match_rated_units();
    const insurance_unit& unit = units[ci].front();
    unit_results& rated = rated_units[ci].front();
    const int level = coverage[ci];

    // Rate the unit again; its errors go into the same text, ahead of the lines.
    if (rater) rate_unit(crop_number, unit, rated, *this, *rater, surcharges, text);
    const exact_decimal premium = unit_premium_rate(crop_number, unit, rated);
    enterprise_premium_rate_of(crop_number);  // refreshes the enterprise discount from the sections
    const bool region = county_region();
    const std::string county = state_data != nullptr ? state_data->county_name(county_fips) : std::string("ERROR");

    append_format(text, "FIPS\t%02d%03d\t%s\r\n", state_fips(), county_fips, county.c_str());
    append_format(text, "Crop\t%s\r\n", crop_display_name(crop_number));
    append_format(text, "Sections Farmed\t%d\r\n", sections[ci]);

    const int crop_year = rater ? rater->crop_year : 2004;
    if (rater) rater->worksheet(text);

    surcharge_values factors;
    surcharges.surcharge_factors(surcharge_key{level, crop_code(crop_number), state_fips(), county_fips, crop_year,
                                               unit.practice_code, unit.type_code},
                                 factors);
    append_value(text, "Rate Differential", factors.rate_differential, 3);
    append_value(text, "Residual Surcharge", rated.residual_factor, 3);
    append_value(text, "Prior Year Rate Differential", factors.prior_rate_differential, 3);
    append_value(text, "Prior Year Residual Factor", factors.prior_residual_factor, 3);
    append_format(text, "Type\t%d\r\n", unit.type_code);
    append_format(text, "Practice\t%d\r\n", unit.practice_code);
    append_value(text, "APH Yield", unit.aph_yield, 2);
    append_value(text, "Rate Yield", unit.rate_yield, 2);

    exact_decimal guarantee_per_acre = (unit.aph_yield * level) / 100.0;
    guarantee_per_acre.round_to(1);
    append_value(text, "1 Premium Guarantee Per Acre", guarantee_per_acre, 8);
    exact_decimal guarantee = guarantee_per_acre * unit.acres;
    guarantee.round_to(0);
    append_value(text, "2 Premium Guarantee", guarantee, 3);
    exact_decimal liability = (price[ci] * guarantee) * unit.share;
    liability.round_to(0);
    append_value(text, "3 Premium Liability", liability, 8);

    const rater_aph_continuous empty_rater(database, nullptr);
    const rater_aph_continuous& r = rater ? *rater : empty_rater;
    append_value(text, "4 Current Year's Yield Ratio", r.yield_ratio, 8);
    append_value(text, "5 Current Year Uncapped BPR", r.uncapped_base_premium_rate, 3);
    append_value(text, "6 Capped Yield Span Base Rate", r.capped_yield_span_base_rate, 8);
    append_value(text, "7 Prior Year Yield Ratio", r.prior_yield_ratio, 8);
    append_value(text, "8 Prior Year Continuous Rating BR", r.prior_continuous_base_rate, 8);
    append_value(text, "9 Preliminary Base Rate", r.preliminary_base_rate, 8);
    append_value(text, "10 Adjusted Base Rate", r.preliminary_base_rate, 8);
    append_value(text, "11 Base Premium Rate", r.base_premium_rate, 8);

    // The running sums of the listing are not capped.
    text += "Index\tX\tB\tX*B\tSum\r\n";
    exact_decimal sum = 0.0;
    for (int k = 0; k < 15; ++k) {
        const exact_decimal x = x_single(k, crop_number, unit, rated);
        const exact_decimal b = b_value(crop_number, region, k);
        exact_decimal term = x * b;
        term.round_to(9);
        sum += term;
        append_term(text, k + 1, x, b, term, sum);
    }
    text += "\r\nEnterprise Index\tX\tB\tX*B\tSum\r\n";
    sum = 0.0;
    for (int k = 0; k < 15; ++k) {
        const exact_decimal x = x_enterprise(k, crop_number);
        const exact_decimal b = b_value(crop_number, region, k);
        exact_decimal term = x * b;
        term.round_to(9);
        sum += term;
        append_term(text, k + 1, x, b, term, sum);
    }

    append_value(text, "CBOT", price[ci], 3);
    append_value(text, "Volatility", price_volatility[ci], 3);
    text += "yield_bar";
    for (const exact_decimal& value : enterprise_aph_yield) text += "\t" + value.to_text(4);
    text += "\r\n";
    text += "APH Enterprise";
    for (const exact_decimal& value : enterprise_discounted_rate) text += "\t" + value.to_text(4);
    text += "\r\n";

    // The guarantee as a coverage fraction; 0 when there is no price or no yield.
    const exact_decimal expected = price[ci] * enterprise_aph_yield[ci];
    const exact_decimal fraction =
        expected != 0.0 ? enterprise_revenue_guarantee[ci] / expected : exact_decimal(0.0);
    append_value(text, "Selected Revenue Guarantee", enterprise_revenue_guarantee[ci], 3);
    append_value(text, "Selected Revenue Guarantee(price_cbot*yield_bar)", fraction, 3);

    append_value(text, "A1. BPR65", rated.base_rate, 8);
    append_format(text, "A2. Premium\t\t%s\r\n", premium.to_text(8).c_str());
    exact_decimal revenue_guarantee = (price[ci] * unit.aph_yield) * (level / 100.0);
    revenue_guarantee.round_to(2);
    append_value(text, "B1. Revenue Guarantee", revenue_guarantee, 4);
    const exact_decimal ppcl = ppcl_factor_of(crop_number) * unit_factor(crop_number, unit);
    append_value(text, "B2. Prevented Planting Coverage Level", ppcl, 4);
    exact_decimal base_premium = (revenue_guarantee * premium) * ppcl;
    append_format(text, "B3. Base Premium\t\t%s\r\n", base_premium.to_text(4).c_str());
    if (apply_residual_surcharge(crop_year, crop_number, unit, rated, *this, base_premium, surcharges))
        append_value(text, "C1. Residual Surcharge", rated.residual_factor, 3);
    else
        text += "C1. No residual surcharge\r\n";
    base_premium.round_to(2);
    append_format(text, "C2. Loaded Per-acre Premium\t\t%s\r\n", base_premium.to_text(3).c_str());
    append_value(text, "D1. Acres", unit.acres, 3);
    append_value(text, "D2. Share", unit.share, 3);
    exact_decimal total_premium = (base_premium * unit.acres) * unit.share;
    append_format(text, "D3. Total Premium\t\t%s\r\n", total_premium.to_text(3).c_str());
    if (unit.optional_unit) {
        append_value(text, "E1. Optional Unit Surcharge", exact_decimal(optional_unit_surcharge_factor), 3);
        total_premium *= optional_unit_surcharge_factor;
    } else {
        text += "E1. No Optional Unit Surcharge.\r\n";
    }
    total_premium.round_to(0);
    append_format(text, "E2. Total Premium\t\t%s\r\n", total_premium.to_text(3).c_str());

    append_value(text, "Enterprise Discount Ratio", enterprise_discount_ratio[ci], 3);
    append_value(text, "13. Enterprise Premium Rate", enterprise_premium_rate[ci], 4);
    append_value(text, "14a. Enterprise Residual Factor", enterprise_residual_factor[ci], 4);
    append_value(text, "14.-16. Loaded Enterprise Premium", loaded_enterprise_premium[ci], 2);
    append_value(text, "17. Total Loaded Enterprise Premium", total_loaded_enterprise_premium[ci], 3);
}

void premium_calculator::whole_farm_worksheet(std::string& text) {
    switch (ppcl_select_whole_farm) {
        case 0: text += "Prevented Planting Selector\t0\r\n"; break;
        case 1: text += "Prevented Planting Selector\t5\r\n"; break;
        case 2: text += "Prevented Planting Selector\t10\r\n"; break;
        default: break;
    }

    whole_farm_rate();  // refreshes the liability shares; the rate itself is not listed

    const bool four = is_four_crop_state();
    struct share_line {
        const char* label;
        int crop_number;
    };
    static constexpr share_line four_lines[] = {{"18a. Per [Corn]", crop_corn},
                                                {"18b. Per [Soybeans]", crop_soybeans},
                                                {"18c. Per [Cotton]", crop_cotton},
                                                {"18d. Per [Rice]", crop_rice}};
    static constexpr share_line six_lines[] = {{"18a. Per [Corn]", crop_corn},
                                               {"18b. Per [Soybeans]", crop_soybeans},
                                               {"18c. Per [Spring Wheat]", crop_spring_wheat},
                                               {"18d. Per [Canola]", crop_canola},
                                               {"18e. Per [Sunflower]", crop_sunflower},
                                               {"18f. Per [Barley]", crop_barley}};
    if (four) {
        for (const share_line& line : four_lines)
            append_value(text, line.label, percent_liability[static_cast<std::size_t>(line.crop_number - 1)], 4);
    } else {
        for (const share_line& line : six_lines)
            append_value(text, line.label, percent_liability[static_cast<std::size_t>(line.crop_number - 1)], 4);
    }

    const int column = whole_farm_column();
    append_format(text, "Column\t%d\t%s", column, whole_farm_column_name().c_str());
    text += "\r\nIndex\tX\tB\tX*B\tSum\r\n";

    const bool region = county_region();
    const int terms = four ? 165 : 330;
    exact_decimal sum = 0.0;
    for (int i = 0; i < terms; ++i) {
        const exact_decimal x = four ? whole_farm_term_four(i) : whole_farm_term_six(i);
        const exact_decimal b = state_data != nullptr ? state_data->whole_farm_b_value(harvest_guarantee_whole_farm,
                                                                            region ? 1 : 0, column, i)
                                           : exact_decimal(0.0);
        exact_decimal term = x * b;
        term.round_to(9);
        sum += term;
        append_term(text, i + 1, x, b, term, sum);
    }

    crop_decimals crop_acre_weight{};
    for (int c = 1; c <= crop_count; ++c) {
        if (!crop_in_whole_farm(c)) continue;
        const std::size_t ci = static_cast<std::size_t>(c - 1);
        for (const insurance_unit& unit : units[ci]) crop_acre_weight[ci] += unit.acres * unit.share;
    }

    append_value(text, "21a. Limit", limit_whole_farm, 8);
    append_format(text, "21b. Premium Rate\t\t%s\r\n", premium_rate_whole_farm.to_text(8).c_str());
    append_value(text, "22a. Residual Surcharge", residual_factor_whole_farm, 8);
    append_value(text, "22b. Prevented Planning Coverage", ppcl_factor_whole_farm(crop_acre_weight), 8);
    append_format(text, "22c. Per Acre Premium\t\t%s\r\n", per_acre_premium_whole_farm.to_text(8).c_str());
    append_value(text, "25a. Crop Acre Weight", crop_acre_weight_whole_farm, 8);
    append_format(text, "25b. Total Premium\t\t%s\r\n", total_premium_whole_farm.to_text(8).c_str());
    append_format(text, "Base Premium\t\t%s\r\n", base_premium_whole_farm.to_text(8).c_str());
    append_value(text, "28. RA Subsidy", ra_subsidy_whole_farm, 8);
    append_value(text, "29. Producer Premium", producer_premium_whole_farm, 8);
}

}  // namespace zelmora
