#pragma once
// The rating engine: a farm's inputs with the tables its state is rated with,
// the steps of the unit, enterprise and whole-farm ratings, and what they
// store. Private to the rating library: rating_session::rate builds one for a
// farm, drives it and hands back a farm_rating; the worksheets and reports of
// the library print its steps.
//
// Per-crop arrays are indexed by crop number - 1 (crop numbers 1..9).
#include <array>
#include <string>
#include <vector>

#include "data/crops.h"
#include "data/premium_database.h"
#include "data/state_record.h"
#include "data/surcharge_list.h"
#include "rating/engine/unit_premium.h"
#include "rating/farm.h"
#include "rating/farm_rating.h"
#include "utility/exact_decimal.h"

namespace zelmora {

class rater_aph_continuous;

// The single-crop b values read from the database: which set each state, crop
// and region uses, and the five sets with and without the harvest price option.
struct b_value_tables {
    std::array<std::array<std::array<unsigned char, 2>, crop_count>, rated_state_count> b_value_set{};
    std::array<std::array<float, 15>, 5> b_values{};
    std::array<std::array<float, 15>, 5> b_values_harvest{};
};

// Reads both single-crop b-value tables into `tables`; the loaders' "ERROR, ..."
// lines go to `error_text`. False when a table cannot be opened or is empty.
bool read_b_value_lookup(premium_database& db, b_value_tables& tables, std::string& error_text);
bool read_b_value_table(premium_database& db, b_value_tables& tables, std::string& error_text);

// What an engine rates with besides the farm, none of it owned: the connection
// the rater reads through, the state's counties and whole-farm b values, and the
// single-crop b values. A missing state record rates as a state without counties.
struct rating_tables {
    premium_database* database = nullptr;
    const state_record* state = nullptr;
    const b_value_tables* b_values = nullptr;
};

class premium_calculator : public farm_inputs, public enterprise_results, public whole_farm_results {
public:
    // Reads nothing: every result starts at 0.
    premium_calculator(const farm& f, const rating_tables& tables, rater_aph_continuous* rater);
    virtual ~premium_calculator() = default;
    premium_calculator(const premium_calculator&) = default;
    premium_calculator& operator=(const premium_calculator&) = default;

    // ------------------------------------------------------------ inputs
    int state_fips() const { return state_fips_; }
    bool crop_selected(int crop_number) const;
    bool crop_in_whole_farm(int crop_number) const;
    bool is_four_crop_state() const { return state_data != nullptr && state_data->is_four_crop_state(); }
    bool county_region() const { return state_data != nullptr && state_data->county_region(county_fips); }

    // ------------------------------------------------------------ single-crop b values
    virtual exact_decimal b_value(int crop_number, bool region_flag, int index) const;
    bool has_b_values(int crop_number) const;
    bool b_value_set_exists(int state_fips, bool region_flag, int crop_number) const;
    exact_decimal x_single(int index, int crop_number, const insurance_unit& unit, const unit_results& rated) const;
    exact_decimal sum_single(int crop_number, bool region_flag, const insurance_unit& unit,
                             const unit_results& rated) const;
    exact_decimal unit_premium_rate(int crop_number, const insurance_unit& unit, const unit_results& rated) const;
    void dump_b_values(std::string& text) const;

    // ------------------------------------------------------------ unit premiums
    // Prevented planting factor of the crop's basic and optional units.
    exact_decimal ppcl_factor_of(int crop_number) const;
    // The crop-specific factor of a unit (FN or FO, CR option, short rate; 1 otherwise).
    static exact_decimal unit_factor(int crop_number, const insurance_unit& unit);
    // Rates each unit of the crop; the units the rater cannot rate keep what they held.
    bool compute_crop_units(int crop_number, const surcharge_list& surcharges, std::string& error_text);

    // A unit already rated on its own, for the same farm and rater: rating it
    // again would give the same figures, the same lines and leave the rater with
    // the same practice and type.
    struct prerated_unit {
        bool rated = false;
        unit_results results;
        std::string error_text;
    };
    // Hands compute_all the units rated beforehand (one entry per unit of every
    // crop), which it then takes instead of rating them again.
    void take_prerated_units(std::array<std::vector<prerated_unit>, crop_count> units);

    // ------------------------------------------------------------ enterprise units
    void aggregate_enterprise_units(int crop_number);
    void compute_enterprise_discount();
    exact_decimal x_enterprise(int index, int crop_number) const;
    exact_decimal sum_enterprise(int crop_number, bool region_flag) const;
    exact_decimal enterprise_premium_rate_of(int crop_number);
    exact_decimal ppcl_factor_enterprise(int crop_number) const;
    // Rates every unit of the selected crops, every enterprise unit and the whole-farm unit.
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

    // ------------------------------------------------------------ worksheets
    void single_crop_worksheet(std::string& text, int crop_number, const surcharge_list& surcharges);

    // ------------------------------------------------------------ what the ratings stored
    // Per crop, per unit in entry order: kept in step with `units`.
    std::array<std::vector<unit_results>, crop_count> rated_units;
    // Makes `rated_units` match the units' counts (new entries all 0).
    void match_rated_units();

    const state_record* state_data = nullptr;
    const b_value_tables* b_tables = nullptr;
    rater_aph_continuous* rater = nullptr;
    premium_database* database = nullptr;

private:
    void rate_whole_farm_after_crops(const crop_decimals& crop_acre_weight, bool four_crop);
    // Sum of the fifteen rounded terms of a crop's single-crop b values, capped at 0.99.
    exact_decimal capped_sum(int crop_number, bool region_flag, const std::array<exact_decimal, 15>& x) const;

    int state_fips_ = -1;
    std::array<std::vector<prerated_unit>, crop_count> prerated_;
};

}  // namespace zelmora
