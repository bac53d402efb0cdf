#pragma once
// A rating database opened as a document: its rating session (connection,
// rater, calculator, surcharges, code lookups, malting barley endorsement) with
// the windows' side of it: the error list of the opening, the "Show Crops"
// command and the maintenance commands with their confirmations.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

#include "rating/quote_content.h"
#include "rating/rating_session.h"
#include "rating/table_maintenance.h"
#include "utility/settings_store.h"

namespace zelmora {

class view_zelmora;

// What the windows add after the lines of a database that did not open: the
// file looked for, where, and how to get one.
std::string database_not_opened_text(const std::string& path);
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
    // Makes the form store its fields into the calculator before the document goes.
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
    std::string quote_farm_name() const { return "Unsaved farm"; }

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

Q_SIGNALS:
    // The farm in the calculator changed (a page of the property sheet stored an input).
    void farm_changed();

private:
    // A rewrite's report; a failed one shown as an error.
    void show_rewrite_report(const rewrite_report& report);
    std::unique_ptr<settings_store> make_store() const;
    bool can_maintain() const { return session.database && session.continuous_rater; }
    int current_state() const { return session.calculator ? session.calculator->state_fips() : -1; }

    view_zelmora* view_ = nullptr;  // detaches itself when it goes
    store_factory stores_;
    std::string path_;
};

}  // namespace zelmora
