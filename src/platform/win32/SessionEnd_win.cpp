#include "platform/win32/SessionEnd_win.h"

#include <cstddef>
#include <cstring>

namespace velt::platform::win32 {

static_assert(sizeof(OSVERSIONINFOA) == sizeof(OsVersionInfoA148));
static_assert(sizeof(LUID) == sizeof(Luid));
static_assert(offsetof(TOKEN_PRIVILEGES, Privileges) == offsetof(TokenPrivileges28, Privileges));
static_assert(sizeof(LUID_AND_ATTRIBUTES) == sizeof(LuidAndAttributes));
static_assert(alignof(TOKEN_PRIVILEGES) <= alignof(TokenPrivileges28));

namespace {

HANDLE ToHandle(Handle handle) noexcept { return reinterpret_cast<HANDLE>(handle); }

Handle FromHandle(HANDLE handle) noexcept { return reinterpret_cast<Handle>(handle); }

}  // namespace

bool SessionEndCalls::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
    const BOOL ok = ::ExitWindowsEx(flags, reserved);
    SaveLastError();
    return ok != FALSE;
}

bool SessionEndCalls::GetVersionExA(OsVersionInfoA148& info) {
    OSVERSIONINFOA native;
    std::memcpy(&native, &info, sizeof native);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
    const BOOL ok = ::GetVersionExA(&native);
    SaveLastError();
    std::memcpy(&info, &native, sizeof native);
    return ok != FALSE;
}

Handle SessionEndCalls::GetCurrentProcess() { return FromHandle(::GetCurrentProcess()); }

bool SessionEndCalls::OpenProcessToken(Handle process, std::uint32_t desiredAccess, Handle& token) {
    HANDLE opened = nullptr;
    const BOOL ok = ::OpenProcessToken(ToHandle(process), desiredAccess, &opened);
    SaveLastError();
    if (ok) {
        token = FromHandle(opened);
    }
    return ok != FALSE;
}

bool SessionEndCalls::LookupPrivilegeValueA(const char* systemName, const std::string& name, Luid& luid) {
    LUID found = {};
    const BOOL ok = ::LookupPrivilegeValueA(systemName, name.c_str(), &found);
    SaveLastError();
    if (ok) {
        luid.LowPart = found.LowPart;
        luid.HighPart = found.HighPart;
    }
    return ok != FALSE;
}

bool SessionEndCalls::AdjustTokenPrivileges(Handle token, bool disableAllPrivileges,
                                            const TokenPrivileges28& newState, std::uint32_t bufferLength,
                                            void* previousState, std::uint32_t* returnLength) {
    // The whole 28-byte record and the caller's BufferLength go to Windows unchanged.
    TokenPrivileges28 state = newState;
    DWORD returned = 0;
    const BOOL ok = ::AdjustTokenPrivileges(ToHandle(token), disableAllPrivileges ? TRUE : FALSE,
                                            reinterpret_cast<PTOKEN_PRIVILEGES>(&state), bufferLength,
                                            static_cast<PTOKEN_PRIVILEGES>(previousState),
                                            returnLength != nullptr ? &returned : nullptr);
    // ERROR_NOT_ALL_ASSIGNED comes only through the last-error value: keep it before anything
    // else can overwrite it.
    SaveLastError();
    if (returnLength != nullptr) {
        *returnLength = returned;
    }
    return ok != FALSE;
}

std::uint32_t SessionEndCalls::GetLastError() { return lastError_; }

bool SessionEndCalls::CloseHandle(Handle handle) {
    const BOOL ok = ::CloseHandle(ToHandle(handle));
    SaveLastError();
    return ok != FALSE;
}
}  // namespace velt::platform::win32
