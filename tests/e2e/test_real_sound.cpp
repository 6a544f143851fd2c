// The whole road from a click on a file to sound out of the speakers: the real
// window, the real libmpv player with its normal audio output, and a private
// PulseAudio daemon whose null sink is recorded. Run it through
// with-pulseaudio.sh.

#include "base/NativeName.h"
#include "core/playback/PlaybackSession.h"
#include "core/scheduler/Clock.h"
#include "engine/EnginePlayer.h"
#include "engine/MpvController.h"
#include "engine/MpvLibrary.h"
#include "engine/PulseOutput.h"
#include "engine/ToneWav.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileManager.h"
#include "fakes/FakeMessageSink.h"
#include "gui/app/FirstTouch.h"
#include "gui/app/Form1.h"
#include "gui/browse/FileList.h"
#include "gui/playback/PlayerWidget.h"
#include "support/AutoPlayName.h"
#include "support/Files.h"
#include "support/MonitorRecorder.h"
#include "support/SendSignal.h"
#include "support/TestMain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>
#include <functional>
#include <memory>

using namespace chimebox;
using chimebox::playback::AutoPlay;
using testfiles::writeFile;

namespace {

constexpr double kLowHz = 440;
constexpr double kHighHz = 1760;
// The chime's first stroke.
constexpr double kChimeHz = 1046.5;

// A WAV file from toneWav with a title tag (a LIST INFO chunk) before its data.
QByteArray withTitleTag(QByteArray wav, const QByteArray &title)
{
    QByteArray name = title + '\0';
    const qsizetype nameSize = name.size();
    if (name.size() % 2 != 0)
        name += '\0';
    QByteArray info = "INFOINAM" + QByteArray(4, '\0') + name;
    qToLittleEndian<quint32>(quint32(nameSize), info.data() + 8);
    QByteArray list = "LIST" + QByteArray(4, '\0') + info;
    qToLittleEndian<quint32>(quint32(info.size()), list.data() + 4);
    // The format chunk ends at byte 36; the RIFF size counts everything after byte 8.
    wav.insert(36, list);
    qToLittleEndian<quint32>(quint32(wav.size() - 8), wav.data() + 4);
    return wav;
}

// Every file the player opens, with where the recording stood at that moment,
// and every state it announced, for the messages of failed checks.
struct PlayerLog : QObject
{
    struct Load
    {
        QString url;
        QString name;
        qint64 frame;
        qint64 ms;
    };
    QList<Load> loads;
    QString states;
    int previousState = playback::Undefined;

    PlayerLog(engine::EnginePlayer &player, const MonitorRecorder &recorder)
    {
        connect(&player, &playback::MediaPlayer::StatusChange, this, [&, this] {
            const int state = player.playState();
            states += QStringLiteral(" %1@%2ms").arg(state).arg(recorder.elapsedMs());
            // Opening a file announces Transitioning; so does the end of one,
            // but only right after MediaEnded.
            if (state == playback::Transitioning && previousState != playback::MediaEnded)
                loads.append({player.URL(), player.currentName(), recorder.frameCount(),
                              recorder.elapsedMs()});
            previousState = state;
        });
    }
};

// The system's clock, counting the window's ticks: each reads the date once.
struct TickCountingClock : scheduler::Clock
{
    scheduler::SystemClock system;
    mutable int ticks = 0;

    QString timeText() const override { return system.timeText(); }
    QString dateText() const override
    {
        ++ticks;
        return system.dateText();
    }
    QDateTime now() const override { return system.now(); }
};

// The program's own wiring on the settings folder given, with message boxes
// and the file manager faked so that nothing blocks.
struct RealWindow
{
    engine::MpvController engine;
    engine::EnginePlayer player{engine};
    FakeMessageSink messages;
    FakeFileManager fileManager;
    engine::PulseOutput output;
    playback::PlaybackSession session;
    app::Form1 form;

