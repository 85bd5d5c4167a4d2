// How long the tray icon waits between tries. Here rather than beside the tray icon because the
// main window's state holds one, and that state depends on no part of the program.
#pragma once

#include <algorithm>
#include <cstdint>

namespace velt {

// While Windows starts, which is when this program starts, the shell often does not take an
// icon: its window is not there yet, or it does not answer in time. The icon is then tried again,
// about a second later at first and twice as long after each further refusal, up to a minute,
// for as long as it takes.
class TrayRetry {
public:
    static constexpr std::uint32_t kFirstGapMs = 1000;
    static constexpr std::uint32_t kLongestGapMs = 60000;

    // A refresh starts anew: its first retry, if it needs one, comes after kFirstGapMs.
    void Restart() noexcept { gapMs_ = 0; }
    // The shell did not take the icon: the wait before the next try.
    std::uint32_t NextGap() noexcept {
        gapMs_ = gapMs_ == 0 ? kFirstGapMs : std::min(gapMs_ * 2, kLongestGapMs);
        return gapMs_;
    }

private:
    std::uint32_t gapMs_ = 0;
};

}  // namespace velt
