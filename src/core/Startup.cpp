// Start-up, hiding to the tray, exit, and the end of the Windows session.
#include <string>

#include "common/Texts.h"
#include "common/TwoDigits.h"
#include "core/SettingsFile.h"
#include "core/StartupSteps.h"
#include "ui/frmMain.h"

namespace velt {

using platform::Ctl;

namespace {

// Start-up goes on whatever fails: a failing step is abandoned and the next one runs.
template <class Step>
void SkipOnFailure(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

// The answer of a test, or `onFailure` when the test itself fails.
template <class Test, class Answer = bool>
Answer TestOr(Test&& test, Answer onFailure) noexcept {
    try {
        return test();
    } catch (...) {
        return onFailure;
    }
}

void FillList(platform::Windowing& ui, Ctl box, int count) {
    for (std::uint8_t i = 0; i < count; ++i)
        ui.SetListItem(box, i, TwoDigits(i));
    ui.SetComboText(box, "00");
}

}  // namespace

void frmMain::Form_Load() {
    // A query that cannot answer must not keep the program from starting.
    if (TestOr([&] { return api_.IsAnotherInstanceRunning(); }, false)) {
        SkipOnFailure([&] { ui_.MsgBox(texts::kAlreadyRunning, platform::MB_OK, texts::kAppTitle); });
        api_.ExitProcess(0);
        return;
    }

    SkipOnFailure([&] { FillList(ui_, Ctl::txtTime0, 24); });
    SkipOnFailure([&] { FillList(ui_, Ctl::txtTime1, 60); });
    VELT_STARTUP_STEP("lists filled");
    TrayTip = texts::kStopped;
    SkipOnFailure([&] { ProTask(); });
    VELT_STARTUP_STEP("tray up");
    SkipOnFailure([&] {
        if (ui_.Caption(Ctl::lblKAKU).empty()) ui_.SetCaption(Ctl::lblKAKU, texts::kNotRegistered);
    });
    SkipOnFailure([&] { ui_.SetValue(Ctl::optSTART0, true); });

    SettingsFile settings(api_, ui_);
    // Leftovers that cannot be settled may hold the last save: the file is then read, never written.
    using platform::SettingsAtStart;
    const SettingsAtStart start =
        TestOr([&] { return settings.RemoveLeftovers(); }, SettingsAtStart::ReadOnly);
    // Holding, the last save stays where the next start can still restore it, and nothing is armed.
    const bool holding = start == SettingsAtStart::Hold;
    if (holding) {
        // The window keeps its start-up state: nothing is registered.
    } else if (start == SettingsAtStart::ReadOrDefaults &&
               TestOr([&] { return settings.SettingsFileExists() == False; }, false)) {
        SkipOnFailure([&] { settings.WriteDefaultSettings(); });
    } else {
        SkipOnFailure([&] { settings.LoadSettings(); });
    }
    VELT_STARTUP_STEP("set.ini read");

    if (!holding && TestOr([&] { return ui_.Value(Ctl::optSTART0); }, true)) {
        SkipOnFailure([&] { RegisterSchedule(); });
    }
    SkipOnFailure([&] { ui_.Hide(); });
    VELT_STARTUP_STEP("hidden");
}

void frmMain::Form_Unload(std::int16_t& Cancel) {
    const std::string status = ui_.Caption(Ctl::lblKAKU);
    if (status.empty() || status == texts::kNotRegistered) {
        try {
            ui_.SetIconFromFile(AppFile(api_, texts::kIconOffFileName));
        } catch (const platform::PlatformError&) {
            // Without the picture the tray still has to say that nothing is registered, and
            // the window still has to close.
        }
        TrayTip = texts::kNotRegistered;
        ProTask();
    }
    if (Cancel == 0) {
        Cancel = 1;
        ui_.Hide();
    }
}

void frmMain::Command2_Click() {
    const int answer =
        ui_.MsgBox(texts::kConfirmExit, platform::MB_YESNO | platform::MB_ICONQUESTION, texts::kAppTitle);
    if (answer == platform::IDYES) {
        RemoveTrayIcon();
        api_.ExitProcess(0);
    }
}

bool frmMain::Form_QueryEndSession() {
    // Closing the window only hides it, but the end of the session is not the user's close.
    return true;
}

void frmMain::Form_EndSession(bool ending) {
    if (ending) {
        RemoveTrayIcon();
        api_.ExitProcess(0);
    } else {
        // The log off was called off after the icon had gone.
        tray_.PutBackAfterLogoff(TrayTip);
    }
}

void frmMain::TaskbarCreated() { ProTask(); }

}  // namespace velt
