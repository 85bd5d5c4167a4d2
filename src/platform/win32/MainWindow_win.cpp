#include "platform/win32/MainWindow_win.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "core/ClockTick.h"
#include "core/StartupSteps.h"
#include "platform/WindowsApi.h"
#include "platform/win32/Text_win.h"
#include "ui/resources/ResourceIds.h"

namespace velt::platform::win32 {

using ui::Kind;
using ui::MainControl;

namespace {

constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The styles a control of the layout is made with, apart from its group and enabled state.
void ControlStyles(const MainControl& c, DWORD& style, DWORD& exStyle) noexcept {
    switch (c.kind) {
    case Kind::Frame:
        style |= WS_CLIPCHILDREN;
        exStyle |= WS_EX_CONTROLPARENT;
        break;
    case Kind::Label:
        style |= SS_NOPREFIX | TextAlignStyle(c.align);
        if ((c.flags & ui::flag::Border) != 0) style |= WS_BORDER;
        if ((c.flags & ui::flag::Clickable) != 0) style |= SS_NOTIFY;
        break;
    case Kind::OptionButton: style |= BS_AUTORADIOBUTTON | BS_FLAT; break;
    case Kind::DropDownList: style |= CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP; break;
    case Kind::PictureButton: style |= BS_OWNERDRAW | WS_TABSTOP; break;
    case Kind::PushButton: style |= BS_PUSHBUTTON | WS_TABSTOP; break;
    case Kind::Picture: style |= SS_BITMAP; break;
    }
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, const Dpi& dpi) noexcept
    : instance_(instance), dpiSupport_(dpi), pictures_(instance) {
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
    for (const MainControl& c : ui::kMainControls) {
        ControlState& state = State(c.ctl);
        state.enabled = (c.flags & ui::flag::Disabled) == 0;
        state.selected = (c.flags & ui::flag::Selected) != 0;
    }
}

MainWindow::~MainWindow() {
    events_ = nullptr;
    menuEvents_ = nullptr;
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

void MainWindow::Attach(MainFormEvents* main, MenuFormEvents* menu) noexcept {
    events_ = main;
    menuEvents_ = menu;
}

// ---------------------------------------------------------------- making the window

void MainWindow::Create() {
    if (hwnd() != nullptr) return;
    owner_ =
        ::CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_, nullptr);
    const std::wstring title = Utf8ToWide(ui::kMainWindow.title);
    if (Window::Create(instance_, kMainExStyle, kMainWindowClass, title.c_str(), kMainStyle, owner_) ==
        nullptr) {
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

    clock_.Start(hwnd(), kClockTimerId);
    timerIntervals_ = {kTickPeriodMs, kTickPeriodMs};
}

void MainWindow::LoadWindowIcons() noexcept {
    const UINT dpi = look_.dpi;
    bigIcon_.reset(static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                                   dpiSupport_.SystemMetric(SM_CXICON, dpi),
                                                   dpiSupport_.SystemMetric(SM_CYICON, dpi), 0)));
    smallIconFile_.clear();
    iconsHeld_ = true;
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
    ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    // The one it replaced is no longer the window's.
    smallIcon_ = std::move(small);
}

void MainWindow::EnsureControls() {
    if (controlsMade_) return;
    if (hwnd() == nullptr) throw std::runtime_error("the main window does not exist");
    try {
        dialogFont_ = dpiSupport_.DialogFont(look_.dpi, TextRooms());
        look_.font = dialogFont_.get();
        MakeControls(Ctl::frmMain, hwnd());
    } catch (...) {
        // Half a window is no window: the next try starts again.
        for (const MainControl* c : ui::ChildrenInTabOrder(Ctl::frmMain)) {
            if (HWND made = Child(c->ctl); made != nullptr) ::DestroyWindow(made);
        }
        controls_.fill(nullptr);
        frames_.clear();
        throw;
    }
    controlsMade_ = true;
    Layout();
    ApplyHeldState();
}

// What the program set while there were no controls: option values, list entries, focus.
void MainWindow::ApplyHeldState() noexcept {
    for (const MainControl& c : ui::kMainControls) {
        const ControlState& state = State(c.ctl);
        if (c.kind == Kind::OptionButton && state.selected) {
            ::SendMessageW(Child(c.ctl), BM_SETCHECK, BST_CHECKED, 0);
        }
        if (c.kind != Kind::DropDownList) continue;
        for (const std::wstring& item : state.items) {
            ::SendMessageW(Child(c.ctl), CB_INSERTSTRING, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(item.c_str()));
        }
        if (state.current >= 0)
            ::SendMessageW(Child(c.ctl), CB_SETCURSEL, static_cast<WPARAM>(state.current), 0);
    }
    for (const MainControl& c : ui::kMainControls) {
        if (c.kind == Kind::OptionButton) KeepGroupReachable(c.ctl);
    }
    if (pendingFocus_) focus_.Set(Child(*pendingFocus_));
    pendingFocus_.reset();
}

void MainWindow::BringControlsUpToDate() noexcept {
    for (const MainControl& c : ui::kMainControls) {
        ControlState& state = State(c.ctl);
        if (!state.stale || !state.caption) continue;
        state.stale = false;
        Guard([&] { ::SetWindowTextW(Child(c.ctl), Utf8ToWide(*state.caption).c_str()); });
    }
}

void MainWindow::MakeControls(Ctl parent, HWND parentWindow) {
    bool previousWasOption = false;
    for (const MainControl* c : ui::ChildrenInTabOrder(parent)) {
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        const bool option = c->kind == Kind::OptionButton;
        // Each option group, and every other control, starts a group of its own.
        if (!option || !previousWasOption) style |= WS_GROUP;
        previousWasOption = option;
        ControlStyles(*c, style, exStyle);
        const ControlState& state = State(c->ctl);
        if (!state.enabled) style |= WS_DISABLED;

        const std::wstring text = Utf8ToWide(state.caption ? *state.caption : std::string(c->text));
        HWND hwnd = nullptr;
        if (c->kind == Kind::Frame) {
            frames_.push_back(std::make_unique<FrameControl>(look_));
            hwnd = frames_.back()->Create(instance_, text.c_str(), style, exStyle, parentWindow, c->id);
        } else {
            hwnd = ::CreateWindowExW(exStyle, WindowClassOf(c->kind), text.c_str(), style, 0, 0, 0, 0,
                                     parentWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c->id)),
                                     instance_, nullptr);
        }
        if (hwnd == nullptr) throw std::runtime_error(std::string("cannot create ") + c->name);
        controls_[static_cast<std::size_t>(c->ctl)] = hwnd;
        if (c->kind == Kind::DropDownList) SubclassCombo(hwnd, *this);
        if (c->kind == Kind::Frame) MakeControls(c->ctl, hwnd);
    }
}

