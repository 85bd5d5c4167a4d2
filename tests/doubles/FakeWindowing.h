// A recording stand-in for the windows: it keeps each control's state the way the real
// controls would (option groups, drop-down lists) and logs every call in order.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "doubles/CallLog.h"
#include "platform/Windowing.h"
#include "platform/WindowsApi.h"

namespace velt::test {

const char* CtlName(platform::Ctl control);

class FakeWindowing final : public platform::Windowing {
public:
    explicit FakeWindowing(CallLog& log);

    struct Control {
        std::string caption;
        bool enabled = true;
        bool value = false;
        std::vector<std::string> items;
    };

    // --- state, readable and settable by tests
    std::array<Control, static_cast<std::size_t>(platform::Ctl::Count)> controls;
    platform::Ctl focus = platform::Ctl::cmdON;
    std::uint32_t timer1 = 1000;
    std::uint32_t timer2 = 1000;
    std::string iconPath;  // empty: the window's designed icon
    platform::Handle iconHandle = 0x50;
    platform::Handle windowHandle = 0x2A0;
    bool visible = false;
    float twipsPerPixel = 15.0f;
    std::set<std::string> missingFiles;  // icon files that cannot be loaded
    std::deque<int> answers;             // message box answers, in order; IDOK when empty
    std::vector<std::string> messages;   // message box texts shown
    bool menuFormLoaded = false;
    bool menuRefused = false;  // no menu handle to be had, as at the USER object quota
    bool trayMenuVisible = true;
    int popups = 0;
    int aboutCreations = 0;
    bool aboutOpen = false;
    std::string aboutTitle, aboutVersion;
    platform::AboutFormEvents* aboutEvents = nullptr;
    // A tray step due at once runs at once; a later one waits here for RunDueTrayStep.
    struct TrayStep {
        std::uint32_t delayMs;
        std::function<bool()> step;
        std::function<void(bool)> done;
    };
    std::optional<TrayStep> waitingTrayStep;

    Control& operator[](platform::Ctl c) { return controls[static_cast<std::size_t>(c)]; }

    void SetCaption(platform::Ctl control, std::string_view text) override;
    std::string Caption(platform::Ctl control) override;
    void SetEnabled(platform::Ctl control, bool enabled) override;
    bool Enabled(platform::Ctl control) override;
    void SetFocus(platform::Ctl control) override;
    bool Value(platform::Ctl option) override;
    void SetValue(platform::Ctl option, bool selected) override;
    void SetListItem(platform::Ctl combo, int index, std::string_view text) override;
    std::string ComboText(platform::Ctl combo) override;
    bool SetComboText(platform::Ctl combo, std::string_view text) override;
    void SetTimerInterval(platform::Timer timer, std::uint32_t milliseconds) override;
    void SetIconFromFile(const std::string& path) override;
    platform::Handle IconHandle() override { return iconHandle; }
    platform::Handle WindowHandle() override { return windowHandle; }
    void Show() override;
    void Hide() override;
    bool Visible() override { return visible; }
    float TwipsPerPixelX() override { return twipsPerPixel; }
    void DoEvents() override;
    void SendTabKey() override;
    int MsgBox(std::string_view text, unsigned style, std::string_view title) override;
    void SetMenuVisible(platform::MenuItem item, bool visible) override;
    void PopupTrayMenu() override;
    void RunTrayStep(std::uint32_t delayMs, std::function<bool()> step,
                     std::function<void(bool)> done) override;
    void StopTraySteps(std::function<bool()> last) override;
    // Icons are freed as the window lets them go, unless held.
    const std::shared_ptr<const void>& HoldIcon() override { return heldIcon_; }
    std::vector<platform::Handle> freedIcons;
    // The waiting tray step's time has come: runs it and tells its answer. False when none waits.
    bool RunDueTrayStep();
    void ShowAbout() override;
    void CloseAbout() override;
    void SetAboutCaption(platform::AboutCtl control, std::string_view text) override;

private:
    CallLog& log_;
    platform::Handle nextIcon_ = 0x60;
    std::shared_ptr<const void> heldIcon_;
};

}  // namespace velt::test
