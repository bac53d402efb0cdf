#pragma once
// Inputs that only the command line reads, beside the keys the calculator
// saves itself (all in the section "Settings"):
//   "Coverage Whole Farm"                  integer percent 65, 70, 75, 80 or 85
//   "PP Factor 5 <crop display name>"      decimal text, ppcl_factor[0] of the crop
//   "PP Factor 10 <crop display name>"     decimal text, ppcl_factor[1] of the crop
//   "CR Option <crop number> <unit %02d>"  decimal text, cr_option_factor of the unit
//   "Malting Barley Option"                1 (option A) or 2 (option B)
// Absent keys keep the calculator's values.
#include <string>

#include "rating/premium_calculator.h"
#include "utility/settings_store.h"

namespace zelmora {

inline constexpr const char* settings_section = "Settings";

// Checks the inputs before anything is rated: every key of the section that is
// present holds a value its row of input_rules allows (unit keys for the units
// 1..count of their crop only). `listed` is the inputs file's own store, whose
// keys are also checked for names the command line does not know ("PP Factor
// 5 Corm", "CR Option 1 09"); nullptr for the user's settings store.
// False with a one-line reason naming the key, the value (cut to 40
// characters) and what is allowed.
bool check_inputs(settings_store& store, const memory_settings_store* listed, std::string& error);

// Applies the keys above to a calculator that has read its settings.
void apply_command_line_inputs(settings_store& store, premium_calculator& calculator);

}  // namespace zelmora
