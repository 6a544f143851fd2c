#include "core/playback/AlarmCheck.h"
#include "support/TestMain.h"

#include <QTest>

using namespace chimebox::playback;
using Finding = AlarmCheck::Finding;
using Severity = AlarmCheck::Severity;

namespace {

// All is well: a file to play on a loud output, the bar at half.
AlarmOutlook fine()
{
    AlarmOutlook outlook;
    outlook.minute = QTime(7, 30);
    outlook.file = QStringLiteral("a.mp3");
    outlook.output = {OutputState::Server::Ready, "speakers", {}, OutputLevel::at(80, 2)};
    outlook.barVolume = 50;
    return outlook;
}

} // namespace

// What the alarm would meet, said while the user is still at the window.
class TestAlarmCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachFindingSaysWhatWillHappen_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("severity");
        QTest::addColumn<QStringList>("lines");
        const int fine = int(Severity::Fine);
        const int caution = int(Severity::Caution);
        const int problem = int(Severity::Problem);
        QTest::newRow("all well") << "" << fine << QStringList();
        QTest::newRow("never rings, nothing else said")
            << "never" << problem
            << QStringList{"時刻が入っていないため、再生タイマーは鳴りません。"};
        QTest::newRow("the stop timer's minute")
            << "stop" << problem
            << QStringList{"停止タイマーと同じ時刻のため、鳴ってもすぐに止まります。"};
        QTest::newRow("folder gone")
            << "folder" << problem
            << QStringList{"フォルダが見つかりません。鳴るときはチャイムを鳴らします。"};
        QTest::newRow("no file")
            << "file" << problem
            << QStringList{
                   "フォルダに再生できるファイルがありません。鳴るときはチャイムを鳴らします。"};
        QTest::newRow("file unreadable")
            << "unreadable" << problem
            << QStringList{
                   "「a.mp3」を読めません。鳴るときはチャイムのあと次のファイルに進みます。"};
        QTest::newRow("no sound server")
            << "lost" << problem
            << QStringList{"サウンドサーバーが応答しません。このままでは鳴りません。"};
        QTest::newRow("ALSA alone")
            << "absent" << caution
            << QStringList{"出力の音量を確かめられません（サウンドサーバーがありません）。"};
        QTest::newRow("not heard from yet")
            << "connecting" << fine << QStringList{"出力の状態を確かめています。"};
        QTest::newRow("output muted at 5 %")
            << "muted output" << caution
            << QStringList{"出力がミュートです。鳴るときに解除します。",
                           "出力の音量が 5% です。鳴るときに 50% に上げます。"};
        QTest::newRow("bar muted at 3")
            << "muted bar" << caution
            << QStringList{"プレーヤーがミュートです。鳴るときに解除します。",
                           "プレーヤーの音量が 3 です。鳴るときに 50 に上げます。"};
        QTest::newRow("snoozed") << "snoozed" << fine << QStringList{"07:40 にもう一度鳴ります。"};
    }
    void eachFindingSaysWhatWillHappen()
    {
        QFETCH(QString, change);
        QFETCH(int, severity);
        QFETCH(QStringList, lines);
        AlarmOutlook outlook = fine();
        if (change == "never")
            outlook.neverRings =
                QStringLiteral("時刻が入っていないため、再生タイマーは鳴りません。");
        if (change == "never" || change == "stop")
            outlook.stoppedAtOnce = true;
        if (change == "folder")
            outlook.folderExists = false;
        if (change == "file")
            outlook.file.clear();
        if (change == "unreadable")
            outlook.fileReadable = false;
        if (change == "lost")
            outlook.output.server = OutputState::Server::Lost;
        if (change == "absent")
            outlook.output.server = OutputState::Server::Absent;
        if (change == "connecting")
            outlook.output.server = OutputState::Server::Connecting;
        if (change == "muted output") {
            outlook.output.level = OutputLevel::at(5, 2);
            outlook.output.level.muted = true;
        }
        if (change == "muted bar") {
            outlook.barMuted = true;
            outlook.barVolume = 3;
        }
        if (change == "snoozed")
            outlook.snoozedUntil = QDateTime(QDate(2024, 3, 1), QTime(7, 40, 5));
        const AlarmCheck check = checkAlarm(outlook);
        QCOMPARE(int(check.severity), severity);
        QCOMPARE(check.lines, lines);
    }

    // What leaves the alarm to a chime or to silence is told to the desktop
    // once, when it appears; gone and back, it is news again.
    void aProblemIsToldOnceWhenItAppears()
    {
        AlarmWatch watch;
        AlarmOutlook outlook = fine();
        QVERIFY(!watch.update(true, checkAlarm(outlook)));
        outlook.output.level.muted = true; // mended at the minute: nothing to tell
        QVERIFY(!watch.update(true, checkAlarm(outlook)));
        outlook.folderExists = false;
        const std::optional<AlarmNotice> told = watch.update(true, checkAlarm(outlook));
        QVERIFY(told);
        QCOMPARE(told->summary, QStringLiteral("07:30 のアラームを確かめてください"));
        QCOMPARE(told->body,
                 QStringLiteral("フォルダが見つかりません。鳴るときはチャイムを鳴らします。"));
        QVERIFY(!told->ringing);
        QVERIFY(!watch.update(true, checkAlarm(outlook)));
        outlook.output.server = OutputState::Server::Lost;
        QCOMPARE(watch.update(true, checkAlarm(outlook))->body,
                 QStringLiteral("サウンドサーバーが応答しません。このままでは鳴りません。"));

        // The timer switched off and on again: said again.
        QVERIFY(!watch.update(false, AlarmCheck()));
        QVERIFY(watch.update(true, checkAlarm(outlook)));
        outlook.folderExists = true;
        outlook.output.server = OutputState::Server::Ready;
        QVERIFY(!watch.update(true, checkAlarm(outlook)));
        outlook.folderExists = false;
        QVERIFY(watch.update(true, checkAlarm(outlook)));
    }
};

CHIMEBOX_TEST_MAIN(TestAlarmCheck)
#include "test_alarm_check.moc"
