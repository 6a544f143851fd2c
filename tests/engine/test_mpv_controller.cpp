#include "base/NativeName.h"
#include "engine/MpvLibrary.h"
#include "support/PlayerFixtures.h"
#include "support/TestMain.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <filesystem>

using namespace chimebox::engine;
using namespace chimebox::playback;
using namespace playertest;

namespace {

// Points the temporary folder at path until the guard goes.
auto tempFolderAt(const QString &path)
{
    const bool wasSet = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray saved = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(path));
    return qScopeGuard([wasSet, saved] {
        if (wasSet)
            qputenv("TMPDIR", saved);
        else
            qunsetenv("TMPDIR");
    });
}

} // namespace

// Real libmpv with the null audio output, which plays in real time, so every
// wait below is for something that happens within a second or two; the
// timeouts are generous for a loaded machine.
class TestMpvController : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString shortWav_;
    QString longWav_;

    static constexpr int kTimeout = 15000;
    const QList<int> playedToEnd_ = {Transitioning, Playing, MediaEnded, Transitioning, Stopped};

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        shortWav_ = writeFile(QDir(dir_.path()), "short.wav", toneWav(440, 300));
        longWav_ = writeFile(QDir(dir_.path()), "long.wav", toneWav(440, 20000));
    }

    // QTemporaryDir lists names as text and so cannot remove one that is not
    // valid UTF-8.
    void cleanupTestCase()
    {
        std::filesystem::remove_all(chimebox::nativename::toPath(dir_.path()));
    }

    // First of all, while nothing has played in this process yet.
    void libmpvIsLoadedOnAThreadOfItsOwnBeforeTheFirstFile()
    {
        QVERIFY(!MpvLibrary::isLoaded());
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        // What a start does to the player, and what the transport bar can.
        player.stop();
        player.setVolume(40);
        player.setMute(true);
        player.togglePause();
        player.pause();
        player.seek(3);
        QVERIFY(!MpvLibrary::isLoaded());
        // The window asks once it is up, and goes on at once.
        player.preload();
        QVERIFY(!MpvLibrary::isLoaded());
        player.setVolume(30);
        QTRY_VERIFY_WITH_TIMEOUT(MpvLibrary::isLoaded(), kTimeout);
        // The first file finds it, with the volume set while it was made.
        QSignalSpy volumes(&player, &EnginePlayer::volumeChanged);
        player.setURL(longWav_);
        QTRY_VERIFY_WITH_TIMEOUT(player.position() > 0.2, kTimeout);
        QCOMPARE(player.volume(), 30);
        QCOMPARE(player.isMuted(), true);
        QVERIFY(volumes.isEmpty());
        player.stop();
    }

    void engineWarningsGoToTheLog()
    {
        const EngineLog logged;
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        StateLog log(player);
        player.setURL(shortWav_);
        QTRY_COMPARE_WITH_TIMEOUT(log.states, playedToEnd_, kTimeout);
        QCOMPARE(EngineLog::lines(), QStringList());

        QSignalSpy failures(&player, &MediaPlayer::playbackFailed);
        player.setURL(writeFile(QDir(dir_.path()), "noise.mp3", QByteArray(4096, '\x5a')));
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, kTimeout);
        QVERIFY(!EngineLog::lines().isEmpty());
    }

    void endOfFileAnnouncesEndedTransitioningStopped_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("wav") << shortWav_;
        QTest::newRow("mp3") << fixture(QStringLiteral("tone660.mp3"));
        QTest::newRow("wma") << fixture(QStringLiteral("tone880.wma"));
        QTest::newRow("japanese name") << writeFile(
            QDir(dir_.path()), QStringLiteral("朝のチャイム.wav").toUtf8(), toneWav(550, 300));
        QTest::newRow("name not valid utf-8")
            << writeFile(QDir(dir_.path()), "bad\xff\xfe name.wav", toneWav(770, 300));
    }

    void endOfFileAnnouncesEndedTransitioningStopped()
    {
        QFETCH(QString, path);
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        StateLog log(player);
        QSignalSpy failures(&player, &MediaPlayer::playbackFailed);
        player.setURL(path);
        QCOMPARE(player.URL(), path);
        QCOMPARE(player.playState(), int(Transitioning));
        QTRY_COMPARE_WITH_TIMEOUT(log.states, playedToEnd_, kTimeout);
        QCOMPARE(player.playState(), int(Stopped));
        QVERIFY(failures.isEmpty());
    }

    void listenerPlaysFilesOneAfterAnother()
    {
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        StateLog log(player);
        const QStringList files = {shortWav_, fixture(QStringLiteral("tone660.mp3"))};
        QStringList names;
        int next = 1;
        connect(&player, &MediaPlayer::StatusChange, &player, [&] {
            if (player.playState() == Stopped && next < files.size())
                player.setURL(files.at(next++));
        });
        connect(&player, &EnginePlayer::currentNameChanged, &player,
                [&](const QString &name) { names.append(name); });
        player.setURL(files.at(0));
        QTRY_COMPARE_WITH_TIMEOUT(log.states, playedToEnd_ + playedToEnd_, kTimeout);
        QCOMPARE(names, QStringList({QStringLiteral("short.wav"), QStringLiteral("tone660.mp3")}));
    }

    // The file prepared while one plays follows it when it ends, whatever
    // its format; one that cannot be played is reported as any other.
    void aPreparedFileFollows_data()
    {
        QTest::addColumn<QString>("next");
        QTest::addColumn<QList<int>>("after");
        QTest::addColumn<int>("failures");
        // Prepared this long after the current file has sounded.
        QTest::addColumn<int>("lateMs");
        const QString next = writeFile(QDir(dir_.path()), "next.wav", toneWav(880, 300));
        QTest::newRow("wav after wav") << next << playedToEnd_ << 0 << 0;
        QTest::newRow("mp3 after wav")
            << fixture(QStringLiteral("tone660.mp3")) << playedToEnd_ << 0 << 0;
        QTest::newRow("22 kHz after 44.1 kHz")
            << writeFile(QDir(dir_.path()), "22k.wav", toneWav(880, 300, 22050)) << playedToEnd_
            << 0 << 0;
        QTest::newRow("the same file again") << shortWav_ << playedToEnd_ << 0 << 0;
        QTest::newRow("cannot be played")
            << writeFile(QDir(dir_.path()), "next-garbage.wav", QByteArray(4096, '\x5a'))
            << QList<int>({Transitioning, Stopped}) << 1 << 0;
        // The engine has ended the current file, and not yet told so.
        QTest::newRow("prepared as the file ends") << next << playedToEnd_ << 0 << 800;
    }

    void aPreparedFileFollows()
    {
        QFETCH(QString, next);
        QFETCH(QList<int>, after);
        QFETCH(int, failures);
        QFETCH(int, lateMs);
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        StateLog log(player);
        QSignalSpy failed(&player, &MediaPlayer::playbackFailed);
        QStringList urls;
        connect(&player, &MediaPlayer::StatusChange, &player, [&] {
            if (player.playState() == Transitioning)
                urls.append(player.URL());
        });
        // As continuous play does: the next file right after the current one.
        player.setURL(shortWav_);
        if (lateMs > 0) {
            QTRY_VERIFY_WITH_TIMEOUT(player.position() > 0, kTimeout);
            QThread::msleep(lateMs);
        }
        player.prepareNext(next);
        QTRY_COMPARE_WITH_TIMEOUT(log.states, playedToEnd_ + after, kTimeout);
        QCOMPARE(urls.mid(0, 3), QStringList({shortWav_, shortWav_, next}));
        QCOMPARE(player.URL(), next);
        QCOMPARE(failed.size(), failures);
        // Nothing more follows.
        QTest::qWait(500);
        QCOMPARE(log.states.size(), playedToEnd_.size() + after.size());
    }

    // A drop, a stop, another file or the chime: the prepared file does not
    // follow, also when the engine went on to it before it said so.
    void whatWasPreparedIsDropped_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("heard");
        const QString a = QStringLiteral("current.wav");
        QTest::newRow("dropped") << "drop" << QStringList({a});
        QTest::newRow("stopped") << "stop" << QStringList({a});
        QTest::newRow("another file") << "setURL" << QStringList({a, QStringLiteral("other.wav")});
        QTest::newRow("the chime") << "chime" << QStringList({a, QStringLiteral("チャイム")});
        QTest::newRow("dropped as the engine went on to it") << "late drop" << QStringList({a});
    }

    void whatWasPreparedIsDropped()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, heard);
        // Long enough for the drop to come before the engine goes on.
        const QString current = writeFile(QDir(dir_.path()), "current.wav", toneWav(440, 1500));
        const QString other = writeFile(QDir(dir_.path()), "other.wav", toneWav(660, 300));
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        StateLog log(player);
        QStringList started;
        connect(&player, &MediaPlayer::StatusChange, &player, [&] {
            if (player.playState() == Playing)
                started.append(player.currentName());
        });
        // What the engine itself started and ended, by its numbers.
        QList<qint64> running;
        connect(&engine, &PlaybackEngine::fileStarted, &engine,
                [&](qint64 id) { running.append(id); });
        connect(&engine, &PlaybackEngine::fileEnded, &engine, [&](const FileEnd &end) {
            running.removeAll(end.entryId);
            QVERIFY(end.entryId != 2 || end.reason == EndReason::Stopped);
        });
        player.setURL(current);
        player.prepareNext(longWav_);
        // Queued, as entry 2, once the current file has sounded: well past its
        // first position, which a loaded machine may report before that.
        QTRY_VERIFY_WITH_TIMEOUT(player.position() >= 0.1, kTimeout);
        if (action == QStringLiteral("drop"))
            player.dropPrepared();
        else if (action == QStringLiteral("stop"))
            player.stop();
        else if (action == QStringLiteral("setURL"))
            player.setURL(other);
        else if (action == QStringLiteral("chime"))
            player.playChime();
        if (action == QStringLiteral("late drop")) {
            // The engine plays to the end and goes on while this thread is
            // busy, and hears of it only after the drop.
            QThread::msleep(1600);
            player.dropPrepared();
        }
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(Stopped), kTimeout);
        QTest::qWait(800);
        QCOMPARE(player.playState(), int(Stopped));
        QCOMPARE(started, heard);
        // The long file never played to its end, nor was it left playing.
        QCOMPARE(running, QList<qint64>());
        QVERIFY(player.URL() != longWav_);
    }

    void replacingAFileIgnoresTheEndOfTheOldOne()
    {
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        StateLog log(player);
        player.setURL(longWav_);
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(Playing), kTimeout);
        player.setURL(shortWav_);
        QTRY_COMPARE_WITH_TIMEOUT(log.states.size(), 7, kTimeout);
        QCOMPARE(log.states, QList<int>({Transitioning, Playing}) + playedToEnd_);
    }

    void stopOnAnIdlePlayerChangesNothing()
    {
        MpvController freshEngine(nullOutput());
        EnginePlayer fresh(freshEngine);
        QSignalSpy freshSpy(&fresh, &MediaPlayer::StatusChange);
        fresh.stop();
        QCOMPARE(fresh.playState(), int(Undefined));

        MpvController startedEngine(nullOutput());
        EnginePlayer started(startedEngine);
        startedEngine.start();
        QSignalSpy startedSpy(&started, &MediaPlayer::StatusChange);
        started.stop();
        QCOMPARE(started.playState(), int(Undefined));

        MpvController endedEngine(nullOutput());
        EnginePlayer ended(endedEngine);
        StateLog log(ended);
        ended.setURL(shortWav_);
        QTRY_COMPARE_WITH_TIMEOUT(log.states, playedToEnd_, kTimeout);
        ended.stop();
        QTest::qWait(300);
        QCOMPARE(log.states, playedToEnd_);
        QVERIFY(freshSpy.isEmpty());
        QVERIFY(startedSpy.isEmpty());
    }

    void stopWhilePlayingSilencesTheEngine()
    {
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        StateLog log(player);
        player.setURL(longWav_);
        QTRY_VERIFY_WITH_TIMEOUT(player.position() > 0.5, kTimeout);
        QCOMPARE(player.playState(), int(Playing));
        const double stoppedAt = player.position();
        QList<double> positions;
        connect(&engine, &PlaybackEngine::positionChanged, &engine,
                [&](double seconds) { positions.append(seconds); });
        player.stop();
        QCOMPARE(player.playState(), int(Stopped));
        QCOMPARE(log.states, QList<int>({Transitioning, Playing, Stopped}));
        // The engine's own report of the stop must not look like an end, and
        // its clock must not run on.
        QTest::qWait(1500);
        QCOMPARE(log.states, QList<int>({Transitioning, Playing, Stopped}));
        QCOMPARE(player.position(), 0.0);
        QVERIFY(!positions.isEmpty());
        QCOMPARE(positions.last(), 0.0);
        for (double seconds : positions)
            QVERIFY2(seconds < stoppedAt + 0.3, qPrintable(QString::number(seconds)));
    }

    void stopWhileLoadingAnnouncesStopped()
    {
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        StateLog log(player);
        player.setURL(longWav_);
        player.stop();
        QTest::qWait(1000);
        QCOMPARE(log.states, QList<int>({Transitioning, Stopped}));
    }

    void unplayableFileIsReportedWithoutHanging_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QList<int>>("states");
        const QList<int> refused{Transitioning, Stopped};
        QTest::newRow("garbage") << writeFile(QDir(dir_.path()), "garbage.wav",
                                              QByteArray(4096, '\x5a'))
                                 << refused;
        QTest::newRow("empty") << writeFile(QDir(dir_.path()), "empty.mp3", QByteArray())
                               << refused;
        QTest::newRow("missing") << dir_.filePath(QStringLiteral("missing.wma")) << refused;
        QTest::newRow("folder") << dir_.path() << refused;
        // A header that promises a tone and holds barely any of it: it opens,
        // but no sound comes out, so it counts as a file that cannot be played.
        QTest::newRow("header only")
            << writeFile(QDir(dir_.path()), "header.wav", toneWav(440, 300).left(100))
            << QList<int>{Transitioning, Playing, Stopped};
    }

    void unplayableFileIsReportedWithoutHanging()
    {
        QFETCH(QString, path);
        QFETCH(QList<int>, states);
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        StateLog log(player);
        QSignalSpy failures(&player, &MediaPlayer::playbackFailed);
        player.setURL(path);
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, kTimeout);
        QCOMPARE(failures.at(0).at(1).toBool(), false);
        QVERIFY(!failures.at(0).at(0).toString().isEmpty());
        QCOMPARE(log.states, states);

        // The player is still usable afterwards.
        log.states.clear();
        player.setURL(shortWav_);
        QTRY_COMPARE_WITH_TIMEOUT(log.states, playedToEnd_, kTimeout);
    }

    void outputThatCannotOpenIsReportedAsSuch()
    {
        // PulseAudio pointed at a socket that does not exist: no sound can
        // come out at all.
        qputenv("PULSE_SERVER", "unix:/nonexistent/chimebox-test/native");
        MpvController engine({QStringLiteral("pulse")});
        EnginePlayer player(engine);
        StateLog log(player);
        QSignalSpy failures(&player, &MediaPlayer::playbackFailed);
        player.setURL(shortWav_);
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, kTimeout);
        qunsetenv("PULSE_SERVER");
        QCOMPARE(failures.at(0).at(1).toBool(), true);
        QCOMPARE(player.playState(), int(Stopped));
        QCOMPARE(log.states.last(), int(Stopped));
        QVERIFY(!log.states.contains(MediaEnded));
    }

    void engineThatCannotStartIsReportedAfterTheCall()
    {
        // An output setting mpv refuses: the engine itself cannot start.
        MpvController engine({QStringLiteral("=")});
        EnginePlayer player(engine);
        QSignalSpy failures(&player, &MediaPlayer::playbackFailed);
        // The caller notes what it started before it hears of the failure.
        player.setURL(shortWav_);
        QCOMPARE(failures.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, kTimeout);
        QCOMPARE(failures.at(0).at(1).toBool(), true);
        QVERIFY(!failures.at(0).at(0).toString().isEmpty());
        QCOMPARE(player.playState(), int(Undefined));
    }

    void pauseResumeAndPlayAgain()
    {
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        StateLog log(player);
        player.setURL(longWav_);
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(Playing), kTimeout);
        player.togglePause();
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(Paused), kTimeout);
        player.togglePause();
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(Playing), kTimeout);

        // Seeking near the end lets the file end on its own; play() then
        // starts it again.
        QTRY_VERIFY_WITH_TIMEOUT(player.duration() > 19, kTimeout);
        player.seek(19.7);
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(Stopped), kTimeout);
        QCOMPARE(log.states.mid(log.states.size() - 3),
                 QList<int>({MediaEnded, Transitioning, Stopped}));
        player.play();
        QCOMPARE(player.playState(), int(Transitioning));
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(Playing), kTimeout);
        QCOMPARE(player.URL(), longWav_);
        player.stop();
    }

    void positionVolumeAndMuteAreReported()
    {
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        QCOMPARE(player.volume(), 50);
        QCOMPARE(player.isMuted(), false);
        QSignalSpy positions(&player, &EnginePlayer::positionChanged);
        QSignalSpy volumes(&player, &EnginePlayer::volumeChanged);
        QSignalSpy mutes(&player, &EnginePlayer::muteChanged);
        player.setURL(longWav_);
        QTRY_VERIFY_WITH_TIMEOUT(player.position() > 0.5, kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty(), kTimeout);
        QCOMPARE(player.duration(), 20.0);
        player.setVolume(130);
        QCOMPARE(player.volume(), 100);
        player.setMute(true);
        QCOMPARE(player.isMuted(), true);
        QTest::qWait(300);
        QCOMPARE(volumes.size(), 1);
        QCOMPARE(mutes.size(), 1);
        player.stop();
        QCOMPARE(player.position(), 0.0);
    }

    void chimeIsWrittenOnceWhenFirstNeededAndRemovedWithThePlayer()
    {
        // The chime plays from a short file of its own in the temporary
        // folder, not from an address that holds the whole sound.
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const auto restore = tempFolderAt(tmp.path());
        const auto files = [&] { return QDir(tmp.path()).entryList(QDir::Files); };
        {
            MpvController engine(nullOutput());
            EnginePlayer player(engine);
            StateLog log(player);
            QSignalSpy failures(&player, &MediaPlayer::playbackFailed);
            engine.start();
            player.setURL(shortWav_);
            QTRY_COMPARE_WITH_TIMEOUT(log.states, playedToEnd_, kTimeout);
            QCOMPARE(files(), QStringList());

            player.playChime();
            QTRY_COMPARE_WITH_TIMEOUT(log.states, playedToEnd_ + playedToEnd_, kTimeout);
            QCOMPARE(player.currentName(), QStringLiteral("チャイム"));
            const QStringList written = files();
            QCOMPARE(written.size(), 1);
            QFile chime(tmp.filePath(written.first()));
            QVERIFY(chime.open(QIODevice::ReadOnly));
            QCOMPARE(chime.readAll(), chimeWav());
            chime.close();

            // The next alarm's chime, and a replay from the transport bar,
            // use the same file.
            player.playChime();
            QTRY_COMPARE_WITH_TIMEOUT(log.states.size(), 3 * playedToEnd_.size(), kTimeout);
            player.play();
            QTRY_COMPARE_WITH_TIMEOUT(log.states.size(), 4 * playedToEnd_.size(), kTimeout);
            QCOMPARE(log.states.mid(3 * playedToEnd_.size()), playedToEnd_);
            QCOMPARE(files(), written);
            QVERIFY(failures.isEmpty());
        }
        QCOMPARE(files(), QStringList());
    }

    void chimeThatCannotBeWrittenIsReportedAfterTheCall()
    {
        // A temporary "folder" that is a file: nothing can be made in it,
        // whoever runs the test.
        const QString notAFolder = writeFile(QDir(dir_.path()), "not-a-folder", "x");
        const auto restore = tempFolderAt(notAFolder);
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        QSignalSpy failures(&player, &MediaPlayer::playbackFailed);
        player.playChime();
        QCOMPARE(failures.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, kTimeout);
        // Not a silent output: the next file may well play.
        QCOMPARE(failures.at(0).at(1).toBool(), false);
        StateLog log(player);
        player.setURL(shortWav_);
        QTRY_COMPARE_WITH_TIMEOUT(log.states, playedToEnd_, kTimeout);
    }
};

CHIMEBOX_TEST_MAIN(TestMpvController)
#include "test_mpv_controller.moc"
