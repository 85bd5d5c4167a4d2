// The program: the three forms on real windows, then the message loop.
#include <windows.h>

#include "core/StartupSteps.h"
#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Windowing.h"
#include "tray/Form1.h"
#include "ui/frmAbout.h"
#include "ui/frmMain.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
    VELT_STARTUP_STEP("program entered");
    try {
        velt::platform::win32::Win32Api api;
        velt::platform::win32::Win32Windowing ui(instance);
        velt::frmMain frm(api, ui);
        velt::Form1 menu(api, ui);
        velt::frmAbout about(api, ui);
        ui.Attach(frm, menu, about);
        ui.CreateMainWindow();
        frm.Form_Load();
        return ui.RunMessageLoop();
    } catch (...) {
        return 1;
    }
}
