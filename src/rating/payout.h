#pragma once
// What the policy pays: the payout of one outcome (a harvest price and actual
// yields per crop) under each unit structure, the worksheet that lists every
// step of it, the outcome table over harvest price and yield, and the
// break-even points of each structure.
//
// Everything here works on plain values. A `payout_farm` holds what payouts
// need of a rated farm: the guarantees and producer premiums are the rating's
// own figures, copied in by whoever rated the farm.
//
// Roundings, where they happen:
// - a unit's guarantee per acre is the rated one (cents); raised to a higher
//   harvest price it is formed as the rating forms it, (price x APH yield) x
//   coverage, rounded to cents;
// - the enterprise guarantee per acre is (price x enterprise APH yield) x
//   enterprise coverage, not rounded, as the rating leaves it;
// - the whole-farm guarantee per acre is the rated one (cents); raised to
//   higher harvest prices it is formed again as the rating forms it, cents;
// - the revenue to count per acre, actual yield x harvest price, is rounded to
//   cents;
// - a unit pays (its guarantee less its revenue to count per acre, when
//   positive) x acres x share, rounded to whole dollars; the enterprise and
//   whole-farm units pay their guarantee less their revenue to count, in
//   dollars, when positive, rounded to whole dollars.
// Nothing else is rounded. Prevented planting, replant and quality adjustment
// are outside the estimate.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "data/crops.h"
#include "utility/exact_decimal.h"

namespace zelmora {

// The three ways a farm can insure its crops. Payouts and nets are given per
// structure: the units as entered, each crop's enterprise unit, and the
// whole-farm unit (with the crops outside it on their units).
enum class payout_structure { units_as_entered, enterprise_unit, whole_farm_unit };
inline constexpr int payout_structure_count = 3;
inline constexpr std::array<payout_structure, payout_structure_count> payout_structures{
    payout_structure::units_as_entered, payout_structure::enterprise_unit, payout_structure::whole_farm_unit};

// "Units as entered", "Enterprise unit", "Whole-farm unit".
const char* payout_structure_name(payout_structure structure);

using crop_prices = std::array<exact_decimal, crop_count>;  // index crop number - 1
using crop_set = std::array<bool, crop_count>;              // index crop number - 1

// ------------------------------------------------------------------ the farm

// One basic or optional unit as rated.
struct payout_unit {
    exact_decimal aph_yield;          // approved yield per acre
    exact_decimal acres;
    exact_decimal share;              // the insured's share, 0..1
    int coverage = 65;                // the coverage level it was rated at, percent
    exact_decimal revenue_guarantee;  // rated guarantee per acre: (RA price x APH yield) x coverage, cents
    exact_decimal producer_premium;   // rated producer premium, whole dollars
};

// One crop with units, as rated.
struct payout_crop {
    int crop_number = 0;
    exact_decimal price;                // the RA price
    exact_decimal price_volatility;     // as entered: standard deviation of the log of the harvest price
    bool harvest_guarantee = false;     // the crop's harvest price option (its units and its enterprise unit)
    int coverage_enterprise = 65;       // the enterprise unit's coverage level, percent
    exact_decimal enterprise_aph_yield_exact;   // APH yields weighted by acres x share, not rounded
    exact_decimal enterprise_producer_premium;  // rated, whole dollars
    std::vector<payout_unit> units;     // in entry order
};

// The whole-farm unit as rated.
struct payout_whole_farm {
    int coverage = 65;               // whole-farm coverage level, percent
    bool harvest_guarantee = false;  // the whole-farm harvest price option
    // The crops insured in the unit. A crop of the farm not in it is insured on
    // its units as entered under this structure.
    crop_set in_unit{};
    // The crops whose expected revenue forms the guarantee per acre: those of the
    // state's whole-farm crop model (Corn to Barley, or Corn, Soybeans, Cotton
    // and Rice) that the farm grows. A crop of the unit outside the model is
    // insured at the guarantee per acre the others form.
    crop_set forms_guarantee{};
    // Rated guarantee per acre: coverage x (sum of enterprise APH yield x RA
    // price x acre share over the crops forming it) / (their acre share), cents.
    exact_decimal revenue_guarantee_per_acre;
    exact_decimal producer_premium;  // rated, whole dollars
};

// What payouts need of a rated farm.
struct payout_farm {
    std::vector<payout_crop> crops;               // the crops with units, in crop order
    std::optional<payout_whole_farm> whole_farm;  // absent where the whole-farm unit is not offered

