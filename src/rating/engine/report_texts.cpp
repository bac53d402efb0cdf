// Texts of the enterprise and whole-farm page: the limit note, the whole-farm
// copy text and the diagnostic reports (Test, Acreage Loop Test, B Value Dump).
#include "rating/engine/report_texts.h"

#include <array>
#include <cstdio>
#include <utility>

#include "data/crops.h"
#include "utility/dropped_errors.h"
#include "utility/number_text.h"
#include "utility/text_format.h"

namespace zelmora {

namespace {

std::size_t index_of(int crop_number) { return static_cast<std::size_t>(crop_number - 1); }

std::string county_name_of(const premium_calculator& calculator) {
    return calculator.state_data != nullptr ? calculator.state_data->county_name(calculator.county_fips) : std::string("ERROR");
}

// The base rate and APH yield of the unit the Acreage Loop Test assumes for a crop without units.
struct default_unit_values {
    double base_rate;
    double aph_yield;
};
constexpr std::array<default_unit_values, crop_count> acreage_loop_defaults = {{
    {0.112, 140},   // Corn
    {0.072, 70},    // Soybeans
    {0.1, 48},      // Spring Wheat
    {0.12, 1176},   // Canola
    {0.171, 1134},  // Sunflower
    {0.093, 48},    // Barley
    {0.035, 35},    // Winter Wheat
    {0.035, 35},    // Cotton
    {0.035, 35},    // Rice
}};

// Crop bits of a combination code, as the Test and the B Value Dump read them.
constexpr std::array<std::pair<int, int>, 4> four_crop_bits = {
    {{crop_corn, 8}, {crop_soybeans, 4}, {crop_cotton, 2}, {crop_rice, 1}}};
constexpr std::array<std::pair<int, int>, 6> six_crop_bits = {{{crop_corn, 32},
                                                               {crop_soybeans, 16},
                                                               {crop_spring_wheat, 8},
                                                               {crop_canola, 4},
                                                               {crop_sunflower, 2},
                                                               {crop_barley, 1}}};

}  // namespace

std::string limit_note(premium_calculator& calculator) {
    if (!calculator.limit_applied_whole_farm) return {};
    const exact_decimal before_limit = calculator.whole_farm_rate();
    return "Limited " + fixed_text(before_limit.to_double(), 3) + "->" +
           fixed_text(calculator.premium_rate_whole_farm.to_double(), 3);
}

std::string whole_farm_copy_text(premium_calculator& calculator) {
    std::string text = "WHOLE FARM\r\n";
    append_format(text, "Coverage Level\t%d\r\n", calculator.coverage_whole_farm);
    calculator.whole_farm_worksheet(text);
    text += "\r\n";
    // Winter Wheat is not listed.
    static constexpr std::array<int, 8> listed = {crop_corn,   crop_soybeans, crop_spring_wheat, crop_canola,
                                                  crop_sunflower, crop_barley, crop_cotton,       crop_rice};
    text += "County Yield Used Bar";
    for (int c : listed) text += "\t" + fixed_text(calculator.enterprise_reference_yield[index_of(c)].to_double(), 6);
    text += "\r\n";
    text += "APH Bar";
    for (int c : listed) text += "\t" + fixed_text(calculator.enterprise_base_rate[index_of(c)].to_double(), 6);
    text += "\r\n";
    return text;
}

std::string test_report(premium_calculator& calculator, const surcharge_list& surcharges, int low, int high) {
    static constexpr const char* row_labels[] = {"\tARG Minimum",   "\tARG Maximum", "\tGuarantee",
                                                 "\tBase Premium",  "\tTotal Premium", "\tRA Subsidy",
                                                 "\tProducer Premium"};
    constexpr std::size_t rows_per_block = 7;

    std::string text;
    append_format(text, "State FIPS\t%d\r\n", calculator.state_fips());
    append_format(text, "County\t%s\r\n", county_name_of(calculator).c_str());

    std::string header = "\t";
    std::vector<std::string> crop_rows;
    for (int c = 1; c <= crop_count; ++c) {
        for (std::size_t r = 0; r < rows_per_block; ++r)
            crop_rows.push_back(r == 0 ? std::string(crop_display_name(c)) + " Enterprise" + row_labels[r]
                                       : std::string(row_labels[r]));
    }
    std::vector<std::string> farm_rows;
    for (std::size_t r = 0; r < rows_per_block; ++r)
        farm_rows.push_back(r == 0 ? std::string("Whole Farm") + row_labels[r] : std::string(row_labels[r]));

    const bool four = calculator.is_four_crop_state();
    for (int code = low; code <= high; ++code) {
        header += '\t';
        for (int bit = 32; bit >= 1; bit /= 2) {
            if (code & bit)
                header += calculator.harvest_guarantee_whole_farm ? 'C' : 'R';
            else
                header += '0';
        }

        if (four) {
            for (const auto& [crop, bit] : four_crop_bits) calculator.indicated[index_of(crop)] = (code & bit) != 0;
        } else {
            for (const auto& [crop, bit] : six_crop_bits) calculator.indicated[index_of(crop)] = (code & bit) != 0;
        }
        calculator.compute_all(surcharges, dropped_errors{});

        for (int c = 1; c <= crop_count; ++c) {
            const std::size_t ci = index_of(c);
            std::string* rows = &crop_rows[ci * rows_per_block];
            const exact_decimal arg_maximum =
                (0.8500000238418579 * calculator.weighted_aph_yield[ci]) * calculator.price[ci];
            // The crop's ARG Minimum row carries only its label.
            rows[1] += "\t" + fixed_text(arg_maximum.to_double(), 2);
            rows[2] += "\t" + fixed_text(calculator.enterprise_revenue_guarantee[ci].to_double(), 2);
            rows[3] += "\t" + fixed_text(calculator.enterprise_per_acre_premium[ci].to_double(), 2);
            rows[4] += "\t" + fixed_text(calculator.total_loaded_enterprise_premium[ci].to_double(), 0);
            rows[5] += "\t" + fixed_text(calculator.enterprise_subsidy[ci].to_double(), 0);
            rows[6] += "\t" + fixed_text(calculator.enterprise_producer_premium[ci].to_double(), 0);
        }
        farm_rows[0] += "\t" + fixed_text(calculator.arg_minimum_whole_farm.to_double(), 2);
        farm_rows[1] += "\t" + fixed_text(calculator.arg_maximum_whole_farm.to_double(), 2);
        farm_rows[2] += "\t" + fixed_text(calculator.revenue_guarantee_whole_farm.to_double(), 2);
        farm_rows[3] += "\t" + fixed_text(calculator.base_premium_whole_farm.to_double(), 2);
        farm_rows[4] += "\t" + fixed_text(calculator.total_premium_whole_farm.to_double(), 0);
        farm_rows[5] += "\t" + fixed_text(calculator.ra_subsidy_whole_farm.to_double(), 0);
        farm_rows[6] += "\t" + fixed_text(calculator.producer_premium_whole_farm.to_double(), 0);
    }

    text += header + "\r\n";
    for (const std::string& row : crop_rows) text += row + "\r\n";
    for (const std::string& row : farm_rows) text += row + "\r\n";
    return text;
}

void crop_acre_weights(const premium_calculator& calculator, crop_decimals& weights, exact_decimal& total) {
    total = 0.0;
    for (int c = 1; c <= crop_count; ++c) {
        const std::size_t ci = index_of(c);
        weights[ci] = 0.0;
        if (!calculator.crop_selected(c)) continue;
        for (const insurance_unit& unit : calculator.units[ci]) weights[ci] += unit.acres * unit.share;
        if (calculator.crop_in_whole_farm(c)) total += weights[ci];
    }
}

std::string acreage_loop_report(const premium_calculator& calculator, const surcharge_list& surcharges) {
    std::string errors;  // the test calculator's rating errors are not reported
    premium_calculator test = calculator;
    // Formed anew by every computation: the copy starts them at 0.
    test.per_acre_premium_whole_farm = 0.0;
    test.liability_per_acre = crop_decimals{};
    test.match_rated_units();

    std::string text;
    for (int c = 1; c <= crop_count; ++c) {
        const std::size_t ci = index_of(c);
        insurance_unit unit;
        unit_results rated;
        if (!calculator.units[ci].empty()) {
            unit = calculator.units[ci].front();
            rated = test.rated_units[ci].front();
        } else {
            rated.base_rate = acreage_loop_defaults[ci].base_rate;
            unit.aph_yield = acreage_loop_defaults[ci].aph_yield;
            unit.share = 1.0;
            append_format(text, "WARNING, No unit provided for crop %s; using defaults.\r\n", crop_key_name(c));
        }
        unit.acres = 300.0;
        test.units[ci] = {unit};
        test.rated_units[ci] = {rated};
    }

    append_format(text, "State FIPS\t%d\r\n", test.state_fips());
    append_format(text, "County\t%s\r\n", county_name_of(test).c_str());

    for (int c = 1; c <= crop_count; ++c) {
        if (!test.crop_in_whole_farm(c)) continue;
        const std::size_t ci = index_of(c);
        text += "\r\n";
        text += crop_key_name(c);
        text += "\r\n";
        for (int j = 1; j <= crop_count; ++j) {
            const insurance_unit& unit = test.units[index_of(j)].front();
            const exact_decimal base_rate = effective_base_rate(unit, test.rated_units[index_of(j)].front());
            if (j == c)
                append_format(text, "Crop\t%s\tAcres\t*\tAPH Rate\t%s\r\n", crop_key_name(j),
                              fixed_text(base_rate.to_double(), 6).c_str());
            else
                append_format(text, "Crop\t%s\tAcres\t%s\tAPH Rate\t%s\r\n", crop_key_name(j),
                              fixed_text(unit.acres.to_double(), 6).c_str(),
                              fixed_text(base_rate.to_double(), 6).c_str());
        }
        text += "\r\nCrop\tAcres\tPercent Liability\tPremium Rate Whole Farm\r\n";

        for (int acres = 10; acres <= 3000; acres += 50) {
            test.units[ci].front().acres = acres;
            crop_decimals weights{};
            exact_decimal total;
            crop_acre_weights(test, weights, total);
            test.compute_arg_whole_farm(weights);

            test.revenue_guarantee_whole_farm = test.arg_minimum_whole_farm;
            test.compute_all(surcharges, errors);
            append_format(text, "%s\t%s\t%s\t%s", crop_key_name(c), fixed_text(acres, 6).c_str(),
                          fixed_text(test.percent_liability[ci].to_double(), 6).c_str(),
                          fixed_text(test.premium_rate_whole_farm.to_double(), 6).c_str());
            test.revenue_guarantee_whole_farm = (test.arg_minimum_whole_farm + test.arg_maximum_whole_farm) / 2.0;
            test.compute_all(surcharges, errors);
            text += "\t" + fixed_text(test.premium_rate_whole_farm.to_double(), 6);
            test.revenue_guarantee_whole_farm = test.arg_maximum_whole_farm;
            test.compute_all(surcharges, errors);
            text += "\t" + fixed_text(test.premium_rate_whole_farm.to_double(), 6) + "\r\n";
            errors.clear();
        }
        test.units[ci].front().acres = 300.0;
    }
    text += "\r\n";
    return text;
}

void whole_farm_b_value_columns(premium_calculator& calculator, std::string& column_numbers,
                                std::string& column_names, std::vector<std::string>& term_rows) {
    if (!calculator.state_data) return;
    const state_record& state = *calculator.state_data;
    const int region = calculator.county_region() ? 1 : 0;
    const int highest = calculator.is_four_crop_state() ? 15 : 63;

    for (int code = highest; code >= 0; --code) {
        int column = 0;
        if (!state.column_for_crops([&calculator](int c) { return calculator.has_b_values(c); }, code, column,
                                    calculator.indicated))
            continue;

        calculator.harvest_guarantee_whole_farm = false;
        const int k = calculator.whole_farm_column();
        const std::string name = calculator.whole_farm_column_name();
        for (const bool harvest : {false, true}) {
            calculator.harvest_guarantee_whole_farm = harvest;
            append_format(column_numbers, "\t%ld", static_cast<long>(k));
            column_names += "\t" + name;  // the name without the harvest letters, both times
            for (std::size_t i = 0; i < term_rows.size(); ++i)
                term_rows[i] +=
                    "\t" + general_text(state.whole_farm_b_value(harvest, region, k, static_cast<int>(i)).to_double(), 6);
        }
    }
}

std::string b_value_dump(const premium_calculator& calculator) {
    premium_calculator test = calculator;

    std::string text;
    append_format(text, "Single Crop B Values for %s\r\n", state_name(test.state_fips()).c_str());
    const bool region = test.county_region();
    for (int i = 0; i < 15; ++i) {
        append_format(text, "%d\t", i + 1);
        for (int c = 1; c <= crop_count; ++c) text += general_text(test.b_value(c, region, i).to_double(), 6) + "\t";
        text += "\r\n";
    }

    const int terms = test.is_four_crop_state() ? 165 : 330;
    std::vector<std::string> term_rows(static_cast<std::size_t>(terms));
    for (int i = 0; i < terms; ++i) term_rows[static_cast<std::size_t>(i)] = std::to_string(i + 1);
    std::string column_numbers;
    std::string column_names;

    text += "\r\nWhole Farm B Values\r\n";
    whole_farm_b_value_columns(test, column_numbers, column_names, term_rows);

    text += column_numbers + "\r\n";
    text += column_names + "\r\n";
    for (const std::string& row : term_rows) text += row + "\r\n";
    return text;
}

}  // namespace zelmora
