#pragma once
// Where the rating formulas hold. The county's rates are fitted over yield spans
// that run from half to one and a half times its reference yield; the premium
// formulas take the ratio of a yield to the reference yield unlimited, and far
// outside those spans they give rates below zero. A unit, an enterprise unit or
// a whole-farm unit whose yield lies that far out, or whose figures come out
// below zero anyway, is not rated: it has a reason instead of figures.
#include <optional>
#include <string>

#include "rating/farm_rating.h"
#include "utility/exact_decimal.h"

namespace zelmora {

// A yield is rated from a quarter to three times the county's reference yield:
// half the lowest yield span and twice the highest.
inline constexpr double lowest_yield_ratio = 0.25;
inline constexpr double highest_yield_ratio = 3.0;

// "rate yield 2000 is more than 3 times the county's reference yield 180", or
// "... less than a quarter of ..."; nothing when the yield is within the bounds,
// is 0 (none given) or the reference yield is unknown. `what` names the yield
// ("rate yield", "APH yield").
std::optional<std::string> yield_outside_rating(const char* what, const exact_decimal& yield,
                                                const exact_decimal& reference_yield);

// True when a guarantee, premium or subsidy is below zero.
bool has_negative_figure(const premium_figures& figures);

// The figures with a zero that came out as -0 made 0, so that none is printed "-0".
premium_figures without_negative_zeros(premium_figures figures);

}  // namespace zelmora
