// The main window: all run-time state of the program and the handlers of its events.
// The handlers are defined beside the part of the program they belong to:
//   src/core     registration, cancellation, clock tick, start-up, close and exit
//   src/session  the session-end step
//   src/tray     the tray icon (TrayIcon, which this form holds), Module1 and the menu form
//   src/ui       the elapsed-time display, the Enter key, and the tray's three handlers, which
//                hand over to the TrayIcon
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/WinRecords.h"
#include "platform/Windowing.h"
#include "platform/WindowsApi.h"
#include "tray/TrayIcon.h"

namespace velt {

class frmMain final : public platform::MainFormEvents {
public:
    frmMain(platform::WindowsApi& api, platform::Windowing& ui) noexcept : api_(api), ui_(ui), tray_(api, ui) {}
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // --- state
    std::string ActionCode;                 // "0" log off, "1" restart, "2" power off
    std::array<std::string, 4> TargetTime;  // [0] hour, [1] minute, [3] the key "hh:mm"
    std::string TrayTip;
    std::int32_t ExitFlags = 0;
    platform::NotifyIconData89& TrayData = tray_.Record;

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
    void ProTask() { tray_.Refresh(TrayTip); }

    // The registration steps themselves. Throws PlatformError when the icon or set.ini fails;
    // what was done before the failure stays done.
    void RegisterSchedule();

    // The tray icon's one home; Form1 takes it down through Module1.
    TrayIcon& Tray() noexcept { return tray_; }

private:
    void RunSessionEnd();
    void RemoveTrayIcon() { tray_.Remove(); }  // as Module1::RemoveTrayIcon

    platform::WindowsApi& api_;
    platform::Windowing& ui_;
    TrayIcon tray_;
};

}  // namespace velt
