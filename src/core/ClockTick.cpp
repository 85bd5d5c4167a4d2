#include "core/ClockTick.h"

#include <cstdio>

#include "ui/frmMain.h"

namespace velt {

using platform::Ctl;

std::string ClockText(const platform::LocalTime& time) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour % 100, time.minute % 100,
                  time.second % 100);
    return text;
}

std::string ClockKey(std::string_view clockText) { return std::string(clockText.substr(0, 5)); }

void frmMain::Timer1_Timer() {
    ui_.SetCaption(Ctl::lblTIME, ClockText(api_.GetLocalTime()));
    if (TargetTime[3] != ClockKey(ui_.Caption(Ctl::lblTIME))) return;

    // Stopped first: nothing below may run twice, even while a message box waits.
    ui_.SetTimerInterval(platform::Timer::Timer1, 0);

    if (ActionCode == "0") {
        // The session is about to end under the icon; take it down first.
        api_.Shell_NotifyIconA(platform::NIM_DELETE, TrayData);
        trayRemovedForLogoff_ = true;
        ExitFlags = static_cast<std::int32_t>(platform::EWX_LOGOFF);
    } else if (ActionCode == "1") {
        ExitFlags = static_cast<std::int32_t>(platform::EWX_REBOOT);
    } else if (ActionCode == "2") {
        ExitFlags = static_cast<std::int32_t>(platform::EWX_SHUTDOWN);
    }

    RunSessionEnd();
}

}  // namespace velt
