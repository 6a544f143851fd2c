#pragma once

#include <optional>

// The window's two widths and the rules of the buttons that switch between them.
// Widths and positions are single-precision twips, compared exactly: a width
// that is neither of the two makes "＞" do nothing but keep the window on screen.
namespace chimebox::window {

inline constexpr float kNarrowWidth = 7305.0f;
inline constexpr float kWideWidth = 13575.0f;
inline constexpr float kNarrowingShift = kWideWidth - kNarrowWidth;

// The window's outer size and left edge and the screen's size, as the rules
// read them.
struct Geometry
{
    float width = 0;
    float left = 0;
    float height = 0;
    float screenWidth = 0;
    float screenHeight = 0;
};

// What the window's width, left edge and top edge become; a part left empty
// stays as it is. The window sets them in that order.
struct Move
{
    std::optional<float> width;
    std::optional<float> left;
    std::optional<float> top;

    bool operator==(const Move &) const = default;
};

// Start-up's place for the window: narrow, its right edge on the screen's right
// edge and its bottom edge 650 twips above the screen's bottom edge.
Move placeAtStart(const Geometry &window);

// The left edge that pulls the window back when its right edge passes the
// screen's right edge; none when it does not. Only the right edge is guarded:
// on a narrow screen the left edge may become negative.
std::optional<float> keepOnScreen(const Geometry &window);

// "＞": a wide window adds the current folder to the favourites, a narrow one
// widens to the right; either way it is then kept on screen.
struct Widening
{
    bool addFavourite = false;
    Move move;
};
Widening widenOrAddFavourite(const Geometry &window);

// "）（": narrow, keeping the right edge where a wide window had it.
Move narrow(const Geometry &window);

} // namespace chimebox::window
