#include "desktop/Mpris.h"

#include "base/Version.h"
#include "desktop/MprisPlayer.h"
#include "desktop/MprisRoot.h"

#include <QCoreApplication>
#include <QDBusMessage>

namespace chimebox::desktop {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");

} // namespace

Mpris::Mpris(playback::PlaybackSession &session, QObject *parent) : QObject(parent)
{
    new MprisRoot(*this);
    new MprisPlayer(*this, session);
}

QString Mpris::attach(QDBusConnection bus)
{
    if (!bus.isConnected() ||
        !bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors))
        return {};
    bus_ = bus;
    // Two copies run only on two settings folders; each needs a name of its own.
    const QString name = QStringLiteral("org.mpris.MediaPlayer2.") + version::name();
    const QString instance =
        name + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid());
    for (const QString &candidate : {name, instance}) {
        if (bus_->registerService(candidate))
            return candidate;
    }
    return {};
}

void Mpris::propertiesChanged(const QString &interface, const QVariantMap &changed) const
{
    if (!bus_)
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    bus_->send(signal);
}

} // namespace chimebox::desktop
