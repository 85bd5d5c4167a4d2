// The notification-area icon: filling its record, putting it up until the shell has it, taking it
// down, and decoding the mouse events it reports.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/TrayRetry.h"
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

// The one way the icon is taken down: no try of it is left to come after, then the shell deletes
// the icon that `record`'s window and id name.
void TakeTrayIconDown(platform::WindowsApi& api, platform::Windowing& ui,
                      const platform::NotifyIconData89& record);

}  // namespace velt
