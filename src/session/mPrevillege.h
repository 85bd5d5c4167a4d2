// Enabling a privilege in the program's own process token.
#pragma once

#include <string>

#include "core/Boolean.h"
#include "platform/WindowsApi.h"

namespace velt::mPrevillege {

inline constexpr char kShutdownPrivilege[] = "SeShutdownPrivilege";

// True when the named privilege is now enabled, False otherwise.
Boolean EnablePrivilege(platform::WindowsApi& api, const std::string& name);

}  // namespace velt::mPrevillege
