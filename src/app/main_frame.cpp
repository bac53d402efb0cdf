#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <cstdio>

#include "app/child_frame.h"
#include "app/dialog_about.h"
#include "app/doc_zelmora.h"
#include "app/view_zelmora.h"
#include "qtsupport/qsettings_store.h"
#include "quote/quote_document.h"
#include "app/user_guide.h"
#include "data/demo_database.h"
#include "ui/compare_window.h"
#include "ui/outcomes_window.h"
#include "ui/farm_model.h"
#include "ui/dialog_error_list.h"
#include "ui/dialog_farm_details.h"
#include "ui/window_services.h"

namespace zelmora {

namespace {

constexpr const char* recent_section = "Recent File List";

QIcon theme_icon(const char* name, QStyle* style, QStyle::StandardPixmap fallback) {
    QIcon icon = QIcon::fromTheme(QString::fromLatin1(name));
    return icon.isNull() ? style->standardIcon(fallback) : icon;
}

// The theme's icon or none: the toolbar then shows the command's name alone.
QIcon theme_icon(const char* name) { return QIcon::fromTheme(QString::fromLatin1(name)); }

}  // namespace

QIcon application_icon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/%2.png").arg(size).arg(QString::fromLatin1(application_id)),
                     QSize(size, size));
    return icon;
}

main_frame::main_frame(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Zelmora 2004"));
    setWindowIcon(application_icon());
    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    create_actions();
    create_menus();
    create_bars();
    read_recent_files();
    update_recent_menu();
    update_recent_farm_menu();
    connect(mdi_, &QMdiArea::subWindowActivated, this, &main_frame::update_commands);
    // While no database is open the empty area says how to get one.
    empty_hint_ = new QLabel(mdi_->viewport());
    empty_hint_->setWordWrap(true);
    empty_hint_->setAlignment(Qt::AlignCenter);
    empty_hint_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* hint_layout = new QVBoxLayout(mdi_->viewport());
    hint_layout->setContentsMargins(40, 40, 40, 40);
    hint_layout->addWidget(empty_hint_);
    update_commands();
    fit_to_screen(this, QSize(1240, 760));
}

main_frame::~main_frame() {
    // The document windows (closed ones waiting for deletion among them) go after this part of
    // the frame: they close their documents now and no longer call the frame.
    mdi_->disconnect(this);
    const auto frames = findChildren<child_frame*>();
    for (child_frame* frame : frames) {
        frame->disconnect(this);
        if (frame->view()) frame->view()->disconnect(this);
        frame->close_document();
    }
}

