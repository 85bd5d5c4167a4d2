#include "platform/win32/Win32Windowing.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/WindowsApi.h"
#include "platform/win32/Pictures_win.h"
#include "platform/win32/Text_win.h"
#include "ui/resources/ResourceIds.h"

namespace velt::platform::win32 {

using ui::Kind;
using ui::MainControl;

namespace {

template <class F>
F LoadFunction(HMODULE module, const char* name) noexcept {
    F f = nullptr;
    if (module == nullptr) return f;
    const FARPROC p = ::GetProcAddress(module, name);
    static_assert(sizeof f == sizeof p);
    std::memcpy(&f, &p, sizeof f);
    return f;
}

std::wstring ComboItem(HWND combo, int index) {
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
    return text;
}

DWORD TextAlignStyle(ui::Align align) noexcept {
    switch (align) {
    case ui::Align::Center: return SS_CENTER;
    case ui::Align::Right: return SS_RIGHT;
    case ui::Align::Left: break;
    }
    return SS_LEFT;
}

constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

int Scale(int pixelsAt96, UINT dpi) noexcept { return ::MulDiv(pixelsAt96, static_cast<int>(dpi), 96); }

// The key state in the form the key handlers take: 1 Shift, 2 Ctrl, 4 Alt.
std::int16_t ShiftState() noexcept {
    std::int16_t shift = 0;
    if (::GetKeyState(VK_SHIFT) < 0) shift |= 1;
    if (::GetKeyState(VK_CONTROL) < 0) shift |= 2;
    if (::GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}


constexpr COLORREF kButtonEdge = RGB(0x16, 0x3f, 0x7e);
constexpr COLORREF kButtonEdgeDisabled = RGB(0x90, 0x90, 0x90);

}  // namespace

std::wstring WindowText(HWND hwnd) {
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}


const wchar_t* WindowClassOf(Kind kind) noexcept {
    switch (kind) {
    case Kind::Frame: return kFrameClass;
    case Kind::Label:
    case Kind::Picture: return L"Static";
    case Kind::OptionButton:
    case Kind::PictureButton:
    case Kind::PushButton: return L"Button";
    case Kind::DropDownList: return L"ComboBox";
    }
    return L"Static";
}

// ---------------------------------------------------------------- set-up

Win32Windowing::Win32Windowing(HINSTANCE instance) : instance_(instance) {
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    dpiApi_.GetDpiForWindow = LoadFunction<decltype(dpiApi_.GetDpiForWindow)>(user32, "GetDpiForWindow");
    dpiApi_.GetDpiForSystem = LoadFunction<decltype(dpiApi_.GetDpiForSystem)>(user32, "GetDpiForSystem");
    dpiApi_.AdjustWindowRectExForDpi =
        LoadFunction<decltype(dpiApi_.AdjustWindowRectExForDpi)>(user32, "AdjustWindowRectExForDpi");
    dpiApi_.SystemParametersInfoForDpi =
        LoadFunction<decltype(dpiApi_.SystemParametersInfoForDpi)>(user32, "SystemParametersInfoForDpi");
    dpiApi_.GetSystemMetricsForDpi =
        LoadFunction<decltype(dpiApi_.GetSystemMetricsForDpi)>(user32, "GetSystemMetricsForDpi");
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
    menuVisible_.fill(true);
    RegisterClasses();
}

Win32Windowing::~Win32Windowing() {
    mainEvents_ = nullptr;
    menuEvents_ = nullptr;
    aboutEvents_ = nullptr;
    if (about_ != nullptr) ::DestroyWindow(about_);
    if (main_ != nullptr) {
        ::KillTimer(main_, kTimer1Id);
        ::KillTimer(main_, kTimer2Id);
        ::DestroyWindow(main_);
    }
    if (menuForm_ != nullptr) {
        // The menu belongs to trayMenuBar_, not to the window.
        ::SetMenu(menuForm_, nullptr);
        ::DestroyWindow(menuForm_);
    }
    if (owner_ != nullptr) ::DestroyWindow(owner_);
    for (const wchar_t* name : {kMainWindowClass, kFrameClass, kMenuFormClass, kAboutWindowClass, kOwnerClass}) {
        ::UnregisterClassW(name, instance_);
    }
}

void Win32Windowing::RegisterClasses() {
    auto registerClass = [this](const wchar_t* name, WNDPROC proc, UINT style) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = style;
        wc.lpfnWndProc = proc;
        wc.hInstance = instance_;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = name;
        // A second windowing object in the same process finds the classes already there.
        if (::RegisterClassExW(&wc) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            throw std::runtime_error("cannot register a window class");
        }
    };
    registerClass(kMainWindowClass, &Win32Windowing::MainThunk, 0);
    registerClass(kFrameClass, &Win32Windowing::FrameThunk, CS_HREDRAW | CS_VREDRAW);
    registerClass(kAboutWindowClass, &Win32Windowing::AboutThunk, 0);
    registerClass(kMenuFormClass, &::DefWindowProcW, 0);
    registerClass(kOwnerClass, &::DefWindowProcW, 0);
}

void Win32Windowing::Attach(MainFormEvents& main, MenuFormEvents& menu, AboutFormEvents& about) noexcept {
    mainEvents_ = &main;
    menuEvents_ = &menu;
    aboutEvents_ = &about;
}

UINT Win32Windowing::SystemDpi() const noexcept {
    if (dpiApi_.GetDpiForSystem != nullptr) return dpiApi_.GetDpiForSystem();
    ScreenDc screen;
    const int dpi = screen.get() != nullptr ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : 96u;
}

UINT Win32Windowing::WindowDpi(HWND hwnd) const noexcept {
    if (hwnd != nullptr && dpiApi_.GetDpiForWindow != nullptr) {
        const UINT dpi = dpiApi_.GetDpiForWindow(hwnd);
        if (dpi != 0) return dpi;
    }
    return SystemDpi();
}

void Win32Windowing::AdjustForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) const noexcept {
    if (dpiApi_.AdjustWindowRectExForDpi != nullptr &&
        dpiApi_.AdjustWindowRectExForDpi(&rect, style, FALSE, exStyle, dpi)) {
        return;
    }
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

int Win32Windowing::SystemMetric(int index, UINT dpi) const noexcept {
    if (dpiApi_.GetSystemMetricsForDpi != nullptr) return dpiApi_.GetSystemMetricsForDpi(index, dpi);
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

LOGFONTW Win32Windowing::MessageFontAt96() const {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    bool ok = dpiApi_.SystemParametersInfoForDpi != nullptr &&
              dpiApi_.SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, 96);
    if (!ok && ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        // The system's metrics are for the system DPI.
        metrics.lfMessageFont.lfHeight =
            ::MulDiv(metrics.lfMessageFont.lfHeight, 96, static_cast<int>(SystemDpi()));
        ok = true;
    }
    LOGFONTW font = metrics.lfMessageFont;
    if (!ok || font.lfFaceName[0] == L'\0' || font.lfHeight == 0) {
        font = LOGFONTW{};
        font.lfHeight = -ui::PointsToPixels(9.0, ui::kStandardDpi);
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        std::wcscpy(font.lfFaceName, L"MS UI Gothic");
    }
    return font;
}

UniqueFont Win32Windowing::MakeDialogFont(UINT dpi, std::span<const TextRoom> rooms) const {
    const LOGFONTW font = MessageFontAt96();
    return FitFont(font, ScaledFontHeight(std::abs(font.lfHeight), dpi), rooms);
}

void Win32Windowing::SizeToLayout(HWND hwnd, const ui::WindowSpec& spec, DWORD style, DWORD exStyle,
                                  UINT dpi) noexcept {
    const int width = ui::TwipsToPixels(spec.clientWidth, static_cast<int>(dpi));
    const int height = ui::TwipsToPixels(spec.clientHeight, static_cast<int>(dpi));
    RECT frame{0, 0, width, height};
    AdjustForDpi(frame, style, exStyle, dpi);
    int outerWidth = frame.right - frame.left;
    int outerHeight = frame.bottom - frame.top;
    ::SetWindowPos(hwnd, nullptr, 0, 0, outerWidth, outerHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The borders and caption of a window moved to another DPI need not be what the system
    // computes for that DPI: the client area is what must come out right.
    RECT client{};
    if (!::GetClientRect(hwnd, &client) || (client.right == width && client.bottom == height)) return;
    outerWidth += width - client.right;
    outerHeight += height - client.bottom;
    ::SetWindowPos(hwnd, nullptr, 0, 0, outerWidth, outerHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::vector<TextRoom> Win32Windowing::MainTextRooms(UINT dpi) const {
    std::vector<TextRoom> rooms;
    for (const MainControl& c : ui::kMainControls) {
        const ui::PixelRect r = ui::ToPixels(c.rect, static_cast<int>(dpi));
        const bool accessKeys = c.kind == Kind::PictureButton || c.kind == Kind::PushButton;
        TextRoom room{ShownText(ui::CaptionsShown(c), accessKeys), r.width, r.height};
        switch (c.kind) {
        case Kind::Frame:
            // The caption is drawn inset on the top line, above the frame's first row of controls.
            room.width -= Scale(6, dpi) + 2 * Scale(2, dpi);
            room.height = ui::TwipsToPixels(240, static_cast<int>(dpi));
            break;
        case Kind::OptionButton:
            room.width -= Scale(12, dpi) + 1 + Scale(4, dpi);
            break;
        case Kind::DropDownList:
            room.width -= SystemMetric(SM_CXVSCROLL, dpi) + 2 * Scale(3, dpi);
            room.height -= 2 * Scale(2, dpi);
            break;
        case Kind::PictureButton:
        case Kind::PushButton:
            room.width -= 2 * Scale(3, dpi);
            room.height -= 2 * Scale(3, dpi);
            break;
        case Kind::Label:
            if ((c.flags & ui::flag::Border) != 0) {
                room.width -= 2;
                room.height -= 2;
            }
            break;
        case Kind::Picture:
            continue;
        }
        if (!room.text.empty()) rooms.push_back(std::move(room));
    }
    return rooms;
}

void Win32Windowing::CentreOnWorkArea(HWND hwnd) noexcept {
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    const RECT& work = monitor.rcWork;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int x = work.left + ((work.right - work.left) - width) / 2;
    const int y = work.top + ((work.bottom - work.top) - height) / 2;
    ::SetWindowPos(hwnd, nullptr, std::max<int>(x, work.left), std::max<int>(y, work.top), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------- the main window

void Win32Windowing::CreateMainWindow() {
    if (main_ != nullptr) return;

    owner_ = ::CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_, nullptr);
    const std::wstring title = Utf8ToWide(ui::kMainWindow.title);
    ::CreateWindowExW(kMainExStyle, kMainWindowClass, title.c_str(), kMainStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      320, 240, owner_, nullptr, instance_, this);
    if (main_ == nullptr) throw std::runtime_error("cannot create the main window");

    dpi_ = WindowDpi(main_);
    dialogFont_ = MakeDialogFont(dpi_, MainTextRooms(dpi_));
    SizeToLayout(main_, ui::kMainWindow, kMainStyle, kMainExStyle, dpi_);

    // Fixed size, close box only: the system menu offers nothing else.
    if (HMENU system = ::GetSystemMenu(main_, FALSE); system != nullptr) {
        for (UINT command : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE}) {
            ::DeleteMenu(system, command, MF_BYCOMMAND);
        }
    }

    bigIcon_.reset(static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                                   SystemMetric(SM_CXICON, dpi_), SystemMetric(SM_CYICON, dpi_), 0)));
    smallIcon_.reset(static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                                     SystemMetric(SM_CXSMICON, dpi_),
                                                     SystemMetric(SM_CYSMICON, dpi_), 0)));
    ::SendMessageW(main_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    ::SendMessageW(main_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));

    // An elevated copy would otherwise not hear that the shell came back.
    if (taskbarCreated_ != 0) ::ChangeWindowMessageFilterEx(main_, taskbarCreated_, MSGFLT_ALLOW, nullptr);

    CreateControls(Ctl::frmMain, main_);
    LayoutMainWindow();
    for (const MainControl& c : ui::kMainControls) {
        if ((c.flags & ui::flag::Selected) != 0) {
            ::SendMessageW(controls_[static_cast<std::size_t>(c.ctl)], BM_SETCHECK, BST_CHECKED, 0);
        }
        if (c.kind == Kind::OptionButton) KeepGroupReachable(c.ctl);
    }

    ::SetTimer(main_, kTimer1Id, 1000, nullptr);
    ::SetTimer(main_, kTimer2Id, 1000, nullptr);
    timerIntervals_ = {1000, 1000};
}

