// The native NOTIFYICONDATAA that the 64-bit program builds from the 89-byte record.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Windowing.h"
#include "tray/Form1.h"
#include "tray/Module1.h"
#include "ui/frmAbout.h"
#include "ui/frmMain.h"

namespace {

using velt::platform::NotifyIconData89;
using velt::platform::win32::ToNativeNotifyIconData;
using velt::platform::win32::ToNativeNotifyIconDataW;
using namespace std::string_literals;

NotifyIconData89 Record(std::uint32_t hwnd, std::uint32_t icon, const std::string& tip) {
    NotifyIconData89 data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = 89;
    data.hWnd = hwnd;
    data.uID = 1;
    data.uFlags = 7;
    data.uCallbackMessage = 512;
    data.hIcon = icon;
    std::memcpy(data.szTip, tip.data(), std::min(tip.size(), sizeof data.szTip));
    return data;
}

std::string TipOf(const NOTIFYICONDATAA& native) {
    // Everything up to the first 0, which must lie within the first-version tip.
    const void* zero = std::memchr(native.szTip, 0, 64);
    EXPECT_NE(zero, nullptr) << "tip without its terminating 0";
    return zero ? std::string(native.szTip, static_cast<const char*>(zero)) : std::string();
}

TEST(NativeNotifyIcon, HasTheFirstVersionSizeAndLayout) {
    const NOTIFYICONDATAA native = ToNativeNotifyIconData(Record(0x00010203, 0x00040506, "a"));
    EXPECT_EQ(native.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
#if defined(_WIN64)
    EXPECT_EQ(native.cbSize, 104u);
#else
    EXPECT_EQ(native.cbSize, 88u);
#endif
}

TEST(NativeNotifyIcon, CopiesEveryField) {
    NotifyIconData89 data = Record(0x00012345, 0x0006789A, "停止中");
    data.uID = 0x11223344;
    data.uFlags = 5;
    data.uCallbackMessage = 11;
    const NOTIFYICONDATAA native = ToNativeNotifyIconData(data);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(native.hWnd), 0x00012345);
    EXPECT_EQ(native.uID, 0x11223344u);
    EXPECT_EQ(native.uFlags, 5u);
    EXPECT_EQ(native.uCallbackMessage, 11u);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(native.hIcon), 0x0006789A);
    EXPECT_EQ(TipOf(native), "停止中");
}

TEST(NativeNotifyIcon, SignExtendsHandles) {
    struct Case {
        std::uint32_t value;
        INT_PTR expected;
    };
    const Case cases[] = {
        {0x00000000u, 0},
        {0x7FFFFFFFu, 0x7FFFFFFF},
        {0x80000000u, static_cast<INT_PTR>(static_cast<std::int32_t>(0x80000000u))},
        {0xFFFF1234u, static_cast<INT_PTR>(-0xEDCC)},
        {0xFFFFFFFFu, -1},
    };
    for (const auto& c : cases) {
        const NOTIFYICONDATAA native = ToNativeNotifyIconData(Record(c.value, c.value, ""));
        EXPECT_EQ(reinterpret_cast<INT_PTR>(native.hWnd), c.expected) << std::hex << c.value;
        EXPECT_EQ(reinterpret_cast<INT_PTR>(native.hIcon), c.expected) << std::hex << c.value;
    }
}

TEST(NativeNotifyIcon, CutsTheTipAtAWholeCharacter) {
    ASSERT_EQ(::GetACP(), 932u) << "run under Wine with LC_ALL=ja_JP.UTF-8";
    const std::string a61(61, 'a'), a62(62, 'a'), a63(63, 'a'), a64(64, 'a');
    const std::string kanji = "\x92\xE2";  // one double-byte character of 932
    struct Case {
        std::string tip;  // bytes of szTip (up to 65)
        std::string expected;
    };
    const Case cases[] = {
        {"\x92\xE2\x8E\x7E\x92\x86\0"s, "\x92\xE2\x8E\x7E\x92\x86"s},
        {a63 + '\0', a63},
        {a64 + '\0', a63},
        {a64 + 'b', a63},  // all 65 bytes used, no 0 at all
        {a61 + kanji + '\0', a61 + kanji},
        {a62 + kanji + '\0', a62},  // the character would need bytes 62 and 63
        {"ab\x92"s + '\0', "ab"},   // a lead byte without its trail byte
        {"ab\0garbage"s, "ab"},     // bytes after the 0 are left behind
        {""s, ""s},
    };
    for (const auto& c : cases) {
        const NOTIFYICONDATAA native = ToNativeNotifyIconData(Record(1, 2, c.tip));
        EXPECT_EQ(TipOf(native), c.expected) << "tip of " << c.tip.size() << " bytes";
        // Nothing after the 0: the rest of the native record stays zero.
        const std::size_t used = c.expected.size();
        for (std::size_t i = used; i < sizeof native.szTip; ++i) {
            ASSERT_EQ(native.szTip[i], 0) << "byte " << i;
        }
    }
}

