#include "platform/win32/ClockTimer_win.h"

#include "core/ClockTick.h"

namespace velt::platform::win32 {

std::uint32_t MillisecondOfSecond() noexcept {
    // The plain system time: reading it costs no time-zone lookup.
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    return now.wMilliseconds;
}

bool ClockTimer::Start(HWND window, UINT_PTR id) noexcept {
    window_ = window;
    id_ = id;
    if (window != nullptr && Arm(PlaceTick(MillisecondOfSecond()).waitMs, true)) return true;
    window_ = nullptr;
    return false;
}

void ClockTimer::Stop() noexcept {
    if (window_ != nullptr) ::KillTimer(window_, id_);
    window_ = nullptr;
    shortWait_ = false;
}

void ClockTimer::OnTick() noexcept {
    if (window_ == nullptr) return;
    const TickPlacement next = PlaceTick(MillisecondOfSecond());
    if (next.move) {
        Arm(next.waitMs, true);
    } else if (shortWait_) {
        // On the second now: the period runs from here.
        Arm(kTickPeriodMs, false);
    }
}

void ClockTimer::Realign() noexcept {
    if (window_ != nullptr) Arm(USER_TIMER_MINIMUM, true);
}

bool ClockTimer::Arm(UINT milliseconds, bool shortWait) noexcept {
    // Setting the same timer again replaces it; one that cannot be set keeps running as it was.
    if (::SetTimer(window_, id_, milliseconds, nullptr) == 0) return false;
    shortWait_ = shortWait;
    return true;
}

}  // namespace velt::platform::win32
