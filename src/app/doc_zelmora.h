#pragma once
// A rating database opened as a document: its rating session with the windows'
// side of it (the error list of the opening, the "Show Crops" command and the
// maintenance commands with their confirmations), and the farm the window
// holds (a farm_model the form, the pages and Compare share), with the farm file
// it was opened from or saved to.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

#include "rating/farm.h"
#include "rating/farm_file.h"
#include "rating/quote_content.h"
#include "rating/rating_session.h"
#include "rating/table_maintenance.h"
#include "utility/database_location.h"
#include "utility/file_stamp.h"
#include "utility/settings_store.h"

namespace zelmora {

class farm_model;
class view_zelmora;

// What the windows say of a database that did not open, before the lines of the
// failure: the file, the folder it was looked for in, and how to get one.
std::string database_not_opened_text(const std::string& path);
// What they say when no rating database was found at the start: the file name,
// every folder looked in, and how to get one.
std::string database_not_found_text(const database_search& search);
// One line per state after a county list rewrite that reported no error:
// the state's name and the rows its "County List" now holds.
std::string county_list_summary(premium_database& db, const std::vector<int>& state_fipses);
// The confirmation of a rewrite: the question, then the state and the database file.
QString rewrite_question(const QString& question, int state_fips, const std::string& path);

class doc_zelmora : public QObject {
    Q_OBJECT
public:
    // Where the inputs are read at open and written at close; the user's store by default.
    using store_factory = std::function<std::unique_ptr<settings_store>()>;

    explicit doc_zelmora(store_factory stores = {});
    ~doc_zelmora() override;
    doc_zelmora(const doc_zelmora&) = delete;
    doc_zelmora& operator=(const doc_zelmora&) = delete;

    // The open sequence; false when the database does not connect. Load
    // failures after the connection are shown together in the error list.
    bool open_document(const std::string& path);
    // Makes the form store its fields into the farm before the document goes.
    void close_document();
    // An empty document cannot be made: File New does nothing.
    static bool new_document() { return false; }

    void attach_view(view_zelmora* form);
    void detach_view(view_zelmora* form);
    view_zelmora* view() const { return view_; }

    const std::string& path() const { return path_; }
    // The database file's name.
    std::string title() const;

    // The printable quote of the farm as it stands: a copy of it is rated, the farm is not.
    quote_content make_quote();
    // What the quote names the farm by.
    std::string quote_farm_name() const { return farm_display_name(); }

    // Whose farm it is and who quotes it: kept in the farm file and printed on
    // the quote. New details mark the farm changed like any input.
    const farm_details& details() const { return details_; }
    void set_details(const farm_details& details);
    // How the farm's expected payouts are estimated: kept in the farm file like
    // the details; new parameters mark the farm changed.
    const payout_model& payout_parameters() const { return payout_; }
    void set_payout_parameters(const payout_model& parameters);

    // The farm's file; empty while the farm is untitled.
    const std::string& farm_file_path() const { return farm_path_; }
    // "Untitled farm", or the farm file's base name ("iowa-farm").
    std::string farm_display_name() const;
    // The window's caption: the farm's name, its county and state, and the
    // place of the edit marker ("iowa-farm - Story, Iowa[*]").
    QString farm_title() const;

    // The farm's county is one of its state's. Without one (a change of state
    // whose county list has no county at the old one's place) nothing is rated,
    // and the farm is neither saved nor printed until a county is chosen.
    bool county_chosen() const;
    // "choose a county in Arkansas", as the caption and the status line say it.
    QString choose_county_text() const;

    // The farm differs from the one last opened, started or saved (the form's
    // fields stored first).
    bool farm_modified();
    // The form changed a field: the edit marker shows until the farm is saved
    // or proves equal to the saved one.
    void note_edit();
    bool edit_marked() const { return edit_marked_; }

    // Reads a farm file into the window. A refused file changes nothing: false
    // with the one-line reason the command line gives.
    bool open_farm(const std::string& path, std::string& error);
    // Writes the farm to `path` atomically and takes it as the farm's file;
    // false with the reason, the farm then keeps its file and its marker.
    bool save_farm(const std::string& path, std::string& error);
    // An untitled farm of the default inputs in the current state and county.
    void new_farm();
    // Discard of the save question: the farm, its details and the form go back
    // to the farm as last opened, started or saved, so that nothing of the
    // discarded edit reaches the settings store when the window goes.
    void discard_changes();
    // The farm's file on disk is no longer the one this window opened or last
    // saved: another window or program wrote it since (a file that is gone is
    // not counted: a save writes it again).
    bool farm_file_changed_on_disk() const;
    // The farm as it is now is the one saved (or opened): no edit marker.
    void take_farm_as_saved();
    // ... and also the one the document started with, which the settings
    // store need not be given again (after the form first stored its fields).
    void take_farm_as_opened();

    // What goes into the settings store when the document goes: its inputs and
    // its farm file, but only when its farm was changed while it was open (its
    // inputs or its file), or when `write_anyway` (the last active window when
    // no other one wrote). True when they were written.
    bool write_settings_on_close(bool write_anyway = false);
    // Whether the farm was changed since the document opened.
    bool farm_touched();

    // Commands.
    void on_show_crops();
    void on_show_state_inputs();
    void on_write_column_lookup();
    void on_write_column_lookup_all_states();
    void on_write_county_list();
    void on_write_all_county_lists();
    // Tools > Check Rating Database: the read-only check's report.
    void on_check_database();

    rating_session session;
    // The window's farm and its rating; null until the database opened.
    farm_model* model() const { return model_.get(); }

Q_SIGNALS:
    // The farm changed: a page of the property sheet stored an input, or its name,
    // county or edit marker may have changed.
    void farm_changed();

private:
    // The farm with the form's fields stored first.
    const farm& current_farm();
    // Puts another farm into the window (its tables' load errors shown).
    void take_farm(const farm& f);
    void reload_view();
    // A rewrite's report; a failed one shown as an error.
    void show_rewrite_report(const rewrite_report& report);
    std::unique_ptr<settings_store> make_store() const;
    bool can_maintain() const { return session.is_open() && model_ != nullptr; }
    int current_state() const;

    view_zelmora* view_ = nullptr;  // detaches itself when it goes
    store_factory stores_;
    std::string path_;
    std::unique_ptr<farm_model> model_;
    std::string farm_path_;
    file_stamp farm_stamp_;  // the farm file as opened or last saved here
    farm saved_farm_;   // the farm as last opened, started or saved
    farm opened_farm_;  // the farm when the document opened
    farm_details details_;
    farm_details saved_details_;  // the details as last opened, started or saved
    payout_model payout_;
    payout_model saved_payout_;   // the parameters as last opened, started or saved
    std::string opened_farm_path_;
    bool edit_marked_ = false;
    bool settings_written_ = false;  // the settings were written, or given up, once
};

// The settings store's keys of farm files: the last farm file worked on, and
// the four recent ones (apart from the rating databases' recent list).
inline constexpr const char* farm_file_section = "Farm Files";
inline constexpr const char* last_farm_key = "Last Farm";
inline constexpr const char* recent_farm_section = "Recent Farm List";

}  // namespace zelmora
