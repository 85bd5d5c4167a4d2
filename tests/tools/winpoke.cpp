// A small helper for scripts driving the program from outside:
//   winpoke wait TITLE [TIMEOUT_MS]                 wait until a top-level window TITLE exists
//   winpoke visible TITLE [TIMEOUT_MS]              wait until it is visible
//   winpoke post TITLE MSG WPARAM LPARAM [TIMEOUT_MS] post a message to it
// Prints "hwnd left top right bottom" of the window; exit 0 done, 1 timed out, 2 bad usage.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

HWND WaitForWindow(const wchar_t* title, DWORD timeout, bool visible) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const HWND window = ::FindWindowW(nullptr, title);
        if (window != nullptr && (!visible || ::IsWindowVisible(window))) {
            return window;
        }
        if (::GetTickCount() - start >= timeout) {
            return nullptr;
        }
        ::Sleep(50);
    }
}

unsigned long Number(const wchar_t* text) { return std::wcstoul(text, nullptr, 0); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fputs("usage: winpoke wait|visible|post TITLE ...\n", stderr);
        return 2;
    }
    const std::wstring command = argv[1];
    const wchar_t* title = argv[2];
    const bool post = command == L"post";
    if (!post && command != L"wait" && command != L"visible") {
        return 2;
    }
    if (post && argc < 6) {
        return 2;
    }
    const int timeoutArg = post ? 6 : 3;
    const DWORD timeout = argc > timeoutArg ? Number(argv[timeoutArg]) : 10000;

    const HWND window = WaitForWindow(title, timeout, command == L"visible");
    if (window == nullptr) {
        std::fputs("window not found\n", stderr);
        return 1;
    }
    if (post && !::PostMessageW(window, static_cast<UINT>(Number(argv[3])),
                                static_cast<WPARAM>(Number(argv[4])), static_cast<LPARAM>(Number(argv[5])))) {
        std::fputs("PostMessage failed\n", stderr);
        return 1;
    }
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    std::printf("%p %ld %ld %ld %ld\n", static_cast<void*>(window), rect.left, rect.top, rect.right,
                rect.bottom);
    return 0;
}
