// Byte-exact records the program exchanges with Windows. Kept free of <windows.h> so the
// logic that fills them compiles and is tested anywhere.
#pragma once

#include <cstddef>
#include <cstdint>

// The constants below carry their Windows names, which <windows.h> defines as macros: set the
// macros aside while they are declared, so that this header may follow <windows.h>.
#pragma push_macro("NIM_ADD")
#undef NIM_ADD
#pragma push_macro("NIM_DELETE")
#undef NIM_DELETE
#pragma push_macro("NIF_MESSAGE")
#undef NIF_MESSAGE
#pragma push_macro("NIF_ICON")
#undef NIF_ICON
#pragma push_macro("NIF_TIP")
#undef NIF_TIP
#pragma push_macro("VER_PLATFORM_WIN32_NT")
#undef VER_PLATFORM_WIN32_NT
#pragma push_macro("TOKEN_ADJUST_PRIVILEGES")
#undef TOKEN_ADJUST_PRIVILEGES
#pragma push_macro("SE_PRIVILEGE_ENABLED")
#undef SE_PRIVILEGE_ENABLED
#pragma push_macro("ERROR_NOT_ALL_ASSIGNED")
#undef ERROR_NOT_ALL_ASSIGNED
#pragma push_macro("EWX_LOGOFF")
#undef EWX_LOGOFF
#pragma push_macro("EWX_SHUTDOWN")
#undef EWX_SHUTDOWN
#pragma push_macro("EWX_REBOOT")
#undef EWX_REBOOT
#pragma push_macro("WM_MOUSEMOVE")
#undef WM_MOUSEMOVE
#pragma push_macro("WM_LBUTTONDBLCLK")
#undef WM_LBUTTONDBLCLK
#pragma push_macro("WM_RBUTTONUP")
#undef WM_RBUTTONUP
#pragma push_macro("MB_OK")
#undef MB_OK
#pragma push_macro("MB_OKCANCEL")
#undef MB_OKCANCEL
#pragma push_macro("MB_YESNO")
#undef MB_YESNO
#pragma push_macro("MB_ICONQUESTION")
#undef MB_ICONQUESTION
#pragma push_macro("IDOK")
#undef IDOK
#pragma push_macro("IDCANCEL")
#undef IDCANCEL
#pragma push_macro("IDYES")
#undef IDYES
#pragma push_macro("IDNO")
#undef IDNO

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

#pragma pop_macro("NIM_ADD")
#pragma pop_macro("NIM_DELETE")
#pragma pop_macro("NIF_MESSAGE")
#pragma pop_macro("NIF_ICON")
#pragma pop_macro("NIF_TIP")
#pragma pop_macro("VER_PLATFORM_WIN32_NT")
#pragma pop_macro("TOKEN_ADJUST_PRIVILEGES")
#pragma pop_macro("SE_PRIVILEGE_ENABLED")
#pragma pop_macro("ERROR_NOT_ALL_ASSIGNED")
#pragma pop_macro("EWX_LOGOFF")
#pragma pop_macro("EWX_SHUTDOWN")
#pragma pop_macro("EWX_REBOOT")
#pragma pop_macro("WM_MOUSEMOVE")
#pragma pop_macro("WM_LBUTTONDBLCLK")
#pragma pop_macro("WM_RBUTTONUP")
#pragma pop_macro("MB_OK")
#pragma pop_macro("MB_OKCANCEL")
#pragma pop_macro("MB_YESNO")
#pragma pop_macro("MB_ICONQUESTION")
#pragma pop_macro("IDOK")
#pragma pop_macro("IDCANCEL")
#pragma pop_macro("IDYES")
#pragma pop_macro("IDNO")
