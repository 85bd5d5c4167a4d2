#include "platform/win32/Win32Windowing.h"

#include <algorithm>

#include "core/StartupSteps.h"

#include "platform/win32/MessageLoop_win.h"
#include "platform/win32/Text_win.h"

namespace velt::platform::win32 {

Win32Windowing::Win32Windowing(HINSTANCE instance)
    : main_(instance, dpi_), menu_(instance), about_(instance, dpi_), tray_(instance) {
    win32::MainWindow::Register(instance);
    win32::TrayMenu::Register(instance);
    win32::AboutWindow::Register(instance);
    win32::TrayShell::Register(instance);
}

// The windows go with their objects; the classes stay registered for a second facade (tests).
Win32Windowing::~Win32Windowing() = default;

void Win32Windowing::Attach(MainFormEvents& main, MenuFormEvents& menu, AboutFormEvents& about) noexcept {
    main_.Attach(&main, &menu_);
    menu_.Attach(&menu);
    about_.Attach(&about);
}

void Win32Windowing::CreateMainWindow() { main_.Create(); }

void Win32Windowing::Dispatch(MSG& msg) noexcept { win32::Dispatch(msg, {main_.hwnd(), about_.hwnd()}); }

int Win32Windowing::RunMessageLoop() {
    VELT_STARTUP_LAST_STEP("first wait for input");
    return win32::RunMessageLoop(
        [this](MSG& msg) { Dispatch(msg); },
        [this] { return std::min(main_.RetryTimers(false), tray_.RunDue(false)); },
        [this] {
            main_.RetryTimers(true);
            tray_.RunDue(true);
        });
}

void Win32Windowing::DoEvents() {
    win32::DoEvents([this](MSG& msg) { Dispatch(msg); });
}

void Win32Windowing::SendTabKey() { win32::SendTabKey(); }

int Win32Windowing::MsgBox(std::string_view text, unsigned style, std::string_view title) {
    const std::wstring wideText = Utf8ToWide(text);
    const std::wstring wideTitle = Utf8ToWide(title);
    return ::MessageBoxW(main_.hwnd(), wideText.c_str(), wideTitle.c_str(), style | MB_SETFOREGROUND);
}

}  // namespace velt::platform::win32
