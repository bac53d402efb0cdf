#pragma once
// What a rating of a farm gives: per unit its figures or the reason it has
// none, per crop its enterprise unit, the whole-farm unit with its limit note,
// every step the pages show, and the diagnostics met on the way.
// rating_session::rate makes it; nothing else does.
//
// Per-crop arrays are indexed by crop number - 1 (crop numbers 1..9).
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "data/crops.h"
#include "rating/crop_arrays.h"
#include "utility/exact_decimal.h"

namespace zelmora {

// The five figures shown for a rated unit, enterprise unit or whole-farm unit.
struct premium_figures {
    exact_decimal revenue_guarantee;  // dollars per acre
    exact_decimal per_acre_premium;   // loaded premium per acre
    exact_decimal total_premium;      // whole dollars
    exact_decimal subsidy;            // whole dollars
    exact_decimal producer_premium;   // whole dollars
};

// Every step of each crop's enterprise unit.
struct enterprise_results {
    crop_decimals enterprise_revenue_guarantee{};
    crop_decimals enterprise_base_rate{};
    crop_decimals enterprise_aph_yield{};
    crop_decimals enterprise_aph_yield_exact{};
    crop_decimals enterprise_reference_yield{};
    crop_decimals enterprise_discount_ratio{};
    crop_decimals enterprise_discounted_rate{};
    crop_decimals enterprise_premium_rate{};
    crop_decimals enterprise_residual_factor{};
    crop_decimals loaded_enterprise_premium{};
    crop_decimals total_loaded_enterprise_premium{};
    crop_decimals enterprise_per_acre_premium{};
    crop_decimals enterprise_subsidy{};
    crop_decimals enterprise_producer_premium{};
};

// Every step of the whole-farm unit.
struct whole_farm_results {
    exact_decimal revenue_guarantee_whole_farm;
    crop_decimals percent_liability{};
    crop_decimals liability_per_acre{};
    exact_decimal premium_rate_whole_farm;
    exact_decimal limit_whole_farm;
    exact_decimal per_acre_premium_whole_farm;
    exact_decimal base_premium_whole_farm;
    exact_decimal total_premium_whole_farm;
    exact_decimal crop_acre_weight_whole_farm;
    exact_decimal ra_subsidy_whole_farm;
    exact_decimal producer_premium_whole_farm;
    exact_decimal residual_factor_whole_farm;
    exact_decimal arg_minimum_whole_farm;
    exact_decimal arg_maximum_whole_farm;
    crop_decimals weighted_aph_yield{};
    int limit_applied_whole_farm = 0;
};

// Something a rating met that a caller may have to tell: a table that could not
// be loaded or read, a unit without a rate.
struct diagnostic {
    enum class severity { warning, error };
    severity level = severity::error;
    std::string where;  // "Corn unit 2", "County List", "database"
    std::string text;   // "ERROR, ..." lines as the loaders and the rater write them
};

// The rating of one unit.
struct unit_rating {
    std::optional<premium_figures> figures;  // nothing when the rater has no rate for the unit
    std::string reason;                      // the rater's "ERROR, ..." lines when it has none
    std::string why_not_rated;               // one line for the user when it has none: "no rate for type 998, ..."
    exact_decimal base_rate;                 // 65% base premium rate from the county's rates
    exact_decimal reference_yield;
    exact_decimal residual_factor;
};

// The rating of a farm.
struct farm_rating {
    // Every unit of every crop, in entry order (a crop that is not selected too).
    std::array<std::vector<unit_rating>, crop_count> units;
    // Per crop: offered in the county and ticked (its enterprise unit is rated).
    crop_flags selected{};
    // Per crop: in the whole-farm unit (selected, and never Winter Wheat).
    crop_flags in_whole_farm{};
    enterprise_results enterprise;
    whole_farm_results whole_farm;
    // Per selected crop: why its enterprise figures leave out part of what they
    // cover ("Corn unit 2: no rate for ..."), so that they are not shown as if
    // complete; empty when every unit of the crop was rated.
    std::array<std::string, crop_count> enterprise_reason;
    // The same for the whole-farm unit (a unit of a crop in it has no rate).
    std::string whole_farm_reason;
    // Enterprise and whole-farm units refused on their own, every unit of them
    // rated: "Corn enterprise unit: APH yield 2521.5 is more than 3 times ...".
    std::vector<std::string> refused_structures;
    // "Limited %.3f->%.3f" when the limit raised the whole-farm rate, else "".
    std::string limit_note;
    std::vector<diagnostic> diagnostics;
    // A table or a stored value could not be read: no figure of this rating can be trusted.
    bool read_failed = false;

    const unit_rating* unit(int crop_number, int unit_number) const;
    // The figures as the engine left them, complete or not: what the worksheets print.
    premium_figures enterprise_figures(int crop_number) const;
    premium_figures whole_farm_figures() const;
    // The figures a caller may show as the crop's enterprise unit or as the
    // whole-farm unit: nothing when part of what they cover could not be rated.
    std::optional<premium_figures> complete_enterprise_figures(int crop_number) const;
    std::optional<premium_figures> complete_whole_farm_figures() const;
    // "Corn unit 2: no rate for type 998 and practice 3 in this county", one line
    // for each unit of a selected crop that could not be rated, in crop and unit
    // order (a crop that is not selected is not insured: its units count for
    // nothing), then the enterprise and whole-farm units refused on their own.
    std::vector<std::string> unrated_units() const;
    // The "ERROR, ..." lines of every diagnostic of an error, in order.
    std::string error_text() const;
};

}  // namespace zelmora
