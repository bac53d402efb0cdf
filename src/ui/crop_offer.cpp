#include "ui/crop_offer.h"

#include <QCoreApplication>

#include "data/crops.h"
#include "rating/farm.h"
#include "rating/rating_session.h"

namespace zelmora {

crop_offer crop_offer_in_county(const rating_session& session, const farm& f, int crop_number) {
    if (!session.is_open()) return crop_offer::not_offered;
    const county_record* county = session.state(f.state_fips).find_county(f.inputs.county_fips);
    if (!county || crop_number < 1 || crop_number > crop_count) return crop_offer::not_offered;
    if (!session.b_value_set_exists(f.state_fips, county->region_flag == -1, crop_number)) {
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
        // A yield far outside the county's rates, or a missing surcharge row: the rating says which.
        if (!inputs.why_not_rated.empty() && inputs.why_not_rated.rfind("no rate for ", 0) != 0) {
            QString reason = QString::fromStdString(inputs.why_not_rated);
            reason[0] = reason[0].toUpper();
            return reason;
        }
        return say("No rate for this type and practice in this county");
    }
    if (!inputs.has_aph_yield) return say("No APH yield: the guarantee and premium are 0");
    if (!inputs.has_acres) return say("No acres: the premium is 0");
    if (!inputs.has_share) return say("No share: the premium is 0");
    return {};
}

}  // namespace zelmora
