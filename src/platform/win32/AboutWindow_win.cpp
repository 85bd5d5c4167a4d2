// The About window: a fixed tool window with the logo, the version, the notices and the link.
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "platform/win32/Pictures_win.h"
#include "platform/win32/Text_win.h"
#include "platform/win32/Win32Windowing.h"
#include "ui/resources/ResourceIds.h"

namespace velt::platform::win32 {

using ui::AboutControl;
using ui::AboutControlSpec;
using ui::Kind;

namespace {

constexpr DWORD kAboutStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kAboutExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;

DWORD AlignStyle(ui::Align align) noexcept {
    switch (align) {
    case ui::Align::Center: return SS_CENTER;
    case ui::Align::Right: return SS_RIGHT;
    case ui::Align::Left: break;
    }
    return SS_LEFT;
}

constexpr COLORREF ToColorref(ui::Rgb c) noexcept { return RGB(c.r, c.g, c.b); }

const AboutControlSpec* AboutSpecById(int id) noexcept {
    for (const AboutControlSpec& c : ui::kAboutControls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

}  // namespace

LRESULT CALLBACK Win32Windowing::AboutThunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Win32Windowing*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->about_ = hwnd;
    }
    auto* self = reinterpret_cast<Win32Windowing*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self != nullptr ? self->AboutProc(hwnd, message, wParam, lParam)
                           : ::DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND Win32Windowing::AboutControlWindow(AboutControl control) const noexcept {
    const auto index = static_cast<std::size_t>(control);
    return index < aboutControls_.size() ? aboutControls_[index] : nullptr;
}

void Win32Windowing::CreateAboutWindow() {
    if (!logo_) {
        try {
            logo_ = LoadPictureResource(instance_, IDR_LOGO);
        } catch (const std::exception&) {
        }
    }
    if (!whiteBrush_) whiteBrush_.reset(::CreateSolidBrush(ToColorref(ui::kWhite)));

    const std::wstring title = Utf8ToWide(ui::kAboutWindow.title);
    ::CreateWindowExW(kAboutExStyle, kAboutWindowClass, title.c_str(), kAboutStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      320, 240, nullptr, nullptr, instance_, this);
    if (about_ == nullptr) throw std::runtime_error("cannot create the About window");

    // Controls in tab order, so that the tab order is their order in the window.
    std::vector<const AboutControlSpec*> order;
    for (const AboutControlSpec& c : ui::kAboutControls) order.push_back(&c);
    std::stable_sort(order.begin(), order.end(), [](const AboutControlSpec* a, const AboutControlSpec* b) {
        const int ta = a->tab < 0 ? 1000 : a->tab;
        const int tb = b->tab < 0 ? 1000 : b->tab;
        return ta < tb;
    });
    for (const AboutControlSpec* c : order) {
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP;
        switch (c->kind) {
        case Kind::PushButton:
            style |= WS_TABSTOP | ((c->flags & ui::flag::DefaultCancel) != 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            break;
        case Kind::Picture:
            style |= SS_BITMAP;
            break;
        default:
            // The notice is drawn a line at a time: wrapping would move its breaks at other
            // font sizes.
            style |= c->control == AboutControl::Label6 ? SS_OWNERDRAW : SS_NOPREFIX | AlignStyle(c->align);
            if ((c->flags & ui::flag::Clickable) != 0) style |= SS_NOTIFY;
            break;
        }
        const std::wstring text = Utf8ToWide(c->text);
        HWND hwnd = ::CreateWindowExW(0, WindowClassOf(c->kind), text.c_str(), style, 0, 0, 0, 0, about_,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(c->id)), instance_, nullptr);
        if (hwnd == nullptr) throw std::runtime_error(std::string("cannot create ") + c->name);
        aboutControls_[static_cast<std::size_t>(c->control)] = hwnd;
        if (c->kind == Kind::Picture && logo_) {
            ::SendMessageW(hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_.get()));
        }
    }

