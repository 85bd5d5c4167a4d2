#include "platform/win32/TrayIcon_win.h"

#include <windowsx.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "platform/win32/Text_win.h"

namespace velt::platform::win32 {

namespace {

constexpr UINT kAnswerMessage = WM_APP + 1;  // wParam: the step's ticket, lParam: 1 when up

// Handles in the program's records are 32-bit; Windows keeps user and GDI handles in that range
// and widens them by sign extension.
template <typename H>
H WidenHandle(std::uint32_t value) noexcept {
    return reinterpret_cast<H>(static_cast<INT_PTR>(static_cast<std::int32_t>(value)));
}

// Every field but the tip, in the first-version size; the rest stays zero.
template <class Native>
Native FirstVersionRecord(const NotifyIconData89& data, DWORD size) {
    Native native;
    std::memset(&native, 0, sizeof native);
    native.cbSize = size;
    native.hWnd = WidenHandle<HWND>(data.hWnd);
    native.uID = data.uID;
    native.uFlags = data.uFlags;
    native.uCallbackMessage = data.uCallbackMessage;
    native.hIcon = WidenHandle<HICON>(data.hIcon);
    return native;
}

}  // namespace

// ---------------------------------------------------------------- records and calls

NOTIFYICONDATAA ToNativeNotifyIconData(const NotifyIconData89& data) {
    auto native = FirstVersionRecord<NOTIFYICONDATAA>(data, NOTIFYICONDATAA_V1_SIZE);

    // The first-version tip holds 64 bytes with its 0; a double-byte character that would not
    // fit whole is left out rather than split.
    constexpr std::size_t kRoom = 63;
    std::size_t length = 0;
    while (length < sizeof data.szTip && data.szTip[length] != '\0') {
        ++length;
    }
    std::size_t kept = 0;
    while (kept < length) {
        const auto byte = static_cast<BYTE>(data.szTip[kept]);
        const std::size_t width = ::IsDBCSLeadByteEx(CP_ACP, byte) ? 2 : 1;
        if (kept + width > length || kept + width > kRoom) {
            break;
        }
        kept += width;
    }
    std::memcpy(native.szTip, data.szTip, kept);
    return native;
}

NOTIFYICONDATAW ToNativeNotifyIconDataW(const NotifyIconData89& data, const std::string& tip) {
    auto native = FirstVersionRecord<NOTIFYICONDATAW>(data, NOTIFYICONDATAW_V1_SIZE);

    const std::wstring wide = Utf8ToWide(tip);
    constexpr std::size_t kRoom = 63;
    std::size_t kept = std::min(wide.size(), kRoom);
    // A surrogate pair that would not fit whole is left out rather than split.
    if (kept < wide.size() && kept > 0 && IS_HIGH_SURROGATE(wide[kept - 1])) {
        --kept;
    }
    std::memcpy(native.szTip, wide.data(), kept * sizeof(wchar_t));
    return native;
}

bool NotifyIconA(std::uint32_t message, const NotifyIconData89& data) {
#if defined(_WIN64)
    NOTIFYICONDATAA native = ToNativeNotifyIconData(data);
    return ::Shell_NotifyIconA(message, &native) != FALSE;
#else
    // The record goes as it is, cbSize 89 included; the zero tail only keeps the shell from
    // reading past it.
    NOTIFYICONDATAA buffer;
    static_assert(sizeof buffer >= sizeof data);
    std::memset(&buffer, 0, sizeof buffer);
    std::memcpy(&buffer, &data, sizeof data);
    return ::Shell_NotifyIconA(message, &buffer) != FALSE;
#endif
}

bool NotifyIconW(std::uint32_t message, const NotifyIconData89& data, const std::string& tip) {
    NOTIFYICONDATAW native = ToNativeNotifyIconDataW(data, tip);
    return ::Shell_NotifyIconW(message, &native) != FALSE;
}

// ---------------------------------------------------------------- the shell's callback

std::optional<TrayMouseEvent> TrayCallback(HWND window, WPARAM wParam, LPARAM lParam,
                                           float twipsPerPixel) noexcept {
    // From about 160% DPI on, the window is wider than the tray's event numbers: a real pointer
    // move over it at x = 515 or 517 must not be taken for a click on the tray icon. A pointer
    // move happens where the message says the pointer was; a tray event names no position.
    const DWORD at = ::GetMessagePos();
    POINT pointer{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (::ScreenToClient(window, &pointer) && pointer.x == GET_X_LPARAM(lParam) &&
        pointer.y == GET_Y_LPARAM(lParam)) {
        return std::nullopt;
    }
    TrayMouseEvent event;
    if ((wParam & MK_LBUTTON) != 0) event.button |= 1;
    if ((wParam & MK_RBUTTON) != 0) event.button |= 2;
    if ((wParam & MK_MBUTTON) != 0) event.button |= 4;
    if ((wParam & MK_SHIFT) != 0) event.shift |= 1;
    if ((wParam & MK_CONTROL) != 0) event.shift |= 2;
    if (::GetKeyState(VK_MENU) < 0) event.shift |= 4;
    // Positions are reported in twips; the tray's event code travels in x.
    event.x = static_cast<float>(GET_X_LPARAM(lParam)) * twipsPerPixel;
    event.y = static_cast<float>(GET_Y_LPARAM(lParam)) * twipsPerPixel;
    return event;
}

// ---------------------------------------------------------------- the thread of the tries

// What the windows' thread and the worker share, under `lock`. The worker owns it and frees it
// when it ends; the TrayShell reaches it only until it has told the worker to quit.
struct TrayShell::Work {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
    HWND answerTo = nullptr;
    std::function<bool()> next;  // the step not yet begun
    std::uint32_t nextDelayMs = 0;
    WPARAM ticket = 0;  // counts the steps handed over and the stops
    bool busy = false;  // a step is under way
    bool quitting = false;
};

DWORD WINAPI TrayShell::WorkerMain(void* param) noexcept {
    Work& w = *static_cast<Work*>(param);
    ::AcquireSRWLockExclusive(&w.lock);
    while (!w.quitting) {
        if (!w.next) {
            ::SleepConditionVariableSRW(&w.changed, &w.lock, INFINITE, 0);
            continue;
        }
        // The step waits out its delay; a step handed over meanwhile, or a stop, begins anew.
        const WPARAM mine = w.ticket;
        const ULONGLONG due = ::GetTickCount64() + w.nextDelayMs;
        for (ULONGLONG now = ::GetTickCount64(); now < due && w.ticket == mine && !w.quitting;
             now = ::GetTickCount64()) {
            ::SleepConditionVariableSRW(&w.changed, &w.lock, static_cast<DWORD>(due - now), 0);
        }
        if (w.ticket != mine || w.quitting || !w.next) continue;

        std::function<bool()> step = std::move(w.next);
        w.next = nullptr;
        w.busy = true;
        ::ReleaseSRWLockExclusive(&w.lock);
        bool up = false;
        Guard([&] { up = step(); });
        step = nullptr;  // what the try carried goes now
        ::AcquireSRWLockExclusive(&w.lock);
        w.busy = false;
        ::WakeAllConditionVariable(&w.changed);
        // An answer the queue had no room for is posted again while it is still the latest.
        while (w.ticket == mine && !w.quitting && !::PostMessageW(w.answerTo, kAnswerMessage, mine, up ? 1 : 0))
            ::SleepConditionVariableSRW(&w.changed, &w.lock, kRepostMs, 0);
    }
    ::ReleaseSRWLockExclusive(&w.lock);
    delete &w;
    return 0;
}

TrayShell::~TrayShell() {
    done_ = nullptr;
    if (work_ != nullptr) HandOver(nullptr, 0, true, true);
    Destroy();
}

void TrayShell::Register(HINSTANCE instance) { Window::Register(instance, kClassName, 0); }

bool TrayShell::EnsureWorker() noexcept {
    if (work_ != nullptr) return true;
    if (!MakeWindow()) return false;
    Work* work = nullptr;
    try {
        work = new Work;
    } catch (...) {
        return false;
    }
    work->answerTo = hwnd();
    // Its handle is not kept: the worker is waited for through `Work`, never by its handle.
    const UniqueHandle thread(::CreateThread(nullptr, 0, &TrayShell::WorkerMain, work, 0, nullptr));
    if (!thread) {
        delete work;
        return false;
    }
    work_ = work;
    return true;
}

void TrayShell::HandOver(std::function<bool()> step, std::uint32_t delayMs, bool wait, bool quit) noexcept {
    Work& w = *work_;
    ::AcquireSRWLockExclusive(&w.lock);
    w.next.swap(step);  // a step not yet begun goes with `step`, after the lock
    w.nextDelayMs = delayMs;
    ++w.ticket;
    ::WakeAllConditionVariable(&w.changed);
    const ULONGLONG end = ::GetTickCount64() + kStopWaitMs;
    for (ULONGLONG now = ::GetTickCount64(); wait && (w.busy || w.next) && now < end; now = ::GetTickCount64())
        ::SleepConditionVariableSRW(&w.changed, &w.lock, static_cast<DWORD>(end - now), 0);
    // Told to quit, the worker frees `w` once it is done: not to be touched after the lock.
    if (quit) {
        w.quitting = true;
        work_ = nullptr;
    }
    ::ReleaseSRWLockExclusive(&w.lock);
}

void TrayShell::Run(std::uint32_t delayMs, std::function<bool()> step, std::function<void(bool)> done) {
    done_ = std::move(done);
    held_ = nullptr;
    if (delayMs == 0 && shellAnswers_ && work_ == nullptr) {
        RunHere(step);
    } else if (EnsureWorker()) {
        HandOver(std::move(step), delayMs, false, false);
    } else {
        // No thread: the step waits here, for the message loop's wake-up at its time.
        held_.swap(step);
        heldDue_ = ::GetTickCount64() + delayMs;
    }
}

DWORD TrayShell::RunDue(bool run) noexcept {
    if (!held_) return INFINITE;
    const ULONGLONG now = ::GetTickCount64();
    if (now < heldDue_) return static_cast<DWORD>(heldDue_ - now);
    if (run) {
        std::function<bool()> step = std::move(held_);
        held_ = nullptr;
        RunHere(step);
    }
    return held_ ? 0 : INFINITE;
}

void TrayShell::Stop(std::function<bool()> last) noexcept {
    done_ = nullptr;
    held_ = nullptr;
    if (!last) return;
    // The last step goes to a thread even while the shell answers: a shell that hangs now must
    // not hold up the exit or the end of the session.
    if (EnsureWorker()) {
        HandOver(std::move(last), 0, true, false);
    } else {
        Guard([&] { last(); });
    }
}

LRESULT TrayShell::Proc(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message != kAnswerMessage) return Default(message, wParam, lParam);
    Answer(lParam != 0, wParam);
    return 0;
}

void TrayShell::Answer(bool up, WPARAM ticket) noexcept {
    if (ticket != 0) {
        // From the worker: only the answer to the latest step counts.
        if (work_ == nullptr) return;
        ::AcquireSRWLockExclusive(&work_->lock);
        const bool latest = ticket == work_->ticket;
        ::ReleaseSRWLockExclusive(&work_->lock);
        if (!latest) return;
    }
    shellAnswers_ = up;
    // The shell answers again: the next tries go to it directly, and the thread's memory goes.
    if (up && work_ != nullptr) HandOver(nullptr, 0, false, true);
    Guard([&] {
        // A copy: the answer may hand over the next step, which replaces done_.
        const std::function<void(bool)> done = done_;
        if (done) done(up);
    });
}

}  // namespace velt::platform::win32
