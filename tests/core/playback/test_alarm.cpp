#include "core/playback/Alarm.h"
#include "support/TestMain.h"

#include <QTest>

using namespace chimebox::playback;

namespace {

using Server = OutputState::Server;

OutputState output(bool muted, QList<quint32> channels, const QString &sink = "speakers")
{
    return {Server::Ready, sink, {}, {muted, std::move(channels)}};
}

constexpr quint32 kHalf = OutputLevel::kNormal / 2;
constexpr quint32 kTenth = OutputLevel::kNormal / 10;

} // namespace

// How the alarm makes the desktop's output heard and puts it back: raised
// when muted or quiet, restored exactly, but for what the user changed while
// it rang.
class TestAlarm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aQuietOrMutedOutputIsRaised_data()
    {
        QTest::addColumn<int>("server");
        QTest::addColumn<bool>("muted");
        QTest::addColumn<QList<quint32>>("channels");
        QTest::addColumn<bool>("raised");
        QTest::addColumn<QList<quint32>>("set");
        const quint32 eighty = OutputLevel::kNormal * 8 / 10;
        const int ready = int(Server::Ready);
        QTest::newRow("loud enough")
            << ready << false << QList<quint32>{eighty, eighty} << false << QList<quint32>{};
        QTest::newRow("muted: unmuted at its volume")
            << ready << true << QList<quint32>{eighty, kTenth} << true
            << QList<quint32>{eighty, kTenth};
        QTest::newRow("10 %: to 50") << ready << false << QList<quint32>{kTenth, kTenth} << true
                                     << QList<quint32>{kHalf, kHalf};
        QTest::newRow("muted at 0: both")
            << ready << true << QList<quint32>{0, 0} << true << QList<quint32>{kHalf, kHalf};
        QTest::newRow("20 % is enough")
            << ready << false << QList<quint32>{OutputLevel::kNormal / 5} << false
            << QList<quint32>{};
        QTest::newRow("not known yet")
            << int(Server::Connecting) << true << QList<quint32>{0} << false << QList<quint32>{};
        QTest::newRow("no server")
            << int(Server::Absent) << true << QList<quint32>{0} << false << QList<quint32>{};
    }
    void aQuietOrMutedOutputIsRaised()
    {
        QFETCH(int, server);
        QFETCH(bool, muted);
        QFETCH(QList<quint32>, channels);
        QFETCH(bool, raised);
        QFETCH(QList<quint32>, set);
        OutputState state = output(muted, channels);
        state.server = Server(server);
        const std::optional<OutputHold> hold = raiseOutput(state);
        QCOMPARE(hold.has_value(), raised);
        if (!hold)
            return;
        QCOMPARE(hold->before, state.level);
        QCOMPARE(hold->set, (OutputLevel{false, set}));
    }

    // Muted at 10 % on the left, 15 % on the right; the alarm unmuted it at
    // 50 % on both. Each row is what the server reported while it rang.
    void whatIsPutBackIsWhatTheUserLeftAlone_data()
    {
        QTest::addColumn<QList<OutputState>>("reports");
        QTest::addColumn<bool>("muted");
        QTest::addColumn<QList<quint32>>("channels");
        const quint32 thirty = OutputLevel::kNormal * 3 / 10;
        const QList<quint32> before{kTenth, OutputLevel::kNormal * 15 / 100};
        const QList<quint32> half{kHalf, kHalf};
        const QList<quint32> user{thirty, thirty};
        QTest::newRow("nothing heard back") << QList<OutputState>{} << true << before;
        QTest::newRow("its own setting echoed") << QList{output(false, half)} << true << before;
        // The volume arrived before the switch: both on their way, no one's.
        QTest::newRow("on the way there")
            << QList{output(true, half), output(false, half)} << true << before;
        QTest::newRow("the user muted it again")
            << QList{output(false, half), output(true, half)} << true << before;
        QTest::newRow("the user turned it down")
            << QList{output(false, half), output(false, user)} << true << user;
        QTest::newRow("the user unmuted and turned it down")
            << QList{output(false, half), output(true, half), output(false, user)} << false << user;
        QTest::newRow("another output's news")
            << QList{output(false, half), output(true, user, "headphones")} << true << before;
    }
    void whatIsPutBackIsWhatTheUserLeftAlone()
    {
        QFETCH(QList<OutputState>, reports);
        QFETCH(bool, muted);
        QFETCH(QList<quint32>, channels);
        OutputState now = output(true, {kTenth, OutputLevel::kNormal * 15 / 100});
        std::optional<OutputHold> hold = raiseOutput(now);
        QVERIFY(hold && hold->unmuted() && hold->raised());
        for (const OutputState &report : reports) {
            hold = followOutput(*hold, report);
            if (report.sink == now.sink)
                now = report;
        }
        const std::optional<OutputLevel> put = restoreLevel(*hold, now);
        const OutputLevel expected{muted, channels};
        QCOMPARE(put.value_or(now.level), expected);
    }

    void nothingIsPutBackWhenNothingWasChanged()
    {
        OutputHold hold = *raiseOutput(output(true, {kHalf}));
        // Only the switch was the alarm's; the user set it back themselves.
        hold = followOutput(hold, output(false, {kHalf}));
        hold = followOutput(hold, output(true, {kHalf}));
        QVERIFY(!restoreLevel(hold, output(true, {kHalf})));
    }
};

CHIMEBOX_TEST_MAIN(TestAlarm)
#include "test_alarm.moc"