    aboutDpi_ = WindowDpi(about_);
    LayoutAboutWindow();
    CentreOnWorkArea(about_);
}

std::vector<TextRoom> Win32Windowing::AboutTextRooms(UINT dpi) const {
    std::vector<TextRoom> rooms;
    for (const AboutControlSpec& c : ui::kAboutControls) {
        // lblVersion has a font of its own; the logo has no text.
        if (c.kind == Kind::Picture || (c.flags & ui::flag::OwnFont) != 0) continue;
        const ui::PixelRect r = ui::ToPixels(c.rect, static_cast<int>(dpi));
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
            room.width -= 2 * ::MulDiv(3, static_cast<int>(dpi), 96);
            room.height -= 2 * ::MulDiv(3, static_cast<int>(dpi), 96);
        }
        rooms.push_back(std::move(room));
    }
    return rooms;
}

// lblVersion's own font at the window's DPI, fitted to what the label says now.
void Win32Windowing::FitVersionFont() {
    const ui::FontSpec& spec = ui::kVersionFont;
    LOGFONTW face{};
    face.lfWeight = spec.weight;
    face.lfItalic = spec.italic;
    face.lfUnderline = spec.underline;
    face.lfCharSet = static_cast<BYTE>(spec.charset);
    const std::wstring name = Utf8ToWide(spec.face);
    name.copy(face.lfFaceName, LF_FACESIZE - 1);
    HWND label = aboutControls_[static_cast<std::size_t>(AboutControl::lblVersion)];
    const ui::PixelRect r = ui::ToPixels(ui::Find(AboutControl::lblVersion).rect, static_cast<int>(aboutDpi_));
    const TextRoom room{label != nullptr ? WindowText(label) : std::wstring(), r.width, r.height};
    const int ceiling = ScaledFontHeight(ui::PointsToPixels(spec.points, ui::kStandardDpi), aboutDpi_);
    versionFont_ = FitFont(face, ceiling, std::span<const TextRoom>(&room, 1));
}

