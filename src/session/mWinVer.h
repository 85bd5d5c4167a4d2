// Which family of Windows is running.
#pragma once

#include "platform/WinRecords.h"
#include "platform/WindowsApi.h"

namespace velt {

class mWinVer {
public:
    // Refreshes OSInfo; the call's own result is not needed, the record says it all.
    void GetWinVersion(platform::WindowsApi& api);

    // Filled by the last GetWinVersion; only dwPlatformId is read.
    platform::OsVersionInfoA148 OSInfo{};
};

}  // namespace velt
