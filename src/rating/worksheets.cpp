// Single-crop and whole-farm worksheets (placeholder until the worksheets land).
#include "rating/premium_calculator.h"

namespace zelmora {

void premium_calculator::single_crop_worksheet(std::string&, int, const surcharge_list&) {}
void premium_calculator::whole_farm_worksheet(std::string&) {}

}  // namespace zelmora
