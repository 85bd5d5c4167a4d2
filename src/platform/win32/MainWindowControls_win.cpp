#include "platform/win32/MainWindow_win.h"

#include <stdexcept>
#include <utility>

#include "platform/win32/Text_win.h"

namespace velt::platform::win32 {

using ui::Kind;
using ui::MainControl;

namespace {

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
    case Kind::DropDownList:
        style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP;
        break;
    case Kind::PictureButton: style |= BS_OWNERDRAW | WS_TABSTOP; break;
    case Kind::PushButton: style |= BS_PUSHBUTTON | WS_TABSTOP; break;
    case Kind::Picture: style |= SS_BITMAP; break;
    }
}

}  // namespace

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
        const ControlCache::Entry& state = cache_[c.ctl];
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
    if (cache_.pendingFocus) focus_.Set(Child(*cache_.pendingFocus));
    cache_.pendingFocus.reset();
}

void MainWindow::BringControlsUpToDate() noexcept {
    for (const MainControl& c : ui::kMainControls) {
        ControlCache::Entry& state = cache_[c.ctl];
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
        const ControlCache::Entry& state = cache_[c->ctl];
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
        if (c.kind == Kind::DropDownList) {
            // Drawn by the window, the list's entries keep their height through a new font.
            ::SendMessageW(hwnd, CB_SETITEMHEIGHT, 0, LineHeight(look_.font));
            FitComboHeight(hwnd, r.height);
        }
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

// A drop-down list makes itself as tall as its selection field and edges, and paints no more:
// rows of the box below the field would stay unpainted. So the field is sized until the box takes
// the layout's height by itself. What a field adds to the box is measured, not assumed: the edges
// differ between systems, and Wine keeps a field 2 pixels taller than asked for.
void MainWindow::FitComboHeight(HWND combo, int height) noexcept {
    LRESULT field = ::SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    if (field == CB_ERR) return;
    RECT closed{};
    fitting_ = combo;
    for (int attempt = 0; attempt < 3 && field > 0; ++attempt) {
        ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
        ::GetWindowRect(combo, &closed);
        const int delta = height - (closed.bottom - closed.top);
        if (delta == 0) break;
        field += delta;
    }
    fitting_ = nullptr;
    // Where no field fits exactly, the box is held to the layout's height all the same.
    if (closed.bottom - closed.top != height) {
        ::SetWindowPos(combo, nullptr, 0, 0, closed.right - closed.left, height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

int MainWindow::ClosedHeight(HWND combo) const noexcept {
    // While its field is being fitted, the box shows the height it takes for itself.
    if (combo == fitting_) return 0;
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
        if (cache_.pendingFocus == control) cache_.pendingFocus.reset();
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
    ControlCache::Entry& state = cache_[control];
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
    return cache_.Caption(control);
}

void MainWindow::SetEnabled(Ctl control, bool enabled) {
    Check(control);
    if (control == Ctl::frmMain) {
        ::EnableWindow(hwnd(), enabled ? TRUE : FALSE);
        return;
    }
    cache_[control].enabled = enabled;
    if (!enabled) MoveFocusOffIfFocused(control);
    if (controlsMade_) ::EnableWindow(Child(control), enabled ? TRUE : FALSE);
}

bool MainWindow::Enabled(Ctl control) {
    Check(control);
    if (control == Ctl::frmMain) return ::IsWindowEnabled(hwnd()) != FALSE;
    return controlsMade_ ? ::IsWindowEnabled(Child(control)) != FALSE : cache_[control].enabled;
}

void MainWindow::SetFocus(Ctl control) {
    Check(control);
    if (!controlsMade_) {
        cache_.pendingFocus = control;
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
    if (!controlsMade_) return cache_[option].selected;
    return ::SendMessageW(Child(option), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::SetValue(Ctl option, bool selected) {
    Check(option);
    cache_.SetValue(option, selected);
    if (!controlsMade_) return;
    if (selected) {
        for (Ctl other : ui::OptionGroup(option)) {
            if (other != option) ::SendMessageW(Child(other), BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    ::SendMessageW(Child(option), BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
    KeepGroupReachable(option);
}

void MainWindow::SetListItem(Ctl combo, int index, std::string_view text) {
    Check(combo);
    if (index < 0) throw std::out_of_range("list index below 0");
    const std::wstring wide = Utf8ToWide(text);
    if (!controlsMade_) {
        cache_.SetListItem(combo, index, wide);
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
    if (!controlsMade_) return WideToUtf8(cache_.PickedText(combo));
    HWND hwnd = Child(combo);
    const LRESULT selected = ::SendMessageW(hwnd, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return {};
    return WideToUtf8(ComboItem(hwnd, static_cast<int>(selected)));
}

bool MainWindow::SetComboText(Ctl combo, std::string_view text) {
    Check(combo);
    const std::wstring wanted = Utf8ToWide(text);
    // Whole strings, case and all (the box's own search ignores case).
    if (!controlsMade_) return cache_.Pick(combo, wanted);
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

}  // namespace velt::platform::win32
