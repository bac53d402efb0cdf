#include "ui/farm_model.h"

#include <utility>

namespace zelmora {

farm_model::farm_model(const rating_session& session, farm initial, QObject* parent)
    : QObject(parent), session_(&session), farm_(std::move(initial)) {}

void farm_model::set(const farm& f) {
    if (f == farm_) return;
    farm_ = f;
    rating_.reset();
    comparison_.reset();
    Q_EMIT changed();
}

const farm_rating& farm_model::rating() const {
    const premium_database::change_marker now = session_->version();
    if (!rating_ || !(now == rated_version_)) {
        rating_ = session_->rate(farm_);
        rated_version_ = now;
    }
    return *rating_;
}

const std::vector<comparison_table>& farm_model::comparison() const {
    const premium_database::change_marker now = session_->version();
    if (!comparison_ || !(now == compared_version_)) {
        comparison_ = compare_coverage(*session_, farm_, rating());
        compared_version_ = now;
    }
    return *comparison_;
}

}  // namespace zelmora
