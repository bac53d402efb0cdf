#pragma once
// Shows an accumulated text (load errors, maintenance reports) with
// "Copy Text", "OK" and "Cancel"; a report that only informs (the database
// check's) goes without "Cancel".
#include <functional>
#include <string>

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace zelmora {

class dialog_error_list : public QDialog {
    Q_OBJECT
public:
    enum class buttons { ok_and_cancel, ok_only };
    dialog_error_list(QWidget* parent, std::string title, std::string ok_caption, std::string text,
                      buttons shown = buttons::ok_and_cancel);

    const std::string& shown_text() const { return text_; }

    // Runs the dialog modally, or hands the text to the replacement when one is set.
    static void show_modal(QWidget* parent, const std::string& title, const std::string& ok_caption,
                           const std::string& text, buttons shown = buttons::ok_and_cancel);
    // Tests receive the text here instead of a modal run.
    using replacement = std::function<void(const std::string& text)>;
    static void set_replacement(replacement hook);

private:
    void load_dialog();
    void on_copy_text();

    QPushButton* copy_button_ = nullptr;
    QPushButton* ok_button_ = nullptr;
    QPlainTextEdit* text_field_ = nullptr;
    std::string text_;
    std::string title_;
    std::string ok_caption_;
};

}  // namespace zelmora
