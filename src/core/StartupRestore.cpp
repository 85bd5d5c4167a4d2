#include "core/StartupRestore.h"

#include <algorithm>
#include <numeric>

namespace velt {

using platform::SettingsAtStart;

StartupRestore DecideStartupRestore(const StartupFound& found) {
    const std::size_t count = found.leftovers.size();
    const auto verdict = [&](bool removeAll, SettingsAtStart start) {
        return StartupRestore{std::nullopt, std::vector<bool>(count, removeAll), start};
    };
    if (found.target == Presence::Unknown) {
        return verdict(false, SettingsAtStart::ReadOnly);  // nothing is touched
    }
    if (found.target == Presence::Present) {
        return verdict(true, SettingsAtStart::ReadOrDefaults);
    }
    if (!found.listed) {
        return verdict(false, SettingsAtStart::Hold);  // an unlisted one may be the only copy
    }

    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const LeftoverFound& x = found.leftovers[a];
        const LeftoverFound& y = found.leftovers[b];
        return x.newBytes != y.newBytes ? x.newBytes : x.written > y.written;
    });
    for (const std::size_t i : order) {
        const LeftoverFound& leftover = found.leftovers[i];
        if (leftover.newBytes && leftover.read == LeftoverFound::Read::Cut) {
            continue;  // a save cut off while writing
        }
        if (leftover.moveFailed || (leftover.newBytes && leftover.read != LeftoverFound::Read::Whole)) {
            return verdict(false, SettingsAtStart::Hold);  // it may be the last save
        }
        StartupRestore restore = verdict(true, SettingsAtStart::ReadOrDefaults);
        restore.restore = i;
        restore.remove[i] = false;
        return restore;
    }
    return verdict(true, SettingsAtStart::ReadOrDefaults);
}

}  // namespace velt
