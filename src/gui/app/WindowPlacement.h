#pragma once

#include "core/window/WindowWidth.h"

#include <QPoint>
#include <QSizeF>
#include <functional>

class QWidget;

namespace chimebox::app {

// The window's outer size and place in twips, which the rules of its widths
// read and change; the widget's own are in pixels.
class WindowPlacement
{
public:
    // screenTwips gives the screen's size in twips; the primary screen's when
    // empty. The window starts at its wide size.
    WindowPlacement(QWidget &window, std::function<QSizeF()> screenTwips);

    float width() const { return width_; }
    void setWidth(float twips);
    float left() const { return left_; }
    void setLeft(float twips);
    float top() const { return top_; }
    void setTop(float twips);
    float height() const;

    // The window as the rules read it, and what they decide carried out.
    window::Geometry geometry() const;
    void apply(const window::Move &move);

    // The window has moved: when the user dragged it, its twips follow.
    void moved();

private:
    QSizeF screenSize() const;

    QWidget &window_;
    std::function<QSizeF()> screenTwips_;
    // The layout's client width and the frame.
    float width_ = 13455 + 120;
    float left_ = 0;
    float top_ = 0;
    QPoint placedAt_;
};

} // namespace chimebox::app
