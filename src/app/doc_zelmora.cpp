#include "app/doc_zelmora.h"

#include <cstdio>

#include <QDate>
#include <QDir>
#include <QFileInfo>

#include "app/view_zelmora.h"
#include "data/database_check.h"
#include "utility/dropped_errors.h"
#include "qtsupport/qsettings_store.h"
#include "rating/table_maintenance.h"
#include "ui/dialog_error_list.h"
#include "ui/propsheet_calculator.h"
#include "ui/window_services.h"

namespace zelmora {

std::string database_not_opened_text(const std::string& path) {
    const QFileInfo file(to_qstring(path));
    std::string text = "\r\nThe rating database \"" + to_std(file.fileName()) + "\" could not be opened.\r\n";
    text += "It was looked for in the folder " + to_std(QDir::toNativeSeparators(file.absolutePath())) + ".\r\n";
    if (file.fileName() == QString::fromLatin1(premium_database_file_name)) {
        text += "\"make run\" generates the demo rating database there.\r\n";
    }
    text += "File > Open opens another rating database.\r\n";
    return text;
}

std::string county_list_summary(premium_database& db, const std::vector<int>& state_fipses) {
    std::string text;
    for (const int fips : state_fipses) {
        state_record state;
        state.set_state_fips(fips);
        state.read_county_list(db, dropped_errors{});  // a list that cannot be read counts no rows
        char line[160];
        std::snprintf(line, sizeof line, "%s\t%d rows written to [County List]\r\n", state_name(fips).c_str(),
                      static_cast<int>(state.counties().size()));
        text += line;
    }
    return text;
}

QString rewrite_question(const QString& question, int state_fips, const std::string& path) {
    QString text = question + QStringLiteral("\n\n");
    if (state_fips > 0) {
        text += QStringLiteral("State: %1 (%2)\n").arg(to_qstring(state_name(state_fips))).arg(state_fips);
    }
    return text + QStringLiteral("Database: %1").arg(QDir::toNativeSeparators(to_qstring(path)));
}

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
    if (!session.open(path, *make_store(), error_text)) {
        if (!error_text.empty()) {
            dialog_error_list::show_modal(nullptr, "", "", error_text + database_not_opened_text(path));
        }
        return false;
    }
    error_text += session.database->read_errors();
    session.database->clear_read_errors();
    // Whatever the sequence collected is shown once, after its last step.
    if (!error_text.empty()) dialog_error_list::show_modal(nullptr, "", "", error_text);
    return true;
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

quote_content doc_zelmora::make_quote() {
    if (!session.calculator || !session.database) return {};
    const read_transaction reading(*session.database);  // one set of rows for every rating of the quote
    return build_quote(session, session.calculator->current_farm(), quote_farm_name(), title(),
                       QDate::currentDate().toString(QStringLiteral("MMMM d, yyyy")).toStdString(), dropped_errors{});
}

void doc_zelmora::on_show_crops() {
    if (!session.calculator) return;
    if (view_) view_->store_inputs();
    {
        propsheet_calculator sheet(&session);
        if (view_) connect(&sheet, &propsheet_calculator::status_message, view_, &view_zelmora::status_message);
        connect(&sheet, &propsheet_calculator::farm_changed, this, &doc_zelmora::farm_changed);
        run_modal(sheet);
    }
    if (view_) view_->on_update();
}

void doc_zelmora::show_rewrite_report(const rewrite_report& report) {
    if (report.failed_states == 0 && !session.database->has_read_errors()) {
        dialog_error_list::show_modal(nullptr, "", "", report.text);
        return;
    }
    // A failed rewrite is an error, not an ordinary report.
    dialog_error_list::show_modal(nullptr, "Rewrite failed", "", report.text + session.database->read_errors());
    session.database->clear_read_errors();
    show_message(nullptr, report.failed_states > 0
                              ? format_with_number("ERROR, the rewrite failed for %d state(s); their rows are "
                                                   "unchanged.",
                                                   report.failed_states)
                              : QStringLiteral("ERROR, the rewrite could not read the rating database."));
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
    if (!ask_yes_no(nullptr, rewrite_question(format_with_number("Rewrite [Lookup Column Number] for state %d?", current_state()), current_state(), path_), answer::no)) return;
    rewrite_report report;
    {
        wait_cursor busy;
        report = write_column_lookup(*session.database, *session.continuous_rater, current_state());
    }
    show_rewrite_report(report);
}

void doc_zelmora::on_write_column_lookup_all_states() {
    if (!can_maintain()) return;
    if (!ask_yes_no(nullptr, rewrite_question(QStringLiteral("Rewrite [Lookup Column Number] table, all states?"), 0, path_), answer::no)) return;
    rewrite_report report;
    {
        wait_cursor busy;
        report = write_column_lookup_all_states(*session.database, *session.continuous_rater);
    }
    show_rewrite_report(report);
}

void doc_zelmora::on_write_county_list() {
    if (!can_maintain()) return;
    if (!ask_yes_no(nullptr, rewrite_question(format_with_number("Rewrite [County List] for state %d?", current_state()), current_state(), path_), answer::no)) return;
    rewrite_report report;
    {
        wait_cursor busy;
        report = write_county_list(*session.database, *session.continuous_rater, current_state());
    }
    // A rewrite that wrote without an error still says what it wrote (in this window only).
    if (report.failed_states == 0 && !session.database->has_read_errors()) {
        report.text += county_list_summary(*session.database, {current_state()});
    }
    show_rewrite_report(report);
}

void doc_zelmora::on_write_all_county_lists() {
    if (!can_maintain()) return;
    if (!ask_yes_no(nullptr, rewrite_question(QStringLiteral("Rewrite [County List] for all states?"), 0, path_), answer::no)) return;
    rewrite_report report;
    {
        wait_cursor busy;
        report = write_all_county_lists(*session.database, *session.continuous_rater);
    }
    if (report.failed_states == 0 && !session.database->has_read_errors()) {
        report.text += county_list_summary(*session.database, std::vector<int>(rated_states.begin(), rated_states.end()));
    }
    show_rewrite_report(report);
}

void doc_zelmora::on_check_database() {
    if (!session.database) return;
    database_check_result result;
    {
        wait_cursor busy;
        result = check_database(*session.database, path_);
    }
    dialog_error_list::show_modal(nullptr, result.problem_count > 0 || result.unreadable ? "Rating database problems"
                                                                                         : "Rating database checked",
                                  "", result.report);
}

}  // namespace zelmora
