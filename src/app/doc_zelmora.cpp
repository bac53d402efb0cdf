#include "app/doc_zelmora.h"

#include <algorithm>
#include <cstdio>
#include <thread>

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
#include "ui/farm_model.h"
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
    model_.reset();  // before the session it rates on
}

std::unique_ptr<settings_store> doc_zelmora::make_store() const {
    if (stores_) return stores_();
    return std::make_unique<qsettings_store>();
}

bool doc_zelmora::open_document(const std::string& path) {
    path_ = path;
    std::string error_text;
    if (!session.open(path, error_text)) {
        if (!error_text.empty()) {
            // The plain sentences first, then what the database driver said.
            dialog_error_list::show_modal(nullptr, "", "", database_not_opened_text(path) + "\r\n" + error_text);
        }
        return false;
    }
    // The farm the user's settings keep, and the tables it is rated with.
    const farm saved = read_farm_settings(*make_store());
    error_text += session.load_errors(saved);
    model_ = std::make_unique<farm_model>(session, saved);
    connect(model_.get(), &farm_model::changed, this, &doc_zelmora::farm_changed);
    // Whatever the sequence collected is shown once, after its last step.
    if (!error_text.empty()) dialog_error_list::show_modal(nullptr, "", "", error_text);
    take_farm_as_opened();
    return true;
}

int doc_zelmora::current_state() const { return model_ ? model_->current().state_fips : -1; }

std::string doc_zelmora::farm_display_name() const {
    if (farm_path_.empty()) return "Untitled farm";
    return to_std(QFileInfo(to_qstring(farm_path_)).completeBaseName());
}

QString doc_zelmora::farm_title() const {
    QString title = to_qstring(farm_display_name());
    if (model_) {
        const farm& f = model_->current();
        const county_record* county = model_->state().find_county(f.inputs.county_fips);
        title += county ? QStringLiteral(" - %1, %2").arg(to_qstring(county->county_name),
                                                          to_qstring(state_name(f.state_fips)))
                        : QStringLiteral(" - ") + choose_county_text();
    }
    return title + QStringLiteral("[*]");
}

bool doc_zelmora::county_chosen() const {
    return model_ && model_->state().find_county(model_->current().inputs.county_fips) != nullptr;
}

QString doc_zelmora::choose_county_text() const {
    if (!model_) return {};
    return QStringLiteral("choose a county in %1").arg(to_qstring(state_name(model_->current().state_fips)));
}

const farm& doc_zelmora::current_farm() {
    if (view_) view_->store_inputs();
    return model_->current();
}

void doc_zelmora::set_details(const farm_details& details) {
    if (details == details_) return;
    details_ = details;
    farm_modified();
}

void doc_zelmora::set_payout_parameters(const payout_model& parameters) {
    if (parameters == payout_) return;
    payout_ = parameters;
    farm_modified();
}

bool doc_zelmora::farm_modified() {
    if (!model_) return false;
    const bool modified =
        !(current_farm() == saved_farm_) || !(details_ == saved_details_) || !(payout_ == saved_payout_);
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
    if (!model_) return;
    saved_farm_ = current_farm();
    saved_details_ = details_;
    saved_payout_ = payout_;
    edit_marked_ = false;
    Q_EMIT farm_changed();
}

void doc_zelmora::take_farm_as_opened() {
    take_farm_as_saved();
    opened_farm_ = saved_farm_;
    opened_farm_path_ = farm_path_;
}

void doc_zelmora::take_farm(const farm& f) {
    model_->set(f);
    const std::string load_errors = session.load_errors(f);
    reload_view();
    take_farm_as_saved();
    if (!load_errors.empty()) dialog_error_list::show_modal(nullptr, "", "", load_errors);
}

void doc_zelmora::reload_view() {
    if (view_) view_->reload_form();
}

bool doc_zelmora::open_farm(const std::string& path, std::string& error) {
    if (!model_) return false;
    memory_settings_store store;
    if (!read_farm_file(path, store, error)) return false;
    // A farm in a county the rating data does not list cannot be rated: the
    // window keeps the farm it has.
    farm opened = read_farm(store);
    if (const std::string refusal = model_->session().farm_refusal(opened); !refusal.empty()) {
        error = "inputs file \"" + path + "\": " + refusal;
        return false;
    }
    details_ = read_farm_details(store);
    payout_ = read_payout_model(store);
    farm_path_ = path;
    farm_stamp_ = stamp_of_file(path);
    take_farm(std::move(opened));
    return true;
}

bool doc_zelmora::save_farm(const std::string& path, std::string& error) {
    if (!model_) return false;
    const std::string text = farm_file_text(current_farm(), details_, payout_);
    if (!write_farm_file(path, text, error)) return false;
    farm_path_ = path;
    farm_stamp_ = stamp_of_bytes(text);
    take_farm_as_saved();
    return true;
}

bool doc_zelmora::farm_file_changed_on_disk() const {
    if (farm_path_.empty()) return false;
    const file_stamp now = stamp_of_file(farm_path_);
    return now.exists && !(now == farm_stamp_);
}

