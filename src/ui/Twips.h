// Layout units: twips, 1440 to the inch (15 to a pixel at 96 DPI), and their conversion to the
// pixels of a window's own DPI.
#pragma once

namespace velt::ui {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kStandardDpi = 96;

// Twips to pixels at `dpi`, halves away from zero (negative positions occur: a line that starts
// left of the window).
int TwipsToPixels(int twips, int dpi) noexcept;

// The whole-number twips per pixel at `dpi`: 15 at 96, 12 at 120, 10 at 144. Mouse positions
// are reported as pixels times this factor, so dividing by it gives the pixels back exactly.
int TwipsPerPixel(int dpi) noexcept;

// Point size to a font height in pixels at `dpi` (the character height, without leading).
int PointsToPixels(double points, int dpi) noexcept;

struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
    constexpr int right() const noexcept { return left + width; }
    constexpr int bottom() const noexcept { return top + height; }
};

struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Converts the edges, not the size, so that controls that touch in twips still touch in pixels.
PixelRect ToPixels(const TwipsRect& twips, int dpi) noexcept;

}  // namespace velt::ui
