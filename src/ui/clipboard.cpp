#include "ui/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>

#include <cstdio>
#include <new>

#include "ui/window_services.h"

namespace zelmora {

bool copy_text_to_clipboard(const std::string& text, QWidget* owner, clipboard_wording wording) {
    const bool page = wording == clipboard_wording::page;
    QString clip_text;
    try {
        clip_text = to_qstring(text);
    } catch (const std::bad_alloc&) {
        show_message(owner, page ? QStringLiteral("No memory for clipboard text")
                                 : QStringLiteral("Unable to allocate memory for clipboard text"));
        return false;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        show_message(owner, format_with_number("Unable to open clipboard (%d)", 0));
        return false;
    }
    clipboard->setText(clip_text, QClipboard::Clipboard);
    if (clipboard->text(QClipboard::Clipboard) != clip_text) {
        show_message(owner, format_with_number(page ? "Unable to copy text to clipboard (%d)" : "Unable to copy to clipboard (%d)",
                                      0));
        return false;
    }
    return true;
}

QString copied_message(const QString& what, const std::string& text) {
    long lines = 0;
    for (char c : text) {
        if (c == '\n') ++lines;
    }
    if (!text.empty() && text.back() != '\n') ++lines;
    return QStringLiteral("%1 copied, %2 %3").arg(what).arg(lines).arg(lines == 1 ? QStringLiteral("line") : QStringLiteral("lines"));
}

}  // namespace zelmora
