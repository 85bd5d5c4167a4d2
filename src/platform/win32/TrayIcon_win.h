// The tray icon's Windows half: the native records and Shell_NotifyIcon calls, the thread the
// icon's tries run on, and what the shell's callback to the main window carries.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/WinRecords.h"
#include "platform/win32/ScopedWin.h"
#include "platform/win32/Window_win.h"

namespace velt::platform::win32 {

// The native first-version NOTIFYICONDATAA built from the program's 89-byte record: handles
// sign-extended from their 32-bit form, the tip copied up to its first 0 and cut at a whole
// character of the ANSI code page so that it fits 63 bytes and its 0.
NOTIFYICONDATAA ToNativeNotifyIconData(const NotifyIconData89& data);

// The same record in its first-version Unicode form, with `tip` (UTF-8) as the tip, cut at a
// whole character so that it fits 63 UTF-16 units and its 0.
NOTIFYICONDATAW ToNativeNotifyIconDataW(const NotifyIconData89& data, const std::string& tip);

// Shell_NotifyIconA and Shell_NotifyIconW with the program's record; true when the shell says
// it did what was asked.
bool NotifyIconA(std::uint32_t message, const NotifyIconData89& data);
bool NotifyIconW(std::uint32_t message, const NotifyIconData89& data, const std::string& tip);

// What the main window's mouse-move event reports of a tray callback, positions in twips.
struct TrayMouseEvent {
    std::int16_t button = 0;
    std::int16_t shift = 0;
    float x = 0;
    float y = 0;
};

// The shell's callback reaches `window` as WM_MOUSEMOVE with the mouse message on the icon as x.
// Nothing when the message is a real pointer move over the window.
std::optional<TrayMouseEvent> TrayCallback(HWND window, WPARAM wParam, LPARAM lParam,
                                           float twipsPerPixel) noexcept;

// Where the icon's tries run. Shell_NotifyIcon waits for the shell, about 4 s before it gives up,
// and during log-on the shell is that slow again and again. On the windows' thread each try
// would freeze a shown window for seconds and hold up Timer1 with it. So the calls run on a
// thread of their own, one step at a time, and the windows' thread only hands steps over and
// hears their answers, posted back to a message-only window. While no step waits, the thread
// sleeps without a timer.
class TrayShell final : public Window {
public:
    explicit TrayShell(HINSTANCE instance) noexcept : instance_(instance) {}
    // Waits for the step under way, which the shell's own time-out bounds.
    ~TrayShell() override;

    static void Register(HINSTANCE instance);
    // As Windowing::RunTrayStep.
    void Run(std::uint32_t delayMs, std::function<bool()> step, std::function<void(bool)> done);
    // As Windowing::StopTraySteps.
    void Stop() noexcept;

private:
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
    void OnAnswer(WPARAM ticket, bool up) noexcept;
    // The window and the thread, made the first time a step comes; false when they cannot be.
    bool Ensure() noexcept;
    static DWORD WINAPI ThreadMain(void* self) noexcept;
    void Work() noexcept;

    HINSTANCE instance_;
    UniqueHandle thread_;
    std::function<void(bool)> done_;  // the windows' thread only

    // Shared with the thread, under lock_.
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    std::function<bool()> next_;  // the step not yet begun
    std::uint32_t nextDelayMs_ = 0;
    WPARAM ticket_ = 0;  // counts the steps handed over and the stops
    bool busy_ = false;  // a step is under way
    bool quitting_ = false;
};

}  // namespace velt::platform::win32
