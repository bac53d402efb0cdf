// Malting barley endorsement (placeholder until the endorsement lands).
#include "rating/malting_barley_endorsement.h"

#include "rating/premium_calculator.h"

namespace zelmora {

void malting_barley_endorsement::compute(const premium_calculator&, const insurance_unit&) {}
void malting_barley_endorsement::worksheet(const premium_calculator& calculator, const insurance_unit& unit,
                                           std::string&) {
    compute(calculator, unit);
}
exact_decimal malting_barley_endorsement::rate_differential(int) { return 0.0; }
exact_decimal malting_barley_endorsement::subsidy_factor(int) { return 0.0; }

}  // namespace zelmora
