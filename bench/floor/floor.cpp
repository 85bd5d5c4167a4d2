// The least a tray program of this kind can be: one hidden window, two 1000 ms timers, one tray
// icon and a message loop. The benchmark measures the real program against this.
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
constexpr wchar_t kFloorClass[] = L"VeltBench.Floor";
constexpr UINT kTrayCallback = WM_APP + 1;

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER: return 0;  // the tick itself is what is measured
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
    default: return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

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
    icon.hIcon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512) /* IDI_APPLICATION */);
    lstrcpynW(icon.szTip, L"floor", static_cast<int>(sizeof icon.szTip / sizeof icon.szTip[0]));
    ::Shell_NotifyIconW(NIM_ADD, &icon);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
