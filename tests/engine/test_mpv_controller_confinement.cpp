#include "support/PlayerFixtures.h"
#include "support/TestMain.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace chimebox::engine;
using namespace chimebox::playback;
using namespace playertest;

namespace {

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xffffffff;
    for (char byte : data) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

// A zip archive holding one file, stored as it is.
QByteArray zipOf(const QByteArray &name, const QByteArray &data)
{
    QByteArray out;
    const auto le = [&out](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.append(char(value >> (8 * i)));
    };
    const auto common = [&] {
        le(20, 2);   // version needed
        le(0, 2);    // flags
        le(0, 2);    // stored
        le(0, 2);    // time
        le(0x21, 2); // 1 January 1980
        le(crc32(data), 4);
        le(data.size(), 4);
        le(data.size(), 4);
        le(name.size(), 2);
        le(0, 2); // extra field
    };
    le(0x04034b50, 4);
    common();
    out += name + data;
    const auto directory = out.size();
    le(0x02014b50, 4);
    le(20, 2); // made by
    common();
    le(0, 2); // comment
    le(0, 2); // disk
    le(0, 2); // internal attributes
    le(0, 4); // external attributes
    le(0, 4); // offset of the local header
    out += name;
    const auto directorySize = out.size() - directory;
    le(0x06054b50, 4);
    le(0, 4); // disks
    le(1, 2);
    le(1, 2);
    le(directorySize, 4);
    le(directory, 4);
    le(0, 2);
    return out;
}

} // namespace

// A file in a downloaded folder that claims to be sound but names other
// things to open: the engine opens nothing but the file itself and refuses
// it. Real libmpv with the null output; a local web server notes every
// connection made to it.
class TestMpvConfinement : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString tone_;
    QTcpServer server_;
    QStringList requests_;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        tone_ = writeFile(QDir(dir_.path()), "tone.wav", toneWav(440, 300));
        QVERIFY(server_.listen(QHostAddress::LocalHost));
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection()) {
                requests_.append(QStringLiteral("connection"));
                // Held open without an answer; what was asked for shows in
                // a failure.
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    requests_.append(QString::fromLatin1(socket->readLine()).trimmed());
                });
            }
        });
    }

    void init() { requests_.clear(); }

    void aFileThatNamesOthersIsRefusedWithoutOpeningThem_data()
    {
        const QByteArray web = "http://127.0.0.1:" + QByteArray::number(server_.serverPort());
        const QByteArray tone = tone_.toUtf8();
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("m3u playlist") << "#EXTM3U\n" + web + "/m3u.mp3\n" + tone + "\n";
        QTest::newRow("pls playlist")
            << "[playlist]\nFile1=" + web + "/pls.mp3\nFile2=" + tone + "\nNumberOfEntries=2\n";
        QTest::newRow("HLS playlist")
            << "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXT-X-MEDIA-SEQUENCE:0\n#EXTINF:10,\n" + web +
                   "/hls.ts\n#EXT-X-ENDLIST\n";
        QTest::newRow("mpv edit list") << "# mpv EDL v0\n" + tone + "\n" + web + "/edl.mp3\n";
        QTest::newRow("cue sheet")
            << QByteArray("FILE \"tone.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
        QTest::newRow("archive") << zipOf("tone.wav", toneWav(440, 300));
        // Received over RTP: FFmpeg would wait for packets that never come.
        QTest::newRow("SDP session")
            << "v=0\r\no=- 0 0 IN IP4 127.0.0.1\r\ns=x\r\nc=IN IP4 127.0.0.1\r\nt=0 0\r\n"
               "m=audio " +
                   QByteArray::number(server_.serverPort()) + " RTP/AVP 0\r\n";
    }

    void aFileThatNamesOthersIsRefusedWithoutOpeningThem()
    {
        QFETCH(QByteArray, content);
        const QString song = writeFile(QDir(dir_.path()), "song.mp3", content);
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        StateLog log(player);
        QSignalSpy started(&engine, &PlaybackEngine::fileStarted);
        QSignalSpy loaded(&engine, &PlaybackEngine::fileLoaded);
        QSignalSpy failures(&player, &MediaPlayer::playbackFailed);
        player.setURL(song);
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, 10000);
        // Long enough for a connection or another file to follow.
        QTest::qWait(2000);
        QCOMPARE(requests_, QStringList());
        QCOMPARE(started.size(), 1);
        QCOMPARE(loaded.size(), 0);
        QCOMPARE(log.states, QList<int>({Transitioning, Stopped}));
        QCOMPARE(failures.at(0).at(1).toBool(), false);
    }

    void filesBesideItAreNotOpened()
    {
        // mpv would take these for the sound's cover and subtitles; neither
        // is what its name says, so opening them would be logged.
        writeFile(QDir(dir_.path()), "tone.jpg", toneWav(440, 300));
        writeFile(QDir(dir_.path()), "tone.srt", QByteArray(512, '\x5a'));
        const EngineLog logged;
        MpvController engine(nullOutput());
        EnginePlayer player(engine);
        StateLog log(player);
        player.setURL(tone_);
        QTRY_COMPARE_WITH_TIMEOUT(log.states.size(), 5, 10000);
        QCOMPARE(log.states.last(), int(Stopped));
        QCOMPARE(EngineLog::lines(), QStringList());
    }
};

CHIMEBOX_TEST_MAIN(TestMpvConfinement)
#include "test_mpv_controller_confinement.moc"
