#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QTest>
#include <QVariantList>
#include <QVariantMap>

// A client of the program's objects on a private bus. The program answers
// from this same thread, so every call waits in the event loop, never
// blocking it.
struct BusClient
{
    QDBusConnection bus;
    QString service;
    QString path;

    QDBusMessage call(const QString &interface, const QString &method,
                      const QVariantList &arguments = {}) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = bus.asyncCall(message);
        // An invalid message when no answer came.
        if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 10000))
            return {};
        return pending.reply();
    }

    // A map sent as a{sv} arrives as a QDBusArgument until it is read as one.
    static QVariant plain(const QVariant &value)
    {
        if (value.userType() == qMetaTypeId<QDBusArgument>())
            return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
        return value;
    }

    QVariant property(const QString &interface, const QString &name) const
    {
        const QDBusMessage reply = call(QStringLiteral("org.freedesktop.DBus.Properties"),
                                        QStringLiteral("Get"), {interface, name});
        if (reply.type() != QDBusMessage::ReplyMessage)
            return {};
        return plain(reply.arguments().value(0).value<QDBusVariant>().variant());
    }

    bool setProperty(const QString &interface, const QString &name, const QVariant &value) const
    {
        return call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                    {interface, name, QVariant::fromValue(QDBusVariant(value))})
                   .type() == QDBusMessage::ReplyMessage;
    }
};
