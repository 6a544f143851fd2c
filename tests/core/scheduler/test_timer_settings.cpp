#include "Failure.h"
#include "scheduler/TimerSettings.h"

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
    }
    void cleanup() { delete dir; }

    void tickingWritesAMarkerOfTwoBytes()
    {
        switchMarker(folder, SettingsFile::StopMarker, 1);
        QCOMPARE(bytes(SettingsFile::StopMarker), QByteArray("\r\n"));
        QVERIFY(!QFile::exists(folder.path(SettingsFile::PlayMarker)));

        // Ticking again over a marker with content rewrites it.
        put(SettingsFile::PlayMarker, "anything");
        switchMarker(folder, SettingsFile::PlayMarker, 1);
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
        switchMarker(folder, SettingsFile::StopMarker, value);
        QVERIFY(!QFile::exists(folder.path(SettingsFile::StopMarker)));
        QVERIFY(QFile::exists(folder.path(SettingsFile::PlayMarker)));

        // Absent already: nothing happens, no file appears and nothing fails.
        switchMarker(folder, SettingsFile::StopMarker, value);
        QVERIFY(!QFile::exists(folder.path(SettingsFile::StopMarker)));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"player.ini"});
    }

    void thePlaySwitchArmsTheAlarmEitherWay()
    {
        QString lastAlarmDate = QStringLiteral("03-01-2024");
        switchPlayMarker(folder, 0, lastAlarmDate);
        QVERIFY(lastAlarmDate.isEmpty());
        QVERIFY(!QFile::exists(folder.path(SettingsFile::PlayMarker)));

        lastAlarmDate = QStringLiteral("03-01-2024");
        switchPlayMarker(folder, 1, lastAlarmDate);
        QVERIFY(lastAlarmDate.isEmpty());
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
        saveStopTime(folder, true, hour, minute);
        QCOMPARE(bytes(SettingsFile::StopTime), stored);
        QString lastAlarmDate = QStringLiteral("x");
        savePlayTime(folder, true, hour, minute, lastAlarmDate);
        QCOMPARE(bytes(SettingsFile::PlayTime), stored);
        QVERIFY(lastAlarmDate.isEmpty());
    }

    void typingWritesAtEveryKeystroke()
    {
        QString lastAlarmDate;
        savePlayTime(folder, true, "0", "30", lastAlarmDate);
        QCOMPARE(bytes(SettingsFile::PlayTime), QByteArray("030\r\n"));
        savePlayTime(folder, true, "07", "30", lastAlarmDate);
        QCOMPARE(bytes(SettingsFile::PlayTime), QByteArray("0730\r\n"));
        QVERIFY(!QFile::exists(folder.path(SettingsFile::StopTime)));
    }

    void nothingIsSavedBeforeStartUpEnds()
    {
        put(SettingsFile::StopTime, "0700\r\n");
        saveStopTime(folder, false, "08", "15");
        QCOMPARE(bytes(SettingsFile::StopTime), QByteArray("0700\r\n"));

        // The play pickers still arm the alarm again.
        QString lastAlarmDate = QStringLiteral("03-01-2024");
        savePlayTime(folder, false, "08", "15", lastAlarmDate);
        QVERIFY(!QFile::exists(folder.path(SettingsFile::PlayTime)));
        QVERIFY(lastAlarmDate.isEmpty());
    }

    void aReadOnlyTimeFileIsRefusedAndKept()
    {
        put(SettingsFile::StopTime, "0700\r\n");
        put(SettingsFile::PlayTime, "0600\r\n");
        for (auto file : {SettingsFile::StopTime, SettingsFile::PlayTime})
            QVERIFY(QFile::setPermissions(folder.path(file), QFile::ReadOwner | QFile::ReadGroup));

        QVERIFY_THROWS_EXCEPTION(chimebox::Failure, saveStopTime(folder, true, "08", "15"));
        QCOMPARE(bytes(SettingsFile::StopTime), QByteArray("0700\r\n"));

        // The handler stops at the failing write: the alarm is not armed again.
        QString lastAlarmDate = QStringLiteral("03-01-2024");
        QVERIFY_THROWS_EXCEPTION(chimebox::Failure,
                                 savePlayTime(folder, true, "08", "15", lastAlarmDate));
        QCOMPARE(bytes(SettingsFile::PlayTime), QByteArray("0600\r\n"));
        QCOMPARE(lastAlarmDate, QStringLiteral("03-01-2024"));
    }

    void aMarkerThatCannotBeWrittenFails()
    {
        // A folder of the marker's name can be neither written nor deleted as a file.
        QVERIFY(QDir(dir->path()).mkdir("player.ini"));
        QString lastAlarmDate = QStringLiteral("03-01-2024");
        QVERIFY_THROWS_EXCEPTION(chimebox::Failure, switchPlayMarker(folder, 1, lastAlarmDate));
        QCOMPARE(lastAlarmDate, QStringLiteral("03-01-2024"));
        // Not a file, so not present: unticking leaves it alone.
        switchPlayMarker(folder, 0, lastAlarmDate);
        QVERIFY(QFileInfo(folder.path(SettingsFile::PlayMarker)).isDir());
    }
};

QTEST_GUILESS_MAIN(TestTimerSettings)
#include "test_timer_settings.moc"
