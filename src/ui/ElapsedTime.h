// The time since Windows started, as the main window shows it.
#pragma once

#include <cstdint>
#include <string>

namespace velt {

// "hh:mm:ss" from GetTickCount's milliseconds; the hours show modulo 100.
std::string ElapsedText(std::uint32_t tickCount);

}  // namespace velt
