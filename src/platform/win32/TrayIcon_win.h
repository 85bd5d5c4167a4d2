// The tray icon's Windows half: the native records and Shell_NotifyIcon calls, the thread the
// icon's tries run on after the shell has failed, and what the shell's callback carries.
//
// Thread rules
// - Owners. Win32Windowing owns the TrayShell; the TrayShell owns its message-only window, the
//   step waiting on the windows' thread and `done`. What the worker uses lives in its `Work`,
//   which the worker frees when it ends; the TrayShell lets go of it, under its lock, when it
//   tells the worker to quit (the shell answers again, or the TrayShell goes). A step
//   owns what it carries: the record by value, the tip, and a hold on the icon picture
//   (Windowing::HoldIcon), released when the step has ended, on whichever thread ran it.
// - What outlives what. The worker outlives the TrayShell by at most the step under way, and only
//   at the end of the process: the step still calls the WindowsApi it was handed, which is why
//   main_win.cpp declares Win32Api before Win32Windowing and ends the process at the loop's end
//   without destroying anything under the worker. `done` holds the TrayIcon's `this` (frmMain's
//   member); frmMain is declared after the facade and so goes first, but no answer is told after
//   a stop or once the TrayShell is gone, and every exit stops the tries first (RemoveTrayIcon).
// - What blocks. Shell_NotifyIcon waits for the shell, about 4 s when it is busy. On the windows'
//   thread only: a refresh's first try while the shell answered the last one (at start-up the
//   window is still hidden), and every try when no thread can be had. A stop hands its last
//   step (the removal) to the worker, starting one for it where none runs, and, like the
//   destructor, waits at most kStopWaitMs; only without any thread does the removal run here.
//   The worker waits for nothing but the shell. Nothing waits INFINITE except the idle worker
//   for its next step.
// - Lost answers. An answer that cannot be posted (ERROR_NOT_ENOUGH_QUOTA) is posted again every
//   kRepostMs until it arrives or a newer step or a stop makes it stale.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
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
// thread they run here, on a timer: the message loop wakes for them (no USER timer, which the
// quota that refused the thread may refuse too).
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
    // A step waiting on this thread, no thread to be had: runs it when it is due and `run`; answers
    // how long the message loop may sleep before it is (INFINITE: no step waits).
    DWORD RunDue(bool run) noexcept;
    // For tests: a worker thread exists.
    bool HasWorker() const noexcept { return work_ != nullptr; }

private:
    struct Work;

    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
    bool MakeWindow() noexcept {
        return hwnd() != nullptr || Create(instance_, 0, kClassName, L"", 0, HWND_MESSAGE) != nullptr;
    }
    bool EnsureWorker() noexcept;
    static DWORD WINAPI WorkerMain(void* work) noexcept;
    // Hands `step` to the worker; `wait`: then waits at most kStopWaitMs for it and the one under
    // way; `quit`: the worker ends after them and frees its Work.
    void HandOver(std::function<bool()> step, std::uint32_t delayMs, bool wait, bool quit) noexcept;
    void RunHere(std::function<bool()>& step) noexcept {
        bool up = false;
        Guard([&] { up = step(); });
        step = nullptr;
        Answer(up);
    }
    // The shell's answer, told to `done`: of a step run here (ticket 0), or the worker's answer
    // to the step of `ticket`, which counts only when it is the latest.
    void Answer(bool up, WPARAM ticket = 0) noexcept;

    HINSTANCE instance_;
    Work* work_ = nullptr;  // the worker's, while it runs and has not been told to quit
    std::function<void(bool)> done_;
    bool shellAnswers_ = true;  // the last try the shell answered went through
    // A step waiting on this thread, no worker to be had.
    std::function<bool()> held_;
    ULONGLONG heldDue_ = 0;
};

}  // namespace velt::platform::win32
