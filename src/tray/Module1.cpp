#include "tray/Module1.h"

#include "tray/TrayIcon.h"

namespace velt::Module1 {

void RemoveTrayIcon(platform::WindowsApi& api, platform::Windowing& ui) {
    platform::NotifyIconData89 data{};
    data.cbSize = sizeof(data);
    data.hWnd = HandleBits(ui.WindowHandle());
    data.uID = kTrayIconId;
    data.uFlags = platform::NIF_MESSAGE | platform::NIF_TIP;
    data.uCallbackMessage = 11;
    data.hIcon = HandleBits(ui.IconHandle());
    TakeTrayIconDown(api, ui, data);
}

}  // namespace velt::Module1
