#include "platform/win32/MainWindow_win.h"

#include <stdexcept>
#include <utility>

#include "core/ClockTick.h"
#include "core/StartupSteps.h"
#include "platform/WindowsApi.h"
#include "platform/win32/Text_win.h"
#include "platform/win32/TrayIcon_win.h"
#include "ui/resources/ResourceIds.h"

namespace velt::platform::win32 {

using ui::Kind;
using ui::MainControl;

namespace {

constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, const Dpi& dpi) noexcept
    : instance_(instance), dpiSupport_(dpi), pictures_(instance) {
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
}

MainWindow::~MainWindow() {
    events_ = nullptr;
    menu_ = nullptr;
    if (hwnd() != nullptr) {
        clock_.Stop();
        ::KillTimer(hwnd(), kTimer1Id);
        ::KillTimer(hwnd(), kTimer2Id);
        Destroy();
    }
    if (owner_ != nullptr) ::DestroyWindow(owner_);
}

void MainWindow::Register(HINSTANCE instance) {
    Window::Register(instance, kMainWindowClass, 0);
    FrameControl::Register(instance);
    WNDCLASSEXW owner{};
    owner.cbSize = sizeof owner;
    owner.lpfnWndProc = &::DefWindowProcW;
    owner.hInstance = instance;
    owner.lpszClassName = kOwnerClass;
    ::RegisterClassExW(&owner);
}

void MainWindow::Attach(MainFormEvents* main, TrayMenu* menu) noexcept {
    events_ = main;
    menu_ = menu;
}

// ---------------------------------------------------------------- making the window

void MainWindow::Create() {
    if (hwnd() != nullptr) return;
    const std::wstring title = Utf8ToWide(ui::kMainWindow.title);
    // Made at its size for the system's DPI, where it usually opens; sized again below otherwise.
    const SIZE size = dpiSupport_.OuterSize(ui::kMainWindow, kMainStyle, kMainExStyle, dpiSupport_.System());
    if (Window::Create(instance_, kMainExStyle, kMainWindowClass, title.c_str(), kMainStyle, nullptr, nullptr,
                       size) == nullptr) {
        throw std::runtime_error("cannot create the main window");
    }
    look_.dpi = dpiSupport_.Of(hwnd());
    dpiSupport_.SizeToLayout(hwnd(), ui::kMainWindow, kMainStyle, kMainExStyle, look_.dpi);

    // Fixed size, close box only: the system menu offers nothing else.
    if (HMENU system = ::GetSystemMenu(hwnd(), FALSE); system != nullptr) {
        for (UINT command : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE})
            ::DeleteMenu(system, command, MF_BYCOMMAND);
    }
    VELT_STARTUP_STEP("window made");
    LoadWindowIcons();
    VELT_STARTUP_STEP("icon loaded");
    // An elevated copy would otherwise not hear that the shell came back.
    if (taskbarCreated_ != 0) ::ChangeWindowMessageFilterEx(hwnd(), taskbarCreated_, MSGFLT_ALLOW, nullptr);

    // Checked: a refused start is tried again (TimersDueInMs) and at every change of a timer.
    timers_.Retry(*this);
}

void MainWindow::LoadWindowIcons() noexcept {
    const UINT dpi = look_.dpi;
    TakeBigIcon(static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                               dpiSupport_.SystemMetric(SM_CXICON, dpi),
                                               dpiSupport_.SystemMetric(SM_CYICON, dpi), 0)));
    smallIconFile_.clear();
    iconsHeld_ = true;
}

void MainWindow::TakeBigIcon(HICON icon) noexcept {
    UniqueIcon owned(icon);
    bigIcon_.reset();
    bigIconHandle_ = owned.get();
    if (!owned) return;
    try {
        // Not make_shared: without RTTI it links in the C++ runtime's thread library.
        bigIcon_ = std::shared_ptr<const UniqueIcon>(new UniqueIcon(std::move(owned)));
    } catch (...) {
        bigIconHandle_ = nullptr;  // freed with `owned`: the stand-in shows instead
    }
}

