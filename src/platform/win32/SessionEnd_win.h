// The session end's Windows half: the Windows family, the process token and its shutdown
// privilege, and ExitWindowsEx. Each call keeps its own last-error value, which the privilege
// step reads after AdjustTokenPrivileges.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/WinRecords.h"
#include "platform/WindowsApi.h"

namespace velt::platform::win32 {

class SessionEndCalls {
public:
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved);
    bool GetVersionExA(OsVersionInfoA148& info);
    Handle GetCurrentProcess();
    bool OpenProcessToken(Handle process, std::uint32_t desiredAccess, Handle& token);
    bool LookupPrivilegeValueA(const char* systemName, const std::string& name, Luid& luid);
    bool AdjustTokenPrivileges(Handle token, bool disableAllPrivileges, const TokenPrivileges28& newState,
                               std::uint32_t bufferLength, void* previousState, std::uint32_t* returnLength);
    // The error of the last call above, whatever Windows did since.
    std::uint32_t GetLastError();
    bool CloseHandle(Handle handle);

private:
    void SaveLastError() noexcept { lastError_ = ::GetLastError(); }

    std::uint32_t lastError_ = 0;
};

}  // namespace velt::platform::win32