void main_frame::create_actions() {
    QStyle* s = style();
    auto make = [this](const QString& text, const QString& tip) {
        auto* action = new QAction(text, this);
        action->setStatusTip(tip);
        return action;
    };
    // A rating database is a document of its own, opened with Open; a farm is started with New Farm.
    new_action_ = make(tr("&New"), tr("Makes nothing: rating databases are opened with Open, and farms started "
                                      "with New Farm"));
    new_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    open_action_ = make(tr("&Open..."), tr("Open an existing rating database"));
    open_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    open_action_->setIcon(theme_icon("document-open", s, QStyle::SP_DialogOpenButton));
    new_farm_action_ = make(tr("New &Farm"), tr("Start a farm of the default inputs in the same state and county"));
    new_farm_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    open_farm_action_ = make(tr("Open Far&m..."), tr("Open a farm file in the active window"));
    open_farm_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    close_action_ = make(tr("&Close"), tr("Close the active document"));
    save_action_ = make(tr("&Save"), tr("Save the active window's farm in its farm file"));
    save_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    save_action_->setIcon(theme_icon("document-save", s, QStyle::SP_DialogSaveButton));
    save_as_action_ = make(tr("Save &As..."), tr("Save the active window's farm in a farm file of a new name"));
    farm_details_action_ = make(tr("Farm &Details..."),
                                tr("Enter the producer, the agent and a note, printed at the top of the quote"));
    exit_action_ = make(tr("E&xit"), tr("Quit the application; the inputs are saved"));
    undo_action_ = make(tr("&Undo"), tr("Undo the last action"));
    undo_action_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    cut_action_ = make(tr("Cu&t"), tr("Cut the selection and put it on the Clipboard"));
    cut_action_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    cut_action_->setIcon(theme_icon("edit-cut"));
    copy_action_ = make(tr("&Copy"), tr("Copy the selection and put it on the Clipboard"));
    copy_action_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    copy_action_->setIcon(theme_icon("edit-copy"));
    paste_action_ = make(tr("&Paste"), tr("Insert Clipboard contents"));
    paste_action_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    paste_action_->setIcon(theme_icon("edit-paste"));
    print_action_ = make(tr("&Print..."), tr("Print the quote of the active document's farm"));
    print_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    print_action_->setIcon(theme_icon("document-print"));
    print_action_->setIconText(tr("Print"));
    export_pdf_action_ = make(tr("&Export Quote as PDF..."), tr("Write the quote of the active document's farm to a PDF file"));
    toolbar_action_ = make(tr("&Toolbar"), tr("Show or hide the toolbar"));
    status_bar_action_ = make(tr("&Status Bar"), tr("Show or hide the status bar"));
    show_crops_action_ = make(tr("Show Crops"), tr("Enter the units of every crop and see their premiums"));
    show_crops_action_->setIcon(theme_icon("x-office-spreadsheet", s, QStyle::SP_FileDialogDetailedView));
    compare_action_ = make(tr("Compare C&overage"),
                           tr("Compare the premiums of every coverage level and unit structure for the farm"));
    compare_action_->setIcon(theme_icon("view-statistics"));
    outcomes_action_ = make(tr("O&utcomes"), tr("See what the farm's coverage pays by harvest price and yield, and "
                                                "its expected payouts"));
    new_window_action_ = make(tr("&New Window"), tr("Open another window for the active document"));
    cascade_action_ = make(tr("&Cascade"), tr("Arrange windows so they overlap"));
    tile_action_ = make(tr("&Tile"), tr("Arrange windows as non-overlapping tiles"));
    arrange_action_ = make(tr("&Arrange Icons"), tr("Arrange icons at the bottom of the window"));
    about_action_ = make(tr("&About Zelmora 2004..."), tr("Display program information, version number and build date"));
    user_guide_action_ = make(tr("&User Guide"), tr("Read how to quote a farm with this application"));
    user_guide_action_->setShortcut(QKeySequence(Qt::Key_F1));
    check_database_action_ = make(tr("&Check Rating Database"),
                                  tr("Check the rating database of the active window before quoting from it"));

    // The form has no undo; Edit's Cut and Paste work inside each field.
    for (QAction* idle : {undo_action_, cut_action_, paste_action_, new_window_action_, arrange_action_}) {
        idle->setEnabled(false);
    }

    connect(new_action_, &QAction::triggered, this, [] { doc_zelmora::new_document(); });
    connect(open_action_, &QAction::triggered, this, &main_frame::on_file_open);
    connect(new_farm_action_, &QAction::triggered, this, [this] {
        if (child_frame* frame = active_frame()) frame->new_farm();
    });
    connect(open_farm_action_, &QAction::triggered, this, &main_frame::on_open_farm);
    connect(save_action_, &QAction::triggered, this, [this] {
        if (child_frame* frame = active_frame()) frame->save();
    });
    connect(save_as_action_, &QAction::triggered, this, [this] {
        if (child_frame* frame = active_frame()) frame->save_as();
    });
    connect(farm_details_action_, &QAction::triggered, this, &main_frame::on_farm_details);
    connect(close_action_, &QAction::triggered, mdi_, &QMdiArea::closeActiveSubWindow);
    connect(exit_action_, &QAction::triggered, this, &QWidget::close);
    connect(show_crops_action_, &QAction::triggered, this, &main_frame::on_show_crops);
    connect(check_database_action_, &QAction::triggered, this, &main_frame::on_check_database);
    connect(print_action_, &QAction::triggered, this, &main_frame::on_print);
    connect(export_pdf_action_, &QAction::triggered, this, &main_frame::on_export_pdf);
    connect(compare_action_, &QAction::triggered, this, &main_frame::on_compare_coverage);
    connect(outcomes_action_, &QAction::triggered, this, &main_frame::on_outcomes);
    connect(copy_action_, &QAction::triggered, this, &main_frame::on_copy);
    connect(cascade_action_, &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
    connect(tile_action_, &QAction::triggered, mdi_, &QMdiArea::tileSubWindows);
    connect(about_action_, &QAction::triggered, this, &main_frame::on_about);
    connect(user_guide_action_, &QAction::triggered, this, &main_frame::on_user_guide);

    for (int i = 0; i < recent_file_count; ++i) {
        auto* action = new QAction(this);
        action->setVisible(false);
        connect(action, &QAction::triggered, this, [this, i] {
            if (static_cast<std::size_t>(i) < recent_files_.size()) {
                const std::string path = recent_files_[static_cast<std::size_t>(i)];
                open_document(path);
            }
        });
        recent_actions_.push_back(action);
    }

    for (int i = 0; i < recent_farm_count; ++i) {
        auto* action = new QAction(this);
        action->setVisible(false);
        connect(action, &QAction::triggered, this, [this, i] {
            if (static_cast<std::size_t>(i) < recent_farms_.size()) {
                const std::string path = recent_farms_[static_cast<std::size_t>(i)];
                open_farm(path);
            }
        });
        recent_farm_actions_.push_back(action);
    }

    auto* next_pane = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(next_pane, &QShortcut::activated, mdi_, &QMdiArea::activateNextSubWindow);
    auto* previous_pane = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this);
    connect(previous_pane, &QShortcut::activated, mdi_, &QMdiArea::activatePreviousSubWindow);
}