void Win32Windowing::CreateControls(Ctl parent, HWND parentWindow) {
    bool previousWasOption = false;
    for (const MainControl* c : ui::ChildrenInTabOrder(parent)) {
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        const bool option = c->kind == Kind::OptionButton;
        // Each option group, and every other control, starts a group of its own.
        if (!option || !previousWasOption) style |= WS_GROUP;
        previousWasOption = option;
        switch (c->kind) {
        case Kind::Frame:
            style |= WS_CLIPCHILDREN;
            exStyle |= WS_EX_CONTROLPARENT;
            break;
        case Kind::Label:
            style |= SS_NOPREFIX | TextAlignStyle(c->align);
            if ((c->flags & ui::flag::Border) != 0) style |= WS_BORDER;
            if ((c->flags & ui::flag::Clickable) != 0) style |= SS_NOTIFY;
            break;
        case Kind::OptionButton:
            style |= BS_AUTORADIOBUTTON | BS_FLAT;
            break;
        case Kind::DropDownList:
            style |= CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP;
            break;
        case Kind::PictureButton:
            style |= BS_OWNERDRAW | WS_TABSTOP;
            break;
        case Kind::PushButton:
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case Kind::Picture:
            style |= SS_BITMAP;
            break;
        }
        if ((c->flags & ui::flag::Disabled) != 0) style |= WS_DISABLED;

        const std::wstring text = Utf8ToWide(c->text);
        HWND hwnd = ::CreateWindowExW(exStyle, WindowClassOf(c->kind), text.c_str(), style, 0, 0, 0, 0, parentWindow,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(c->id)), instance_,
                                      c->kind == Kind::Frame ? this : nullptr);
        if (hwnd == nullptr) throw std::runtime_error(std::string("cannot create ") + c->name);
        controls_[static_cast<std::size_t>(c->ctl)] = hwnd;

        if (c->kind == Kind::DropDownList) {
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            comboBaseProc_ = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Windowing::ComboThunk)));
        }
        if (c->kind == Kind::Frame) CreateControls(c->ctl, hwnd);
    }
}

