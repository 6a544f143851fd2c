#include "Failure.h"
#include "app/ExitSave.h"
#include "app/Startup.h"
#include "support/TestMain.h"
#include "support/Unreadable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace chimebox;
using namespace chimebox::app;
using settings::SettingsFile;
using settings::SettingsFolder;
using settings::StoredTime;

namespace {

// Records what start-up asks of the window; a call named in failOn throws,
// as a handler whose write fails would.
struct Window : RestoreTarget
{
    QStringList calls;
    QStringList failOn;

    void record(const QString &call)
    {
        calls.append(call);
        if (failOn.contains(call.section(u' ', 0, 0)))
            throw Failure(call.section(u' ', 0, 0) + QStringLiteral(" failed"));
    }
    void addFavourites(const QStringList &folders) override
    {
        record(QStringLiteral("favourites ") + folders.join(u','));
    }
    void showStopTime(const StoredTime &time) override
    {
        record(QStringLiteral("stopTime ") + time.hour + u'|' + time.minute);
    }
    void showPlayTime(const StoredTime &time) override
    {
        record(QStringLiteral("playTime ") + time.hour + u'|' + time.minute);
    }
    void tickStopTimer() override { record(QStringLiteral("stopSwitch")); }
    void tickPlayTimer() override { record(QStringLiteral("playSwitch")); }
    void openFolder(const QString &folder) override { record(QStringLiteral("open ") + folder); }
    void fillPickers(const QStringList &hours, const QStringList &minutes) override
    {
        record(QStringLiteral("pickers %1 %2").arg(hours.size()).arg(minutes.size()));
    }
};

} // namespace

Q_DECLARE_METATYPE(SettingsFile)

