// The main window's clock: one Windows timer serves both of its 1-second timers, its ticks placed
// just after the system clock's second changes. A first, shorter wait brings the tick there and
// the 1000 ms period keeps it there; the timer is set again only when a tick finds itself
// drifted, not at every tick.
#pragma once

#include <windows.h>

#include <cstdint>

namespace velt::platform::win32 {

// Milliseconds into the system clock's current second; local time shares them, since time zones
// differ by whole minutes.
std::uint32_t MillisecondOfSecond() noexcept;

class ClockTimer {
public:
    ClockTimer() = default;
    ClockTimer(const ClockTimer&) = delete;
    ClockTimer& operator=(const ClockTimer&) = delete;

    // Starts ticking on `window` as timer `id`, the first tick just after the next second; false,
    // and not running, when Windows refused the timer.
    bool Start(HWND window, UINT_PTR id) noexcept;
    void Stop() noexcept;
    bool Running() const noexcept { return window_ != nullptr; }
    // Run first on each of its ticks: places the next one.
    void OnTick() noexcept;
    // The clock was set or the computer woke up: tick at once, and be placed afresh from there.
    void Realign() noexcept;

private:
    bool Arm(UINT milliseconds, bool shortWait) noexcept;

    HWND window_ = nullptr;
    UINT_PTR id_ = 0;
    bool shortWait_ = false;  // the timer runs a one-off wait, not the period
};

}  // namespace velt::platform::win32
