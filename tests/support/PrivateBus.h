#pragma once

#include "support/Files.h"

#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

// A session bus of the test's own: a dbus-daemon on a socket in a temporary
// folder, with no services to start but those of the folder a test may name,
// so nothing of the user's session is reached or needed. Connections are made
// by name and dropped at the end.
struct PrivateBus
{
    QTemporaryDir dir;
    QProcess daemon;
    QString address;
    QStringList names;

    // False when dbus-daemon is missing or did not come up.
    bool start(const QString &services = {})
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (program.isEmpty() || !dir.isValid())
            return false;
        const QString config = dir.filePath(QStringLiteral("bus.conf"));
        testfiles::writeFile(
            config,
            QStringLiteral(
                R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=%1</listen>
  %2
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
                .arg(dir.filePath(QStringLiteral("socket")),
                     services.isEmpty()
                         ? QString()
                         : QStringLiteral("<servicedir>%1</servicedir>").arg(services))
                .toUtf8());
        if (QTest::currentTestFailed())
            return false;
        daemon.start(program, {QStringLiteral("--config-file=") + config,
                               QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!daemon.waitForStarted())
            return false;
        QByteArray line;
        while (!line.endsWith('\n') && daemon.waitForReadyRead(10000))
            line += daemon.readAllStandardOutput();
        address = QString::fromUtf8(line.trimmed());
        return !address.isEmpty();
    }

    QDBusConnection connect(const QString &name)
    {
        names.append(name);
        return QDBusConnection::connectToBus(address, name);
    }

    ~PrivateBus()
    {
        for (const QString &name : names)
            QDBusConnection::disconnectFromBus(name);
        daemon.terminate();
        daemon.waitForFinished();
    }
};
