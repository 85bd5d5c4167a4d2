// The main window (frmMain): hidden from the start, with its controls and both timers.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Windowing.h"
#include "platform/win32/Controls_win.h"
#include "platform/win32/Dpi_win.h"
#include "platform/win32/FrameControl_win.h"
#include "platform/win32/Painting_win.h"
#include "platform/win32/ScopedWin.h"
#include "platform/win32/Window_win.h"
#include "ui/Layout.h"

namespace velt::platform::win32 {

// Timer identifiers of the main window.
inline constexpr UINT_PTR kTimer1Id = 1;
inline constexpr UINT_PTR kTimer2Id = 2;

class MainWindow final : public Window, private ComboHooks {
public:
    MainWindow(HINSTANCE instance, const Dpi& dpi) noexcept;
    ~MainWindow() override;

    static void Register(HINSTANCE instance);
    void Attach(MainFormEvents* main, MenuFormEvents* menu) noexcept;
    // The window, hidden, sized for its layout, with its controls and both timers running.
    void Create();

    void SetCaption(Ctl control, std::string_view text);
    std::string Caption(Ctl control);
    void SetEnabled(Ctl control, bool enabled);
    bool Enabled(Ctl control);
    void SetFocus(Ctl control);
    bool Value(Ctl option);
    void SetValue(Ctl option, bool selected);
    void SetListItem(Ctl combo, int index, std::string_view text);
    std::string ComboText(Ctl combo);
    bool SetComboText(Ctl combo, std::string_view text);

    void SetTimerInterval(Timer timer, std::uint32_t milliseconds);
    void SetIconFromFile(const std::string& path);
    HICON Icon() const noexcept { return bigIcon_.get(); }
    void Show();
    void Hide();
    bool Visible() const noexcept;
    float TwipsPerPixelX() const noexcept;
    UINT dpi() const noexcept { return look_.dpi; }
    // The child window of a control; frmMain is the window itself.
    HWND ControlWindow(Ctl control) const noexcept;

private:
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
    void OnGone() noexcept override;

    // message handlers
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnTimer(WPARAM id) noexcept;
    LRESULT OnClose() noexcept;
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnQueryEndSession() noexcept;
    LRESULT OnEndSession(WPARAM ending) noexcept;
    LRESULT OnTaskbarCreated() noexcept;
    LRESULT OnControlColour(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnDrawItem(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnPaint() noexcept;
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnDestroy() noexcept;
    bool OnComboKey(HWND combo, WPARAM key) noexcept override;
    int ClosedHeight(HWND combo) const noexcept override;

    void MakeControls(Ctl parent, HWND parentWindow);
    void Layout();
    std::vector<TextRoom> TextRooms() const;
    void FitComboHeight(HWND combo, int height) noexcept;
    void MenuCommand(MenuItem item) noexcept;
    void Click(Ctl button) noexcept;
    void KeepGroupReachable(Ctl option) noexcept;
    void MoveFocusOffIfFocused(HWND control) noexcept;
    void LoadWindowIcons() noexcept;
    // The control's window; throws where there is none.
    HWND Control(Ctl control) const;
    HWND Child(Ctl control) const noexcept { return controls_[static_cast<std::size_t>(control)]; }
    const ui::MainControl* SpecOf(HWND control) const noexcept;

    HINSTANCE instance_;
    const Dpi& dpiSupport_;
    MainFormEvents* events_ = nullptr;
    MenuFormEvents* menuEvents_ = nullptr;
    UINT taskbarCreated_ = 0;
    HWND owner_ = nullptr;  // hidden: owning the main window keeps it off the taskbar

    std::array<HWND, static_cast<std::size_t>(Ctl::Count)> controls_{};
    // What the program last wrote into each control's caption.
    std::array<std::optional<std::string>, static_cast<std::size_t>(Ctl::Count)> captions_{};
    std::vector<std::unique_ptr<FrameControl>> frames_;
    std::array<std::uint32_t, 2> timerIntervals_{};  // Timer1, Timer2
    bool centred_ = false;
    FocusMemory focus_;
    UniqueFont dialogFont_;
    DialogLook look_;
    MainPictures pictures_;
    // The window's icon pair, and the pair it replaced: the tray may still show that one until
    // its next refresh, so it is freed only at the replacement after.
    UniqueIcon bigIcon_, smallIcon_, oldBigIcon_, oldSmallIcon_;
};

}  // namespace velt::platform::win32
