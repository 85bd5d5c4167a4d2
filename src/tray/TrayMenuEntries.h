// The tray menu's entries (Form1's menu), as data: each entry's command identifier and caption.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "platform/Windowing.h"

namespace velt::ui {

struct MenuEntry {
    platform::MenuItem item;
    int id;               // WM_COMMAND identifier; 0 for the separator
    const char* caption;  // "-" is a separator line
};

// mnuTray is the top-level entry; the others are its popup, in order.
// clang-format off
inline constexpr std::array<MenuEntry, static_cast<std::size_t>(platform::MenuItem::Count)>
    kTrayMenu{{
        {platform::MenuItem::mnuTray, 0, "MENU"},
        {platform::MenuItem::mnuOpen, 301, "Velt_PCタイマー終了を開く(&O)"},
        {platform::MenuItem::mnuClose, 302, "Velt_PCタイマー終了を終了する(&X)"},
        {platform::MenuItem::mnuLine, 0, "-"},
        {platform::MenuItem::mnuweb, 304, "Velt Development Webサイト(&W)"},
        {platform::MenuItem::mnuVer, 305, "バージョン情報(&A)"},
    }};
// clang-format on

// The entry whose WM_COMMAND identifier is `id`, if any.
std::optional<platform::MenuItem> MenuItemById(int id) noexcept;

}  // namespace velt::ui
