#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace chimebox::playback {
class Transport;
}
namespace chimebox::desktop {
class Mpris;
}

namespace chimebox::app {

class Form1;

// Ties the window to the desktop's session bus: the player for sound menus
// and media keys, and the alarm's notifications. What they ask of the window
// is done by its own handlers.
class DesktopLink : public QObject
{
    Q_OBJECT

public:
    DesktopLink(Form1 &form, playback::Transport &player, QObject *parent = nullptr);

    // Returns the player's name on the bus; empty without a bus, or once
    // joined already.
    QString join(QDBusConnection bus);
    void joinSessionBus();

private:
    void raise();

    Form1 &form_;
    playback::Transport &player_;
    desktop::Mpris *mpris_ = nullptr;
};

} // namespace chimebox::app
