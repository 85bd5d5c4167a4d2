// Byte-exact records the program exchanges with Windows. Kept free of <windows.h> so the
// logic that fills them compiles and is tested anywhere.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velt::platform {

// Handles (HWND, HICON, HANDLE) travel as integers through the seam.
using Handle = std::uintptr_t;

#pragma pack(push, 1)
// The program's own form of NOTIFYICONDATAA: 32-bit fields and a 65-byte tip, 89 bytes in all.
struct NotifyIconData89 {
    std::uint32_t cbSize;
    std::uint32_t hWnd;
    std::uint32_t uID;
    std::uint32_t uFlags;
    std::uint32_t uCallbackMessage;
    std::uint32_t hIcon;
    char szTip[65];
};
#pragma pack(pop)
static_assert(sizeof(NotifyIconData89) == 89);
static_assert(offsetof(NotifyIconData89, hWnd) == 4);
static_assert(offsetof(NotifyIconData89, uID) == 8);
static_assert(offsetof(NotifyIconData89, uFlags) == 12);
static_assert(offsetof(NotifyIconData89, uCallbackMessage) == 16);
static_assert(offsetof(NotifyIconData89, hIcon) == 20);
static_assert(offsetof(NotifyIconData89, szTip) == 24);

inline constexpr std::uint32_t NIM_ADD = 0;
inline constexpr std::uint32_t NIM_DELETE = 2;
inline constexpr std::uint32_t NIF_MESSAGE = 1;
inline constexpr std::uint32_t NIF_ICON = 2;
inline constexpr std::uint32_t NIF_TIP = 4;

// OSVERSIONINFOA in its 148-byte ANSI form.
struct OsVersionInfoA148 {
    std::uint32_t dwOSVersionInfoSize;
    std::uint32_t dwMajorVersion;
    std::uint32_t dwMinorVersion;
    std::uint32_t dwBuildNumber;
    std::uint32_t dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OsVersionInfoA148) == 148);
inline constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;

struct Luid {
    std::uint32_t LowPart;
    std::int32_t HighPart;
};
static_assert(sizeof(Luid) == 8);

#pragma pack(push, 4)
struct LuidAndAttributes {
    Luid Luid_;
    std::uint32_t Attributes;
};
// TOKEN_PRIVILEGES with room for two entries: 4 + 2 * 12 = 28 bytes.
struct TokenPrivileges28 {
    std::uint32_t PrivilegeCount;
    LuidAndAttributes Privileges[2];
};
#pragma pack(pop)
static_assert(sizeof(LuidAndAttributes) == 12);
static_assert(sizeof(TokenPrivileges28) == 28);

inline constexpr std::uint32_t TOKEN_ADJUST_PRIVILEGES = 0x20;
inline constexpr std::uint32_t SE_PRIVILEGE_ENABLED = 2;
inline constexpr std::uint32_t ERROR_NOT_ALL_ASSIGNED = 1300;

inline constexpr std::uint32_t EWX_LOGOFF = 0;
inline constexpr std::uint32_t EWX_SHUTDOWN = 1;
inline constexpr std::uint32_t EWX_REBOOT = 2;

// Window messages the tray callback carries in its x coordinate.
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr int WM_LBUTTONDBLCLK = 0x0203;
inline constexpr int WM_RBUTTONUP = 0x0205;

// Message box styles and answers, with their Windows values.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

}  // namespace velt::platform
