#include "core/window/WindowWidth.h"

namespace chimebox::window {

void keepOnScreen(WindowGeometry &window)
{
    const float limit = static_cast<float>(double(window.screenWidth()) - double(window.width()));
    if (limit < window.left())
        window.setLeft(window.screenWidth() - window.width());
}

void placeAtStart(WindowGeometry &window)
{
    constexpr float kGapAboveScreenBottom = 650.0f;
    window.setWidth(kNarrowWidth);
    window.setLeft(window.screenWidth() - window.width());
    window.setTop(window.screenHeight() - window.height() - kGapAboveScreenBottom);
}

void widenOrAddFavourite(WindowGeometry &window, const std::function<void()> &addCurrentFolder)
{
    if (window.width() == kWideWidth)
        addCurrentFolder();
    if (window.width() == kNarrowWidth)
        window.setWidth(kWideWidth);
    keepOnScreen(window);
}

void narrow(WindowGeometry &window)
{
    window.setWidth(kNarrowWidth);
    window.setLeft(window.left() + kNarrowingShift);
    keepOnScreen(window);
}

} // namespace chimebox::window
