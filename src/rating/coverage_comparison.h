#pragma once
// The farm rated at each coverage level under each unit structure (the units
// as entered, the enterprise unit, the whole-farm unit), the farm totals of the
// basic and optional units, and the comparison as text.
#include <array>
#include <string>
#include <vector>

#include "data/crops.h"
#include "rating/farm_rating.h"
#include "rating/rating_session.h"
#include "utility/exact_decimal.h"

namespace zelmora {

struct farm;

enum class unit_structure { units_as_entered, enterprise_unit, whole_farm_unit };
inline constexpr int unit_structure_count = 3;
inline constexpr std::array<int, 5> comparison_levels{65, 70, 75, 80, 85};

// "Units as entered", "Enterprise unit", "Whole-farm unit".
const char* unit_structure_name(unit_structure structure);

struct comparison_cell {
    bool offered = false;            // false: the structure is not offered at this level (absent, not zero)
    exact_decimal guarantee;         // revenue guarantee in whole dollars (per-acre guarantee x acres x share, summed)
    exact_decimal producer_premium;  // dollars
    exact_decimal producer_premium_per_acre;  // per insured acre (acres x share), cents
    exact_decimal premium_per_1000;           // producer premium per $1,000 of guarantee, cents
    bool has_step = false;                    // true from the second offered level on
    exact_decimal added_premium_per_added_dollar;  // (producer premium - previous level's) / (guarantee - previous level's), 4 places
    bool cheapest = false;  // the lowest producer premium of the offered structures at this level (two or more offered)
};

struct comparison_row {
    int coverage_level = 65;
    std::array<comparison_cell, unit_structure_count> cells;  // indexed by unit_structure
    const comparison_cell& cell(unit_structure s) const { return cells[static_cast<std::size_t>(s)]; }
};

struct comparison_table {
    int crop_number = 0;               // 1..9 a crop with units; 0 the whole farm
    std::vector<comparison_row> rows;  // only levels offered (80 and 85 only where the county offers high coverage)
    // The farm's table: the crops with units outside the whole-farm unit, which its
    // whole-farm structure counts under their units as entered (Winter Wheat).
    std::vector<int> outside_whole_farm;
    // Why the table has no figures at all: the unit its structures would leave
    // out ("Corn unit 2: no rate for type 998 and practice 3 in this county").
    std::string not_rated;
    // True when some row offers the structure.
    bool offers(unit_structure s) const;
    // True when some row offers some structure.
    bool has_figures() const;
};

// Rates copies of the farm, two per level (ten in all): per selected crop with units, the units as entered (the crop's coverage set
// to the level) and the enterprise unit (enterprise coverage set to the level);
// for the farm, the sums of those over the crops and the whole-farm unit
// (whole-farm coverage set to the level) where the whole farm is offered: two
// or more crops in it. A level of 80 or 85 is offered for a crop whose county
// offers high coverage, for the farm's sums when every crop's county does and
// for the whole-farm unit when every crop in it does. A structure that rates to
// no guarantee at a level is absent there. Crop tables come in crop order, the
// farm's table last; empty when the farm has no selected crop with units.
// Every structure of the farm's table covers the same crops and acres: its
// whole-farm structure is the whole-farm unit with the crops outside it under
// their units as entered. A structure that would leave out a unit it covers
// (the unit has no rate) is absent, as it is at a level it is not offered.
std::vector<comparison_table> compare_coverage(const rating_session& session, const farm& f);
// The same, given the farm's own rating (which says which crops are selected).
std::vector<comparison_table> compare_coverage(const rating_session& session, const farm& f,
                                               const farm_rating& as_entered);

// Totals of a crop's (or the farm's) basic and optional units.
struct unit_totals {
    exact_decimal guarantee;  // per-acre guarantee x acres x share, whole dollars, summed
    exact_decimal total_premium;
    exact_decimal subsidy;
    exact_decimal producer_premium;
    exact_decimal acres;  // acres x share, summed
    bool complete = true; // false when a unit had no rate: the sums leave it out
};
// Per crop (index crop - 1) and for the farm.
struct farm_unit_totals {
    std::array<unit_totals, crop_count> crops;
    unit_totals farm;
};
// Sums the rated units of the selected crops (a unit without a rate adds its
// acres and no figure, and marks the sums it is part of incomplete).
farm_unit_totals unit_totals_of(const farm& f, const farm_rating& rated);

// The comparison as tab-separated lines (`compare --tsv`, Copy in the Compare
// window): a heading line, then one line per table, level and offered structure.
std::string comparison_tsv(const std::vector<comparison_table>& tables);
// The comparison as aligned columns, one block per table (`compare`).
std::string comparison_text(const std::vector<comparison_table>& tables);

// The columns of one line of those texts: their headings, and the cells of an
// offered structure at a level (with thousands separators for the aligned text).
inline constexpr std::size_t comparison_column_count = 8;
using comparison_line = std::array<std::string, comparison_column_count>;
const comparison_line& comparison_headings();
comparison_line comparison_line_of(int level, unit_structure s, const comparison_cell& cell, bool separators);

// A table's title: the crop's name, or "Farm (all crops)".
std::string comparison_title(const comparison_table& table);

// The line under the farm's table that names the crops outside the whole-farm
// unit ("Whole-farm unit: Winter Wheat is outside it and counted under its units
// as entered."); empty when there are none or the table has no whole-farm structure.
std::string outside_whole_farm_note(const comparison_table& table);

}  // namespace zelmora
