#include "core/playback/AudioOutput.h"
#include "support/TestMain.h"

#include <QTest>

using chimebox::playback::OutputLevel;

// An output's level in percent, which decides whether the alarm raises it,
// and the level it raises it to.
class TestAudioOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void percentIsTheLoudestChannel_data()
    {
        QTest::addColumn<QList<quint32>>("channels");
        QTest::addColumn<int>("percent");
        constexpr quint32 normal = OutputLevel::kNormal;
        QTest::newRow("no channels") << QList<quint32>{} << 0;
        QTest::newRow("silent") << QList<quint32>{0, 0} << 0;
        QTest::newRow("normal") << QList<quint32>{normal, normal} << 100;
        QTest::newRow("balanced to the right") << QList<quint32>{normal / 10, normal / 2} << 50;
        // Just under a fifth is not a fifth: the alarm raises it.
        QTest::newRow("19.6 % rounds up to 20") << QList<quint32>{normal * 196 / 1000} << 20;
        QTest::newRow("19.4 % is 19") << QList<quint32>{normal * 194 / 1000} << 19;
        QTest::newRow("above normal") << QList<quint32>{normal * 3 / 2} << 150;
        QTest::newRow("the loudest the server allows") << QList<quint32>{0x7fffffffU} << 3276800;
    }
    void percentIsTheLoudestChannel()
    {
        QFETCH(QList<quint32>, channels);
        QFETCH(int, percent);
        QCOMPARE((OutputLevel{false, channels}.percent()), percent);
    }

    void aLevelAtAPercentIsUnmutedOnEveryChannel()
    {
        const OutputLevel half = OutputLevel::at(50, 2);
        QCOMPARE(half, (OutputLevel{false, {OutputLevel::kNormal / 2, OutputLevel::kNormal / 2}}));
        QCOMPARE(half.percent(), 50);
        // A sink the server described without channels still gets one.
        QCOMPARE(OutputLevel::at(50, 0).channels.size(), 1);
    }
};

CHIMEBOX_TEST_MAIN(TestAudioOutput)
#include "test_audio_output.moc"