    RealWindow(scheduler::Clock &clock, const QString &settingsFolder)
        : session(player, clock, settings::SettingsFolder(settingsFolder), &output),
          form({session,
                new playback::PlayerWidget(session),
                messages,
                fileManager,
                settingsFolder,
                {}})
    {}

    // Runs start-up and shows the window; File1 once the window is on screen.
    browse::FileList *show()
    {
        form.Form_Load();
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            return nullptr;
        // As the program does once the window is painted.
        auto *firstTouch = new app::FirstTouch(form, &form);
        QObject::connect(firstTouch, &app::FirstTouch::touched, &session,
                         &playback::PlaybackSession::preload);
        firstTouch->watch();
        return form.findChild<browse::FileList *>(QStringLiteral("File1"));
    }

    // What the window and the player went through, for failure messages.
    std::function<QString()> story(const PlayerLog &log, const MonitorRecorder &recorder)
    {
        return [this, &log, &recorder] {
            const auto *File1 = form.findChild<browse::FileList *>(QStringLiteral("File1"));
            return QStringLiteral(" playState:%1 at %2ms; %3, ListIndex %4; %5")
                .arg(log.states)
                .arg(recorder.elapsedMs())
                .arg(QString::fromLatin1(playback::autoPlayName(form.session().autoPlayState())))
                .arg(File1 ? File1->listIndex() : -1)
                .arg(messages.failures.join(u' '));
        };
    }
};

} // namespace

class TestRealSound : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    // First: the engine is loaded in this process only once the window is up.
    void theFirstClickSoundsAsSoonAsALaterOne();
    void clickPlaysTheFolderOverAndOverUntilStopped();
    void anAlarmWhoseFileCannotBePlayedChimesThenPlaysOn();
    void anAlarmIsHeardThroughAMutedPlayerAndDesktop_data();
    void anAlarmIsHeardThroughAMutedPlayerAndDesktop();
    // Last: these take the sound server, and the recorder with it, away.
    void aSoundServerThatDiesAndComesBack();
    void anAlarmWaitsForASoundServerThatIsLate();

private:
    // Waits until the tone of hz sounds after the given load; start receives
    // the frame where it was first heard.
    bool hearTone(PlayerLog::Load load, double hz, qint64 *start = nullptr);
    // The silence between the sounds heard from `from` up to `to`, in ms.
    qint64 silenceMs(qint64 from, qint64 to) const;
    // Kills the sound server, or starts it again and records its sink anew.
    static bool killSoundServer();
    static bool startSoundServer(MonitorRecorder &recorder);

    MonitorRecorder recorder;
    // What the window and the player went through, for failure messages.
    std::function<QString()> story = [] { return QString(); };
};

void TestRealSound::initTestCase()
{
    const QString source = qEnvironmentVariable("CHIMEBOX_MONITOR_SOURCE");
    QVERIFY2(!source.isEmpty() && qEnvironmentVariableIsSet("PULSE_SERVER") &&
                 qEnvironmentVariableIsSet("CHIMEBOX_PULSE_START"),
             "run this test through tests/e2e/with-pulseaudio.sh");
    QVERIFY2(recorder.start(source), qPrintable(recorder.error()));
    // The monitor delivers silence while nothing plays; without a silent start
    // nothing below would prove anything.
    QTRY_VERIFY_WITH_TIMEOUT(recorder.frameCount() > MonitorRecorder::framesIn(300), 5000);
    QCOMPARE(recorder.lastSound(), -1);
}

bool TestRealSound::hearTone(PlayerLog::Load load, double hz, qint64 *start)
{
    const qint64 window = MonitorRecorder::framesIn(100);
    const bool heard =
        QTest::qWaitFor([&] { return recorder.toneFrom(load.frame, hz, window) >= 0; }, 5000);
    if (heard && start)
        *start = recorder.toneFrom(load.frame, hz, window);
    return heard;
}

qint64 TestRealSound::silenceMs(qint64 from, qint64 to) const
{
    return recorder.longestSilence(from, to) * 1000 / MonitorRecorder::kRate;
}

