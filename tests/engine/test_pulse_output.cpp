#include "engine/PulseOutput.h"
#include "support/Files.h"
#include "support/SendSignal.h"
#include "support/TestMain.h"

#include <QAbstractEventDispatcher>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <pulse/simple.h>

using namespace chimebox::engine;
using namespace chimebox::playback;
using Server = OutputState::Server;

namespace chimebox::playback {

char *toString(const OutputLevel &level)
{
    QStringList channels;
    for (const quint32 channel : level.channels)
        channels.append(QString::number(channel));
    return qstrdup(qPrintable((level.muted ? "muted " : "") + channels.join(u'/')));
}

} // namespace chimebox::playback

namespace {

constexpr int kTimeout = 3000;

// What pactl prints; a failure reads as such in any comparison.
QString pactl(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(kTimeout) || process.exitCode() != 0)
        return "pactl failed: " + process.readAllStandardError();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

OutputLevel levelOnServer(const QString &sink)
{
    OutputLevel level{pactl({"get-sink-mute", sink}) == "Mute: yes", {}};
    static const QRegularExpression raw(QStringLiteral(": (\\d+) /"));
    for (const auto &match : raw.globalMatch(pactl({"get-sink-volume", sink})))
        level.channels.append(match.captured(1).toUInt());
    return level;
}

void setOnServer(const QString &sink, const OutputLevel &level)
{
    pactl({"set-sink-mute", sink, level.muted ? "1" : "0"});
    QStringList volume = {"set-sink-volume", sink};
    for (const quint32 channel : level.channels)
        volume.append(QString::number(channel));
    pactl(volume);
}

// A stream of this process on sink, for as long as it is kept.
auto streamOn(const QString &sink)
{
    const pa_sample_spec format = {PA_SAMPLE_S16LE, 44100, 2};
    return std::unique_ptr<pa_simple, decltype(&pa_simple_free)>(
        pa_simple_new(nullptr, "test", PA_STREAM_PLAYBACK, sink.toUtf8().constData(), "chime",
                      &format, nullptr, nullptr, nullptr),
        &pa_simple_free);
}

void connectAndWait(PulseOutput &output)
{
    output.watch();
    QTRY_VERIFY_WITH_TIMEOUT(output.state().server != Server::Connecting, kTimeout);
}

} // namespace