// While the window is hidden nothing shows its icons, and handing them over costs the display a
// copy of each: they go when the window is shown, or read. Only the tray needs the big one before.
void MainWindow::SendHeldIcons() noexcept {
    if (!iconsHeld_) return;
    iconsHeld_ = false;
    const int cx = dpiSupport_.SystemMetric(SM_CXSMICON, look_.dpi);
    const int cy = dpiSupport_.SystemMetric(SM_CYSMICON, look_.dpi);
    UniqueIcon small(static_cast<HICON>(
        smallIconFile_.empty()
            ? ::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, cx, cy, 0)
            : ::LoadImageW(nullptr, smallIconFile_.c_str(), IMAGE_ICON, cx, cy, LR_LOADFROMFILE)));
    ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon()));
    sentBigIcon_ = bigIcon_;
    ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    // The one it replaced is no longer the window's.
    smallIcon_ = std::move(small);
}

// ---------------------------------------------------------------- the window itself

void MainWindow::SetTimerInterval(Timer timer, std::uint32_t milliseconds) {
    Check(Ctl::frmMain);
    timers_.Set(*this, timer, milliseconds);
}

DWORD MainWindow::RetryTimers(bool run) noexcept {
    if (hwnd() == nullptr || !timers_.Short()) return INFINITE;
    const ULONGLONG now = ::GetTickCount64();
    if (now < timersRetryAt_) return static_cast<DWORD>(timersRetryAt_ - now);
    if (!run) return 0;
    timersRetryAt_ = now + kTickPeriodMs;
    timers_.Retry(*this);
    // Still no clock: this wake-up stands in for its tick, so that the schedule still fires.
    if (timers_.ClockWanted() && !timers_.ClockRunning()) OnTimer(kClockTimerId);
    return kTickPeriodMs;
}

bool MainWindow::Arm(int which, std::uint32_t ms) noexcept {
    if (which == WindowTimers::kClock) {
        if (ms != 0) return clock_.Start(hwnd(), kClockTimerId);
        clock_.Stop();
        return true;
    }
    const UINT_PTR id = which == 0 ? kTimer1Id : kTimer2Id;
    return ms != 0 ? ::SetTimer(hwnd(), id, ms, nullptr) != 0 : ::KillTimer(hwnd(), id) != FALSE;
}

void MainWindow::SetIconFromFile(const std::string& path) {
    const std::wstring wide = Utf8ToWide(path);
    const UINT dpi = hwnd() != nullptr ? look_.dpi : dpiSupport_.System();
    UniqueIcon big(static_cast<HICON>(
        ::LoadImageW(nullptr, wide.c_str(), IMAGE_ICON, dpiSupport_.SystemMetric(SM_CXICON, dpi),
                     dpiSupport_.SystemMetric(SM_CYICON, dpi), LR_LOADFROMFILE)));
    if (!big) throw PlatformError("cannot load the icon " + path, path);
    TakeBigIcon(big.release());
    smallIconFile_ = wide;
    iconsHeld_ = true;
    if (Visible()) SendHeldIcons();
}

// Owned by a hidden window, the main window gets no taskbar button. The owner is made when the
// window is first hidden or shown, which at start-up is after the tray icon is up: it would
// otherwise be the first window the display makes, before the icon. Without one (no window to be
// had) the window shows with a button of its own, and the next show tries again.
void MainWindow::EnsureOwner() noexcept {
    if (owner_ != nullptr) return;
    owner_ =
        ::CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_, nullptr);
    if (owner_ != nullptr) ::SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner_));
}

void MainWindow::Show() {
    EnsureControls();
    EnsureOwner();
    BringControlsUpToDate();
    if (!centred_) {
        CentreOnWorkArea(hwnd());
        centred_ = true;
    }
    SendHeldIcons();
    ::ShowWindow(hwnd(), SW_SHOW);
    ::SetForegroundWindow(hwnd());
}

void MainWindow::Hide() {
    Check(Ctl::frmMain);
    EnsureOwner();
    ::ShowWindow(hwnd(), SW_HIDE);
}

bool MainWindow::Visible() const noexcept { return hwnd() != nullptr && ::IsWindowVisible(hwnd()) != FALSE; }

float MainWindow::TwipsPerPixelX() const noexcept {
    return static_cast<float>(
        ui::TwipsPerPixel(static_cast<int>(hwnd() != nullptr ? look_.dpi : dpiSupport_.System())));
}

// ---------------------------------------------------------------- the window procedure

