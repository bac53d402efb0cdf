#pragma once
// The application's main window: one window per open rating database, each
// with its farm; the menus, the toolbar, the status bar, the recent lists of
// rating databases and of farm files, and the About box.
#include <string>
#include <vector>

#include <QIcon>
#include <QMainWindow>

#include "utility/database_location.h"

class QAction;
class QLabel;
class QMdiArea;
class QMenu;

namespace zelmora {

class child_frame;
class compare_window;
class outcomes_window;
class doc_zelmora;

// The application's name on the desktop: its desktop entry, AppStream data and icon carry it.
inline constexpr const char* application_id = "com.terravane.zelmora";
// The application's icon in the sizes a title bar, a task bar and a menu draw it.
QIcon application_icon();
// Export Quote as PDF's suggestion: the farm's name with ".pdf", in the farm
// file's folder (an untitled farm's: the rating database's folder).
QString quote_pdf_suggestion(const doc_zelmora& document);
// The name with ".pdf" added unless it already ends in ".pdf" (any case).
QString with_pdf_suffix(const QString& path);

class main_frame : public QMainWindow {
    Q_OBJECT
public:
    explicit main_frame(QWidget* parent = nullptr);
    ~main_frame() override;

    // Opens a rating database as a further document; nullptr when it does not open.
    child_frame* open_document(const std::string& path);
    // At the start, when no rating database was found: says where it was looked
    // for, in the error list and then in the empty window, whose Open dialog
    // starts in the first of those folders.
    void show_database_not_found(const database_search& search);
    child_frame* active_frame() const;
    // The Compare Coverage window of a database's window, when it is open.
    static compare_window* comparison_of(const child_frame* frame);
    // The Outcomes window of a database's window, when it is open.
    static outcomes_window* outcomes_of(const child_frame* frame);
    QMdiArea* mdi_area() const { return mdi_; }
    const std::vector<std::string>& recent_files() const { return recent_files_; }

    static constexpr int recent_file_count = 4;

    // Opens a farm file into the active window (after asking to save its
    // changes); false when there is none, on Cancel, or when the file is refused.
    // A file another window holds is not opened twice: that window is activated.
    bool open_farm(const std::string& path);
    // The window whose farm is the file `path` names; nullptr when none.
    child_frame* frame_holding_farm(const std::string& path) const;
    // The status line's lasting text: "Ready", or that the active farm needs a county.
    QString status_note() const;
    // At the start: the farm file given, else the last farm file worked on (kept
    // quietly when it is gone), into the first window.
    void open_start_farm(const std::string& given_path);
    const std::vector<std::string>& recent_farms() const { return recent_farms_; }
    static constexpr int recent_farm_count = 4;

    // The Window menu: its fixed commands, then one entry per open document.
    QMenu* window_menu() const { return window_menu_; }
    // The text the empty main window shows while no database is open.
    QString empty_window_text() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void create_actions();
    void create_menus();
    void create_bars();
    void update_commands();
    void on_file_open();
    void on_about();
    void on_show_crops();
    void on_check_database();
    void on_print();
    void on_export_pdf();
    void on_farm_details();
    void on_compare_coverage();
    void on_outcomes();
    // Edit > Copy: a text field's selection, else the active database's comparison table.
    void on_copy();
    void on_open_farm();
    void add_recent_file(const std::string& path);
    void add_recent_farm(const std::string& path);
    void update_recent_farm_menu();
    void read_recent_files();
    void write_recent_files() const;
    void update_recent_menu();
    void update_window_menu();
    void update_empty_hint();
    void update_status_note();
    void on_user_guide();
    // The folder the Open dialog starts in: the active database's, else the last one looked for.
    QString open_folder() const;

    QMdiArea* mdi_ = nullptr;
    QAction* new_action_ = nullptr;
    QAction* open_action_ = nullptr;
    QAction* close_action_ = nullptr;
    QAction* new_farm_action_ = nullptr;
    QAction* open_farm_action_ = nullptr;
    QMenu* recent_farm_menu_ = nullptr;
    std::vector<QAction*> recent_farm_actions_;
    std::vector<std::string> recent_farms_;
    QAction* save_action_ = nullptr;
    QAction* save_as_action_ = nullptr;
    QAction* farm_details_action_ = nullptr;
    QAction* exit_action_ = nullptr;
    QAction* undo_action_ = nullptr;
    QAction* cut_action_ = nullptr;
    QAction* copy_action_ = nullptr;
    QAction* paste_action_ = nullptr;
    QAction* print_action_ = nullptr;
    QAction* export_pdf_action_ = nullptr;
    QAction* toolbar_action_ = nullptr;
    QAction* status_bar_action_ = nullptr;
    QAction* show_crops_action_ = nullptr;
    QAction* check_database_action_ = nullptr;
    QAction* compare_action_ = nullptr;
    QAction* outcomes_action_ = nullptr;
    QAction* new_window_action_ = nullptr;
    QAction* cascade_action_ = nullptr;
    QAction* tile_action_ = nullptr;
    QAction* arrange_action_ = nullptr;
    QAction* about_action_ = nullptr;
    QAction* user_guide_action_ = nullptr;
    QMenu* window_menu_ = nullptr;
    std::vector<QAction*> window_entries_;  // the open documents, after the fixed commands
    QLabel* empty_hint_ = nullptr;
    QLabel* status_note_ = nullptr;
    std::string looked_for_;        // the last database path that did not open
    std::string not_opened_text_;  // what the empty window says of it
    std::vector<QAction*> recent_actions_;
    QAction* recent_separator_ = nullptr;
    std::vector<std::string> recent_files_;
    bool first_document_ = true;
};

}  // namespace zelmora
