#include "core/playback/AlarmNotice.h"
#include "support/TestMain.h"

#include <QTest>

using namespace chimebox::playback;

// The words of the alarm's notices: what rings, how late, why the chime, what
// was done to be heard, and why it did not ring.
class TestAlarmNotice : public QObject
{
    Q_OBJECT

    enum Output { Untouched, Unmuted, Raised, Both };

private Q_SLOTS:
    void aRingingAlarmSaysWhatItPlays_data()
    {
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("minutesLate");
        QTest::addColumn<bool>("snoozed");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("chime"); // a ChimeReason, or -1
        QTest::addColumn<int>("output");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("body");
        const int onTime = int(AlarmOutcome::OnTime);
        const QString at0730 = QStringLiteral("07:30 のアラーム");
        QTest::newRow("on time") << onTime << 0 << false << "朝.mp3" << -1 << int(Untouched)
                                 << at0730 << "朝.mp3";
        QTest::newRow("caught up") << int(AlarmOutcome::CaughtUp) << 15 << false << "a.wav" << -1
                                   << int(Untouched) << "07:30 のアラーム（15 分遅れ）"
                                   << "a.wav";
        QTest::newRow("snoozed") << onTime << 0 << true << "a.wav" << -1 << int(Untouched)
                                 << "07:30 のアラーム（スヌーズ）"
                                 << "a.wav";
        // Markup is the notifier's business: the name is kept as it is.
        QTest::newRow("a name with markup characters")
            << onTime << 0 << false << "<b>&.mp3" << -1 << int(Untouched) << at0730 << "<b>&.mp3";
        QTest::newRow("no file yet")
            << onTime << 0 << false << "" << -1 << int(Untouched) << at0730 << "チャイム";
        QTest::newRow("folder gone")
            << onTime << 0 << false << "" << int(ChimeReason::FolderMissing) << int(Untouched)
            << at0730 << "フォルダが見つからないため、チャイムを鳴らしています";
        QTest::newRow("folder unreadable")
            << onTime << 0 << false << "" << int(ChimeReason::FolderUnreadable) << int(Untouched)
            << at0730 << "フォルダを読めないため、チャイムを鳴らしています";
        QTest::newRow("no files")
            << onTime << 0 << false << "" << int(ChimeReason::NoFiles) << int(Untouched) << at0730
            << "フォルダに再生できるファイルがないため、チャイムを鳴らしています";
        QTest::newRow("every file failed")
            << onTime << 0 << false << "a.wav" << int(ChimeReason::NothingPlays) << int(Unmuted)
            << at0730
            << "どのファイルも再生できないため、チャイムを鳴らしています\n"
               "出力のミュートを解除しました";
        QTest::newRow("output raised") << onTime << 0 << false << "a.wav" << -1 << int(Raised)
                                       << at0730 << "a.wav\n出力の音量を 50% に上げました";
        QTest::newRow("output unmuted and raised")
            << onTime << 0 << false << "a.wav" << -1 << int(Both) << at0730
            << "a.wav\n出力のミュートを解除し、音量を 50% に上げました";
    }
    void aRingingAlarmSaysWhatItPlays()
    {
        QFETCH(int, outcome);
        QFETCH(int, minutesLate);
        QFETCH(bool, snoozed);
        QFETCH(QString, file);
        QFETCH(int, chime);
        QFETCH(int, output);
        QFETCH(QString, summary);
        QFETCH(QString, body);
        AlarmRun alarm;
        alarm.outcome = AlarmOutcome(outcome);
        alarm.minute = QTime(7, 30);
        alarm.minutesLate = minutesLate;
        alarm.snoozed = snoozed;
        alarm.file = file;
        if (chime >= 0)
            alarm.chime = ChimeReason(chime);
        if (output != Untouched) {
            const OutputLevel quiet = OutputLevel::at(output == Unmuted ? 80 : 5, 2);
            OutputHold hold{"speakers", quiet, quiet};
            hold.before.muted = output != Raised;
            if (output != Unmuted)
                hold.set = OutputLevel::at(50, 2);
            alarm.output = hold;
        }
        QCOMPARE(ringingNotice(alarm), (AlarmNotice{summary, body, true}));
    }

    void anAlarmThatDidNotRingSaysWhy()
    {
        const QString silent = QStringLiteral("07:30 のアラームは鳴りませんでした");
        const AlarmNotice missed = silentNotice(AlarmOutcome::Missed, QTime(7, 30), 45);
        QCOMPARE(
            missed,
            (AlarmNotice{silent, "スリープなどで止まっている間に 45 分過ぎていました。", false}));
        QCOMPARE(silentMessage(missed),
                 silent + "。スリープなどで止まっている間に 45 分過ぎていました。");
        QCOMPARE(silentNotice(AlarmOutcome::CouldNotSound, QTime(7, 30), 0),
                 (AlarmNotice{silent, "音声を出力できないまま 5 分過ぎました。", false}));
    }
};

CHIMEBOX_TEST_MAIN(TestAlarmNotice)
#include "test_alarm_notice.moc"
