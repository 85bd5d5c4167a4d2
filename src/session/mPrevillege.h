// Enabling a privilege in the program's own process token.
#pragma once

#include <string>

#include "platform/WindowsApi.h"

namespace velt::mPrevillege {

inline constexpr char kShutdownPrivilege[] = "SeShutdownPrivilege";

enum class PrivilegeOutcome {
    Enabled,
    NotHeld,  // the token calls succeeded, but the token has no such privilege to enable
    Failed,   // a token call itself failed
};

// Enables the named privilege and tells what came of it.
PrivilegeOutcome EnablePrivilege(platform::WindowsApi& api, const std::string& name);

}  // namespace velt::mPrevillege
