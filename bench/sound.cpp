// What a listener hears, from a PulseAudio sink's monitor: how long a click
// on a file takes to sound, and how long the silence lasts between two files
// in continuous play. Run under tests/e2e/with-pulseaudio.sh.
//   bench_sound tone FILE HZ MS
//     writes a WAV file holding one tone
//   bench_sound listen WINDOW X0 Y0 X1 Y1 DELAY
//     with chimebox showing a folder of two tone files (the first at 440 Hz,
//     the second at 1760 Hz), moves the pointer onto the first file at X0,Y0
//     in WINDOW and, a hand's second later, clicks it,
//     listens to both files and the wrap back to the first, then clicks the
//     second file at X1,Y1 while the first plays. Each click waits DELAY ms
//     more, so that runs with different delays click at different moments
//     of the one-second tick. Prints, in ms: the first click to its sound,
//     the silence from the first file to the second, the silence from the
//     second back to the first, and the later click to the second file's
//     tone.
#include "engine/ToneWav.h"
#include "support/MonitorRecorder.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

constexpr double kFirstHz = 440;
constexpr double kSecondHz = 1760;
// How long a hand takes from the file to the click.
constexpr int kHandMs = 1000;
constexpr int kWaitMs = 6000;

int tone(const QString &path, double hz, int ms)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(chimebox::engine::toneWav(hz, ms)) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}

class Listener
{
public:
    explicit Listener(QString window) : window_(std::move(window)) {}

    bool start()
    {
        if (!recorder_.start(qEnvironmentVariable("CHIMEBOX_MONITOR_SOURCE"))) {
            std::fprintf(stderr, "%s\n", qPrintable(recorder_.error()));
            return false;
        }
        // Some silence first, so the first sound is the click's.
        return until([&] { return recorder_.frameCount() > MonitorRecorder::framesIn(300); }) &&
               recorder_.lastSound() < 0;
    }

    // Brings the pointer onto the window and to x,y, as a hand does before
    // it clicks; from the window's corner, since the pointer may rest at x,y
    // already, where it clicked in a window before.
    void point(const QString &x, const QString &y)
    {
        const QString move = QStringLiteral("mousemove");
        const QString in = QStringLiteral("--window");
        QProcess::execute(
            QStringLiteral("xdotool"),
            {move, in, window_, QStringLiteral("1"), QStringLiteral("1"), move, in, window_, x, y});
    }

    // Clicks at x,y; returns the frame the recording had reached and when.
    std::pair<qint64, qint64> click(const QString &x, const QString &y)
    {
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("mousemove"), QStringLiteral("--window"), window_, x, y,
                           QStringLiteral("click"), QStringLiteral("1")});
        return {recorder_.frameCount(), recorder_.elapsedMs()};
    }

    // The first frame at or after from that satisfies found, once recorded.
    std::optional<qint64> await(const std::function<qint64()> &found)
    {
        qint64 frame = -1;
        if (!until([&] { return (frame = found()) >= 0; }))
            return std::nullopt;
        return frame;
    }

    const MonitorRecorder &recorder() const { return recorder_; }

private:
    static bool until(const std::function<bool()> &done) { return QTest::qWaitFor(done, kWaitMs); }

    QString window_;
    MonitorRecorder recorder_;
};

double framesToMs(qint64 frames)
{
    return double(frames) * 1000.0 / MonitorRecorder::kRate;
}

int listen(const QStringList &args)
{
    Listener listener(args[0]);
    if (!listener.start()) {
        std::fprintf(stderr, "the monitor is not silent\n");
        return 1;
    }
    const MonitorRecorder &heard = listener.recorder();
    const qint64 toneFrames = MonitorRecorder::framesIn(50);

    const int delay = args[5].toInt();
    listener.point(args[1], args[2]);
    QTest::qWait(kHandMs + delay);
    const auto [clickFrame, clickMs] = listener.click(args[1], args[2]);
    // Each binding is copied into its lambda: clang 14 cannot capture one.
    const auto first =
        listener.await([&, frame = clickFrame] { return heard.firstSoundFrom(frame); });
    // The other tone is heard within 10 ms of where it starts; the silence
    // between the two is the longest run of silent frames before it.
    const auto second =
        first ? listener.await([&] { return heard.toneFrom(*first, kSecondHz, toneFrames); })
              : std::nullopt;
    const auto again =
        second ? listener.await([&] { return heard.toneFrom(*second, kFirstHz, toneFrames); })
               : std::nullopt;
    if (!again) {
        std::fprintf(stderr, "continuous play was not heard\n");
        return 1;
    }
    QTest::qWait(delay);
    const auto [switchFrame, switchMs] = listener.click(args[3], args[4]);
    const auto switched = listener.await(
        [&, frame = switchFrame] { return heard.toneFrom(frame, kSecondHz, toneFrames); });
    if (!switched) {
        std::fprintf(stderr, "the second click was not heard\n");
        return 1;
    }
    std::printf("%lld %.1f %.1f %lld\n", heard.arrivalMs(*first) - clickMs,
                framesToMs(heard.longestSilence(*first, *second)),
                framesToMs(heard.longestSilence(*second, *again)),
                heard.arrivalMs(*switched) - switchMs);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() == 4 && args[0] == u"tone")
        return tone(args[1], args[2].toDouble(), args[3].toInt());
    if (args.size() == 7 && args[0] == u"listen")
        return listen(args.mid(1));
    std::fprintf(stderr, "usage: %s tone FILE HZ MS | listen WINDOW X0 Y0 X1 Y1 DELAY\n", argv[0]);
    return 2;
}