void main_frame::create_menus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(new_action_);
    file->addAction(open_action_);
    file->addSeparator();
    file->addAction(new_farm_action_);
    file->addAction(open_farm_action_);
    recent_farm_menu_ = file->addMenu(tr("Recent Fa&rms"));
    for (QAction* action : recent_farm_actions_) recent_farm_menu_->addAction(action);
    file->addSeparator();
    file->addAction(close_action_);
    file->addAction(save_action_);
    file->addAction(save_as_action_);
    file->addAction(farm_details_action_);
    file->addSeparator();
    file->addAction(print_action_);
    file->addAction(export_pdf_action_);
    file->addSeparator();
    for (QAction* action : recent_actions_) file->addAction(action);
    recent_separator_ = file->addSeparator();
    file->addAction(exit_action_);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(undo_action_);
    edit->addSeparator();
    edit->addAction(cut_action_);
    edit->addAction(copy_action_);
    edit->addAction(paste_action_);

    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->addAction(toolbar_action_);
    view->addAction(status_bar_action_);
    view->addAction(show_crops_action_);
    view->addAction(compare_action_);
    view->addAction(outcomes_action_);

    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    tools->addAction(check_database_action_);

    window_menu_ = menuBar()->addMenu(tr("&Window"));
    window_menu_->addAction(new_window_action_);
    window_menu_->addAction(cascade_action_);
    window_menu_->addAction(tile_action_);
    window_menu_->addAction(arrange_action_);
    connect(window_menu_, &QMenu::aboutToShow, this, &main_frame::update_window_menu);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(user_guide_action_);
    help->addSeparator();
    help->addAction(about_action_);
}