// The engine loads as the pointer comes onto the window, as the program has
// it: the first click sounds as soon as a later one does. Each click comes
// right after a tick of the window's one-second timer, so both wait alike for
// the tick that plays the file.
void TestRealSound::theFirstClickSoundsAsSoonAsALaterOne()
{
    QVERIFY2(!engine::MpvLibrary::isLoaded(), "the engine was loaded before the window was up");
    QTemporaryDir settingsDir;
    QTemporaryDir musicDir;
    QVERIFY(settingsDir.isValid() && musicDir.isValid());
    writeFile(musicDir.filePath(QStringLiteral("a-low.wav")), engine::toneWav(kLowHz, 5000));
    writeFile(settingsDir.filePath(QStringLiteral("chimebox.ini")),
              nativename::encode(musicDir.path()) + "\r\n");

    TickCountingClock clock;
    RealWindow rig(clock, settingsDir.path());
    auto &[engine, player, messages, fileManager, output, session, form] = rig;
    auto *File1 = rig.show();
    QVERIFY(File1);
    PlayerLog log(player, recorder);
    story = rig.story(log, recorder);

    // Milliseconds from a click on the file to its first sound; -1 if none.
    const auto clickToSound = [&]() -> qint64 {
        const int ticks = clock.ticks;
        if (!QTest::qWaitFor([&] { return clock.ticks > ticks; }, 3000))
            return -1;
        const qint64 frame = recorder.frameCount();
        const qint64 ms = recorder.elapsedMs();
        QTest::mouseClick(File1->viewport(), Qt::LeftButton, {},
                          File1->visualRect(File1->model()->index(0, 0)).center());
        if (!QTest::qWaitFor([&] { return recorder.firstSoundFrom(frame) >= 0; }, 5000))
            return -1;
        return recorder.arrivalMs(recorder.firstSoundFrom(frame)) - ms;
    };

    // A listener takes a moment to find the file: two ticks.
    QVERIFY(!engine::MpvLibrary::isLoaded());
    QTest::mouseMove(File1->viewport(), File1->visualRect(File1->model()->index(0, 0)).center());
    const int shown = clock.ticks;
    QVERIFY(QTest::qWaitFor([&] { return clock.ticks >= shown + 2; }, 5000));
    // Made while the hand was on its way, not at the click.
    QVERIFY(engine::MpvLibrary::isLoaded());
    const qint64 first = clickToSound();
    QVERIFY2(first >= 0, qPrintable(QStringLiteral("the first click was not heard;") + story()));

    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     return recorder.frameCount() - 1 - recorder.lastSound() >
                            MonitorRecorder::framesIn(300);
                 },
                 3000),
             "sound still comes out after the stop button");
    const qint64 later = clickToSound();
    QVERIFY2(later >= 0, qPrintable(QStringLiteral("the later click was not heard;") + story()));
    qInfo("click to sound: %lld ms the first time, %lld ms later", first, later);
    QVERIFY2(first - later < 250,
             qPrintable(QStringLiteral("first %1 ms, later %2 ms").arg(first).arg(later)));
    QVERIFY2(messages.failures.isEmpty(), qPrintable(story()));
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
}