LRESULT MainWindow::Proc(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == taskbarCreated_ && taskbarCreated_ != 0) return OnTaskbarCreated();
    switch (message) {
    case WM_COMMAND: return OnCommand(wParam, lParam);
    case WM_TIMER: return OnTimer(wParam);
    case WM_TIMECHANGE: clock_.Realign(); return 0;
    case WM_POWERBROADCAST: return OnPowerBroadcast(wParam, lParam);
    case WM_CLOSE: return OnClose();
    case WM_MOUSEMOVE: return OnMouseMove(wParam, lParam);
    case WM_QUERYENDSESSION: return OnQueryEndSession();
    case WM_ENDSESSION: return OnEndSession(wParam);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return OnControlColour(message, wParam, lParam);
    case WM_DRAWITEM: return OnDrawItem(message, wParam, lParam);
    case WM_ERASEBKGND: return 1;  // WM_PAINT draws everything
    case WM_PAINT: return OnPaint();
    case WM_PRINTCLIENT: PaintTiled(hwnd(), reinterpret_cast<HDC>(wParam), pictures_.Background()); return 0;
    case WM_ACTIVATE: return focus_.OnActivate(hwnd(), wParam, lParam);
    case WM_SETFOCUS: focus_.Restore(hwnd()); return 0;
    case WM_DPICHANGED: return OnDpiChanged(wParam, lParam);
    case WM_DESTROY: return OnDestroy();
    case WM_GETOBJECT: return OnGetObject(wParam, lParam);
    case WM_GETICON: SendHeldIcons(); return Default(message, wParam, lParam);
    default: return Default(message, wParam, lParam);
    }
}

void MainWindow::OnGone() noexcept {
    controls_.fill(nullptr);
    frames_.clear();
    controlsMade_ = false;
    focus_.Set(nullptr);
}

LRESULT MainWindow::OnTaskbarCreated() noexcept {
    if (events_ != nullptr) Guard([&] { events_->TaskbarCreated(); });
    return 0;
}

LRESULT MainWindow::OnCommand(WPARAM wParam, LPARAM lParam) noexcept {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (lParam == 0) {
        // The tray menu opens with this window as its owner, so its commands come here.
        if (code == 0 && menu_ != nullptr && menu_->OnCommand(id)) {
            return 0;
        }
        if (id == IDOK) {
            // Enter: the window has no default button, but a focused button is pressed by it.
            if (const MainControl* focused = LayoutEntryOf(::GetFocus());
                focused != nullptr && focused->kind == Kind::PictureButton) {
                Click(focused->ctl);
            }
        }
        return 0;
    }
    if (code != BN_CLICKED) return 0;
    for (Ctl button : {Ctl::cmdON, Ctl::Command5, Ctl::Command2}) {
        if (id == ui::MainControlId(button) && reinterpret_cast<HWND>(lParam) == Child(button)) Click(button);
    }
    return 0;
}

void MainWindow::Click(Ctl button) noexcept {
    if (events_ == nullptr) return;
    HWND hwnd = Child(button);
    // A disabled button cannot be pressed, not even by a stray message.
    if (hwnd == nullptr || !::IsWindowEnabled(hwnd)) return;
    switch (button) {
    case Ctl::cmdON: Guard([&] { events_->cmdON_Click(); }); break;
    case Ctl::Command5: Guard([&] { events_->Command5_Click(); }); break;
    case Ctl::Command2: Guard([&] { events_->Command2_Click(); }); break;
    default: break;
    }
}

LRESULT MainWindow::OnTimer(WPARAM id) noexcept {
    const bool second = id == kClockTimerId;
    if (second) clock_.OnTick();
    if (events_ == nullptr) return 0;
    if (id == kTimer1Id || (second && timers_.OnClock(Timer::Timer1)))
        Guard([&] { events_->Timer1_Timer(); });
    if (id == kTimer2Id || (second && timers_.OnClock(Timer::Timer2)))
        Guard([&] { events_->Timer2_Timer(); });
    return 0;
}

LRESULT MainWindow::OnPowerBroadcast(WPARAM event, LPARAM data) noexcept {
    // Every wake-up brings this one, whether or not a user is there.
    if (event == PBT_APMRESUMEAUTOMATIC) clock_.Realign();
    return Default(WM_POWERBROADCAST, event, data);
}

