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
        velt::Form1 menu(api, ui, frm.Tray());
        velt::frmAbout about(api, ui);
        ui.Attach(frm, menu, about);
        ui.CreateMainWindow();
        frm.Form_Load();
        // Ended here, as every exit ends it: the tray's thread may still be in the shell with a
        // step that uses `api` (TrayIcon_win.h).
        ::ExitProcess(static_cast<UINT>(ui.RunMessageLoop()));
    } catch (...) {
        return 1;
    }
}
