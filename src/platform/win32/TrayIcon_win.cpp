#include "platform/win32/TrayIcon_win.h"

#include <windowsx.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "platform/win32/Text_win.h"

namespace velt::platform::win32 {

namespace {

constexpr wchar_t kTrayShellClass[] = L"VeltPCTimer.TrayShell";
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

TrayShell::~TrayShell() {
    if (thread_) {
        ::AcquireSRWLockExclusive(&lock_);
        quitting_ = true;
        next_ = nullptr;
        ::WakeAllConditionVariable(&changed_);
        ::ReleaseSRWLockExclusive(&lock_);
        ::WaitForSingleObject(thread_.get(), INFINITE);
    }
    Destroy();
}

void TrayShell::Register(HINSTANCE instance) { Window::Register(instance, kTrayShellClass, 0); }

bool TrayShell::Ensure() noexcept {
    if (hwnd() == nullptr && Create(instance_, 0, kTrayShellClass, L"", 0, HWND_MESSAGE) == nullptr) {
        return false;
    }
    if (!thread_) thread_.reset(::CreateThread(nullptr, 0, &TrayShell::ThreadMain, this, 0, nullptr));
    return static_cast<bool>(thread_);
}

void TrayShell::Run(std::uint32_t delayMs, std::function<bool()> step, std::function<void(bool)> done) {
    if (!Ensure()) {
        // Without a thread of its own the icon gets one try, here, as it had before there were
        // retries.
        Guard([&] { step(); });
        return;
    }
    done_ = std::move(done);
    ::AcquireSRWLockExclusive(&lock_);
    next_ = std::move(step);
    nextDelayMs_ = delayMs;
    ++ticket_;
    ::WakeAllConditionVariable(&changed_);
    ::ReleaseSRWLockExclusive(&lock_);
}

void TrayShell::Stop() noexcept {
    ::AcquireSRWLockExclusive(&lock_);
    next_ = nullptr;
    ++ticket_;
    ::WakeAllConditionVariable(&changed_);
    while (busy_) {
        ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    }
    ::ReleaseSRWLockExclusive(&lock_);
}

DWORD WINAPI TrayShell::ThreadMain(void* self) noexcept {
    static_cast<TrayShell*>(self)->Work();
    return 0;
}

void TrayShell::Work() noexcept {
    ::AcquireSRWLockExclusive(&lock_);
    while (!quitting_) {
        if (!next_) {
            ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
            continue;
        }
        // The step waits out its delay; a step handed over meanwhile, or a stop, begins anew.
        const WPARAM ticket = ticket_;
        const ULONGLONG due = ::GetTickCount64() + nextDelayMs_;
        for (ULONGLONG now = ::GetTickCount64(); now < due && ticket_ == ticket && !quitting_;
             now = ::GetTickCount64()) {
            ::SleepConditionVariableSRW(&changed_, &lock_, static_cast<DWORD>(due - now), 0);
        }
        if (ticket_ != ticket || quitting_ || !next_) continue;

        std::function<bool()> step = std::move(next_);
        next_ = nullptr;
        busy_ = true;
        ::ReleaseSRWLockExclusive(&lock_);
        bool up = false;
        try {
            up = step();
        } catch (...) {
        }
        step = nullptr;
        ::AcquireSRWLockExclusive(&lock_);
        busy_ = false;
        ::WakeAllConditionVariable(&changed_);
        ::PostMessageW(hwnd(), kAnswerMessage, ticket, up ? 1 : 0);
    }
    ::ReleaseSRWLockExclusive(&lock_);
}

LRESULT TrayShell::Proc(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == kAnswerMessage) {
        OnAnswer(wParam, lParam != 0);
        return 0;
    }
    return Default(message, wParam, lParam);
}

void TrayShell::OnAnswer(WPARAM ticket, bool up) noexcept {
    ::AcquireSRWLockExclusive(&lock_);
    const bool last = ticket == ticket_;
    ::ReleaseSRWLockExclusive(&lock_);
    if (!last) return;
    Guard([&] {
        // A copy: the answer may hand over the next step, which replaces done_.
        const std::function<void(bool)> done = done_;
        if (done) done(up);
    });
}

}  // namespace velt::platform::win32
