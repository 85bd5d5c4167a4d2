// Times are shown as two-digit fields.
#pragma once

#include <cstdint>
#include <string>

namespace velt {

// The last two decimal digits of `n`, with a leading zero: 7 -> "07", 123 -> "23".
inline std::string TwoDigits(std::uint32_t n) {
    return {static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
}

}  // namespace velt
