#include "core/ClockTick.h"

#include "common/TwoDigits.h"
#include "ui/frmMain.h"

namespace velt {

using platform::Ctl;

std::string ClockText(const platform::LocalTime& time) {
    auto field = [](int v) { return TwoDigits(static_cast<std::uint32_t>(v < 0 ? 0 : v)); };
    return field(time.hour) + ":" + field(time.minute) + ":" + field(time.second);
}

std::string ClockKey(std::string_view clockText) { return std::string(clockText.substr(0, 5)); }

TickPlacement PlaceTick(std::uint32_t millisecond) noexcept {
    const std::uint32_t into = millisecond < kTickPeriodMs ? millisecond : kTickPeriodMs - 1;
    return {into > kTickLateLimitMs, kTickPeriodMs - into + kTickMarginMs};
}

void WindowTimers::Retry(Starter& os) noexcept {
    for (std::size_t i = 0; i < wanted_.size(); ++i) {
        const int which = static_cast<int>(i);
        if (!OwnWanted(i) && own_[i] != 0) {
            os.Arm(which, 0);
            own_[i] = 0;
        } else if (OwnWanted(i) && own_[i] != wanted_[i] && os.Arm(which, wanted_[i])) {
            // A timer already at its interval is left where it is on the clock.
            own_[i] = wanted_[i];
        }
    }
    if (ClockWanted() && !clock_) clock_ = os.Arm(kClock, kTickPeriodMs);
    if (!ClockWanted() && clock_) {
        os.Arm(kClock, 0);
        clock_ = false;
    }
}

void frmMain::Timer1_Timer() {
    ui_.SetCaption(Ctl::lblTIME, ClockText(api_.GetLocalTime()));
    if (TargetTime[3] != ClockKey(ui_.Caption(Ctl::lblTIME))) return;

    // Stopped first: nothing below may run twice, even while a message box waits.
    ui_.SetTimerInterval(platform::Timer::Timer1, 0);

    if (ActionCode == "0") {
        // The session is about to end under the icon; take it down first.
        tray_.TakeDownForLogoff();
        ExitFlags = static_cast<std::int32_t>(platform::EWX_LOGOFF);
    } else if (ActionCode == "1") {
        ExitFlags = static_cast<std::int32_t>(platform::EWX_REBOOT);
    } else if (ActionCode == "2") {
        ExitFlags = static_cast<std::int32_t>(platform::EWX_SHUTDOWN);
    }

    RunSessionEnd();
}

}  // namespace velt
