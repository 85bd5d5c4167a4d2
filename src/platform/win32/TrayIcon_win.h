// The tray icon's Windows half: the native records and Shell_NotifyIcon calls, and what the
// shell's callback to the main window carries.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/WinRecords.h"

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

}  // namespace velt::platform::win32
