#include "session/mWinVer.h"

namespace velt {

void mWinVer::GetWinVersion(platform::WindowsApi& api) {
    OSInfo.dwOSVersionInfoSize = sizeof(platform::OsVersionInfoA148);
    api.GetVersionExA(OSInfo);
}

}  // namespace velt
