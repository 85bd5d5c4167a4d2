#include "tray/TrayMenuEntries.h"

namespace velt::ui {

std::optional<platform::MenuItem> MenuItemById(int id) noexcept {
    if (id == 0) return std::nullopt;
    for (const MenuEntry& e : kTrayMenu) {
        if (e.id == id) return e.item;
    }
    return std::nullopt;
}

}  // namespace velt::ui
