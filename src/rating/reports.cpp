// Reports of the enterprise and whole-farm page (placeholder until the reports land).
#include "rating/reports.h"

namespace zelmora {

std::string limit_note(premium_calculator&) { return {}; }
std::string whole_farm_copy_text(premium_calculator&) { return {}; }
std::string test_report(premium_calculator&, const surcharge_list&, int, int) { return {}; }
std::string acreage_loop_report(const premium_calculator&, const surcharge_list&) { return {}; }
std::string b_value_dump(const premium_calculator&, const surcharge_list&) { return {}; }
void whole_farm_b_value_columns(premium_calculator&, std::string&, std::string&, std::vector<std::string>&) {}
void crop_acre_weights(const premium_calculator&, crop_decimals&, exact_decimal&) {}

}  // namespace zelmora
