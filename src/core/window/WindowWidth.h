#pragma once

#include <functional>

// The window's two widths and the rules of the buttons that switch between them.
// Widths and positions are single-precision twips, compared exactly: a width
// that is neither of the two makes "＞" do nothing but keep the window on screen.
namespace chimebox::window {

inline constexpr float kNarrowWidth = 7305.0f;
inline constexpr float kWideWidth = 13575.0f;
inline constexpr float kNarrowingShift = kWideWidth - kNarrowWidth;

class WindowGeometry
{
public:
    virtual ~WindowGeometry() = default;
    virtual float width() const = 0;
    virtual void setWidth(float twips) = 0;
    virtual float left() const = 0;
    virtual void setLeft(float twips) = 0;
    virtual float screenWidth() const = 0;
    virtual float height() const = 0;
    virtual void setTop(float twips) = 0;
    virtual float screenHeight() const = 0;
};

// Start-up's place for the window: narrow, its right edge on the screen's right
// edge and its bottom edge 650 twips above the screen's bottom edge.
void placeAtStart(WindowGeometry &window);

// Pulls the window left when its right edge passes the screen's right edge.
// Only the right edge is guarded: on a narrow screen Left may become negative.
void keepOnScreen(WindowGeometry &window);

// "＞": a wide window adds the current folder, a narrow one widens to the right.
void widenOrAddFavourite(WindowGeometry &window, const std::function<void()> &addCurrentFolder);

// "）（": narrow, keeping the right edge where a wide window had it.
void narrow(WindowGeometry &window);

} // namespace chimebox::window
