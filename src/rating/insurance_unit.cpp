#include "rating/insurance_unit.h"

#include <cstdio>

#include "data/crops.h"
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

void read_decimal(settings_store& store, const std::string& key, exact_decimal& field) {
    field.from_text(store.read_text(section, key, field.to_text(3)));
}

}  // namespace

double subsidy_factor(int coverage_level) {
    if (coverage_level < 75) return 0.59;
    if (coverage_level < 80) return 0.55;
    if (coverage_level < 85) return 0.48;
    return 0.38;
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
    type_code = store.read_integer(section, unit_key("Type", c, n), type_code);
    practice_code = store.read_integer(section, unit_key("Practice", c, n), practice_code);
    read_decimal(store, unit_key("Crop Acres", c, n), acres);
    read_decimal(store, unit_key("APH Yield", c, n), aph_yield);
    read_decimal(store, unit_key("Rate Yield", c, n), rate_yield);
    read_decimal(store, unit_key("Crop Share", c, n), share);
    read_decimal(store, unit_key("Written Agreement", c, n), written_agreement_rate);
    read_decimal(store, unit_key("Short Rate", c, n), short_rate_factor);
    read_decimal(store, unit_key("FN or FO", c, n), fn_or_fo_factor);
    read_decimal(store, unit_key("Malting Barley Approved Yield", c, n), malting_barley_approved_yield);
    read_decimal(store, unit_key("Malting Barley", c, n), malting_barley_price);
    read_decimal(store, unit_key("Malting Barley Acres", c, n), malting_barley_acres);
}

void insurance_unit::write_settings(settings_store& store, int c, int n) const {
    store.write_integer(section, unit_key("Optional Units", c, n), optional_unit ? 1 : 0);
    store.write_integer(section, unit_key("Type", c, n), type_code);
    store.write_integer(section, unit_key("Practice", c, n), practice_code);
    store.write_text(section, unit_key("Crop Acres", c, n), acres.to_text(3));
    store.write_text(section, unit_key("APH Yield", c, n), aph_yield.to_text(3));
    store.write_text(section, unit_key("Rate Yield", c, n), rate_yield.to_text(3));
    store.write_text(section, unit_key("Crop Share", c, n), share.to_text(3));
    store.write_text(section, unit_key("Written Agreement", c, n), written_agreement_rate.to_text(3));
    store.write_text(section, unit_key("Short Rate", c, n), short_rate_factor.to_text(3));
    store.write_text(section, unit_key("FN or FO", c, n), fn_or_fo_factor.to_text(3));
    store.write_text(section, unit_key("Malting Barley Approved Yield", c, n), malting_barley_approved_yield.to_text(3));
    store.write_text(section, unit_key("Malting Barley", c, n), malting_barley_price.to_text(3));
    store.write_text(section, unit_key("Malting Barley Acres", c, n), malting_barley_acres.to_text(3));
}

}  // namespace zelmora
