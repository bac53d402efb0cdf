#include "ui/crop_offer.h"

#include <QCoreApplication>

#include "rating/premium_calculator.h"

namespace zelmora {

crop_offer crop_offer_in_county(const premium_calculator& calculator, int crop_number) {
    const state_record* state = calculator.state_data.get();
    const county_record* county = state ? state->find_county(calculator.county_fips) : nullptr;
    if (!county || crop_number < 1 || crop_number > crop_count) return crop_offer::not_offered;
    if (!calculator.b_value_set_exists(state->state_fips(), county->region_flag == -1, crop_number)) {
        return crop_offer::not_offered;
    }
    if (county->crop_indicator[static_cast<std::size_t>(crop_number - 1)] == 0) return crop_offer::no_county_rates;
    return crop_offer::rated;
}

QString crop_offer_note(crop_offer offer) {
    switch (offer) {
    case crop_offer::not_offered:
        return QCoreApplication::translate("crop_offer", "Not offered in this county");
    case crop_offer::no_county_rates:
        return QCoreApplication::translate("crop_offer", "No rates in this county");
    case crop_offer::rated:
        break;
    }
    return {};
}

QString unit_row_problem(const unit_row_inputs& inputs, bool rated) {
    auto say = [](const char* text) { return QCoreApplication::translate("crop_offer", text); };
    if (!inputs.practice_chosen) return say("No practice chosen");
    if (!inputs.type_chosen) return say("No type chosen");
    if (!rated) {
        if (!inputs.has_rate_yield) return say("No rate yield");
        return say("No rate for this type and practice in this county");
    }
    if (!inputs.has_aph_yield) return say("No APH yield: the guarantee and premium are 0");
    if (!inputs.has_acres) return say("No acres: the premium is 0");
    if (!inputs.has_share) return say("No share: the premium is 0");
    return {};
}

}  // namespace zelmora
