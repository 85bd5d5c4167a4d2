// The windowing facility the three forms use: controls addressed by their names, timers,
// icons, visibility, message boxes and the tray menu. src/platform/win32 implements it with
// real windows; tests use a recording double.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/WinRecords.h"

namespace velt::platform {

// Controls of the main window. Indexed groups carry their index in the name:
// txtTime(0) is txtTime0, Option1(2) is Option1_2.
enum class Ctl : std::uint8_t {
    frmMain,
    cmdON,
    Command5,
    Command2,
    Frame1,
    Frame2,
    Frame3,
    Frame4,
    Frame5,
    txtTime0,
    txtTime1,
    Label1,
    Label2,
    Label3,
    Label4,
    Label5,
    Label6,
    Label7,
    lblTIME,
    lblKAKU,
    Option1_0,
    Option1_1,
    Option1_2,
    optSTART0,
    optSTART1,
    Count
};

enum class Timer : std::uint8_t { Timer1, Timer2 };

// Entries of Form1's menu.
enum class MenuItem : std::uint8_t { mnuTray, mnuOpen, mnuClose, mnuLine, mnuweb, mnuVer, Count };

// Controls of the About window whose text the program sets at run time.
enum class AboutCtl : std::uint8_t { frmAbout, lblVersion };

class Windowing {
public:
    virtual ~Windowing() = default;

    // --- main window controls
    virtual void SetCaption(Ctl control, std::string_view text) = 0;
    virtual std::string Caption(Ctl control) = 0;
    virtual void SetEnabled(Ctl control, bool enabled) = 0;
    virtual bool Enabled(Ctl control) = 0;
    virtual void SetFocus(Ctl control) = 0;
    // Option buttons: selected or not. Selecting one clears the rest of its group.
    virtual bool Value(Ctl option) = 0;
    virtual void SetValue(Ctl option, bool selected) = 0;
    // Drop-down lists.
    virtual void SetListItem(Ctl combo, int index, std::string_view text) = 0;
    virtual std::string ComboText(Ctl combo) = 0;
    // Picks the entry equal to `text`. Returns false, leaving the box as it was, when none is.
    virtual bool SetComboText(Ctl combo, std::string_view text) = 0;

    // --- main window itself
    virtual void SetTimerInterval(Timer timer, std::uint32_t milliseconds) = 0;
    // Loads an .ico file as the window's icon. Throws PlatformError when it cannot be loaded.
    virtual void SetIconFromFile(const std::string& path) = 0;
    virtual Handle IconHandle() = 0;
    virtual Handle WindowHandle() = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool Visible() = 0;
    // The screen's horizontal twips per pixel (15 at 96 DPI).
    virtual float TwipsPerPixelX() = 0;
    // Lets every pending message run once.
    virtual void DoEvents() = 0;
    // Presses Tab in the window that has the focus, without waiting.
    virtual void SendTabKey() = 0;

    // --- message boxes: returns IDOK, IDCANCEL, IDYES or IDNO
    virtual int MsgBox(std::string_view text, unsigned style, std::string_view title) = 0;

    // --- Form1 and its menu; touching the menu brings Form1 into being
    // Throws std::runtime_error when the menu cannot be made now; the entry's visibility is kept,
    // and the menu is made when it is next touched or opened.
    virtual void SetMenuVisible(MenuItem item, bool visible) = 0;
    // Pops up mnuTray's entries from the main window at the pointer, making the menu first where
    // it is not made yet (std::runtime_error when it still cannot be).
    virtual void PopupTrayMenu() = 0;

    // --- the tray icon's calls to the shell, which may take seconds to answer
    // Runs `step` after `delayMs` and tells what it returned to `done` on the windows' thread. One
    // step runs at a time; a step not yet begun gives way to the next one handed over, and only the
    // answer of the last one handed over is told. While the shell answers, a step due at once runs
    // here and is answered before this returns; after a failure, steps run away from the windows'
    // thread until the shell answers again. A step owns what it carries: it may outlive a stop.
    virtual void RunTrayStep(std::uint32_t delayMs, std::function<bool()> step,
                             std::function<void(bool)> done) = 0;
    // Drops the step not yet begun and runs `last` once the one under way has ended, waiting for
    // them at most about a second: no other step runs, and no answer is told, until the next
    // RunTrayStep.
    virtual void StopTraySteps(std::function<bool()> last) = 0;
    // Keeps the window's current icon picture from being freed while the holder lives.
    virtual const std::shared_ptr<const void>& HoldIcon() = 0;

    // --- frmAbout
    // Shows the About window modeless, creating it (and running its load handler) when it is
    // not open, or bringing it to the front when it is.
    virtual void ShowAbout() = 0;
    virtual void CloseAbout() = 0;
    virtual void SetAboutCaption(AboutCtl control, std::string_view text) = 0;
};

// Handlers of the main window, named after the control and the event.
class MainFormEvents {
public:
    virtual ~MainFormEvents() = default;
    virtual void Form_Load() = 0;
    virtual void Form_Unload(std::int16_t& Cancel) = 0;
    virtual void cmdON_Click() = 0;
    virtual void Command5_Click() = 0;
    virtual void Command2_Click() = 0;
    virtual void Timer1_Timer() = 0;
    virtual void Timer2_Timer() = 0;
    virtual void txtTime_KeyDown(std::int16_t Index, std::int16_t& KeyCode, std::int16_t Shift) = 0;
    virtual void Form_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y) = 0;
    // Windows asks whether the session may end; true lets it.
    virtual bool Form_QueryEndSession() = 0;
    // Windows tells whether the session really ends.
    virtual void Form_EndSession(bool ending) = 0;
    // The shell was restarted and the notification area is new.
    virtual void TaskbarCreated() = 0;
};

class MenuFormEvents {
public:
    virtual ~MenuFormEvents() = default;
    virtual void mnuOpen_Click() = 0;
    virtual void mnuClose_Click() = 0;
    virtual void mnuweb_Click() = 0;
    virtual void mnuVer_Click() = 0;
};

class AboutFormEvents {
public:
    virtual ~AboutFormEvents() = default;
    virtual void Form_Load() = 0;
    virtual void cmdOK_Click() = 0;
    virtual void Label2_Click() = 0;
};

}  // namespace velt::platform