void main_frame::create_bars() {
    QToolBar* tools = addToolBar(tr("Standard"));
    tools->setObjectName(QStringLiteral("toolbar"));
    tools->setMovable(true);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tools->addAction(save_action_);
    tools->addSeparator();
    tools->addAction(cut_action_);
    tools->addAction(copy_action_);
    tools->addAction(paste_action_);
    tools->addSeparator();
    tools->addAction(print_action_);
    tools->addAction(show_crops_action_);
    tools->addAction(compare_action_);

    toolbar_action_->setCheckable(true);
    toolbar_action_->setChecked(true);
    connect(toolbar_action_, &QAction::toggled, tools, &QWidget::setVisible);
    status_bar_action_->setCheckable(true);
    status_bar_action_->setChecked(true);
    connect(status_bar_action_, &QAction::toggled, statusBar(), &QWidget::setVisible);

    status_note_ = new QLabel(tr("Ready"), this);
    statusBar()->addWidget(status_note_, 1);
}

child_frame* main_frame::active_frame() const {
    QMdiSubWindow* active = mdi_->activeSubWindow();
    if (!active && !mdi_->subWindowList().isEmpty()) active = mdi_->subWindowList().constLast();
    return qobject_cast<child_frame*>(active);
}

void main_frame::update_commands() {
    child_frame* frame = active_frame();
    const bool has_document = frame && frame->document();
    close_action_->setEnabled(has_document);
    for (QAction* farm_command : {new_farm_action_, open_farm_action_, save_action_, save_as_action_, farm_details_action_})
        farm_command->setEnabled(has_document);
    recent_farm_menu_->setEnabled(has_document && !recent_farms_.empty());
    show_crops_action_->setEnabled(has_document);
    check_database_action_->setEnabled(has_document);
    print_action_->setEnabled(has_document);
    export_pdf_action_->setEnabled(has_document);
    compare_action_->setEnabled(has_document);
    outcomes_action_->setEnabled(has_document);
    copy_action_->setEnabled(has_document);
    cascade_action_->setEnabled(has_document);
    tile_action_->setEnabled(has_document);
    // A maximised document window adds " - [name]" to this caption itself; a restored one shows its own caption.
    if (windowTitle().isEmpty()) setWindowTitle(QStringLiteral("Zelmora 2004"));
    update_window_menu();
    update_empty_hint();
    update_status_note();
}

void main_frame::update_status_note() {
    if (!status_note_) return;
    child_frame* frame = active_frame();
    // While the active farm has no county, the status line keeps saying so.
    if (frame && frame->document() && frame->document()->model() && !frame->document()->county_chosen()) {
        QString text = frame->document()->choose_county_text();
        text[0] = text[0].toUpper();
        status_note_->setText(text + tr(": nothing is rated until one is chosen"));
    } else {
        status_note_->setText(tr("Ready"));
    }
}

void main_frame::on_print() {
    child_frame* frame = active_frame();
    if (!frame || !frame->document() || !frame->farm_ready(tr("The quote cannot be printed"))) return;
    const quote_content quote = frame->document()->make_quote();
    QPrinter printer(QPrinter::HighResolution);
    // The paper of the PDF and the command line, unless the dialog picks another.
    printer.setPageLayout(quote_page_layout());
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(tr("Print Quote"));
    if (run_modal(dialog) != QDialog::Accepted) return;
    QString error;
    if (!render_quote(quote, printer, error)) QMessageBox::warning(this, tr("Print Quote"), error);
}

QString quote_pdf_suggestion(const doc_zelmora& document) {
    const std::string& farm = document.farm_file_path();
    const QString folder = !farm.empty() ? QFileInfo(to_qstring(farm)).absolutePath()
                                         : QFileInfo(to_qstring(document.path())).absolutePath();
    return QDir(folder).filePath(to_qstring(document.farm_display_name()) + QStringLiteral(".pdf"));
}

QString with_pdf_suffix(const QString& path) {
    if (QFileInfo(path).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0) return path;
    return path + QStringLiteral(".pdf");
}

