// The last step of a trigger: asking Windows to end the session.
#include "common/Texts.h"
#include "session/mPrevillege.h"
#include "session/mWinVer.h"
#include "ui/frmMain.h"

namespace velt {

void frmMain::RunSessionEnd() {
    using mPrevillege::PrivilegeOutcome;
    mWinVer winVer;
    winVer.GetWinVersion(api_);
    bool allowed = true;
    if (winVer.OSInfo.dwPlatformId == platform::VER_PLATFORM_WIN32_NT) {
        const auto outcome = mPrevillege::EnablePrivilege(api_, mPrevillege::kShutdownPrivilege);
        // A log off needs no shutdown privilege: a token without it may still log off.
        const bool logOff = ExitFlags == static_cast<std::int32_t>(platform::EWX_LOGOFF);
        allowed = outcome == PrivilegeOutcome::Enabled || (outcome == PrivilegeOutcome::NotHeld && logOff);
    }
    bool requested = false;
    if (allowed) {
        requested = api_.ExitWindowsEx(static_cast<std::uint32_t>(ExitFlags), 0);
    } else {
        ui_.MsgBox(texts::kNoPrivilege, platform::MB_OK, texts::kAppTitle);
    }
    // A log off that is not going to happen must not leave the program without its icon.
    if (!requested) tray_.PutBackAfterLogoff(TrayTip);
}

}  // namespace velt