void Win32Windowing::LayoutMainWindow() {
    const int dpi = static_cast<int>(dpi_);
    for (const MainControl& c : ui::kMainControls) {
        HWND hwnd = controls_[static_cast<std::size_t>(c.ctl)];
        const ui::PixelRect r = ui::ToPixels(c.rect, dpi);
        // A drop-down list's window height is that of the open list; the closed box is fitted below.
        const int height = c.kind == Kind::DropDownList ? r.height * 9 : r.height;
        if (c.ctl == Ctl::txtTime0) comboHeights_[0] = r.height;
        if (c.ctl == Ctl::txtTime1) comboHeights_[1] = r.height;
        ::SetWindowPos(hwnd, nullptr, r.left, r.top, r.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont_.get()), FALSE);
        if (c.kind == Kind::DropDownList) FitComboHeight(hwnd, r.height);
    }
    ::RedrawWindow(main_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void Win32Windowing::FitComboHeight(HWND combo, int height) noexcept {
    for (int attempt = 0; attempt < 2; ++attempt) {
        RECT closed{};
        ::GetWindowRect(combo, &closed);
        const int delta = height - (closed.bottom - closed.top);
        if (delta == 0) return;
        const LRESULT field = ::SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
        if (field == CB_ERR || field + delta <= 0) return;
        ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field + delta);
    }
}

HWND Win32Windowing::Control(Ctl control) const {
    if (control == Ctl::frmMain) {
        if (main_ == nullptr) throw std::runtime_error("the main window does not exist");
        return main_;
    }
    const auto index = static_cast<std::size_t>(control);
    if (index >= controls_.size() || controls_[index] == nullptr) {
        throw std::runtime_error("the control does not exist");
    }
    return controls_[index];
}

HWND Win32Windowing::ControlWindow(Ctl control) const noexcept {
    if (control == Ctl::frmMain) return main_;
    const auto index = static_cast<std::size_t>(control);
    return index < controls_.size() ? controls_[index] : nullptr;
}

const MainControl* Win32Windowing::SpecOf(HWND control) const noexcept {
    if (control == nullptr) return nullptr;
    for (const MainControl& c : ui::kMainControls) {
        if (controls_[static_cast<std::size_t>(c.ctl)] == control) return &c;
    }
    return nullptr;
}

