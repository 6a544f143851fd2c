#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace chimebox::playback {
class PlaybackSession;
}
namespace chimebox::desktop {
class Mpris;
}

namespace chimebox::app {

class Form1;

// Ties the program to the desktop's session bus: the player for sound menus
// and media keys, and the alarm's notifications. What they ask of playback
// goes to the playback session; raising and closing, to the window.
class DesktopLink : public QObject
{
    Q_OBJECT

public:
    DesktopLink(Form1 &form, playback::PlaybackSession &session, QObject *parent = nullptr);

    // Returns the player's name on the bus; empty without a bus, or once
    // joined already.
    QString join(const QDBusConnection &bus);
    void joinSessionBus();

private:
    void raise();

    Form1 &form_;
    playback::PlaybackSession &session_;
    desktop::Mpris *mpris_ = nullptr;
};

} // namespace chimebox::app
