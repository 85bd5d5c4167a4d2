// The program's Windows calls, made for real.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/WinRecords.h"
#include "platform/WindowsApi.h"
#include "platform/win32/ScopedWin.h"
#include "platform/win32/TrayIcon_win.h"  // the tray calls are made there

namespace velt::platform::win32 {

// The directory part of a module path, without a trailing backslash unless it is a root
// ("C:\dir\a.exe" -> "C:\dir", "C:\a.exe" -> "C:\").
std::wstring DirectoryOfPath(std::wstring_view path);

class Win32Api final : public WindowsApi {
public:
    Win32Api();
    // `instanceName` names the single-instance mutex; tests use names of their own.
    explicit Win32Api(std::wstring instanceName);
    Win32Api(const Win32Api&) = delete;
    Win32Api& operator=(const Win32Api&) = delete;
    ~Win32Api() override;

    static const wchar_t* const kInstanceMutexName;

    bool Shell_NotifyIconA(std::uint32_t message, const NotifyIconData89& data) override;
    bool Shell_NotifyIconW(std::uint32_t message, const NotifyIconData89& data,
                           const std::string& tip) override;
    bool SetForegroundWindow(Handle hwnd) override;

    std::uint32_t GetTickCount() override;
    LocalTime GetLocalTime() override;

    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
    bool GetVersionExA(OsVersionInfoA148& info) override;
    Handle GetCurrentProcess() override;
    bool OpenProcessToken(Handle process, std::uint32_t desiredAccess, Handle& token) override;
    bool LookupPrivilegeValueA(const char* systemName, const std::string& name, Luid& luid) override;
    bool AdjustTokenPrivileges(Handle token, bool disableAllPrivileges, const TokenPrivileges28& newState,
                               std::uint32_t bufferLength, void* previousState,
                               std::uint32_t* returnLength) override;
    std::uint32_t GetLastError() override;
    bool CloseHandle(Handle handle) override;

    bool IsAnotherInstanceRunning() override;
    void ExitProcess(std::uint32_t exitCode) override;
    void OpenWebPage(const std::string& url) override;
    VersionInfo GetOwnVersionInfo() override;

    std::string ToAnsi(std::string_view utf8) override;
    std::string FromAnsi(std::string_view ansi) override;

    std::string ApplicationDirectory() override;
    bool FileExists(const std::string& path) override;
    std::optional<std::string> ReadFileHead(const std::string& path, std::size_t maxBytes) override;
    void ReplaceFileContents(const std::string& path, std::string_view bytes) override;
    void RemoveLeftoverFiles(const std::string& path, bool (*isWhole)(std::string_view bytes)) override;

private:
    void SaveLastError() noexcept { lastError_ = ::GetLastError(); }

    std::wstring instanceName_;
    UniqueHandle instanceMutex_;
    std::optional<bool> anotherInstance_;
    std::uint32_t lastError_ = 0;
    unsigned long tempCounter_ = 0;
};

}  // namespace velt::platform::win32