void Win32Windowing::KeepGroupReachable(Ctl option) noexcept {
    const std::vector<Ctl> group = ui::OptionGroup(option);
    if (group.empty()) return;
    HWND stop = nullptr;
    for (Ctl c : group) {
        HWND h = controls_[static_cast<std::size_t>(c)];
        if (h != nullptr && ::SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED) stop = h;
    }
    // Tab lands on the selected button; with none selected, on the first.
    if (stop == nullptr) stop = controls_[static_cast<std::size_t>(group.front())];
    for (Ctl c : group) {
        HWND h = controls_[static_cast<std::size_t>(c)];
        if (h == nullptr) continue;
        const LONG_PTR style = ::GetWindowLongPtrW(h, GWL_STYLE);
        const LONG_PTR wanted = h == stop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        if (wanted != style) ::SetWindowLongPtrW(h, GWL_STYLE, wanted);
    }
}

void Win32Windowing::RememberFocus(HWND top) noexcept {
    HWND focus = ::GetFocus();
    if (focus == nullptr || !::IsChild(top, focus)) return;
    (top == about_ ? aboutLastFocus_ : lastFocus_) = focus;
}

// A top-level window keeps its focused control while another window is active.
LRESULT Win32Windowing::OnActivate(HWND hwnd, WPARAM wParam, LPARAM lParam) noexcept {
    if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus(hwnd);
        return 0;
    }
    const LRESULT result = ::DefWindowProcW(hwnd, WM_ACTIVATE, wParam, lParam);
    if (HIWORD(wParam) == 0) RestoreFocus(hwnd);
    return result;
}

void Win32Windowing::RestoreFocus(HWND top) noexcept {
    HWND remembered = top == about_ ? aboutLastFocus_ : lastFocus_;
    if (remembered == nullptr || !::IsChild(top, remembered) || !::IsWindowEnabled(remembered)) {
        remembered = ::GetNextDlgTabItem(top, nullptr, FALSE);
    }
    if (remembered != nullptr) ::SetFocus(remembered);
}

void Win32Windowing::MoveFocusOffIfFocused(HWND control) noexcept {
    const bool focused = ::GetFocus() == control;
    if (!focused && lastFocus_ != control) return;
    HWND next = ::GetNextDlgTabItem(main_, control, FALSE);
    if (next == control) next = nullptr;
    if (focused && next != nullptr) {
        ::SetFocus(next);
    } else {
        lastFocus_ = next;
    }
}

// ---------------------------------------------------------------- window procedures

LRESULT CALLBACK Win32Windowing::MainThunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Win32Windowing*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->main_ = hwnd;
    }
    auto* self = reinterpret_cast<Win32Windowing*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self != nullptr ? self->MainProc(hwnd, message, wParam, lParam)
                           : ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Win32Windowing::FrameThunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Windowing*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self != nullptr ? self->FrameProc(hwnd, message, wParam, lParam)
                           : ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Win32Windowing::ComboThunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<Win32Windowing*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->comboBaseProc_ == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return self->ComboProc(hwnd, message, wParam, lParam);
}

