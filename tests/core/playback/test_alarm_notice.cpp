#include "core/playback/AlarmNotice.h"
#include "support/TestMain.h"

#include <QTest>

using chimebox::playback::AlarmNotice;
using chimebox::playback::AlarmOutcome;
using chimebox::playback::TickResult;

// The words of the alarm's notices, from what a tick did.
class TestAlarmNotice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wordsFollowTheOutcome_data()
    {
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<int>("minutesLate");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("ringing");
        const QString silent = QStringLiteral("07:30 のアラームは鳴りませんでした");
        QTest::newRow("on time") << int(AlarmOutcome::OnTime) << QTime(7, 30) << 0
                                 << QStringLiteral("朝.mp3") << QStringLiteral("07:30 のアラーム")
                                 << QStringLiteral("朝.mp3") << true;
        QTest::newRow("caught up")
            << int(AlarmOutcome::CaughtUp) << QTime(7, 30) << 15 << QStringLiteral("a.wav")
            << QStringLiteral("07:30 のアラーム（15 分遅れ）") << QStringLiteral("a.wav") << true;
        QTest::newRow("a folder without files sounds the chime")
            << int(AlarmOutcome::OnTime) << QTime(0, 5) << 0 << QString()
            << QStringLiteral("00:05 のアラーム") << QStringLiteral("チャイム") << true;
        // Markup is the notifier's business: the name is kept as it is.
        QTest::newRow("a name with markup characters")
            << int(AlarmOutcome::OnTime) << QTime(23, 59) << 0 << QStringLiteral("<b>&.mp3")
            << QStringLiteral("23:59 のアラーム") << QStringLiteral("<b>&.mp3") << true;
        QTest::newRow("missed") << int(AlarmOutcome::Missed) << QTime(7, 30) << 45
                                << QStringLiteral("a.wav") << silent
                                << QStringLiteral(
                                       "スリープなどで止まっている間に 45 分過ぎていました。")
                                << false;
        QTest::newRow("could not sound")
            << int(AlarmOutcome::CouldNotSound) << QTime(7, 30) << 0 << QString() << silent
            << QStringLiteral("音声を出力できないまま 5 分過ぎました。") << false;
    }
    void wordsFollowTheOutcome()
    {
        QFETCH(int, outcome);
        QFETCH(QTime, time);
        QFETCH(int, minutesLate);
        QFETCH(QString, fileName);
        QFETCH(QString, summary);
        QFETCH(QString, body);
        QFETCH(bool, ringing);
        TickResult tick;
        tick.alarm = AlarmOutcome(outcome);
        tick.alarmTime = time;
        tick.minutesLate = minutesLate;
        tick.fileName = fileName;
        const std::optional<AlarmNotice> notice = chimebox::playback::alarmNotice(tick);
        QVERIFY(notice);
        QCOMPARE(notice->summary, summary);
        QCOMPARE(notice->body, body);
        QCOMPARE(notice->ringing, ringing);
    }

    void aTickWithoutTheAlarmHasNoNotice()
    {
        TickResult tick;
        tick.stopPressed = true;
        tick.urlSet = true;
        QVERIFY(!chimebox::playback::alarmNotice(tick));
    }
};

CHIMEBOX_TEST_MAIN(TestAlarmNotice)
#include "test_alarm_notice.moc"
