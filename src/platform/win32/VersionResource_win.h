// Reading the VS_VERSIONINFO tree of a version resource without version.dll: the fixed file
// version and the StringFileInfo "ProductName". Every length is checked against the buffer, so
// a damaged resource gives nullopt or partial data, never a read past its end.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>

#include "platform/WindowsApi.h"

namespace velt::platform::win32 {

std::optional<VersionInfo> ParseVersionResource(const void* data, std::size_t size);

// The running program's own version resource, read; throws PlatformError where it cannot be.
VersionInfo ReadOwnVersionInfo();

}  // namespace velt::platform::win32
