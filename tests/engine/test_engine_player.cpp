#include "engine/EnginePlayer.h"
#include "fakes/FakeEngine.h"
#include "support/TestMain.h"

#include <QSignalSpy>
#include <QTest>

using namespace chimebox::engine;
using namespace chimebox::playback;

namespace {

// What the player announced, in order: "<playState>" at each StatusChange and
// "failed:<outputFailed>:<reason>" at each playbackFailed.
struct Story : QObject
{
    QStringList lines;
    explicit Story(EnginePlayer &player)
    {
        connect(&player, &MediaPlayer::StatusChange, this,
                [this, &player] { lines.append(QString::number(player.playState())); });
        connect(&player, &MediaPlayer::playbackFailed, this,
                [this](const QString &reason, bool outputFailed) {
                    lines.append(QStringLiteral("failed:%1:%2").arg(outputFailed).arg(reason));
                });
    }
};

const QStringList kEnded = {QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("1")};

} // namespace

// The player's rules over made-up engine news; no engine runs.
class TestEnginePlayer : public QObject
{
    Q_OBJECT

    const QString a_ = QStringLiteral("/music/a.mp3");
    const QString b_ = QStringLiteral("/music/b.wav");

private Q_SLOTS:
    void endOfFileAnnouncesEndedTransitioningStopped()
    {
        FakeEngine engine;
        EnginePlayer player(engine);
        Story story(player);
        player.setURL(a_);
        QCOMPARE(engine.calls, QStringList({QStringLiteral("start"), QStringLiteral("pause:0"),
                                            QStringLiteral("load:/music/a.mp3|a.mp3")}));
        QCOMPARE(player.URL(), a_);
        QCOMPARE(player.currentName(), QStringLiteral("a.mp3"));
        engine.opens(1);
        Q_EMIT engine.positionChanged(3);
        engine.ends(1, EndReason::EndOfFile);
        QCOMPARE(story.lines, QStringList({QStringLiteral("9"), QStringLiteral("3")}) + kEnded);
        QCOMPARE(player.position(), 0.0);
    }

    // A file that opens but whose position never moves (a header and no
    // samples) ends as a failure, not as an end that leads on to the next file.
    void aFileThatEndsWithoutSoundFailed()
    {
        FakeEngine engine;
        EnginePlayer player(engine);
        Story story(player);
        player.setURL(a_);
        Q_EMIT engine.fileStarted(1);
        Q_EMIT engine.fileLoaded();
        Q_EMIT engine.positionChanged(0);
        engine.ends(1, EndReason::EndOfFile);
        QCOMPARE(story.lines,
                 QStringList({"9", "3", "1", "failed:0:「a.mp3」からは音が出ませんでした"}));

        // Positions of the file before do not count for the next one.
        story.lines.clear();
        player.setURL(b_);
        Q_EMIT engine.positionChanged(7);
        Q_EMIT engine.fileStarted(2);
        Q_EMIT engine.fileLoaded();
        engine.ends(2, EndReason::EndOfFile);
        QCOMPARE(story.lines.last(), QStringLiteral("failed:0:「b.wav」からは音が出ませんでした"));
    }

    void newsOfAReplacedFileIsIgnored()
    {
        FakeEngine engine;
        EnginePlayer player(engine);
        Story story(player);
        player.setURL(a_);
        engine.opens(1);
        player.setURL(b_);
        // The engine hears of the replacement only after it was asked.
        engine.ends(1, EndReason::EndOfFile);
        engine.ends(1, EndReason::Failed, QStringLiteral("late"));
        QCOMPARE(story.lines, QStringList({"9", "3", "9"}));
        engine.opens(2);
        QCOMPARE(story.lines, QStringList({"9", "3", "9", "3"}));

        // A file replaced before it opened: its loading belongs to nobody.
        player.setURL(a_);
        engine.opens(2);
        QCOMPARE(player.playState(), int(Transitioning));
        engine.opens(3);
        QCOMPARE(player.playState(), int(Playing));
    }

    void aFileThatCannotBePlayedIsReportedAfterStopped()
    {
        FakeEngine engine;
        EnginePlayer player(engine);
        Story story(player);
        player.setURL(a_);
        engine.ends(1, EndReason::Failed, QStringLiteral("unrecognized file format"));
        QCOMPARE(story.lines,
                 QStringList(
                     {"9", "1", "failed:0:「a.mp3」を再生できません（unrecognized file format）"}));
    }

