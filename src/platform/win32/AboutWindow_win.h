// The About window (frmAbout): a fixed tool window with the logo, the version, the notices and
// the link. Made when it is opened, destroyed when it is closed.
#pragma once

#include <windows.h>

#include <array>
#include <string_view>
#include <vector>

#include "platform/Windowing.h"
#include "platform/win32/Controls_win.h"
#include "platform/win32/Dpi_win.h"
#include "platform/win32/ScopedWin.h"
#include "platform/win32/Window_win.h"
#include "ui/AboutLayout.h"

namespace velt::platform::win32 {

class AboutWindow final : public Window {
public:
    AboutWindow(HINSTANCE instance, const Dpi& dpi) noexcept : instance_(instance), dpiSupport_(dpi) {}
    ~AboutWindow() override;

    static void Register(HINSTANCE instance);
    void Attach(AboutFormEvents* events) noexcept { events_ = events; }
    void Open();
    void Close() noexcept { Destroy(); }
    void SetCaption(AboutCtl control, std::string_view text);
    HWND ControlWindow(ui::AboutControl control) const noexcept;
    UINT dpi() const noexcept { return dpi_; }

private:
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
    void OnGone() noexcept override;

    LRESULT OnCommand(WPARAM wParam) noexcept;
    LRESULT OnControlColour(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnSetCursor(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnDrawItem(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam) noexcept;
    void Make();
    void Layout();
    std::vector<TextRoom> TextRooms() const;
    void FitVersionFont();
    void PaintBackground(HDC dc) noexcept;
    void DrawNotice(const DRAWITEMSTRUCT& item) noexcept;
    HWND Child(ui::AboutControl control) const noexcept {
        return controls_[static_cast<std::size_t>(control)];
    }

    HINSTANCE instance_;
    const Dpi& dpiSupport_;
    AboutFormEvents* events_ = nullptr;
    std::array<HWND, static_cast<std::size_t>(ui::AboutControl::Count)> controls_{};
    UINT dpi_ = 96;
    FocusMemory focus_;
    UniqueFont font_;
    UniqueFont versionFont_;
    UniqueBitmap logo_;
    UniqueBrush whiteBrush_;
};

}  // namespace velt::platform::win32
