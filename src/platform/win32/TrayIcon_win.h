// The tray icon's Windows half: the native records and Shell_NotifyIcon calls, the thread the
// icon's tries run on after the shell has failed, and what the shell's callback carries.
//
// Thread rules
// - Owners. Win32Windowing owns the TrayShell; the TrayShell owns its message-only window, the
//   step waiting on the windows' thread and `done`. What the worker thread uses lives in `Work`,
//   which the TrayShell and the worker own together (a count of two): either may go first. A step
//   owns what it carries: the record by value, the tip, and a hold on the icon picture
//   (Windowing::HoldIcon), released when the step has ended, on whichever thread ran it.
// - What outlives what. The worker outlives the TrayShell by at most the step under way, and only
//   at the end of the process: the step still calls the WindowsApi it was handed, which is why
//   main_win.cpp declares Win32Api before Win32Windowing and ends the process at the loop's end
//   without destroying anything under the worker. `done` holds frmMain's `this`; frmMain is
//   declared after the facade and so goes first, but no answer is told after a stop or once the
//   TrayShell is gone, and a stop comes first on every way out.
// - What blocks. Shell_NotifyIcon waits for the shell, about 4 s when it is busy. On the windows'
//   thread only: the first try while the shell answers (the window is still hidden at start-up),
//   and every try when no thread can be had. Stop and the destructor wait at most kStopWaitMs
//   for the worker; the worker waits for nothing but the shell. Nothing waits INFINITE except the
//   idle worker for its next step.
// - Lost answers. An answer that cannot be posted (ERROR_NOT_ENOUGH_QUOTA) is posted again every
//   kRepostMs until it arrives or a newer step or a stop makes it stale.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <memory>
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

// Where the icon's tries run. While the shell answers, a try due at once runs on the windows'
// thread, as tray programs do. After a failure the shell is often slow again and again, about 4 s
// a try during log-on, which would freeze a shown window and Timer1 with it: the tries then run
// on a thread of their own, started only then and ended once the shell answers again. Without a
// thread they run here, on a timer (or, without a timer, when the message loop finds them due).
class TrayShell final : public Window {
public:
    static constexpr const wchar_t* kClassName = L"VeltPCTimer.TrayShell";
    static constexpr DWORD kStopWaitMs = 900;
    static constexpr DWORD kRepostMs = 250;

    explicit TrayShell(HINSTANCE instance) noexcept : instance_(instance) {}
    ~TrayShell() override;

    static void Register(HINSTANCE instance);
    // As Windowing::RunTrayStep.
    void Run(std::uint32_t delayMs, std::function<bool()> step, std::function<void(bool)> done);
    // As Windowing::StopTraySteps.
    void Stop(std::function<bool()> last) noexcept;
    // A step waiting on this thread that no timer will bring: when it is due (INFINITE: none).
    DWORD DueInMs() const noexcept;
    // `timer`: its own timer brought it, so it is due whatever the clock says.
    void RunDue(bool timer = false) noexcept;
    // For tests: a worker thread exists.
    bool HasWorker() const noexcept { return static_cast<bool>(work_); }

    // What the windows' thread and the worker share; the last of the two to let go frees it.
    struct Work;
    struct LetGo {
        void operator()(Work* work) const noexcept;
    };
    using WorkRef = std::unique_ptr<Work, LetGo>;

private:
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
    void OnAnswer(WPARAM ticket, bool up) noexcept;
    void Tell(bool up) noexcept;
    bool MakeWindow() noexcept {
        return hwnd() != nullptr || Create(instance_, 0, kClassName, L"", 0, HWND_MESSAGE) != nullptr;
    }
    bool EnsureWorker() noexcept;
    static DWORD WINAPI WorkerMain(void* work) noexcept;
    void RunHere(std::function<bool()>& step) noexcept;
    void DropHeld() noexcept;

    HINSTANCE instance_;
    WorkRef work_;  // while a worker runs
    std::function<void(bool)> done_;
    bool shellAnswers_ = true;  // the last try the shell answered went through
    // A step waiting on this thread, no worker to be had.
    std::function<bool()> held_;
    ULONGLONG heldDue_ = 0;
    bool heldTimer_ = false;  // a Windows timer brings it
};
}  // namespace velt::platform::win32
