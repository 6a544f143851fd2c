#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <optional>

namespace chimebox::playback {
class PlaybackSession;
}

namespace chimebox::desktop {

// The player on the session bus, where the desktop's sound menu, lock screen
// and media keys find it (MPRIS 2). What they ask of the player goes to the
// playback session; what only the window can do, it asks for through its
// signals.
class Mpris : public QObject
{
    Q_OBJECT

public:
    explicit Mpris(playback::PlaybackSession &session, QObject *parent = nullptr);

    // Puts the object on the bus under the player's well-known name or, when
    // another copy (on other settings) holds that, under this process's own.
    // Returns the name taken; empty when none could be.
    QString attach(QDBusConnection bus);

    // Tells the bus, once attached, that properties of an interface changed.
    void propertiesChanged(const QString &interface, const QVariantMap &changed) const;

Q_SIGNALS:
    void raiseRequested();
    // As the window's close, with its save.
    void quitRequested();

private:
    std::optional<QDBusConnection> bus_;
};

} // namespace chimebox::desktop