    const payout_crop* crop(int crop_number) const;
};

// Empty when the farm can be paid out; otherwise one line saying what is wrong
// (crops out of order or twice, a crop number outside 1..9, a coverage outside
// 1..100, a negative yield, acreage or price, a share outside 0..1).
std::string payout_farm_problem(const payout_farm& farm);

// ------------------------------------------------------------------ an outcome

struct crop_outcome {
    exact_decimal harvest_price;
    // Every unit's actual yield as a percentage of its APH yield ...
    exact_decimal yield_percent = 100.0;
    // ... but for the first units, whose actual yields per acre are given here
    // in entry order.
    std::vector<exact_decimal> unit_yields;
};

struct outcome {
    std::array<crop_outcome, crop_count> crops;  // index crop number - 1
};

// Every crop's harvest price is its RA price changed by `price_change` percent
// (RA price x (100 + change) / 100, not rounded) and every unit yields
// `yield_percent` of its APH yield.
outcome uniform_outcome(const payout_farm& farm, double price_change, double yield_percent);

// ------------------------------------------------------------------ the rules, one step each
// The payout of an outcome, the outcome table and the simulation all pay
// through these; their crops have numbers 1 to 9.

// The price in a guarantee: the RA price, or the harvest price where that is
// higher and the harvest price option is on.
exact_decimal price_in_guarantee(const exact_decimal& ra_price, const exact_decimal& harvest_price,
                                 bool harvest_option);
// A unit's guarantee per acre at a price in guarantee: the rated one at the RA
// price, else (price x APH yield) x coverage rounded to cents.
exact_decimal unit_guarantee_per_acre(const payout_unit& unit, const exact_decimal& ra_price,
                                      const exact_decimal& price);
// A unit's actual yield per acre in an outcome (never below 0).
exact_decimal actual_yield(const payout_unit& unit, const crop_outcome& crop, std::size_t unit_index);
// Actual yield x harvest price, cents (a negative price counts as 0).
exact_decimal revenue_to_count_per_acre(const exact_decimal& actual_yield, const exact_decimal& harvest_price);
// (Guarantee less revenue to count per acre, when positive) x acres x share, whole dollars.
exact_decimal unit_payout(const payout_unit& unit, const exact_decimal& guarantee_per_acre,
                          const exact_decimal& revenue_per_acre);
// A unit's revenue to count in dollars, (per acre x acres) x share, as the
// enterprise and whole-farm units add it up.
exact_decimal unit_revenue_to_count(const payout_unit& unit, const exact_decimal& revenue_per_acre);
// Acres x share, summed over the crop's units in entry order.
exact_decimal acre_share(const payout_crop& crop);
// (Price x enterprise APH yield) x enterprise coverage, not rounded.
exact_decimal enterprise_guarantee_per_acre(const payout_crop& crop, const exact_decimal& price);
// The whole-farm guarantee per acre at the harvest prices: the rated one unless
// the harvest price option raises the price of a crop forming it; then
// coverage x (sum of (enterprise APH yield x price in guarantee) x acre share) /
// (their acre share), rounded to cents. 0 without a whole-farm unit.
exact_decimal whole_farm_guarantee_per_acre(const payout_farm& farm, const crop_prices& harvest_prices);
// Acres x share over the units of the whole-farm crops, in crop and entry order.
exact_decimal whole_farm_acre_share(const payout_farm& farm);
// A guarantee less the revenue to count, when positive, in whole dollars.
exact_decimal shortfall_payout(const exact_decimal& guarantee, const exact_decimal& revenue_to_count);

// ------------------------------------------------------------------ the payout of one outcome

struct unit_payout_steps {
    exact_decimal price_in_guarantee;
    exact_decimal guarantee_per_acre;
    exact_decimal actual_yield;
    exact_decimal revenue_to_count_per_acre;
    exact_decimal payout_per_acre;   // guarantee less revenue to count per acre, when positive
    exact_decimal revenue_to_count;  // dollars: per acre x acres x share
    exact_decimal payout;            // whole dollars
};

struct enterprise_payout_steps {
    exact_decimal price_in_guarantee;
    exact_decimal guarantee_per_acre;
    exact_decimal acre_share;
    exact_decimal guarantee;         // per acre x acre share
    exact_decimal revenue_to_count;  // the units' revenue to count, summed
    exact_decimal payout;            // whole dollars
};

// Payout, producer premium and net (payout less producer premium) of a structure.
struct structure_payout {
    bool offered = false;
    exact_decimal payout;
    exact_decimal producer_premium;
    exact_decimal net;
};

struct crop_payout {
    int crop_number = 0;
    exact_decimal harvest_price;
    std::vector<unit_payout_steps> units;
    enterprise_payout_steps enterprise;
    structure_payout units_as_entered;  // the units' payouts and premiums summed
    structure_payout enterprise_unit;
};

struct whole_farm_payout_steps {
    crop_prices price_in_guarantee{};  // the crops forming the guarantee
    crop_prices acre_share{};          // the crops of the unit
    crop_prices revenue_to_count{};    // the crops of the unit, dollars
    bool guarantee_raised = false;     // the harvest price option raised the guarantee per acre
    exact_decimal guarantee_per_acre;
    exact_decimal acre_share_total;
    exact_decimal guarantee;           // per acre x acre share
    exact_decimal revenue_to_count_total;
    exact_decimal payout;              // whole dollars
    exact_decimal producer_premium;    // the unit's own
    exact_decimal outside_payout;      // the units of the crops outside it
    exact_decimal outside_premium;
};

struct outcome_payout {
    std::vector<crop_payout> crops;                     // as the farm's crops
    std::optional<whole_farm_payout_steps> whole_farm;  // as the farm's whole-farm unit
    std::array<structure_payout, payout_structure_count> farm;  // the farm's figures, by structure
    std::string problem;  // the farm's problem (payout_farm_problem), when it cannot be paid out

