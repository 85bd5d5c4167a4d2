// A frame of the main window: a captioned line around a group of controls. What its controls
// report belongs to the window, and goes there.
#pragma once

#include <windows.h>

#include "platform/win32/Window_win.h"

namespace velt::platform::win32 {

// The font and DPI the main window's controls are drawn with.
struct DialogLook {
    HFONT font = nullptr;
    UINT dpi = 96;
};

class FrameControl final : public Window {
public:
    explicit FrameControl(const DialogLook& look) noexcept : look_(look) {}
    ~FrameControl() override { Destroy(); }

    static void Register(HINSTANCE instance);
    HWND Create(HINSTANCE instance, const wchar_t* caption, DWORD style, DWORD exStyle, HWND parent,
                int id) noexcept;

private:
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
    LRESULT ForwardToWindow(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    const DialogLook& look_;
};

}  // namespace velt::platform::win32
