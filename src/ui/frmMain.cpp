// Handlers that belong to the main window itself.
#include "ui/frmMain.h"

#include "common/TwoDigits.h"
#include "ui/ElapsedTime.h"

namespace velt {

std::string ElapsedText(std::uint32_t tickCount) {
    const std::uint32_t s = tickCount / 1000;
    const std::uint32_t m = s / 60;
    const std::uint32_t h = m / 60;
    const std::uint32_t minutes = m - 60 * h;
    const std::uint32_t seconds = s - (3600 * h + 60 * minutes);
    return TwoDigits(h) + ":" + TwoDigits(minutes) + ":" + TwoDigits(seconds);
}

void frmMain::Timer2_Timer() { ui_.SetCaption(platform::Ctl::Label7, ElapsedText(api_.GetTickCount())); }

void frmMain::txtTime_KeyDown(std::int16_t /*Index*/, std::int16_t& KeyCode, std::int16_t /*Shift*/) {
    constexpr std::int16_t kEnter = 13;
    if (KeyCode == kEnter) ui_.SendTabKey();  // on to the next box, as Tab would
}

void frmMain::Form_MouseMove(std::int16_t /*Button*/, std::int16_t /*Shift*/, float X, float /*Y*/) {
    tray_.OnMouse(X);
}

}  // namespace velt
