#include "core/playback/PlaybackFailures.h"
#include "support/TestMain.h"

#include <QTest>

using namespace chimebox::playback;
using Action = PlaybackFailures::Action;

class TestPlaybackFailures : public QObject
{
    Q_OBJECT

    const QString noFile = QStringLiteral("再生できるファイルがありません。");
    const QString noOutput = QStringLiteral("音声を出力できません。");

private Q_SLOTS:
    void aWholePassWithoutAPlayableFileGivesUp()
    {
        PlaybackFailures policy;
        policy.started(false);
        QCOMPARE(policy.failed(false, 3).action, Action::SkipToNext);
        policy.started(false);
        QCOMPARE(policy.failed(false, 3).action, Action::SkipToNext);
        policy.started(false);
        const auto last = policy.failed(false, 3);
        QCOMPARE(last.action, Action::GiveUp);
        QCOMPARE(last.message, noFile);

        // Given up: a late report neither restarts nor repeats the message.
        const auto late = policy.failed(false, 3);
        QCOMPARE(late.action, Action::Ignore);
        QVERIFY(late.message.isEmpty());
    }

    void aPlayableFileStartsANewPass()
    {
        PlaybackFailures policy;
        policy.started(false);
        QCOMPARE(policy.failed(false, 2).action, Action::SkipToNext);
        policy.started(false);
        policy.played();
        policy.started(false);
        QCOMPARE(policy.failed(false, 2).action, Action::SkipToNext);
        policy.started(false);
        QCOMPARE(policy.failed(false, 2).action, Action::GiveUp);

        // A folder of one unplayable file stops at once, an empty one too.
        PlaybackFailures single;
        single.started(false);
        QCOMPARE(single.failed(false, 1).action, Action::GiveUp);
        PlaybackFailures empty;
        empty.started(false);
        QCOMPARE(empty.failed(false, 0).action, Action::GiveUp);
    }

    // Without audio output nothing can be heard: play stops at once. An
    // alarm not yet heard waits for the output instead, the chime included.
    void noOutputGivesUpAtOnceUnlessTheAlarmIsYetToSound()
    {
        PlaybackFailures policy;
        policy.started(false);
        const auto d = policy.failed(true, 10);
        QCOMPARE(d.action, Action::GiveUp);
        QCOMPARE(d.message, noOutput);
        QCOMPARE(policy.failed(true, 10).action, Action::Ignore);

        policy.started(true);
        const auto wait = policy.failed(true, 10);
        QCOMPARE(wait.action, Action::RetryLater);
        QVERIFY(wait.message.contains(QStringLiteral("5 分間")));
        QCOMPARE(policy.failed(false, 10).action, Action::PlayChime);
        QCOMPARE(policy.failed(true, 10).action, Action::RetryLater);
        // Heard once: a later loss of the output ends play like any other.
        policy.played();
        QCOMPARE(policy.failed(true, 10).action, Action::GiveUp);
    }

    void theAlarmChimesOncePerAlarm()
    {
        PlaybackFailures policy;
        policy.started(true);
        const auto chime = policy.failed(false, 1);
        QCOMPARE(chime.action, Action::PlayChime);
        QVERIFY(chime.message.isEmpty());
        // The chime failing too, or the next file failing: no second chime.
        QCOMPARE(policy.failed(false, 3).action, Action::SkipToNext);
        policy.started(false);
        QCOMPARE(policy.failed(false, 3).action, Action::GiveUp);

        // The next alarm chimes again.
        policy.started(true);
        QCOMPARE(policy.failed(false, 3).action, Action::PlayChime);

        // An alarm whose file played: a later failure is an ordinary one.
        PlaybackFailures played;
        played.started(true);
        played.played();
        QCOMPARE(played.failed(false, 3).action, Action::SkipToNext);
    }

    void failuresOutsideOurPlaybackAreIgnored()
    {
        PlaybackFailures policy;
        QCOMPARE(policy.failed(false, 3).action, Action::Ignore);
        policy.started(true);
        policy.stopped();
        // The user stopped: a report arriving afterwards must not restart play.
        QCOMPARE(policy.failed(false, 3).action, Action::Ignore);
        // stopped() also forgets the failures counted so far.
        policy.started(false);
        policy.failed(false, 2);
        policy.stopped();
        policy.started(false);
        QCOMPARE(policy.failed(false, 2).action, Action::SkipToNext);
    }
};

CHIMEBOX_TEST_MAIN(TestPlaybackFailures)
#include "test_playback_failures.moc"
