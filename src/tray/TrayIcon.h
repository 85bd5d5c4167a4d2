// The notification-area icon, in one place: its record, its tries and their schedule, taking it
// down, and the mouse events it reports. frmMain holds the one TrayIcon.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/WinRecords.h"
#include "platform/Windowing.h"
#include "platform/WindowsApi.h"

namespace velt {

inline constexpr std::uint32_t kTrayIconId = 1;
inline constexpr std::size_t kTrayTipMaxBytes = 64;  // szTip holds the text and its 0

// The tip in the ANSI code page, cut at a whole character so that it fits with its 0.
// `toAnsi` converts UTF-8 text to the ANSI code page.
std::string TrayTipBytes(std::string_view tip, const std::function<std::string(std::string_view)>& toAnsi);

// Writes every field of the record; the tip bytes and their 0 go to the start of szTip and
// the bytes after that 0 keep what an earlier, longer tip left there.
void FillTrayData(platform::NotifyIconData89& data, std::uint32_t hWnd, std::uint32_t hIcon,
                  std::string_view tipBytes) noexcept;

// The mouse message a tray callback carries in its x coordinate, given in twips:
// both values are rounded to whole numbers (halves to the even neighbour), then divided.
int DecodeTrayEvent(float xTwips, float twipsPerPixel) noexcept;

// Handles travel in the record as their low 32 bits, which is all a window or icon handle uses.
std::uint32_t HandleBits(platform::Handle handle) noexcept;

// One try of the icon: delete it, then add it with `record`, through the Unicode call when
// there is a `unicodeTip`. Deleting first means that an add the shell reported as failed,
// although it made the icon, never leaves a second one. True when the shell took the add.
bool PutTrayIconUp(platform::WindowsApi& api, const platform::NotifyIconData89& record,
                   const std::optional<std::string>& unicodeTip);

// While Windows starts, which is when this program starts, the shell often does not take an
// icon: its window is not there yet, or it does not answer in time. The icon is then tried again,
// about a second later at first and twice as long after each further refusal, up to a minute,
// for as long as it takes.
class TrayRetry {
public:
    static constexpr std::uint32_t kFirstGapMs = 1000;
    static constexpr std::uint32_t kLongestGapMs = 60000;

    // A refresh starts anew: its first retry, if it needs one, comes after kFirstGapMs.
    void Restart() noexcept { gapMs_ = 0; }
    // The shell did not take the icon: the wait before the next try.
    std::uint32_t NextGap() noexcept {
        gapMs_ = gapMs_ == 0 ? kFirstGapMs : std::min(gapMs_ * 2, kLongestGapMs);
        return gapMs_;
    }

private:
    std::uint32_t gapMs_ = 0;
};

// The program's one tray icon.
class TrayIcon {
public:
    TrayIcon(platform::WindowsApi& api, platform::Windowing& ui) noexcept : api_(api), ui_(ui) {}
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // frmMain's TrayData: what the last refresh filled.
    platform::NotifyIconData89 Record{};

    // Deletes the icon and adds it again with the window's icon and `tip`; while the shell does
    // not take it, it is tried again.
    void Refresh(const std::string& tip);
    // Down before a log off, with the record as the last refresh left it.
    void TakeDownForLogoff() {
        TakeDown(true);
        removedForLogoff_ = true;
    }
    // The log off did not happen: up again with `tip`.
    void PutBackAfterLogoff(const std::string& tip) {
        if (removedForLogoff_) Refresh(tip);
    }
    // Down for good, with a removal record of its own (Module1): the shell finds the icon by
    // window and id alone.
    void Remove() { TakeDown(false); }
    // A mouse event of the window: the tray's message travels in x, in twips.
    void OnMouse(float xTwips);

private:
    void Try(std::uint32_t delayMs);
    // The one way the icon goes down: no try is left to come after, then the shell deletes it,
    // named by Record or (`forLogoff` false) by Module1's removal record.
    void TakeDown(bool forLogoff);

    platform::WindowsApi& api_;
    platform::Windowing& ui_;
    TrayRetry retry_;
    // The picture Record names, alive while a try carries it.
    std::shared_ptr<const void> iconHold_;
    std::string tip_;  // of the last refresh
    bool removedForLogoff_ = false;  // and the log off has not happened (yet)
};

}  // namespace velt
