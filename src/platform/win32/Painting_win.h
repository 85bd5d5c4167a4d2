// How the windows draw what the system does not: the main window's background picture, the
// picture buttons, the frames, the drop-down lists' entries, and what shows through a transparent
// control.
#pragma once

#include <windows.h>

#include "platform/win32/ScopedWin.h"

namespace velt::platform::win32 {

// The main window's pictures, decoded at the first paint: a window that starts hidden and may
// never be shown keeps the picture decoder out of its start-up.
class MainPictures {
public:
    explicit MainPictures(HINSTANCE instance) noexcept : instance_(instance) {}
    HBITMAP Background() noexcept;
    HBITMAP ButtonFace(bool disabled) noexcept;

private:
    void EnsureLoaded() noexcept;

    HINSTANCE instance_;
    bool loaded_ = false;
    UniqueBitmap background_;
    UniqueBitmap buttonFace_;
    UniqueBitmap buttonFaceGrey_;
};

// Fills the window's client area with `picture` repeated from the top-left (plain face without one).
void PaintTiled(HWND hwnd, HDC dc, HBITMAP picture) noexcept;
// A frame: a line around it, interrupted by its caption at the top left.
void PaintFrame(HWND frame, HDC dc, HFONT font, UINT dpi) noexcept;
// What the control's parent draws where the control is (for transparent controls).
void PaintBehind(HWND control, HDC dc) noexcept;
// A picture button: the face picture, an edge, its caption with a shadow, the focus.
void DrawPictureButton(const DRAWITEMSTRUCT& item, MainPictures& pictures, HFONT font, UINT dpi) noexcept;
// An entry of a drop-down list, or its selection field: the text in the middle of the height it is
// given (the system's own drawing keeps it at the top of a field taller than the font).
void DrawListEntry(const DRAWITEMSTRUCT& item, HFONT font) noexcept;
// The height of a line of text in `font`.
int LineHeight(HFONT font) noexcept;

}  // namespace velt::platform::win32