void main_frame::on_export_pdf() {
    child_frame* frame = active_frame();
    if (!frame || !frame->document() || !frame->farm_ready(tr("The quote cannot be exported"))) return;
    const QString chosen = ask_file_name(this, file_dialog_kind::save, tr("Export Quote as PDF"),
                                         quote_pdf_suggestion(*frame->document()), tr("PDF files (*.pdf)"));
    if (chosen.isEmpty()) return;
    // A file that is there (the dialog asked before it is replaced; a device such
    // as a printer's) keeps its name; a new one gets ".pdf".
    const QString path = QFileInfo::exists(chosen) ? chosen : with_pdf_suffix(chosen);
    // The file dialog asked about the name it was given, not about the one with ".pdf" added.
    if (path != chosen && QFileInfo::exists(path) &&
        !ask_yes_no(this, tr("%1 already exists.\n\nReplace it?").arg(QDir::toNativeSeparators(path)), answer::no))
        return;
    // Written whole or not at all: a file that was there stays when the write fails.
    QString error;
    if (!write_quote_pdf(frame->document()->make_quote(), path, error)) {
        show_message(this, error);
        return;
    }
    statusBar()->showMessage(tr("Quote written to %1").arg(QDir::toNativeSeparators(path)), 15000);
}

void main_frame::on_farm_details() {
    child_frame* frame = active_frame();
    if (!frame || !frame->document()) return;
    dialog_farm_details dialog(frame->document()->details(), this);
    if (run_modal(dialog) != QDialog::Accepted) return;
    frame->document()->set_details(dialog.details());
}

void main_frame::update_window_menu() {
    for (QAction* entry : window_entries_) {
        window_menu_->removeAction(entry);
        entry->deleteLater();
    }
    window_entries_.clear();
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    if (windows.isEmpty()) return;
    window_entries_.push_back(window_menu_->addSeparator());
    QMdiSubWindow* active = mdi_->activeSubWindow();
    int number = 0;
    for (QMdiSubWindow* window : windows) {
        ++number;
        // The caption as its window shows it: the edit marker's place holds "*" or nothing.
        QString title = window->windowTitle();
        title.replace(QStringLiteral("[*]"), window->isWindowModified() ? QStringLiteral("*") : QString());
        const QString text = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(title)
                                         : QStringLiteral("%1 %2").arg(number).arg(title);
        QAction* entry = window_menu_->addAction(text);
        entry->setCheckable(true);
        entry->setChecked(window == active);
        connect(entry, &QAction::triggered, this, [this, target = QPointer<QMdiSubWindow>(window)] {
            if (target) mdi_->setActiveSubWindow(target);
        });
        window_entries_.push_back(entry);
    }
}

QString main_frame::status_note() const { return status_note_ ? status_note_->text() : QString(); }

