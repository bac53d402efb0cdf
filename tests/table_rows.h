#pragma once
// Rows of the rating tables for test fixtures: each builder fills a table's
// key columns and leaves every other field zero where zero is a usable value,
// for the test to set.
#include <array>
#include <cstdint>

#include "data/rowsets.h"

namespace zelmora::testing::rows {

using indicators = std::array<std::int16_t, 9>;

inline std::int16_t i2(int v) { return static_cast<std::int16_t>(v); }

// A "County List" row; `crops` and `high_coverage` are the stored indicators (-1 offered).
inline record_county_list county(int state, int county_fips, const char* name, int region_flag = 0,
                                 const indicators& crops = {}, const indicators& high_coverage = {}) {
    record_county_list r;
    r.state_fips = i2(state);
    r.county_fips = i2(county_fips);
    copy_to_buffer(r.county_name, sizeof r.county_name, name);
    r.region_flag = i2(region_flag);
    for (std::size_t i = 0; i < 9; ++i) {
        r.crop_indicator[i] = crops[i];
        r.indicator_8085[i] = high_coverage[i];
    }
    return r;
}

// A "Continuous Rates" row with its seven keys, and reference yields of 100.00
// (a yield of 0 is no usable value: the yield ratio divides by it).
inline record_continuous_rates rates(int state, int county_fips, int year, int crop_code, int plan, int practice,
                                     int type) {
    record_continuous_rates r;
    r.reference_yield = 10000;
    r.prior_year_reference_yield = 10000;
    r.state_fips = i2(state);
    r.county_fips = i2(county_fips);
    r.crop_year = i2(year);
    r.crop_code = i2(crop_code);
    r.insurance_plan_id = i2(plan);
    r.practice_code = i2(practice);
    r.type_code = i2(type);
    return r;
}

// An "Endogenous Risk Surcharge" row with its seven keys and its four factors.
inline record_endogenous_risk_surcharge surcharge(int level, int crop_code, int state, int county_fips, int year,
                                                  int practice, int type, float differential = 0,
                                                  float residual = 0, float prior_differential = 0,
                                                  float prior_residual = 0) {
    record_endogenous_risk_surcharge r;
    r.coverage_level = i2(level);
    r.crop_code = i2(crop_code);
    r.state_fips = i2(state);
    r.county_fips = i2(county_fips);
    r.crop_year = i2(year);
    r.practice_code = i2(practice);
    r.type_code = i2(type);
    r.rate_differential = differential;
    r.residual_factor = residual;
    r.prior_year_rate_differential = prior_differential;
    r.prior_year_residual_factor = prior_residual;
    return r;
}

// A "B Value Whole Farm" row.
inline record_b_value_whole_farm whole_farm_b(int state, int region_flag, int column, int index, float b,
                                              float b_harvest = 0) {
    record_b_value_whole_farm r;
    r.state_fips = i2(state);
    r.region_flag = i2(region_flag);
    r.column_number = i2(column);
    r.b_index = i2(index);
    r.b_value = b;
    r.b_value_harvest_guarantee = b_harvest;
    return r;
}

// A "B Value Single Crop" row.
inline record_b_value_single_crop single_crop_b(int set, int index, float b, float b_harvest) {
    record_b_value_single_crop r;
    r.set_number = static_cast<std::int8_t>(set);
    r.b_index = i2(index);
    r.b_value = b;
    r.b_value_harvest_guarantee = b_harvest;
    return r;
}

// A "B Value Single Crop Lookup" row: the set of a crop in a state's region.
inline record_b_value_single_crop_lookup b_value_set(int state, int crop_number, int region_flag, int set) {
    record_b_value_single_crop_lookup r;
    r.state_fips = i2(state);
    r.crop_number = i2(crop_number);
    r.region_flag = i2(region_flag);
    r.set_number = static_cast<std::int8_t>(set);
    return r;
}

// A "Lookup Practice Code" or "Lookup Type Code" row.
inline record_lookup_code code(int value, const char* description) {
    record_lookup_code r;
    r.code = i2(value);
    copy_to_buffer(r.description, sizeof r.description, description);
    return r;
}

// A "Lookup Column Number" row without crop set.
inline record_lookup_column_number column_lookup(int state, int column, const char* column_code,
                                                 int region_flag = 0) {
    record_lookup_column_number r;
    r.state_fips = i2(state);
    r.region_flag = i2(region_flag);
    r.column_number = i2(column);
    copy_to_buffer(r.column_code, sizeof r.column_code, column_code);
    return r;
}

}  // namespace zelmora::testing::rows
