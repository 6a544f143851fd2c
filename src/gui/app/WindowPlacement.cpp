#include "gui/app/WindowPlacement.h"

#include "gui/app/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace chimebox::app {

namespace {

constexpr int kHeight = kClientHeight + kFrameHeight;

} // namespace

WindowPlacement::WindowPlacement(QWidget &window, std::function<QSizeF()> screenTwips)
    : window_(window), screenTwips_(std::move(screenTwips))
{
    setWidth(width_);
}

void WindowPlacement::setWidth(float twips)
{
    width_ = twips;
    window_.setFixedSize(qMax(toPixels(twips - kFrameWidth), 1), toPixels(kClientHeight));
}

void WindowPlacement::setLeft(float twips)
{
    left_ = twips;
    placedAt_ = QPoint(toPixels(left_), toPixels(top_));
    window_.move(placedAt_);
}

void WindowPlacement::setTop(float twips)
{
    top_ = twips;
    placedAt_ = QPoint(toPixels(left_), toPixels(top_));
    window_.move(placedAt_);
}

float WindowPlacement::height() const
{
    return float(kHeight);
}

window::Geometry WindowPlacement::geometry() const
{
    const QSizeF screen = screenSize();
    return {width_, left_, height(), float(screen.width()), float(screen.height())};
}

void WindowPlacement::apply(const window::Move &move)
{
    if (move.width)
        setWidth(*move.width);
    if (move.left)
        setLeft(*move.left);
    if (move.top)
        setTop(*move.top);
}

void WindowPlacement::moved()
{
    if (window_.pos() != placedAt_) {
        placedAt_ = window_.pos();
        left_ = float(placedAt_.x() * kTwipsPerPixel);
        top_ = float(placedAt_.y() * kTwipsPerPixel);
    }
}

QSizeF WindowPlacement::screenSize() const
{
    if (screenTwips_)
        return screenTwips_();
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize px = screen ? screen->geometry().size() : QSize(1024, 768);
    return QSizeF(px) * kTwipsPerPixel;
}

} // namespace chimebox::app