void TestRealSound::clickPlaysTheFolderOverAndOverUntilStopped()
{
    QTemporaryDir settingsDir;
    QTemporaryDir musicDir;
    QVERIFY(settingsDir.isValid() && musicDir.isValid());
    const QString low = QStringLiteral("a-low.wav");
    const QString high = QStringLiteral("b-高い音.wav");
    // The first file is longer so that the stop below lands well inside it.
    writeFile(musicDir.filePath(low), engine::toneWav(kLowHz, 1500));
    writeFile(musicDir.filePath(high), engine::toneWav(kHighHz, 1000));
    writeFile(settingsDir.filePath(QStringLiteral("chimebox.ini")),
              nativename::encode(musicDir.path()) + "\r\n");

    scheduler::SystemClock clock;
    RealWindow rig(clock, settingsDir.path());
    auto &[engine, player, messages, fileManager, output, session, form] = rig;
    engine.start();
    auto *File1 = rig.show();
    QVERIFY(form.formLoaded());
    auto *Command1 = form.findChild<QPushButton *>(QStringLiteral("Command1"));
    QVERIFY(File1 && Command1);
    QCOMPARE(File1->listCount(), 2);
    QCOMPARE(File1->item(0), low);
    QCOMPARE(File1->item(1), high);
    const QString folder = File1->path();
    PlayerLog log(player, recorder);
    story = rig.story(log, recorder);

    // A click on the first file; the next tick of the real one-second timer plays it.
    QTest::mouseClick(File1->viewport(), Qt::LeftButton, {},
                      File1->visualRect(File1->model()->index(0, 0)).center());
    QCOMPARE(File1->listIndex(), 0);
    QCOMPARE(form.session().autoPlayState(), AutoPlay::Requested);
    QVERIFY2(QTest::qWaitFor([&] { return log.loads.size() == 1; }, 3000), qPrintable(story()));
    QCOMPARE(log.loads[0].url, folder + u'/' + low);

    const PlayerLog::Load first = log.loads[0];
    QVERIFY2(QTest::qWaitFor([&] { return recorder.firstSoundFrom(first.frame) >= 0; }, 3000),
             qPrintable(story()));
    const qint64 firstSound = recorder.firstSoundFrom(first.frame);
    qInfo("tick to first sound: %lld ms as it arrived, %lld ms by frames",
          recorder.arrivalMs(firstSound) - first.ms,
          (firstSound - first.frame) * 1000 / MonitorRecorder::kRate);
    QVERIFY2(hearTone(first, kLowHz), qPrintable(QStringLiteral("no low tone;") + story()));

    // Its end moves the selection on, and the next tick plays the Japanese name.
    QVERIFY2(QTest::qWaitFor([&] { return File1->listIndex() == 1; }, 5000), qPrintable(story()));
    QVERIFY2(QTest::qWaitFor([&] { return log.loads.size() == 2; }, 3000), qPrintable(story()));
    QCOMPARE(log.loads[1].url, folder + u'/' + high);
    QCOMPARE(player.URL(), folder + u'/' + high);
    qint64 highStarts = -1;
    QVERIFY2(hearTone(log.loads[1], kHighHz, &highStarts),
             qPrintable(QStringLiteral("no high tone;") + story()));
    // One file follows the other without a gap.
    const qint64 firstGap = silenceMs(firstSound, highStarts);
    qInfo("silence between the files: %lld ms", firstGap);
    QVERIFY2(firstGap < 100,
             qPrintable(QStringLiteral("%1 ms of silence;").arg(firstGap) + story()));

    // The last file wraps round to the first.
    QVERIFY2(QTest::qWaitFor([&] { return File1->listIndex() == 0; }, 5000), qPrintable(story()));
    QVERIFY2(QTest::qWaitFor([&] { return log.loads.size() == 3; }, 3000), qPrintable(story()));
    QCOMPARE(log.loads[2].url, folder + u'/' + low);
    qint64 again = -1;
    QVERIFY2(hearTone(log.loads[2], kLowHz, &again),
             qPrintable(QStringLiteral("no low tone again;") + story()));
    const qint64 wrapGap = silenceMs(highStarts, again);
    QVERIFY2(wrapGap < 100, qPrintable(QStringLiteral("%1 ms of silence;").arg(wrapGap) + story()));

    // The stop button silences it at once, long before the file would end,
    // and nothing plays on.
    QCOMPARE(player.playState(), int(playback::Playing));
    const qint64 stopFrame = recorder.frameCount();
    const qint64 stopMs = recorder.elapsedMs();
    QTest::mouseClick(Command1, Qt::LeftButton);
    QCOMPARE(form.session().autoPlayState(), AutoPlay::Stopped);
    QCOMPARE(player.playState(), int(playback::Stopped));
    QTest::qWait(600);
    const qint64 lastSound = recorder.lastSound();
    QVERIFY2(recorder.frameCount() - 1 - lastSound >= MonitorRecorder::framesIn(300),
             "sound still comes out after the stop button");
    QVERIFY2(lastSound - again < MonitorRecorder::framesIn(1200), "the file played to its end");
    qInfo("stop button to silence: %lld ms as it arrived, %lld ms by frames",
          recorder.arrivalMs(lastSound) - stopMs,
          (lastSound + 1 - stopFrame) * 1000 / MonitorRecorder::kRate);

    QTest::qWait(2500);
    QVERIFY2(recorder.lastSound() == lastSound, "sound came back after the stop button");
    QCOMPARE(log.loads.size(), 3);
    QCOMPARE(File1->listIndex(), 0);
    QCOMPARE(form.session().autoPlayState(), AutoPlay::Stopped);
    QVERIFY2(messages.failures.isEmpty(), qPrintable(story()));
}

