#include "platform/win32/TrayMenu_win.h"

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/win32/Controls_win.h"
#include "platform/win32/Text_win.h"
#include "tray/TrayMenuEntries.h"

namespace velt::platform::win32 {

TrayMenu::TrayMenu(HINSTANCE instance) noexcept : instance_(instance) { visible_.fill(true); }

TrayMenu::~TrayMenu() {
    events_ = nullptr;
    // The menu belongs to bar_, not to the window.
    if (hwnd() != nullptr && barSet_) ::SetMenu(hwnd(), nullptr);
    Destroy();
}

void TrayMenu::Register(HINSTANCE instance) { Window::Register(instance, kMenuFormClass, 0); }

void TrayMenu::Ensure() {
    if (hwnd() != nullptr && popup_ != nullptr) return;
    // The menu first: a form without one would be taken for a finished one next time.
    if (!bar_) bar_.reset(::CreateMenu());
    if (!bar_) throw std::runtime_error("cannot create the tray menu");
    if (popup_ == nullptr) {
        UniqueMenu popup(::CreatePopupMenu());
        const std::wstring top = Utf8ToWide(ui::kTrayMenu[0].caption);
        if (!popup || !::AppendMenuW(bar_.get(), MF_POPUP | MF_STRING,
                                     reinterpret_cast<UINT_PTR>(popup.get()), top.c_str())) {
            throw std::runtime_error("cannot create the tray menu");
        }
        popup_ = popup.release();
    }
    // Never shown: no caption, no taskbar button. Message-only, so that start-up does not have
    // the display make a window for it (about 2 ms under Wine); the menu opens from the main window.
    if (hwnd() == nullptr &&
        Create(instance_, WS_EX_TOOLWINDOW, kMenuFormClass, L"", WS_POPUP, HWND_MESSAGE) == nullptr) {
        throw std::runtime_error("cannot create the menu form");
    }
    Rebuild();
}

void TrayMenu::Rebuild() noexcept {
    while (::GetMenuItemCount(popup_) > 0)
        ::DeleteMenu(popup_, 0, MF_BYPOSITION);
    for (const ui::MenuEntry& entry : ui::kTrayMenu) {
        if (entry.item == MenuItem::mnuTray || !visible_[static_cast<std::size_t>(entry.item)]) continue;
        if (std::string_view(entry.caption) == "-") {
            ::AppendMenuW(popup_, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        Guard([&] {
            const std::wstring caption = Utf8ToWide(entry.caption);
            ::AppendMenuW(popup_, MF_STRING, static_cast<UINT_PTR>(entry.id), caption.c_str());
        });
    }
    // An invisible top entry means no menu bar on the (never shown) form. Setting a window's menu
    // redraws its frame, so it is set only when that changes.
    const bool bar = visible_[static_cast<std::size_t>(MenuItem::mnuTray)];
    if (bar != barSet_ && ::SetMenu(hwnd(), bar ? bar_.get() : nullptr)) barSet_ = bar;
}

void TrayMenu::SetVisible(MenuItem item, bool visible) {
    const auto index = static_cast<std::size_t>(item);
    if (index >= visible_.size()) throw std::out_of_range("no such menu entry");
    const bool made = hwnd() != nullptr && popup_ != nullptr;
    // Every tray refresh hides the top entry again; a menu that stays as it is is not rebuilt.
    if (made && visible_[index] == visible) return;
    visible_[index] = visible;
    if (made) {
        Rebuild();
    } else {
        Ensure();
    }
}

void TrayMenu::Popup(HWND owner) {
    Ensure();
    if (owner == nullptr) owner = hwnd();
    POINT at{};
    ::GetCursorPos(&at);
    ::TrackPopupMenu(popup_, 0, at.x, at.y, 0, owner, nullptr);
    // Without this the menu may not close when the user clicks elsewhere.
    ::PostMessageW(owner, WM_NULL, 0, 0);
}

bool TrayMenu::OnCommand(int id) noexcept {
    const auto item = ui::MenuItemById(id);
    if (!item) return false;
    if (events_ == nullptr) return true;
    switch (*item) {
    case MenuItem::mnuOpen: Guard([&] { events_->mnuOpen_Click(); }); break;
    case MenuItem::mnuClose: Guard([&] { events_->mnuClose_Click(); }); break;
    case MenuItem::mnuweb: Guard([&] { events_->mnuweb_Click(); }); break;
    case MenuItem::mnuVer: Guard([&] { events_->mnuVer_Click(); }); break;
    default: break;
    }
    return true;
}

}  // namespace velt::platform::win32
