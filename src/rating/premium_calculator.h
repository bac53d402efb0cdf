#pragma once
// The rating engine: a farm's inputs (farm.h) with its loaded state record, the
// single-crop b values, and the stored results of the unit, enterprise and
// whole-farm ratings.
//
// Per-crop arrays are indexed by crop number - 1 (crop numbers 1..9).
#include <array>
#include <memory>
#include <string>

#include "data/crops.h"
#include "data/premium_database.h"
#include "data/state_record.h"
#include "data/surcharge_list.h"
#include "rating/farm.h"
#include "rating/insurance_unit.h"
#include "rating/rater.h"
#include "utility/exact_decimal.h"
#include "utility/settings_store.h"

namespace zelmora {

inline constexpr int max_units_per_crop = 7;

// The single-crop b values read from the database: which set each state, crop
// and region uses, and the five sets with and without the harvest price option.
struct b_value_tables {
    std::array<std::array<std::array<unsigned char, 2>, crop_count>, rated_state_count> b_value_set{};
    std::array<std::array<float, 15>, 5> b_values{};
    std::array<std::array<float, 15>, 5> b_values_harvest{};
};

// The inputs, b values and results are whole values (farm.h): copy_from copies
// them as such, and current_farm / load_farm take a farm out and put one in.
class premium_calculator : public farm_inputs,
                           public b_value_tables,
                           public enterprise_results,
                           public whole_farm_results {
public:
    premium_calculator(premium_database* database, rater_aph_continuous* rater, std::string& error_text);
    virtual ~premium_calculator() = default;
    premium_calculator(const premium_calculator&) = delete;
    premium_calculator& operator=(const premium_calculator&) = delete;

    // ------------------------------------------------------------ inputs
    void set_defaults(std::string& error_text);
    bool set_state(int state_fips, std::string& error_text);
    int state_fips() const { return state_data ? state_data->state_fips() : -1; }
    void read_settings(settings_store& store, std::string& error_text);
    void write_settings(settings_store& store) const;
    // Makes this calculator equal to the other, but for its own malting barley
    // option and the two whole-farm figures every computation forms anew.
    void copy_from(const premium_calculator& other, std::string& error_text);
    // The state and the inputs as one value.
    farm current_farm() const { return {state_fips(), *this}; }
    // Takes the farm's state (its county list read anew) and inputs; results and b values stay.
    void load_farm(const farm& f, std::string& error_text);
    // Grows or shrinks the crop's list to `count` units (taken within 0..7).
    void set_unit_count(int crop_number, int count);
    bool crop_selected(int crop_number) const;
    bool crop_in_whole_farm(int crop_number) const;
    bool is_four_crop_state() const { return state_data && state_data->is_four_crop_state(); }
    bool county_region() const { return state_data && state_data->county_region(county_fips); }

    // ------------------------------------------------------------ single-crop b values
    bool read_b_values(std::string& error_text);
    bool read_b_value_table(std::string& error_text);
    virtual exact_decimal b_value(int crop_number, bool region_flag, int index) const;
    bool has_b_values(int crop_number) const;
    bool b_value_set_exists(int state_fips, bool region_flag, int crop_number) const;
    exact_decimal x_single(int index, int crop_number, const insurance_unit& unit) const;
    exact_decimal sum_single(int crop_number, bool region_flag, const insurance_unit& unit) const;
    exact_decimal unit_premium_rate(int crop_number, const insurance_unit& unit) const;
    void dump_b_values(std::string& text) const;

    // ------------------------------------------------------------ unit premiums
    // Prevented planting factor of the crop's basic and optional units.
    exact_decimal ppcl_factor_of(int crop_number) const;
    // The crop-specific factor of a unit (FN or FO, CR option, short rate; 1 otherwise).
    static exact_decimal unit_factor(int crop_number, const insurance_unit& unit);
    bool compute_crop_units(int crop_number, const surcharge_list& surcharges, std::string& error_text);

    // ------------------------------------------------------------ enterprise units
    void aggregate_enterprise_units(int crop_number);
    void compute_enterprise_discount();
    exact_decimal x_enterprise(int index, int crop_number) const;
    exact_decimal sum_enterprise(int crop_number, bool region_flag) const;
    exact_decimal enterprise_premium_rate_of(int crop_number);
    exact_decimal ppcl_factor_enterprise(int crop_number) const;
    // Rates every unit, every enterprise unit and the whole-farm unit.
    void compute_all(const surcharge_list& surcharges, std::string& error_text);

    // ------------------------------------------------------------ whole-farm unit
    exact_decimal whole_farm_rate();
    exact_decimal whole_farm_rate_four();
    exact_decimal whole_farm_rate_six();
    exact_decimal whole_farm_term_four(int index) const;
    exact_decimal whole_farm_term_six(int index) const;
    exact_decimal whole_farm_sum(bool region_flag, int column) const;
    int whole_farm_column() const;
    std::string whole_farm_column_name() const;
    void compute_arg_whole_farm(const crop_decimals& crop_acre_weight);
    void apply_limit_whole_farm(const crop_decimals& crop_acre_weight);
    exact_decimal crop_rate_whole_farm(int crop_number);
    exact_decimal ppcl_factor_whole_farm(const crop_decimals& crop_acre_weight) const;
    void whole_farm_worksheet(std::string& text);

    // ------------------------------------------------------------ results as values
    premium_figures enterprise_figures(int crop_number) const;
    premium_figures whole_farm_figures() const;

    // ------------------------------------------------------------ worksheets
    void single_crop_worksheet(std::string& text, int crop_number, const surcharge_list& surcharges);

    // ------------------------------------------------------------ fields
    // The inputs, b values and results are the members of the bases above.
    std::unique_ptr<state_record> state_data;
    rater_aph_continuous* rater = nullptr;
    premium_database* database = nullptr;

private:
    void rate_whole_farm_after_crops(const crop_decimals& crop_acre_weight, bool four_crop);
    // Sum of the fifteen rounded terms of a crop's single-crop b values, capped at 0.99.
    exact_decimal capped_sum(int crop_number, bool region_flag, const std::array<exact_decimal, 15>& x) const;
};

}  // namespace zelmora
