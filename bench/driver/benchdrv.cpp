// Drives one benchmark step inside Wine and prints what it saw as key=value pairs:
//   benchdrv start EXE WINDOW_CLASS [TIMEOUT_MS]   start EXE (working folder: its own) and time it
//                                                 until its tray icon is up, its window of
//                                                 WINDOW_CLASS exists hidden and it is idle in
//                                                 its message loop; leaves it running
//   benchdrv mem PID                              memory, handles and CPU time of process PID
//   benchdrv kill PID                             end PID and take its tray icons down
//   benchdrv trays                                number of tray icons shown now
// Exit code 0 done, 1 failed or timed out, 2 bad usage.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef PSAPI_VERSION
#define PSAPI_VERSION 2  // K32GetProcessMemoryInfo from kernel32, no psapi.dll
#endif
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// Without an X tray (Xvfb), Wine shows the icons as children of this top-level window.
constexpr wchar_t kWineTrayTitle[] = L"Wine System Tray";
constexpr wchar_t kWineTrayIconClass[] = L"__winex11_tray_icon";
constexpr double kWatchAfterReadyMs = 500;

class Stopwatch {
public:
    Stopwatch() {
        ::QueryPerformanceFrequency(&frequency_);
        ::QueryPerformanceCounter(&start_);
    }
    double Milliseconds() const {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
               static_cast<double>(frequency_.QuadPart);
    }
    // The counter is system-wide: a started program's own timestamps line up with these.
    long long StartTicks() const { return start_.QuadPart; }
    long long TicksPerSecond() const { return frequency_.QuadPart; }

private:
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_{};
};

class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) noexcept : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (handle_ != nullptr) ::CloseHandle(handle_);
    }
    HANDLE get() const noexcept { return handle_; }

private:
    HANDLE handle_;
};

BOOL CALLBACK CountTrayIcon(HWND child, LPARAM context) {
    wchar_t name[64] = {};
    ::GetClassNameW(child, name, 64);
    if (std::wcscmp(name, kWineTrayIconClass) == 0) ++*reinterpret_cast<int*>(context);
    return TRUE;
}

int TrayIconCount() {
    const HWND tray = ::FindWindowW(nullptr, kWineTrayTitle);
    if (tray == nullptr) return 0;
    int count = 0;
    ::EnumChildWindows(tray, CountTrayIcon, reinterpret_cast<LPARAM>(&count));
    return count;
}

struct WindowQuery {
    DWORD processId = 0;
    const wchar_t* className = nullptr;  // nullptr: every top-level window of the process
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    auto& query = *reinterpret_cast<WindowQuery*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != query.processId) return TRUE;
    if (query.className != nullptr) {
        wchar_t name[128] = {};
        ::GetClassNameW(window, name, 128);
        if (std::wcscmp(name, query.className) != 0) return TRUE;
    }
    query.found.push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD processId, const wchar_t* className) {
    WindowQuery query;
    query.processId = processId;
    query.className = className;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

DWORD Number(const wchar_t* text) { return static_cast<DWORD>(std::wcstoul(text, nullptr, 0)); }

int Start(const wchar_t* exe, const wchar_t* windowClass, DWORD timeout) {
    std::wstring folder = exe;
    const auto slash = folder.find_last_of(L"\\/");
    folder = slash == std::wstring::npos ? std::wstring(L".") : folder.substr(0, slash);
    std::wstring commandLine = L"\"" + std::wstring(exe) + L"\"";
    const int traysBefore = TrayIconCount();

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const Stopwatch clock;
    if (!::CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &process)) {
        std::printf("error=CreateProcess:%lu\n", ::GetLastError());
        return 1;
    }
    const Handle processHandle(process.hProcess);
    const Handle threadHandle(process.hThread);

    // Done starting: its tray icon is up, its window exists hidden and it waits for input in
    // its message loop. Then watched a while longer for late changes to the tray.
    double windowMs = -1, trayMs = -1, idleMs = -1, readyMs = -1, lastTrayChangeMs = -1;
    bool seenVisible = false;
    int trays = traysBefore;
    for (;;) {
        const double now = clock.Milliseconds();
        const std::vector<HWND> windows = TopLevelWindows(process.dwProcessId, windowClass);
        const bool exists = !windows.empty();
        const bool visible = exists && ::IsWindowVisible(windows.front());
        if (exists && windowMs < 0) windowMs = now;
        if (visible) seenVisible = true;
        const int traysNow = TrayIconCount();
        if (traysNow != trays) {
            trays = traysNow;
            lastTrayChangeMs = now;
        }
        if (trayMs < 0 && traysNow > traysBefore) trayMs = now;
        if (idleMs < 0 && exists && ::WaitForInputIdle(process.hProcess, 0) == 0) idleMs = now;
        if (readyMs < 0 && trays > traysBefore && exists && !visible && idleMs >= 0) readyMs = now;
        DWORD exitCode = 0;
        if (::GetExitCodeProcess(process.hProcess, &exitCode) && exitCode != STILL_ACTIVE) {
            std::printf("error=exited:%lu\n", exitCode);
            return 1;
        }
        if (readyMs >= 0 ? now > readyMs + kWatchAfterReadyMs : now > timeout) break;
        ::Sleep(1);
    }
    std::printf(
        "pid=%lu window_ms=%.1f tray_ms=%.1f idle_ms=%.1f ready_ms=%.1f last_tray_change_ms=%.1f "
        "seen_visible=%d trays_before=%d trays_after=%d t0_ticks=%lld ticks_per_s=%lld\n",
        process.dwProcessId, windowMs, trayMs, idleMs, readyMs, lastTrayChangeMs, seenVisible ? 1 : 0,
        traysBefore, trays, clock.StartTicks(), clock.TicksPerSecond());
    return readyMs >= 0 ? 0 : 1;
}

