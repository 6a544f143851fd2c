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
// user named in QT_QPA_PLATFORM. Told by the platform plugin it loaded.
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
};

CHIMEBOX_TEST_MAIN(TestPlatform)
#include "test_platform.moc"
