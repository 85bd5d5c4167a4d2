// Dialog fonts chosen for the layout: a font grows with the DPI no faster than the boxes it
// sits in, and steps down a pixel wherever a text would otherwise be cut.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>

#include "platform/win32/ScopedWin.h"

namespace velt::platform::win32 {

// A text and the room a control gives it, in pixels.
struct TextRoom {
    enum class Shape { OneLine, Wrapped, Lines };
    std::wstring text;  // as drawn: no access-key ampersands
    int width = 0;
    int height = 0;
    Shape shape = Shape::OneLine;  // Lines: '\n' ends each line, drawn one under another
};

// A caption as the control draws it: "&&" is one ampersand, a lone "&" marks the access key.
std::wstring ShownText(std::string_view caption, bool accessKeys);

// The character height at `dpi` of one that is `heightAt96` pixels at 96 DPI, rounded down so
// that it never grows faster than the boxes.
int ScaledFontHeight(int heightAt96, UINT dpi) noexcept;

// Whether `room.text` fits its room in the font selected into `dc`.
bool Fits(HDC dc, const TextRoom& room);

// `face` with a character height of `ceiling` pixels, or smaller, a pixel at a time, until every
// room fits (never below two thirds of `ceiling`).
UniqueFont FitFont(LOGFONTW face, int ceiling, std::span<const TextRoom> rooms);

}  // namespace velt::platform::win32
