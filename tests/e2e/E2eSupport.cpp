#include "E2eSupport.h"

#include <gtest/gtest.h>

#include <wincodec.h>

#include <atomic>
#include <cstdint>
#include <thread>

namespace velt::e2e {

using wintest::RemoveTree;

namespace {

Config g_config;

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

struct EnumState {
    DWORD pid = 0;
    int id = 0;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
    auto* state = reinterpret_cast<EnumState*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == state->pid) {
        state->found.push_back(hwnd);
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
    reinterpret_cast<EnumState*>(param)->found.push_back(hwnd);
    return TRUE;
}

template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (p_ != nullptr) {
            p_->Release();
        }
    }
    Interface** Out() { return &p_; }
    Interface* operator->() const { return p_; }
    Interface* Get() const { return p_; }

private:
    Interface* p_ = nullptr;
};

}  // namespace

// ---------------------------------------------------------------- configuration

const Config& Cfg() { return g_config; }

bool ParseConfig(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        auto take = [&](std::wstring_view key, auto& into) {
            if (arg.rfind(key, 0) != 0) {
                return false;
            }
            const std::wstring value = arg.substr(key.size());
            if constexpr (std::is_same_v<std::decay_t<decltype(into)>, std::string>) {
                into = Utf8(value);
            } else {
                into = value;
            }
            return true;
        };
        take(L"--dist=", g_config.dist) || take(L"--work=", g_config.work) ||
            take(L"--work-unix=", g_config.workUnix) || take(L"--shots=", g_config.shots) ||
            take(L"--browser-log=", g_config.browserLog) || take(L"--unpacked=", g_config.unpacked);
    }
    if (g_config.dist.empty() || g_config.work.empty() || g_config.workUnix.empty() ||
        g_config.shots.empty()) {
        return false;
    }
    ::CreateDirectoryW(g_config.work.c_str(), nullptr);
    ::CreateDirectoryW(g_config.shots.c_str(), nullptr);
    return true;
}

// ---------------------------------------------------------------- text

std::string ToAnsi(std::string_view utf8) { return wintest::FromWide(CP_ACP, Wide(utf8)); }

// ---------------------------------------------------------------- waiting

void StayClearOf(int hour, int minute) {
    auto secondsToTarget = [&] {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        const int current = now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
        return ((hour * 3600 + minute * 60) - current + 86400) % 86400;
    };
    // Clear: the minute starts more than 30 s from now, or has passed (it lasts 60 s).
    WaitUntil(
        [&] {
            const int s = secondsToTarget();
            return s > 30 && s < 86400 - 60;
        },
        80s);
}

// ---------------------------------------------------------------- files

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ::ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0) {
        bytes.append(buffer, got);
    }
    ::CloseHandle(file);
    if (!ok) {
        return std::nullopt;
    }
    return bytes;
}

void WriteWholeFile(const std::wstring& path, std::string_view bytes) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 24));
        DWORD wrote = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) {
            break;
        }
        done += wrote;
    }
    ::CloseHandle(file);
}

AppFolder::AppFolder(std::wstring_view name, Icons icons) : initial_{L"VeltPCTimer.exe"} {
    static std::atomic<int> serial{0};
    path_ = Cfg().work + L"\\" + std::wstring(name) + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(++serial);
    if (icons != Icons::NoOnIcon) {
        initial_.insert(L"VELTPOWON.ico");
    }
    if (icons != Icons::NoOffIcon) {
        initial_.insert(L"VELTPOWOFF.ico");
    }
    RemoveTree(path_);
    ::CreateDirectoryW(path_.c_str(), nullptr);
    for (const std::wstring& file : initial_) {
        ::CopyFileW((Cfg().dist + L"\\" + file).c_str(), File(file).c_str(), FALSE);
    }
}

AppFolder::AppFolder(Filled filled) : path_(std::move(filled.path)) { initial_ = Entries(); }

