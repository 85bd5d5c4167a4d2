#include "platform/win32/Dpi_win.h"

#include <cstdlib>
#include <cstring>

#include "platform/win32/SystemLibrary_win.h"

namespace velt::platform::win32 {

Dpi::Dpi() noexcept {
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    BindProc(user32, "GetDpiForWindow", getDpiForWindow_);
    BindProc(user32, "GetDpiForSystem", getDpiForSystem_);
    BindProc(user32, "AdjustWindowRectExForDpi", adjustWindowRectExForDpi_);
    BindProc(user32, "SystemParametersInfoForDpi", systemParametersInfoForDpi_);
    BindProc(user32, "GetSystemMetricsForDpi", getSystemMetricsForDpi_);
}

UINT Dpi::System() const noexcept {
    if (getDpiForSystem_ != nullptr) return getDpiForSystem_();
    ScreenDc screen;
    const int dpi = screen.get() != nullptr ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : 96u;
}

UINT Dpi::Of(HWND hwnd) const noexcept {
    if (hwnd != nullptr && getDpiForWindow_ != nullptr) {
        const UINT dpi = getDpiForWindow_(hwnd);
        if (dpi != 0) return dpi;
    }
    return System();
}

int Dpi::SystemMetric(int index, UINT dpi) const noexcept {
    if (getSystemMetricsForDpi_ != nullptr) return getSystemMetricsForDpi_(index, dpi);
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(System()));
}

LOGFONTW Dpi::MessageFontAt96() const {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    bool ok = systemParametersInfoForDpi_ != nullptr &&
              systemParametersInfoForDpi_(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, 96);
    if (!ok && ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        // The system's metrics are for the system DPI.
        metrics.lfMessageFont.lfHeight =
            ::MulDiv(metrics.lfMessageFont.lfHeight, 96, static_cast<int>(System()));
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

UniqueFont Dpi::DialogFont(UINT dpi, std::span<const TextRoom> rooms) const {
    const LOGFONTW font = MessageFontAt96();
    return FitFont(font, ScaledFontHeight(std::abs(font.lfHeight), dpi), rooms);
}

SIZE Dpi::OuterSize(const ui::WindowLayout& window, DWORD style, DWORD exStyle, UINT dpi) const noexcept {
    RECT frame{0, 0, ui::TwipsToPixels(window.clientWidth, static_cast<int>(dpi)),
               ui::TwipsToPixels(window.clientHeight, static_cast<int>(dpi))};
    if (adjustWindowRectExForDpi_ == nullptr ||
        !adjustWindowRectExForDpi_(&frame, style, FALSE, exStyle, dpi)) {
        ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    }
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void Dpi::SizeToLayout(HWND hwnd, const ui::WindowLayout& window, DWORD style, DWORD exStyle,
                       UINT dpi) const noexcept {
    const int width = ui::TwipsToPixels(window.clientWidth, static_cast<int>(dpi));
    const int height = ui::TwipsToPixels(window.clientHeight, static_cast<int>(dpi));
    const SIZE outer = OuterSize(window, style, exStyle, dpi);
    int outerWidth = outer.cx;
    int outerHeight = outer.cy;
    // A window made at this size is not moved again: each move costs the display a round trip.
    RECT now{};
    if (!::GetWindowRect(hwnd, &now) || now.right - now.left != outerWidth ||
        now.bottom - now.top != outerHeight) {
        ::SetWindowPos(hwnd, nullptr, 0, 0, outerWidth, outerHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The borders and caption of a window moved to another DPI need not be what the system
    // computes for that DPI: the client area is what must come out right.
    RECT client{};
    if (!::GetClientRect(hwnd, &client) || (client.right == width && client.bottom == height)) return;
    outerWidth += width - client.right;
    outerHeight += height - client.bottom;
    ::SetWindowPos(hwnd, nullptr, 0, 0, outerWidth, outerHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velt::platform::win32
