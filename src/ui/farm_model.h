#pragma once
// The farm a window edits and its rating. The form, the pages, the dialogs and
// the Compare Coverage window read the farm here, put their changes back with
// set(), and show rating(): the farm is rated once after each change, when a
// window first asks for its figures, however many windows show them. The
// coverage comparison is kept the same way for the Compare Coverage window and
// the Parameters sheet's Compare page.
#include <optional>
#include <vector>

#include <QObject>

#include "data/state_record.h"
#include "rating/coverage_comparison.h"
#include "rating/farm.h"
#include "rating/farm_rating.h"
#include "rating/rating_session.h"

namespace zelmora {

class farm_model : public QObject {
    Q_OBJECT
public:
    farm_model(const rating_session& session, farm initial, QObject* parent = nullptr);

    const rating_session& session() const { return *session_; }
    const farm& current() const { return farm_; }
    // Takes the farm; `changed` follows when it differs from the one held.
    void set(const farm& f);
    // The rating of the farm as it is now (rated again when the database changed).
    const farm_rating& rating() const;
    // The coverage comparison of the farm as it is now (its copies rated once per change).
    const std::vector<comparison_table>& comparison() const;
    // The counties of the farm's state.
    const state_record& state() const { return session_->state(farm_.state_fips); }

Q_SIGNALS:
    void changed();

private:
    const rating_session* session_;
    farm farm_;
    mutable std::optional<farm_rating> rating_;
    mutable premium_database::change_marker rated_version_;
    mutable std::optional<std::vector<comparison_table>> comparison_;
    mutable premium_database::change_marker compared_version_;
};

}  // namespace zelmora
