#pragma once
// Services every window of the application shares: controls found by their
// numeric id, the notification lock of data exchange, message boxes and
// confirmations that tests can answer without a modal run, and the texts
// between the rating library (single-byte std::string) and Qt.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QPointer>
#include <QString>
#include <QWidget>

class QDialog;

namespace zelmora {

// The dynamic property that carries a control's id.
inline constexpr const char* control_id_property = "control_id";

void set_control_id(QWidget* control, int id);

// Gives a new control its id and hands it back.
template <class T>
T* with_id(T* control, int id) {
    set_control_id(control, id);
    return control;
}
int control_id(const QWidget* control);  // 0 when the control has none
// The control of `window` (or the window itself) that carries `id`; nullptr when none.
QWidget* find_control(QWidget* window, int id);

template <class T>
T* find_control_as(QWidget* window, int id) {
    return qobject_cast<T*>(find_control(window, id));
}

inline QString to_qstring(const std::string& text) { return QString::fromStdString(text); }
// A message text with one integer in its C format ("... state %d?").
QString format_with_number(const char* format, int number);
inline std::string to_std(const QString& text) { return text.toStdString(); }

// Blocks the notifications of every control of a window while its data
// exchange runs; restores each control's previous state on destruction.
class exchange_lock {
public:
    explicit exchange_lock(QWidget* window);
    ~exchange_lock();
    exchange_lock(const exchange_lock&) = delete;
    exchange_lock& operator=(const exchange_lock&) = delete;

private:
    std::vector<std::pair<QPointer<QObject>, bool>> blocked_;
};

// A message box with an OK button.
void show_message(QWidget* parent, const QString& text);
// A Yes/No message box; true for Yes. Enter answers `default_answer`.
enum class answer { yes, no };
bool ask_yes_no(QWidget* parent, const QString& text, answer default_answer = answer::yes);

// Replacements of the two boxes above (tests answer them without a modal run).
using message_hook = std::function<void(const QString& text)>;
using question_hook = std::function<bool(const QString& text)>;
void set_message_hook(message_hook hook);
void set_question_hook(question_hook hook);

// The question before a farm with unsaved changes goes: Save, Discard or Cancel.
enum class save_choice { save, discard, cancel };
save_choice ask_save_discard_cancel(QWidget* parent, const QString& text);
using save_question_hook = std::function<save_choice(const QString& text)>;
void set_save_question_hook(save_question_hook hook);

// A file dialog: the chosen file, or an empty text when cancelled. Tests answer
// it with a hook (given the dialog's caption and the folder or file it starts at).
enum class file_dialog_kind { open, save };
QString ask_file_name(QWidget* parent, file_dialog_kind kind, const QString& caption, const QString& start,
                      const QString& filter);
using file_name_hook = std::function<QString(const QString& caption, const QString& start)>;
void set_file_name_hook(file_name_hook hook);

// Runs a dialog or property sheet modally and returns its result; tests
// replace the modal run to work the window and close it themselves.
using modal_hook = std::function<int(QDialog& dialog)>;
int run_modal(QDialog& dialog);
void set_modal_hook(modal_hook hook);

// Sizes a top-level window to `wanted`, or smaller to fit the available area
// of its screen (its frame's allowance kept free); a window that would reach
// past that area is moved into it.
void fit_to_screen(QWidget* window, QSize wanted);

// Shows the wait cursor for the life of the object.
class wait_cursor {
public:
    wait_cursor();
    ~wait_cursor();
    wait_cursor(const wait_cursor&) = delete;
    wait_cursor& operator=(const wait_cursor&) = delete;
};

}  // namespace zelmora
