#include "base/Failure.h"
#include "core/scheduler/TimerSettings.h"
#include "support/TestMain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace chimebox::scheduler;
using chimebox::settings::SettingsFile;
using chimebox::settings::SettingsFolder;

class TestTimerSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir *dir = nullptr;
    SettingsFolder folder{QString()};
    TimerSettings *settings = nullptr;

    QByteArray bytes(SettingsFile file) const
    {
        QFile f(folder.path(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void put(SettingsFile file, const QByteArray &content) const
    {
        QFile f(folder.path(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

private Q_SLOTS:
    void init()
    {
        dir = new QTemporaryDir;
        QVERIFY(dir->isValid());
        folder = SettingsFolder(dir->path());
        settings = new TimerSettings(folder);
        settings->markFormLoaded();
    }
    void cleanup()
    {
        delete settings;
        delete dir;
    }

    void tickingWritesAMarkerOfTwoBytes()
    {
        settings->switchStopTimer(1);
        QCOMPARE(bytes(SettingsFile::StopMarker), QByteArray("\r\n"));
        QVERIFY(!QFile::exists(folder.path(SettingsFile::PlayMarker)));

        // Ticking again over a marker with content rewrites it.
        put(SettingsFile::PlayMarker, "anything");
        settings->switchPlayTimer(1);
        QCOMPARE(bytes(SettingsFile::PlayMarker), QByteArray("\r\n"));
    }

    void anyOtherValueDeletesThePresentMarker_data()
    {
        QTest::addColumn<int>("value");
        QTest::newRow("unticked") << 0;
        QTest::newRow("greyed") << 2;
    }
    void anyOtherValueDeletesThePresentMarker()
    {
        QFETCH(int, value);
        put(SettingsFile::StopMarker, "\r\n");
        put(SettingsFile::PlayMarker, "\r\n");
        settings->switchStopTimer(value);
        QVERIFY(!QFile::exists(folder.path(SettingsFile::StopMarker)));
        QVERIFY(QFile::exists(folder.path(SettingsFile::PlayMarker)));

        // Absent already: nothing happens, no file appears and nothing fails.
        settings->switchStopTimer(value);
        QVERIFY(!QFile::exists(folder.path(SettingsFile::StopMarker)));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"player.ini"});
    }

    void thePlaySwitchArmsTheAlarmEitherWay()
    {
        QCOMPARE(settings->switchPlayTimer(0), (PlayTimerChange{true, true}));
        QVERIFY(!QFile::exists(folder.path(SettingsFile::PlayMarker)));
        QCOMPARE(settings->switchPlayTimer(1), (PlayTimerChange{true, false}));
        QCOMPARE(bytes(SettingsFile::PlayMarker), QByteArray("\r\n"));
    }

    void timesAreStoredAsTyped_data()
    {
        QTest::addColumn<QString>("hour");
        QTest::addColumn<QString>("minute");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("items") << "07"
                               << "30" << QByteArray("0730\r\n");
        QTest::newRow("first keystroke") << "0"
                                         << "30" << QByteArray("030\r\n");
        QTest::newRow("one-digit hour") << "7"
                                        << "30" << QByteArray("730\r\n");
        QTest::newRow("empty minute") << "07"
                                      << "" << QByteArray("07\r\n");
        QTest::newRow("both empty") << ""
                                    << "" << QByteArray("\r\n");
        QTest::newRow("nothing trimmed") << " 7"
                                         << "3 " << QByteArray(" 73 \r\n");
        QTest::newRow("letters") << "ab"
                                 << "時" << QByteArray("ab\xe6\x99\x82\r\n");
    }
    void timesAreStoredAsTyped()
    {
        QFETCH(QString, hour);
        QFETCH(QString, minute);
        QFETCH(QByteArray, stored);
        settings->saveStopTime(hour, minute);
        QCOMPARE(bytes(SettingsFile::StopTime), stored);
        QCOMPARE(settings->savePlayTime(hour, minute), PlayTimerChange{});
        QCOMPARE(bytes(SettingsFile::PlayTime), stored);
    }

    void typingWritesAtEveryKeystroke()
    {
        settings->savePlayTime("0", "30");
        QCOMPARE(bytes(SettingsFile::PlayTime), QByteArray("030\r\n"));
        settings->savePlayTime("07", "30");
        QCOMPARE(bytes(SettingsFile::PlayTime), QByteArray("0730\r\n"));
        QVERIFY(!QFile::exists(folder.path(SettingsFile::StopTime)));
    }

    void nothingIsSavedBeforeStartUpEnds()
    {
        put(SettingsFile::StopTime, "0700\r\n");
        TimerSettings starting(folder);
        QVERIFY(!starting.formLoaded());
        starting.saveStopTime("08", "15");
        QCOMPARE(bytes(SettingsFile::StopTime), QByteArray("0700\r\n"));

        // The play pickers still arm the alarm again.
        QVERIFY(starting.savePlayTime("08", "15").rearm);
        QVERIFY(!QFile::exists(folder.path(SettingsFile::PlayTime)));
    }

    void aReadOnlyTimeFileIsRefusedAndKept()
    {
        put(SettingsFile::StopTime, "0700\r\n");
        put(SettingsFile::PlayTime, "0600\r\n");
        for (auto file : {SettingsFile::StopTime, SettingsFile::PlayTime})
            QVERIFY(QFile::setPermissions(folder.path(file), QFile::ReadOwner | QFile::ReadGroup));

        QVERIFY_THROWS_EXCEPTION(chimebox::Failure, settings->saveStopTime("08", "15"));
        QCOMPARE(bytes(SettingsFile::StopTime), QByteArray("0700\r\n"));

        // The handler stops at the failing write, and nothing arms the alarm again.
        QVERIFY_THROWS_EXCEPTION(chimebox::Failure, settings->savePlayTime("08", "15"));
        QCOMPARE(bytes(SettingsFile::PlayTime), QByteArray("0600\r\n"));
    }

    void aMarkerThatCannotBeWrittenFails()
    {
        // A folder of the marker's name can be neither written nor deleted as a file.
        QVERIFY(QDir(dir->path()).mkdir("player.ini"));
        QVERIFY_THROWS_EXCEPTION(chimebox::Failure, settings->switchPlayTimer(1));
        // Not a file, so not present: unticking leaves it alone.
        settings->switchPlayTimer(0);
        QVERIFY(QFileInfo(folder.path(SettingsFile::PlayMarker)).isDir());
    }
};

CHIMEBOX_TEST_MAIN(TestTimerSettings)
#include "test_timer_settings.moc"