    const structure_payout& farm_figures(payout_structure s) const { return farm[static_cast<std::size_t>(s)]; }
    const crop_payout* crop(int crop_number) const;
};

// The payout of every unit, enterprise unit and the whole-farm unit, and the
// farm's figures per structure; nothing but the problem for a farm that cannot
// be paid out.
outcome_payout payout_of(const payout_farm& farm, const outcome& result);

// Every step of the payout of one outcome, tab-separated, lines ending "\r\n":
// per crop its prices and each unit's steps, the units summed and the
// enterprise unit; the whole-farm unit; the farm's payout, producer premium and
// net per structure. Its first lines say that prevented planting, replant and
// quality adjustment are outside the estimate.
std::string payout_worksheet(const payout_farm& farm, const outcome& result);

// ------------------------------------------------------------------ break-even points

// Where a structure starts to pay as one quantity falls: below a point (and not
// at it), at every value, or at none. `value` is the point, rounded as the
// field using it says; the payout turns positive below the point itself.
struct break_even {
    enum class kind { below, always, never };
    kind where = kind::never;
    exact_decimal value;  // kind::below only
};

// A structure's break-even points, solved on the guarantees per acre (as
// rated, or formed at a raised price) against the revenue to count before its
// rounding to cents and before the payout's rounding to whole dollars.
struct structure_break_evens {
    bool offered = false;
    break_even price_change;   // at APH yields: the harvest price as a change from the RA price, percent, 2 places
    std::optional<break_even> harvest_price;  // the same as a price, cents; a crop's only
    break_even yield_percent;  // at the RA price: actual yield as a percentage of APH yield, 2 places
};

// A crop's (crop number) or the farm's (0) break-even points, by structure; the
// whole-farm unit only for the farm. Prices change in the same proportion for
// every crop of the farm, and every unit yields the same percentage.
std::array<structure_break_evens, payout_structure_count> break_evens_of(const payout_farm& farm, int crop_number);

// ------------------------------------------------------------------ the outcome table

// Rows of harvest price change from the RA price, columns of yield as a
// percentage of APH yield; integer percents, both ranges inclusive.
struct outcome_grid {
    int price_change_from = -50;
    int price_change_to = 50;
    int price_change_step = 10;
    int yield_from = 40;
    int yield_to = 120;
    int yield_step = 10;
};

// Empty when the grid can be tabled; otherwise one line saying what is wrong
// (a step not above 0, a range that runs backwards, a price change below -100,
// a yield below 0, more than 1,000 rows or columns).
std::string outcome_grid_problem(const outcome_grid& grid);

struct outcome_table_cell {
    exact_decimal payout;  // whole dollars
    exact_decimal net;     // payout less the structure's producer premium
};

struct outcome_table {
    int crop_number = 0;  // a crop, or 0 the farm
    payout_structure structure = payout_structure::units_as_entered;
    bool offered = false;  // false: the structure is not offered here, and the table has no cells
    exact_decimal producer_premium;
    std::vector<int> price_changes;             // rows, percent
    std::vector<exact_decimal> harvest_prices;  // per row, a crop's table only
    std::vector<int> yield_percents;            // columns
    std::vector<std::vector<outcome_table_cell>> cells;  // [row][column]
    std::array<structure_break_evens, payout_structure_count> break_evens;  // of every structure
    std::string problem;  // why there is no table: the grid's or the farm's problem

    const outcome_table_cell& cell(std::size_t row, std::size_t column) const { return cells[row][column]; }
};

// A crop's (crop number) or the farm's (0) table of one structure.
outcome_table outcome_table_of(const payout_farm& farm, int crop_number, payout_structure structure,
                               const outcome_grid& grid = {});

}  // namespace zelmora
