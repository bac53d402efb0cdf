#pragma once
// Messages the library shows to a person ("Error, invalid x index"). The window
// layer installs a message box; elsewhere they go to standard error.
#include <functional>
#include <string>

namespace zelmora {

using text_message_hook = std::function<void(const std::string& message)>;
void set_text_message_hook(text_message_hook hook);
void show_message(const std::string& message);

}  // namespace zelmora
