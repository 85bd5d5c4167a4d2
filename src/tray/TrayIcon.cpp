#include "tray/TrayIcon.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace velt {

namespace {

// Length of the UTF-8 sequence starting with `lead`; 1 for a stray byte so it is still consumed.
std::size_t Utf8Length(unsigned char lead) noexcept {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

bool RoundToInt32(double value, std::int32_t& out) noexcept {
    const double r = std::nearbyint(value);  // the default rounding mode: halves to even
    if (!(r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max())) {
        return false;
    }
    out = static_cast<std::int32_t>(r);
    return true;
}

}  // namespace

std::string TrayTipBytes(std::string_view tip, const std::function<std::string(std::string_view)>& toAnsi) {
    std::string whole = toAnsi(tip);
    if (whole.size() <= kTrayTipMaxBytes) return whole;

    // Too long: take whole characters while they fit.
    std::string cut;
    for (std::size_t i = 0; i < tip.size();) {
        const std::size_t n = std::min(Utf8Length(static_cast<unsigned char>(tip[i])), tip.size() - i);
        const std::string ch = toAnsi(tip.substr(i, n));
        if (cut.size() + ch.size() > kTrayTipMaxBytes) break;
        cut += ch;
        i += n;
    }
    return cut;
}

void FillTrayData(platform::NotifyIconData89& data, std::uint32_t hWnd, std::uint32_t hIcon,
                  std::string_view tipBytes) noexcept {
    data.cbSize = sizeof(platform::NotifyIconData89);
    data.hWnd = hWnd;
    data.uID = kTrayIconId;
    data.uFlags = platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP;
    data.uCallbackMessage = platform::WM_MOUSEMOVE;
    data.hIcon = hIcon;
    const std::size_t n = std::min(tipBytes.size(), kTrayTipMaxBytes);
    std::memcpy(data.szTip, tipBytes.data(), n);
    data.szTip[n] = '\0';
}

int DecodeTrayEvent(float xTwips, float twipsPerPixel) noexcept {
    std::int32_t x = 0, factor = 0;
    if (!RoundToInt32(xTwips, x) || !RoundToInt32(twipsPerPixel, factor) || factor == 0) return 0;
    return x / factor;  // truncates toward zero
}

std::uint32_t HandleBits(platform::Handle handle) noexcept {
    return static_cast<std::uint32_t>(handle & 0xFFFFFFFFu);
}

bool PutTrayIconUp(platform::WindowsApi& api, const platform::NotifyIconData89& record,
                   const std::optional<std::string>& unicodeTip) {
    api.Shell_NotifyIconA(platform::NIM_DELETE, record);
    return unicodeTip ? api.Shell_NotifyIconW(platform::NIM_ADD, record, *unicodeTip)
                      : api.Shell_NotifyIconA(platform::NIM_ADD, record);
}

namespace {

// One call of the shell with the record it carries, and a hold on its picture; the tries and the
// removal share it.
struct ShellStep {
    platform::WindowsApi* api;
    platform::NotifyIconData89 record;
    std::optional<std::string> unicodeTip;
    std::shared_ptr<const void> icon;
    bool remove;
    bool operator()() const {
        return remove ? api->Shell_NotifyIconA(platform::NIM_DELETE, record) : PutTrayIconUp(*api, record, unicodeTip);
    }
};

}  // namespace

void TrayIcon::TakeDown(bool forLogoff) {
    ShellStep removal{&api_, Record, std::nullopt, nullptr, true};
    if (!forLogoff) {
        // Module1's own record, as fresh as at exit; the shell reads only its window and id.
        std::memset(&removal.record, 0, sizeof removal.record);
        removal.record.cbSize = sizeof(removal.record);
        removal.record.hWnd = HandleBits(ui_.WindowHandle());
        removal.record.uID = kTrayIconId;
        removal.record.uFlags = platform::NIF_MESSAGE | platform::NIF_TIP;
        removal.record.uCallbackMessage = 11;
        removal.record.hIcon = HandleBits(ui_.IconHandle());
    }
    ui_.StopTraySteps(std::move(removal));
}

void TrayIcon::Refresh(const std::string& tip) {
    iconHold_ = ui_.HoldIcon();
    FillTrayData(Record, HandleBits(ui_.WindowHandle()), HandleBits(ui_.IconHandle()),
                 TrayTipBytes(tip, [this](std::string_view text) { return api_.ToAnsi(text); }));
    tip_ = tip;
    retry_.Restart();
    Try(0);
    removedForLogoff_ = false;
    // Touching the menu brings the hidden menu form into being. Without one now (no menu handle
    // to be had), the refresh is still whole: the menu is made when it is first opened.
    try {
        ui_.SetMenuVisible(platform::MenuItem::mnuTray, false);
    } catch (const std::runtime_error&) {
    }
}

// Every try hands the shell Record as the last refresh filled it, the picture and tip the tray is
// to show until the next refresh, and holds that picture until it has ended.
void TrayIcon::Try(std::uint32_t delayMs) {
    // A code page without Japanese (1252 on a Western Windows) would show the tip as question
    // marks; only then does the icon go up through the Unicode call.
    std::optional<std::string> unicodeTip;
    if (api_.FromAnsi(api_.ToAnsi(tip_)) != tip_) unicodeTip = tip_;
    ui_.RunTrayStep(
        delayMs,
        ShellStep{&api_, Record, std::move(unicodeTip), iconHold_, false},
        [this](bool up) {
            if (!up) Try(retry_.NextGap());
        });
}

void TrayIcon::OnMouse(float xTwips) {
    switch (DecodeTrayEvent(xTwips, ui_.TwipsPerPixelX())) {
    case platform::WM_LBUTTONDBLCLK: ui_.Show(); break;
    case platform::WM_RBUTTONUP:
        api_.SetForegroundWindow(ui_.WindowHandle());
        ui_.DoEvents();
        ui_.PopupTrayMenu();
        break;
    default: break;
    }
}

}  // namespace velt