QString main_frame::empty_window_text() const {
    QString text = tr("No rating database is open.");
    if (!not_opened_text_.empty()) text += QStringLiteral("\n") + to_qstring(not_opened_text_).trimmed();
    else text += QStringLiteral("\n") + tr("File > Open opens a rating database.");
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void main_frame::update_empty_hint() {
    if (!empty_hint_) return;
    const bool empty = mdi_->subWindowList().isEmpty();
    if (empty) empty_hint_->setText(empty_window_text());
    empty_hint_->setVisible(empty);
}

QString main_frame::open_folder() const {
    child_frame* frame = active_frame();
    const std::string& path = frame && frame->document() ? frame->document()->path() : looked_for_;
    if (path.empty()) return {};
    return QFileInfo(to_qstring(path)).absolutePath();
}

void main_frame::on_user_guide() { show_user_guide(this); }

child_frame* main_frame::open_document(const std::string& path) {
    auto document = std::make_unique<doc_zelmora>();
    if (!document->open_document(path)) {
        looked_for_ = path;
        not_opened_text_ = database_not_opened_text(path);
        update_empty_hint();
        return nullptr;
    }
    auto* frame = new child_frame(std::move(document));
    mdi_->addSubWindow(frame);
    connect(frame, &QObject::destroyed, this, [this] { update_commands(); }, Qt::QueuedConnection);
    connect(frame, &child_frame::farm_file_used, this,
            [this](const QString& farm_path) { add_recent_farm(to_std(farm_path)); });
    connect(frame->document(), &doc_zelmora::farm_changed, this, &main_frame::update_window_menu);
    connect(frame->document(), &doc_zelmora::farm_changed, this, &main_frame::update_status_note);
    connect(frame->view(), &view_zelmora::status_message, this,
            [this](const QString& text) { statusBar()->showMessage(text, 8000); });
    frame->showMaximized();
    frame->view()->initial_update();
    first_document_ = false;
    add_recent_file(path);
    update_commands();
    return frame;
}

void main_frame::show_database_not_found(const database_search& search) {
    if (!search.folders.empty())
        looked_for_ = to_std(QDir(to_qstring(search.folders.front())).filePath(QString::fromLatin1(premium_database_file_name)));
    not_opened_text_ = database_not_found_text(search);
    dialog_error_list::show_modal(nullptr, "", "", not_opened_text_);
    update_empty_hint();
}

void main_frame::on_file_open() {
    const QString chosen = QFileDialog::getOpenFileName(this, tr("Open"), open_folder(), tr("All Files (*)"));
    if (chosen.isEmpty()) return;
    open_document(to_std(chosen));
}

child_frame* main_frame::frame_holding_farm(const std::string& path) const {
    const QFileInfo wanted(to_qstring(path));
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
        auto* frame = qobject_cast<child_frame*>(window);
        if (!frame || !frame->document() || frame->document()->farm_file_path().empty()) continue;
        const QFileInfo held(to_qstring(frame->document()->farm_file_path()));
        // The same file by any of its names (a relative one, a symbolic link).
        const bool same = wanted.exists() && held.exists() ? wanted.canonicalFilePath() == held.canonicalFilePath()
                                                           : wanted.absoluteFilePath() == held.absoluteFilePath();
        if (same) return frame;
    }
    return nullptr;
}

bool main_frame::open_farm(const std::string& path) {
    child_frame* frame = active_frame();
    if (!frame) return false;
    // One farm file, one window: a file another window holds is shown there.
    if (child_frame* holder = frame_holding_farm(path); holder && holder != frame) {
        mdi_->setActiveSubWindow(holder);
        statusBar()->showMessage(tr("%1 is open in this window").arg(QFileInfo(to_qstring(path)).fileName()), 8000);
        return true;
    }
    return frame->open_farm(path);
}

void main_frame::on_open_farm() {
    child_frame* frame = active_frame();
    if (!frame || !frame->document()) return;
    QString folder = open_folder();
    if (!frame->document()->farm_file_path().empty())
        folder = QFileInfo(to_qstring(frame->document()->farm_file_path())).absolutePath();
    else if (!recent_farms_.empty())
        folder = QFileInfo(to_qstring(recent_farms_.front())).absolutePath();
    const QString chosen = ask_file_name(this, file_dialog_kind::open, tr("Open Farm"), folder,
                                         tr("Farm files (*.ini);;All Files (*)"));
    if (chosen.isEmpty()) return;
    open_farm(to_std(chosen));
}

void main_frame::open_start_farm(const std::string& given_path) {
    child_frame* frame = active_frame();
    if (!frame || !frame->document()) return;
    if (!given_path.empty()) {
        open_farm(given_path);
        return;
    }
    qsettings_store store;
    const std::string last = store.read_text(farm_file_section, last_farm_key, "");
    if (last.empty()) return;
    std::string error;
    if (frame->document()->open_farm(last, error)) {
        // Reopened as it was left: nothing for the settings store to take back.
        frame->document()->take_farm_as_opened();
        add_recent_farm(last);
    } else {
        statusBar()->showMessage(to_qstring(error), 8000);
    }
}

