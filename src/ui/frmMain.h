// The main window: all run-time state of the program and the handlers of its events.
// The handlers are defined beside the part of the program they belong to:
//   src/core     registration, cancellation, clock tick, start-up, close and exit
//   src/session  the session-end step
//   src/tray     the tray icon refresh, its removal and its mouse events
//   src/ui       the elapsed-time display and the Enter key
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "common/TrayRetry.h"
#include "platform/WinRecords.h"
#include "platform/Windowing.h"
#include "platform/WindowsApi.h"

namespace velt {

class frmMain final : public platform::MainFormEvents {
public:
    frmMain(platform::WindowsApi& api, platform::Windowing& ui) noexcept : api_(api), ui_(ui) {}
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // --- state
    std::string ActionCode;                 // "0" log off, "1" restart, "2" power off
    std::array<std::string, 4> TargetTime;  // [0] hour, [1] minute, [3] the key "hh:mm"
    std::string TrayTip;
    std::int32_t ExitFlags = 0;
    platform::NotifyIconData89 TrayData{};

    // --- events
    void Form_Load() override;
    void Form_Unload(std::int16_t& Cancel) override;
    void cmdON_Click() override;
    void Command5_Click() override;
    void Command2_Click() override;
    void Timer1_Timer() override;
    void Timer2_Timer() override;
    void txtTime_KeyDown(std::int16_t Index, std::int16_t& KeyCode, std::int16_t Shift) override;
    void Form_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y) override;
    bool Form_QueryEndSession() override;
    void Form_EndSession(bool ending) override;
    void TaskbarCreated() override;

    // Deletes the tray icon and adds it again with the window's icon and TrayTip; while the
    // shell does not take it, it is tried again.
    void ProTask();

    // The registration steps themselves. Throws PlatformError when the icon or set.ini fails;
    // what was done before the failure stays done.
    void RegisterSchedule();

private:
    void RunSessionEnd();
    void RemoveTrayIcon();
    // One try of the tray icon, `delayMs` from now.
    void TryTrayIcon(std::uint32_t delayMs);

    platform::WindowsApi& api_;
    platform::Windowing& ui_;
    // The tray icon was taken down for a log off that has not happened (yet).
    bool trayRemovedForLogoff_ = false;
    TrayRetry trayRetry_;
    // The picture TrayData names, alive while a try carries it.
    std::shared_ptr<const void> trayIconHold_;
};

}  // namespace velt