TEST(NativeNotifyIcon, TheUnicodeFormCarriesTheFieldsAndCutsAtAWholeCharacter) {
    NotifyIconData89 data = Record(0x00012345, 0x0006789A, "????");
    const NOTIFYICONDATAW native = ToNativeNotifyIconDataW(data, "停止中");
    EXPECT_EQ(native.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE));
    EXPECT_EQ(reinterpret_cast<INT_PTR>(native.hWnd), 0x00012345);
    EXPECT_EQ(native.uID, 1u);
    EXPECT_EQ(native.uFlags, 7u);
    EXPECT_EQ(native.uCallbackMessage, 512u);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(native.hIcon), 0x0006789A);

    const std::string face = "\xF0\x9F\x98\x80";  // outside the BMP: a surrogate pair
    struct Case {
        std::string tip;
        std::wstring expected;
    };
    const Case cases[] = {
        {"停止中", L"停止中"},
        {std::string(63, 'a'), std::wstring(63, L'a')},
        {std::string(64, 'a'), std::wstring(63, L'a')},
        {std::string(61, 'a') + face, std::wstring(61, L'a') + L"\xD83D\xDE00"},
        {std::string(62, 'a') + face, std::wstring(62, L'a')},
        {"", L""},
    };
    for (const auto& c : cases) {
        const NOTIFYICONDATAW w = ToNativeNotifyIconDataW(data, c.tip);
        ASSERT_EQ(w.szTip[63], L'\0');
        EXPECT_EQ(std::wstring(w.szTip), c.expected) << c.tip.size() << " bytes";
    }
}

// A shell that is up but slow, as during log-on: a window of the shell's class, found before the
// real one, that passes every request on but reports the first add as failed, as an add does
// whose answer came too late; with `lateMs`, every request after that add waits so long first.
class SlowShell {
public:
    struct Request {
        DWORD message;
        BOOL answer;  // what the program was told
        bool fromAnotherThread;
        ULONGLONG at;
    };

    explicit SlowShell(DWORD lateMs = 0) : lateMs_(lateMs) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &SlowShell::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Shell_TrayWnd";
        ::RegisterClassExW(&wc);
        hwnd_ = ::CreateWindowExW(0, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  wc.hInstance, this);
        real_ = ::FindWindowExW(nullptr, hwnd_, L"Shell_TrayWnd", nullptr);
    }
    SlowShell(const SlowShell&) = delete;
    SlowShell& operator=(const SlowShell&) = delete;
    ~SlowShell() { ::DestroyWindow(hwnd_); }

    HWND hwnd() const { return hwnd_; }
    HWND real() const { return real_; }
    std::vector<Request> requests;
    std::atomic<std::size_t> answered{0};

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            ::SetWindowLongPtrW(
                hwnd, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        }
        auto* self = reinterpret_cast<SlowShell*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message != WM_COPYDATA || self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (self->answered > 1) ::Sleep(self->lateMs_);
        BOOL answer = static_cast<BOOL>(::SendMessageW(self->real_, WM_COPYDATA, wParam, lParam));
        const bool firstAdd =
            data->dwData == NIM_ADD && std::none_of(self->requests.begin(), self->requests.end(),
                                                    [](const Request& r) { return r.message == NIM_ADD; });
        if (firstAdd) answer = FALSE;
        self->requests.push_back({static_cast<DWORD>(data->dwData), answer,
                                  (::InSendMessageEx(nullptr) & ISMEX_SEND) != 0, ::GetTickCount64()});
        ++self->answered;
        return answer;
    }

    DWORD lateMs_;
    HWND hwnd_ = nullptr;
    HWND real_ = nullptr;
};

// Lets the windows of this thread run until `done` or `ms` have passed; false on time-out.
bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    while (!done()) {
        if (::GetTickCount64() >= end) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}

