// The program's message loop: the dialog keys (Tab, arrows, access keys, Enter, Esc) go to the
// window that handles them as a dialog before anything else.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace velt::platform::win32 {

// Handles one message as the loop does; `dialogs` are the top-level windows that take dialog keys.
void Dispatch(MSG& msg, std::initializer_list<HWND> dialogs) noexcept;

// Runs until WM_QUIT and returns its exit code; `dispatch(msg)` handles each message. While
// `dueInMs()` names a wait other than INFINITE, the loop also wakes after it without a message and
// calls `due()`: what a refused Windows timer should have done still happens.
template <class F, class W, class D>
int RunMessageLoop(F&& dispatch, W&& dueInMs, D&& due) noexcept {
    MSG msg{};
    for (;;) {
        if (const DWORD wait = dueInMs(); wait != INFINITE) {
            // Due now: before the next message, or a steady stream of them would hold it off.
            if (wait == 0) {
                due();
            } else if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
                dispatch(msg);
            } else if (::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE) ==
                       WAIT_TIMEOUT) {
                due();
            }
            continue;
        }
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return 1;
        dispatch(msg);
    }
}

// Lets every pending message run once; a WM_QUIT is left for the loop.
template <class F>
void DoEvents(F&& dispatch) noexcept {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        dispatch(msg);
    }
}

// Presses Tab in the window that has the focus, without waiting.
void SendTabKey() noexcept;

}  // namespace velt::platform::win32
