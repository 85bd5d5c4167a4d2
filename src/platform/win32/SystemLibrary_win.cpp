#include "platform/win32/SystemLibrary_win.h"

#include <cwchar>

namespace velt::platform::win32 {

HMODULE LoadSystemLibrary(const wchar_t* name) noexcept {
    if (HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    // Windows 7 without KB2533623 does not know the flag: name the system folder instead.
    if (::GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    wchar_t path[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    const std::size_t nameLength = std::wcslen(name);
    if (length == 0 || length + 1 + nameLength >= MAX_PATH) return nullptr;
    path[length] = L'\\';
    std::wmemcpy(path + length + 1, name, nameLength + 1);
    return ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace velt::platform::win32
