// Whole-farm rating polynomial (placeholder until the polynomial lands).
#include "rating/premium_calculator.h"

namespace zelmora {

exact_decimal premium_calculator::whole_farm_rate() {
    return is_four_crop_state() ? whole_farm_rate_four() : whole_farm_rate_six();
}
exact_decimal premium_calculator::whole_farm_rate_four() { return 0.0; }
exact_decimal premium_calculator::whole_farm_rate_six() { return 0.0; }
exact_decimal premium_calculator::whole_farm_term_four(int) const { return 0.0; }
exact_decimal premium_calculator::whole_farm_term_six(int) const { return 0.0; }
exact_decimal premium_calculator::whole_farm_sum(bool, int) const { return 0.0; }
int premium_calculator::whole_farm_column() const { return 0; }
std::string premium_calculator::whole_farm_column_name() const { return {}; }

}  // namespace zelmora
