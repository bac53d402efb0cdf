#include "ui/property_page.h"

#include "ui/window_services.h"

namespace zelmora {

void property_page::activate() {
    if (loaded_) {
        shown_again();
        return;
    }
    loaded_ = true;
    exchange_lock lock(this);
    load_page();
}

void property_page::deactivate() {
    if (!loaded_) return;
    exchange_lock lock(this);
    store_page();
}

}  // namespace zelmora
