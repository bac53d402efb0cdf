#pragma once
// The texts of the enterprise and whole-farm page built from a rated engine:
// the limit note, the whole-farm copy text and the three diagnostic reports.
// reports.h gives them for a farm.
#include <string>
#include <vector>

#include "data/surcharge_list.h"
#include "rating/engine/premium_calculator.h"

namespace zelmora {

// "Limited %.3f->%.3f" when the limit raised the whole-farm rate, else "".
std::string limit_note(premium_calculator& calculator);

// "WHOLE FARM", the coverage, the whole-farm worksheet and the two bar lines.
std::string whole_farm_copy_text(premium_calculator& calculator);

// The Test report for combination codes low..high on the calculator itself
// (its crop ticks and results are those of `high` afterwards).
std::string test_report(premium_calculator& calculator, const surcharge_list& surcharges, int low, int high);

// The Acreage Loop Test report on a copy of the calculator (rated with the
// calculator's own rater); begins with one
// "WARNING, No unit provided for crop %s; using defaults.\r\n" per crop that
// uses the default unit.
std::string acreage_loop_report(const premium_calculator& calculator, const surcharge_list& surcharges);

// The B Value Dump report on a copy of the calculator.
std::string b_value_dump(const premium_calculator& calculator);

// Rows of the whole-farm part of the B Value Dump: columns from the highest
// combination down to 0, without and with the harvest guarantee.
void whole_farm_b_value_columns(premium_calculator& calculator, std::string& column_numbers,
                                std::string& column_names, std::vector<std::string>& term_rows);

// Per selected crop the sum of acres times share; the total over the whole-farm crops.
void crop_acre_weights(const premium_calculator& calculator, crop_decimals& weights, exact_decimal& total);

}  // namespace zelmora
