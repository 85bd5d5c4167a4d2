// The once-a-second clock and the moment the schedule fires.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

}  // namespace velt
