// The last step of a trigger: asking Windows to end the session.
#include "session/mPrevillege.h"
#include "ui/Texts.h"
#include "ui/frmMain.h"

namespace velt {

void frmMain::RunSessionEnd() {
    winVer_.GetWinVersion(api_);
    bool requested = false;
    if (winVer_.OSInfo.dwPlatformId == platform::VER_PLATFORM_WIN32_NT &&
        mPrevillege::EnablePrivilege(api_, mPrevillege::kShutdownPrivilege) == False) {
        ui_.MsgBox(texts::kNoPrivilege, platform::MB_OK, texts::kAppTitle);
    } else {
        requested = api_.ExitWindowsEx(static_cast<std::uint32_t>(ExitFlags), 0);
    }
    // A log off that is not going to happen must not leave the program without its icon.
    if (!requested && trayRemovedForLogoff_) ProTask();
}

}  // namespace velt
