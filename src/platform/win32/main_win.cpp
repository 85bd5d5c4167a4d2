// The program: the three forms on real windows, then the message loop.
#include <windows.h>

#include <cstdlib>

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Windowing.h"
#include "tray/Form1.h"
#include "ui/frmAbout.h"
#include "ui/frmMain.h"

#if defined(__MINGW32__)
// The runtime's default handler for an exception nobody catches prints its demangled type to a
// console this program does not have, and brings in the whole C++ demangler for that. The link
// redirects it here (--wrap): end the process as that handler would after printing.
extern "C" [[noreturn]] void __wrap__ZN9__gnu_cxx27__verbose_terminate_handlerEv() { std::abort(); }
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
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
