#include "app/doc_zelmora.h"

#include <cstdio>

#include <QDate>
#include <QDir>
#include <QFileInfo>

#include "app/view_zelmora.h"
#include "data/database_check.h"
#include "utility/dropped_errors.h"
#include "qtsupport/qsettings_store.h"
#include "rating/farm_file.h"
#include "rating/table_maintenance.h"
#include "ui/dialog_error_list.h"
#include "ui/propsheet_calculator.h"
#include "ui/window_services.h"
#include "utility/database_location.h"

namespace zelmora {

std::string database_not_opened_text(const std::string& path) {
    const QFileInfo file(to_qstring(path));
    const std::string folder = to_std(QDir::toNativeSeparators(file.absolutePath()));
    std::string text = "The rating database \"" + to_std(file.fileName()) + "\" could not be opened.\r\n";
    text += "It was looked for in the folder " + folder + ".\r\n";
    if (file.fileName() == QString::fromLatin1(premium_database_file_name) &&
        file.absolutePath() == to_qstring(executable_folder())) {
        text += "\"make run\" generates the demo rating database there.\r\n";
    }
    text += "File > Open opens another rating database.\r\n";
    return text;
}

std::string database_not_found_text(const database_search& search) {
    // Short lines: the error list shows them as they are, without wrapping.
    std::string text = std::string("The rating database \"") + premium_database_file_name + "\" was not found.\r\n";
    text += "It was looked for in these folders, in this order:\r\n";
    for (const std::string& folder : search.folders)
        text += "  " + to_std(QDir::toNativeSeparators(to_qstring(folder))) + "\r\n";
    text += "Put a rating database of that name into one of them, or open one with File > Open.\r\n";
    text += "The zelmora package installs the demo rating database in /usr/share/zelmora;\r\n";
    text += "\"make run\" generates it beside the program.\r\n";
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
    write_settings_on_close();
    session.calculator.reset();
    session.continuous_rater.reset();
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
            // The plain sentences first, then what the database driver said.
            dialog_error_list::show_modal(nullptr, "", "", database_not_opened_text(path) + "\r\n" + error_text);
        }
        return false;
    }
    error_text += session.database->read_errors();
    session.database->clear_read_errors();
    // Whatever the sequence collected is shown once, after its last step.
    if (!error_text.empty()) dialog_error_list::show_modal(nullptr, "", "", error_text);
    keep_rater_settings();
    take_farm_as_opened();
    return true;
}

std::string doc_zelmora::farm_display_name() const {
    if (farm_path_.empty()) return "Untitled farm";
    return to_std(QFileInfo(to_qstring(farm_path_)).completeBaseName());
}

QString doc_zelmora::farm_title() const {
    QString title = to_qstring(farm_display_name());
    if (const premium_calculator* calculator = session.calculator.get(); calculator && calculator->state_data) {
        const county_record* county = calculator->state_data->find_county(calculator->county_fips);
        const QString place = county ? to_qstring(county->county_name)
                                     : format_with_number("county %d", calculator->county_fips);
        title += QStringLiteral(" - %1, %2").arg(place, to_qstring(state_name(calculator->state_fips())));
    }
    return title + QStringLiteral("[*]");
}

std::string doc_zelmora::current_farm_text() {
    if (!session.calculator || !session.continuous_rater) return {};
    if (view_) view_->store_inputs();
    rater_aph_continuous settings(nullptr);
    settings.read_settings(farm_rater_settings_);
    return farm_file_text(*session.calculator, settings, details_);
}

void doc_zelmora::keep_rater_settings() {
    farm_rater_settings_ = {};
    if (session.continuous_rater) session.continuous_rater->write_settings(farm_rater_settings_);
}

void doc_zelmora::set_details(const farm_details& details) {
    if (details == details_) return;
    details_ = details;
    farm_modified();
}

bool doc_zelmora::farm_modified() {
    const bool modified = current_farm_text() != saved_text_;
    if (modified != edit_marked_) {
        edit_marked_ = modified;
        Q_EMIT farm_changed();
    }
    return modified;
}

void doc_zelmora::note_edit() {
    edit_marked_ = true;
    Q_EMIT farm_changed();  // also for a new county in the title
}

void doc_zelmora::take_farm_as_saved() {
    saved_text_ = current_farm_text();
    edit_marked_ = false;
    Q_EMIT farm_changed();
}

void doc_zelmora::take_farm_as_opened() {
    take_farm_as_saved();
    opened_text_ = saved_text_;
    opened_farm_path_ = farm_path_;
}

void doc_zelmora::reload_view() {
    if (view_) view_->reload_form();
}

bool doc_zelmora::open_farm(const std::string& path, std::string& error) {
    if (!session.calculator || !session.continuous_rater) return false;
    memory_settings_store store;
    if (!read_farm_file(path, store, error)) return false;
    std::string load_errors;
    load_farm(store, *session.calculator, *session.continuous_rater, load_errors);
    keep_rater_settings();
    details_ = read_farm_details(store);
    if (session.database) {
        load_errors += session.database->read_errors();
        session.database->clear_read_errors();
    }
    farm_path_ = path;
    reload_view();
    take_farm_as_saved();
    if (!load_errors.empty()) dialog_error_list::show_modal(nullptr, "", "", load_errors);
    return true;
}

bool doc_zelmora::save_farm(const std::string& path, std::string& error) {
    if (!session.calculator || !session.continuous_rater) return false;
    const std::string text = current_farm_text();
    if (!write_farm_file(path, text, error)) return false;
    farm_path_ = path;
    take_farm_as_saved();
    return true;
}

void doc_zelmora::new_farm() {
    if (!session.calculator || !session.continuous_rater) return;
    if (view_) view_->store_inputs();
    const int state = session.calculator->state_fips();
    const int county = session.calculator->county_fips;
    memory_settings_store place;  // the defaults, but for the state and county
    place.write_integer(settings_section, "State FIPS", state);
    place.write_integer(settings_section, "County FIPS", county);
    std::string load_errors;
    load_farm(place, *session.calculator, *session.continuous_rater, load_errors);
    keep_rater_settings();
    details_ = {};
    farm_path_.clear();
    reload_view();
    take_farm_as_saved();
    if (!load_errors.empty()) dialog_error_list::show_modal(nullptr, "", "", load_errors);
}

bool doc_zelmora::farm_touched() {
    return farm_path_ != opened_farm_path_ || current_farm_text() != opened_text_;
}

bool doc_zelmora::write_settings_on_close(bool write_anyway) {
    if (settings_written_ || !session.calculator || !session.continuous_rater) return false;
    settings_written_ = true;
    // An untouched window would put back the inputs it read at its start over
    // those another window wrote since.
    if (!write_anyway && !farm_touched()) return false;
    const auto store = make_store();
    session.calculator->write_settings(*store);
    session.continuous_rater->write_settings(*store);
    store->write_text(farm_file_section, last_farm_key, farm_path_);
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
    quote_content quote =
        build_quote(session, session.calculator->current_farm(), quote_farm_name(), title(),
                    QDate::currentDate().toString(QStringLiteral("MMMM d, yyyy")).toStdString(), dropped_errors{});
    quote.details = details_;
    return quote;
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
    farm_modified();
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
    // A report to read: OK closes it, there is nothing to cancel.
    dialog_error_list::show_modal(nullptr, result.problem_count > 0 || result.unreadable ? "Rating database problems"
                                                                                         : "Rating database checked",
                                  "", result.report, dialog_error_list::buttons::ok_only);
}

}  // namespace zelmora
