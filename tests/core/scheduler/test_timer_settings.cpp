#include "base/Failure.h"
#include "core/scheduler/TimerSettings.h"
#include "support/Files.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <dlfcn.h>

using namespace chimebox::scheduler;

#ifdef Q_OS_LINUX
namespace {

// The disk fills as a write is synced: errno of the next syncs, 0 for none.
int failingSyncError = 0;

} // namespace

// Stands in for the C library's fsync in this test program, which the writer
// is linked into.
extern "C" int fsync(int descriptor)
{
    if (failingSyncError != 0) {
        errno = failingSyncError;
        return -1;
    }
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    return real(descriptor);
}
#endif
using chimebox::settings::SettingsFile;
using chimebox::settings::SettingsFolder;

class TestTimerSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir *dir = nullptr;
    SettingsFolder folder{QString()};
    TimerSettings *settings = nullptr;

    QByteArray bytes(SettingsFile file) const { return testfiles::readFile(folder.path(file)); }
    void put(SettingsFile file, const QByteArray &content, testfiles::Caller caller = {}) const
    {
        testfiles::writeFile(folder.path(file), content, caller);
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

    // A write that fails keeps what is stored, and says in the user's words
    // why and what the timer does now; what the controls then show is what
    // is stored.
    void aChangeThatCannotBeSavedSaysWhatTheTimerDoesNow_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("said");
        QTest::addColumn<StoredTimer>("stored");
        const StoredTimer playOff{0, true, "07", "31"};
        const StoredTimer playOn{1, true, "07", "31"};
#ifdef Q_OS_LINUX
        QTest::newRow("play timer ticked, disk full")
            << "play on"
            << "disk full"
            << "ディスクに空きがないため、再生タイマーを保存できませんでした。再生タイマーは無効の"
               "ままです。"
            << playOff;
        QTest::newRow("play time changed, disk full")
            << "play time"
            << "disk full"
            << "ディスクに空きがないため、再生タイマーを保存できませんでした。アラームは 07:31 "
               "のままです。"
            << playOn;
#endif
        QTest::newRow("play time changed, read-only file")
            << "play time"
            << "read-only"
            << "書き込みが許されていないため、再生タイマーを保存できませんでした。アラームは 07:31 "
               "のままです。"
            << playOn;
        QTest::newRow("stop time changed, read-only file")
            << "stop time"
            << "read-only"
            << "書き込みが許されていないため、停止タイマを保存できませんでした。停止タイマは 07:00 "
               "のままです。"
            << StoredTimer{1, true, "07", "00"};
        // A folder of the marker's name can be neither written nor deleted as
        // a file, and is not present as one.
        QTest::newRow("play timer ticked, a folder of its name")
            << "play on"
            << "folder"
            << "書き込みに失敗したため、再生タイマーを保存できませんでした。再生タイマーは無効のま"
               "まです。"
            << playOff;
    }
    void aChangeThatCannotBeSavedSaysWhatTheTimerDoesNow()
    {
        QFETCH(QString, change);
        QFETCH(QString, fault);
        QFETCH(QString, said);
        QFETCH(StoredTimer, stored);
        const bool play = change.startsWith("play");
        const Timer timer = play ? Timer::Play : Timer::Stop;
        put(SettingsFile::PlayTime, "0731\r\n");
        put(SettingsFile::StopTime, "0700\r\n");
        put(SettingsFile::StopMarker, "\r\n");
        if (change == "play time")
            put(SettingsFile::PlayMarker, "\r\n");
        const SettingsFile target = change == "play on"
                                        ? SettingsFile::PlayMarker
                                        : (play ? SettingsFile::PlayTime : SettingsFile::StopTime);
        const QByteArray before = bytes(target);
        if (fault == "read-only")
            QVERIFY(QFile::setPermissions(folder.path(target), QFile::ReadOwner));
        if (fault == "folder")
            QVERIFY(QDir(dir->path()).mkdir(QFileInfo(folder.path(target)).fileName()));
#ifdef Q_OS_LINUX
        failingSyncError = fault == "disk full" ? ENOSPC : 0;
#endif

        QString message;
        try {
            if (change == "play on")
                settings->switchPlayTimer(1);
            else if (play)
                settings->savePlayTime("07", "30");
            else
                settings->saveStopTime("08", "15");
        } catch (const chimebox::Failure &failure) {
            message = failure.message();
        }
#ifdef Q_OS_LINUX
        failingSyncError = 0;
#endif
        QVERIFY2(message.startsWith(said + u'\n'), qPrintable(message));
        QVERIFY2(message.contains(folder.path(target)), qPrintable(message));
        QCOMPARE(settings->stored(timer), stored);
        if (fault != "folder")
            QCOMPARE(bytes(target), before);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden).size(),
                 change == "play time" ? 4 : 3);
    }
};

CHIMEBOX_TEST_MAIN(TestTimerSettings)
#include "test_timer_settings.moc"
