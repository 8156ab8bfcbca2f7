#pragma once
// Twips (1/1440 inch) against pixels at a given DPI: 15 twips a pixel at 96.

#include <cmath>

namespace quorvane::win32 {

inline constexpr int DefaultDpi = 96;

inline int twipsToPixels(float twips, unsigned dpi) {
    return static_cast<int>(std::lround(twips * static_cast<float>(dpi) / 1440.0f));
}

inline float pixelsToTwips(int pixels, unsigned dpi) {
    return static_cast<float>(pixels) * 1440.0f / static_cast<float>(dpi);
}

// A font height in pixels for a point size (negative: character height).
inline int fontHeightForPoints(double points, unsigned dpi) {
    return -static_cast<int>(std::lround(points * dpi / 72.0));
}

} // namespace quorvane::win32