void TestRealSound::anAlarmWhoseFileCannotBePlayedChimesThenPlaysOn()
{
    QTemporaryDir settingsDir;
    QTemporaryDir musicDir;
    QVERIFY(settingsDir.isValid() && musicDir.isValid());
    // Random bytes, the same on every run, which no decoder takes for sound.
    QRandomGenerator noiseSource(8);
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    for (char &byte : noise)
        byte = char(noiseSource.bounded(256));
    const QString alarm = QStringLiteral("alarm.mp3");
    const QString good = QStringLiteral("zz_good.wav");
    writeFile(musicDir.filePath(alarm), noise);
    // Its title tag is longer than any name the sound server takes for a stream.
    writeFile(musicDir.filePath(good),
              withTitleTag(engine::toneWav(kHighHz, 1000), QByteArray(100000, 't')));
    writeFile(settingsDir.filePath(QStringLiteral("chimebox.ini")),
              nativename::encode(musicDir.path()) + "\r\n");
    writeFile(settingsDir.filePath(QStringLiteral("player.ini")), "\r\n");
    writeFile(settingsDir.filePath(QStringLiteral("playtime.ini")), "0730\r\n");

    // The window's clock says the alarm minute; its real timer ticks.
    FakeClock clock(QDate::currentDate(), QTime(7, 30, 0));
    RealWindow rig(clock, settingsDir.path());
    auto &[engine, player, messages, fileManager, output, session, form] = rig;
    auto *File1 = rig.show();
    QVERIFY(File1);
    QCOMPARE(File1->listCount(), 2);
    QCOMPARE(File1->item(0), alarm);
    // Selected, not clicked: only the alarm asks for it.
    File1->setListIndex(0);
    QCOMPARE(form.session().autoPlayState(), AutoPlay::Stopped);
    const QString folder = File1->path();
    PlayerLog log(player, recorder);
    story = rig.story(log, recorder);

    // The alarm's file, then the chime in its place.
    QVERIFY2(QTest::qWaitFor([&] { return log.loads.size() == 2; }, 3000), qPrintable(story()));
    QCOMPARE(log.loads[0].url, folder + u'/' + alarm);
    QCOMPARE(log.loads[1].name, QStringLiteral("チャイム"));
    QVERIFY2(hearTone(log.loads[1], kChimeHz), qPrintable(QStringLiteral("no chime;") + story()));

    // When it has rung out the folder plays on with the next file.
    QVERIFY2(QTest::qWaitFor([&] { return log.loads.size() == 3; }, 6000), qPrintable(story()));
    QCOMPARE(log.loads[2].url, folder + u'/' + good);
    QCOMPARE(File1->listIndex(), 1);
    QVERIFY2(hearTone(log.loads[2], kHighHz),
             qPrintable(QStringLiteral("no tone after the chime;") + story()));
    QVERIFY2(messages.failures.isEmpty(), qPrintable(story()));

    // The sound server kept the player as a client throughout.
    QFile serverLog(qEnvironmentVariable("CHIMEBOX_PULSE_LOG"));
    QVERIFY2(serverLog.open(QIODevice::ReadOnly), "the sound server's log cannot be read");
    const QString logText = QString::fromUtf8(serverLog.readAll());
    QVERIFY2(!logText.contains(QStringLiteral("protocol error"), Qt::CaseInsensitive),
             qPrintable(logText.right(2000)));
    QVERIFY2(!logText.contains(QStringLiteral("kicking client"), Qt::CaseInsensitive),
             qPrintable(logText.right(2000)));
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
}