LRESULT Win32Windowing::MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        if (mainEvents_ != nullptr) Guard([&] { mainEvents_->TaskbarCreated(); });
        return 0;
    }
    switch (message) {
    case WM_COMMAND:
        OnMainCommand(wParam, lParam);
        return 0;
    case WM_TIMER:
        if (mainEvents_ == nullptr) return 0;
        if (wParam == kTimer1Id) Guard([&] { mainEvents_->Timer1_Timer(); });
        if (wParam == kTimer2Id) Guard([&] { mainEvents_->Timer2_Timer(); });
        return 0;
    case WM_CLOSE: {
        std::int16_t cancel = 0;
        bool finished = true;
        if (mainEvents_ != nullptr) finished = Guard([&] { mainEvents_->Form_Unload(cancel); });
        // A handler that failed half-way keeps the window: the program lives in the tray.
        if (finished && cancel == 0) ::DestroyWindow(hwnd);
        return 0;
    }
    case WM_MOUSEMOVE:
        OnMainMouseMove(wParam, lParam);
        return 0;
    case WM_QUERYENDSESSION: {
        bool allow = true;
        if (mainEvents_ != nullptr) Guard([&] { allow = mainEvents_->Form_QueryEndSession(); });
        return allow ? TRUE : FALSE;
    }
    case WM_ENDSESSION:
        if (mainEvents_ != nullptr) Guard([&] { mainEvents_->Form_EndSession(wParam != FALSE); });
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (LRESULT brush = OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)); brush != 0) {
            return brush;
        }
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item != nullptr && item->CtlType == ODT_BUTTON) {
            OnDrawPictureButton(*item);
            return TRUE;
        }
        break;
    }
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT draws everything
    case WM_PAINT: {
        PaintScope paint(hwnd);
        PaintMainBackground(paint.dc());
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintMainBackground(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ACTIVATE:
        return OnActivate(hwnd, wParam, lParam);
    case WM_SETFOCUS:
        RestoreFocus(hwnd);
        return 0;
    case WM_DPICHANGED:
        OnMainDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        ::KillTimer(hwnd, kTimer1Id);
        ::KillTimer(hwnd, kTimer2Id);
        ::PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        main_ = nullptr;
        controls_.fill(nullptr);
        lastFocus_ = nullptr;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Win32Windowing::FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    // A frame only holds controls; what they report belongs to the window.
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
        if (HWND top = ::GetAncestor(hwnd, GA_ROOT); top != nullptr && top != hwnd) {
            return ::SendMessageW(top, message, wParam, lParam);
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintScope paint(hwnd);
        PaintFrame(hwnd, paint.dc());
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintFrame(hwnd, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SETTEXT: {
        const LRESULT result = ::DefWindowProcW(hwnd, message, wParam, lParam);
        ::InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(dialogFont_.get());
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Win32Windowing::ComboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = ::CallWindowProcW(comboBaseProc_, hwnd, message, wParam, lParam);
        // Enter must reach the box's key handler instead of being taken as the dialog's OK.
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (OnComboKeyDown(hwnd, wParam)) return 0;
        break;
    case WM_WINDOWPOSCHANGING: {
        // The closed box keeps the height of the layout even where the box would size itself
        // after its font (Wine lets no text field shrink below the font).
        const LRESULT result = ::CallWindowProcW(comboBaseProc_, hwnd, message, wParam, lParam);
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        const int height = hwnd == controls_[static_cast<std::size_t>(Ctl::txtTime0)]   ? comboHeights_[0]
                           : hwnd == controls_[static_cast<std::size_t>(Ctl::txtTime1)] ? comboHeights_[1]
                                                                                         : 0;
        // A taller request sets the height of the open list and is left alone.
        if (pos != nullptr && (pos->flags & SWP_NOSIZE) == 0 && height > 0 && pos->cy < 2 * height) {
            pos->cy = height;
        }
        return result;
    }
    default:
        break;
    }
    return ::CallWindowProcW(comboBaseProc_, hwnd, message, wParam, lParam);
}

bool Win32Windowing::OnComboKeyDown(HWND combo, WPARAM key) noexcept {
    if (mainEvents_ == nullptr) return false;
    const std::int16_t index = combo == controls_[static_cast<std::size_t>(Ctl::txtTime1)] ? 1 : 0;
    auto keyCode = static_cast<std::int16_t>(key & 0xFFFF);
    Guard([&] { mainEvents_->txtTime_KeyDown(index, keyCode, ShiftState()); });
    // A handler that sets the key code to 0 swallows the key.
    return keyCode == 0;
}

void Win32Windowing::OnMainMouseMove(WPARAM wParam, LPARAM lParam) noexcept {
    if (mainEvents_ == nullptr) return;
    // From about 160% DPI on, the window is wider than the tray's event numbers: a real pointer
    // move over it at x = 515 or 517 must not be taken for a click on the tray icon. A pointer
    // move happens where the message says the pointer was; a tray event names no position.
    const DWORD at = ::GetMessagePos();
    POINT pointer{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (::ScreenToClient(main_, &pointer) && pointer.x == GET_X_LPARAM(lParam) &&
        pointer.y == GET_Y_LPARAM(lParam)) {
        return;
    }
    std::int16_t button = 0;
    if ((wParam & MK_LBUTTON) != 0) button |= 1;
    if ((wParam & MK_RBUTTON) != 0) button |= 2;
    if ((wParam & MK_MBUTTON) != 0) button |= 4;
    std::int16_t shift = 0;
    if ((wParam & MK_SHIFT) != 0) shift |= 1;
    if ((wParam & MK_CONTROL) != 0) shift |= 2;
    if (::GetKeyState(VK_MENU) < 0) shift |= 4;
    // Positions are reported in twips; the tray's event code travels in x.
    const float factor = TwipsPerPixelX();
    const float x = static_cast<float>(GET_X_LPARAM(lParam)) * factor;
    const float y = static_cast<float>(GET_Y_LPARAM(lParam)) * factor;
    Guard([&] { mainEvents_->Form_MouseMove(button, shift, x, y); });
}

void Win32Windowing::Click(Ctl button) noexcept {
    if (mainEvents_ == nullptr) return;
    HWND hwnd = controls_[static_cast<std::size_t>(button)];
    // A disabled button cannot be pressed, not even by a stray message.
    if (hwnd == nullptr || !::IsWindowEnabled(hwnd)) return;
    switch (button) {
    case Ctl::cmdON: Guard([&] { mainEvents_->cmdON_Click(); }); break;
    case Ctl::Command5: Guard([&] { mainEvents_->Command5_Click(); }); break;
    case Ctl::Command2: Guard([&] { mainEvents_->Command2_Click(); }); break;
    default: break;
    }
}

void Win32Windowing::OnMainCommand(WPARAM wParam, LPARAM lParam) noexcept {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (lParam == 0) {
        if (code == 0) {
            if (const auto item = ui::MenuItemById(id); item.has_value()) {
                if (menuEvents_ == nullptr) return;
                switch (*item) {
                case MenuItem::mnuOpen: Guard([&] { menuEvents_->mnuOpen_Click(); }); break;
                case MenuItem::mnuClose: Guard([&] { menuEvents_->mnuClose_Click(); }); break;
                case MenuItem::mnuweb: Guard([&] { menuEvents_->mnuweb_Click(); }); break;
                case MenuItem::mnuVer: Guard([&] { menuEvents_->mnuVer_Click(); }); break;
                default: break;
                }
                return;
            }
        }
        // Enter: the window has no default button, but a focused button is pressed by it.
        if (id == IDOK) {
            if (const MainControl* focused = SpecOf(::GetFocus());
                focused != nullptr && focused->kind == Kind::PictureButton) {
                Click(focused->ctl);
            }
        }
        return;
    }
    if (code != BN_CLICKED) return;
    for (Ctl button : {Ctl::cmdON, Ctl::Command5, Ctl::Command2}) {
        if (id == ui::MainControlId(button) && reinterpret_cast<HWND>(lParam) == controls_[static_cast<std::size_t>(button)]) {
            Click(button);
        }
    }
}

LRESULT Win32Windowing::OnControlColour(HDC dc, HWND control) noexcept {
    const MainControl* entry = SpecOf(control);
    if (entry == nullptr) return 0;
    if ((entry->flags & ui::flag::Transparent) != 0) {
        PaintBehind(control, dc);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    }
    if ((entry->flags & ui::flag::FlatWhite) != 0) {
        ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    }
    return 0;
}

void Win32Windowing::OnMainDpiChanged(UINT dpi, const RECT& suggested) noexcept {
    if (dpi == 0) return;
    dpi_ = dpi;
    // The controls still use the old font until the layout hands them the new one.
    UniqueFont oldFont = std::move(dialogFont_);
    try {
        dialogFont_ = MakeDialogFont(dpi_, MainTextRooms(dpi_));
    } catch (const std::exception&) {
        dialogFont_ = std::move(oldFont);
    }
    // Windows suggests where the window goes; its size is the layout's at the new DPI.
    ::SetWindowPos(main_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SizeToLayout(main_, ui::kMainWindow, kMainStyle, kMainExStyle, dpi_);
    Guard([&] { LayoutMainWindow(); });
}

// ---------------------------------------------------------------- painting

// The window starts hidden and may never be shown: its pictures are decoded when it is first
// drawn, which keeps the picture decoder out of a start-up that only puts up the tray icon.
void Win32Windowing::EnsurePictures() noexcept {
    if (picturesLoaded_) return;
    picturesLoaded_ = true;
    // A missing picture leaves a plain face; the window works without it.
    try {
        background_ = LoadPictureResource(instance_, IDR_BACKGROUND);
    } catch (const std::exception&) {
    }
    try {
        buttonFace_ = LoadPictureResource(instance_, IDR_BUTTON_FACE);
        buttonFaceGrey_ = MakeGreyedCopy(buttonFace_.get());
    } catch (const std::exception&) {
    }
}

void Win32Windowing::PaintMainBackground(HDC dc) noexcept {
    EnsurePictures();
    RECT client{};
    ::GetClientRect(main_, &client);
    const SIZE size = BitmapSize(background_.get());
    if (size.cx <= 0 || size.cy <= 0) {
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    UniqueDc memory(::CreateCompatibleDC(dc));
    if (!memory) return;
    SelectScope picture(memory.get(), background_.get());
    // Unscaled from the top-left; a window larger than the picture (high DPI) repeats it.
    for (int y = 0; y < client.bottom; y += size.cy) {
        for (int x = 0; x < client.right; x += size.cx) {
            ::BitBlt(dc, x, y, size.cx, size.cy, memory.get(), 0, 0, SRCCOPY);
        }
    }
}

void Win32Windowing::PaintFrame(HWND frame, HDC dc) noexcept {
    RECT client{};
    ::GetClientRect(frame, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
    SelectScope font(dc, dialogFont_.get());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    RECT border{0, metrics.tmHeight / 2, client.right, client.bottom};
    ::FrameRect(dc, &border, ::GetSysColorBrush(COLOR_BTNSHADOW));

    std::wstring caption;
    try {
        caption = WindowText(frame);
    } catch (...) {
    }
    if (caption.empty()) return;
    const int indent = Scale(6, dpi_);
    const int gap = Scale(2, dpi_);
    RECT text{indent + gap, 0, client.right - gap, metrics.tmHeight};
    ::DrawTextW(dc, caption.c_str(), -1, &text, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    // The caption interrupts the line.
    RECT band{text.left - gap, 0, std::min<LONG>(text.right + gap, client.right - 1), metrics.tmHeight};
    ::FillRect(dc, &band, ::GetSysColorBrush(COLOR_WINDOW));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::DrawTextW(dc, caption.c_str(), -1, &text, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void Win32Windowing::PaintContainer(HWND container, HDC dc) noexcept {
    if (container == nullptr) return;
    if (container == main_) {
        PaintMainBackground(dc);
    } else if (container == about_) {
        PaintAboutBackground(dc);
    } else if (const MainControl* entry = SpecOf(container); entry != nullptr && entry->kind == Kind::Frame) {
        PaintFrame(container, dc);
    }
}

void Win32Windowing::PaintBehind(HWND control, HDC dc) noexcept {
    HWND parent = ::GetParent(control);
    POINT origin{0, 0};
    ::MapWindowPoints(control, parent, &origin, 1);
    POINT old{};
    ::OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    PaintContainer(parent, dc);
    ::SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

void Win32Windowing::OnDrawPictureButton(const DRAWITEMSTRUCT& item) noexcept {
    HDC dc = item.hDC;
    const RECT rc = item.rcItem;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;

    EnsurePictures();
    HBITMAP face = disabled && buttonFaceGrey_ ? buttonFaceGrey_.get() : buttonFace_.get();
    const SIZE size = BitmapSize(face);
    if (size.cx > 0 && size.cy > 0) {
        UniqueDc memory(::CreateCompatibleDC(dc));
        if (memory) {
            SelectScope picture(memory.get(), face);
            ::SetStretchBltMode(dc, HALFTONE);
            ::SetBrushOrgEx(dc, 0, 0, nullptr);
            ::StretchBlt(dc, rc.left, rc.top, width, height, memory.get(), 0, 0, size.cx, size.cy, SRCCOPY);
        }
    } else {
        ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
    }

    UniqueBrush edge(::CreateSolidBrush(disabled ? kButtonEdgeDisabled : kButtonEdge));
    if (edge) {
        RECT r = rc;
        ::FrameRect(dc, &r, edge.get());
        if (pressed) {
            ::InflateRect(&r, -1, -1);
            ::FrameRect(dc, &r, edge.get());
        }
    }

    std::wstring caption;
    try {
        caption = WindowText(item.hwndItem);
    } catch (...) {
    }
    SelectScope font(dc, dialogFont_.get());
    ::SetBkMode(dc, TRANSPARENT);
    RECT text = rc;
    if (pressed) ::OffsetRect(&text, 1, 1);
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | ((item.itemState & ODS_NOACCEL) != 0 ? DT_HIDEPREFIX : 0);
    RECT shadow = text;
    ::OffsetRect(&shadow, 1, 1);
    // Disabled: grey lettering with a light shadow over the pale face.
    ::SetTextColor(dc, disabled ? RGB(255, 255, 255) : RGB(0x10, 0x28, 0x5a));
    ::DrawTextW(dc, caption.c_str(), -1, &shadow, format);
    ::SetTextColor(dc, disabled ? RGB(0x80, 0x80, 0x80) : RGB(255, 255, 255));
    ::DrawTextW(dc, caption.c_str(), -1, &text, format);

    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        RECT focus = rc;
        ::InflateRect(&focus, -Scale(3, dpi_), -Scale(3, dpi_));
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkColor(dc, RGB(255, 255, 255));
        ::DrawFocusRect(dc, &focus);
    }
}

// ---------------------------------------------------------------- the loop

void Win32Windowing::Dispatch(MSG& msg) noexcept {
    if (msg.hwnd != nullptr) {
        HWND top = ::GetAncestor(msg.hwnd, GA_ROOT);
        // Tab, arrows in option groups, access keys, Enter and Esc.
        if (top != nullptr && (top == main_ || top == about_) && ::IsDialogMessageW(top, &msg)) return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

int Win32Windowing::RunMessageLoop() {
    MSG msg{};
    for (;;) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return 1;
        Dispatch(msg);
    }
}

void Win32Windowing::DoEvents() {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

void Win32Windowing::SendTabKey() {
    HWND focus = ::GetFocus();
    if (focus == nullptr) return;
    const UINT scan = ::MapVirtualKeyW(VK_TAB, MAPVK_VK_TO_VSC);
    // Posted, so the loop's dialog handling moves the focus once the current key is done.
    ::PostMessageW(focus, WM_KEYDOWN, VK_TAB, static_cast<LPARAM>(1 | (scan << 16)));
}

// ---------------------------------------------------------------- controls

void Win32Windowing::SetCaption(Ctl control, std::string_view text) {
    HWND hwnd = Control(control);
    if (control != Ctl::frmMain && ui::Find(control).kind == Kind::DropDownList) {
        SetComboText(control, text);
        return;
    }
    const std::wstring wide = Utf8ToWide(text);
    ::SetWindowTextW(hwnd, wide.c_str());
    captions_[static_cast<std::size_t>(control)] = std::string(text);
}

std::string Win32Windowing::Caption(Ctl control) {
    HWND hwnd = Control(control);
    if (control != Ctl::frmMain && ui::Find(control).kind == Kind::DropDownList) return ComboText(control);
    // Only the program changes its captions; reading back what it wrote saves a round trip to
    // the window every clock tick.
    if (const auto& known = captions_[static_cast<std::size_t>(control)]) return *known;
    return WideToUtf8(WindowText(hwnd));
}

void Win32Windowing::SetEnabled(Ctl control, bool enabled) {
    HWND hwnd = Control(control);
    if (!enabled) MoveFocusOffIfFocused(hwnd);
    ::EnableWindow(hwnd, enabled ? TRUE : FALSE);
}

bool Win32Windowing::Enabled(Ctl control) { return ::IsWindowEnabled(Control(control)) != FALSE; }

void Win32Windowing::SetFocus(Ctl control) {
    HWND hwnd = Control(control);
    // A hidden window takes the focus when it is shown next.
    if (main_ != nullptr && ::IsWindowVisible(main_)) {
        ::SetFocus(hwnd);
    } else {
        lastFocus_ = hwnd;
    }
}

bool Win32Windowing::Value(Ctl option) {
    return ::SendMessageW(Control(option), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Windowing::SetValue(Ctl option, bool selected) {
    HWND hwnd = Control(option);
    if (selected) {
        for (Ctl other : ui::OptionGroup(option)) {
            if (other != option) ::SendMessageW(Control(other), BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    ::SendMessageW(hwnd, BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
    KeepGroupReachable(option);
}

void Win32Windowing::SetListItem(Ctl combo, int index, std::string_view text) {
    HWND hwnd = Control(combo);
    if (index < 0) throw std::out_of_range("list index below 0");
    const std::wstring wide = Utf8ToWide(text);
    auto count = static_cast<int>(::SendMessageW(hwnd, CB_GETCOUNT, 0, 0));
    // Writing past the end grows the list.
    for (; count < index; ++count) {
        ::SendMessageW(hwnd, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L""));
    }
    if (index < count) {
        const LRESULT selected = ::SendMessageW(hwnd, CB_GETCURSEL, 0, 0);
        ::SendMessageW(hwnd, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
        ::SendMessageW(hwnd, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.c_str()));
        if (selected == index) ::SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    } else {
        ::SendMessageW(hwnd, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(wide.c_str()));
    }
}

std::string Win32Windowing::ComboText(Ctl combo) {
    HWND hwnd = Control(combo);
    const LRESULT selected = ::SendMessageW(hwnd, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return {};
    return WideToUtf8(ComboItem(hwnd, static_cast<int>(selected)));
}

bool Win32Windowing::SetComboText(Ctl combo, std::string_view text) {
    HWND hwnd = Control(combo);
    const std::wstring wanted = Utf8ToWide(text);
    const auto count = static_cast<int>(::SendMessageW(hwnd, CB_GETCOUNT, 0, 0));
    // Whole strings, case and all (the box's own search ignores case).
    for (int i = 0; i < count; ++i) {
        if (ComboItem(hwnd, i) == wanted) {
            ::SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- the window itself

void Win32Windowing::SetTimerInterval(Timer timer, std::uint32_t milliseconds) {
    HWND hwnd = Control(Ctl::frmMain);
    const UINT_PTR id = timer == Timer::Timer1 ? kTimer1Id : kTimer2Id;
    // Setting the interval a timer already runs at leaves it in step: setting it again would
    // move it away from the other timer and wake the program twice a second instead of once.
    std::uint32_t& current = timerIntervals_[timer == Timer::Timer1 ? 0 : 1];
    if (current == milliseconds) return;
    current = milliseconds;
    if (milliseconds == 0) {
        ::KillTimer(hwnd, id);
    } else {
        ::SetTimer(hwnd, id, milliseconds, nullptr);
    }
}

void Win32Windowing::SetIconFromFile(const std::string& path) {
    const std::wstring wide = Utf8ToWide(path);
    const UINT dpi = main_ != nullptr ? dpi_ : SystemDpi();
    UniqueIcon big(static_cast<HICON>(::LoadImageW(nullptr, wide.c_str(), IMAGE_ICON, SystemMetric(SM_CXICON, dpi),
                                                   SystemMetric(SM_CYICON, dpi), LR_LOADFROMFILE)));
    UniqueIcon small(static_cast<HICON>(::LoadImageW(nullptr, wide.c_str(), IMAGE_ICON,
                                                     SystemMetric(SM_CXSMICON, dpi), SystemMetric(SM_CYSMICON, dpi),
                                                     LR_LOADFROMFILE)));
    if (!big || !small) throw PlatformError("cannot load the icon " + path, path);
    if (main_ != nullptr) {
        ::SendMessageW(main_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
        ::SendMessageW(main_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    }
    oldBigIcon_ = std::move(bigIcon_);
    oldSmallIcon_ = std::move(smallIcon_);
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
}

Handle Win32Windowing::IconHandle() { return reinterpret_cast<Handle>(bigIcon_.get()); }

Handle Win32Windowing::WindowHandle() { return reinterpret_cast<Handle>(main_); }

void Win32Windowing::Show() {
    HWND hwnd = Control(Ctl::frmMain);
    if (!centred_) {
        CentreOnWorkArea(hwnd);
        centred_ = true;
    }
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetForegroundWindow(hwnd);
}

void Win32Windowing::Hide() { ::ShowWindow(Control(Ctl::frmMain), SW_HIDE); }

bool Win32Windowing::Visible() { return main_ != nullptr && ::IsWindowVisible(main_) != FALSE; }

float Win32Windowing::TwipsPerPixelX() {
    return static_cast<float>(ui::TwipsPerPixel(static_cast<int>(main_ != nullptr ? dpi_ : SystemDpi())));
}

int Win32Windowing::MsgBox(std::string_view text, unsigned style, std::string_view title) {
    const std::wstring wideText = Utf8ToWide(text);
    const std::wstring wideTitle = Utf8ToWide(title);
    return ::MessageBoxW(main_, wideText.c_str(), wideTitle.c_str(), style | MB_SETFOREGROUND);
}

// ---------------------------------------------------------------- the menu form

void Win32Windowing::EnsureMenuForm() {
    if (menuForm_ != nullptr) return;
    // Never shown: no caption, no taskbar button.
    menuForm_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, kMenuFormClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  instance_, nullptr);
    if (menuForm_ == nullptr) throw std::runtime_error("cannot create the menu form");
    trayMenuBar_.reset(::CreateMenu());
    trayPopup_ = ::CreatePopupMenu();
    if (!trayMenuBar_ || trayPopup_ == nullptr) throw std::runtime_error("cannot create the tray menu");
    const std::wstring top = Utf8ToWide(ui::kTrayMenu[0].caption);
    ::AppendMenuW(trayMenuBar_.get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(trayPopup_), top.c_str());
    RebuildTrayMenu();
}

void Win32Windowing::RebuildTrayMenu() {
    while (::GetMenuItemCount(trayPopup_) > 0) ::DeleteMenu(trayPopup_, 0, MF_BYPOSITION);
    for (const ui::MenuEntry& entry : ui::kTrayMenu) {
        if (entry.item == MenuItem::mnuTray || !menuVisible_[static_cast<std::size_t>(entry.item)]) continue;
        if (std::string_view(entry.caption) == "-") {
            ::AppendMenuW(trayPopup_, MF_SEPARATOR, 0, nullptr);
        } else {
            const std::wstring caption = Utf8ToWide(entry.caption);
            ::AppendMenuW(trayPopup_, MF_STRING, static_cast<UINT_PTR>(entry.id), caption.c_str());
        }
    }
    // An invisible top entry means no menu bar on the (never shown) form.
    ::SetMenu(menuForm_, menuVisible_[static_cast<std::size_t>(MenuItem::mnuTray)] ? trayMenuBar_.get() : nullptr);
}

void Win32Windowing::SetMenuVisible(MenuItem item, bool visible) {
    EnsureMenuForm();
    const auto index = static_cast<std::size_t>(item);
    if (index >= menuVisible_.size()) throw std::out_of_range("no such menu entry");
    menuVisible_[index] = visible;
    RebuildTrayMenu();
}

void Win32Windowing::PopupTrayMenu() {
    EnsureMenuForm();
    HWND owner = main_ != nullptr ? main_ : menuForm_;
    POINT at{};
    ::GetCursorPos(&at);
    ::TrackPopupMenu(trayPopup_, 0, at.x, at.y, 0, owner, nullptr);
    // Without this the menu may not close when the user clicks elsewhere.
    ::PostMessageW(owner, WM_NULL, 0, 0);
}

}  // namespace velt::platform::win32
