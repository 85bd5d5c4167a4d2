#include "platform/win32/Painting_win.h"

#include <algorithm>
#include <exception>
#include <string>

#include "platform/win32/Controls_win.h"
#include "platform/win32/Dpi_win.h"
#include "platform/win32/Pictures_win.h"
#include "ui/resources/ResourceIds.h"

namespace velt::platform::win32 {

namespace {

constexpr COLORREF kButtonEdge = RGB(0x16, 0x3f, 0x7e);
constexpr COLORREF kButtonEdgeDisabled = RGB(0x90, 0x90, 0x90);

}  // namespace

void MainPictures::EnsureLoaded() noexcept {
    if (loaded_) return;
    loaded_ = true;
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

HBITMAP MainPictures::Background() noexcept {
    EnsureLoaded();
    return background_.get();
}

HBITMAP MainPictures::ButtonFace(bool disabled) noexcept {
    EnsureLoaded();
    return disabled && buttonFaceGrey_ ? buttonFaceGrey_.get() : buttonFace_.get();
}

void PaintTiled(HWND hwnd, HDC dc, HBITMAP picture) noexcept {
    RECT client{};
    ::GetClientRect(hwnd, &client);
    const SIZE size = BitmapSize(picture);
    if (size.cx <= 0 || size.cy <= 0) {
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    UniqueDc memory(::CreateCompatibleDC(dc));
    if (!memory) return;
    SelectScope selected(memory.get(), picture);
    // Unscaled from the top-left; a window larger than the picture (high DPI) repeats it.
    for (int y = 0; y < client.bottom; y += size.cy) {
        for (int x = 0; x < client.right; x += size.cx) {
            ::BitBlt(dc, x, y, size.cx, size.cy, memory.get(), 0, 0, SRCCOPY);
        }
    }
}

void PaintFrame(HWND frame, HDC dc, HFONT font, UINT dpi) noexcept {
    RECT client{};
    ::GetClientRect(frame, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
    SelectScope selected(dc, font);
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
    const int indent = Scale(6, dpi);
    const int gap = Scale(2, dpi);
    RECT text{indent + gap, 0, client.right - gap, metrics.tmHeight};
    ::DrawTextW(dc, caption.c_str(), -1, &text, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    // The caption interrupts the line.
    RECT band{text.left - gap, 0, std::min<LONG>(text.right + gap, client.right - 1), metrics.tmHeight};
    ::FillRect(dc, &band, ::GetSysColorBrush(COLOR_WINDOW));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::DrawTextW(dc, caption.c_str(), -1, &text, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void PaintBehind(HWND control, HDC dc) noexcept {
    HWND parent = ::GetParent(control);
    if (parent == nullptr) return;
    POINT origin{0, 0};
    ::MapWindowPoints(control, parent, &origin, 1);
    POINT old{};
    ::OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    // Every container of the program draws its background for WM_PRINTCLIENT.
    ::SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ::SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

void DrawPictureButton(const DRAWITEMSTRUCT& item, MainPictures& pictures, HFONT font, UINT dpi) noexcept {
    HDC dc = item.hDC;
    const RECT rc = item.rcItem;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;

    HBITMAP face = pictures.ButtonFace(disabled);
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
    SelectScope selected(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    RECT text = rc;
    if (pressed) ::OffsetRect(&text, 1, 1);
    const UINT format =
        DT_CENTER | DT_VCENTER | DT_SINGLELINE | ((item.itemState & ODS_NOACCEL) != 0 ? DT_HIDEPREFIX : 0);
    RECT shadow = text;
    ::OffsetRect(&shadow, 1, 1);
    // Disabled: grey lettering with a light shadow over the pale face.
    ::SetTextColor(dc, disabled ? RGB(255, 255, 255) : RGB(0x10, 0x28, 0x5a));
    ::DrawTextW(dc, caption.c_str(), -1, &shadow, format);
    ::SetTextColor(dc, disabled ? RGB(0x80, 0x80, 0x80) : RGB(255, 255, 255));
    ::DrawTextW(dc, caption.c_str(), -1, &text, format);

    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        RECT focus = rc;
        ::InflateRect(&focus, -Scale(3, dpi), -Scale(3, dpi));
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkColor(dc, RGB(255, 255, 255));
        ::DrawFocusRect(dc, &focus);
    }
}

void DrawListEntry(const DRAWITEMSTRUCT& item, HFONT font) noexcept {
    HDC dc = item.hDC;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID != static_cast<UINT>(-1)) {
        std::wstring text;
        try {
            text = ComboItem(item.hwndItem, static_cast<int>(item.itemID));
        } catch (...) {
        }
        SelectScope selectedFont(dc, font);
        ::SetBkMode(dc, TRANSPARENT);
        int ink = selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT;
        if ((item.itemState & ODS_DISABLED) != 0) ink = COLOR_GRAYTEXT;
        ::SetTextColor(dc, ::GetSysColor(ink));
        RECT room = item.rcItem;
        room.left += 1;
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &room,
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if ((item.itemState & ODS_FOCUS) != 0) ::DrawFocusRect(dc, &item.rcItem);
}

int LineHeight(HFONT font) noexcept {
    ScreenDc screen;
    SelectScope selected(screen.get(), font);
    TEXTMETRICW metrics{};
    return ::GetTextMetricsW(screen.get(), &metrics) ? metrics.tmHeight : 0;
}

}  // namespace velt::platform::win32