// The program's windows, made in this process, with "停止中" handed to the shell.
struct TrayProgram {
    TrayProgram() {
        ui.Attach(frm, menu, about);
        ui.CreateMainWindow();
        frm.TrayTip = "停止中";
        frm.ProTask();
    }
    velt::platform::win32::Win32Api api;
    velt::platform::win32::Win32Windowing ui{::GetModuleHandleW(nullptr)};
    velt::frmMain frm{api, ui};
    velt::Form1 menu{api, ui, frm.Tray()};
    velt::frmAbout about{api, ui};
};

TEST(TrayTries, AnAddReportedAsFailedIsTriedAgainAwayFromTheWindowsUntilTheShellTakesIt) {
    SlowShell shell;
    ASSERT_NE(shell.real(), nullptr) << "no shell tray window in this prefix";
    ASSERT_EQ(::FindWindowExW(nullptr, nullptr, L"Shell_TrayWnd", nullptr), shell.hwnd());

    TrayProgram program;
    auto& frm = program.frm;
    auto& ui = program.ui;

    auto answered = [&](std::size_t n) { return [&shell, n] { return shell.requests.size() >= n; }; };
    ASSERT_TRUE(PumpUntil(answered(4), 10000)) << shell.requests.size() << " requests";
    // Nothing more once the shell has the icon: the next retry would have come 2 s later.
    PumpUntil([] { return false; }, 2500);

    const std::vector<DWORD> expected = {NIM_DELETE, NIM_ADD, NIM_DELETE, NIM_ADD};
    std::vector<DWORD> seen;
    for (std::size_t i = 0; i < shell.requests.size(); ++i) {
        seen.push_back(shell.requests[i].message);
        // The first try goes straight to a shell that has not failed; the one after a failure not.
        EXPECT_EQ(shell.requests[i].fromAnotherThread, i >= 2) << "request " << i;
    }
    ASSERT_EQ(seen, expected);
    EXPECT_FALSE(shell.requests[1].answer);
    EXPECT_TRUE(shell.requests[2].answer) << "the first add had made the icon";
    EXPECT_TRUE(shell.requests[3].answer);
    const ULONGLONG gap = shell.requests[2].at - shell.requests[1].at;
    EXPECT_GE(gap, 900u);
    EXPECT_LT(gap, 3000u);

    EXPECT_FALSE(ui.Tray().HasWorker()) << "the shell answers again: no thread is kept for it";

    // Taken down for good, away from this thread: the real shell held the one icon.
    velt::Module1::RemoveTrayIcon(frm.Tray());
    ASSERT_TRUE(PumpUntil(answered(5), 5000));
    ASSERT_EQ(shell.requests.size(), 5u);
    EXPECT_EQ(shell.requests[4].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_TRUE(shell.requests[4].answer);
    EXPECT_TRUE(shell.requests[4].fromAnotherThread);
}

// A shell that hangs on its own thread, as a busy one does at log off: stopping while a try is in
// flight must not wait for it, and the removal is still asked for once the try is done.
TEST(TrayTries, StoppingDuringATryInFlightReturnsWithinASecond) {
    std::unique_ptr<SlowShell> shell;
    HANDLE made = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread shellThread([&] {
        shell = std::make_unique<SlowShell>(2500);
        ::SetEvent(made);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
        shell.reset();
    });
    ::WaitForSingleObject(made, 5000);
    ::CloseHandle(made);
    ASSERT_NE(shell->real(), nullptr) << "no shell tray window in this prefix";
    const DWORD shellThreadId = ::GetWindowThreadProcessId(shell->hwnd(), nullptr);

    {
        // The add is reported failed: the retry goes to the thread and hangs there.
        TrayProgram program;
        auto& frm = program.frm;
        auto& ui = program.ui;
        ASSERT_TRUE(PumpUntil([&] { return shell->answered >= 2 && ui.Tray().HasWorker(); }, 3000));
        PumpUntil([] { return false; }, 1300);  // the retry's delete is in the shell now

        const ULONGLONG before = ::GetTickCount64();
        velt::Module1::RemoveTrayIcon(frm.Tray());
        EXPECT_LT(::GetTickCount64() - before, 1100u);

        // Nothing is destroyed under the try: wait until the shell has answered everything.
        ASSERT_TRUE(PumpUntil([&] { return shell->answered >= 5; }, 15000)) << shell->answered;
        PumpUntil([] { return false; }, 300);
        EXPECT_EQ(shell->requests.back().message, static_cast<DWORD>(NIM_DELETE));
    }
    ::PostThreadMessageW(shellThreadId, WM_QUIT, 0, 0);
    shellThread.join();
}

}  // namespace
