#include "core/window/WindowWidth.h"

namespace chimebox::window {

namespace {

// The move with the window kept on screen at its new width and left edge.
Move keptOnScreen(Geometry window, Move move)
{
    window.width = move.width.value_or(window.width);
    window.left = move.left.value_or(window.left);
    if (const std::optional<float> left = keepOnScreen(window))
        move.left = left;
    return move;
}

} // namespace

std::optional<float> keepOnScreen(const Geometry &window)
{
    const float limit = static_cast<float>(double(window.screenWidth) - double(window.width));
    if (limit < window.left)
        return window.screenWidth - window.width;
    return std::nullopt;
}

Move placeAtStart(const Geometry &window)
{
    constexpr float kGapAboveScreenBottom = 650.0f;
    return {kNarrowWidth, window.screenWidth - kNarrowWidth,
            window.screenHeight - window.height - kGapAboveScreenBottom};
}

Widening widenOrAddFavourite(const Geometry &window)
{
    Widening widening;
    widening.addFavourite = window.width == kWideWidth;
    if (window.width == kNarrowWidth)
        widening.move.width = kWideWidth;
    widening.move = keptOnScreen(window, widening.move);
    return widening;
}

Move narrow(const Geometry &window)
{
    return keptOnScreen(window, {kNarrowWidth, window.left + kNarrowingShift, std::nullopt});
}

} // namespace chimebox::window
