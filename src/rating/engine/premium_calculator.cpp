#include "rating/engine/premium_calculator.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "data/rowsets.h"
#include "rating/engine/rater.h"
#include "utility/messages.h"
#include "utility/number_text.h"

namespace zelmora {

namespace {

std::size_t ix(int crop_number) { return static_cast<std::size_t>(crop_number - 1); }

// The coverage square in 64-bit integers, so an absurd stored level cannot overflow.
double coverage_squared(int level) {
    return static_cast<double>(static_cast<std::int64_t>(level) * static_cast<std::int64_t>(level)) / 10000.0;
}

// Per-section step of the enterprise discount and the ratio at 10 or more sections.
constexpr double corn_discount_step = static_cast<double>(0.4f);
double discount_step(int crop_number) { return crop_number == crop_corn ? corn_discount_step : 0.5; }
double discount_ratio_ten(int crop_number) {
    return crop_number == crop_corn || crop_number == crop_canola ? 0.6 : 0.5;
}

// The enterprise base rate's weighting factor: single-precision 0.9 widened.
constexpr double enterprise_weight = static_cast<double>(0.9f);

// Tables for an engine given none: no b values at all.
const b_value_tables no_b_values{};

}  // namespace

premium_calculator::premium_calculator(const farm& f, const rating_tables& tables, rater_aph_continuous* r)
    : farm_inputs(f.inputs),
      state_data(tables.state),
      b_tables(tables.b_values != nullptr ? tables.b_values : &no_b_values),
      rater(r),
      database(tables.database),
      state_fips_(f.state_fips) {
    match_rated_units();
}

void premium_calculator::match_rated_units() {
    for (std::size_t i = 0; i < crop_count; ++i) rated_units[i].resize(units[i].size());
}

bool premium_calculator::crop_selected(int crop_number) const {
    if (crop_number < 1 || crop_number > crop_count || state_data == nullptr) return false;
    return state_data->crop_offered(county_fips, crop_number) != 0 && indicated[ix(crop_number)];
}

bool premium_calculator::crop_in_whole_farm(int crop_number) const {
    return crop_number != crop_winter_wheat && crop_selected(crop_number);
}

// ------------------------------------------------------------------ single-crop b values

namespace {

// Opens a whole b-value table and fetches its first row; on failure appends the
// loader's line and answers false.
bool open_b_value_table(premium_database* database, rowset_base& rs, std::string& error_text) {
    if (database == nullptr || !is_ok(rs.open_with_filter(*database))) {
        error_text += "ERROR, unable to open table " + rs.table_name() + "\r\n";
        return false;
    }
    if (!is_ok(rs.move_first())) {
        error_text += "ERROR, no records in [" + rs.table_name() + "].\r\n";
        return false;
    }
    return true;
}

}  // namespace

bool read_b_value_lookup(premium_database& db, b_value_tables& tables, std::string& error_text) {
    rowset_b_value_single_crop_lookup rs;
    if (!open_b_value_table(&db, rs, error_text)) return false;
    do {
        const auto& r = rs.record;
        if (r.crop_number < 1 || r.crop_number > crop_count) {
            error_text += "ERROR, crop number unknown in premium_calculator.read_b_values.\r\n";
            return false;
        }
        // Rows outside the table (another state, a set number above 5) have no place in it.
        const int s = state_index(r.state_fips);
        if (s >= 0 && r.set_number >= 0 && r.set_number <= 5)
            tables.b_value_set[static_cast<std::size_t>(s)][ix(r.crop_number)][r.region_flag == -1 ? 1 : 0] =
                static_cast<unsigned char>(r.set_number);
    } while (is_ok(rs.move_next()));
    return true;
}

bool read_b_value_table(premium_database& db, b_value_tables& tables, std::string& error_text) {
    rowset_b_value_single_crop rs;
    if (!open_b_value_table(&db, rs, error_text)) return false;
    do {
        const auto& r = rs.record;
        if (r.set_number >= 1 && r.set_number <= 5 && r.b_index >= 0 && r.b_index < 15) {
            tables.b_values[static_cast<std::size_t>(r.set_number - 1)][static_cast<std::size_t>(r.b_index)] =
                r.b_value;
            tables.b_values_harvest[static_cast<std::size_t>(r.set_number - 1)][static_cast<std::size_t>(r.b_index)] =
                r.b_value_harvest_guarantee;
        }
    } while (is_ok(rs.move_next()));
    return true;
}

exact_decimal premium_calculator::b_value(int c, bool region_flag, int index) const {
    const int s_index = state_index(state_fips());
    if (s_index < 0 || c < 1 || c > crop_count || index < 0 || index >= 15) return 0.0;
    const int set = b_tables->b_value_set[static_cast<std::size_t>(s_index)][ix(c)][region_flag ? 1 : 0];
    if (set == 0) return 0.0;
    const auto& table = harvest_guarantee[ix(c)] ? b_tables->b_values_harvest : b_tables->b_values;
    return static_cast<double>(table[static_cast<std::size_t>(set - 1)][static_cast<std::size_t>(index)]);
}

bool premium_calculator::has_b_values(int c) const {
    const int s = state_index(state_fips());
    if (s < 0 || c < 1 || c > crop_count) return false;
    return b_tables->b_value_set[static_cast<std::size_t>(s)][ix(c)][0] != 0 ||
           b_tables->b_value_set[static_cast<std::size_t>(s)][ix(c)][1] != 0;
}

bool premium_calculator::b_value_set_exists(int state, bool region_flag, int c) const {
    const int s = state_index(state);
    if (s < 0 || c < 1 || c > crop_count) return false;
    return b_tables->b_value_set[static_cast<std::size_t>(s)][ix(c)][region_flag ? 1 : 0] != 0;
}

exact_decimal premium_calculator::x_single(int k, int c, const insurance_unit& u, const unit_results& rated) const {
    const exact_decimal br = effective_base_rate(u, rated);
    const bool has_ratio = rated.reference_yield != 0.0;
    const exact_decimal r = has_ratio ? u.rate_yield / rated.reference_yield : exact_decimal(0.0);
    const exact_decimal& v = price_volatility[ix(c)];
    const int level = coverage[ix(c)];
    switch (k) {
        case 0: return 1.0;
        case 1: return br * 0.9;
        case 2: return (br * 0.9) * (br * 0.9);
        case 3: return level / 100.0;
        case 4: return coverage_squared(level);
        case 5: return has_ratio ? r : exact_decimal(0.0);
        case 6: return has_ratio ? r * r : exact_decimal(0.0);
        case 7: return v;
        case 8: return v * v;
        case 9: return ((br * 0.9) * static_cast<double>(level)) / 100.0;
        case 10: return has_ratio ? (br * 0.9) * r : exact_decimal(0.0);
        case 11: return (br * 0.9) * v;
        case 12: return has_ratio ? r * (level / 100.0) : exact_decimal(0.0);
        case 13: return v * (level / 100.0);
        case 14: return has_ratio ? r * v : exact_decimal(0.0);
        default: show_message("Error, invalid x index"); return 0.0;
    }
}

exact_decimal premium_calculator::capped_sum(int c, bool region_flag, const std::array<exact_decimal, 15>& x) const {
    exact_decimal sum = 0.0;
    for (int k = 0; k < 15; ++k) {
        exact_decimal term = b_value(c, region_flag, k) * x[static_cast<std::size_t>(k)];
        term.round_to(9);
        sum += term;
    }
    if (sum > 0.99) sum = 0.99;
    return sum;
}

exact_decimal premium_calculator::sum_single(int c, bool region_flag, const insurance_unit& u,
                                             const unit_results& rated) const {
    std::array<exact_decimal, 15> x;
    for (int k = 0; k < 15; ++k) x[static_cast<std::size_t>(k)] = x_single(k, c, u, rated);
    return capped_sum(c, region_flag, x);
}

exact_decimal premium_calculator::unit_premium_rate(int c, const insurance_unit& u, const unit_results& rated) const {
    return sum_single(c, county_region(), u, rated).round_to(4);
}

void premium_calculator::dump_b_values(std::string& text) const {
    text += "B Values Single Crop\r\n";
    const int state = state_fips();
    const int s_index = state_index(state);
    auto region_of = [&](int county) { return state_data != nullptr && state_data->county_region(county); };
    auto dump_region = [&](bool flag) {
        if (s_index < 0) return;
        for (int c = 1; c <= crop_count; ++c) {
            const int set = b_tables->b_value_set[static_cast<std::size_t>(s_index)][ix(c)][flag ? 1 : 0];
            if (set == 0) continue;
            char line[160];
            std::snprintf(line, sizeof line, "Crop\t%d\tSet\t%d\r\n", c, set);
            text += line;
            for (int i = 0; i < 15; ++i) {
                std::snprintf(line, sizeof line, "%d\t%d\t%d\t%d\t", state, c, flag ? 1 : 0, i);
                text += line;
                const auto set_index = static_cast<std::size_t>(set - 1);
                text += general_text(b_tables->b_values[set_index][static_cast<std::size_t>(i)], 6) + "\t" +
                        general_text(b_tables->b_values_harvest[set_index][static_cast<std::size_t>(i)], 6) + "\r\n";
            }
        }
    };
    // The first region is that of county 1, or of county 3 when the state has no county 1.
    const bool has_county_1 = state_data != nullptr && state_data->find_county(1) != nullptr;
    dump_region(region_of(has_county_1 ? 1 : 3));
    if (state == 27) dump_region(region_of(11));
    if (state == 46) dump_region(region_of(9));
}

// ------------------------------------------------------------------ unit premiums

exact_decimal premium_calculator::ppcl_factor_of(int c) const {
    switch (ppcl_select[ix(c)]) {
        case 1: return ppcl_factor[0][ix(c)];
        case 2: return ppcl_factor[1][ix(c)];
        default: return 1.0;
    }
}

exact_decimal premium_calculator::unit_factor(int c, const insurance_unit& u) {
    switch (c) {
        case crop_spring_wheat:
        case crop_barley: return u.fn_or_fo_factor;
        case crop_canola: return u.cr_option_factor;
        case crop_winter_wheat: return u.short_rate_factor;
        default: return 1.0;
    }
}

void premium_calculator::take_prerated_units(std::array<std::vector<prerated_unit>, crop_count> units_rated) {
    prerated_ = std::move(units_rated);
}

bool premium_calculator::compute_crop_units(int c, const surcharge_list& surcharges, std::string& error_text) {
    if (rater == nullptr) return units[ix(c)].empty();
    match_rated_units();
    const std::vector<prerated_unit>& done = prerated_[ix(c)];
    if (!units[ix(c)].empty() && done.size() == units[ix(c)].size()) {
        bool all = true;
        for (std::size_t u = 0; u < done.size(); ++u) {
            error_text += done[u].error_text;
            if (done[u].rated)
                rated_units[ix(c)][u] = done[u].results;
            else
                all = false;
        }
        // The rater was last asked for the crop's last unit.
        rater->type_code = units[ix(c)].back().type_code;
        rater->practice_code = units[ix(c)].back().practice_code;
        return all;
    }
    bool all = true;
    for (std::size_t u = 0; u < units[ix(c)].size(); ++u)
        if (!rate_unit(c, units[ix(c)][u], rated_units[ix(c)][u], *this, *rater, surcharges, error_text)) all = false;
    return all;
}

// ------------------------------------------------------------------ enterprise units

void premium_calculator::aggregate_enterprise_units(int c) {
    const std::size_t i = ix(c);
    enterprise_base_rate[i] = 0.0;
    enterprise_aph_yield[i] = 0.0;
    enterprise_aph_yield_exact[i] = 0.0;
    enterprise_reference_yield[i] = 0.0;
    exact_decimal total = 0.0;
    exact_decimal rate_sum = 0.0;
    exact_decimal aph_sum = 0.0;
    match_rated_units();
    for (std::size_t n = 0; n < units[i].size(); ++n) {
        const insurance_unit& u = units[i][n];
        const unit_results& rated = rated_units[i][n];
        const exact_decimal q = u.acres * u.share;
        rate_sum += effective_base_rate(u, rated) * q;
        aph_sum += u.aph_yield * q;
        // The largest reference yield counts even when the acre-shares add up to 0.
        if (rated.reference_yield > enterprise_reference_yield[i]) enterprise_reference_yield[i] = rated.reference_yield;
        total += q;
    }
    if (total != 0.0) {
        enterprise_base_rate[i] = (rate_sum / total) * enterprise_weight;
        enterprise_aph_yield[i] = aph_sum / total;
        enterprise_aph_yield[i].round_to(1);
        enterprise_aph_yield_exact[i] = aph_sum / total;
    }
}

void premium_calculator::compute_enterprise_discount() {
    for (int c = 1; c <= crop_count; ++c) {
        const int s = sections[ix(c)];
        const double ratio =
            s < 10 ? 1.0 - (static_cast<double>(s) - 1.0) * (discount_step(c) / 9.0) : discount_ratio_ten(c);
        enterprise_discount_ratio[ix(c)] = ratio;
        enterprise_discounted_rate[ix(c)] = enterprise_base_rate[ix(c)] * ratio;
        enterprise_discounted_rate[ix(c)].round_to(4);
    }
}

exact_decimal premium_calculator::x_enterprise(int k, int c) const {
    const std::size_t i = ix(c);
    const exact_decimal& d = enterprise_discounted_rate[i];
    const int e = coverage_enterprise[i];
    const exact_decimal& y = enterprise_aph_yield[i];
    const exact_decimal& rf = enterprise_reference_yield[i];
    const bool has_ratio = rf != 0.0;
    const exact_decimal r = has_ratio ? y / rf : exact_decimal(0.0);
    const exact_decimal& v = price_volatility[i];
    const exact_decimal& g = enterprise_revenue_guarantee[i];
    const exact_decimal& p = price[i];
    // The effective coverage G / (P * Y), rounded to 4 places; 0 without price or yield.
    auto effective_coverage = [&] {
        exact_decimal ec = g / (p * y);
        return ec.round_to(4);
    };
    switch (k) {
        case 0: return 1.0;
        case 1: return d;
        case 2: return d * d;
        case 3: return e / 100.0;
        case 4: return coverage_squared(e);
        case 5: return r;
        case 6: return r * r;
        case 7: return v;
        case 8: return v * v;
        case 9: return d * (e / 100.0);
        case 10: return d * r;
        case 11: return d * v;
        case 12: return (has_ratio && p * y != 0.0) ? effective_coverage() * r : exact_decimal(0.0);
        case 13: return (p * y != 0.0) ? effective_coverage() * v : exact_decimal(0.0);
        case 14: return r * v;
        default: show_message("Error, invalid x index"); return 0.0;
    }
}

exact_decimal premium_calculator::sum_enterprise(int c, bool region_flag) const {
    std::array<exact_decimal, 15> x;
    for (int k = 0; k < 15; ++k) x[static_cast<std::size_t>(k)] = x_enterprise(k, c);
    return capped_sum(c, region_flag, x);
}

exact_decimal premium_calculator::enterprise_premium_rate_of(int c) {
    const bool region = county_region();
    compute_enterprise_discount();
    return sum_enterprise(c, region).round_to(4);
}

exact_decimal premium_calculator::ppcl_factor_enterprise(int c) const {
    switch (ppcl_select_enterprise[ix(c)]) {
        case 1: return ppcl_factor[0][ix(c)];
        case 2: return ppcl_factor[1][ix(c)];
        default: return 1.0;
    }
}

void premium_calculator::compute_all(const surcharge_list& surcharges, std::string& error_text) {
    // One rating reads one set of rows, whatever another connection rewrites meanwhile.
    std::optional<read_transaction> reading;
    if (database != nullptr) reading.emplace(*database);
    const bool four_crop = is_four_crop_state();
    crop_decimals crop_acre_weight{};
    crop_acre_weight_whole_farm = 0.0;
    weighted_aph_yield.fill(0.0);
    residual_factor_whole_farm = 0.0;
    enterprise_subsidy.fill(0.0);
    enterprise_per_acre_premium.fill(0.0);
    loaded_enterprise_premium.fill(0.0);
    total_loaded_enterprise_premium.fill(0.0);

    for (int c = 1; c <= crop_count; ++c) {
        const std::size_t i = ix(c);
        if (!crop_selected(c)) continue;  // its enterprise premium stays 0

        compute_crop_units(c, surcharges, error_text);
        aggregate_enterprise_units(c);
        enterprise_revenue_guarantee[i] =
            (price[i] * enterprise_aph_yield_exact[i]) * (coverage_enterprise[i] / 100.0);
        const exact_decimal ppcl = ppcl_factor_enterprise(c);

        // The residual surcharge of the enterprise unit takes half the surcharge, the
        // whole-farm unit a third; both use the practice and type of the last unit rated.
        const int practice = rater != nullptr ? rater->practice_code : 0;
        const int type = rater != nullptr ? rater->type_code : 0;
        surcharge_key key{coverage_enterprise[i], crop_code(c), state_fips(), county_fips, 2004, practice, type};
        exact_decimal half = (surcharges.residual_factor_at(key) - 1.0) / 2.0;
        enterprise_residual_factor[i] = half.round_to(3) + 1.0;

        key.coverage_level = coverage_whole_farm;
        exact_decimal third = (surcharges.residual_factor_at(key) - 1.0) / 3.0;
        const exact_decimal wf_crop_residual_factor = 1.0 + third.round_to(3);
        if (wf_crop_residual_factor > residual_factor_whole_farm) residual_factor_whole_farm = wf_crop_residual_factor;

        enterprise_premium_rate[i] = enterprise_premium_rate_of(c);
        enterprise_premium_rate[i].round_to(4);
        loaded_enterprise_premium[i] =
            ((enterprise_premium_rate[i] * enterprise_revenue_guarantee[i]) * enterprise_residual_factor[i]) * ppcl;
        loaded_enterprise_premium[i].round_to(2);

        for (const insurance_unit& u : units[i]) {
            const exact_decimal q = u.acres * u.share;
            crop_acre_weight[i] += q;
            if (crop_in_whole_farm(c)) crop_acre_weight_whole_farm += q;
            weighted_aph_yield[i] += u.aph_yield * q;
            exact_decimal unit_premium;
            if (c == crop_spring_wheat || c == crop_barley)
                unit_premium = (u.fn_or_fo_factor * loaded_enterprise_premium[i]) * q;
            else if (c == crop_winter_wheat)
                unit_premium = (u.short_rate_factor * loaded_enterprise_premium[i]) * q;
            else
                unit_premium = loaded_enterprise_premium[i] * q;
            unit_premium.round_to(0);
            total_loaded_enterprise_premium[i] += unit_premium;
        }
        if (!units[i].empty() && crop_acre_weight[i] != 0.0) {
            enterprise_per_acre_premium[i] = total_loaded_enterprise_premium[i] / crop_acre_weight[i];
            enterprise_per_acre_premium[i].round_to(2);
        }
    }

    for (int c = 1; c <= crop_count; ++c)
        if (crop_acre_weight[ix(c)] != 0.0) weighted_aph_yield[ix(c)] = weighted_aph_yield[ix(c)] / crop_acre_weight[ix(c)];
    compute_arg_whole_farm(crop_acre_weight);

    // Enterprise subsidy, summed per unit from the crop's per-acre premium.
    for (int c = 1; c <= crop_count; ++c) {
        const std::size_t i = ix(c);
        const double factor = subsidy_factor(coverage_enterprise[i]);
        enterprise_subsidy[i] = 0.0;
        if (crop_selected(c)) {
            for (const insurance_unit& u : units[i]) {
                exact_decimal unit_premium = (enterprise_per_acre_premium[i] * u.acres) * u.share;
                exact_decimal unit_subsidy = unit_premium.round_to(0) * factor;
                enterprise_subsidy[i] += unit_subsidy.round_to(0);
            }
        }
        enterprise_producer_premium[i] = total_loaded_enterprise_premium[i] - enterprise_subsidy[i];
    }

    rate_whole_farm_after_crops(crop_acre_weight, four_crop);
}

}  // namespace zelmora
