// Any bytes as set.ini: reading must stay bounded and leave the window in a state the rules allow.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/SettingsFile.h"
#include "doubles/Harness.h"

using velt::platform::Ctl;

namespace {

int Selected(velt::test::FakeWindowing& ui, std::initializer_list<Ctl> group) {
    return static_cast<int>(std::count_if(group.begin(), group.end(), [&](Ctl c) { return ui.Value(c); }));
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const velt::SettingsFields fields = velt::ReadSettingsFields(bytes);
    for (const std::string& f : fields) {
        Check(f.size() <= velt::kSettingsFieldLimit);
        Check(f.find_first_of("\r\n") == std::string::npos);
    }

    velt::test::Harness h;
    h.FillTimeLists();
    h.api.files[h.api.SettingsPath()] = bytes;
    velt::SettingsFile(h.api, h.ui).LoadSettings();

    Check(Selected(h.ui, {Ctl::Option1_0, Ctl::Option1_1, Ctl::Option1_2}) == 1);
    Check(Selected(h.ui, {Ctl::optSTART0, Ctl::optSTART1}) == 1);
    for (Ctl box : {Ctl::txtTime0, Ctl::txtTime1}) {
        const auto& items = h.ui[box].items;
        Check(std::find(items.begin(), items.end(), h.ui.ComboText(box)) != items.end());
    }
    // Whatever was loaded, registering from it writes a complete four-line file that reads back
    // as the same values.
    h.frm.cmdON_Click();
    const std::string& saved = h.api.files[h.api.SettingsPath()];
    const velt::SettingsFields again = velt::ReadSettingsFields(saved);
    Check(std::count(saved.begin(), saved.end(), '\n') == 4);
    Check(again[0] == h.frm.ActionCode && again[1] == h.frm.TargetTime[0] && again[2] == h.frm.TargetTime[1]);
    Check(again[3] == (h.ui.Value(Ctl::optSTART0) ? "True" : "False"));
    return 0;
}
