#include "utility/messages.h"

#include <cstdio>
#include <utility>

namespace zelmora {

namespace {
message_hook& hook() {
    static message_hook h;
    return h;
}
}  // namespace

void set_message_hook(message_hook h) { hook() = std::move(h); }

void show_message(const std::string& message) {
    if (hook())
        hook()(message);
    else
        std::fprintf(stderr, "%s\n", message.c_str());
}

}  // namespace zelmora
