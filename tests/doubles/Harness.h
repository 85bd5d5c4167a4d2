// The main form wired to the recording doubles, as the program wires it to Windows.
#pragma once

#include "doubles/CallLog.h"
#include "doubles/FakeWindowing.h"
#include "doubles/FakeWindowsApi.h"
#include "ui/frmMain.h"

namespace velt::test {

struct Harness {
    CallLog log;
    FakeWindowsApi api{log};
    FakeWindowing ui{log};
    frmMain frm{api, ui};

    // The time lists as start-up fills them.
    void FillTimeLists() {
        for (int i = 0; i < 60; ++i) {
            char text[4];
            std::snprintf(text, sizeof text, "%02d", i);
            if (i < 24) ui.SetListItem(platform::Ctl::txtTime0, i, text);
            ui.SetListItem(platform::Ctl::txtTime1, i, text);
        }
        ui[platform::Ctl::txtTime0].caption = "00";
        ui[platform::Ctl::txtTime1].caption = "00";
    }
    std::string OnIcon() const { return api.appDir + "\\VELTPOWON.ico"; }
    std::string OffIcon() const { return api.appDir + "\\VELTPOWOFF.ico"; }
    std::string Tip() const { return api.FromAnsiCopy(frm.TrayData.szTip); }
};

}  // namespace velt::test