double FileTimeMs(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 10000.0;
}

int Memory(DWORD processId) {
    const Handle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (process.get() == nullptr) {
        std::printf("error=OpenProcess:%lu\n", ::GetLastError());
        return 1;
    }
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!::K32GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                   sizeof counters)) {
        std::printf("error=GetProcessMemoryInfo:%lu\n", ::GetLastError());
        return 1;
    }
    FILETIME created{}, ended{}, kernel{}, user{};
    ::GetProcessTimes(process.get(), &created, &ended, &kernel, &user);
    DWORD handles = 0;
    ::GetProcessHandleCount(process.get(), &handles);
    std::printf("ws=%llu private=%llu peak_ws=%llu pagefile=%llu handles=%lu cpu_ms=%.1f\n",
                static_cast<unsigned long long>(counters.WorkingSetSize),
                static_cast<unsigned long long>(counters.PrivateUsage),
                static_cast<unsigned long long>(counters.PeakWorkingSetSize),
                static_cast<unsigned long long>(counters.PagefileUsage), handles,
                FileTimeMs(kernel) + FileTimeMs(user));
    return 0;
}

int Kill(DWORD processId) {
    // The windows are gone with the process; their icons would stay in the tray.
    const std::vector<HWND> windows = TopLevelWindows(processId, nullptr);
    const Handle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    if (process.get() == nullptr) {
        std::printf("error=OpenProcess:%lu\n", ::GetLastError());
        return 1;
    }
    ::TerminateProcess(process.get(), 0);
    ::WaitForSingleObject(process.get(), 10000);
    for (HWND window : windows) {
        NOTIFYICONDATAW icon = {};
        icon.cbSize = sizeof icon;
        icon.hWnd = window;
        icon.uID = 1;
        ::Shell_NotifyIconW(NIM_DELETE, &icon);
    }
    std::printf("killed=%lu trays_after=%d\n", processId, TrayIconCount());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"start" && argc >= 4) return Start(argv[2], argv[3], argc > 4 ? Number(argv[4]) : 20000);
    if (command == L"mem" && argc == 3) return Memory(Number(argv[2]));
    if (command == L"kill" && argc == 3) return Kill(Number(argv[2]));
    if (command == L"trays" && argc == 2) {
        std::printf("trays=%d\n", TrayIconCount());
        return 0;
    }
    std::fputs("usage: benchdrv start EXE CLASS [TIMEOUT_MS] | mem PID | kill PID | trays\n", stderr);
    return 2;
}
