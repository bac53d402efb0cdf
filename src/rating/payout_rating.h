#pragma once
// What a payout needs of a rating: the payout farm of a rated farm, and the
// farm rated at each coverage level for the expected payouts.
#include <vector>

#include "rating/farm_rating.h"
#include "rating/payout.h"
#include "rating/payout_simulation.h"
#include "rating/rating_session.h"

namespace zelmora {

struct farm;

// The rated farm as a payout farm: every selected crop with units (a unit the
// rater has no rate for pays on a guarantee of 0); the whole-farm unit when two
// or more of its crops have units.
payout_farm payout_farm_of(const farm& f, const farm_rating& rated);

// The farm rated at each level from 65 to 85 with every coverage (units,
// enterprise units, whole-farm unit) set to it.
std::vector<coverage_level_farm> payout_levels_of(const rating_session& session, const farm& f);

}  // namespace zelmora