    void aSilentOutputIsReportedAsSuch()
    {
        FakeEngine engine;
        EnginePlayer player(engine);
        Story story(player);
        player.setURL(a_);
        engine.ends(1, EndReason::OutputFailed,
                    QStringLiteral("audio output initialization failed"));
        QCOMPARE(story.lines, QStringList({"9", "1",
                                           "failed:1:音声を出力できません（audio output "
                                           "initialization failed）"}));
    }

    void failuresFoundByTheCallArriveAfterIt_data()
    {
        QTest::addColumn<bool>("startFails");
        QTest::addColumn<QStringList>("during");
        QTest::addColumn<QString>("after");
        QTest::newRow("engine cannot start")
            << true << QStringList() << QStringLiteral("failed:1:再生エンジンを作成できません");
        QTest::newRow("file refused")
            << false << QStringList({"1"})
            << QStringLiteral("failed:0:「a.mp3」を開けません（refused）");
    }

    void failuresFoundByTheCallArriveAfterIt()
    {
        QFETCH(bool, startFails);
        QFETCH(QStringList, during);
        QFETCH(QString, after);
        FakeEngine engine;
        engine.startFails = startFails;
        engine.refusal = QStringLiteral("refused");
        EnginePlayer player(engine);
        Story story(player);
        // The caller notes what it started before it hears of the failure.
        player.setURL(a_);
        QCOMPARE(story.lines, during);
        QTRY_COMPARE(story.lines, during + QStringList(after));
    }

    void aPlaylistIsRefused()
    {
        FakeEngine engine;
        EnginePlayer player(engine);
        Story story(player);
        player.setURL(a_);
        engine.calls.clear();
        engine.ends(1, EndReason::Redirected);
        QCOMPARE(engine.calls, QStringList({"stop"}));
        QCOMPARE(story.lines,
                 QStringList({"9", "1", "failed:0:「a.mp3」は音声ファイルではありません"}));
        // What the engine would have gone on with is none of the player's.
        engine.opens(2);
        QCOMPARE(player.playState(), int(Stopped));
    }

    void stopSilencesTheEngineBeforeItIsAnnounced()
    {
        FakeEngine engine;
        EnginePlayer player(engine);
        Story story(player);
        player.stop();
        QVERIFY(engine.calls.isEmpty());
        QVERIFY(story.lines.isEmpty());

        player.setURL(a_);
        engine.opens(1);
        // A listener that plays the next file on hearing Stopped keeps it.
        bool next = true;
        connect(&player, &MediaPlayer::StatusChange, &player, [&] {
            if (player.playState() == Stopped && std::exchange(next, false))
                player.setURL(b_);
        });
        player.stop();
        QCOMPARE(engine.calls.mid(engine.calls.indexOf("stop")),
                 QStringList({"stop", "start", "pause:0", "load:/music/b.wav|b.wav"}));
        QCOMPARE(story.lines, QStringList({"9", "3", "1", "9"}));
        engine.ends(1, EndReason::Stopped);
        engine.opens(2);
        QCOMPARE(story.lines, QStringList({"9", "3", "1", "9", "3"}));

        player.stop();
        engine.ends(2, EndReason::Stopped);
        player.stop();
        QCOMPARE(engine.calls.count("stop"), 2);
        QCOMPARE(story.lines, QStringList({"9", "3", "1", "9", "3", "1"}));
    }

