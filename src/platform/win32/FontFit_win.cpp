#include "platform/win32/FontFit_win.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/win32/Text_win.h"

namespace velt::platform::win32 {

namespace {

bool IsBlank(wchar_t c) noexcept { return c == L' ' || c == L'\u3000'; }

// Trailing blanks pad a line; they may run past the edge without cutting anything.
std::wstring_view WithoutTrailingBlanks(std::wstring_view line) noexcept {
    while (!line.empty() && IsBlank(line.back()))
        line.remove_suffix(1);
    return line;
}

bool LineFits(HDC dc, std::wstring_view line, int width) {
    line = WithoutTrailingBlanks(line);
    if (line.empty()) return true;
    SIZE extent{};
    if (!::GetTextExtentPoint32W(dc, line.data(), static_cast<int>(line.size()), &extent)) return false;
    return extent.cx <= width;
}

}  // namespace

std::wstring ShownText(std::string_view caption, bool accessKeys) {
    std::wstring wide = Utf8ToWide(caption);
    if (!accessKeys) return wide;
    std::wstring shown;
    shown.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'&' && i + 1 < wide.size()) ++i;
        shown.push_back(wide[i]);
    }
    return shown;
}

int ScaledFontHeight(int heightAt96, UINT dpi) noexcept {
    return static_cast<int>(std::floor(static_cast<double>(heightAt96) * dpi / 96.0));
}

bool Fits(HDC dc, const TextRoom& room) {
    TEXTMETRICW metrics{};
    if (!::GetTextMetricsW(dc, &metrics)) return false;
    switch (room.shape) {
    case TextRoom::Shape::OneLine:
        return metrics.tmHeight <= room.height && LineFits(dc, room.text, room.width);
    case TextRoom::Shape::Lines: {
        int lines = 0;
        std::wstring_view rest = room.text;
        for (;;) {
            const std::size_t end = rest.find(L'\n');
            if (!LineFits(dc, rest.substr(0, end), room.width)) return false;
            ++lines;
            if (end == std::wstring_view::npos) break;
            rest.remove_prefix(end + 1);
        }
        return lines * metrics.tmHeight <= room.height;
    }
    case TextRoom::Shape::Wrapped: {
        RECT box{0, 0, room.width, 0};
        ::DrawTextW(dc, room.text.c_str(), static_cast<int>(room.text.size()), &box,
                    DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
        return box.bottom <= room.height && box.right <= room.width;
    }
    }
    return false;
}

UniqueFont FitFont(LOGFONTW face, int ceiling, std::span<const TextRoom> rooms) {
    UniqueDc dc(::CreateCompatibleDC(nullptr));
    const int floorHeight = std::max(1, (ceiling * 2 + 2) / 3);
    UniqueFont font;
    for (int height = std::max(ceiling, 1); height >= floorHeight; --height) {
        face.lfHeight = -height;
        font.reset(::CreateFontIndirectW(&face));
        if (!font) break;
        if (!dc) return font;
        SelectScope selected(dc.get(), font.get());
        if (std::all_of(rooms.begin(), rooms.end(), [&](const TextRoom& r) { return Fits(dc.get(), r); }))
            break;
    }
    if (!font) throw std::runtime_error("cannot make the dialog font");
    return font;
}

}  // namespace velt::platform::win32
