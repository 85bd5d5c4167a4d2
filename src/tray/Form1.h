// The hidden form that carries the tray menu.
#pragma once

#include "platform/Windowing.h"
#include "platform/WindowsApi.h"
#include "tray/TrayIcon.h"

namespace velt {

class Form1 final : public platform::MenuFormEvents {
public:
    Form1(platform::WindowsApi& api, platform::Windowing& ui, TrayIcon& tray) noexcept
        : api_(api), ui_(ui), tray_(tray) {}
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    void mnuOpen_Click() override;
    void mnuClose_Click() override;
    void mnuweb_Click() override;
    void mnuVer_Click() override;

private:
    platform::WindowsApi& api_;
    platform::Windowing& ui_;
    TrayIcon& tray_;
};

}  // namespace velt
