// Display scale: the DPI of the system and of a window, sizes scaled with it, and the dialog font
// chosen for a layout at a DPI. The per-DPI calls are looked up at run time: Windows 7 lacks them.
#pragma once

#include <windows.h>

#include <span>

#include "platform/win32/FontFit_win.h"
#include "platform/win32/ScopedWin.h"
#include "ui/ControlKinds.h"
#include "ui/Twips.h"

namespace velt::platform::win32 {

// Pixels at 96 DPI scaled to `dpi`.
inline int Scale(int pixelsAt96, UINT dpi) noexcept {
    return ::MulDiv(pixelsAt96, static_cast<int>(dpi), 96);
}

class Dpi {
public:
    Dpi() noexcept;

    UINT System() const noexcept;
    // The window's own DPI; the system's where the window or the call is missing.
    UINT Of(HWND hwnd) const noexcept;
    int SystemMetric(int index, UINT dpi) const noexcept;
    // The system's message font as it is at 96 DPI.
    LOGFONTW MessageFontAt96() const;
    // The message font for `dpi`, sized so that every room's text fits.
    UniqueFont DialogFont(UINT dpi, std::span<const TextRoom> rooms) const;
    // The outer size that gives a window of `style` the client size of its layout at `dpi`, as
    // the system computes its borders and caption.
    SIZE OuterSize(const ui::WindowLayout& window, DWORD style, DWORD exStyle, UINT dpi) const noexcept;
    // Gives the window the client size of its layout at `dpi`, measured, not assumed.
    void SizeToLayout(HWND hwnd, const ui::WindowLayout& window, DWORD style, DWORD exStyle,
                      UINT dpi) const noexcept;

private:
    UINT(WINAPI* getDpiForWindow_)(HWND) = nullptr;
    UINT(WINAPI* getDpiForSystem_)() = nullptr;
    BOOL(WINAPI* adjustWindowRectExForDpi_)(LPRECT, DWORD, BOOL, DWORD, UINT) = nullptr;
    BOOL(WINAPI* systemParametersInfoForDpi_)(UINT, UINT, PVOID, UINT, UINT) = nullptr;
    int(WINAPI* getSystemMetricsForDpi_)(int, UINT) = nullptr;
};

}  // namespace velt::platform::win32
