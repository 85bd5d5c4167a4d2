#include "platform/win32/AboutWindow_win.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/win32/Painting_win.h"
#include "platform/win32/Pictures_win.h"
#include "platform/win32/Text_win.h"
#include "ui/resources/ResourceIds.h"

namespace velt::platform::win32 {

using ui::AboutControl;
using ui::AboutControlLayout;
using ui::Kind;

namespace {

constexpr DWORD kAboutStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kAboutExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;

constexpr COLORREF ToColorref(ui::Rgb c) noexcept { return RGB(c.r, c.g, c.b); }

const AboutControlLayout* LayoutEntryById(int id) noexcept {
    for (const AboutControlLayout& c : ui::kAboutControls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

DWORD StyleOf(const AboutControlLayout& c) noexcept {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP;
    switch (c.kind) {
    case Kind::PushButton:
        return style | WS_TABSTOP |
               ((c.flags & ui::flag::DefaultCancel) != 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    case Kind::Picture: return style | SS_BITMAP;
    default: break;
    }
    // The notice is drawn a line at a time: wrapping would move its breaks at other font sizes.
    style |= c.control == AboutControl::Label6 ? SS_OWNERDRAW : SS_NOPREFIX | TextAlignStyle(c.align);
    if ((c.flags & ui::flag::Clickable) != 0) style |= SS_NOTIFY;
    return style;
}

}  // namespace

AboutWindow::~AboutWindow() {
    events_ = nullptr;
    Destroy();
}

void AboutWindow::Register(HINSTANCE instance) { Window::Register(instance, kAboutWindowClass, 0); }

HWND AboutWindow::ControlWindow(AboutControl control) const noexcept {
    const auto index = static_cast<std::size_t>(control);
    return index < controls_.size() ? controls_[index] : nullptr;
}

void AboutWindow::Open() {
    if (hwnd() != nullptr) {
        ::ShowWindow(hwnd(), SW_SHOWNORMAL);
        ::SetForegroundWindow(hwnd());
        ::BringWindowToTop(hwnd());
        return;
    }
    Make();
    if (events_ != nullptr) Guard([&] { events_->Form_Load(); });
    if (hwnd() == nullptr) return;  // the load handler closed it again
    ::ShowWindow(hwnd(), SW_SHOW);
    ::SetForegroundWindow(hwnd());
    if (HWND ok = Child(AboutControl::cmdOK); ok != nullptr) ::SetFocus(ok);
}

void AboutWindow::Make() {
    if (!logo_) {
        try {
            logo_ = LoadPictureResource(instance_, IDR_LOGO);
        } catch (const std::exception&) {
        }
    }
    if (!whiteBrush_) whiteBrush_.reset(::CreateSolidBrush(ToColorref(ui::kWhite)));

    const std::wstring title = Utf8ToWide(ui::kAboutWindow.title);
    if (Create(instance_, kAboutExStyle, kAboutWindowClass, title.c_str(), kAboutStyle, nullptr) == nullptr) {
        throw std::runtime_error("cannot create the About window");
    }
    // Controls in tab order, so that the tab order is their order in the window.
    // (those without a tab position last)
    std::vector<const AboutControlLayout*> order;
    for (int tab = 0; tab <= static_cast<int>(ui::kAboutControls.size()); ++tab) {
        for (const AboutControlLayout& c : ui::kAboutControls) {
            const int position = c.tab < 0 ? static_cast<int>(ui::kAboutControls.size()) : c.tab;
            if (position == tab) order.push_back(&c);
        }
    }
    for (const AboutControlLayout* c : order) {
        const std::wstring text = Utf8ToWide(c->text);
        HWND hwnd =
            ::CreateWindowExW(0, WindowClassOf(c->kind), text.c_str(), StyleOf(*c), 0, 0, 0, 0, this->hwnd(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(c->id)), instance_, nullptr);
        if (hwnd == nullptr) throw std::runtime_error(std::string("cannot create ") + c->name);
        controls_[static_cast<std::size_t>(c->control)] = hwnd;
        if (c->kind == Kind::Picture && logo_) {
            ::SendMessageW(hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_.get()));
        }
    }
    dpi_ = dpiSupport_.Of(hwnd());
    Layout();
    CentreOnWorkArea(hwnd());
}

std::vector<TextRoom> AboutWindow::TextRooms() const {
    std::vector<TextRoom> rooms;
    for (const AboutControlLayout& c : ui::kAboutControls) {
        // lblVersion has a font of its own; the logo has no text.
        if (c.kind == Kind::Picture || (c.flags & ui::flag::OwnFont) != 0) continue;
        const ui::PixelRect r = ui::ToPixels(c.rect, static_cast<int>(dpi_));
        TextRoom room{ShownText(c.text, false), r.width, r.height};
        if (c.control == AboutControl::Label6) {
            room.shape = TextRoom::Shape::Lines;
            room.text.clear();
            for (const char* line : ui::kTermsNoticeLines) {
                if (!room.text.empty()) room.text += L'\n';
                room.text += Utf8ToWide(line);
            }
        } else if ((c.flags & ui::flag::Wraps) != 0) {
            room.shape = TextRoom::Shape::Wrapped;
        } else if (c.kind == Kind::PushButton) {
            room.width -= 2 * Scale(3, dpi_);
            room.height -= 2 * Scale(3, dpi_);
        }
        rooms.push_back(std::move(room));
    }
    return rooms;
}

// lblVersion's own font at the window's DPI, fitted to what the label says now.
void AboutWindow::FitVersionFont() {
    const ui::FontChoice& version = ui::kVersionFont;
    LOGFONTW face{};
    face.lfWeight = version.weight;
    face.lfItalic = version.italic;
    face.lfUnderline = version.underline;
    face.lfCharSet = static_cast<BYTE>(version.charset);
    const std::wstring name = Utf8ToWide(version.face);
    name.copy(face.lfFaceName, LF_FACESIZE - 1);
    HWND label = Child(AboutControl::lblVersion);
    const ui::PixelRect r = ui::ToPixels(ui::Find(AboutControl::lblVersion).rect, static_cast<int>(dpi_));
    const TextRoom room{label != nullptr ? WindowText(label) : std::wstring(), r.width, r.height};
    const int ceiling = ScaledFontHeight(ui::PointsToPixels(version.points, ui::kStandardDpi), dpi_);
    versionFont_ = FitFont(face, ceiling, std::span<const TextRoom>(&room, 1));
}

void AboutWindow::Layout() {
    const int dpi = static_cast<int>(dpi_);
    // The controls keep the old fonts until they are handed the new ones.
    UniqueFont oldFont = std::move(font_);
    UniqueFont oldVersionFont = std::move(versionFont_);
    try {
        font_ = dpiSupport_.DialogFont(dpi_, TextRooms());
        FitVersionFont();
    } catch (...) {
        // Laid out again at another DPI, the window keeps the fonts it has.
        if (!oldFont || !oldVersionFont) throw;
        font_ = std::move(oldFont);
        versionFont_ = std::move(oldVersionFont);
    }
    dpiSupport_.SizeToLayout(hwnd(), ui::kAboutWindow, kAboutStyle, kAboutExStyle, dpi_);

    for (const AboutControlLayout& c : ui::kAboutControls) {
        HWND hwnd = Child(c.control);
        if (hwnd == nullptr) continue;
        const ui::PixelRect r = ui::ToPixels(c.rect, dpi);
        // The logo keeps its natural size.
        const UINT sizing = c.kind == Kind::Picture && logo_ ? SWP_NOSIZE : 0;
        ::SetWindowPos(hwnd, nullptr, r.left, r.top, r.width, r.height,
                       SWP_NOZORDER | SWP_NOACTIVATE | sizing);
        HFONT font = (c.flags & ui::flag::OwnFont) != 0 && versionFont_ ? versionFont_.get() : font_.get();
        ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void AboutWindow::SetCaption(AboutCtl control, std::string_view text) {
    HWND target = control == AboutCtl::frmAbout ? hwnd() : Child(AboutControl::lblVersion);
    if (target == nullptr) return;
    const std::wstring wide = Utf8ToWide(text);
    ::SetWindowTextW(target, wide.c_str());
    if (control != AboutCtl::lblVersion) return;
    // A longer version text may need a smaller font to stay whole.
    UniqueFont old = std::move(versionFont_);
    try {
        FitVersionFont();
    } catch (...) {
        versionFont_ = std::move(old);
        throw;
    }
    ::SendMessageW(target, WM_SETFONT, reinterpret_cast<WPARAM>(versionFont_.get()), TRUE);
}

// ---------------------------------------------------------------- painting

void AboutWindow::PaintBackground(HDC dc) noexcept {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
    const int dpi = static_cast<int>(dpi_);
    for (const ui::AboutLine& line : ui::kAboutLines) {
        UniqueBrush brush(::CreateSolidBrush(ToColorref(line.colour)));
        if (!brush) continue;
        const int width = std::max(1, ::MulDiv(line.widthPixels, dpi, 96));
        const int y = ui::TwipsToPixels(line.y1, dpi);
        RECT r{ui::TwipsToPixels(line.x1, dpi), y, ui::TwipsToPixels(line.x2, dpi), y + width};
        ::FillRect(dc, &r, brush.get());
    }
}

// The notice's lines as they stand, one under another, on its white box.
void AboutWindow::DrawNotice(const DRAWITEMSTRUCT& item) noexcept {
    HDC dc = item.hDC;
    ::FillRect(dc, &item.rcItem, whiteBrush_ ? whiteBrush_.get() : ::GetSysColorBrush(COLOR_WINDOW));
    auto font = reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    SelectScope selected(dc, font != nullptr ? font : font_.get());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ToColorref(ui::Find(AboutControl::Label6).colour));
    RECT line = item.rcItem;
    for (const char* text : ui::kTermsNoticeLines) {
        std::wstring wide;
        Guard([&] { wide = Utf8ToWide(text); });
        line.bottom = line.top + metrics.tmHeight;
        ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &line,
                    DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        line.top = line.bottom;
    }
}

// ---------------------------------------------------------------- the window procedure

LRESULT AboutWindow::Proc(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_COMMAND: return OnCommand(wParam);
    case DM_GETDEFID: return MAKELRESULT(ui::kAboutOkId, DC_HASDEFID);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return OnControlColour(message, wParam, lParam);
    case WM_SETCURSOR: return OnSetCursor(message, wParam, lParam);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PaintScope paint(hwnd());
        PaintBackground(paint.dc());
        return 0;
    }
    case WM_PRINTCLIENT: PaintBackground(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ACTIVATE: return focus_.OnActivate(hwnd(), wParam, lParam);
    case WM_SETFOCUS: focus_.Restore(hwnd()); return 0;
    case WM_CLOSE: Destroy(); return 0;
    case WM_DPICHANGED: return OnDpiChanged(wParam, lParam);
    case WM_DRAWITEM: return OnDrawItem(message, wParam, lParam);
    default: return Default(message, wParam, lParam);
    }
}

void AboutWindow::OnGone() noexcept {
    controls_.fill(nullptr);
    focus_.Set(nullptr);
}

LRESULT AboutWindow::OnCommand(WPARAM wParam) noexcept {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (events_ == nullptr) return 0;
    // OK, Enter and Esc all press the one button.
    if ((id == IDOK || id == IDCANCEL) && code == BN_CLICKED) {
        Guard([&] { events_->cmdOK_Click(); });
    } else if (id == ui::AboutControlId(AboutControl::Label2) && code == STN_CLICKED) {
        Guard([&] { events_->Label2_Click(); });
    }
    return 0;
}

LRESULT AboutWindow::OnControlColour(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    const auto dc = reinterpret_cast<HDC>(wParam);
    const auto control = reinterpret_cast<HWND>(lParam);
    const AboutControlLayout* entry = LayoutEntryById(::GetDlgCtrlID(control));
    if (entry == nullptr || Child(entry->control) != control) return Default(message, wParam, lParam);
    ::SetTextColor(dc, (entry->flags & ui::flag::OwnColour) != 0 ? ToColorref(entry->colour)
                                                                 : ::GetSysColor(COLOR_WINDOWTEXT));
    if ((entry->flags & ui::flag::OpaqueWhite) != 0) {
        ::SetBkColor(dc, ToColorref(ui::kWhite));
        return reinterpret_cast<LRESULT>(whiteBrush_.get());
    }
    if ((entry->flags & ui::flag::Transparent) != 0) {
        PaintBehind(control, dc);
        ::SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    }
    ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
}

// The link shows the hand.
LRESULT AboutWindow::OnSetCursor(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (reinterpret_cast<HWND>(wParam) != Child(AboutControl::Label2) || LOWORD(lParam) != HTCLIENT) {
        return Default(message, wParam, lParam);
    }
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
}

LRESULT AboutWindow::OnDrawItem(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item == nullptr || item->CtlType != ODT_STATIC || item->hwndItem != Child(AboutControl::Label6)) {
        return Default(message, wParam, lParam);
    }
    DrawNotice(*item);
    return TRUE;
}

LRESULT AboutWindow::OnDpiChanged(WPARAM wParam, LPARAM lParam) noexcept {
    if (HIWORD(wParam) == 0) return 0;
    dpi_ = HIWORD(wParam);
    const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
    ::SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Guard([&] { Layout(); });
    return 0;
}

}  // namespace velt::platform::win32
