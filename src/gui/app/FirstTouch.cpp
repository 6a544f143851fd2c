#include "gui/app/FirstTouch.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace chimebox::app {

FirstTouch::FirstTouch(QWidget &window, QObject *parent) : QObject(parent), window_(window) {}

void FirstTouch::watch()
{
    if (watched_)
        return;
    watched_ = window_.windowHandle();
    if (watched_)
        watched_->installEventFilter(this);
}

bool FirstTouch::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::KeyPress:
        watched->removeEventFilter(this);
        Q_EMIT touched();
        break;
    default:
        break;
    }
    return false;
}

} // namespace chimebox::app
