#include "session/mPrevillege.h"

namespace velt::mPrevillege {

PrivilegeOutcome EnablePrivilege(platform::WindowsApi& api, const std::string& name) {
    PrivilegeOutcome result = PrivilegeOutcome::Failed;
    platform::Handle token = 0;
    platform::Luid luid{};
    platform::TokenPrivileges28 newState{};

    if (api.OpenProcessToken(api.GetCurrentProcess(), platform::TOKEN_ADJUST_PRIVILEGES, token) &&
        api.LookupPrivilegeValueA(nullptr, api.ToAnsi(name), luid)) {
        newState.PrivilegeCount = 1;
        newState.Privileges[0].Luid_ = luid;
        newState.Privileges[0].Attributes = platform::SE_PRIVILEGE_ENABLED;
        // The call also succeeds for a token that does not hold the privilege at all; only the
        // last error tells that nothing was enabled.
        if (api.AdjustTokenPrivileges(token, false, newState, sizeof(newState), nullptr, nullptr)) {
            result = api.GetLastError() == platform::ERROR_NOT_ALL_ASSIGNED ? PrivilegeOutcome::NotHeld
                                                                            : PrivilegeOutcome::Enabled;
        }
    }
    if (token != 0) api.CloseHandle(token);
    return result;
}

}  // namespace velt::mPrevillege
