// The windows of the program made of real Win32 windows: the main window with its controls,
// the hidden menu form and the About window.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Windowing.h"
#include "platform/win32/FontFit_win.h"
#include "platform/win32/ScopedWin.h"
#include "ui/Layout.h"

namespace velt::platform::win32 {

// Window classes, so that tests outside the process can find the windows.
inline constexpr wchar_t kMainWindowClass[] = L"VeltPCTimer.frmMain";
inline constexpr wchar_t kFrameClass[] = L"VeltPCTimer.Frame";
inline constexpr wchar_t kMenuFormClass[] = L"VeltPCTimer.Form1";
inline constexpr wchar_t kAboutWindowClass[] = L"VeltPCTimer.frmAbout";
inline constexpr wchar_t kOwnerClass[] = L"VeltPCTimer.Owner";

// The Windows class of a control of the given kind ("Button", "Static", ...).
const wchar_t* WindowClassOf(ui::Kind kind) noexcept;

// The text of a window or control.
std::wstring WindowText(HWND hwnd);

// Timer identifiers of the main window.
inline constexpr UINT_PTR kTimer1Id = 1;
inline constexpr UINT_PTR kTimer2Id = 2;

class Win32Windowing final : public Windowing {
public:
    explicit Win32Windowing(HINSTANCE instance);
    Win32Windowing(const Win32Windowing&) = delete;
    Win32Windowing& operator=(const Win32Windowing&) = delete;
    ~Win32Windowing() override;

    // The handlers the windows report to. Must be called before the windows are created.
    void Attach(MainFormEvents& main, MenuFormEvents& menu, AboutFormEvents& about) noexcept;
    // Creates the main window hidden, with all its controls, and starts both timers.
    void CreateMainWindow();
    // Runs until WM_QUIT; returns its exit code.
    int RunMessageLoop();
    // Handles one message as the loop does: the dialog keys first, then the window.
    void Dispatch(MSG& msg) noexcept;

    // --- Windowing
    void SetCaption(Ctl control, std::string_view text) override;
    std::string Caption(Ctl control) override;
    void SetEnabled(Ctl control, bool enabled) override;
    bool Enabled(Ctl control) override;
    void SetFocus(Ctl control) override;
    bool Value(Ctl option) override;
    void SetValue(Ctl option, bool selected) override;
    void SetListItem(Ctl combo, int index, std::string_view text) override;
    std::string ComboText(Ctl combo) override;
    bool SetComboText(Ctl combo, std::string_view text) override;

    void SetTimerInterval(Timer timer, std::uint32_t milliseconds) override;
    void SetIconFromFile(const std::string& path) override;
    Handle IconHandle() override;
    Handle WindowHandle() override;
    void Show() override;
    void Hide() override;
    bool Visible() override;
    float TwipsPerPixelX() override;
    void DoEvents() override;
    void SendTabKey() override;

    int MsgBox(std::string_view text, unsigned style, std::string_view title) override;

    void SetMenuVisible(MenuItem item, bool visible) override;
    void PopupTrayMenu() override;

    void ShowAbout() override;
    void CloseAbout() override;
    void SetAboutCaption(AboutCtl control, std::string_view text) override;

    // --- the windows themselves, for tests
    HWND MainWindow() const noexcept { return main_; }
    HWND ControlWindow(Ctl control) const noexcept;
    HWND MenuFormWindow() const noexcept { return menuForm_; }
    HMENU TrayMenu() const noexcept { return trayPopup_; }
    HWND AboutWindow() const noexcept { return about_; }
    HWND AboutControlWindow(ui::AboutControl control) const noexcept;
    UINT Dpi() const noexcept { return dpi_; }
    UINT AboutDpi() const noexcept { return aboutDpi_; }

private:
    // user32 functions that older Windows lacks; null where missing.
    struct DpiApi {
        UINT(WINAPI* GetDpiForWindow)(HWND) = nullptr;
        UINT(WINAPI* GetDpiForSystem)() = nullptr;
        BOOL(WINAPI* AdjustWindowRectExForDpi)(LPRECT, DWORD, BOOL, DWORD, UINT) = nullptr;
        BOOL(WINAPI* SystemParametersInfoForDpi)(UINT, UINT, PVOID, UINT, UINT) = nullptr;
        int(WINAPI* GetSystemMetricsForDpi)(int, UINT) = nullptr;
    };

    static LRESULT CALLBACK MainThunk(HWND, UINT, WPARAM, LPARAM) noexcept;
    static LRESULT CALLBACK FrameThunk(HWND, UINT, WPARAM, LPARAM) noexcept;
    static LRESULT CALLBACK AboutThunk(HWND, UINT, WPARAM, LPARAM) noexcept;
    static LRESULT CALLBACK ComboThunk(HWND, UINT, WPARAM, LPARAM) noexcept;

    LRESULT MainProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT FrameProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT AboutProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT ComboProc(HWND, UINT, WPARAM, LPARAM) noexcept;

