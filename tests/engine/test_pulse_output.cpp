#include "engine/PulseOutput.h"
#include "support/SendSignal.h"
#include "support/TestMain.h"

#include <QAbstractEventDispatcher>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <pulse/simple.h>

using namespace chimebox::engine;
using namespace chimebox::playback;
using Server = OutputState::Server;

namespace {

constexpr quint32 kFull = OutputLevel::kNormal;

// What pactl prints; a failure reads as such in any comparison.
QString pactl(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return QStringLiteral("pactl %1 failed: %2")
            .arg(arguments.join(u' '), QString::fromUtf8(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

OutputLevel levelOnServer(const QString &sink)
{
    OutputLevel level;
    level.muted = pactl({"get-sink-mute", sink}) == QLatin1String("Mute: yes");
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

// A playing stream of this process, on sink, for as long as it is kept.
struct OwnStream
{
    pa_simple *stream = nullptr;

    explicit OwnStream(const QString &sink)
    {
        const pa_sample_spec spec = {PA_SAMPLE_S16LE, 44100, 2};
        stream = pa_simple_new(nullptr, "test", PA_STREAM_PLAYBACK, sink.toUtf8().constData(),
                               "chime", &spec, nullptr, nullptr, nullptr);
    }
    ~OwnStream()
    {
        if (stream != nullptr)
            pa_simple_free(stream);
    }
};

} // namespace

namespace chimebox::playback {

char *toString(const OutputLevel &level)
{
    QStringList channels;
    for (const quint32 channel : level.channels)
        channels.append(QString::number(channel));
    return qstrdup(qPrintable((level.muted ? "muted " : "") + channels.join(u'/')));
}

} // namespace chimebox::playback

// Against the private PulseAudio daemon of tests/e2e/with-pulseaudio.sh, with
// outputs a and b besides its own, and a stand-in for a missing device.
class TestPulseOutput : public QObject
{
    Q_OBJECT

    static constexpr int kTimeout = 3000;
    const OutputLevel usual_ = {false, {kFull, kFull}};

    static void connectAndWait(PulseOutput &output)
    {
        output.connectToServer();
        QTRY_VERIFY_WITH_TIMEOUT(output.state().server != Server::Connecting, kTimeout);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!qEnvironmentVariableIsSet("CHIMEBOX_PULSE_START"))
            QSKIP("runs under tests/e2e/with-pulseaudio.sh");
        for (const char *sink : {"a", "b", "auto_null"})
            pactl({"load-module", "module-null-sink", QStringLiteral("sink_name=%1").arg(sink)});
    }

    void init()
    {
        pactl({"set-default-sink", "a"});
        setOnServer("a", usual_);
    }

    void followsTheServer_data()
    {
        QTest::addColumn<QList<QStringList>>("commands");
        QTest::addColumn<OutputLevel>("level");
        QTest::newRow("muted") << QList<QStringList>{{"set-sink-mute", "a", "1"}}
                               << OutputLevel{true, {kFull, kFull}};
        QTest::newRow("quieter") << QList<QStringList>{{"set-sink-volume", "a", "13107"}}
                                 << OutputLevel{false, {13107, 13107}};
        QTest::newRow("unbalanced") << QList<QStringList>{{"set-sink-volume", "a", "19661", "6554"}}
                                    << OutputLevel{false, {19661, 6554}};
        // Another output's news reads this one again, which has not changed.
        QTest::newRow("after another output")
            << QList<QStringList>{{"set-sink-mute", "b", "1"}, {"set-sink-volume", "a", "6554"}}
            << OutputLevel{false, {6554, 6554}};
    }

    void followsTheServer()
    {
        QFETCH(QList<QStringList>, commands);
        QFETCH(OutputLevel, level);
        PulseOutput output;
        connectAndWait(output);
        QCOMPARE(output.state().sink, QStringLiteral("a"));
        QCOMPARE(output.state().level, usual_);
        QSignalSpy changed(&output, &AudioOutput::changed);
        for (const QStringList &command : commands)
            pactl(command);
        QTRY_COMPARE_WITH_TIMEOUT(output.state().level, level, kTimeout);
        QTest::qWait(200);
        QCOMPARE(changed.count(), 1);
    }

    void setLevelReachesTheServer_data()
    {
        QTest::addColumn<QString>("sink");
        QTest::addColumn<OutputLevel>("before");
        QTest::addColumn<OutputLevel>("asked");
        QTest::addColumn<OutputLevel>("after");
        const OutputLevel quietMuted = {true, {6554, 6554}};
        const OutputLevel unbalanced = {true, {19661, 6554}};
        QTest::newRow("raised") << "a" << quietMuted << OutputLevel::at(50, 2)
                                << OutputLevel{false, {32768, 32768}};
        QTest::newRow("put back exactly")
            << "a" << OutputLevel::at(50, 2) << unbalanced << unbalanced;
        QTest::newRow("one channel for two") << "a" << quietMuted << OutputLevel{false, {32768}}
                                             << OutputLevel{false, {32768, 32768}};
        QTest::newRow("three channels for two, as loud")
            << "a" << quietMuted << OutputLevel{false, {6554, 19661, 13107}}
            << OutputLevel{false, {19661, 19661}};
        QTest::newRow("an output not there")
            << "gone" << quietMuted << OutputLevel::at(50, 2) << quietMuted;
    }

    // finish() waits until the server has taken the change: pactl reads it
    // right after.
    void setLevelReachesTheServer()
    {
        QFETCH(QString, sink);
        QFETCH(OutputLevel, before);
        QFETCH(OutputLevel, asked);
        QFETCH(OutputLevel, after);
        setOnServer("a", before);
        PulseOutput output;
        connectAndWait(output);
        QCOMPARE(output.state().level, before);
        output.setLevel(sink, asked);
        output.finish(kTimeout);
        QCOMPARE(levelOnServer("a"), after);
    }

    // As the alarm would when the output changes under it.
    void finishWaitsInASlotOfChanged()
    {
        PulseOutput output;
        connectAndWait(output);
        bool asked = false;
        OutputLevel taken;
        connect(&output, &AudioOutput::changed, this, [&] {
            if (std::exchange(asked, true))
                return;
            output.setLevel("a", OutputLevel::at(50, 2));
            output.finish(kTimeout);
            taken = levelOnServer("a");
        });
        pactl({"set-sink-mute", "a", "1"});
        QTRY_VERIFY_WITH_TIMEOUT(!taken.channels.isEmpty(), 2 * kTimeout);
        QCOMPARE(taken, OutputLevel::at(50, 2));
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
                                           << "auto_null" << true << "no output";
        QTest::newRow("ours beside a default into nothing") << "auto_null"
                                                            << "a" << true << "a";
    }

    void theOutputOurStreamPlaysOn()
    {
        QFETCH(QString, defaultSink);
        QFETCH(QString, streamSink);
        QFETCH(bool, ours);
        QFETCH(QString, reported);
        pactl({"set-default-sink", defaultSink});
        std::optional<OwnStream> own;
        QProcess other;
        if (ours) {
            own.emplace(streamSink);
            QVERIFY(own->stream != nullptr);
        } else {
            other.start("pacat", {"--device=" + streamSink, "/dev/zero"});
            QTRY_VERIFY(!pactl({"list", "short", "sink-inputs"}).isEmpty());
        }
        const auto shown = [](const PulseOutput &output) {
            const OutputState state = output.state();
            if (state.server == Server::NoOutput)
                return QStringLiteral("no output");
            return state.server == Server::Ready ? state.sink : QStringLiteral("no answer");
        };
        PulseOutput output;
        connectAndWait(output);
        QCOMPARE(shown(output), reported);
        own.reset();
        other.kill();
        other.waitForFinished();
        const QString byDefault = defaultSink == "auto_null" ? "no output" : defaultSink;
        QTRY_COMPARE_WITH_TIMEOUT(shown(output), byDefault, kTimeout);
    }

    void withoutAServerTheLevelIsUnknown_data()
    {
        QTest::addColumn<QByteArray>("server");
        QTest::newRow("none where named") << QByteArray("unix:/nonexistent/native");
        QTest::newRow("none in the session") << QByteArray();
    }

    void withoutAServerTheLevelIsUnknown()
    {
        QFETCH(QByteArray, server);
        const QTemporaryDir runtime;
        // Allowed to start a server where one is missing, libpulse would
        // (though never for root).
        QFile config(runtime.filePath("client.conf"));
        QVERIFY(config.open(QIODevice::WriteOnly) && config.write("autospawn = yes\n") > 0);
        config.close();
        const QByteArrayList names = {"PULSE_SERVER", "XDG_RUNTIME_DIR", "PULSE_CLIENTCONFIG"};
        const QByteArrayList values = {server, QFile::encodeName(runtime.path()),
                                       QFile::encodeName(config.fileName())};
        QByteArrayList saved;
        const auto set = [&names](const QByteArrayList &to) {
            for (qsizetype i = 0; i < names.size(); ++i)
                to[i].isEmpty() ? qunsetenv(names[i]) : qputenv(names[i], to[i]);
        };
        for (const QByteArray &name : names)
            saved.append(qgetenv(name));
        const auto restore = qScopeGuard([&] { set(saved); });
        set(values);
        PulseOutput output(std::chrono::milliseconds(50));
        QSignalSpy changed(&output, &AudioOutput::changed);
        output.connectToServer();
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
        output.connectToServer();
        QCOMPARE(output.state().server, Server::Absent);
    }

    // Last: the daemon that comes back has none of the outputs above.
    void aLostServerIsFoundAgain()
    {
        PulseOutput output(std::chrono::milliseconds(100));
        connectAndWait(output);
        QCOMPARE(output.state().server, Server::Ready);
        const QString pidFile = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/pulse/pid";
        QFile file(pidFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(testprocess::sendSignal(file.readAll().trimmed().toLongLong(), SIGTERM));
        QTRY_COMPARE_WITH_TIMEOUT(output.state().server, Server::Lost, kTimeout);
        output.setLevel("a", OutputLevel::at(50, 2));
        output.finish(kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(pidFile), kTimeout);
        QCOMPARE(QProcess::execute("sh", {"-c", qEnvironmentVariable("CHIMEBOX_PULSE_START")}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(output.state().server, Server::Ready, 10000);
    }
};

CHIMEBOX_TEST_MAIN(TestPulseOutput)
#include "test_pulse_output.moc"
