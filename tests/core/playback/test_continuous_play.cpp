#include "core/playback/ContinuousPlay.h"
#include "fakes/FakeFileList.h"
#include "fakes/FakePlayer.h"
#include "support/TestMain.h"

#include <QTest>

using namespace chimebox::playback;

class TestContinuousPlay : public QObject
{
    Q_OBJECT

    FakePlayer *player = nullptr;
    FakeFileList files;
    AutoPlay state = AutoPlay::Idle;

    void wire()
    {
        connect(player, &MediaPlayer::StatusChange, this,
                [this] { onStatusChange(state, *player, files); });
    }

private Q_SLOTS:
    void init()
    {
        player = new FakePlayer;
        files = FakeFileList(
            QStringLiteral("/music"),
            {QStringLiteral("a.mp3"), QStringLiteral("b.wav"), QStringLiteral("c.wma")});
        state = AutoPlay::Idle;
        wire();
    }
    void cleanup() { delete player; }

    void endOfFileMovesToTheNextFile_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        const QStringList three{QStringLiteral("a.mp3"), QStringLiteral("b.wav"),
                                QStringLiteral("c.wma")};
        QTest::newRow("first to second") << three << 0 << 1;
        QTest::newRow("middle to last") << three << 1 << 2;
        QTest::newRow("last wraps to first") << three << 2 << 0;
        QTest::newRow("one file plays again") << QStringList{QStringLiteral("a.mp3")} << 0 << 0;
        QTest::newRow("nothing selected gives the first") << three << -1 << 0;
        QTest::newRow("empty list keeps its selection") << QStringList{} << -1 << -1;
    }
    void endOfFileMovesToTheNextFile()
    {
        QFETCH(QStringList, names);
        QFETCH(int, before);
        QFETCH(int, after);
        files.show(QStringLiteral("/music"), names);
        files.setListIndex(before);

        player->finishFile();

        QCOMPARE(state, AutoPlay::Requested);
        QCOMPARE(files.selected(), after);
    }

    void onlyTheOrderEndedTransitioningStoppedAdvances()
    {
        player->setPlayState(Transitioning);
        player->setPlayState(Stopped);
        QCOMPARE(state, AutoPlay::Idle);

        player->setPlayState(MediaEnded);
        player->setPlayState(Stopped);
        QCOMPARE(state, AutoPlay::Ended);

        player->setPlayState(Paused);
        player->setPlayState(Playing);
        QCOMPARE(state, AutoPlay::Ended);
        QCOMPARE(files.indexWrites, 0);
    }

    void repeatedNotificationsAdvanceOnce()
    {
        files.setListIndex(0);
        files.indexWrites = 0;
        player->setPlayState(MediaEnded);
        player->setPlayState(MediaEnded);
        player->setPlayState(Transitioning);
        player->setPlayState(Transitioning);
        QCOMPARE(state, AutoPlay::Transitioning);
        player->setPlayState(Stopped);
        player->setPlayState(Stopped);
        QCOMPARE(state, AutoPlay::Requested);
        QCOMPARE(files.indexWrites, 1);
        QCOMPARE(files.selected(), 1);

        // 8 sets state 1 again, from any value, a stop included.
        state = AutoPlay::Stopped;
        player->setPlayState(MediaEnded);
        QCOMPARE(state, AutoPlay::Ended);
    }

    void eachTestReadsThePlayStateAfresh()
    {
        // The player moves on between the reads of one notification.
        files.setListIndex(2);
        player->scriptPlayStates({MediaEnded, Transitioning, Stopped});
        player->playStateReads = 0;
        onStatusChange(state, *player, files);
        QCOMPARE(player->playStateReads, 3);
        QCOMPARE(state, AutoPlay::Requested);
        QCOMPARE(files.selected(), 0);

        // A value read for one test is not reused for the next.
        state = AutoPlay::Ended;
        player->scriptPlayStates({Playing, Transitioning, Playing});
        onStatusChange(state, *player, files);
        QCOMPARE(state, AutoPlay::Transitioning);
    }

    void advanceReadsIndexThenCountThenIndexAgain()
    {
        files.setListIndex(1);
        files.indexReads = files.countReads = 0;
        advanceSelection(files);
        QCOMPARE(files.indexReads, 2);
        QCOMPARE(files.countReads, 1);

        files.setListIndex(2);
        files.indexReads = 0;
        advanceSelection(files);
        QCOMPARE(files.indexReads, 1);
        QCOMPARE(files.selected(), 0);
    }
};

CHIMEBOX_TEST_MAIN(TestContinuousPlay)
#include "test_continuous_play.moc"