class TestRestore : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QTemporaryDir music;
    SettingsFolder folder{dir.path()};

    void put(SettingsFile file, const QByteArray &bytes) const
    {
        QFile f(folder.path(file));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray bytes(SettingsFile file) const
    {
        QFile f(folder.path(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void putEverything() const
    {
        put(SettingsFile::Favourites, "/a\r\n/b\r\n\r\n");
        put(SettingsFile::StopTime, "0730\r\n");
        put(SettingsFile::PlayTime, "0645\r\n");
        put(SettingsFile::StopMarker, "\r\n");
        put(SettingsFile::PlayMarker, "\r\n");
        put(SettingsFile::LastFolder, music.path().toUtf8() + "\r\n");
    }

private Q_SLOTS:
    void init()
    {
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files))
            QFile::remove(dir.filePath(name));
    }

    void everyStepInItsOrder()
    {
        putEverything();
        Window window;
        const RestoreResult result = restoreSettings(folder, window);
        QCOMPARE(window.calls,
                 (QStringList{"favourites /a,/b", "stopTime 07|30", "playTime 06|45", "stopSwitch",
                              "playSwitch", "open " + music.path(), "pickers 24 6"}));
        QVERIFY(result.failures.isEmpty());
        QVERIFY(result.notRestored.isEmpty());
    }

    void aFirstRunFillsThePickersAlone()
    {
        Window window;
        QCOMPARE(restoreSettings(folder, window).failures, QStringList());
        QCOMPARE(window.calls, QStringList{"pickers 24 6"});
        QCOMPARE(hourItems().first(), QStringLiteral("00"));
        QCOMPARE(hourItems().last(), QStringLiteral("23"));
        QCOMPARE(minuteItems(), (QStringList{"00", "10", "20", "30", "40", "50"}));
    }

    void aFailingStepStandsAlone_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("named");
        QTest::addColumn<SettingsFile>("file");
        QTest::newRow("favourites") << "favourites"
                                    << "お気に入り" << SettingsFile::Favourites;
        QTest::newRow("stop time") << "stopTime"
                                   << "停止タイマの時刻" << SettingsFile::StopTime;
        QTest::newRow("stop switch") << "stopSwitch"
                                     << "停止タイマ" << SettingsFile::StopMarker;
        QTest::newRow("last folder") << "open"
                                     << "前回のフォルダ" << SettingsFile::LastFolder;
    }
    void aFailingStepStandsAlone()
    {
        QFETCH(QString, failing);
        QFETCH(QString, named);
        QFETCH(SettingsFile, file);
        putEverything();
        Window window;
        window.failOn = {failing};
        const RestoreResult result = restoreSettings(folder, window);
        QCOMPARE(window.calls.size(), 7);
        QCOMPARE(window.calls.last(), QStringLiteral("pickers 24 6"));
        QCOMPARE(result.failures,
                 QStringList{named + QStringLiteral(": ") + failing + QStringLiteral(" failed")});
        QCOMPARE(result.notRestored, QList<SettingsFile>{file});
    }

    void aLastFolderThatIsGoneIsNoFailure()
    {
        put(SettingsFile::LastFolder, music.path().toUtf8() + "/gone\r\n");
        Window window;
        const RestoreResult result = restoreSettings(folder, window);
        QCOMPARE(window.calls, QStringList{"pickers 24 6"});
        QVERIFY(result.failures.isEmpty());
        QVERIFY(result.notRestored.isEmpty());
    }

    // A file that cannot be read is named, and kept as it is at exit.
    void anUnreadableFileIsNamedAndKept()
    {
        putEverything();
        if (!makeUnreadable(folder.path(SettingsFile::Favourites)) ||
            !makeUnreadable(folder.path(SettingsFile::LastFolder)))
            QSKIP("files stay readable here");
        Window window;
        const RestoreResult result = restoreSettings(folder, window);
        QCOMPARE(window.calls, (QStringList{"stopTime 07|30", "playTime 06|45", "stopSwitch",
                                            "playSwitch", "pickers 24 6"}));
        QCOMPARE(result.failures.size(), 2);
        QVERIFY(result.failures[0].startsWith(QStringLiteral("お気に入り: ")));
        QVERIFY(result.failures[1].startsWith(QStringLiteral("前回のフォルダ: ")));
        QCOMPARE(result.notRestored,
                 (QList<SettingsFile>{SettingsFile::Favourites, SettingsFile::LastFolder}));
        QFile::setPermissions(folder.path(SettingsFile::Favourites),
                              QFile::ReadOwner | QFile::WriteOwner);
        QFile::setPermissions(folder.path(SettingsFile::LastFolder),
                              QFile::ReadOwner | QFile::WriteOwner);
    }

    void exitSavesBothOnceAndKeepsWhatWasNotRead()
    {
        ExitSave save(folder);
        QCOMPARE(save.save(QStringLiteral("/m"), {QStringLiteral("/a")}), QStringList());
        QCOMPARE(bytes(SettingsFile::LastFolder), QByteArray("/m\r\n"));
        QCOMPARE(bytes(SettingsFile::Favourites), QByteArray("/a\r\n\r\n"));

        // Asked again with the same contents (a close after a signal): nothing
        // is written, so a file made read-only since draws no message.
        QFile::setPermissions(folder.path(SettingsFile::LastFolder), QFile::ReadOwner);
        QCOMPARE(save.save(QStringLiteral("/m"), {QStringLiteral("/a")}), QStringList());
        // Something changed: both are attempted, the failure of the first
        // does not cost the second.
        const QStringList failures = save.save(QStringLiteral("/n"), {QStringLiteral("/b")});
        QCOMPARE(failures.size(), 1);
        QVERIFY(failures.first().contains(QStringLiteral("chimebox.ini")));
        QCOMPARE(bytes(SettingsFile::Favourites), QByteArray("/b\r\n\r\n"));

        ExitSave keeping(folder);
        keeping.keep({SettingsFile::Favourites});
        QFile::setPermissions(folder.path(SettingsFile::LastFolder),
                              QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(keeping.save(QStringLiteral("/o"), {}), QStringList());
        QCOMPARE(bytes(SettingsFile::LastFolder), QByteArray("/o\r\n"));
        QCOMPARE(bytes(SettingsFile::Favourites), QByteArray("/b\r\n\r\n"));
    }
};

CHIMEBOX_TEST_MAIN(TestRestore)
#include "test_restore.moc"
