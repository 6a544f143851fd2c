#include "base/NativeName.h"
#include "core/browse/Wildcard.h"
#include "support/TestMain.h"

#include <QTest>

using namespace chimebox;
using namespace chimebox::browse;

class TestWildcard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void patternMatching_data();
    void patternMatching();
};

void TestWildcard::patternMatching_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("matches");
    const QString audio = QStringLiteral("*.wav;*.mp3;*.wma");
    QTest::newRow("mp3") << "song.mp3" << audio << true;
    QTest::newRow("last of three") << "voice.wma" << audio << true;
    QTest::newRow("upper case name") << "LOUD.MP3" << audio << true;
    QTest::newRow("mixed case pattern") << "a.wav"
                                        << "*.WaV" << true;
    QTest::newRow("other extension") << "cover.jpg" << audio << false;
    QTest::newRow("extension only inside") << "a.mp3.txt" << audio << false;
    QTest::newRow("no dot") << "mp3" << audio << false;
    QTest::newRow("bare extension") << ".mp3" << audio << true;
    QTest::newRow("blanks around parts") << "a.wma"
                                         << " *.wav ; *.wma " << true;
    QTest::newRow("empty parts") << "a.wav"
                                 << ";;*.wav;" << true;
    QTest::newRow("empty pattern") << "a.wav"
                                   << "" << false;
    QTest::newRow("question mark") << "track1.mp3"
                                   << "track?.mp3" << true;
    QTest::newRow("question mark needs one") << "track.mp3"
                                             << "track?.mp3" << false;
    QTest::newRow("star in the middle") << "01 - intro.mp3"
                                        << "0*intro.*" << true;
    QTest::newRow("needs backtracking") << "aXbXbc.mp3"
                                        << "a*b*c.mp3" << true;
    QTest::newRow("brackets are literal") << "[live].mp3"
                                          << "[live].mp3" << true;
    QTest::newRow("bracket not a class") << "l.mp3"
                                         << "[live].mp3" << false;
    QTest::newRow("japanese name") << "朝のチャイム.MP3" << audio << true;
    QTest::newRow("full width letters fold") << "ＡＢ.wav"
                                             << "ａｂ.wav" << true;
    QTest::newRow("full width ending folds") << "曲.ＭＰ３"
                                             << "*.ｍｐ３" << true;
    QTest::newRow("a sign folds to an ASCII letter") << "x.\u212A"
                                                     << "*.k" << true;
    QTest::newRow("name that is not UTF-8")
        << nativename::decode("caf\xe9 \xff.MP3") << audio << true;
    QTest::newRow("ending longer than the name") << "3"
                                                 << "*.mp3" << false;
    QTest::newRow("star alone") << "anything"
                                << "*" << true;
    QTest::newRow("question mark after a star") << "ab.mp3"
                                                << "*b.mp?" << true;
}

void TestWildcard::patternMatching()
{
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QFETCH(bool, matches);
    QCOMPARE(matchesPattern(name, pattern), matches);
    // A listing tests the name as the file system spells it.
    QCOMPARE(FilePattern(pattern).matches(QByteArrayView(nativename::encode(name))), matches);
}

CHIMEBOX_TEST_MAIN(TestWildcard)
#include "test_wildcard.moc"
