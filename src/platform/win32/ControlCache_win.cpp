#include "platform/win32/ControlCache_win.h"

#include <algorithm>
#include <utility>

#include "ui/MainLayout.h"

namespace velt::platform::win32 {

ControlCache::ControlCache() noexcept {
    for (const ui::MainControl& c : ui::kMainControls) {
        Entry& entry = (*this)[c.ctl];
        entry.enabled = (c.flags & ui::flag::Disabled) == 0;
        entry.selected = (c.flags & ui::flag::Selected) != 0;
    }
}

std::string ControlCache::Caption(Ctl control) const {
    // Only the program changes its captions: what it wrote is what they say.
    const Entry& entry = (*this)[control];
    return entry.caption ? *entry.caption : std::string(ui::Find(control).text);
}

void ControlCache::SetValue(Ctl option, bool selected) {
    if (selected) {
        for (Ctl other : ui::OptionGroup(option))
            (*this)[other].selected = false;
    }
    (*this)[option].selected = selected;
}

void ControlCache::SetListItem(Ctl combo, int index, std::wstring text) {
    std::vector<std::wstring>& items = (*this)[combo].items;
    const auto at = static_cast<std::size_t>(index);
    if (at >= items.size()) items.resize(at + 1);
    items[at] = std::move(text);
}

std::wstring ControlCache::PickedText(Ctl combo) const {
    const Entry& entry = (*this)[combo];
    const bool picked = entry.current >= 0 && static_cast<std::size_t>(entry.current) < entry.items.size();
    return picked ? entry.items[static_cast<std::size_t>(entry.current)] : std::wstring();
}

bool ControlCache::Pick(Ctl combo, const std::wstring& text) {
    Entry& entry = (*this)[combo];
    const auto found = std::find(entry.items.begin(), entry.items.end(), text);
    if (found == entry.items.end()) return false;
    entry.current = static_cast<int>(found - entry.items.begin());
    return true;
}

}  // namespace velt::platform::win32
