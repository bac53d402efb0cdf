// Table maintenance (placeholder until the rewrites land).
#include "rating/table_maintenance.h"

namespace zelmora {

void list_state_inputs(const state_record&, premium_database&, premium_calculator&, std::string&) {}
void rewrite_column_lookup(const state_record&, premium_database&, premium_calculator&, std::string&) {}
bool rewrite_county_list(const state_record&, premium_database&, premium_calculator&, std::string&) { return false; }
void crop_indicators_from_rates(premium_database&, int, int, int, int, bool, bool, std::array<std::int16_t, 9>&,
                                std::string&) {}
void high_coverage_from_surcharges(premium_database&, int, int, int, bool, bool, std::array<std::int16_t, 9>&,
                                   std::string&) {}
std::string show_state_inputs(premium_database&, rater_aph_continuous&, int) { return {}; }
std::string write_column_lookup(premium_database&, rater_aph_continuous&, int) { return {}; }
std::string write_column_lookup_all_states(premium_database&, rater_aph_continuous&) { return {}; }
std::string write_county_list(premium_database&, rater_aph_continuous&, int) { return {}; }
std::string write_all_county_lists(premium_database&, rater_aph_continuous&) { return {}; }

}  // namespace zelmora
