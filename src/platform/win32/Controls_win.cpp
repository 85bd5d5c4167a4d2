#include "platform/win32/Controls_win.h"

#include <algorithm>

namespace velt::platform::win32 {

const wchar_t* WindowClassOf(ui::Kind kind) noexcept {
    switch (kind) {
    case ui::Kind::Frame: return kFrameClass;
    case ui::Kind::Label:
    case ui::Kind::Picture: return L"Static";
    case ui::Kind::OptionButton:
    case ui::Kind::PictureButton:
    case ui::Kind::PushButton: return L"Button";
    case ui::Kind::DropDownList: return L"ComboBox";
    }
    return L"Static";
}

DWORD TextAlignStyle(ui::Align align) noexcept {
    switch (align) {
    case ui::Align::Center: return SS_CENTER;
    case ui::Align::Right: return SS_RIGHT;
    case ui::Align::Left: break;
    }
    return SS_LEFT;
}

std::wstring WindowText(HWND hwnd) {
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

std::wstring ComboItem(HWND combo, int index) {
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                          reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
    return text;
}

std::int16_t ShiftState() noexcept {
    std::int16_t shift = 0;
    if (::GetKeyState(VK_SHIFT) < 0) shift |= 1;
    if (::GetKeyState(VK_CONTROL) < 0) shift |= 2;
    if (::GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

namespace {

constexpr wchar_t kBaseProcProperty[] = L"VeltPCTimer.BaseProc";

// Enter reaches the box, which hands it to the key hook.
LRESULT ComboDlgCode(WNDPROC base, HWND hwnd, WPARAM wParam, LPARAM lParam) noexcept {
    LRESULT code = ::CallWindowProcW(base, hwnd, WM_GETDLGCODE, wParam, lParam);
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
    return code;
}

// The box sizes itself to its field and edges whenever it is resized or gets a font: held here,
// it keeps the layout's rectangle until its field is fitted again, and where no field fits. A held
// box paints only as far as its field, so the field is fitted to the layout as well, with the hold
// off meanwhile. A taller request sets the height of the open list and is left alone.
LRESULT ComboPosChanging(WNDPROC base, HWND hwnd, ComboHooks* hooks, WPARAM wParam, LPARAM lParam) noexcept {
    const LRESULT result = ::CallWindowProcW(base, hwnd, WM_WINDOWPOSCHANGING, wParam, lParam);
    auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
    const int height = hooks != nullptr ? hooks->ClosedHeight(hwnd) : 0;
    if (pos != nullptr && (pos->flags & SWP_NOSIZE) == 0 && height > 0 && pos->cy < 2 * height)
        pos->cy = height;
    return result;
}

LRESULT CALLBACK ComboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto base = reinterpret_cast<WNDPROC>(::GetPropW(hwnd, kBaseProcProperty));
    auto* hooks = reinterpret_cast<ComboHooks*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (base == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_GETDLGCODE: return ComboDlgCode(base, hwnd, wParam, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (hooks != nullptr && hooks->OnComboKey(hwnd, wParam)) return 0;
        break;
    case WM_WINDOWPOSCHANGING: return ComboPosChanging(base, hwnd, hooks, wParam, lParam);
    case WM_NCDESTROY:
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
        ::RemovePropW(hwnd, kBaseProcProperty);
        return ::CallWindowProcW(base, hwnd, message, wParam, lParam);
    default: break;
    }
    return ::CallWindowProcW(base, hwnd, message, wParam, lParam);
}

}  // namespace

void SubclassCombo(HWND combo, ComboHooks& hooks) noexcept {
    ::SetWindowLongPtrW(combo, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&hooks));
    const LONG_PTR base = ::GetWindowLongPtrW(combo, GWLP_WNDPROC);
    ::SetPropW(combo, kBaseProcProperty, reinterpret_cast<HANDLE>(base));
    ::SetWindowLongPtrW(combo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ComboProc));
}

void CentreOnWorkArea(HWND hwnd) noexcept {
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    const RECT& work = monitor.rcWork;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int x = work.left + ((work.right - work.left) - width) / 2;
    const int y = work.top + ((work.bottom - work.top) - height) / 2;
    ::SetWindowPos(hwnd, nullptr, std::max<int>(x, work.left), std::max<int>(y, work.top), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FocusMemory::Remember(HWND top) noexcept {
    HWND focus = ::GetFocus();
    if (focus != nullptr && ::IsChild(top, focus)) last_ = focus;
}

void FocusMemory::Restore(HWND top) noexcept {
    HWND remembered = last_;
    if (remembered == nullptr || !::IsChild(top, remembered) || !::IsWindowEnabled(remembered)) {
        remembered = ::GetNextDlgTabItem(top, nullptr, FALSE);
    }
    if (remembered != nullptr) ::SetFocus(remembered);
}

LRESULT FocusMemory::OnActivate(HWND top, WPARAM wParam, LPARAM lParam) noexcept {
    if (LOWORD(wParam) == WA_INACTIVE) {
        Remember(top);
        return 0;
    }
    const LRESULT result = ::DefWindowProcW(top, WM_ACTIVATE, wParam, lParam);
    if (HIWORD(wParam) == 0) Restore(top);
    return result;
}

}  // namespace velt::platform::win32
