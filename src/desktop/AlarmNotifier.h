#pragma once

#include "core/playback/AlarmNotice.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <optional>

namespace chimebox::desktop {

// Shows the alarm's notices through the desktop's notification server. Every
// call is asynchronous; without a server, or a bus, nothing is shown and
// nothing fails.
class AlarmNotifier : public QObject
{
    Q_OBJECT

public:
    explicit AlarmNotifier(QDBusConnection bus, QObject *parent = nullptr);

    // Replaces the notice shown before, if any.
    void show(const playback::AlarmNotice &notice);
    // Playback stopped: a ringing notice is taken away; the others stay.
    void withdraw();

Q_SIGNALS:
    // The ringing notice's "停止" was chosen.
    void stopRequested();
    // ... or its snooze.
    void snoozeRequested();

private Q_SLOTS:
    void actionInvoked(uint id, const QString &key);
    void notificationClosed(uint id, uint reason);

private:
    void askCapabilities();
    void send();
    void close();

    QDBusConnection bus_;
    bool askedCapabilities_ = false;
    // Unknown until the server answers: the first notice waits for it.
    std::optional<bool> markup_;
    std::optional<playback::AlarmNotice> waiting_;
    // The server's id of the notice shown, once it has answered.
    uint id_ = 0;
    int unanswered_ = 0;
    bool ringing_ = false;
    bool closeOnAnswer_ = false;
};

} // namespace chimebox::desktop
