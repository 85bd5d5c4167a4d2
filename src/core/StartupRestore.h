// What a start does with the files that cut-off saves left beside set.ini, decided from what is
// found on disk and from each call's answer. Pure, like the save's own recovery, so that every
// documented answer can be tried without making Windows fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/SaveRecovery.h"
#include "platform/WindowsApi.h"

namespace velt {

// One file a save left beside set.ini, as the listing and the calls made on it answered.
struct LeftoverFound {
    enum class Read { NotRead, Whole, Cut, Failed };

    bool newBytes = false;       // a save's new bytes; else the old file it moved aside
    std::uint64_t written = 0;   // last write time: larger is newer
    Read read = Read::NotRead;   // new bytes only: what reading them gave (Cut: not whole, or gone)
    bool moveFailed = false;     // moving it under set.ini's name has failed
};

struct StartupFound {
    Presence target = Presence::Absent;
    bool listed = true;  // the listing ended as a complete one does
    std::vector<LeftoverFound> leftovers;
};

struct StartupRestore {
    std::optional<std::size_t> restore;  // the leftover to move under set.ini's name first
    std::vector<bool> remove;            // by leftover: deleted once the restore, if any, is done
    platform::SettingsAtStart start = platform::SettingsAtStart::ReadOnly;
};

// The last save is the newest whole new bytes, or else the newest old file. While it cannot be
// told which that is, or it cannot be moved in, everything stays and start-up holds. Never
// restores a leftover whose move has failed.
StartupRestore DecideStartupRestore(const StartupFound& found);

}  // namespace velt
