#pragma once
// What payouts say in words and tables: the model's assumptions in one
// sentence, the outcome table and the break-even points as the command line
// prints them (aligned columns, or tab-separated lines for a spreadsheet), and
// the coverage comparison with the expected figures joined to its lines.
#include <string>
#include <vector>

#include "rating/coverage_comparison.h"
#include "rating/payout.h"
#include "rating/payout_simulation.h"

namespace zelmora {

// What no payout figure includes.
inline constexpr const char* payout_estimate_limits =
    "Prevented planting, replant and quality adjustment are outside the estimate.";

// The model's assumptions in one sentence, with its parameters ("... yields
// vary with a cv of 0.25 ..."), ending with what the estimate leaves out.
std::string payout_model_sentence(const payout_model& model);

// How many draws the expected figures are averages of, from which seed, and
// what `plus_minus` means (one standard error); says so when a standard error
// stayed above its target.
std::string expected_figures_note(const expected_payouts& expected, const simulation_settings& settings,
                                  const char* plus_minus = "+/-");

// What the whole-farm structure's expected figures hold beside the unit: the
// crops outside it, paid on their units ("... Winter Wheat, outside the unit
// ..."); empty when every crop with units is in it or there is no such unit.
std::string outside_whole_farm_note(const payout_farm& farm);

// A number with a sign for a change ("+10.5", "-3", "0"); `places` decimals.
std::string signed_change_text(double value, int places);

// Where a structure starts to pay, in words: "below -12.34%" (with the crop's
// harvest price, "below $2.12 (-25.08%)"), "at any price", "never"; the yield,
// "below 87.65% of APH", "at any yield", "never".
std::string break_even_price_text(const structure_break_evens& points);
std::string break_even_yield_text(const structure_break_evens& points);

// The title of a crop's or the farm's figures: the crop's name, or "Farm (all crops)".
std::string payout_table_title(int crop_number);

// The outcome table of one structure: its payouts, then its nets, by harvest
// price change (rows; a crop's rows also give the harvest price) and yield
// (columns), then the break-even points of every structure offered, and what
// the estimate leaves out. Separators in the numbers.
std::string outcome_table_text(const outcome_table& table);
// The same as tab-separated lines: a heading line and one line per cell (crop,
// structure, price change, harvest price, yield, payout, net), then an empty
// line and the break-even points (a heading line and one line per structure).
std::string outcome_table_tsv(const outcome_table& table);

// The expected figures of a comparison line: the crop's (or the farm's, 0)
// table, the level, the structure; nullptr when the simulation has none.
const expected_cell* expected_cell_of(const expected_payouts& expected, int crop_number, int level,
                                      unit_structure structure);

// The comparison (comparison_text, comparison_tsv) with four more columns on
// every line: the expected payout, the chance of a payout, the expected net
// and the expected payout per dollar of producer premium, each with its
// standard error. The text ends with the model's sentence, `outside_note`
// (outside_whole_farm_note) and the draws' note.
std::string expected_comparison_text(const std::vector<comparison_table>& tables, const expected_payouts& expected,
                                     const payout_model& model, const simulation_settings& settings,
                                     const std::string& outside_note = {});
std::string expected_comparison_tsv(const std::vector<comparison_table>& tables, const expected_payouts& expected);

}  // namespace zelmora
