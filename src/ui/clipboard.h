#pragma once
// Puts a text on the clipboard as plain text; failures show a message box
// in the wording of the window that asked.
#include <string>

class QString;
class QWidget;

namespace zelmora {

enum class clipboard_wording {
    page,        // crop pages, whole-farm page, malting barley dialog, Test report
    error_list,  // "Copy Text" of the error list
};

// True when the text arrived on the clipboard.
bool copy_text_to_clipboard(const std::string& text, QWidget* owner,
                            clipboard_wording wording = clipboard_wording::page);

// "Corn worksheet copied, 87 lines": what a copy put on the clipboard, for the status bar.
QString copied_message(const QString& what, const std::string& text);

}  // namespace zelmora