AppFolder::~AppFolder() {
    // A program that was just ended may still hold its files for a moment.
    const bool removed = WaitUntil(
        [&] {
            RemoveTree(path_);
            return ::GetFileAttributesW(path_.c_str()) == INVALID_FILE_ATTRIBUTES;
        },
        3s);
    if (!removed) {
        ADD_FAILURE() << "could not remove " << Utf8(path_) << ": is a program still running in it?";
    }
}

std::string AppFolder::UnixPath() const {
    return Cfg().workUnix + "/" + Utf8(path_.substr(Cfg().work.size() + 1));
}

std::wstring AppFolder::File(std::wstring_view name) const { return path_ + L"\\" + std::wstring(name); }

std::set<std::wstring> AppFolder::Entries() const {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((path_ + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring entry = found.cFileName;
        if (entry != L"." && entry != L"..") {
            names.insert(entry);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

void RunHostCommand(const std::wstring& commandLine) {
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        return;
    }
    ::WaitForSingleObject(info.hProcess, 10000);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
}

namespace {

// Whether the modification time of a file or folder can be set: the one change an immutable
// entry refuses that leaves no trace when it is allowed.
bool TimesWritable(const std::wstring& path) {
    const HANDLE handle = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const bool ok = ::SetFileTime(handle, nullptr, nullptr, &now) != FALSE;
    ::CloseHandle(handle);
    return ok;
}

}  // namespace

HostImmutable::HostImmutable(std::string unixPath, std::wstring windowsPath)
    : path_(std::move(unixPath)), windowsPath_(std::move(windowsPath)) {
    RunHostCommand(L"Z:\\usr\\bin\\chattr +i " + Quoted(Wide(path_)));
    effective_ = WaitUntil([&] { return !TimesWritable(windowsPath_); }, 5s);
}

void HostImmutable::Release() {
    RunHostCommand(L"Z:\\usr\\bin\\chattr -i " + Quoted(Wide(path_)));
    WaitUntil([&] { return TimesWritable(windowsPath_); }, 5s);
    effective_ = false;
}

// ---------------------------------------------------------------- windows

LRESULT Send(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(hwnd, message, w, l, SMTO_NORMAL, 5000, &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

LONG StyleOf(HWND hwnd) { return ::GetWindowLongW(hwnd, GWL_STYLE); }
LONG ExStyleOf(HWND hwnd) { return ::GetWindowLongW(hwnd, GWL_EXSTYLE); }

RECT RectIn(HWND hwnd, HWND container) {
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    ::MapWindowPoints(HWND_DESKTOP, container, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE ClientSize(HWND hwnd) {
    RECT rect{};
    ::GetClientRect(hwnd, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

std::vector<HWND> Descendants(HWND top) {
    EnumState state;
    ::EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

HWND FindControl(HWND top, int id) {
    for (HWND child : Descendants(top)) {
        if (::GetDlgCtrlID(child) == id) {
            return child;
        }
    }
    return nullptr;
}

std::vector<HWND> TopLevelWindows(DWORD pid) {
    EnumState state;
    state.pid = pid;
    ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

void Click(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }

int CheckState(HWND button) { return static_cast<int>(Send(button, BM_GETCHECK)); }

int ComboCount(HWND combo) { return static_cast<int>(Send(combo, CB_GETCOUNT)); }

int ComboSelection(HWND combo) { return static_cast<int>(Send(combo, CB_GETCURSEL)); }

std::string ComboItem(HWND combo, int index) {
    const LRESULT length = Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length < 0) {
        return "<none>";
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return Utf8(text);
}

void ComboSelect(HWND combo, int index) { Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index)); }

HWND FocusOf(DWORD threadId) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(threadId, &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view;
    view.hwnd = box;
    view.caption = TextOf(box);
    view.text = TextOf(::GetDlgItem(box, 0xFFFF));
    for (int id :
         {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDCLOSE, IDHELP, IDTRYAGAIN, IDCONTINUE}) {
        const HWND button = ::GetDlgItem(box, id);
        if (button != nullptr && ::IsWindowVisible(button)) {
            view.buttons.insert(id);
        }
    }
    // The icon of a message box is the static control 1088 (stc1); it holds no icon when the
    // box has none.
    const HWND icon = ::GetDlgItem(box, 1088);
    view.hasIcon = icon != nullptr && ::IsWindowVisible(icon) && Send(icon, STM_GETICON) > 0;
    return view;
}

// ---------------------------------------------------------------- the program

Program::Program(const AppFolder& folder) {
    std::wstring commandLine = Quoted(folder.Exe());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    started_ = std::chrono::steady_clock::now();
    if (::CreateProcessW(folder.Exe().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         Cfg().work.c_str(), &startup, &info)) {
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
        pid_ = info.dwProcessId;
    }
}

Program::~Program() {
    Kill();
    if (process_ != nullptr) {
        ::CloseHandle(process_);
    }
}

Millis Program::SinceStart() const {
    return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - started_);
}

bool Program::Running() const {
    return process_ != nullptr && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<Millis> Program::WaitInputIdle(Millis timeout) const {
    if (process_ == nullptr || ::WaitForInputIdle(process_, static_cast<DWORD>(timeout.count())) != 0) {
        return std::nullopt;
    }
    return SinceStart();
}

std::optional<DWORD> Program::WaitExit(Millis timeout) const {
    if (process_ == nullptr ||
        ::WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    return code;
}

void Program::Kill() {
    if (Running()) {
        ::TerminateProcess(process_, 0xDEAD);
        ::WaitForSingleObject(process_, 5000);
    }
}

HWND Program::FindWindowOf(const char* className, const char* title) const {
    for (HWND hwnd : TopLevelWindows(pid_)) {
        if (!::IsWindowVisible(hwnd)) {
            continue;
        }
        if (className != nullptr && ClassOf(hwnd) != className) {
            continue;
        }
        wchar_t text[512] = {};
        ::GetWindowTextW(hwnd, text, 512);
        if (title != nullptr && Utf8(text) != title) {
            continue;
        }
        return hwnd;
    }
    return nullptr;
}

HWND Program::WaitMainWindow(Millis timeout) {
    WaitUntil(
        [&] {
            for (HWND hwnd : TopLevelWindows(pid_)) {
                wchar_t text[512] = {};
                ::GetWindowTextW(hwnd, text, 512);
                if (Utf8(text) == kMainTitle) {
                    main_ = hwnd;
                    controls_.clear();
                    return true;
                }
            }
            return false;
        },
        timeout);
    return main_;
}

HWND Program::Control(int id) const {
    if (main_ == nullptr) return nullptr;
    if (const auto known = controls_.find(id); known != controls_.end() && ::IsWindow(known->second)) {
        return known->second;
    }
    HWND found = FindControl(main_, id);
    if (found == nullptr) {
        // A window that has never been shown makes its controls only when a reader asks for its
        // accessible object, as accessibility clients do before they walk a window.
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(main_, WM_GETOBJECT, 0, static_cast<LPARAM>(static_cast<LONG>(OBJID_CLIENT)),
                              SMTO_NORMAL, 2000, &ignored);
        found = FindControl(main_, id);
    }
    if (found != nullptr) controls_[id] = found;
    return found;
}

HWND Program::WaitWindow(const char* className, const char* title, Millis timeout) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowOf(className, title)) != nullptr; }, timeout);
    return found;
}

HWND Program::WaitMessageBox(Millis timeout) const { return WaitWindow("#32770", nullptr, timeout); }

bool Program::HasMessageBox() const { return FindWindowOf("#32770", nullptr) != nullptr; }

DWORD Program::UiThread() const { return main_ == nullptr ? 0 : ::GetWindowThreadProcessId(main_, nullptr); }

void Program::PostTrayEvent(int mouseMessage) const {
    // wParam is the icon's id (1), lParam the mouse message, as the shell sends them.
    ::PostMessageW(main_, WM_MOUSEMOVE, 1, static_cast<LPARAM>(mouseMessage));
}

// ---------------------------------------------------------------- the notification area

namespace {

// One tray icon as a look finds it.
struct SeenIcon {
    HWND hwnd = nullptr;
    RECT rect{};
    friend bool operator==(const SeenIcon& a, const SeenIcon& b) {
        return a.hwnd == b.hwnd && ::EqualRect(&a.rect, &b.rect) != FALSE;
    }
};

// One look at the icons in Wine's stand-alone tray window.
std::vector<SeenIcon> LookAtTray() {
    std::vector<SeenIcon> icons;
    const HWND tray = ::FindWindowW(nullptr, L"Wine System Tray");
    if (tray == nullptr || !::IsWindowVisible(tray)) {
        return icons;
    }
    for (HWND child : Descendants(tray)) {
        if (ClassOf(child) == "__winex11_tray_icon" && ::IsWindowVisible(child)) {
            SeenIcon icon{child, {}};
            ::GetWindowRect(child, &icon.rect);
            icons.push_back(icon);
        }
    }
    return icons;
}

// Waits until the tray stands still with icons that `accept` takes; the last look in `last`.
template <class Accept>
bool WaitTray(const Accept& accept, Millis timeout, std::vector<SeenIcon>& last) {
    return WaitSteady(std::function<std::vector<SeenIcon>()>(LookAtTray), accept, timeout, &last);
}

}  // namespace

bool WaitTrayIcons(int count, Millis timeout, int* seen) {
    std::vector<SeenIcon> last;
    const bool ok =
        WaitTray([&](const std::vector<SeenIcon>& icons) { return static_cast<int>(icons.size()) == count; },
                 timeout, last);
    if (seen != nullptr) {
        *seen = static_cast<int>(last.size());
    }
    return ok;
}

namespace {

// The pixels of a screen rectangle as 32-bit BGRX values, row by row.
std::vector<std::uint32_t> ScreenPixels(HDC screen, HDC memory, HBITMAP bitmap, const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    return pixels;
}

std::vector<std::uint32_t> ScreenPixels(const RECT& rect) {
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, rect.right - rect.left, rect.bottom - rect.top);
    std::vector<std::uint32_t> pixels = ScreenPixels(screen, memory, bitmap, rect);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

void MovePointer(int x, int y) {
    RunHostCommand(L"Z:\\usr\\bin\\xdotool mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y));
    // xdotool runs on its own; the move is done when Wine has seen it.
    WaitUntil(
        [&] {
            POINT at{};
            ::GetCursorPos(&at);
            return at.x == x && at.y == y;
        },
        2s);
}

namespace {

// The text of a shown tooltip of the tray's process; empty when none shows.
std::string ShownTrayTooltip() {
    const HWND tray = ::FindWindowW(nullptr, L"Wine System Tray");
    DWORD trayPid = 0;
    ::GetWindowThreadProcessId(tray, &trayPid);
    for (HWND tip = ::FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr); tip != nullptr;
         tip = ::FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr)) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(tip, &pid);
        if (pid == trayPid && ::IsWindowVisible(tip)) {
            return TextOf(tip);
        }
    }
    return {};
}

}  // namespace

std::string HoverTrayTip(const std::string& expected, Millis timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    std::string seen = "(not exactly one tray icon)";
    do {
        // Found anew each round: a refresh may have replaced the icon since the last one.
        const std::optional<RECT> icon = TrayIconRect();
        if (!icon) {
            seen = "(not exactly one tray icon)";
            continue;
        }
        const int x = (icon->left + icon->right) / 2;
        const int y = (icon->top + icon->bottom) / 2;
        // Away first, so that the tip shows anew with what it says now.
        MovePointer(icon->right + 400, icon->bottom + 400);
        WaitUntil([] { return ShownTrayTooltip().empty(); }, 2s);
        MovePointer(x, y);
        MovePointer(x + 1, y);  // a move within the icon, then rest: the tip shows
        // A tip that never came, or came too early to say it, is hovered for again, as a user would.
        WaitUntil([&] { return (seen = ShownTrayTooltip()) == expected; }, 1500ms);
    } while (seen != expected && std::chrono::steady_clock::now() < end);
    return seen;
}

// ---------------------------------------------------------------- pictures on the screen

const char* NameOf(Picture picture) {
    switch (picture) {
    case Picture::Program: return "the program's clock icon";
    case Picture::On: return "VELTPOWON.ico";
    case Picture::Off: return "VELTPOWOFF.ico";
    }
    return "?";
}

Picture PictureAt(const RECT& screenRect) {
    int green = 0, red = 0;
    for (std::uint32_t pixel : ScreenPixels(screenRect)) {
        const int b = pixel & 0xFF, g = (pixel >> 8) & 0xFF, r = (pixel >> 16) & 0xFF;
        green += (g > 110 && g > r + 50 && g > b + 50) ? 1 : 0;
        red += (r > 150 && g < 90 && b < 90) ? 1 : 0;
    }
    if (green >= 10) {
        return Picture::On;
    }
    return red > 0 ? Picture::Program : Picture::Off;
}

RECT CaptionIconRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const int frame = ::GetSystemMetrics(SM_CXDLGFRAME);
    return {rect.left, rect.top, rect.left + 2 * frame + ::GetSystemMetrics(SM_CXSMICON) + 4,
            rect.top + frame + ::GetSystemMetrics(SM_CYCAPTION)};
}

std::optional<RECT> TrayIconRect(Millis timeout) {
    std::vector<SeenIcon> last;
    if (!WaitTray([](const std::vector<SeenIcon>& icons) { return icons.size() == 1; }, timeout, last)) {
        return std::nullopt;
    }
    return last.front().rect;
}

bool WaitTrayPicture(Picture picture, Millis timeout, std::string* seen) {
    std::vector<SeenIcon> last;
    Picture shown = Picture::Off;
    const bool ok = WaitTray(
        [&](const std::vector<SeenIcon>& icons) {
            return icons.size() == 1 && (shown = PictureAt(icons.front().rect)) == picture;
        },
        timeout, last);
    if (seen != nullptr) {
        *seen = last.size() == 1 ? NameOf(shown) : "not exactly one icon";
    }
    return ok;
}

// ---------------------------------------------------------------- screenshots

bool SaveScreenshot(HWND hwnd, const std::wstring& path) {
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Send(hwnd, WM_NULL);

    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    // The X server draws asynchronously: take the picture once two reads agree.
    std::vector<std::uint32_t> previous = ScreenPixels(screen, memory, bitmap, rect);
    WaitUntil(
        [&] {
            std::vector<std::uint32_t> now = ScreenPixels(screen, memory, bitmap, rect);
            const bool same = now == previous;
            previous = std::move(now);
            return same;
        },
        2s);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    bool saved = false;
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        ComPtr<IWICImagingFactory> factory;
        ComPtr<IWICBitmap> source;
        ComPtr<IWICStream> stream;
        ComPtr<IWICBitmapEncoder> encoder;
        ComPtr<IWICBitmapFrameEncode> frame;
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        saved =
            SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()))) &&
            SUCCEEDED(
                factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, source.Out())) &&
            SUCCEEDED(factory->CreateStream(stream.Out())) &&
            SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
            SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out())) &&
            SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
            SUCCEEDED(encoder->CreateNewFrame(frame.Out(), nullptr)) &&
            SUCCEEDED(frame->Initialize(nullptr)) &&
            SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
            SUCCEEDED(frame->SetPixelFormat(&format)) &&
            SUCCEEDED(frame->WriteSource(source.Get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
            SUCCEEDED(encoder->Commit());
    }
    if (SUCCEEDED(init)) {
        ::CoUninitialize();
    }
    ::DeleteObject(bitmap);
    return saved;
}

}  // namespace velt::e2e
