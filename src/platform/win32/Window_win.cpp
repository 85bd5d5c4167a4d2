#include "platform/win32/Window_win.h"

namespace velt::platform::win32 {

Window::~Window() {
    if (hwnd_ == nullptr) return;
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
}

void Window::Register(HINSTANCE instance, const wchar_t* name, UINT style) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &Window::Thunk;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    // A second registration of the same class (a second facade, in tests) is harmless.
    ::RegisterClassExW(&wc);
}

HWND Window::Create(HINSTANCE instance, DWORD exStyle, const wchar_t* className, const wchar_t* title,
                    DWORD style, HWND parent, HMENU menuOrId, SIZE size) noexcept {
    ::CreateWindowExW(exStyle, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy,
                      parent, menuOrId, instance, this);
    return hwnd_;
}

void Window::Destroy() noexcept {
    if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

LRESULT CALLBACK Window::Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self != nullptr) self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = self->Proc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->OnGone();
    }
    return result;
}

}  // namespace velt::platform::win32
