// The settings file's Windows half: the program's folder, whether set.ini is there, reading it,
// and writing it whole. A save writes a file beside set.ini and swaps it in with ReplaceFileW;
// a folder that refuses new files gets set.ini rewritten in place; a save cut off half way leaves
// files that the next start puts right.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/WindowsApi.h"

namespace velt::platform::win32 {

// The directory part of a module path, without a trailing backslash unless it is a root
// ("C:\dir\a.exe" -> "C:\dir", "C:\a.exe" -> "C:\").
std::wstring DirectoryOfPath(std::wstring_view path);

// As the WindowsApi calls of the same names.
class SettingsFileIo {
public:
    std::string ApplicationDirectory();
    bool FileExists(const std::string& path);
    std::optional<std::string> ReadFileHead(const std::string& path, std::size_t maxBytes);
    void ReplaceFileContents(const std::string& path, std::string_view bytes);
    SettingsAtStart RemoveLeftoverFiles(const std::string& path, bool (*isWhole)(std::string_view bytes));

private:
    unsigned long tempCounter_ = 0;  // numbers this process's save files
};

}  // namespace velt::platform::win32
