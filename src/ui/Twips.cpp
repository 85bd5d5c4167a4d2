#include "ui/Twips.h"

#include <cmath>

namespace velt::ui {

namespace {

// a / b rounded to the nearest integer, halves away from zero; b > 0.
long long DivideRounded(long long a, long long b) noexcept {
    return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b);
}

}  // namespace

int TwipsToPixels(int twips, int dpi) noexcept {
    return static_cast<int>(DivideRounded(static_cast<long long>(twips) * dpi, kTwipsPerInch));
}

int TwipsPerPixel(int dpi) noexcept {
    if (dpi <= 0) dpi = kStandardDpi;
    return std::max(1, static_cast<int>(DivideRounded(kTwipsPerInch, dpi)));
}

int PointsToPixels(double points, int dpi) noexcept {
    return static_cast<int>(std::lround(points * dpi / 72.0));
}

PixelRect ToPixels(const TwipsRect& twips, int dpi) noexcept {
    const int left = TwipsToPixels(twips.left, dpi);
    const int top = TwipsToPixels(twips.top, dpi);
    return {left, top, TwipsToPixels(twips.right(), dpi) - left, TwipsToPixels(twips.bottom(), dpi) - top};
}

}  // namespace velt::ui
