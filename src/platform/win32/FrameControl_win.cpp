#include "platform/win32/FrameControl_win.h"

#include "platform/win32/Controls_win.h"
#include "platform/win32/Painting_win.h"
#include "platform/win32/ScopedWin.h"

namespace velt::platform::win32 {

void FrameControl::Register(HINSTANCE instance) {
    Window::Register(instance, kFrameClass, CS_HREDRAW | CS_VREDRAW);
}

HWND FrameControl::Create(HINSTANCE instance, const wchar_t* caption, DWORD style, DWORD exStyle, HWND parent,
                          int id) noexcept {
    return Window::Create(instance, exStyle, kFrameClass, caption, style, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT FrameControl::Proc(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: return ForwardToWindow(message, wParam, lParam);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PaintScope paint(hwnd());
        PaintFrame(hwnd(), paint.dc(), look_.font, look_.dpi);
        return 0;
    }
    case WM_PRINTCLIENT: PaintFrame(hwnd(), reinterpret_cast<HDC>(wParam), look_.font, look_.dpi); return 0;
    case WM_SETTEXT: {
        const LRESULT result = Default(message, wParam, lParam);
        ::InvalidateRect(hwnd(), nullptr, TRUE);
        return result;
    }
    case WM_GETFONT: return reinterpret_cast<LRESULT>(look_.font);
    default: return Default(message, wParam, lParam);
    }
}

LRESULT FrameControl::ForwardToWindow(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    HWND top = ::GetAncestor(hwnd(), GA_ROOT);
    if (top == nullptr || top == hwnd()) return Default(message, wParam, lParam);
    return ::SendMessageW(top, message, wParam, lParam);
}

}  // namespace velt::platform::win32
