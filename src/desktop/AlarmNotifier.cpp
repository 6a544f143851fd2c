#include "desktop/AlarmNotifier.h"

#include "base/Version.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace chimebox::desktop {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kStopAction = QStringLiteral("stop");
const QString kSnoozeAction = QStringLiteral("snooze");

QDBusMessage call(const QString &method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kService, method);
}

enum Urgency : uchar { Normal = 1, Critical = 2 };

} // namespace

AlarmNotifier::AlarmNotifier(QDBusConnection bus, QObject *parent)
    : QObject(parent), bus_(std::move(bus))
{
    if (!bus_.isConnected())
        return;
    bus_.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                 SLOT(actionInvoked(uint, QString)));
    bus_.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                 SLOT(notificationClosed(uint, uint)));
}

void AlarmNotifier::show(const playback::AlarmNotice &notice)
{
    if (!bus_.isConnected())
        return;
    waiting_ = notice;
    if (markup_)
        send();
    else
        askCapabilities();
}

void AlarmNotifier::askCapabilities()
{
    if (std::exchange(askedCapabilities_, true))
        return;
    auto *watcher =
        new QDBusPendingCallWatcher(bus_.asyncCall(call(QStringLiteral("GetCapabilities"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *answer) {
                answer->deleteLater();
                const QDBusPendingReply<QStringList> reply = *answer;
                // No server answers with an error: notices then go nowhere.
                markup_ = !reply.isError() && reply.value().contains(QStringLiteral("body-markup"));
                if (waiting_)
                    send();
            });
}

void AlarmNotifier::send()
{
    const playback::AlarmNotice notice = *std::exchange(waiting_, std::nullopt);
    ringing_ = notice.ringing;
    closeOnAnswer_ = false;
    const QString id = version::applicationId();
    const QStringList actions =
        notice.ringing
            ? QStringList{kStopAction, QStringLiteral("停止"), kSnoozeAction,
                          QStringLiteral("スヌーズ（%1 分）").arg(playback::kSnoozeMinutes)}
            : QStringList();
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), id},
        {QStringLiteral("urgency"),
         QVariant::fromValue(uchar(notice.ringing ? Urgency::Critical : Urgency::Normal))}};
    // A ringing notice stays until the sound stops; the others as the server likes.
    const int timeout = notice.ringing ? 0 : -1;
    QDBusMessage message = call(QStringLiteral("Notify"));
    message << version::name() << id_ << id << notice.summary
            << (*markup_ ? notice.body.toHtmlEscaped() : notice.body) << actions << hints
            << timeout;
    ++unanswered_;
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *answer) {
                answer->deleteLater();
                --unanswered_;
                const QDBusPendingReply<uint> reply = *answer;
                if (reply.isError())
                    return;
                id_ = reply.value();
                if (unanswered_ == 0 && std::exchange(closeOnAnswer_, false))
                    close();
            });
}

void AlarmNotifier::withdraw()
{
    if (waiting_ && waiting_->ringing)
        waiting_.reset();
    if (!std::exchange(ringing_, false))
        return;
    // Stopped before the server said which notice it showed.
    if (unanswered_ > 0)
        closeOnAnswer_ = true;
    else
        close();
}

void AlarmNotifier::close()
{
    if (id_ == 0)
        return;
    QDBusMessage message = call(QStringLiteral("CloseNotification"));
    message << std::exchange(id_, 0u);
    bus_.asyncCall(message);
}

void AlarmNotifier::actionInvoked(uint id, const QString &key)
{
    if (id == 0 || id != id_)
        return;
    if (key == kStopAction)
        Q_EMIT stopRequested();
    else if (key == kSnoozeAction)
        Q_EMIT snoozeRequested();
}

void AlarmNotifier::notificationClosed(uint id, uint)
{
    if (id != 0 && id == id_) {
        id_ = 0;
        ringing_ = false;
    }
}

} // namespace chimebox::desktop
