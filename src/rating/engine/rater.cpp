#include "rating/engine/rater.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "utility/number_text.h"

namespace zelmora {

namespace {

// Yield ratio limited to 0.5 .. 1.5. A zero reference yield gives the upper
// limit, as any positive rate yield over a vanishing reference would.
exact_decimal limited_yield_ratio(const exact_decimal& rate_yield, const exact_decimal& reference) {
    exact_decimal ratio = 1.5;
    if (reference != 0.0) {
        ratio = rate_yield / reference;
        ratio.round_to(2);
    }
    if (ratio > 1.5) ratio = 1.5;
    if (ratio < 0.5) ratio = 0.5;
    return ratio;
}

void append_number(std::string& text, const char* name, int value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text += name;
    text.append(digits, end);
}

constexpr const char* record_condition =
    "[State FIPS] = ? AND [County FIPS] = ? AND [Crop Year] = ? AND [Crop Code] = ? AND "
    "[Insurance Plan ID] = ? AND [Practice Code] = ? AND [Type Code] = ?";

// The unit's record, its keys bound to the condition above.
hresult open_record(rowset_continuous_rates& rates, premium_database& db, const rate_record_key& k) {
    return rates.open_where(db, record_condition,
                            {k.state_fips, k.county_fips, k.crop_year, k.crop_code, k.insurance_plan_id,
                             k.practice_code, k.type_code});
}

// "[State FIPS] = %d AND [County FIPS] = %d AND [Crop Year] = %d AND [Crop Code] = %d AND
// [Insurance Plan ID] = %d AND [Practice Code] = %d AND [Type Code] = %d", for the "no record" message.
std::string record_filter(const rate_record_key& k) {
    std::string filter;
    filter.reserve(192);
    append_number(filter, "[State FIPS] = ", k.state_fips);
    append_number(filter, " AND [County FIPS] = ", k.county_fips);
    append_number(filter, " AND [Crop Year] = ", k.crop_year);
    append_number(filter, " AND [Crop Code] = ", k.crop_code);
    append_number(filter, " AND [Insurance Plan ID] = ", k.insurance_plan_id);
    append_number(filter, " AND [Practice Code] = ", k.practice_code);
    append_number(filter, " AND [Type Code] = ", k.type_code);
    return filter;
}

}  // namespace

// ------------------------------------------------------------------ rater

bool rater::rate(int crop_code, int state_fips, int county_fips, int coverage_level, const exact_decimal& rate_yield,
                 int type, int practice, const surcharge_list& surcharges, std::string& error_text) {
    type_code = type;
    practice_code = practice;
    int failures = compute_rate(crop_year, crop_code, state_fips, county_fips, coverage_level, rate_yield, surcharges,
                                error_text);
    if (failures != 0 && crop_year == 2001) {
        error_text += "Switching to crop year 2000.\r\n<br>";
        failures = compute_rate(2000, crop_code, state_fips, county_fips, coverage_level, rate_yield, surcharges,
                                error_text);
    }
    return failures == 0;
}

int rater::compute_rate(int, int, int, int, int, const exact_decimal&, const surcharge_list&, std::string&) {
    return 0;
}

void rater::use_settings(const rater_settings& settings) {
    map_area = static_cast<unsigned char>(settings.map_area);
    practice_code = settings.practice_code;
    option_code = static_cast<unsigned char>(settings.option_code);
    class_option = static_cast<unsigned char>(settings.class_option);
    price_percent = settings.price_percent;
    acres = settings.acres;
    share = settings.share;
}

// ------------------------------------------------------------------ rate_record_cache

std::size_t rate_record_cache::key_hash::operator()(const key& k) const noexcept {
    std::size_t h = 0;
    for (const int v : k) h = h * 1000003u ^ static_cast<std::size_t>(static_cast<unsigned>(v));
    return h;
}

const rate_record_cache::entry* rate_record_cache::find(const key& keys) const {
    const auto found = entries_.find(keys);
    return found == entries_.end() ? nullptr : &found->second;
}

const rate_record_cache::entry& rate_record_cache::add(entry read) {
    const key keys = read.keys;
    return entries_.insert_or_assign(keys, std::move(read)).first->second;
}

// ------------------------------------------------------------------ rater_aph_continuous

rater_aph_continuous::rater_aph_continuous(premium_database* db, rate_record_cache* records)
    : rater(db), records_(records) {
    name = "APHContinuous";
    insurance_plan_id = 90;
}

int rater_aph_continuous::compute_rate(int year, int crop, int state, int county, int coverage_level,
                                       const exact_decimal& rate_yield, const surcharge_list& surcharges,
                                       std::string& error_text) {
    // The record of the unit's keys.
    reference_yield = 0.0;
    reference_rate = 0.0;
    exponent = 0.0;
    fixed_rate_load = 0.0;
    if (database == nullptr) {
        error_text += "ERROR, unable to open continuous rate table.\r\n";
        return 1;
    }
    rate_record_cache::entry read;
    const rate_record_cache::entry& record =
        record_of({state, county, year, crop, insurance_plan_id, practice_code, type_code}, read, error_text);
    if (!record.found) return 1;
    take_record(record.record);

    // Step 6 takes its yield span table from the same record.
    rate_from_record_values(year, crop, state, county, coverage_level, rate_yield,
                            span_rate_of(record.record, rate_yield), surcharges);
    return 0;
}

const rate_record_cache::entry& rater_aph_continuous::record_of(const rate_record_cache::key& keys,
                                                                rate_record_cache::entry& read,
                                                                std::string& error_text) {
    if (records_ != nullptr) {
        if (const rate_record_cache::entry* kept = records_->find(keys)) {
            error_text += kept->error_text;
            return *kept;
        }
    }
    read.keys = keys;
    if (records_ != nullptr) ++records_->reads;
    rowset_continuous_rates rates;
    const rate_record_key key{keys[0], keys[1], keys[2], keys[3], keys[4], keys[5], keys[6]};
    if (open_record(rates, *database, key) != 0) {
        read.error_text = "ERROR, unable to open continuous rate table.\r\n";
        error_text += read.error_text;
        return read;  // not kept: the next rating tries again
    } else if (rates.move_first() != 0) {
        read.error_text = "ERROR, no record found in table [" + rates.table_name() + "]\r\n" + record_filter(key) + "\r\n";
    } else {
        read.found = true;
        read.record = rates.record;
    }
    error_text += read.error_text;
    return records_ != nullptr ? records_->add(std::move(read)) : read;
}

void rater_aph_continuous::take_record(const record_continuous_rates& r) {
    reference_yield = r.reference_yield / 100.0;
    reference_rate = r.reference_rate / 1000.0;
    exponent = r.exponent / 1000.0;
    fixed_rate_load = r.fixed_rate_load / 1000.0;
    prior_reference_yield = r.prior_year_reference_yield / 100.0;
    prior_reference_rate = r.prior_year_reference_rate / 1000.0;
    prior_exponent = r.prior_year_exponent / 1000.0;
    prior_fixed_rate_load = r.prior_year_fixed_rate_load / 1000.0;
}

void rater_aph_continuous::rate_from_record_values(int year, int crop, int state, int county, int coverage_level,
                                                   const exact_decimal& rate_yield, const exact_decimal& span_rate,
                                                   const surcharge_list& surcharges) {
    // Step 4: yield ratio.
    yield_ratio = limited_yield_ratio(rate_yield, reference_yield);

    // Step 5: current year continuous rate, each product rounded to 8 places.
    uncapped_base_premium_rate = yield_ratio.power(exponent);
    uncapped_base_premium_rate.round_to(8);
    uncapped_base_premium_rate = uncapped_base_premium_rate * reference_rate;
    uncapped_base_premium_rate.round_to(8);
    uncapped_base_premium_rate = uncapped_base_premium_rate + fixed_rate_load;
    uncapped_base_premium_rate.round_to(8);

    surcharge_values factors;
    surcharges.surcharge_factors(
        surcharge_key{coverage_level, crop, state, county, year, practice_code, type_code}, factors);
    uncapped_base_premium_rate *= factors.rate_differential;

    // Step 6: yield span rate.
    capped_yield_span_base_rate = span_rate * (factors.prior_rate_differential * 1.2);

    // Step 7: prior year yield ratio.
    prior_yield_ratio = limited_yield_ratio(rate_yield, prior_reference_yield);

    // Step 8: prior year continuous rate.
    prior_continuous_base_rate = prior_yield_ratio.power(prior_exponent);
    prior_continuous_base_rate.round_to(8);
    prior_continuous_base_rate = prior_continuous_base_rate * prior_reference_rate;
    prior_continuous_base_rate.round_to(8);
    prior_continuous_base_rate = prior_continuous_base_rate + prior_fixed_rate_load;
    prior_continuous_base_rate = prior_continuous_base_rate * (factors.prior_rate_differential * 1.2);

    // Step 9: the least of the three; steps 10 and 11 take it unchanged.
    const exact_decimal& s5 = uncapped_base_premium_rate;
    const exact_decimal& s6 = capped_yield_span_base_rate;
    const exact_decimal& s8 = prior_continuous_base_rate;
    if (s5 < s6)
        preliminary_base_rate = s5 < s8 ? s5 : s8;
    else
        preliminary_base_rate = s6 < s8 ? s6 : s8;
    base_premium_rate = preliminary_base_rate;
}

exact_decimal rater_aph_continuous::span_rate_of(const record_continuous_rates& r, const exact_decimal& rate_yield) {
    const double ry = rate_yield.to_double();
    for (int i = 0; i < 13; ++i)
        if (static_cast<double>(r.yield_level(i)) >= ry) return r.premium[i] / 1000.0;
    return r.premium[12] / 1000.0;
}

void rater_aph_continuous::worksheet(std::string& text) const {
    char line[512];
    std::snprintf(line, sizeof line, "Crop Year\t%d\r\n", crop_year);
    text += line;
    std::snprintf(line, sizeof line, "Insurance Plan ID\t%d\r\n", insurance_plan_id);
    text += line;
    text += "Reference Yield\t" + reference_yield.to_text(3) + "\r\n";
    text += "Chosen price election\t" + price_election.to_text(3) + "\r\n";
    text += "Prior year Ref Yld\t" + prior_reference_yield.to_text(3) + "\r\nRef Rate\t" +
            prior_reference_rate.to_text(3) + "\r\nExp\t" + prior_exponent.to_text(3) +
            "\r\nPrior Year Fixed Rate Load\t" + prior_fixed_rate_load.to_text(3) + "\r\n";
    text += "Coverage Level Rate Differential\t" + coverage_level_rate_differential.to_text(3) + "\r\n";
}

}  // namespace zelmora
