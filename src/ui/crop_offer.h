#pragma once
// Whether the farm's county rates a crop, and the words the windows use to say
// why a crop or a unit row shows no figures.
#include <QString>

#include <string>

namespace zelmora {

struct farm;
class rating_session;

enum class crop_offer {
    not_offered,     // the state has no b values for the crop in this county's region (or no county)
    no_county_rates, // b values exist, but the county's list does not rate the crop
    rated,
};

crop_offer crop_offer_in_county(const rating_session& session, const farm& f, int crop_number);

// "Not offered in this county", "No rates in this county", or empty for a rated crop.
QString crop_offer_note(crop_offer offer);

// Why a unit row has no figures, from what the row shows; empty when nothing
// but the rating itself failed to find a rate.
struct unit_row_inputs {
    bool type_chosen = true;
    bool practice_chosen = true;
    bool has_aph_yield = true;
    bool has_rate_yield = true;
    bool has_acres = true;
    bool has_share = true;
    std::string why_not_rated;  // the rating's reason when the unit has no figures
};
QString unit_row_problem(const unit_row_inputs& inputs, bool rated);

}  // namespace zelmora
