#include "support/PrivateBus.h"
#include "support/ProgramRig.h"
#include "support/SendSignal.h"
#include "support/TestMain.h"

#include <QTest>

namespace {

// A Wayland compositor of its own, with no screen: weston's headless backend,
// in a runtime folder of its own. Empty when weston is not installed.
struct Weston
{
    QTemporaryDir runtime;
    QProcess process;
    const QString socket = QStringLiteral("wayland-chimebox");

    bool start()
    {
        const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
        if (weston.isEmpty() || !QFile::setPermissions(runtime.path(), readonlyfolder::kWritable))
            return false;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        process.setProcessEnvironment(environment);
        process.start(weston, {QStringLiteral("--backend=headless-backend.so"),
                               QStringLiteral("--socket=") + socket, QStringLiteral("--no-config"),
                               QStringLiteral("--idle-time=0")});
        return process.waitForStarted() &&
               QTest::qWaitFor([this] { return QFile::exists(runtime.filePath(socket)); }, 10000);
    }

    ~Weston()
    {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
    }
};

} // namespace

// Which platform the real program runs on under a Wayland desktop: X11 through
// XWayland when an X server answers, Wayland when none does, and whatever the
// user named in QT_QPA_PLATFORM. Told by the platform plugin it loaded. And
// what Qt's theme brings along.
class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void xWhereverAnXServerAnswers_data()
    {
        QTest::addColumn<bool>("xServer");
        QTest::addColumn<QString>("display"); // when there is no X server
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("plugin");
        const QString x = QStringLiteral("libqxcb.so");
        const QString wayland = QStringLiteral("libqwayland-");
        QTest::newRow("XWayland beside Wayland") << true << QString() << QString() << x;
        QTest::newRow("Wayland alone") << false << QString() << QString() << wayland;
        QTest::newRow("Wayland, DISPLAY names no server")
            << false << QStringLiteral(":65000") << QString() << wayland;
        QTest::newRow("Wayland named by the user")
            << true << QString() << QStringLiteral("wayland") << wayland;
    }

    void xWhereverAnXServerAnswers()
    {
        QFETCH(bool, xServer);
        QFETCH(QString, display);
        QFETCH(QString, chosen);
        QFETCH(QString, plugin);
        Weston weston;
        if (!weston.start())
            QSKIP("weston (with its headless backend) is needed");
        XServer server;
        if (xServer && !server.start())
            QSKIP("Xvfb is needed");

        // As a GNOME or KDE session on Wayland sets it.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), weston.runtime.path());
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), weston.socket);
        environment.insert(QStringLiteral("DISPLAY"), xServer ? server.display : display);
        if (!chosen.isEmpty())
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), chosen);

        ProgramRig rig;
        rig.markStartUp();
        const auto process = rig.start(environment);
        const bool started = rig.waitForStartUp();
        QFile maps(QStringLiteral("/proc/%1/maps").arg(process->processId()));
        const QByteArray mapped = maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
        testprocess::sendSignal(*process, SIGTERM);
        process->waitForFinished(20000);
        QVERIFY2(started, process->readAllStandardError().constData());
        QVERIFY2(mapped.contains("/platforms/" + plugin.toLatin1()), mapped.constData());
    }

    // On GNOME, Xfce and the like Qt's theme loads GTK, whose accessibility
    // bridge would start the desktop's accessibility bus, and wait for it,
    // before the window could show. Told by one that marks its start.
    void gtkStartsNoAccessibilityBus()
    {
        XServer server;
        QTemporaryDir services;
        PrivateBus bus;
        const QString touch = QStandardPaths::findExecutable(QStringLiteral("touch"));
        if (!server.start() || !bus.start(services.path()) || touch.isEmpty())
            QSKIP("Xvfb and dbus-daemon are needed");
        const QString started = services.filePath(QStringLiteral("started"));
        QFile service(services.filePath(QStringLiteral("org.a11y.Bus.service")));
        QVERIFY(service.open(QIODevice::WriteOnly));
        service.write(QStringLiteral("[D-BUS Service]\nName=org.a11y.Bus\nExec=%1 %2\n")
                          .arg(touch, started)
                          .toUtf8());
        service.close();

        QProcessEnvironment environment = server.environment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address);
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
        for (const char *name : {"QT_QPA_PLATFORMTHEME", "NO_AT_BRIDGE", "AT_SPI_BUS_ADDRESS"})
            environment.remove(QString::fromLatin1(name));
        ProgramRig rig;
        rig.markStartUp();
        const auto process = rig.start(environment);
        const bool startedUp = rig.waitForStartUp();
        QFile maps(QStringLiteral("/proc/%1/maps").arg(process->processId()));
        const QByteArray mapped = maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
        testprocess::sendSignal(*process, SIGTERM);
        process->waitForFinished(20000);
        QVERIFY2(startedUp, process->readAllStandardError().constData());
        if (!mapped.contains("libgtk-3"))
            QSKIP("Qt's GTK theme is not installed (qt6-gtk-platformtheme)");
        QVERIFY(!QFile::exists(started));
    }
};

CHIMEBOX_TEST_MAIN(TestPlatform)
#include "test_platform.moc"
