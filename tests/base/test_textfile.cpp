#include "Failure.h"
#include "NativeName.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

using namespace chimebox;
using textfile::AppendFile;
using textfile::ReadFile;
using textfile::WriteFile;

namespace {

QByteArray bytesOf(const QString &path)
{
    std::ifstream in(nativename::toPath(path), std::ios::binary);
    return QByteArray::fromStdString(
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

void putBytes(const QString &path, const QByteArray &bytes)
{
    std::ofstream out(nativename::toPath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.constData(), bytes.size());
}

} // namespace

class TestTextFile : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString at(const QString &name) const { return dir.path() + u'/' + name; }

private Q_SLOTS:
    void writeAddsExactlyOneCrLf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("four digits") << QStringLiteral("0730") << QByteArray("0730\r\n");
        QTest::newRow("empty") << QString() << QByteArray("\r\n");
        QTest::newRow("already ends in CR LF")
            << QStringLiteral("a\r\n") << QByteArray("a\r\n\r\n");
        QTest::newRow("Japanese") << QStringLiteral("音楽/朝") << QByteArray("音楽/朝\r\n");
    }

    void writeAddsExactlyOneCrLf()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        WriteFile(at(QStringLiteral("f.ini")), text);
        QCOMPARE(bytesOf(at(QStringLiteral("f.ini"))), bytes);
        QCOMPARE(ReadFile(at(QStringLiteral("f.ini"))), QString::fromUtf8(bytes));
    }

    void shortWriteReplacesLongFileWhole()
    {
        const QString file = at(QStringLiteral("long.ini"));
        putBytes(file, QByteArray(5000, 'x'));
        WriteFile(file, QStringLiteral("07"));
        QCOMPARE(bytesOf(file), QByteArray("07\r\n"));
        // Nothing is left beside it from the write.
        QCOMPARE(
            QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("long")),
            QStringList{QStringLiteral("long.ini")});
    }

    void pathsThatAreNotPlainTextRoundTrip()
    {
        const QString japanese = at(QStringLiteral("お気に入り.ini"));
        WriteFile(japanese, QStringLiteral("/home/ユーザー/音楽"));
        QCOMPARE(ReadFile(japanese), QStringLiteral("/home/ユーザー/音楽\r\n"));

        // A folder name that is not valid UTF-8 is stored as its own bytes.
        const QString odd = nativename::decode(QByteArray("/music/caf\xe9"));
        WriteFile(at(QStringLiteral("last.ini")), odd);
        QCOMPARE(bytesOf(at(QStringLiteral("last.ini"))), QByteArray("/music/caf\xe9\r\n"));
        QCOMPARE(ReadFile(at(QStringLiteral("last.ini"))), odd + QStringLiteral("\r\n"));
    }

    void readOnlyFileIsRefusedAndKept()
    {
        const QString file = at(QStringLiteral("ro.ini"));
        putBytes(file, "0730\r\n");
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        QVERIFY_THROWS_EXCEPTION(Failure, WriteFile(file, QStringLiteral("1200")));
        QVERIFY_THROWS_EXCEPTION(Failure, AppendFile(file, QStringLiteral("1200")));
        QCOMPARE(bytesOf(file), QByteArray("0730\r\n"));
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void writesThatCannotHappenFail()
    {
        QVERIFY_THROWS_EXCEPTION(Failure, WriteFile(at(QStringLiteral("no/such/f.ini")), {}));
        QDir(dir.path()).mkdir(QStringLiteral("folder.ini"));
        QVERIFY_THROWS_EXCEPTION(Failure, WriteFile(at(QStringLiteral("folder.ini")), {}));
        QVERIFY(QFileInfo(at(QStringLiteral("folder.ini"))).isDir());
    }

    void readsThatCannotHappenFail()
    {
        QVERIFY_THROWS_EXCEPTION(Failure, ReadFile(at(QStringLiteral("missing.ini"))));
        QVERIFY_THROWS_EXCEPTION(Failure, ReadFile(dir.path()));
        putBytes(at(QStringLiteral("empty.ini")), {});
        QCOMPARE(ReadFile(at(QStringLiteral("empty.ini"))), QString());
    }

    void appendKeepsWhatWasThere()
    {
        const QString file = at(QStringLiteral("log.ini"));
        AppendFile(file, QStringLiteral("a"));
        AppendFile(file, QStringLiteral("b"));
        QCOMPARE(bytesOf(file), QByteArray("a\r\nb\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "test_textfile.moc"
