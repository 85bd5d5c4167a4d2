// What the main window's controls hold while they do not exist yet.
//
// The program spends nearly all of its life hidden in the tray, so the main window makes its
// child windows late: when it is first shown, or when a reader (an accessibility client) asks for
// it. Until then captions, option values, enabled state, list entries, the picked entry and the
// focus are kept here, and the controls are made from them.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/Windowing.h"

namespace velt::platform::win32 {

class ControlCache {
public:
    struct Entry {
        std::optional<std::string> caption;  // what the program wrote; the layout's text before
        bool enabled = true;
        bool selected = false;            // option buttons
        std::vector<std::wstring> items;  // drop-down lists
        int current = -1;                 // drop-down lists: the picked entry
        bool stale = false;               // the caption waits for the window to be shown
    };

    // Every control as the layout starts it.
    ControlCache() noexcept;

    Entry& operator[](Ctl control) noexcept { return entries_[static_cast<std::size_t>(control)]; }
    const Entry& operator[](Ctl control) const noexcept {
        return entries_[static_cast<std::size_t>(control)];
    }

    // What the program wrote into the caption, or else the layout's text.
    std::string Caption(Ctl control) const;
    // Selects or clears an option button; selecting clears the rest of its group.
    void SetValue(Ctl option, bool selected);
    // Writing past the end grows the list.
    void SetListItem(Ctl combo, int index, std::wstring text);
    // The picked entry, or nothing.
    std::wstring PickedText(Ctl combo) const;
    // Picks the entry that is `text` whole, case and all; false where there is none.
    bool Pick(Ctl combo, const std::wstring& text);

    // The control that takes the focus once the controls exist.
    std::optional<Ctl> pendingFocus;

private:
    std::array<Entry, static_cast<std::size_t>(Ctl::Count)> entries_{};
};

}  // namespace velt::platform::win32