// Against the private PulseAudio daemon of tests/e2e/with-pulseaudio.sh, with
// outputs a and b besides its own, and the stand-in for a missing device.
class TestPulseOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!qEnvironmentVariableIsSet("CHIMEBOX_PULSE_START"))
            QSKIP("runs under tests/e2e/with-pulseaudio.sh");
        for (const char *sink : {"a", "b", "auto_null"})
            pactl({"load-module", "module-null-sink", QStringLiteral("sink_name=") + sink});
    }

    void init() { pactl({"set-default-sink", "a"}); }

    // What the alarm does: the level the user set shows, the alarm's reaches
    // the server, and from the slot that hears so the user's goes back
    // exactly, finish() waiting until the server has taken it.
    void raisesAndPutsBack_data()
    {
        QTest::addColumn<OutputLevel>("before");
        QTest::addColumn<OutputLevel>("asked");
        QTest::addColumn<OutputLevel>("after");
        const OutputLevel half = OutputLevel::at(50, 2);
        QTest::newRow("muted, unbalanced") << OutputLevel{true, {19661, 6554}} << half << half;
        QTest::newRow("quiet") << OutputLevel{false, {6554, 6554}} << half << half;
        QTest::newRow("one channel for two")
            << OutputLevel{true, {65536, 65536}} << OutputLevel{false, {32768}} << half;
        QTest::newRow("three channels for two, as loud")
            << OutputLevel{false, {6554, 6554}} << OutputLevel{false, {6554, 32768, 13107}} << half;
    }

    void raisesAndPutsBack()
    {
        QFETCH(OutputLevel, before);
        QFETCH(OutputLevel, asked);
        QFETCH(OutputLevel, after);
        PulseOutput output;
        connectAndWait(output);
        setOnServer("a", before);
        QTRY_COMPARE_WITH_TIMEOUT(output.state().level, before, kTimeout);
        std::optional<OutputLevel> putBack;
        connect(&output, &AudioOutput::changed, this, [&] {
            if (putBack.has_value() || output.state().level != after)
                return;
            putBack.emplace();
            output.setLevel("a", before);
            output.finish(kTimeout);
            putBack = levelOnServer("a");
        });
        output.setLevel("a", asked);
        QTRY_VERIFY_WITH_TIMEOUT(putBack && !putBack->channels.isEmpty(), kTimeout);
        QCOMPARE(*putBack, before);
    }

    void theOutputOurStreamPlaysOn_data()
    {
        QTest::addColumn<QString>("defaultSink");
        QTest::addColumn<QString>("streamSink");
        QTest::addColumn<bool>("ours");
        QTest::addColumn<QString>("reported");
        QTest::newRow("ours elsewhere") << "a"
                                        << "b" << true << "b";
        QTest::newRow("another program's elsewhere") << "a"
                                                     << "b" << false << "a";
        QTest::newRow("ours into nothing") << "a"
                                           << "auto_null" << true << "";
        QTest::newRow("ours beside a default into nothing") << "auto_null"
                                                            << "a" << true << "a";
    }

    // While the stream lasts, then by default again.
    void theOutputOurStreamPlaysOn()
    {
        QFETCH(QString, defaultSink);
        QFETCH(QString, streamSink);
        QFETCH(bool, ours);
        QFETCH(QString, reported);
        pactl({"set-default-sink", defaultSink});
        decltype(streamOn({})) stream(nullptr, &pa_simple_free);
        QProcess other;
        if (ours)
            stream = streamOn(streamSink);
        else
            other.start("pacat", {"--device=" + streamSink, "/dev/zero"});
        QTRY_COMPARE(
            pactl({"list", "short", "sink-inputs"}).split(u'\n', Qt::SkipEmptyParts).size(), 1);
        PulseOutput output;
        connectAndWait(output);
        QCOMPARE(output.state().server, reported.isEmpty() ? Server::NoOutput : Server::Ready);
        QCOMPARE(output.state().sink, reported);
        stream.reset();
        other.kill();
        other.waitForFinished();
        QTRY_COMPARE_WITH_TIMEOUT(output.state().sink, defaultSink.remove("auto_null"), kTimeout);
    }

    void withoutAServerTheLevelIsUnknown()
    {
        const QTemporaryDir runtime;
        // Allowed to start a server where none answers, libpulse would
        // (though never for root).
        const QString config = runtime.filePath("client.conf");
        testfiles::writeFile(config, "autospawn = yes\n");
        const QByteArray saved[] = {qgetenv("PULSE_SERVER"), qgetenv("XDG_RUNTIME_DIR")};
        const auto restore = qScopeGuard([&saved] {
            qputenv("PULSE_SERVER", saved[0]);
            qputenv("XDG_RUNTIME_DIR", saved[1]);
            qunsetenv("PULSE_CLIENTCONFIG");
        });
        qunsetenv("PULSE_SERVER");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(config));
        PulseOutput output(std::chrono::milliseconds(50));
        QSignalSpy changed(&output, &AudioOutput::changed);
        output.watch();
        QTRY_COMPARE_WITH_TIMEOUT(output.state().server, Server::Absent, 500);
        // Tries again unheard, and never starts a server of its own.
        QTest::qWait(300);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!QFile::exists(runtime.filePath("pulse/pid")));
    }

    // Registered a second time with QT_NO_GLIB=1, whose event loop libpulse's
    // GLib main loop cannot run on.
    void withoutGlibTheLevelIsUnknown()
    {
        if (QAbstractEventDispatcher::instance()->inherits("QEventDispatcherGlib"))
            QSKIP("runs as test_pulse_output_without_glib");
        PulseOutput output;
        output.watch();
        QCOMPARE(output.state().server, Server::Absent);
    }

    // Last: the daemon that comes back has none of the outputs above.
    void aLostServerIsFoundAgain()
    {
        PulseOutput output(std::chrono::milliseconds(100));
        connectAndWait(output);
        QFile pid(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/pulse/pid");
        QVERIFY(pid.open(QIODevice::ReadOnly));
        QVERIFY(testprocess::sendSignal(pid.readAll().trimmed().toLongLong(), SIGTERM));
        QTRY_COMPARE_WITH_TIMEOUT(output.state().server, Server::Lost, kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!pid.exists(), kTimeout);
        QCOMPARE(QProcess::execute("sh", {"-c", qEnvironmentVariable("CHIMEBOX_PULSE_START")}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(output.state().server, Server::Ready, 10000);
    }
};

CHIMEBOX_TEST_MAIN(TestPulseOutput)
#include "test_pulse_output.moc"