namespace {

// The null sink as pactl reads it: its mute switch and each channel's volume.
QString sinkLevel()
{
    QProcess pactl;
    pactl.start(QStringLiteral("sh"),
                {QStringLiteral("-c"), QStringLiteral("pactl get-sink-mute @DEFAULT_SINK@ && "
                                                      "pactl get-sink-volume @DEFAULT_SINK@")});
    if (!pactl.waitForFinished(5000))
        return {};
    const QString text = QString::fromUtf8(pactl.readAllStandardOutput());
    QStringList level{text.contains(QStringLiteral("Mute: yes")) ? QStringLiteral("muted")
                                                                 : QStringLiteral("unmuted")};
    static const QRegularExpression channel(QStringLiteral(":\\s*(\\d+) /"));
    for (const QRegularExpressionMatch &match : channel.globalMatch(text))
        level.append(match.captured(1));
    return level.join(u' ');
}

bool setSinkLevel(const QString &mute, const QStringList &volumes)
{
    const auto pactl = [](const QString &command, const QStringList &values) {
        return QProcess::execute(QStringLiteral("pactl"),
                                 QStringList{command, QStringLiteral("@DEFAULT_SINK@")} + values);
    };
    return pactl(QStringLiteral("set-sink-mute"), {mute}) == 0 &&
           pactl(QStringLiteral("set-sink-volume"), volumes) == 0;
}

} // namespace

// The night before, the player bar and the desktop's output were muted: the
// alarm turns both up and is heard, and "■" puts the output back exactly. With
// its folder gone (a stick pulled out) it chimes on instead, without a box.
void TestRealSound::anAlarmIsHeardThroughAMutedPlayerAndDesktop_data()
{
    QTest::addColumn<bool>("folderGone");
    QTest::newRow("music") << false;
    QTest::newRow("folder gone") << true;
}

void TestRealSound::anAlarmIsHeardThroughAMutedPlayerAndDesktop()
{
    QFETCH(bool, folderGone);
    QTemporaryDir settingsDir;
    auto musicDir = std::make_unique<QTemporaryDir>();
    QVERIFY(settingsDir.isValid() && musicDir->isValid());
    writeFile(musicDir->filePath(QStringLiteral("a-alarm.wav")), engine::toneWav(kLowHz, 3000));
    writeFile(settingsDir.filePath(QStringLiteral("chimebox.ini")),
              nativename::encode(musicDir->path()) + "\r\n");
    writeFile(settingsDir.filePath(QStringLiteral("player.ini")), "\r\n");
    writeFile(settingsDir.filePath(QStringLiteral("playtime.ini")), "0730\r\n");
    QVERIFY(setSinkLevel(QStringLiteral("1"), {"6554", "3277"}));
    const QString before = sinkLevel();
    QCOMPARE(before, QStringLiteral("muted 6554 3277"));

    FakeClock clock(QDate::currentDate(), QTime(7, 29, 58));
    RealWindow rig(clock, settingsDir.path());
    auto &[engine, player, messages, fileManager, output, session, form] = rig;
    QVERIFY(rig.show());
    session.setMute(true);
    PlayerLog log(player, recorder);
    story = rig.story(log, recorder);
    if (folderGone)
        musicDir.reset();
    clock.set(QTime(7, 30, 0));

    const double hz = folderGone ? kChimeHz : kLowHz;
    QVERIFY2(QTest::qWaitFor([&] { return !log.loads.isEmpty(); }, 3000), qPrintable(story()));
    QVERIFY2(QTest::qWaitFor([&] { return sinkLevel() == "unmuted 32768 32768"; }, 3000),
             qPrintable(sinkLevel()));
    QVERIFY(!player.isMuted());
    if (folderGone) {
        // It has nothing to play and chimes again and again.
        QVERIFY2(QTest::qWaitFor([&] { return log.loads.size() >= 3; }, 15000),
                 qPrintable(story()));
    }
    QVERIFY2(hearTone(log.loads.last(), hz), qPrintable(QStringLiteral("not heard;") + story()));
    QVERIFY2(messages.failures.isEmpty(), qPrintable(story()));

    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY2(QTest::qWaitFor([&] { return sinkLevel() == before; }, 3000), qPrintable(sinkLevel()));
    QVERIFY(setSinkLevel(QStringLiteral("0"), {"65536", "65536"}));
}