void MainWindow::Layout() {
    const int dpi = static_cast<int>(look_.dpi);
    for (const MainControl& c : ui::kMainControls) {
        HWND hwnd = Child(c.ctl);
        const ui::PixelRect r = ui::ToPixels(c.rect, dpi);
        // A drop-down list's window height is that of the open list; the closed box is fitted below.
        const int height = c.kind == Kind::DropDownList ? r.height * 9 : r.height;
        ::SetWindowPos(hwnd, nullptr, r.left, r.top, r.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(look_.font), FALSE);
        if (c.kind == Kind::DropDownList) FitComboHeight(hwnd, r.height);
    }
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

std::vector<TextRoom> MainWindow::TextRooms() const {
    const UINT dpi = look_.dpi;
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
        case Kind::OptionButton: room.width -= Scale(12, dpi) + 1 + Scale(4, dpi); break;
        case Kind::DropDownList:
            room.width -= dpiSupport_.SystemMetric(SM_CXVSCROLL, dpi) + 2 * Scale(3, dpi);
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
        case Kind::Picture: continue;
        }
        if (!room.text.empty()) rooms.push_back(std::move(room));
    }
    return rooms;
}

void MainWindow::FitComboHeight(HWND combo, int height) noexcept {
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

int MainWindow::ClosedHeight(HWND combo) const noexcept {
    const MainControl* entry = LayoutEntryOf(combo);
    return entry != nullptr ? ui::ToPixels(entry->rect, static_cast<int>(look_.dpi)).height : 0;
}

HWND MainWindow::ControlWindow(Ctl control) noexcept {
    if (control == Ctl::frmMain) return hwnd();
    const auto index = static_cast<std::size_t>(control);
    if (index >= controls_.size()) return nullptr;
    if (hwnd() != nullptr) Guard([&] { EnsureControls(); });
    return controls_[index];
}

void MainWindow::Check(Ctl control) const {
    if (hwnd() == nullptr) throw std::runtime_error("the main window does not exist");
    if (control != Ctl::frmMain) ui::Find(control);
}

const MainControl* MainWindow::LayoutEntryOf(HWND control) const noexcept {
    if (control == nullptr) return nullptr;
    for (const MainControl& c : ui::kMainControls) {
        if (Child(c.ctl) == control) return &c;
    }
    return nullptr;
}

void MainWindow::KeepGroupReachable(Ctl option) noexcept {
    const std::vector<Ctl> group = ui::OptionGroup(option);
    if (group.empty() || !controlsMade_) return;
    HWND stop = nullptr;
    for (Ctl c : group) {
        if (::SendMessageW(Child(c), BM_GETCHECK, 0, 0) == BST_CHECKED) stop = Child(c);
    }
    // Tab lands on the selected button; with none selected, on the first.
    if (stop == nullptr) stop = Child(group.front());
    for (Ctl c : group) {
        HWND h = Child(c);
        const LONG_PTR style = ::GetWindowLongPtrW(h, GWL_STYLE);
        const LONG_PTR wanted =
            h == stop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        if (wanted != style) ::SetWindowLongPtrW(h, GWL_STYLE, wanted);
    }
}

void MainWindow::MoveFocusOffIfFocused(Ctl control) noexcept {
    if (!controlsMade_) {
        // At the first show the focus goes to the first control that takes it.
        if (pendingFocus_ == control) pendingFocus_.reset();
        return;
    }
    HWND hwnd = Child(control);
    const bool focused = ::GetFocus() == hwnd;
    if (!focused && focus_.last() != hwnd) return;
    HWND next = ::GetNextDlgTabItem(this->hwnd(), hwnd, FALSE);
    if (next == hwnd) next = nullptr;
    if (focused && next != nullptr) {
        ::SetFocus(next);
    } else {
        focus_.Set(next);
    }
}

// ---------------------------------------------------------------- the controls

void MainWindow::SetCaption(Ctl control, std::string_view text) {
    Check(control);
    if (control == Ctl::frmMain) {
        ::SetWindowTextW(hwnd(), Utf8ToWide(text).c_str());
        return;
    }
    if (ui::Find(control).kind == Kind::DropDownList) {
        SetComboText(control, text);
        return;
    }
    ControlState& state = State(control);
    state.caption = std::string(text);
    // Hidden and unread, the control need not say it yet: showing the window brings it up to date.
    state.stale = controlsMade_ && !read_ && !Visible();
    if (controlsMade_ && !state.stale) ::SetWindowTextW(Child(control), Utf8ToWide(text).c_str());
}

std::string MainWindow::Caption(Ctl control) {
    Check(control);
    if (control == Ctl::frmMain) return WideToUtf8(WindowText(hwnd()));
    const MainControl& entry = ui::Find(control);
    if (entry.kind == Kind::DropDownList) return ComboText(control);
    // Only the program changes its captions: what it wrote is what they say.
    const ControlState& state = State(control);
    return state.caption ? *state.caption : std::string(entry.text);
}

void MainWindow::SetEnabled(Ctl control, bool enabled) {
    Check(control);
    if (control == Ctl::frmMain) {
        ::EnableWindow(hwnd(), enabled ? TRUE : FALSE);
        return;
    }
    State(control).enabled = enabled;
    if (!enabled) MoveFocusOffIfFocused(control);
    if (controlsMade_) ::EnableWindow(Child(control), enabled ? TRUE : FALSE);
}

bool MainWindow::Enabled(Ctl control) {
    Check(control);
    if (control == Ctl::frmMain) return ::IsWindowEnabled(hwnd()) != FALSE;
    return controlsMade_ ? ::IsWindowEnabled(Child(control)) != FALSE : State(control).enabled;
}

void MainWindow::SetFocus(Ctl control) {
    Check(control);
    if (!controlsMade_) {
        pendingFocus_ = control;
        return;
    }
    HWND target = control == Ctl::frmMain ? hwnd() : Child(control);
    // A hidden window takes the focus when it is shown next.
    if (Visible()) {
        ::SetFocus(target);
    } else {
        focus_.Set(target);
    }
}

bool MainWindow::Value(Ctl option) {
    Check(option);
    // Once the buttons exist, the user's clicks count.
    if (!controlsMade_) return State(option).selected;
    return ::SendMessageW(Child(option), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::SetValue(Ctl option, bool selected) {
    Check(option);
    if (selected) {
        for (Ctl other : ui::OptionGroup(option)) {
            if (other == option) continue;
            State(other).selected = false;
            if (controlsMade_) ::SendMessageW(Child(other), BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    State(option).selected = selected;
    if (!controlsMade_) return;
    ::SendMessageW(Child(option), BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
    KeepGroupReachable(option);
}

void MainWindow::SetListItem(Ctl combo, int index, std::string_view text) {
    Check(combo);
    if (index < 0) throw std::out_of_range("list index below 0");
    const std::wstring wide = Utf8ToWide(text);
    if (!controlsMade_) {
        // Writing past the end grows the list.
        std::vector<std::wstring>& items = State(combo).items;
        if (static_cast<std::size_t>(index) >= items.size())
            items.resize(static_cast<std::size_t>(index) + 1);
        items[static_cast<std::size_t>(index)] = wide;
        return;
    }
    HWND hwnd = Child(combo);
    auto count = static_cast<int>(::SendMessageW(hwnd, CB_GETCOUNT, 0, 0));
    for (; count < index; ++count) {
        ::SendMessageW(hwnd, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L""));
    }
    if (index < count) {
        const LRESULT selected = ::SendMessageW(hwnd, CB_GETCURSEL, 0, 0);
        ::SendMessageW(hwnd, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
        ::SendMessageW(hwnd, CB_INSERTSTRING, static_cast<WPARAM>(index),
                       reinterpret_cast<LPARAM>(wide.c_str()));
        if (selected == index) ::SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    } else {
        ::SendMessageW(hwnd, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(wide.c_str()));
    }
}

std::string MainWindow::ComboText(Ctl combo) {
    Check(combo);
    if (!controlsMade_) {
        const ControlState& state = State(combo);
        const bool picked =
            state.current >= 0 && static_cast<std::size_t>(state.current) < state.items.size();
        return picked ? WideToUtf8(state.items[static_cast<std::size_t>(state.current)]) : std::string();
    }
    HWND hwnd = Child(combo);
    const LRESULT selected = ::SendMessageW(hwnd, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return {};
    return WideToUtf8(ComboItem(hwnd, static_cast<int>(selected)));
}

bool MainWindow::SetComboText(Ctl combo, std::string_view text) {
    Check(combo);
    const std::wstring wanted = Utf8ToWide(text);
    // Whole strings, case and all (the box's own search ignores case).
    if (!controlsMade_) {
        const std::vector<std::wstring>& items = State(combo).items;
        const auto found = std::find(items.begin(), items.end(), wanted);
        if (found == items.end()) return false;
        State(combo).current = static_cast<int>(found - items.begin());
        return true;
    }
    HWND hwnd = Child(combo);
    const auto count = static_cast<int>(::SendMessageW(hwnd, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (ComboItem(hwnd, i) == wanted) {
            ::SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- the window itself

void MainWindow::SetTimerInterval(Timer timer, std::uint32_t milliseconds) {
    Check(Ctl::frmMain);
    const UINT_PTR id = timer == Timer::Timer1 ? kTimer1Id : kTimer2Id;
    // Setting the interval a timer already runs at leaves it where it is on the clock.
    std::uint32_t& current = timerIntervals_[timer == Timer::Timer1 ? 0 : 1];
    if (current == milliseconds) return;
    current = milliseconds;
    if (milliseconds == 0 || milliseconds == kTickPeriodMs) {
        ::KillTimer(hwnd(), id);
    } else {
        ::SetTimer(hwnd(), id, milliseconds, nullptr);
    }
    // One wake-up a second serves both timers.
    const bool clockWanted = timerIntervals_[0] == kTickPeriodMs || timerIntervals_[1] == kTickPeriodMs;
    if (clockWanted && !clock_.Running()) clock_.Start(hwnd(), kClockTimerId);
    if (!clockWanted) clock_.Stop();
}

void MainWindow::SetIconFromFile(const std::string& path) {
    const std::wstring wide = Utf8ToWide(path);
    const UINT dpi = hwnd() != nullptr ? look_.dpi : dpiSupport_.System();
    UniqueIcon big(static_cast<HICON>(
        ::LoadImageW(nullptr, wide.c_str(), IMAGE_ICON, dpiSupport_.SystemMetric(SM_CXICON, dpi),
                     dpiSupport_.SystemMetric(SM_CYICON, dpi), LR_LOADFROMFILE)));
    if (!big) throw PlatformError("cannot load the icon " + path, path);
    oldBigIcon_ = std::move(bigIcon_);
    bigIcon_ = std::move(big);
    smallIconFile_ = wide;
    iconsHeld_ = true;
    if (Visible()) SendHeldIcons();
}

void MainWindow::Show() {
    EnsureControls();
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
        if (const auto item = ui::MenuItemById(id); code == 0 && item.has_value()) {
            MenuCommand(*item);
        } else if (id == IDOK) {
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

void MainWindow::MenuCommand(MenuItem item) noexcept {
    if (menuEvents_ == nullptr) return;
    switch (item) {
    case MenuItem::mnuOpen: Guard([&] { menuEvents_->mnuOpen_Click(); }); break;
    case MenuItem::mnuClose: Guard([&] { menuEvents_->mnuClose_Click(); }); break;
    case MenuItem::mnuweb: Guard([&] { menuEvents_->mnuweb_Click(); }); break;
    case MenuItem::mnuVer: Guard([&] { menuEvents_->mnuVer_Click(); }); break;
    default: break;
    }
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
    if (id == kTimer1Id || (second && timerIntervals_[0] == kTickPeriodMs))
        Guard([&] { events_->Timer1_Timer(); });
    if (id == kTimer2Id || (second && timerIntervals_[1] == kTickPeriodMs))
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
    // From about 160% DPI on, the window is wider than the tray's event numbers: a real pointer
    // move over it at x = 515 or 517 must not be taken for a click on the tray icon. A pointer
    // move happens where the message says the pointer was; a tray event names no position.
    const DWORD at = ::GetMessagePos();
    POINT pointer{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (::ScreenToClient(hwnd(), &pointer) && pointer.x == GET_X_LPARAM(lParam) &&
        pointer.y == GET_Y_LPARAM(lParam)) {
        return 0;
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
    Guard([&] { events_->Form_MouseMove(button, shift, x, y); });
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
    if (item == nullptr || item->CtlType != ODT_BUTTON) return Default(message, wParam, lParam);
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
