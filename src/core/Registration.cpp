// Registering and cancelling the schedule.
#include <string>

#include "common/Texts.h"
#include "core/NumericText.h"
#include "core/SettingsFile.h"
#include "core/StartupSteps.h"
#include "ui/frmMain.h"

namespace velt {

using platform::Ctl;

namespace {

bool EndsWith(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void frmMain::RegisterSchedule() {
    const double hour = NumericValue(ui_.ComboText(Ctl::txtTime0));
    if (!(hour >= 0 && hour < 24)) {
        ui_.MsgBox(texts::kHourInvalid, platform::MB_OK, texts::kAppTitle);
        ui_.SetFocus(Ctl::txtTime0);
        return;
    }
    const double minute = NumericValue(ui_.ComboText(Ctl::txtTime1));
    if (!(minute >= 0 && minute <= 59)) {
        ui_.MsgBox(texts::kMinuteInvalid, platform::MB_OK, texts::kAppTitle);
        ui_.SetFocus(Ctl::txtTime1);
        return;
    }

    // Restarts the clock after a trigger stopped it.
    ui_.SetTimerInterval(platform::Timer::Timer1, 1000);

    ActionCode.clear();
    for (int i = 0; i < 3; ++i) {
        if (ui_.Value(kActionOptions[i])) {
            ActionCode = std::to_string(i);
            ui_.SetCaption(Ctl::lblKAKU, texts::kActionNames[i]);
        }
    }

    TargetTime[0] = ui_.ComboText(Ctl::txtTime0);
    TargetTime[1] = ui_.ComboText(Ctl::txtTime1);
    TargetTime[3] = TargetTime[0] + ":" + TargetTime[1];

    ui_.SetCaption(Ctl::lblKAKU, " " + ui_.Caption(Ctl::lblKAKU) + texts::kSentenceObject + TargetTime[3] +
                                     texts::kSentenceTail);

    ui_.SetIconFromFile(AppFile(api_, texts::kIconOnFileName));

    TrayTip = ui_.Caption(Ctl::lblKAKU);
    ProTask();

    ui_.SetEnabled(Ctl::Command5, true);
    ui_.SetEnabled(Ctl::cmdON, false);
    VELT_STARTUP_STEP("registered");

    SettingsFile(api_, ui_).SaveSettings(ActionCode, ui_.ComboText(Ctl::txtTime0),
                                         ui_.ComboText(Ctl::txtTime1), ui_.Value(Ctl::optSTART0));
    VELT_STARTUP_STEP("set.ini written");
}

void frmMain::cmdON_Click() {
    try {
        RegisterSchedule();
    } catch (const platform::PlatformError& e) {
        // The schedule is armed from the key on; tell the user what did not follow.
        const std::string file = FileNameOf(e.path());
        const char* tail =
            EndsWith(file, texts::kSettingsFileName) ? texts::kSettingsSaveFailed : texts::kIconLoadFailed;
        ui_.MsgBox(file + tail, platform::MB_OK, texts::kAppTitle);
    }
}

void frmMain::Command5_Click() {
    ui_.SetCaption(Ctl::lblKAKU, texts::kNotRegistered);
    TargetTime[3].clear();
    ui_.SetEnabled(Ctl::cmdON, true);
    try {
        ui_.SetIconFromFile(AppFile(api_, texts::kIconOffFileName));
    } catch (const platform::PlatformError&) {
        // The schedule is already disarmed; a missing picture must not leave both buttons usable.
    }
    ui_.SetEnabled(Ctl::Command5, false);
}

}  // namespace velt