bool TestRealSound::killSoundServer()
{
    QFile pid(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/pulse/pid"));
    if (!pid.open(QIODevice::ReadOnly))
        return false;
    return testprocess::sendSignal(pid.readAll().trimmed().toLongLong(), SIGKILL);
}

bool TestRealSound::startSoundServer(MonitorRecorder &recorder)
{
    const QString start = qEnvironmentVariable("CHIMEBOX_PULSE_START");
    if (start.isEmpty() ||
        QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), start}) != 0)
        return false;
    const bool answers = QTest::qWaitFor(
        [] {
            QProcess pactl;
            pactl.setStandardOutputFile(QProcess::nullDevice());
            pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
            return pactl.waitForFinished(5000) && pactl.exitCode() == 0;
        },
        10000);
    return answers && recorder.start(qEnvironmentVariable("CHIMEBOX_MONITOR_SOURCE")) &&
           QTest::qWaitFor([&] { return recorder.frameCount() > MonitorRecorder::framesIn(300); },
                           5000);
}

void TestRealSound::aSoundServerThatDiesAndComesBack()
{
    QTemporaryDir settingsDir;
    QTemporaryDir musicDir;
    QVERIFY(settingsDir.isValid() && musicDir.isValid());
    const QString low = QStringLiteral("a-low.wav");
    const QString high = QStringLiteral("b-high.wav");
    writeFile(musicDir.filePath(low), engine::toneWav(kLowHz, 8000));
    writeFile(musicDir.filePath(high), engine::toneWav(kHighHz, 3000));
    writeFile(settingsDir.filePath(QStringLiteral("chimebox.ini")),
              nativename::encode(musicDir.path()) + "\r\n");

    scheduler::SystemClock clock;
    RealWindow rig(clock, settingsDir.path());
    auto &[engine, player, messages, fileManager, output, session, form] = rig;
    auto *File1 = rig.show();
    QVERIFY(File1);
    PlayerLog log(player, recorder);
    story = rig.story(log, recorder);

    File1->setListIndex(0);
    form.File1_MouseUp();
    QVERIFY2(QTest::qWaitFor([&] { return log.loads.size() == 1; }, 3000), qPrintable(story()));
    QVERIFY2(hearTone(log.loads[0], kLowHz), qPrintable(QStringLiteral("no tone;") + story()));

    // The server goes away mid-file, as a crashed or restarted one does.
    QVERIFY(killSoundServer());
    // The window carries on: its timer ticks and nothing hangs.
    QElapsedTimer waited;
    waited.start();
    QTest::qWait(3000);
    QVERIFY2(waited.elapsed() < 4500, "the window stalled without its sound server");
    // The player says once that no sound can come out, and continuous play
    // stops rather than running through the folder in silence.
    QCOMPARE(player.playState(), int(playback::Stopped));
    QCOMPARE(form.session().autoPlayState(), AutoPlay::Stopped);
    QCOMPARE(messages.failures.size(), 1);
    QVERIFY2(messages.failures.first().startsWith(QStringLiteral("音声を出力できません")),
             qPrintable(story()));

    // It comes back; the next file the user picks plays on it.
    MonitorRecorder again;
    QVERIFY2(startSoundServer(again), qPrintable(again.error()));
    const int loadsBefore = int(log.loads.size());
    File1->setListIndex(1);
    form.File1_MouseUp();
    QVERIFY2(QTest::qWaitFor([&] { return log.loads.size() > loadsBefore; }, 3000),
             qPrintable(story()));
    const qint64 window = MonitorRecorder::framesIn(100);
    QVERIFY2(QTest::qWaitFor([&] { return again.toneFrom(0, kHighHz, window) >= 0; }, 5000),
             qPrintable(QStringLiteral("no tone on the new server;") + story()));
    QCOMPARE(messages.failures.size(), 1);
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
}

