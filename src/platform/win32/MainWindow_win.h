// The main window (frmMain): hidden from the start, with its controls and both timers.
//
// The child windows are made from the ControlCache when the window is first shown, or when
// anything needs a real control earlier: a reader of the window (WM_GETOBJECT, as accessibility
// clients send it). While the window is hidden and nobody reads it, a caption change only updates
// the cache; showing the window brings every control up to date before it paints. Its icons, too,
// reach it when it is shown or asked for them.
// MainWindowControls_win.cpp makes the controls and answers for them; this file is the window.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ClockTick.h"
#include "platform/Windowing.h"
#include "platform/win32/ClockTimer_win.h"
#include "platform/win32/ControlCache_win.h"
#include "platform/win32/Controls_win.h"
#include "platform/win32/Dpi_win.h"
#include "platform/win32/FrameControl_win.h"
#include "platform/win32/Painting_win.h"
#include "platform/win32/ScopedWin.h"
#include "platform/win32/TrayMenu_win.h"
#include "platform/win32/Window_win.h"
#include "ui/MainLayout.h"

namespace velt::platform::win32 {

// Timer identifiers of the main window: the clock, which both timers share while they run at
// 1000 ms, and one of its own for a timer set to any other interval.
inline constexpr UINT_PTR kClockTimerId = 1;
inline constexpr UINT_PTR kTimer1Id = 2;
inline constexpr UINT_PTR kTimer2Id = 3;

class MainWindow final : public Window, private ComboHooks, private WindowTimers::Starter {
public:
    MainWindow(HINSTANCE instance, const Dpi& dpi) noexcept;
    ~MainWindow() override;

    static void Register(HINSTANCE instance);
    // `menu` hears the tray menu's commands, which come to this window.
    void Attach(MainFormEvents* main, TrayMenu* menu) noexcept;
    // The window itself, hidden, sized for its layout, with both timers running.
    void Create();
    // The child windows, made from the state held so far (once).
    void EnsureControls();
    bool HasControls() const noexcept { return controlsMade_; }

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
    // While Windows refuses a timer, the message loop wakes after the wait this answers
    // (INFINITE: all run); with `run`, a retry that is due starts them again or, for the clock,
    // ticks in its place.
    DWORD RetryTimers(bool run) noexcept;
    void SetIconFromFile(const std::string& path);
    // Without a picture of its own the window shows the system's application icon, loaded only
    // then (each load is a trip to the display); null only where even that cannot be had.
    HICON Icon() const noexcept {
        if (bigIcon_) return bigIconHandle_;
        if (standInIcon_ == nullptr) standInIcon_ = ::LoadIconW(nullptr, IDI_APPLICATION);
        return standInIcon_;
    }
    // Keeps the current icon alive while held (a try of the tray carries it).
    const std::shared_ptr<const void>& HoldIcon() const noexcept { return bigIcon_; }
    void Show();
    void Hide();
    bool Visible() const noexcept;
    float TwipsPerPixelX() const noexcept;
    UINT dpi() const noexcept { return look_.dpi; }
    // The child window of a control, made now if need be; frmMain is the window itself.
    HWND ControlWindow(Ctl control) noexcept;

private:
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
    void OnGone() noexcept override;

    // message handlers
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnTimer(WPARAM id) noexcept;
    LRESULT OnPowerBroadcast(WPARAM event, LPARAM data) noexcept;
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
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam) noexcept;
    bool OnComboKey(HWND combo, WPARAM key) noexcept override;
    bool Arm(int which, std::uint32_t ms) noexcept override;
    int ClosedHeight(HWND combo) const noexcept override;

    void MakeControls(Ctl parent, HWND parentWindow);
    void ApplyHeldState() noexcept;
    void BringControlsUpToDate() noexcept;
    void Layout();
    std::vector<TextRoom> TextRooms() const;
    void FitComboHeight(HWND combo, int height) noexcept;
    void Click(Ctl button) noexcept;
    void KeepGroupReachable(Ctl option) noexcept;
    void MoveFocusOffIfFocused(Ctl control) noexcept;
    void LoadWindowIcons() noexcept;
    void EnsureOwner() noexcept;
    void SendHeldIcons() noexcept;
    // `icon` becomes the window's (null: the stand-in), shared with the tries that carry it.
    void TakeBigIcon(HICON icon) noexcept;
    // Throws where the window does not exist or `control` is not one of its controls.
    void Check(Ctl control) const;
    HWND Child(Ctl control) const noexcept { return controls_[static_cast<std::size_t>(control)]; }
    const ui::MainControl* LayoutEntryOf(HWND control) const noexcept;

    HINSTANCE instance_;
    const Dpi& dpiSupport_;
    MainFormEvents* events_ = nullptr;
    TrayMenu* menu_ = nullptr;
    UINT taskbarCreated_ = 0;
    HWND owner_ = nullptr;  // hidden: owning the main window keeps it off the taskbar (EnsureOwner)

    ControlCache cache_;
    std::array<HWND, static_cast<std::size_t>(Ctl::Count)> controls_{};
    std::vector<std::unique_ptr<FrameControl>> frames_;
    bool controlsMade_ = false;
    bool read_ = false;  // a reader has asked for the window: keep its controls current
    WindowTimers timers_;
    ClockTimer clock_;
    ULONGLONG timersRetryAt_ = 0;
    bool centred_ = false;
    FocusMemory focus_;
    HWND fitting_ = nullptr;  // the drop-down list whose field is being fitted to the layout
    UniqueFont dialogFont_;
    DialogLook look_;
    MainPictures pictures_;
    // The window's icon, shared with the tray's tries that carry it: one freed under a try in
    // flight would reach the shell as a dead handle.
    std::shared_ptr<const void> bigIcon_;  // owns bigIconHandle_
    HICON bigIconHandle_ = nullptr;
    std::shared_ptr<const void> sentBigIcon_;  // the one the window was handed last
    // Shown where the program's own picture cannot be loaded; the system's, shared, never freed.
    mutable HICON standInIcon_ = nullptr;
    // The small icon the window was handed last, and the file of the next (empty: the program's own).
    UniqueIcon smallIcon_;
    std::wstring smallIconFile_;
    bool iconsHeld_ = false;  // the window has not been handed the current icons yet
};

}  // namespace velt::platform::win32
