#include "support/Files.h"
#include "support/ProgramRig.h"
#include "support/TestMain.h"

#include <QTest>

// The real program and its display: none at all is one line and status 1;
// losing it on the way saves the favourites and the last folder like a close.
class TestDisplay : public QObject
{
    Q_OBJECT

    // Both files come back in the form the program writes: the folder
    // cleaned, the favourites one a line and then an empty line.
    static QString putSettingsThatASaveRewrites(const ProgramRig &rig)
    {
        QString folder = rig.dir.filePath(QStringLiteral("音楽"));
        testfiles::makeFolder(folder);
        rig.put("chimebox.ini", folder.toUtf8() + "/.\r\n");
        rig.put("chimeboxfl.ini", "/x\r\n\r\n" + folder.toUtf8() + "\r\n");
        rig.markStartUp();
        return folder;
    }

private Q_SLOTS:
    void noDisplayIsOneLineAndStatusOne_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("platform");
        QTest::newRow("no DISPLAY") << QString() << QString();
        QTest::newRow("no DISPLAY, xcb asked for") << QString() << QStringLiteral("xcb");
        // No server listens on that number.
        QTest::newRow("DISPLAY without a server") << QStringLiteral(":65000") << QString();
    }

    void noDisplayIsOneLineAndStatusOne()
    {
        QFETCH(QString, display);
        QFETCH(QString, platform);
        ProgramRig rig;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        if (!platform.isEmpty())
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);

        const auto process = rig.start(environment);
        QVERIFY(process->waitForFinished(20000));
        const QByteArray errors = process->readAllStandardError();
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 1);
        const QString expected =
            QStringLiteral("chimebox: 画面（ディスプレイ）に接続できません（%1）\n")
                .arg(display.isEmpty() ? QStringLiteral("DISPLAY が未設定")
                                       : QStringLiteral("DISPLAY=") + display);
        QCOMPARE(QString::fromUtf8(errors), expected);
        QCOMPARE(process->readAllStandardOutput(), QByteArray());
        // It ended before anything of its own began.
        QCOMPARE(rig.files(), QStringList{QStringLiteral("chimebox")});
    }

    void losingTheDisplaySavesLikeAClose()
    {
        XServer server;
        if (!server.start())
            QSKIP("Xvfb is not installed");
        ProgramRig rig;
        const QString folder = putSettingsThatASaveRewrites(rig);
        const auto process = rig.start(server.environment());
        QVERIFY(rig.waitForStartUp());

        server.stop();
        QVERIFY(process->waitForFinished(20000));
        const QByteArray errors = process->readAllStandardError();
        QVERIFY2(process->exitStatus() == QProcess::NormalExit && process->exitCode() == 1,
                 errors.constData());
        QCOMPARE(rig.bytes("chimebox.ini"), folder.toUtf8() + "\r\n");
        QCOMPARE(rig.bytes("chimeboxfl.ini"), "/x\r\n" + folder.toUtf8() + "\r\n\r\n");
    }

    // No box can be shown without the display: a failed write is one line on
    // standard error, and the other file is still written.
    void aFailedSaveWithoutTheDisplayGoesToStandardError()
    {
        XServer server;
        if (!server.start())
            QSKIP("Xvfb is not installed");
        ProgramRig rig;
        const QString folder = putSettingsThatASaveRewrites(rig);
        QVERIFY(QFile::setPermissions(rig.path("chimeboxfl.ini"), QFileDevice::ReadOwner));
        const auto process = rig.start(server.environment());
        QVERIFY(rig.waitForStartUp());

        server.stop();
        QVERIFY(process->waitForFinished(20000));
        const QByteArray errors = process->readAllStandardError();
        QVERIFY2(process->exitStatus() == QProcess::NormalExit && process->exitCode() == 1,
                 errors.constData());
        QCOMPARE(rig.bytes("chimebox.ini"), folder.toUtf8() + "\r\n");
        QCOMPARE(rig.bytes("chimeboxfl.ini"), "/x\r\n\r\n" + folder.toUtf8() + "\r\n");
        // The favourites' failure as its box would have said it, on a line.
        const QByteArray line =
            QStringLiteral("chimebox: 読み取り専用のため書き込めません: ").toUtf8() +
            rig.path("chimeboxfl.ini").toUtf8() + '\n';
        QVERIFY2(errors.contains(line), errors.constData());
    }
};

CHIMEBOX_TEST_MAIN(TestDisplay)
#include "test_display.moc"