// The sound server is down at the alarm minute and back 10 s later, as
// PipeWire restarting after a resume: the alarm tries again every second,
// says so once, and is heard once the server is there. Nothing is selected, as
// after a start: the folder's first file rings.
void TestRealSound::anAlarmWaitsForASoundServerThatIsLate()
{
    QTemporaryDir settingsDir;
    QTemporaryDir musicDir;
    QVERIFY(settingsDir.isValid() && musicDir.isValid());
    const QString alarm = QStringLiteral("a-alarm.wav");
    writeFile(musicDir.filePath(alarm), engine::toneWav(kLowHz, 4000));
    writeFile(musicDir.filePath(QStringLiteral("b-next.wav")), engine::toneWav(kHighHz, 1000));
    writeFile(settingsDir.filePath(QStringLiteral("chimebox.ini")),
              nativename::encode(musicDir.path()) + "\r\n");
    writeFile(settingsDir.filePath(QStringLiteral("player.ini")), "\r\n");
    writeFile(settingsDir.filePath(QStringLiteral("playtime.ini")), "0730\r\n");
    QVERIFY(killSoundServer());

    FakeClock clock(QDate::currentDate(), QTime(7, 30, 0));
    RealWindow rig(clock, settingsDir.path());
    auto &[engine, player, messages, fileManager, output, session, form] = rig;
    QElapsedTimer sinceTheMinute;
    sinceTheMinute.start();
    auto *File1 = rig.show();
    QVERIFY(File1);
    QCOMPARE(File1->listIndex(), -1);
    PlayerLog log(player, recorder);
    story = rig.story(log, recorder);

    // The rig's own member: clang 14 cannot capture a structured binding.
    QVERIFY2(QTest::qWaitFor([&] { return !rig.messages.failures.isEmpty(); }, 5000),
             qPrintable(story()));
    QVERIFY2(messages.failures.first().startsWith(QStringLiteral("音声を出力できません")),
             qPrintable(story()));
    QCOMPARE(File1->listIndex(), 0);
    QTest::qWait(int(qMax<qint64>(0, 10000 - sinceTheMinute.elapsed())));
    QVERIFY2(log.loads.size() >= 5, qPrintable(QStringLiteral("too few tries;") + story()));
    for (const PlayerLog::Load &load : std::as_const(log.loads))
        QCOMPARE(load.url, File1->path() + u'/' + alarm);

    MonitorRecorder again;
    QVERIFY2(startSoundServer(again), qPrintable(again.error()));
    const qint64 window = MonitorRecorder::framesIn(100);
    QVERIFY2(QTest::qWaitFor([&] { return again.toneFrom(0, kLowHz, window) >= 0; }, 5000),
             qPrintable(QStringLiteral("the alarm was not heard;") + story()));
    QCOMPARE(messages.failures.size(), 1);
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
}

CHIMEBOX_GUI_TEST_MAIN(TestRealSound)
#include "test_real_sound.moc"
