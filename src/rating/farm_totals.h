#pragma once
// The farm totals the pages show beside the enterprise and whole-farm figures:
// per crop and for the farm, the basic and optional units summed, and per crop
// its enterprise unit in dollars.
#include <array>
#include <string>

#include "rating/coverage_comparison.h"

namespace zelmora {

struct farm_totals {
    farm_unit_totals units;                          // the units summed, per crop and for the farm
    std::array<unit_totals, crop_count> enterprise;  // each selected crop as one enterprise unit
};

// Rates a copy of the farm (never the session's calculator) and sums it. A
// unit the rater cannot rate adds nothing, where the farm's own units would
// still hold the figures of their last rating. The enterprise guarantee is the
// per-acre guarantee on the crop's acres x share, in whole dollars; its
// premiums are already dollars of the whole crop. The ratings' "ERROR, ..."
// lines are appended to `error_text`.
farm_totals rate_farm_totals(const rating_session& session, const farm& f, std::string& error_text);

}  // namespace zelmora
