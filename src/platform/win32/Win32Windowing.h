// The windows of the program made of real Win32 windows: the facade over the main window, the
// hidden menu form and the About window that the portable code talks to.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Windowing.h"
#include "platform/win32/AboutWindow_win.h"
#include "platform/win32/Controls_win.h"
#include "platform/win32/Dpi_win.h"
#include "platform/win32/MainWindow_win.h"
#include "platform/win32/TrayIcon_win.h"
#include "platform/win32/TrayMenu_win.h"
#include "ui/AboutLayout.h"

namespace velt::platform::win32 {

class Win32Windowing final : public Windowing {
public:
    explicit Win32Windowing(HINSTANCE instance);
    Win32Windowing(const Win32Windowing&) = delete;
    Win32Windowing& operator=(const Win32Windowing&) = delete;
    ~Win32Windowing() override;

    // The handlers the windows report to. Must be called before the windows are created.
    void Attach(MainFormEvents& main, MenuFormEvents& menu, AboutFormEvents& about) noexcept;
    // Creates the main window hidden and starts both timers; its controls come when needed.
    void CreateMainWindow();
    // Runs until WM_QUIT; returns its exit code.
    int RunMessageLoop();
    // Handles one message as the loop does: the dialog keys first, then the window.
    void Dispatch(MSG& msg) noexcept;

    // --- Windowing
    void SetCaption(Ctl control, std::string_view text) override { main_.SetCaption(control, text); }
    std::string Caption(Ctl control) override { return main_.Caption(control); }
    void SetEnabled(Ctl control, bool enabled) override { main_.SetEnabled(control, enabled); }
    bool Enabled(Ctl control) override { return main_.Enabled(control); }
    void SetFocus(Ctl control) override { main_.SetFocus(control); }
    bool Value(Ctl option) override { return main_.Value(option); }
    void SetValue(Ctl option, bool selected) override { main_.SetValue(option, selected); }
    void SetListItem(Ctl combo, int index, std::string_view text) override {
        main_.SetListItem(combo, index, text);
    }
    std::string ComboText(Ctl combo) override { return main_.ComboText(combo); }
    bool SetComboText(Ctl combo, std::string_view text) override { return main_.SetComboText(combo, text); }

    void SetTimerInterval(Timer timer, std::uint32_t milliseconds) override {
        main_.SetTimerInterval(timer, milliseconds);
    }
    void SetIconFromFile(const std::string& path) override { main_.SetIconFromFile(path); }
    Handle IconHandle() override { return reinterpret_cast<Handle>(main_.Icon()); }
    Handle WindowHandle() override { return reinterpret_cast<Handle>(main_.hwnd()); }
    void Show() override { main_.Show(); }
    void Hide() override { main_.Hide(); }
    bool Visible() override { return main_.Visible(); }
    float TwipsPerPixelX() override { return main_.TwipsPerPixelX(); }
    void DoEvents() override;
    void SendTabKey() override;

    int MsgBox(std::string_view text, unsigned style, std::string_view title) override;

    void SetMenuVisible(MenuItem item, bool visible) override { menu_.SetVisible(item, visible); }
    void PopupTrayMenu() override { menu_.Popup(main_.hwnd()); }

    void RunTrayStep(std::uint32_t delayMs, std::function<bool()> step,
                     std::function<void(bool)> done) override {
        tray_.Run(delayMs, std::move(step), std::move(done));
    }
    void StopTraySteps(std::function<bool()> last) override { tray_.Stop(std::move(last)); }
    const std::shared_ptr<const void>& HoldIcon() override { return main_.HoldIcon(); }

    void ShowAbout() override { about_.Open(); }
    void CloseAbout() override { about_.Close(); }
    void SetAboutCaption(AboutCtl control, std::string_view text) override {
        about_.SetCaption(control, text);
    }

    // --- the windows themselves, for tests
    HWND MainWindow() const noexcept { return main_.hwnd(); }
    // Asking for a control makes the main window's controls where they do not exist yet.
    HWND ControlWindow(Ctl control) const noexcept {
        return const_cast<win32::MainWindow&>(main_).ControlWindow(control);
    }
    bool HasMainControls() const noexcept { return main_.HasControls(); }
    HWND MenuFormWindow() const noexcept { return menu_.hwnd(); }
    HMENU TrayMenu() const noexcept { return menu_.Menu(); }
    HWND AboutWindow() const noexcept { return about_.hwnd(); }
    HWND AboutControlWindow(ui::AboutControl control) const noexcept { return about_.ControlWindow(control); }
    UINT Dpi() const noexcept { return main_.dpi(); }
    const TrayShell& Tray() const noexcept { return tray_; }
    UINT AboutDpi() const noexcept { return about_.dpi(); }

private:
    win32::Dpi dpi_;
    win32::MainWindow main_;
    win32::TrayMenu menu_;
    win32::AboutWindow about_;
    win32::TrayShell tray_;
};

}  // namespace velt::platform::win32
