// The least a tray program of this kind can be: one hidden window, two 1000 ms timers, one tray
// icon and a message loop. The benchmark measures the real program against this.
//
// Built with VELT_JOB_FLOOR it is the job floor: the least program that also does what every
// start and every second of the real one must do. It reads the four-line set.ini beside it and
// replaces it with ReplaceFileW, puts up its tray icon from the .ico file beside it, and reads
// the local time once a second.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>

namespace {

// Found by the benchmark driver by this class name.
#if defined(VELT_JOB_FLOOR)
constexpr wchar_t kFloorClass[] = L"VeltBench.JobFloor";
#else
constexpr wchar_t kFloorClass[] = L"VeltBench.Floor";
#endif
constexpr UINT kTrayCallback = WM_APP + 1;

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
#if defined(VELT_JOB_FLOOR)
        if (wParam == 1) {
            SYSTEMTIME now;
            ::GetLocalTime(&now);
        }
#endif
        return 0;  // the tick itself is what is measured
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
    default: return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

#if defined(VELT_JOB_FLOOR)
// The settings file read and written back whole, the new copy put in place in one step.
void ReadAndReplaceSettings() {
    char bytes[256];
    DWORD got = 0;
    const HANDLE in = ::CreateFileW(L"set.ini", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) return;
    ::ReadFile(in, bytes, sizeof bytes, &got, nullptr);
    ::CloseHandle(in);
    const HANDLE out = ::CreateFileW(L"~set.ini.tmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(out, bytes, got, &written, nullptr);
    ::CloseHandle(out);
    ::ReplaceFileW(L"set.ini", L"~set.ini.tmp", nullptr, 0, nullptr, nullptr);
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = FloorProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kFloorClass;
    if (::RegisterClassExW(&windowClass) == 0) return 1;

    const HWND window =
        ::CreateWindowExW(0, kFloorClass, L"VeltBench floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                          CW_USEDEFAULT, 320, 240, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    ::SetTimer(window, 1, 1000, nullptr);
    ::SetTimer(window, 2, 1000, nullptr);

    NOTIFYICONDATAW icon = {};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    icon.uCallbackMessage = kTrayCallback;
#if defined(VELT_JOB_FLOOR)
    icon.hIcon = static_cast<HICON>(
        ::LoadImageW(nullptr, L"VELTPOWON.ico", IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
#else
    icon.hIcon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512) /* IDI_APPLICATION */);
#endif
    lstrcpynW(icon.szTip, L"floor", static_cast<int>(sizeof icon.szTip / sizeof icon.szTip[0]));
    ::Shell_NotifyIconW(NIM_ADD, &icon);
#if defined(VELT_JOB_FLOOR)
    ReadAndReplaceSettings();
#endif

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
