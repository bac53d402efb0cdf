#include "rating/insurance_unit.h"

#include <cstdio>

#include "data/crops.h"
#include "rating/farm.h"
#include "rating/premium_calculator.h"
#include "rating/rater.h"

namespace zelmora {

namespace {

constexpr const char* section = "Settings";

std::string unit_key(const char* name, int crop_number, int unit_number) {
    char key[96];
    std::snprintf(key, sizeof key, "%s %d %02d", name, crop_number, unit_number);
    return key;
}

// The unit's settings keys beside "Optional Units", each read and written
// through its member, in this order. Decimals are stored as text with three places.
struct integer_key {
    const char* name;
    int insurance_unit::*field;
};
constexpr integer_key integer_keys[] = {{"Type", &insurance_unit::type_code},
                                        {"Practice", &insurance_unit::practice_code}};

struct decimal_key {
    const char* name;
    exact_decimal insurance_unit::*field;
};
constexpr decimal_key decimal_keys[] = {
    {"Crop Acres", &insurance_unit::acres},
    {"APH Yield", &insurance_unit::aph_yield},
    {"Rate Yield", &insurance_unit::rate_yield},
    {"Crop Share", &insurance_unit::share},
    {"Written Agreement", &insurance_unit::written_agreement_rate},
    {"Short Rate", &insurance_unit::short_rate_factor},
    {"FN or FO", &insurance_unit::fn_or_fo_factor},
    {"Malting Barley Approved Yield", &insurance_unit::malting_barley_approved_yield},
    {"Malting Barley", &insurance_unit::malting_barley_price},
    {"Malting Barley Acres", &insurance_unit::malting_barley_acres},
};

}  // namespace

double subsidy_factor(int coverage_level) {
    if (coverage_level < 75) return 0.59;
    if (coverage_level < 80) return 0.55;
    if (coverage_level < 85) return 0.48;
    return 0.38;
}

premium_figures insurance_unit::figures() const {
    return {revenue_guarantee, loaded_per_acre_premium, total_premium, ra_subsidy, producer_premium};
}

exact_decimal insurance_unit::effective_base_rate() const {
    return written_agreement_rate > 0.0 ? written_agreement_rate : base_rate;
}

bool insurance_unit::compute(int c, premium_calculator& k, rater_aph_continuous& base_rater, premium_database*,
                             const surcharge_list& surcharges, std::string& error_text) {
    const int level = k.coverage[static_cast<std::size_t>(c - 1)];

    // 65% base premium rate and reference yield.
    if (!base_rater.rate(crop_code(c), k.state_fips(), k.county_fips, level, rate_yield, type_code, practice_code,
                         surcharges, error_text))
        return false;
    base_rate = base_rater.base_premium_rate;
    reference_yield = base_rater.reference_yield;

    revenue_guarantee = (k.price[static_cast<std::size_t>(c - 1)] * aph_yield) * (level / 100.0);
    revenue_guarantee.round_to(2);

    const exact_decimal ppcl = k.ppcl_factor_of(c) * premium_calculator::unit_factor(c, *this);
    const exact_decimal rate = k.unit_premium_rate(c, *this);

    loaded_per_acre_premium = (revenue_guarantee * rate) * ppcl;
    apply_residual_surcharge(base_rater.crop_year, c, k, loaded_per_acre_premium, surcharges);
    loaded_per_acre_premium.round_to(2);

    total_premium = (loaded_per_acre_premium * acres) * share;
    apply_optional_unit_surcharge(c, total_premium);
    total_premium.round_to(0);  // whole dollars before the subsidy

    ra_subsidy = total_premium * subsidy_factor(level);
    ra_subsidy.round_to(0);
    producer_premium = total_premium - ra_subsidy;
    return true;
}

bool insurance_unit::apply_residual_surcharge(int crop_year, int c, const premium_calculator& k,
                                              exact_decimal& premium, const surcharge_list& surcharges) {
    surcharge_values factors;
    const bool found = surcharges.surcharge_factors(surcharge_key{k.coverage[static_cast<std::size_t>(c - 1)],
                                                                  crop_code(c), k.state_fips(), k.county_fips,
                                                                  crop_year, practice_code, type_code},
                                                    factors);
    residual_factor = factors.residual_factor;
    if (found) premium = premium * residual_factor;
    return found;
}

void insurance_unit::apply_optional_unit_surcharge(int crop_number, exact_decimal& premium) const {
    if (optional_unit && crop_number >= 1 && crop_number <= crop_count) premium = premium * optional_unit_surcharge_factor;
}

void insurance_unit::read_settings(settings_store& store, int c, int n) {
    optional_unit = (store.read_integer(section, unit_key("Optional Units", c, n), optional_unit ? 1 : 0) & 0xFF) != 0;
    for (const auto& [name, field] : integer_keys)
        this->*field = store.read_integer(section, unit_key(name, c, n), this->*field);
    for (const auto& [name, field] : decimal_keys)
        (this->*field).from_text(store.read_text(section, unit_key(name, c, n), (this->*field).to_text(3)));
}

void insurance_unit::write_settings(settings_store& store, int c, int n) const {
    store.write_integer(section, unit_key("Optional Units", c, n), optional_unit ? 1 : 0);
    for (const auto& [name, field] : integer_keys) store.write_integer(section, unit_key(name, c, n), this->*field);
    for (const auto& [name, field] : decimal_keys)
        store.write_text(section, unit_key(name, c, n), (this->*field).to_text(3));
}

}  // namespace zelmora
