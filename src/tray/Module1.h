// Taking the tray icon away at exit.
#pragma once

#include "tray/TrayIcon.h"

namespace velt::Module1 {

// Removes the program's tray icon; the shell finds it by window and id alone.
inline void RemoveTrayIcon(TrayIcon& tray) { tray.Remove(); }

}  // namespace velt::Module1
