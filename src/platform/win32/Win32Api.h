// The program's Windows calls, made for real. A facade: each call goes to the file of the concept
// it serves (the settings file, the session end, the single instance, the tray icon, the version
// resource); only the calls that belong to no one concept are made here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/WinRecords.h"
#include "platform/WindowsApi.h"
#include "platform/win32/SessionEnd_win.h"
#include "platform/win32/SettingsFile_win.h"
#include "platform/win32/SingleInstance_win.h"
#include "platform/win32/TrayIcon_win.h"

namespace velt::platform::win32 {

class Win32Api final : public WindowsApi {
public:
    Win32Api();
    // `instanceName` names the single-instance mutex; tests use names of their own.
    explicit Win32Api(std::wstring instanceName);
    Win32Api(const Win32Api&) = delete;
    Win32Api& operator=(const Win32Api&) = delete;
    ~Win32Api() override;

    static constexpr const wchar_t* kInstanceMutexName = SingleInstance::kProgramName;

    bool Shell_NotifyIconA(std::uint32_t message, const NotifyIconData89& data) override;
    bool Shell_NotifyIconW(std::uint32_t message, const NotifyIconData89& data,
                           const std::string& tip) override;
    bool SetForegroundWindow(Handle hwnd) override;

    std::uint32_t GetTickCount() override;
    LocalTime GetLocalTime() override;

    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override {
        return session_.ExitWindowsEx(flags, reserved);
    }
    bool GetVersionExA(OsVersionInfoA148& info) override { return session_.GetVersionExA(info); }
    Handle GetCurrentProcess() override { return session_.GetCurrentProcess(); }
    bool OpenProcessToken(Handle process, std::uint32_t desiredAccess, Handle& token) override {
        return session_.OpenProcessToken(process, desiredAccess, token);
    }
    bool LookupPrivilegeValueA(const char* systemName, const std::string& name, Luid& luid) override {
        return session_.LookupPrivilegeValueA(systemName, name, luid);
    }
    bool AdjustTokenPrivileges(Handle token, bool disableAllPrivileges, const TokenPrivileges28& newState,
                               std::uint32_t bufferLength, void* previousState,
                               std::uint32_t* returnLength) override {
        return session_.AdjustTokenPrivileges(token, disableAllPrivileges, newState, bufferLength,
                                              previousState, returnLength);
    }
    std::uint32_t GetLastError() override { return session_.GetLastError(); }
    bool CloseHandle(Handle handle) override { return session_.CloseHandle(handle); }

    bool IsAnotherInstanceRunning() override { return instance_.AnotherIsRunning(); }
    void ExitProcess(std::uint32_t exitCode) override;
    void OpenWebPage(const std::string& url) override;
    VersionInfo GetOwnVersionInfo() override;

    std::string ToAnsi(std::string_view utf8) override;
    std::string FromAnsi(std::string_view ansi) override;

    std::string ApplicationDirectory() override { return settingsFile_.ApplicationDirectory(); }
    bool FileExists(const std::string& path) override { return settingsFile_.FileExists(path); }
    std::optional<std::string> ReadFileHead(const std::string& path, std::size_t maxBytes) override {
        return settingsFile_.ReadFileHead(path, maxBytes);
    }
    void ReplaceFileContents(const std::string& path, std::string_view bytes) override {
        settingsFile_.ReplaceFileContents(path, bytes);
    }
    SettingsAtStart RemoveLeftoverFiles(const std::string& path, bool (*isWhole)(std::string_view bytes)) override {
        return settingsFile_.RemoveLeftoverFiles(path, isWhole);
    }

private:
    SessionEndCalls session_;
    SingleInstance instance_;
    SettingsFileIo settingsFile_;
};

}  // namespace velt::platform::win32
