// The once-a-second clock and the moment the schedule fires.
#pragma once

#include <string>
#include <string_view>

#include "platform/WindowsApi.h"

namespace velt {

// "HH:MM:SS", 24-hour, colons whatever the system's separator.
std::string ClockText(const platform::LocalTime& time);

// "HH:MM" of a clock text.
std::string ClockKey(std::string_view clockText);

}  // namespace velt
