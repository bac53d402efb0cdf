#include "ui/dialog_error_list.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "ui/clipboard.h"
#include "ui/window_services.h"

namespace zelmora {

namespace {

dialog_error_list::replacement& replacement_hook() {
    static dialog_error_list::replacement hook;
    return hook;
}

}  // namespace

dialog_error_list::dialog_error_list(QWidget* parent, std::string title, std::string ok_caption, std::string text,
                                     buttons shown)
    : QDialog(parent), text_(std::move(text)), title_(std::move(title)), ok_caption_(std::move(ok_caption)) {
    setSizeGripEnabled(true);
    text_field_ = new QPlainTextEdit(this);
    set_control_id(text_field_, 29);
    text_field_->setReadOnly(true);
    text_field_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_field_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    text_field_->setFont(fixed);

    copy_button_ = new QPushButton(tr("Copy Text"), this);
    set_control_id(copy_button_, 36);
    ok_button_ = new QPushButton(tr("OK"), this);
    set_control_id(ok_button_, 1);
    ok_button_->setDefault(true);

    auto* row = new QHBoxLayout;
    row->addWidget(copy_button_);
    row->addStretch(1);
    row->addWidget(ok_button_);
    if (shown == buttons::ok_and_cancel) {
        auto* cancel_button = new QPushButton(tr("Cancel"), this);
        set_control_id(cancel_button, 2);
        connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);
        row->addWidget(cancel_button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_field_, 1);
    layout->addLayout(row);
    fit_to_screen(this, QSize(760, 480));

    connect(copy_button_, &QPushButton::clicked, this, &dialog_error_list::on_copy_text);
    connect(ok_button_, &QPushButton::clicked, this, &QDialog::accept);
    load_dialog();
}

void dialog_error_list::load_dialog() {
    exchange_lock lock(this);
    setWindowTitle(to_qstring(title_));
    // The field shows the lines without their carriage returns; "Copy Text" copies the text as it is.
    QString shown = to_qstring(text_);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text_field_->setPlainText(shown);
    QTextCursor cursor = text_field_->textCursor();
    cursor.movePosition(QTextCursor::End);
    text_field_->setTextCursor(cursor);
    text_field_->ensureCursorVisible();
    if (!ok_caption_.empty()) ok_button_->setText(to_qstring(ok_caption_));
    copy_button_->setEnabled(true);
}

void dialog_error_list::on_copy_text() { copy_text_to_clipboard(text_, this, clipboard_wording::error_list); }

void dialog_error_list::show_modal(QWidget* parent, const std::string& title, const std::string& ok_caption,
                                   const std::string& text, buttons shown) {
    if (replacement_hook()) {
        replacement_hook()(text);
        return;
    }
    dialog_error_list dialog(parent, title, ok_caption, text, shown);
    run_modal(dialog);
}

void dialog_error_list::set_replacement(replacement hook) { replacement_hook() = std::move(hook); }

}  // namespace zelmora
