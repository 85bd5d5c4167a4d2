// The Windows calls the program makes, named as in Windows and shaped as the program passes them.
// src/platform/win32 implements this for real; tests use recording doubles.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/WinRecords.h"

namespace velt::platform {

// A file or picture operation that failed. `path` names the file for the user.
class PlatformError : public std::runtime_error {
public:
    PlatformError(const std::string& what, std::string path)
        : std::runtime_error(what), path_(std::move(path)) {}
    const std::string& path() const noexcept { return path_; }

private:
    std::string path_;
};

struct LocalTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// What the executable's own version resource says.
struct VersionInfo {
    std::string productName;  // UTF-8
    unsigned major = 0, minor = 0, build = 0, revision = 0;
};

// What start-up may do with set.ini once what cut-off saves left beside it is settled.
enum class SettingsAtStart {
    ReadOrDefaults,  // nothing beside set.ini is needed: read it, or write the defaults when no
                     // file stands under its name
    ReadOnly,        // set.ini cannot be examined: read it, never write over it
    Hold,            // a copy that may be the last save cannot be listed, read or moved in now:
                     // nothing is read, written or armed, and the next start tries again
};

class WindowsApi {
public:
    virtual ~WindowsApi() = default;

    // shell32 / user32: tray
    // The two tray calls keep no state: they are made from the tray's own thread
    // (Windowing::RunTrayStep) as well as from the windows' thread.
    virtual bool Shell_NotifyIconA(std::uint32_t message, const NotifyIconData89& data) = 0;
    // The same icon through the Unicode call, for a tip the ANSI code page cannot hold: the
    // record's fields with `tip` (UTF-8) as the tip, cut at a whole character to fit.
    virtual bool Shell_NotifyIconW(std::uint32_t message, const NotifyIconData89& data,
                                   const std::string& tip) = 0;
    virtual bool SetForegroundWindow(Handle hwnd) = 0;

    // kernel32: clock
    virtual std::uint32_t GetTickCount() = 0;
    virtual LocalTime GetLocalTime() = 0;

    // session end
    virtual bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) = 0;
    virtual bool GetVersionExA(OsVersionInfoA148& info) = 0;
    virtual Handle GetCurrentProcess() = 0;
    virtual bool OpenProcessToken(Handle process, std::uint32_t desiredAccess, Handle& token) = 0;
    // `systemName` null means the local system; `name` is already in the ANSI code page.
    virtual bool LookupPrivilegeValueA(const char* systemName, const std::string& name, Luid& luid) = 0;
    virtual bool AdjustTokenPrivileges(Handle token, bool disableAllPrivileges,
                                       const TokenPrivileges28& newState, std::uint32_t bufferLength,
                                       void* previousState, std::uint32_t* returnLength) = 0;
    virtual std::uint32_t GetLastError() = 0;
    virtual bool CloseHandle(Handle handle) = 0;

    // process
    // True when another instance already runs in this user session. The first caller keeps
    // the claim for the rest of its life.
    virtual bool IsAnotherInstanceRunning() = 0;
    // Ends the process at once. Test doubles record it and return.
    virtual void ExitProcess(std::uint32_t exitCode) = 0;
    // Opens a web address in the user's browser.
    virtual void OpenWebPage(const std::string& url) = 0;
    virtual VersionInfo GetOwnVersionInfo() = 0;

    // text: UTF-8 inside, the ANSI code page where Windows wants ANSI bytes
    virtual std::string ToAnsi(std::string_view utf8) = 0;
    virtual std::string FromAnsi(std::string_view ansi) = 0;

    // files (paths are UTF-8)
    virtual std::string ApplicationDirectory() = 0;
    // True for an existing file, false for a directory or nothing there. Throws PlatformError
    // when it cannot be told (access denied, a sharing violation, a network path that is away).
    virtual bool FileExists(const std::string& path) = 0;
    // Up to maxBytes from the start of the file, what came before a failed read; nullopt when it
    // cannot be opened, also after waiting out a moment of sharing.
    virtual std::optional<std::string> ReadFileHead(const std::string& path, std::size_t maxBytes) = 0;
    // Replaces the file's content in one step: afterwards the file holds either all the new
    // bytes or all the old ones. An existing file keeps its attributes and security. Where the
    // folder refuses new files but the file may be changed, the file is rewritten in place.
    // Throws PlatformError when the new bytes are not in place and the next start would not put
    // them there either. A copy stays beside the file only when none could be put under `path`
    // or another program holds it; RemoveLeftoverFiles finds it at the next start.
    virtual void ReplaceFileContents(const std::string& path, std::string_view bytes) = 0;
    // Removes what an interrupted ReplaceFileContents of `path` left beside it. When `path`
    // itself is missing, the newest leftover of new bytes that `isWhole` accepts, or else the
    // newest old file moved aside, takes its place first; while that copy cannot be listed,
    // read or moved in, nothing is removed and the answer is Hold.
    virtual SettingsAtStart RemoveLeftoverFiles(const std::string& path,
                                                bool (*isWhole)(std::string_view bytes)) = 0;
};

}  // namespace velt::platform
