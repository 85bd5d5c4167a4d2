// The program's own truth values: -1 (all bits set) for True, 0 for False. Callers test
// against False only.
#pragma once

#include <cstdint>

namespace velt {

using Boolean = std::int16_t;
inline constexpr Boolean True = -1;
inline constexpr Boolean False = 0;

}  // namespace velt
