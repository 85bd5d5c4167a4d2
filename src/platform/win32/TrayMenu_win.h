// The menu form (Form1): a message-only window, never shown, holding the tray icon's menu, and what
// the menu's commands do.
#pragma once

#include <windows.h>

#include <array>

#include "platform/Windowing.h"
#include "platform/win32/ScopedWin.h"
#include "platform/win32/Window_win.h"

namespace velt::platform::win32 {

class TrayMenu final : public Window {
public:
    explicit TrayMenu(HINSTANCE instance) noexcept;
    ~TrayMenu() override;

    static void Register(HINSTANCE instance);
    void Attach(MenuFormEvents* events) noexcept { events_ = events; }
    // Keeps the entry's visibility; throws std::runtime_error when the menu cannot be made yet (no
    // menu handle to be had), which is tried again when it is next touched or opened.
    void SetVisible(MenuItem item, bool visible);
    // Opens the menu at the pointer; its commands go to `owner` (the main window where there is one).
    void Popup(HWND owner);
    // A WM_COMMAND from the menu, as its owner received it: true when `id` is one of its entries.
    bool OnCommand(int id) noexcept;
    HMENU Menu() const noexcept { return popup_; }

private:
    // The form and its menu, made the first time anything touches them.
    void Ensure();
    void Rebuild() noexcept;
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) noexcept override {
        return Default(message, wParam, lParam);
    }

    HINSTANCE instance_;
    MenuFormEvents* events_ = nullptr;
    UniqueMenu bar_;
    HMENU popup_ = nullptr;  // owned by bar_
    std::array<bool, static_cast<std::size_t>(MenuItem::Count)> visible_{};
    bool barSet_ = false;  // the form carries bar_ as its menu bar
};

}  // namespace velt::platform::win32
