// The version-information window.
#pragma once

#include "platform/Windowing.h"
#include "platform/WindowsApi.h"

namespace velt {

class frmAbout final : public platform::AboutFormEvents {
public:
    frmAbout(platform::WindowsApi& api, platform::Windowing& ui) noexcept : api_(api), ui_(ui) {}
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

    void Form_Load() override;
    void cmdOK_Click() override;
    void Label2_Click() override;

private:
    platform::WindowsApi& api_;
    platform::Windowing& ui_;
};

}  // namespace velt
