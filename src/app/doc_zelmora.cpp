#include "app/doc_zelmora.h"

#include <cstdio>

#include "app/view_zelmora.h"
#include "qtsupport/qsettings_store.h"
#include "rating/table_maintenance.h"
#include "ui/dialog_error_list.h"
#include "ui/propsheet_calculator.h"
#include "ui/window_services.h"

namespace zelmora {

doc_zelmora::doc_zelmora(store_factory stores) : stores_(std::move(stores)) {}

doc_zelmora::~doc_zelmora() {
    if (session.calculator) {
        session.calculator->write_settings(*make_store());
        session.calculator.reset();
    }
    if (session.continuous_rater) {
        session.continuous_rater->write_settings(*make_store());
        session.continuous_rater.reset();
    }
    session.surcharges.reset();
    session.practice_codes.reset();
    session.type_codes.reset();
    session.database.reset();
}

std::unique_ptr<settings_store> doc_zelmora::make_store() const {
    if (stores_) return stores_();
    return std::make_unique<qsettings_store>();
}

bool doc_zelmora::open_document(const std::string& path) {
    path_ = path;
    std::string error_text;
    const bool connected = session.open(path, *make_store(), error_text);
    // Whatever the sequence collected is shown once, after its last step.
    if (!error_text.empty()) dialog_error_list::show_modal(nullptr, "", "", error_text);
    return connected;
}

void doc_zelmora::close_document() {
    if (view_) view_->store_inputs();
}

void doc_zelmora::attach_view(view_zelmora* form) { view_ = form; }

void doc_zelmora::detach_view(view_zelmora* form) {
    if (view_ == form) view_ = nullptr;
}

std::string doc_zelmora::title() const {
    const std::size_t slash = path_.find_last_of("/\\");
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

void doc_zelmora::on_show_crops() {
    if (!session.calculator) return;
    if (view_) view_->store_inputs();
    {
        propsheet_calculator sheet(&session);
        run_modal(sheet);
    }
    if (view_) view_->on_update();
}

void doc_zelmora::on_show_state_inputs() {
    if (!can_maintain()) return;
    std::string report;
    {
        wait_cursor busy;
        report = show_state_inputs(*session.database, *session.continuous_rater, current_state());
    }
    dialog_error_list::show_modal(nullptr, "", "", report);
}

void doc_zelmora::on_write_column_lookup() {
    if (!can_maintain()) return;
    if (!ask_yes_no(nullptr, format_with_number("Rewrite [Lookup Column Number] for state %d?", current_state()))) return;
    std::string report;
    {
        wait_cursor busy;
        report = write_column_lookup(*session.database, *session.continuous_rater, current_state());
    }
    dialog_error_list::show_modal(nullptr, "", "", report);
}

void doc_zelmora::on_write_column_lookup_all_states() {
    if (!can_maintain()) return;
    if (!ask_yes_no(nullptr, QStringLiteral("Rewrite [Lookup Column Number] table, all states?"))) return;
    std::string report;
    {
        wait_cursor busy;
        report = write_column_lookup_all_states(*session.database, *session.continuous_rater);
    }
    dialog_error_list::show_modal(nullptr, "", "", report);
}

void doc_zelmora::on_write_county_list() {
    if (!can_maintain()) return;
    if (!ask_yes_no(nullptr, format_with_number("Rewrite [County List] for state %d?", current_state()))) return;
    std::string report;
    {
        wait_cursor busy;
        report = write_county_list(*session.database, *session.continuous_rater, current_state());
    }
    dialog_error_list::show_modal(nullptr, "", "", report);
}

void doc_zelmora::on_write_all_county_lists() {
    if (!can_maintain()) return;
    if (!ask_yes_no(nullptr, QStringLiteral("Rewrite [County List] for all states?"))) return;
    std::string report;
    {
        wait_cursor busy;
        report = write_all_county_lists(*session.database, *session.continuous_rater);
    }
    dialog_error_list::show_modal(nullptr, "", "", report);
}

}  // namespace zelmora
