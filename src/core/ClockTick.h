// The once-a-second clock and the moment the schedule fires.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Windowing.h"
#include "platform/WindowsApi.h"

namespace velt {

// "HH:MM:SS", 24-hour, colons whatever the system's separator.
std::string ClockText(const platform::LocalTime& time);

// "HH:MM" of a clock text.
std::string ClockKey(std::string_view clockText);

// Where the once-a-second tick goes: just after the system clock's second changes, so that the
// clock turns with the system's second and a schedule fires at the start of its minute.
inline constexpr std::uint32_t kTickPeriodMs = 1000;
// After the change, never before it, even where the clock is read in steps of a timer interrupt.
inline constexpr std::uint32_t kTickMarginMs = 20;
// A tick later than this into its second, or one that came before the change, is placed again.
inline constexpr std::uint32_t kTickLateLimitMs = 60;

struct TickPlacement {
    bool move;             // place the next tick afresh instead of leaving the period as it runs
    std::uint32_t waitMs;  // from now to just after the next second begins
};

// For a tick (or a start) `millisecond` ms into the system clock's second.
TickPlacement PlaceTick(std::uint32_t millisecond) noexcept;

// The main window's two timers on Windows' timers: while either runs at kTickPeriodMs the clock
// serves it; any other interval gets a timer of its own. Windows may refuse a timer (SetTimer
// answers 0 once the process's USER objects run out), so what is kept here is what really runs,
// and whatever was refused is started again at the next change of either timer and at Retry.
class WindowTimers {
public:
    // Windows' side: `which` is Timer1's or Timer2's own timer (0, 1) or the clock (kClock); an
    // interval of 0 stops it. A start answers false when Windows refused it; a timer set again is
    // replaced, and one that could not be set again keeps running as it was.
    static constexpr int kClock = 2;
    class Starter {
    public:
        virtual bool Arm(int which, std::uint32_t ms) noexcept = 0;

    protected:
        ~Starter() = default;
    };

    void Set(Starter& os, platform::Timer timer, std::uint32_t ms) noexcept {
        wanted_[Index(timer)] = ms;
        Retry(os);
    }
    // Starts what is wanted and does not run yet; the window's start is the first.
    void Retry(Starter& os) noexcept;
    // Something wanted does not run: a Retry is due.
    bool Short() const noexcept {
        return (ClockWanted() && !clock_) || (OwnWanted(0) && own_[0] != wanted_[0]) ||
               (OwnWanted(1) && own_[1] != wanted_[1]);
    }
    bool ClockWanted() const noexcept { return wanted_[0] == kTickPeriodMs || wanted_[1] == kTickPeriodMs; }
    bool ClockRunning() const noexcept { return clock_; }
    // A tick of the clock runs `timer`'s handler.
    bool OnClock(platform::Timer timer) const noexcept { return wanted_[Index(timer)] == kTickPeriodMs; }

private:
    static std::size_t Index(platform::Timer timer) noexcept { return timer == platform::Timer::Timer1 ? 0 : 1; }
    bool OwnWanted(std::size_t i) const noexcept { return wanted_[i] != 0 && wanted_[i] != kTickPeriodMs; }

    std::array<std::uint32_t, 2> wanted_{kTickPeriodMs, kTickPeriodMs};  // Timer1, Timer2
    std::array<std::uint32_t, 2> own_{};  // the interval each one's own timer runs at; 0: none
    bool clock_ = false;
};

}  // namespace velt