void main_frame::on_show_crops() {
    child_frame* frame = active_frame();
    if (frame && frame->document()) frame->document()->on_show_crops();
}

void main_frame::on_check_database() {
    child_frame* frame = active_frame();
    if (frame && frame->document()) frame->document()->on_check_database();
}

compare_window* main_frame::comparison_of(const child_frame* frame) {
    return frame ? frame->findChild<compare_window*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void main_frame::on_compare_coverage() {
    child_frame* frame = active_frame();
    if (!frame || !frame->document() || !frame->view()) return;
    if (compare_window* open = comparison_of(frame)) {
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    view_zelmora* form = frame->view();
    farm_model* model = frame->document()->model();
    if (model == nullptr) return;
    form->store_inputs();
    // A window of its own, owned by the database's window: it goes when the database closes.
    auto* window = new compare_window(model, frame);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Named after the farm it compares, and renamed with it (Save As, Open Farm, New Farm).
    doc_zelmora* document = frame->document();
    const auto name_window = [window, document] {
        window->setWindowTitle(tr("Compare Coverage - %1").arg(to_qstring(document->farm_display_name())));
    };
    name_window();
    connect(document, &doc_zelmora::farm_changed, window, name_window);
    // Every change of the farm (a page, a dialog, the form, another farm opened) rates the copies once.
    connect(model, &farm_model::changed, window, &compare_window::refresh);
    connect(form, &view_zelmora::inputs_changed, window, [form] { form->store_inputs(); });
    connect(frame->document(), &QObject::destroyed, window, [window] {
        window->detach();
        window->close();
    });
    connect(window, &compare_window::status_message, this,
            [this](const QString& text) { statusBar()->showMessage(text, 8000); });
    window->show();
}

outcomes_window* main_frame::outcomes_of(const child_frame* frame) {
    return frame ? frame->findChild<outcomes_window*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void main_frame::on_outcomes() {
    child_frame* frame = active_frame();
    if (!frame || !frame->document() || !frame->view()) return;
    if (outcomes_window* open = outcomes_of(frame)) {
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    view_zelmora* form = frame->view();
    doc_zelmora* document = frame->document();
    farm_model* model = document->model();
    if (model == nullptr) return;
    form->store_inputs();
    // Like Compare Coverage: a window of its own that follows the farm; the
    // model's parameters go into the document like the farm's details.
    auto* window = new outcomes_window(model, document->payout_parameters(), frame);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(tr("Outcomes - %1").arg(to_qstring(document->title())));
    connect(model, &farm_model::changed, window, [window, document] {
        window->set_parameters(document->payout_parameters());
        window->refresh();
    });
    // Another farm opened with the same inputs still brings its own parameters.
    connect(document, &doc_zelmora::farm_changed, window,
            [window, document] { window->set_parameters(document->payout_parameters()); });
    connect(window, &outcomes_window::parameters_edited, document, &doc_zelmora::set_payout_parameters);
    connect(form, &view_zelmora::inputs_changed, window, [form] { form->store_inputs(); });
    connect(document, &QObject::destroyed, window, [window] {
        window->detach();
        window->close();
    });
    connect(window, &outcomes_window::status_message, this,
            [this](const QString& text) { statusBar()->showMessage(text, 8000); });
    window->show();
}

void main_frame::on_copy() {
    // A text field keeps Edit > Copy for its selection.
    if (auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget()); field && field->hasSelectedText()) {
        field->copy();
        return;
    }
    if (compare_window* window = comparison_of(active_frame()); window && window->copy_to_clipboard()) return;
    statusBar()->showMessage(tr("Nothing to copy: select text in a field, or open View > Compare Coverage; "
                                "a page of Show Crops copies its worksheet with Ctrl+C"),
                             8000);
}

void main_frame::on_about() {
    child_frame* frame = active_frame();
    premium_database* database = frame && frame->document() && frame->document()->session.is_open()
                                     ? &frame->document()->session.database()
                                     : nullptr;
    dialog_about about(this, database != nullptr && is_demo_database(*database));
    run_modal(about);
}

void main_frame::add_recent_file(const std::string& path) {
    const std::string full = to_std(QFileInfo(to_qstring(path)).absoluteFilePath());
    std::erase(recent_files_, full);
    recent_files_.insert(recent_files_.begin(), full);
    if (recent_files_.size() > recent_file_count) recent_files_.resize(recent_file_count);
    update_recent_menu();
}

void main_frame::add_recent_farm(const std::string& path) {
    const std::string full = to_std(QFileInfo(to_qstring(path)).absoluteFilePath());
    std::erase(recent_farms_, full);
    recent_farms_.insert(recent_farms_.begin(), full);
    if (recent_farms_.size() > recent_farm_count) recent_farms_.resize(recent_farm_count);
    update_recent_farm_menu();
}

void main_frame::read_recent_files() {
    qsettings_store store;
    recent_files_.clear();
    for (int i = 1; i <= recent_file_count; ++i) {
        const std::string path = store.read_text(recent_section, "File" + std::to_string(i), "");
        if (!path.empty()) recent_files_.push_back(path);
    }
    recent_farms_.clear();
    for (int i = 1; i <= recent_farm_count; ++i) {
        const std::string path = store.read_text(recent_farm_section, "Farm" + std::to_string(i), "");
        if (!path.empty()) recent_farms_.push_back(path);
    }
}

void main_frame::write_recent_files() const {
    qsettings_store store;
    for (int i = 1; i <= recent_file_count; ++i) {
        const auto at = static_cast<std::size_t>(i - 1);
        store.write_text(recent_section, "File" + std::to_string(i), at < recent_files_.size() ? recent_files_[at] : "");
    }
    for (int i = 1; i <= recent_farm_count; ++i) {
        const auto at = static_cast<std::size_t>(i - 1);
        store.write_text(recent_farm_section, "Farm" + std::to_string(i),
                         at < recent_farms_.size() ? recent_farms_[at] : "");
    }
}

void main_frame::update_recent_farm_menu() {
    for (std::size_t i = 0; i < recent_farm_actions_.size(); ++i) {
        QAction* action = recent_farm_actions_[i];
        if (i < recent_farms_.size()) {
            const QString name = QFileInfo(to_qstring(recent_farms_[i])).fileName();
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
            action->setStatusTip(to_qstring(recent_farms_[i]));
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
    if (recent_farm_menu_) recent_farm_menu_->setEnabled(active_frame() && !recent_farms_.empty());
}

void main_frame::update_recent_menu() {
    for (std::size_t i = 0; i < recent_actions_.size(); ++i) {
        QAction* action = recent_actions_[i];
        if (i < recent_files_.size()) {
            const QString name = QFileInfo(to_qstring(recent_files_[i])).fileName();
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
            action->setStatusTip(to_qstring(recent_files_[i]));
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
    if (recent_separator_) recent_separator_->setVisible(true);
}

void main_frame::closeEvent(QCloseEvent* event) {
    std::vector<child_frame*> frames;
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
        if (auto* frame = qobject_cast<child_frame*>(window)) frames.push_back(frame);
    }
    // Every farm with unsaved changes is saved or discarded first; Cancel keeps them all open.
    for (child_frame* frame : frames) {
        if (!frame->maybe_save()) {
            event->ignore();
            return;
        }
    }
    // Only a window whose farm was changed writes its inputs to the settings
    // store, the active one last so that its farm is the one kept; when none
    // was changed, the active one writes.
    child_frame* active = active_frame();
    bool written = false;
    for (child_frame* frame : frames) {
        if (frame != active) written = frame->close_document() || written;
    }
    if (active) active->close_document(!written);
    mdi_->closeAllSubWindows();
    write_recent_files();
    event->accept();
}

}  // namespace zelmora
