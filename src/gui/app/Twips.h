#pragma once

#include <QRect>

// Sizes and positions are kept in twips; the screen shows 15 twips per logical
// pixel whatever its DPI setting.
namespace chimebox::app {

inline constexpr int kTwipsPerPixel = 15;

constexpr int toPixels(double twips)
{
    return int(twips >= 0 ? twips / kTwipsPerPixel + 0.5 : twips / kTwipsPerPixel - 0.5);
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

// The client area as laid out, and what the window's outer size adds to it.
inline constexpr int kClientHeight = 10170;
inline constexpr int kFrameWidth = 120;
inline constexpr int kFrameHeight = 510; // borders and title bar

} // namespace chimebox::app
