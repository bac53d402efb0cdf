#include "rating/premium_calculator.h"

#include <optional>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "data/rowsets.h"
#include "rating/input_rules.h"
#include "utility/messages.h"
#include "utility/number_text.h"

namespace zelmora {

namespace {

constexpr const char* section = "Settings";

std::size_t ix(int crop_number) { return static_cast<std::size_t>(crop_number - 1); }

std::string key_s(const char* name, int crop_number) { return std::string(name) + " " + crop_display_name(crop_number); }

std::string key_d(const char* name, int crop_number) {
    char key[96];
    std::snprintf(key, sizeof key, "%s %d", name, crop_number);
    return key;
}

// The leading integer of a text (0 when it has none); out-of-range values are clamped.
int leading_integer(const std::string& text) {
    return static_cast<int>(std::clamp<long long>(leading_whole_number(text).value_or(0), INT_MIN, INT_MAX));
}

bool low_byte(int stored) { return (stored & 0xFF) != 0; }

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

constexpr double default_prices[crop_count] = {static_cast<double>(2.8f), static_cast<double>(6.6f), 3.0, 1.0, 1.0,
                                               1.0, 1.0, 0.5, 5.0};
constexpr double default_volatilities[crop_count] = {0.2, 0.18, 0.17, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1};

}  // namespace

premium_calculator::premium_calculator(premium_database* db, rater_aph_continuous* r, std::string& error_text)
    : rater(r), database(db) {
    set_defaults(error_text);
}

// ------------------------------------------------------------------ inputs

void premium_calculator::set_defaults(std::string& error_text) {
    set_state(17, error_text);
    county_fips = 1;
    indicated.fill(true);
    harvest_guarantee.fill(false);
    harvest_guarantee_whole_farm = false;
    coverage.fill(65);
    coverage_enterprise.fill(65);
    coverage_whole_farm = 65;
    for (int c = 1; c <= crop_count; ++c) {
        ppcl_factor[0][ix(c)] = 1.02;
        ppcl_factor[1][ix(c)] = 1.05;
        ppcl_select[ix(c)] = 0;
        ppcl_select_enterprise[ix(c)] = 0;
        sections[ix(c)] = 1;
        units[ix(c)].clear();
        price[ix(c)] = default_prices[ix(c)];
        price_volatility[ix(c)] = default_volatilities[ix(c)];
    }
    ppcl_select_whole_farm = 0;
    // Every enterprise and whole-farm result 0, the b-value tables all zero.
    static_cast<enterprise_results&>(*this) = enterprise_results{};
    static_cast<whole_farm_results&>(*this) = whole_farm_results{};
    static_cast<b_value_tables&>(*this) = b_value_tables{};
    malting_barley_option = 2;
}

bool premium_calculator::set_state(int fips, std::string& error_text) {
    if (!state_data) state_data = std::make_unique<state_record>();
    state_data->set_state_fips(fips);
    if (database == nullptr) {
        state_data->clear();
        return false;
    }
    return state_data->read_county_list(*database, error_text);
}

void premium_calculator::read_settings(settings_store& store, std::string& error_text) {
    const int state = store.read_integer(section, "State FIPS", state_fips());
    set_state(state, error_text);
    county_fips = store.read_integer(section, "County FIPS", county_fips);

    for (int c = 1; c <= crop_count; ++c) {
        const std::size_t i = ix(c);
        indicated[i] = low_byte(store.read_integer(section, key_s("Indicated", c), indicated[i] ? 1 : 0));
        harvest_guarantee[i] =
            low_byte(store.read_integer(section, key_s("Harvest Guarantee", c), harvest_guarantee[i] ? 1 : 0));
        sections[i] = std::clamp(store.read_integer(section, key_s("Sections", c), sections[i]), 0, max_sections);
        price[i].from_text(store.read_text(section, key_s("Price", c), price[i].to_text(2)));
        price_volatility[i].from_text(
            store.read_text(section, key_s("Price Volatility", c), price_volatility[i].to_text(3)));
        // A damaged store cannot create units beyond the seventh.
        const int room = max_units_per_crop - static_cast<int>(std::min<std::size_t>(units[i].size(), max_units_per_crop));
        const int n = std::clamp(store.read_integer(section, key_s("Units", c), 0), 0, room);
        for (int u = 1; u <= n; ++u) {
            units[i].emplace_back();
            units[i].back().read_settings(store, c, u);
        }
        char current[16];
        std::snprintf(current, sizeof current, "%d", coverage[i]);
        coverage[i] = leading_integer(store.read_text(section, key_d("Coverage", c), current));
        std::snprintf(current, sizeof current, "%d", coverage_enterprise[i]);
        coverage_enterprise[i] = leading_integer(store.read_text(section, key_d("Coverage Enterprise", c), current));
        ppcl_select[i] = store.read_integer(section, key_d("Prevented Planting Select", c), ppcl_select[i]);
        ppcl_select_enterprise[i] =
            store.read_integer(section, key_d("Prevented Planting Select Enterprise", c), ppcl_select_enterprise[i]);
    }
    harvest_guarantee_whole_farm =
        low_byte(store.read_integer(section, "Harvest Guarantee Whole Farm", harvest_guarantee_whole_farm ? 1 : 0));
    ppcl_select_whole_farm = store.read_integer(section, "Prevented Planting Select Whole Farm", ppcl_select_whole_farm);
}

void premium_calculator::write_settings(settings_store& store) const {
    if (state_data) store.write_integer(section, "State FIPS", state_data->state_fips());
    store.write_integer(section, "County FIPS", county_fips);
    for (int c = 1; c <= crop_count; ++c) {
        const std::size_t i = ix(c);
        store.write_integer(section, key_s("Indicated", c), indicated[i] ? 1 : 0);
        store.write_integer(section, key_s("Harvest Guarantee", c), harvest_guarantee[i] ? 1 : 0);
        store.write_integer(section, key_s("Sections", c), sections[i]);
        store.write_text(section, key_s("Price", c), price[i].to_text(2));
        store.write_text(section, key_s("Price Volatility", c), price_volatility[i].to_text(3));
        store.write_integer(section, key_s("Units", c), static_cast<int>(units[i].size()));
        int u = 1;
        for (const insurance_unit& unit : units[i]) unit.write_settings(store, c, u++);
        store.write_text(section, key_d("Coverage", c), std::to_string(coverage[i]));
        store.write_text(section, key_d("Coverage Enterprise", c), std::to_string(coverage_enterprise[i]));
        store.write_integer(section, key_d("Prevented Planting Select", c), ppcl_select[i]);
        store.write_integer(section, key_d("Prevented Planting Select Enterprise", c), ppcl_select_enterprise[i]);
    }
    store.write_integer(section, "Harvest Guarantee Whole Farm", harvest_guarantee_whole_farm ? 1 : 0);
    store.write_integer(section, "Prevented Planting Select Whole Farm", ppcl_select_whole_farm);
}

void premium_calculator::copy_from(const premium_calculator& other, std::string& error_text) {
    if (other.state_data) set_state(other.state_data->state_fips(), error_text);
    // Kept: the malting barley option, and the whole-farm per-acre premium and
    // liability per acre, which each computation forms anew.
    const int own_malting_barley_option = malting_barley_option;
    const exact_decimal own_per_acre_premium = per_acre_premium_whole_farm;
    const crop_decimals own_liability_per_acre = liability_per_acre;
    static_cast<farm_inputs&>(*this) = other;
    static_cast<b_value_tables&>(*this) = other;
    static_cast<enterprise_results&>(*this) = other;
    static_cast<whole_farm_results&>(*this) = other;
    malting_barley_option = own_malting_barley_option;
    per_acre_premium_whole_farm = own_per_acre_premium;
    liability_per_acre = own_liability_per_acre;
}

void premium_calculator::load_farm(const farm& f, std::string& error_text) {
    set_state(f.state_fips, error_text);
    static_cast<farm_inputs&>(*this) = f.inputs;
}

void premium_calculator::set_unit_count(int crop_number, int count) {
    if (crop_number < 1 || crop_number > crop_count) return;
    units[ix(crop_number)].resize(static_cast<std::size_t>(std::clamp(count, 0, max_units_per_crop)));
}

bool premium_calculator::crop_selected(int crop_number) const {
    if (crop_number < 1 || crop_number > crop_count || !state_data) return false;
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

bool premium_calculator::read_b_values(std::string& error_text) {
    rowset_b_value_single_crop_lookup rs;
    if (!open_b_value_table(database, rs, error_text)) return false;
    do {
        const auto& r = rs.record;
        if (r.crop_number < 1 || r.crop_number > crop_count) {
            error_text += "ERROR, crop number unknown in premium_calculator.read_b_values.\r\n";
            return false;
        }
        // Rows outside the table (another state, a set number above 5) have no place in it.
        const int s = state_index(r.state_fips);
        if (s >= 0 && r.set_number >= 0 && r.set_number <= 5)
            b_value_set[static_cast<std::size_t>(s)][ix(r.crop_number)][r.region_flag == -1 ? 1 : 0] =
                static_cast<unsigned char>(r.set_number);
    } while (is_ok(rs.move_next()));
    return true;
}

bool premium_calculator::read_b_value_table(std::string& error_text) {
    rowset_b_value_single_crop rs;
    if (!open_b_value_table(database, rs, error_text)) return false;
    do {
        const auto& r = rs.record;
        if (r.set_number >= 1 && r.set_number <= 5 && r.b_index >= 0 && r.b_index < 15) {
            b_values[static_cast<std::size_t>(r.set_number - 1)][static_cast<std::size_t>(r.b_index)] = r.b_value;
            b_values_harvest[static_cast<std::size_t>(r.set_number - 1)][static_cast<std::size_t>(r.b_index)] =
                r.b_value_harvest_guarantee;
        }
    } while (is_ok(rs.move_next()));
    return true;
}

exact_decimal premium_calculator::b_value(int c, bool region_flag, int index) const {
    const int s_index = state_index(state_fips());
    if (s_index < 0 || c < 1 || c > crop_count || index < 0 || index >= 15) return 0.0;
    const int set = b_value_set[static_cast<std::size_t>(s_index)][ix(c)][region_flag ? 1 : 0];
    if (set == 0) return 0.0;
    const auto& table = harvest_guarantee[ix(c)] ? b_values_harvest : b_values;
    return static_cast<double>(table[static_cast<std::size_t>(set - 1)][static_cast<std::size_t>(index)]);
}

bool premium_calculator::has_b_values(int c) const {
    const int s = state_index(state_fips());
    if (s < 0 || c < 1 || c > crop_count) return false;
    return b_value_set[static_cast<std::size_t>(s)][ix(c)][0] != 0 ||
           b_value_set[static_cast<std::size_t>(s)][ix(c)][1] != 0;
}

bool premium_calculator::b_value_set_exists(int state, bool region_flag, int c) const {
    const int s = state_index(state);
    if (s < 0 || c < 1 || c > crop_count) return false;
    return b_value_set[static_cast<std::size_t>(s)][ix(c)][region_flag ? 1 : 0] != 0;
}

exact_decimal premium_calculator::x_single(int k, int c, const insurance_unit& u) const {
    const exact_decimal br = u.effective_base_rate();
    const bool has_ratio = u.reference_yield != 0.0;
    const exact_decimal r = has_ratio ? u.rate_yield / u.reference_yield : exact_decimal(0.0);
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

exact_decimal premium_calculator::sum_single(int c, bool region_flag, const insurance_unit& u) const {
    std::array<exact_decimal, 15> x;
    for (int k = 0; k < 15; ++k) x[static_cast<std::size_t>(k)] = x_single(k, c, u);
    return capped_sum(c, region_flag, x);
}

exact_decimal premium_calculator::unit_premium_rate(int c, const insurance_unit& u) const {
    return sum_single(c, county_region(), u).round_to(4);
}

void premium_calculator::dump_b_values(std::string& text) const {
    text += "B Values Single Crop\r\n";
    const int state = state_fips();
    const int s_index = state_index(state);
    auto region_of = [&](int county) { return state_data && state_data->county_region(county); };
    auto dump_region = [&](bool flag) {
        if (s_index < 0) return;
        for (int c = 1; c <= crop_count; ++c) {
            const int set = b_value_set[static_cast<std::size_t>(s_index)][ix(c)][flag ? 1 : 0];
            if (set == 0) continue;
            char line[160];
            std::snprintf(line, sizeof line, "Crop\t%d\tSet\t%d\r\n", c, set);
            text += line;
            for (int i = 0; i < 15; ++i) {
                std::snprintf(line, sizeof line, "%d\t%d\t%d\t%d\t", state, c, flag ? 1 : 0, i);
                text += line;
                text += general_text(b_values[static_cast<std::size_t>(set - 1)][static_cast<std::size_t>(i)], 6) + "\t" +
                        general_text(b_values_harvest[static_cast<std::size_t>(set - 1)][static_cast<std::size_t>(i)], 6) +
                        "\r\n";
            }
        }
    };
    // The first region is that of county 1, or of county 3 when the state has no county 1.
    const bool has_county_1 = state_data && state_data->find_county(1) != nullptr;
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

bool premium_calculator::compute_crop_units(int c, const surcharge_list& surcharges, std::string& error_text) {
    if (rater == nullptr) return units[ix(c)].empty();
    bool all = true;
    for (insurance_unit& u : units[ix(c)])
        if (!u.compute(c, *this, *rater, database, surcharges, error_text)) all = false;
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
    for (const insurance_unit& u : units[i]) {
        const exact_decimal q = u.acres * u.share;
        rate_sum += u.effective_base_rate() * q;
        aph_sum += u.aph_yield * q;
        // The largest reference yield counts even when the acre-shares add up to 0.
        if (u.reference_yield > enterprise_reference_yield[i]) enterprise_reference_yield[i] = u.reference_yield;
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
    const rate_record_scope records(rater);  // each record read once in this rating
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

// ------------------------------------------------------------------ results as values

premium_figures premium_calculator::enterprise_figures(int c) const {
    if (c < 1 || c > crop_count) return {};
    const std::size_t i = ix(c);
    return {enterprise_revenue_guarantee[i], enterprise_per_acre_premium[i], total_loaded_enterprise_premium[i],
            enterprise_subsidy[i], enterprise_producer_premium[i]};
}

premium_figures premium_calculator::whole_farm_figures() const {
    return {revenue_guarantee_whole_farm, base_premium_whole_farm, total_premium_whole_farm, ra_subsidy_whole_farm,
            producer_premium_whole_farm};
}

}  // namespace zelmora