    // main window
    void RegisterClasses();
    void CreateControls(Ctl parent, HWND parentWindow);
    void LayoutMainWindow();
    void FitComboHeight(HWND combo, int height) noexcept;
    void OnMainCommand(WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnControlColour(HDC dc, HWND control) noexcept;
    void OnDrawPictureButton(const DRAWITEMSTRUCT& item) noexcept;
    void OnMainDpiChanged(UINT dpi, const RECT& suggested) noexcept;
    std::vector<TextRoom> MainTextRooms(UINT dpi) const;
    void OnMainMouseMove(WPARAM wParam, LPARAM lParam) noexcept;
    // True when the handler took the key away from the box.
    bool OnComboKeyDown(HWND combo, WPARAM key) noexcept;
    void Click(Ctl button) noexcept;
    void EnsurePictures() noexcept;
    void PaintMainBackground(HDC dc) noexcept;
    void PaintFrame(HWND frame, HDC dc) noexcept;
    void PaintContainer(HWND container, HDC dc) noexcept;
    void PaintBehind(HWND control, HDC dc) noexcept;
    void KeepGroupReachable(Ctl option) noexcept;
    void MoveFocusOffIfFocused(HWND control) noexcept;
    void RememberFocus(HWND top) noexcept;
    void RestoreFocus(HWND top) noexcept;
    LRESULT OnActivate(HWND hwnd, WPARAM wParam, LPARAM lParam) noexcept;
    HWND Control(Ctl control) const;
    const ui::MainControl* SpecOf(HWND control) const noexcept;
    void CentreOnWorkArea(HWND hwnd) noexcept;

    // menu form
    void EnsureMenuForm();
    void RebuildTrayMenu();

    // About window
    void CreateAboutWindow();
    void LayoutAboutWindow();
    void PaintAboutBackground(HDC dc) noexcept;
    LRESULT OnAboutControlColour(HDC dc, HWND control) noexcept;
    std::vector<TextRoom> AboutTextRooms(UINT dpi) const;
    void FitVersionFont();
    void DrawNotice(const DRAWITEMSTRUCT& item) noexcept;

    // shared
    UINT WindowDpi(HWND hwnd) const noexcept;
    UINT SystemDpi() const noexcept;
    // The system's message font as it is at 96 DPI.
    LOGFONTW MessageFontAt96() const;
    // The message font for `dpi`, sized so that every room's text fits.
    UniqueFont MakeDialogFont(UINT dpi, std::span<const TextRoom> rooms) const;
    // Gives the window the client size of its layout at `dpi`, measured, not assumed.
    void SizeToLayout(HWND hwnd, const ui::WindowSpec& spec, DWORD style, DWORD exStyle, UINT dpi) noexcept;
    void AdjustForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) const noexcept;
    int SystemMetric(int index, UINT dpi) const noexcept;
    // Runs a handler; nothing it throws gets past the window procedure. False when it threw.
    template <class F>
    static bool Guard(F&& call) noexcept {
        try {
            call();
            return true;
        } catch (...) {
            return false;
        }
    }

    HINSTANCE instance_;
    DpiApi dpiApi_;
    MainFormEvents* mainEvents_ = nullptr;
    MenuFormEvents* menuEvents_ = nullptr;
    AboutFormEvents* aboutEvents_ = nullptr;
    UINT taskbarCreated_ = 0;

    // main window
    HWND owner_ = nullptr;  // hidden: owning the main window keeps it off the taskbar
    HWND main_ = nullptr;
    std::array<HWND, static_cast<std::size_t>(Ctl::Count)> controls_{};
    // What the program last wrote into each control's caption.
    std::array<std::optional<std::string>, static_cast<std::size_t>(Ctl::Count)> captions_{};
    std::array<std::uint32_t, 2> timerIntervals_{};  // Timer1, Timer2
    UINT dpi_ = 96;
    bool centred_ = false;
    HWND lastFocus_ = nullptr;
    WNDPROC comboBaseProc_ = nullptr;
    std::array<int, 2> comboHeights_{};  // closed heights of txtTime(0) and txtTime(1)
    UniqueFont dialogFont_;
    bool picturesLoaded_ = false;
    UniqueBitmap background_;
    UniqueBrush backgroundBrush_;
    UniqueBitmap buttonFace_;
    UniqueBitmap buttonFaceGrey_;
    // The window's icon pair, and the pair it replaced: the tray may still show that one until
    // its next refresh, so it is freed only at the replacement after.
    UniqueIcon bigIcon_, smallIcon_, oldBigIcon_, oldSmallIcon_;

    // menu form
    HWND menuForm_ = nullptr;
    UniqueMenu trayMenuBar_;
    HMENU trayPopup_ = nullptr;  // owned by trayMenuBar_
    std::array<bool, static_cast<std::size_t>(MenuItem::Count)> menuVisible_{};

    // About window
    HWND about_ = nullptr;
    std::array<HWND, static_cast<std::size_t>(ui::AboutControl::Count)> aboutControls_{};
    UINT aboutDpi_ = 96;
    HWND aboutLastFocus_ = nullptr;
    UniqueFont aboutFont_;
    UniqueFont versionFont_;
    UniqueBitmap logo_;
    UniqueBrush whiteBrush_;
};

}  // namespace velt::platform::win32
