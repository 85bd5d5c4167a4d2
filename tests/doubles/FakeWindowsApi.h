// A recording stand-in for the Windows calls. Nothing here can end any session.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "doubles/CallLog.h"
#include "platform/WindowsApi.h"

namespace velt::test {

class FakeWindowsApi final : public platform::WindowsApi {
public:
    explicit FakeWindowsApi(CallLog& log) : log_(log) {}

    // --- what the fake answers
    std::uint32_t tickCount = 0;
    unsigned ansiCodePage = 932;
    platform::LocalTime localTime{};
    std::uint32_t platformId = platform::VER_PLATFORM_WIN32_NT;
    bool openTokenSucceeds = true;
    bool lookupSucceeds = true;
    bool adjustSucceeds = true;
    std::uint32_t lastErrorAfterAdjust = 0;
    bool exitWindowsSucceeds = true;
    bool anotherInstance = false;
    std::string appDir = "C:\\Apps\\Velt";
    platform::VersionInfo version{"Velt_PCタイマー終了", 1, 2, 0, 3};
    // Paths whose writes fail, as a read-only folder or a locked file would.
    std::set<std::string> unwritable;
    // Paths that exist but cannot be opened for reading.
    std::set<std::string> unreadable;
    // Paths whose existence cannot be told, as with access denied on the folder.
    std::set<std::string> unexaminable;
    // The files on the fake disk, by full path, holding ANSI bytes.
    std::map<std::string, std::string> files;
    std::set<std::string> directories;
    // What settling the leftovers of saves answers; unset, as with none left beside the file.
    std::optional<platform::SettingsAtStart> leftoversAnswer;

    // --- the shell's notification area
    // How the shell answers NIM_ADD while Windows starts: it may not be there or not answer in
    // time (FALSE, no icon), or answer too late although it did add the icon (FALSE, icon).
    enum class AddAnswer { Added, Refused, AddedButFailed };
    std::deque<AddAnswer> addAnswers;  // one per NIM_ADD, in turn; Added when empty
    // The icons the shell holds, by window and id, with their tips (UTF-8). Like the shell, it
    // refuses a second icon of the same window and id, and a delete of one it does not hold.
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::string> shellIcons;

    // --- what the program did
    std::vector<platform::NotifyIconData89> notifyRecords;  // in call order
    std::vector<std::uint32_t> notifyMessages;
    std::vector<std::string> unicodeTips;  // of the Unicode calls, in call order
    std::optional<platform::TokenPrivileges28> adjustedState;
    std::uint32_t adjustBufferLength = 0;
    bool adjustDisableAll = true;
    const void* adjustPrevious = reinterpret_cast<const void*>(1);
    const void* adjustReturnLength = reinterpret_cast<const void*>(1);
    const char* lookupSystemName = "unset";
    std::string lookupName;
    int processExits = 0;
    std::vector<std::string> openedPages;

    bool Shell_NotifyIconA(std::uint32_t message, const platform::NotifyIconData89& data) override;
    bool Shell_NotifyIconW(std::uint32_t message, const platform::NotifyIconData89& data,
                           const std::string& tip) override;
    bool SetForegroundWindow(platform::Handle hwnd) override;
    std::uint32_t GetTickCount() override { return tickCount; }
    platform::LocalTime GetLocalTime() override { return localTime; }
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
    bool GetVersionExA(platform::OsVersionInfoA148& info) override;
    platform::Handle GetCurrentProcess() override;
    bool OpenProcessToken(platform::Handle process, std::uint32_t desiredAccess,
                          platform::Handle& token) override;
    bool LookupPrivilegeValueA(const char* systemName, const std::string& name,
                               platform::Luid& luid) override;
    bool AdjustTokenPrivileges(platform::Handle token, bool disableAllPrivileges,
                               const platform::TokenPrivileges28& newState, std::uint32_t bufferLength,
                               void* previousState, std::uint32_t* returnLength) override;
    std::uint32_t GetLastError() override { return lastError_; }
    bool CloseHandle(platform::Handle handle) override;
    bool IsAnotherInstanceRunning() override;
    void ExitProcess(std::uint32_t exitCode) override;
    void OpenWebPage(const std::string& url) override;
    platform::VersionInfo GetOwnVersionInfo() override { return version; }
    // As Windows converts with ansiCodePage: unconvertible characters become '?'.
    std::string ToAnsi(std::string_view utf8) override;
    std::string FromAnsi(std::string_view ansi) override;
    std::string ApplicationDirectory() override { return appDir; }
    bool FileExists(const std::string& path) override;
    std::optional<std::string> ReadFileHead(const std::string& path, std::size_t maxBytes) override;
    void ReplaceFileContents(const std::string& path, std::string_view bytes) override;
    platform::SettingsAtStart RemoveLeftoverFiles(const std::string& path, bool (*)(std::string_view)) override;

    std::string SettingsPath() const { return appDir + "\\set.ini"; }
    // The UTF-8 text of a 0-terminated ANSI buffer.
    std::string FromAnsiCopy(const char* ansi) const;
    std::string CodePageName() const { return "CP" + std::to_string(ansiCodePage); }

private:
    bool Notify(std::uint32_t message, const platform::NotifyIconData89& data, const std::string& tip);

    CallLog& log_;
    std::uint32_t lastError_ = 0;
};

}  // namespace velt::test
