#include "platform/win32/MessageLoop_win.h"

namespace velt::platform::win32 {

void Dispatch(MSG& msg, std::initializer_list<HWND> dialogs) noexcept {
    // Only keys are a dialog's business: a timer's tick or a paint goes straight to its window.
    if (msg.hwnd != nullptr && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        HWND top = ::GetAncestor(msg.hwnd, GA_ROOT);
        for (HWND dialog : dialogs) {
            if (top != nullptr && top == dialog && ::IsDialogMessageW(top, &msg)) return;
        }
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

void SendTabKey() noexcept {
    HWND focus = ::GetFocus();
    if (focus == nullptr) return;
    const UINT scan = ::MapVirtualKeyW(VK_TAB, MAPVK_VK_TO_VSC);
    // Posted, so the loop's dialog handling moves the focus once the current key is done.
    ::PostMessageW(focus, WM_KEYDOWN, VK_TAB, static_cast<LPARAM>(1 | (scan << 16)));
}

}  // namespace velt::platform::win32
