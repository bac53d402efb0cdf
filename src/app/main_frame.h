#pragma once
// The application's main window: one window per open rating database, the
// menus, the toolbar, the status bar, the recent-file list and the About box.
#include <string>
#include <vector>

#include <QMainWindow>

class QAction;
class QMdiArea;
class QMenu;

namespace zelmora {

class child_frame;
class doc_zelmora;

class main_frame : public QMainWindow {
    Q_OBJECT
public:
    explicit main_frame(QWidget* parent = nullptr);
    ~main_frame() override;

    // Opens a rating database as a further document; nullptr when it does not open.
    child_frame* open_document(const std::string& path);
    child_frame* active_frame() const;
    QMdiArea* mdi_area() const { return mdi_; }
    const std::vector<std::string>& recent_files() const { return recent_files_; }

    static constexpr int recent_file_count = 4;

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
    void add_recent_file(const std::string& path);
    void read_recent_files();
    void write_recent_files() const;
    void update_recent_menu();

    QMdiArea* mdi_ = nullptr;
    QAction* new_action_ = nullptr;
    QAction* open_action_ = nullptr;
    QAction* close_action_ = nullptr;
    QAction* save_action_ = nullptr;
    QAction* save_as_action_ = nullptr;
    QAction* exit_action_ = nullptr;
    QAction* undo_action_ = nullptr;
    QAction* cut_action_ = nullptr;
    QAction* copy_action_ = nullptr;
    QAction* paste_action_ = nullptr;
    QAction* print_action_ = nullptr;
    QAction* toolbar_action_ = nullptr;
    QAction* status_bar_action_ = nullptr;
    QAction* show_crops_action_ = nullptr;
    QAction* new_window_action_ = nullptr;
    QAction* cascade_action_ = nullptr;
    QAction* tile_action_ = nullptr;
    QAction* arrange_action_ = nullptr;
    QAction* about_action_ = nullptr;
    std::vector<QAction*> recent_actions_;
    QAction* recent_separator_ = nullptr;
    std::vector<std::string> recent_files_;
    bool first_document_ = true;
};

}  // namespace zelmora