LRESULT MainWindow::OnClose() noexcept {
    std::int16_t cancel = 0;
    bool finished = true;
    if (events_ != nullptr) finished = Guard([&] { events_->Form_Unload(cancel); });
    // A handler that failed half-way keeps the window: the program lives in the tray.
    if (finished && cancel == 0) Destroy();
    return 0;
}

LRESULT MainWindow::OnMouseMove(WPARAM wParam, LPARAM lParam) noexcept {
    if (events_ == nullptr) return 0;
    if (const auto tray = TrayCallback(hwnd(), wParam, lParam, TwipsPerPixelX())) {
        Guard([&] { events_->Form_MouseMove(tray->button, tray->shift, tray->x, tray->y); });
    }
    return 0;
}

LRESULT MainWindow::OnQueryEndSession() noexcept {
    bool allow = true;
    if (events_ != nullptr) Guard([&] { allow = events_->Form_QueryEndSession(); });
    return allow ? TRUE : FALSE;
}

LRESULT MainWindow::OnEndSession(WPARAM ending) noexcept {
    if (events_ != nullptr) Guard([&] { events_->Form_EndSession(ending != FALSE); });
    return 0;
}

bool MainWindow::OnComboKey(HWND combo, WPARAM key) noexcept {
    if (events_ == nullptr) return false;
    const std::int16_t index = combo == Child(Ctl::txtTime1) ? 1 : 0;
    auto keyCode = static_cast<std::int16_t>(key & 0xFFFF);
    Guard([&] { events_->txtTime_KeyDown(index, keyCode, ShiftState()); });
    // A handler that sets the key code to 0 swallows the key.
    return keyCode == 0;
}

LRESULT MainWindow::OnControlColour(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    const auto dc = reinterpret_cast<HDC>(wParam);
    const MainControl* entry = LayoutEntryOf(reinterpret_cast<HWND>(lParam));
    if (entry != nullptr && (entry->flags & ui::flag::Transparent) != 0) {
        PaintBehind(reinterpret_cast<HWND>(lParam), dc);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    }
    if (entry != nullptr && (entry->flags & ui::flag::FlatWhite) != 0) {
        ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    }
    return Default(message, wParam, lParam);
}

LRESULT MainWindow::OnDrawItem(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item == nullptr) return Default(message, wParam, lParam);
    if (item->CtlType == ODT_COMBOBOX) {
        DrawListEntry(*item, look_.font);
        return TRUE;
    }
    if (item->CtlType != ODT_BUTTON) return Default(message, wParam, lParam);
    DrawPictureButton(*item, pictures_, look_.font, look_.dpi);
    return TRUE;
}

LRESULT MainWindow::OnPaint() noexcept {
    PaintScope paint(hwnd());
    PaintTiled(hwnd(), paint.dc(), pictures_.Background());
    return 0;
}

LRESULT MainWindow::OnDpiChanged(WPARAM wParam, LPARAM lParam) noexcept {
    const UINT dpi = HIWORD(wParam);
    if (dpi == 0) return 0;
    look_.dpi = dpi;
    // The controls keep the old font until the layout hands them the new one.
    UniqueFont oldFont = std::move(dialogFont_);
    if (controlsMade_) {
        try {
            dialogFont_ = dpiSupport_.DialogFont(dpi, TextRooms());
        } catch (...) {
            dialogFont_ = std::move(oldFont);
        }
        look_.font = dialogFont_.get();
    }
    // Windows suggests where the window goes; its size is the layout's at the new DPI.
    const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
    ::SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    dpiSupport_.SizeToLayout(hwnd(), ui::kMainWindow, kMainStyle, kMainExStyle, dpi);
    if (controlsMade_) Guard([&] { Layout(); });
    return 0;
}

LRESULT MainWindow::OnDestroy() noexcept {
    clock_.Stop();
    ::KillTimer(hwnd(), kTimer1Id);
    ::KillTimer(hwnd(), kTimer2Id);
    ::PostQuitMessage(0);
    return 0;
}

// A reader of the window (an accessibility client) gets the real controls, kept current from now on.
LRESULT MainWindow::OnGetObject(WPARAM wParam, LPARAM lParam) noexcept {
    if (Guard([&] { EnsureControls(); })) {
        read_ = true;
        BringControlsUpToDate();
    }
    return Default(WM_GETOBJECT, wParam, lParam);
}

}  // namespace velt::platform::win32