void Win32Windowing::LayoutAboutWindow() {
    const int dpi = static_cast<int>(aboutDpi_);
    // The controls keep the old fonts until they are handed the new ones.
    UniqueFont oldFont = std::move(aboutFont_);
    UniqueFont oldVersionFont = std::move(versionFont_);
    try {
        aboutFont_ = MakeDialogFont(aboutDpi_, AboutTextRooms(aboutDpi_));
        FitVersionFont();
    } catch (...) {
        // Laid out again at another DPI, the window keeps the fonts it has.
        if (!oldFont || !oldVersionFont) throw;
        aboutFont_ = std::move(oldFont);
        versionFont_ = std::move(oldVersionFont);
    }
    SizeToLayout(about_, ui::kAboutWindow, kAboutStyle, kAboutExStyle, aboutDpi_);

    for (const AboutControlSpec& c : ui::kAboutControls) {
        HWND hwnd = aboutControls_[static_cast<std::size_t>(c.control)];
        if (hwnd == nullptr) continue;
        const ui::PixelRect r = ui::ToPixels(c.rect, dpi);
        // The logo keeps its natural size.
        const UINT sizing = c.kind == Kind::Picture && logo_ ? SWP_NOSIZE : 0;
        ::SetWindowPos(hwnd, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE | sizing);
        HFONT font = (c.flags & ui::flag::OwnFont) != 0 && versionFont_ ? versionFont_.get() : aboutFont_.get();
        ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    ::RedrawWindow(about_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

// The notice's lines as they stand, one under another, on its white box.
void Win32Windowing::DrawNotice(const DRAWITEMSTRUCT& item) noexcept {
    HDC dc = item.hDC;
    ::FillRect(dc, &item.rcItem, whiteBrush_ ? whiteBrush_.get() : ::GetSysColorBrush(COLOR_WINDOW));
    auto font = reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    SelectScope selected(dc, font != nullptr ? font : aboutFont_.get());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ToColorref(ui::Find(AboutControl::Label6).colour));
    RECT line = item.rcItem;
    for (const char* text : ui::kTermsNoticeLines) {
        std::wstring wide;
        try {
            wide = Utf8ToWide(text);
        } catch (...) {
        }
        line.bottom = line.top + metrics.tmHeight;
        ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &line, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        line.top = line.bottom;
    }
}

void Win32Windowing::PaintAboutBackground(HDC dc) noexcept {
    RECT client{};
    ::GetClientRect(about_, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
    const int dpi = static_cast<int>(aboutDpi_);
    for (const ui::LineSpec& line : ui::kAboutLines) {
        UniqueBrush brush(::CreateSolidBrush(ToColorref(line.colour)));
        if (!brush) continue;
        const int width = std::max(1, ::MulDiv(line.widthPixels, dpi, 96));
        const int y = ui::TwipsToPixels(line.y1, dpi);
        RECT r{ui::TwipsToPixels(line.x1, dpi), y, ui::TwipsToPixels(line.x2, dpi), y + width};
        ::FillRect(dc, &r, brush.get());
    }
}

LRESULT Win32Windowing::OnAboutControlColour(HDC dc, HWND control) noexcept {
    const AboutControlSpec* entry = AboutSpecById(::GetDlgCtrlID(control));
    if (entry == nullptr || aboutControls_[static_cast<std::size_t>(entry->control)] != control) return 0;
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

LRESULT Win32Windowing::AboutProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (aboutEvents_ == nullptr) return 0;
        // OK, Enter and Esc all press the one button.
        if ((id == IDOK || id == IDCANCEL) && code == BN_CLICKED) {
            Guard([&] { aboutEvents_->cmdOK_Click(); });
        } else if (id == ui::AboutControlId(AboutControl::Label2) && code == STN_CLICKED) {
            Guard([&] { aboutEvents_->Label2_Click(); });
        }
        return 0;
    }
    case DM_GETDEFID:
        return MAKELRESULT(ui::kAboutOkId, DC_HASDEFID);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (LRESULT brush = OnAboutControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
            brush != 0) {
            return brush;
        }
        break;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == aboutControls_[static_cast<std::size_t>(AboutControl::Label2)] &&
            LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintScope paint(hwnd);
        PaintAboutBackground(paint.dc());
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintAboutBackground(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ACTIVATE:
        return OnActivate(hwnd, wParam, lParam);
    case WM_SETFOCUS:
        RestoreFocus(hwnd);
        return 0;
    case WM_CLOSE:
        ::DestroyWindow(hwnd);
        return 0;
    case WM_DPICHANGED: {
        if (HIWORD(wParam) == 0) return 0;
        aboutDpi_ = HIWORD(wParam);
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Guard([&] { LayoutAboutWindow(); });
        return 0;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item == nullptr || item->CtlType != ODT_STATIC ||
            item->hwndItem != aboutControls_[static_cast<std::size_t>(AboutControl::Label6)]) {
            break;
        }
        DrawNotice(*item);
        return TRUE;
    }
    case WM_NCDESTROY:
        about_ = nullptr;
        aboutControls_.fill(nullptr);
        aboutLastFocus_ = nullptr;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

void Win32Windowing::ShowAbout() {
    if (about_ != nullptr) {
        ::ShowWindow(about_, SW_SHOWNORMAL);
        ::SetForegroundWindow(about_);
        ::BringWindowToTop(about_);
        return;
    }
    CreateAboutWindow();
    if (aboutEvents_ != nullptr) Guard([&] { aboutEvents_->Form_Load(); });
    if (about_ == nullptr) return;  // the load handler closed it again
    ::ShowWindow(about_, SW_SHOW);
    ::SetForegroundWindow(about_);
    if (HWND ok = aboutControls_[static_cast<std::size_t>(AboutControl::cmdOK)]; ok != nullptr) ::SetFocus(ok);
}

void Win32Windowing::CloseAbout() {
    if (about_ != nullptr) ::DestroyWindow(about_);
}

void Win32Windowing::SetAboutCaption(AboutCtl control, std::string_view text) {
    HWND hwnd = control == AboutCtl::frmAbout ? about_
                                              : aboutControls_[static_cast<std::size_t>(AboutControl::lblVersion)];
    if (hwnd == nullptr) return;
    const std::wstring wide = Utf8ToWide(text);
    ::SetWindowTextW(hwnd, wide.c_str());
    if (control != AboutCtl::lblVersion) return;
    // A longer version text may need a smaller font to stay whole.
    UniqueFont old = std::move(versionFont_);
    try {
        FitVersionFont();
    } catch (...) {
        versionFont_ = std::move(old);
        throw;
    }
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(versionFont_.get()), TRUE);
}

}  // namespace velt::platform::win32
