#include "platform/win32/Win32Api.h"

#include <shellapi.h>

#include <utility>

#include "platform/win32/Com_win.h"
#include "platform/win32/Text_win.h"
#include "platform/win32/VersionResource_win.h"

namespace velt::platform::win32 {

Win32Api::Win32Api() : Win32Api(kInstanceMutexName) {}

Win32Api::Win32Api(std::wstring instanceName) : instance_(std::move(instanceName)) {}

Win32Api::~Win32Api() = default;

bool Win32Api::Shell_NotifyIconA(std::uint32_t message, const NotifyIconData89& data) {
    return NotifyIconA(message, data);
}

bool Win32Api::Shell_NotifyIconW(std::uint32_t message, const NotifyIconData89& data,
                                 const std::string& tip) {
    return NotifyIconW(message, data, tip);
}

bool Win32Api::SetForegroundWindow(Handle hwnd) {
    return ::SetForegroundWindow(reinterpret_cast<HWND>(hwnd)) != FALSE;
}

std::uint32_t Win32Api::GetTickCount() {
    // The 32-bit count and its wrap after 49.7 days are what the elapsed-time display expects.
#if defined(_MSC_VER)
#pragma warning(suppress : 28159)
#endif
    return ::GetTickCount();
}

LocalTime Win32Api::GetLocalTime() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return LocalTime{now.wHour, now.wMinute, now.wSecond};
}

void Win32Api::ExitProcess(std::uint32_t exitCode) { ::ExitProcess(exitCode); }

void Win32Api::OpenWebPage(const std::string& url) {
    // The shell may hand the address to a COM handler.
    const ApartmentScope apartment(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ::ShellExecuteW(nullptr, L"open", Utf8ToWide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

VersionInfo Win32Api::GetOwnVersionInfo() { return ReadOwnVersionInfo(); }

std::string Win32Api::ToAnsi(std::string_view utf8) { return WideToCodePage(CP_ACP, Utf8ToWide(utf8)); }

std::string Win32Api::FromAnsi(std::string_view ansi) { return WideToUtf8(CodePageToWide(CP_ACP, ansi)); }

}  // namespace velt::platform::win32
