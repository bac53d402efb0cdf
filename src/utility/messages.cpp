#include "utility/messages.h"

#include <cstdio>
#include <utility>

namespace zelmora {

namespace {
text_message_hook& hook() {
    static text_message_hook h;
    return h;
}
}  // namespace

void set_text_message_hook(text_message_hook h) { hook() = std::move(h); }

void show_message(const std::string& message) {
    if (hook())
        hook()(message);
    else
        std::fprintf(stderr, "%s\n", message.c_str());
}

}  // namespace zelmora