    // A listener that starts the next file on hearing the end (MediaEnded
    // after a file played, Stopped after one failed) makes the rest of the old
    // file's news stale: nothing of it, no failure either, follows.
    void aListenerThatStartsAFileCutsTheStaleSequence_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<int>("heardAt");
        QTest::newRow("end of file") << "end" << int(MediaEnded);
        QTest::newRow("end, a file prepared") << "prepared" << int(MediaEnded);
        QTest::newRow("failed") << "failed" << int(Stopped);
        QTest::newRow("no audio output") << "output" << int(Stopped);
        QTest::newRow("a playlist") << "playlist" << int(Stopped);
        QTest::newRow("no sound came") << "silent" << int(Stopped);
        QTest::newRow("the engine quit") << "quit" << int(Stopped);
    }

    void aListenerThatStartsAFileCutsTheStaleSequence()
    {
        QFETCH(QString, ending);
        QFETCH(int, heardAt);
        FakeEngine engine;
        EnginePlayer player(engine);
        Story story(player);
        player.setURL(a_);
        if (ending == QStringLiteral("silent")) {
            Q_EMIT engine.fileStarted(1);
            Q_EMIT engine.fileLoaded();
        } else {
            engine.opens(1);
        }
        if (ending == QStringLiteral("prepared"))
            player.prepareNext(QStringLiteral("/music/c.wav"));
        connect(&player, &MediaPlayer::StatusChange, &player, [&] {
            if (player.playState() == heardAt && player.URL() == a_)
                player.setURL(b_);
        });
        if (ending == QStringLiteral("end") || ending == QStringLiteral("silent") ||
            ending == QStringLiteral("prepared"))
            engine.ends(1, EndReason::EndOfFile);
        else if (ending == QStringLiteral("failed"))
            engine.ends(1, EndReason::Failed, QStringLiteral("bad"));
        else if (ending == QStringLiteral("output"))
            engine.ends(1, EndReason::OutputFailed, QStringLiteral("no device"));
        else if (ending == QStringLiteral("playlist"))
            engine.ends(1, EndReason::Redirected);
        else
            engine.quits();
        QCOMPARE(story.lines, QStringList({"9", "3", QString::number(heardAt), "9"}));
        QCOMPARE(player.URL(), b_);
        QTest::qWait(0);
        QCOMPARE(story.lines.size(), 4);
        engine.opens(engine.lastEntryId);
        QCOMPARE(player.playState(), int(Playing));
    }

    // The file prepared to follow is queued in the engine once the current
    // one has sounded; when that plays to its end, the end is announced as
    // ever, and then the prepared file is the current one.
    void aPreparedFileFollowsAFileThatPlaysToItsEnd()
    {
        FakeEngine engine;
        EnginePlayer player(engine);
        Story story(player);
        QStringList names;
        connect(&player, &Transport::currentNameChanged, &player,
                [&](const QString &name) { names.append(name); });
        // Nothing open: nothing for it to follow.
        player.prepareNext(b_);
        QVERIFY(engine.calls.isEmpty());

        player.setURL(a_);
        player.prepareNext(b_);
        QCOMPARE(engine.calls.size(), 3);
        engine.opens(1);
        QCOMPARE(engine.calls.mid(3), QStringList({"queue:/music/b.wav|b.wav"}));
        // Announced while the old file is still the player's.
        QStringList urls;
        connect(&player, &MediaPlayer::StatusChange, &player,
                [&] { urls.append(player.URL().section(u'/', -1)); });
        engine.ends(1, EndReason::EndOfFile);
        QCOMPARE(story.lines, QStringList({"9", "3", "8", "9", "1", "9"}));
        QCOMPARE(urls, QStringList({"a.mp3", "a.mp3", "a.mp3", "b.wav"}));
        QCOMPARE(player.currentName(), QStringLiteral("b.wav"));
        QCOMPARE(names, QStringList({"a.mp3", "b.wav"}));
        // It counts from below zero while the sound before it runs out.
        Q_EMIT engine.positionChanged(-0.2);
        QCOMPARE(player.position(), 0.0);
        engine.opens(2);
        QCOMPARE(player.playState(), int(Playing));
        QCOMPARE(engine.calls.size(), 4);
    }

    // Whatever else ends the current file, the prepared file does not follow,
    // and the engine is told when it may have gone on to it. (A drop, a stop,
    // another file and the chime are heard with the real engine.)
    void whatWasPreparedIsDropped_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("last");
        QTest::newRow("prepared again")
            << "prepare" << QStringList({"queue:/music/c.wav|c.wav"}) << "9";
        QTest::newRow("failed") << "failed" << QStringList({"dropQueued"})
                                << "failed:0:「a.mp3」を再生できません（bad）";
        // Not even queued: it has not sounded.
        QTest::newRow("no sound came")
            << "silent" << QStringList() << "failed:0:「a.mp3」からは音が出ませんでした";
        QTest::newRow("a playlist") << "playlist" << QStringList({"dropQueued", "stop"})
                                    << "failed:0:「a.mp3」は音声ファイルではありません";
        QTest::newRow("the engine quit")
            << "quit" << QStringList() << "failed:0:「a.mp3」の再生中に再生エンジンが終了しました";
    }

    void whatWasPreparedIsDropped()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, calls);
        QFETCH(QString, last);
        FakeEngine engine;
        EnginePlayer player(engine);
        Story story(player);
        player.setURL(a_);
        Q_EMIT engine.fileStarted(1);
        Q_EMIT engine.fileLoaded();
        if (action != QStringLiteral("silent"))
            Q_EMIT engine.positionChanged(0.02);
        player.prepareNext(b_);
        engine.calls.clear();
        if (action == QStringLiteral("prepare"))
            player.prepareNext(QStringLiteral("/music/c.wav"));
        else if (action == QStringLiteral("failed"))
            engine.ends(1, EndReason::Failed, QStringLiteral("bad"));
        else if (action == QStringLiteral("playlist"))
            engine.ends(1, EndReason::Redirected);
        else if (action == QStringLiteral("quit"))
            engine.quits();
        // The file before ends (if it still plays), and b never follows it.
        engine.ends(1, EndReason::EndOfFile);
        engine.opens(2);
        QCOMPARE(engine.calls, calls);
        QVERIFY(player.URL() != b_);
        QCOMPARE(story.lines.last(), last);
    }

    void pauseAndResume()
    {
        FakeEngine engine;
        EnginePlayer player(engine);
        Story story(player);
        player.pause();
        player.setURL(a_);
        // Paused before the file opened: it opens paused.
        Q_EMIT engine.pauseChanged(true);
        QCOMPARE(player.playState(), int(Transitioning));
        engine.opens(1);
        QCOMPARE(player.playState(), int(Paused));
        engine.calls.clear();
        player.togglePause();
        Q_EMIT engine.pauseChanged(false);
        player.togglePause();
        Q_EMIT engine.pauseChanged(true);
        player.play();
        QCOMPARE(engine.calls, QStringList({"pause:0", "pause:1", "pause:0"}));
        QCOMPARE(story.lines, QStringList({"9", "2", "3", "2"}));
    }

    void playAfterAnEndPlaysTheSameFileAgain()
    {
        FakeEngine engine;
        EnginePlayer player(engine);
        player.play();
        QVERIFY(engine.calls.isEmpty());
        player.setURL(a_);
        engine.opens(1);
        engine.ends(1, EndReason::EndOfFile);
        engine.calls.clear();
        player.togglePause();
        QCOMPARE(engine.calls, QStringList({"start", "pause:0", "load:/music/a.mp3|a.mp3"}));
        QCOMPARE(player.playState(), int(Transitioning));
    }

    void anEngineThatQuitsIsReportedLikeAFileThatCannotBePlayed()
    {
        FakeEngine engine;
        EnginePlayer player(engine);
        Story story(player);
        engine.quits();
        QVERIFY(story.lines.isEmpty());

        player.setURL(a_);
        engine.opens(1);
        Q_EMIT engine.durationChanged(20);
        engine.quits();
        QCOMPARE(
            story.lines,
            QStringList({"9", "3", "1", "failed:0:「a.mp3」の再生中に再生エンジンが終了しました"}));
        QCOMPARE(player.duration(), 0.0);
        // The next file starts a new engine, whose numbers start again.
        player.setURL(b_);
        QCOMPARE(engine.calls.count("start"), 2);
        engine.opens(1);
        QCOMPARE(player.playState(), int(Playing));
    }

    void positionVolumeAndMuteFollowTheEngine()
    {
        FakeEngine engine;
        EnginePlayer player(engine);
        QSignalSpy positions(&player, &Transport::positionChanged);
        QSignalSpy volumes(&player, &Transport::volumeChanged);
        QSignalSpy mutes(&player, &Transport::muteChanged);
        // The bar hears the position a few times a second, not at every step.
        for (double seconds : {1.0, 1.1, 1.2})
            Q_EMIT engine.positionChanged(seconds);
        QCOMPARE(player.position(), 1.2);
        QTRY_COMPARE(positions.size(), 1);
        QCOMPARE(positions.at(0).at(0).toDouble(), 1.2);

        player.setVolume(130);
        QCOMPARE(engine.calls.last(), QStringLiteral("volume:100"));
        Q_EMIT engine.volumeChanged(100);
        Q_EMIT engine.volumeChanged(40);
        QCOMPARE(player.volume(), 40);
        QCOMPARE(volumes.size(), 2);

        player.setMute(true);
        QCOMPARE(engine.calls.last(), QStringLiteral("mute:1"));
        Q_EMIT engine.muteChanged(true);
        Q_EMIT engine.muteChanged(false);
        QCOMPARE(player.isMuted(), false);
        QCOMPARE(mutes.size(), 2);
    }
};

CHIMEBOX_TEST_MAIN(TestEnginePlayer)
#include "test_engine_player.moc"
