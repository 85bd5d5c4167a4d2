#include "doubles/FakeWindowsApi.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace velt::test {

namespace {

// Converts with glibc's own code page 932 tables; unconvertible input becomes '?', as
// Windows' default character does.
std::string Convert(const char* to, const char* from, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    std::string out;
    std::string src(in);
    char* inPtr = src.data();
    std::size_t inLeft = src.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // One '?' for the whole character, as Windows' default character stands for it.
            out.push_back('?');
            do {
                ++inPtr;
                --inLeft;
            } while (std::strcmp(from, "UTF-8") == 0 && inLeft > 0 &&
                     (static_cast<unsigned char>(*inPtr) & 0xC0) == 0x80);
        }
    }
    iconv_close(cd);
    return out;
}

std::string Hex(std::uintptr_t v) {
    char text[32];
    std::snprintf(text, sizeof text, "%#lx", static_cast<unsigned long>(v));
    return text;
}

}  // namespace

bool FakeWindowsApi::Shell_NotifyIconA(std::uint32_t message, const platform::NotifyIconData89& data) {
    log_.Add(message == platform::NIM_ADD      ? "Shell_NotifyIconA(NIM_ADD)"
             : message == platform::NIM_DELETE ? "Shell_NotifyIconA(NIM_DELETE)"
                                               : "Shell_NotifyIconA(" + std::to_string(message) + ")");
    notifyMessages.push_back(message);
    notifyRecords.push_back(data);
    return Notify(message, data, FromAnsiCopy(std::string(data.szTip, sizeof data.szTip).c_str()));
}

bool FakeWindowsApi::Shell_NotifyIconW(std::uint32_t message, const platform::NotifyIconData89& data,
                                       const std::string& tip) {
    log_.Add(message == platform::NIM_ADD ? "Shell_NotifyIconW(NIM_ADD)"
                                          : "Shell_NotifyIconW(" + std::to_string(message) + ")");
    notifyMessages.push_back(message);
    notifyRecords.push_back(data);
    unicodeTips.push_back(tip);
    return Notify(message, data, tip);
}

bool FakeWindowsApi::Notify(std::uint32_t message, const platform::NotifyIconData89& data,
                            const std::string& tip) {
    const std::pair<std::uint32_t, std::uint32_t> icon{+data.hWnd, +data.uID};
    if (message == platform::NIM_DELETE) return shellIcons.erase(icon) != 0;
    if (message != platform::NIM_ADD) return false;
    const AddAnswer answer = addAnswers.empty() ? AddAnswer::Added : addAnswers.front();
    if (!addAnswers.empty()) addAnswers.pop_front();
    if (answer == AddAnswer::Refused) return false;
    const bool added = shellIcons.emplace(icon, tip).second;
    return added && answer == AddAnswer::Added;
}

bool FakeWindowsApi::SetForegroundWindow(platform::Handle hwnd) {
    log_.Add("SetForegroundWindow(" + Hex(hwnd) + ")");
    return true;
}

bool FakeWindowsApi::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
    log_.Add("ExitWindowsEx(" + std::to_string(flags) + "," + std::to_string(reserved) + ")");
    return exitWindowsSucceeds;
}

bool FakeWindowsApi::GetVersionExA(platform::OsVersionInfoA148& info) {
    log_.Add("GetVersionExA(" + std::to_string(info.dwOSVersionInfoSize) + ")");
    info.dwMajorVersion = 10;
    info.dwPlatformId = platformId;
    return true;
}

platform::Handle FakeWindowsApi::GetCurrentProcess() {
    log_.Add("GetCurrentProcess");
    return static_cast<platform::Handle>(-1);
}

bool FakeWindowsApi::OpenProcessToken(platform::Handle process, std::uint32_t desiredAccess,
                                      platform::Handle& token) {
    log_.Add("OpenProcessToken(" + Hex(process) + "," + Hex(desiredAccess) + ")");
    if (!openTokenSucceeds) return false;
    token = 0x1234;
    return true;
}

bool FakeWindowsApi::LookupPrivilegeValueA(const char* systemName, const std::string& name,
                                           platform::Luid& luid) {
    log_.Add("LookupPrivilegeValueA(" + name + ")");
    lookupSystemName = systemName;
    lookupName = name;
    if (!lookupSucceeds) return false;
    luid = {0x13, 0x7};
    return true;
}

bool FakeWindowsApi::AdjustTokenPrivileges(platform::Handle token, bool disableAllPrivileges,
                                           const platform::TokenPrivileges28& newState,
                                           std::uint32_t bufferLength, void* previousState,
                                           std::uint32_t* returnLength) {
    log_.Add("AdjustTokenPrivileges(" + Hex(token) + ")");
    adjustedState = newState;
    adjustBufferLength = bufferLength;
    adjustDisableAll = disableAllPrivileges;
    adjustPrevious = previousState;
    adjustReturnLength = returnLength;
    lastError_ = adjustSucceeds ? lastErrorAfterAdjust : 6;
    return adjustSucceeds;
}

bool FakeWindowsApi::CloseHandle(platform::Handle handle) {
    log_.Add("CloseHandle(" + Hex(handle) + ")");
    return true;
}

bool FakeWindowsApi::IsAnotherInstanceRunning() {
    log_.Add("IsAnotherInstanceRunning");
    return anotherInstance;
}

void FakeWindowsApi::ExitProcess(std::uint32_t exitCode) {
    log_.Add("ExitProcess(" + std::to_string(exitCode) + ")");
    ++processExits;
}

void FakeWindowsApi::OpenWebPage(const std::string& url) {
    log_.Add("OpenWebPage(" + url + ")");
    openedPages.push_back(url);
}

std::string FakeWindowsApi::ToAnsi(std::string_view utf8) {
    return Convert(CodePageName().c_str(), "UTF-8", utf8);
}

std::string FakeWindowsApi::FromAnsi(std::string_view ansi) {
    return Convert("UTF-8", CodePageName().c_str(), ansi);
}

std::string FakeWindowsApi::FromAnsiCopy(const char* ansi) const {
    return Convert("UTF-8", CodePageName().c_str(), ansi);
}

bool FakeWindowsApi::FileExists(const std::string& path) {
    if (unexaminable.count(path) != 0) throw platform::PlatformError("cannot tell", path);
    return files.count(path) != 0;
}

std::optional<std::string> FakeWindowsApi::ReadFileHead(const std::string& path, std::size_t maxBytes) {
    log_.Add("ReadFileHead(" + path + ")");
    const auto it = files.find(path);
    if (it == files.end() || unreadable.count(path) != 0) return std::nullopt;
    return it->second.substr(0, maxBytes);
}

platform::SettingsAtStart FakeWindowsApi::RemoveLeftoverFiles(const std::string& path,
                                                              bool (*)(std::string_view)) {
    log_.Add("RemoveLeftoverFiles(" + path + ")");
    if (leftoversAnswer) return *leftoversAnswer;
    return unexaminable.count(path) != 0 ? platform::SettingsAtStart::ReadOnly
                                         : platform::SettingsAtStart::ReadOrDefaults;
}

void FakeWindowsApi::ReplaceFileContents(const std::string& path, std::string_view bytes) {
    log_.Add("ReplaceFileContents(" + path + ")");
    if (unwritable.count(path) != 0 || directories.count(path) != 0) {
        throw platform::PlatformError("cannot write", path);
    }
    files[path] = std::string(bytes);
}

}  // namespace velt::test
