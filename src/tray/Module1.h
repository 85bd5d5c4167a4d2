// Taking the tray icon away at exit.
#pragma once

#include "platform/Windowing.h"
#include "platform/WindowsApi.h"

namespace velt::Module1 {

// Removes the program's tray icon; the shell finds it by window and id alone.
void RemoveTrayIcon(platform::WindowsApi& api, platform::Windowing& ui);

}  // namespace velt::Module1
