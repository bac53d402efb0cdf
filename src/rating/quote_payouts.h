#pragma once
// What the quote says the coverage pays: per crop (its units and its
// enterprise unit) and for the farm (every structure offered), the coverage
// as the farm has it, where it starts to pay, and its expected payout, chance
// of a payout and expected net under the farm's payout model.
#include <string>
#include <vector>

#include "rating/farm.h"
#include "rating/farm_rating.h"
#include "rating/payout.h"
#include "rating/payout_simulation.h"

namespace zelmora {

struct quote_payout_row {
    int crop_number = 0;  // 0: the farm
    payout_structure structure = payout_structure::units_as_entered;
    int coverage_level = 0;  // the structure's coverage; 0 where the farm's crops have different levels
    structure_break_evens break_evens;
    expected_cell expected;  // not offered when there are no expected figures
};

struct quote_payouts {
    std::vector<quote_payout_row> rows;  // crops in crop order, then the farm; empty: no section
    std::string assumptions;             // the model's sentence (payout_model_sentence)
    std::string draws_note;              // expected_figures_note
    std::string outside_note;            // outside_whole_farm_note
    std::string problem;                 // why there are no expected figures; empty when there are
};

// The payouts of the farm as rated (its own coverage levels).
quote_payouts quote_payouts_of(const farm& f, const farm_rating& rated, const payout_model& model,
                               const simulation_settings& settings = {});

}  // namespace zelmora
