#include "base/NativeName.h"
#include "support/TestMain.h"

#include <QRandomGenerator>
#include <QTest>

using namespace chimebox;

class TestNativeName : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void validTextIsPlainUtf8()
    {
        const QString text = QStringLiteral("音楽/😀/café");
        QCOMPARE(nativename::encode(text), text.toUtf8());
        QCOMPARE(nativename::decode(text.toUtf8()), text);
    }

    void anyBytesRoundTrip()
    {
        const QList<QByteArray> samples{
            QByteArray("caf\xe9.mp3"),      QByteArray("\xff\xfe"),
            QByteArray("\xed\xa0\x80"),     // an encoded surrogate is not valid UTF-8
            QByteArray("\xc0\xaf"),         // overlong
            QByteArray("\xe3\x81"),         // cut short
            QByteArray("\xf4\x90\x80\x80"), // beyond U+10FFFF
        };
        for (const QByteArray &bytes : samples)
            QCOMPARE(nativename::encode(nativename::decode(bytes)), bytes);

        auto *random = QRandomGenerator::global();
        for (int round = 0; round < 2000; ++round) {
            QByteArray bytes(int(random->bounded(1, 24)), Qt::Uninitialized);
            for (char &c : bytes)
                c = char(random->bounded(256));
            QCOMPARE(nativename::encode(nativename::decode(bytes)), bytes);
        }
    }

    void pathsKeepTheirBytes()
    {
        const QByteArray bytes("/tmp/\x82\xa0.wav");
        const auto path = nativename::toPath(nativename::decode(bytes));
        QCOMPARE(QByteArray::fromStdString(path.native()), bytes);
        QCOMPARE(nativename::encode(nativename::fromPath(path)), bytes);
    }
};

CHIMEBOX_TEST_MAIN(TestNativeName)
#include "test_native_name.moc"
