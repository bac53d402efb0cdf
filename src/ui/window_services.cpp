#include "ui/window_services.h"

#include <cstdio>

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVariant>

namespace zelmora {

namespace {

message_hook& message_replacement() {
    static message_hook hook;
    return hook;
}

question_hook& question_replacement() {
    static question_hook hook;
    return hook;
}

save_question_hook& save_question_replacement() {
    static save_question_hook hook;
    return hook;
}

file_name_hook& file_name_replacement() {
    static file_name_hook hook;
    return hook;
}

modal_hook& modal_replacement() {
    static modal_hook hook;
    return hook;
}

}  // namespace

int run_modal(QDialog& dialog) {
    if (modal_replacement()) return modal_replacement()(dialog);
    return dialog.exec();
}

void set_modal_hook(modal_hook hook) { modal_replacement() = std::move(hook); }

void set_control_id(QWidget* control, int id) { control->setProperty(control_id_property, id); }

int control_id(const QWidget* control) {
    const QVariant value = control->property(control_id_property);
    return value.isValid() ? value.toInt() : 0;
}

QWidget* find_control(QWidget* window, int id) {
    if (!window) return nullptr;
    if (control_id(window) == id) return window;
    const auto children = window->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (control_id(child) == id) return child;
    }
    return nullptr;
}

exchange_lock::exchange_lock(QWidget* window) {
    if (!window) return;
    const auto children = window->findChildren<QWidget*>();
    blocked_.reserve(static_cast<std::size_t>(children.size()));
    for (QWidget* child : children) {
        blocked_.emplace_back(child, child->blockSignals(true));
    }
}

exchange_lock::~exchange_lock() {
    for (auto& [object, previous] : blocked_) {
        if (object) object->blockSignals(previous);
    }
}

void set_message_hook(message_hook hook) { message_replacement() = std::move(hook); }
void set_question_hook(question_hook hook) { question_replacement() = std::move(hook); }

void show_message(QWidget* parent, const QString& text) {
    if (message_replacement()) {
        message_replacement()(text);
        return;
    }
    QMessageBox::information(parent, QApplication::applicationName(), text, QMessageBox::Ok);
}

bool ask_yes_no(QWidget* parent, const QString& text, answer default_answer) {
    if (question_replacement()) return question_replacement()(text);
    return QMessageBox::question(parent, QApplication::applicationName(), text, QMessageBox::Yes | QMessageBox::No,
                                 default_answer == answer::no ? QMessageBox::No : QMessageBox::Yes) ==
           QMessageBox::Yes;
}

void set_save_question_hook(save_question_hook hook) { save_question_replacement() = std::move(hook); }
void set_file_name_hook(file_name_hook hook) { file_name_replacement() = std::move(hook); }

save_choice ask_save_discard_cancel(QWidget* parent, const QString& text) {
    if (save_question_replacement()) return save_question_replacement()(text);
    // Over the window the user works in (at the exit, the main window), in front of it and with the focus.
    QWidget* owner = QApplication::activeWindow() ? QApplication::activeWindow() : (parent ? parent->window() : nullptr);
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, owner);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    box.button(QMessageBox::Save)->setText(QApplication::translate("window_services", "&Save"));
    box.button(QMessageBox::Discard)->setText(QApplication::translate("window_services", "&Discard"));
    box.show();
    box.raise();
    box.activateWindow();
    const int button = run_modal(box);
    if (button == QMessageBox::Save) return save_choice::save;
    return button == QMessageBox::Discard ? save_choice::discard : save_choice::cancel;
}

QString ask_file_name(QWidget* parent, file_dialog_kind kind, const QString& caption, const QString& start,
                      const QString& filter) {
    if (file_name_replacement()) return file_name_replacement()(caption, start);
    return kind == file_dialog_kind::open ? QFileDialog::getOpenFileName(parent, caption, start, filter)
                                          : QFileDialog::getSaveFileName(parent, caption, start, filter);
}

void fit_to_screen(QWidget* window, QSize wanted) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window->resize(wanted);
        return;
    }
    // Room for the title bar and the borders the window manager adds.
    const QSize frame_allowance(16, 40);
    const QRect available = screen->availableGeometry();
    const QSize size = wanted.boundedTo(available.size() - frame_allowance).expandedTo(QSize(1, 1));
    window->resize(size);
    const QRect placed(window->pos(), size + frame_allowance);
    if (window->isWindow() && window->testAttribute(Qt::WA_Moved) && !available.contains(placed))
        window->move(available.topLeft());
}

wait_cursor::wait_cursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
wait_cursor::~wait_cursor() { QApplication::restoreOverrideCursor(); }

QString format_with_number(const char* format, int number) {
    char text[128];
    std::snprintf(text, sizeof text, format, number);
    return QString::fromLatin1(text);
}

}  // namespace zelmora