void doc_zelmora::discard_changes() {
    if (!model_) return;
    details_ = saved_details_;
    model_->set(saved_farm_);
    reload_view();
    edit_marked_ = false;
    Q_EMIT farm_changed();
}

void doc_zelmora::new_farm() {
    if (!model_) return;
    // The defaults, but for the state and county.
    const farm& now = current_farm();
    farm fresh = default_farm();
    fresh.state_fips = now.state_fips;
    fresh.inputs.county_fips = now.inputs.county_fips;
    details_ = {};
    payout_ = {};
    farm_path_.clear();
    farm_stamp_ = {};
    take_farm(fresh);
}

bool doc_zelmora::farm_touched() {
    if (!model_) return false;
    return farm_path_ != opened_farm_path_ || !(current_farm() == opened_farm_);
}

bool doc_zelmora::write_settings_on_close(bool write_anyway) {
    if (settings_written_ || !model_) return false;
    settings_written_ = true;
    // An untouched window would put back the inputs it read at its start over
    // those another window wrote since.
    if (!write_anyway && !farm_touched()) return false;
    const auto store = make_store();
    write_farm_settings(model_->current(), *store);
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
    if (!model_) return {};
    const farm& f = current_farm();
    const read_transaction reading(session.database());  // one set of rows for every rating of the quote
    simulation_settings drawing;  // the same figures on any number of threads
    drawing.jobs = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
    quote_content quote = build_quote(session, f, quote_farm_name(), title(),
                                      QDate::currentDate().toString(QStringLiteral("MMMM d, yyyy")).toStdString(),
                                      payout_, drawing);
    quote.details = details_;
    return quote;
}

void doc_zelmora::on_show_crops() {
    if (!model_) return;
    if (view_) view_->store_inputs();
    {
        propsheet_calculator sheet(model_.get());
        if (view_) connect(&sheet, &propsheet_calculator::status_message, view_, &view_zelmora::status_message);
        connect(&sheet, &propsheet_calculator::farm_changed, this, &doc_zelmora::farm_changed);
        run_modal(sheet);
    }
    if (view_) view_->on_update();
    farm_modified();
}

void doc_zelmora::show_rewrite_report(const rewrite_report& report) {
    if (!report.failed()) {
        dialog_error_list::show_modal(nullptr, "", "", report.text);
        return;
    }
    // A failed rewrite is an error, not an ordinary report.
    dialog_error_list::show_modal(nullptr, "Rewrite failed", "", report.text + report.read_errors);
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
        report = show_state_inputs(session.database(), current_state());
    }
    dialog_error_list::show_modal(nullptr, "", "", report);
}

void doc_zelmora::on_write_column_lookup() {
    if (!can_maintain()) return;
    if (!ask_yes_no(nullptr, rewrite_question(format_with_number("Rewrite [Lookup Column Number] for state %d?", current_state()), current_state(), path_), answer::no)) return;
    rewrite_report report;
    {
        wait_cursor busy;
        report = write_column_lookup(session.database(), current_state());
    }
    show_rewrite_report(report);
}

void doc_zelmora::on_write_column_lookup_all_states() {
    if (!can_maintain()) return;
    if (!ask_yes_no(nullptr, rewrite_question(QStringLiteral("Rewrite [Lookup Column Number] table, all states?"), 0, path_), answer::no)) return;
    rewrite_report report;
    {
        wait_cursor busy;
        report = write_column_lookup_all_states(session.database());
    }
    show_rewrite_report(report);
}

void doc_zelmora::on_write_county_list() {
    if (!can_maintain()) return;
    if (!ask_yes_no(nullptr, rewrite_question(format_with_number("Rewrite [County List] for state %d?", current_state()), current_state(), path_), answer::no)) return;
    rewrite_report report;
    {
        wait_cursor busy;
        report = write_county_list(session.database(), current_state());
    }
    // A rewrite that wrote without an error still says what it wrote (in this window only).
    if (!report.failed()) report.text += county_list_summary(session.database(), {current_state()});
    show_rewrite_report(report);
}

void doc_zelmora::on_write_all_county_lists() {
    if (!can_maintain()) return;
    if (!ask_yes_no(nullptr, rewrite_question(QStringLiteral("Rewrite [County List] for all states?"), 0, path_), answer::no)) return;
    rewrite_report report;
    {
        wait_cursor busy;
        report = write_all_county_lists(session.database());
    }
    if (!report.failed()) {
        report.text += county_list_summary(session.database(), std::vector<int>(rated_states.begin(), rated_states.end()));
    }
    show_rewrite_report(report);
}

void doc_zelmora::on_check_database() {
    if (!session.is_open()) return;
    database_check_result result;
    {
        wait_cursor busy;
        result = check_database(session.database(), path_);
    }
    // A report to read: OK closes it, there is nothing to cancel.
    dialog_error_list::show_modal(nullptr, result.problem_count > 0 || result.unreadable ? "Rating database problems"
                                                                                         : "Rating database checked",
                                  "", result.report, dialog_error_list::buttons::ok_only);
}

}  // namespace zelmora
