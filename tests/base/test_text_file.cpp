#include "base/Failure.h"
#include "base/NativeName.h"
#include "base/TextFile.h"
#include "support/Files.h"
#include "support/TestMain.h"
#include "support/Unreadable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <functional>

using namespace chimebox;
using textfile::AppendFile;
using textfile::ReadLimits;
using textfile::WriteFile;

namespace fs = std::filesystem;

namespace {

fs::perms permsOf(const fs::path &path)
{
    return fs::status(path).permissions() & fs::perms::mask;
}

// Every entry under top as text: links with where they point, files with their
// permission bits and bytes. Equal snapshots mean nothing was created, removed
// or changed, temp files included.
QStringList snapshot(const fs::path &top)
{
    QStringList entries;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(top)) {
        QString line = nativename::fromPath(entry.path().lexically_relative(top));
        if (entry.is_symlink())
            line += QStringLiteral(" -> ") + nativename::fromPath(fs::read_symlink(entry.path()));
        else if (entry.is_directory())
            line += u'/';
        else
            line += QStringLiteral(" %1 ").arg(int(permsOf(entry.path())), 0, 8) +
                    QString::fromLatin1(
                        testfiles::readFile(nativename::fromPath(entry.path())).toHex());
        entries.append(line);
    }
    entries.sort();
    return entries;
}

// Limits that no file written here comes near.
QString ReadFile(const QString &path)
{
    return textfile::ReadFile(path, {1 << 20, 1 << 20});
}

// The message of the Failure that call throws; empty when it throws none.
QString failureOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const Failure &failure) {
        return failure.message();
    }
    return {};
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
        QCOMPARE(testfiles::readFile(at(QStringLiteral("f.ini"))), bytes);
        QCOMPARE(ReadFile(at(QStringLiteral("f.ini"))), QString::fromUtf8(bytes));
    }

    void shortWriteReplacesLongFileWhole()
    {
        const QString file = at(QStringLiteral("long.ini"));
        testfiles::writeFile(file, QByteArray(5000, 'x'));
        WriteFile(file, QStringLiteral("07"));
        QCOMPARE(testfiles::readFile(file), QByteArray("07\r\n"));
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
        QCOMPARE(testfiles::readFile(at(QStringLiteral("last.ini"))),
                 QByteArray("/music/caf\xe9\r\n"));
        QCOMPARE(ReadFile(at(QStringLiteral("last.ini"))), odd + QStringLiteral("\r\n"));
    }

    void readOnlyFileIsRefusedAndKept()
    {
        const QString file = at(QStringLiteral("ro.ini"));
        testfiles::writeFile(file, "0730\r\n");
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        QVERIFY_THROWS_EXCEPTION(Failure, WriteFile(file, QStringLiteral("1200")));
        QVERIFY_THROWS_EXCEPTION(Failure, AppendFile(file, QStringLiteral("1200")));
        QCOMPARE(testfiles::readFile(file), QByteArray("0730\r\n"));
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
        testfiles::writeFile(at(QStringLiteral("empty.ini")), {});
        QCOMPARE(ReadFile(at(QStringLiteral("empty.ini"))), QString());
    }

    void readRefusesWhatIsOverItsLimits_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refusal");
        const QByteArray line(10, 'x');
        QTest::newRow("at both limits") << (line + "\r\n").repeated(8) + "abcd" << QString();
        QTest::newRow("CR and LF alone end lines") << line + '\r' + line + '\n' + line << QString();
        QTest::newRow("a byte over the file limit")
            << (line + "\r\n").repeated(8) + "abcde" << QStringLiteral("ファイルが大きすぎます");
        QTest::newRow("a byte over the line limit")
            << line + "\r\nx" + line << QStringLiteral("長すぎる行があります");
        QTest::newRow("the last line, without a line break")
            << line + "\n" + line + 'x' << QStringLiteral("長すぎる行があります");
    }

    void readRefusesWhatIsOverItsLimits()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refusal);
        const QString file = at(QStringLiteral("limited.ini"));
        testfiles::writeFile(file, bytes);
        const ReadLimits limits{100, 10};
        if (refusal.isEmpty()) {
            QCOMPARE(textfile::ReadFile(file, limits), QString::fromLatin1(bytes));
            return;
        }
        QCOMPARE(failureOf([&] { textfile::ReadFile(file, limits); }),
                 refusal + QStringLiteral(": ") + file);
    }

#ifdef Q_OS_LINUX
    // Files under /proc say their size is 0 whatever they hold: what is read
    // counts, and the limit still holds.
    void aFileHoldingMoreThanItsSizeSays()
    {
        const QString status = QStringLiteral("/proc/self/status");
        QCOMPARE(fs::file_size(nativename::toPath(status)), 0u);
        QVERIFY(textfile::ReadFile(status, {64 * 1024, 4096}).startsWith(QStringLiteral("Name:")));
        const auto readStatus = [&] { textfile::ReadFile(status, {100, 4096}); };
        QCOMPARE(failureOf(readStatus), QStringLiteral("ファイルが大きすぎます: ") + status);
    }
#endif

    // A settings file linked into another folder (a synced one, say) stays a
    // link: the write lands on the file at the end of the chain, and its temp
    // file is made and renamed beside that file.
    void writeGoesThroughLinks_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("absolute") << QStringLiteral("absolute.ini");
        QTest::newRow("relative") << QStringLiteral("relative.ini");
        QTest::newRow("chain of two") << QStringLiteral("chain.ini");
    }

    void writeGoesThroughLinks()
    {
        QFETCH(QString, link);
        QTemporaryDir root;
        const fs::path top = nativename::toPath(root.path());
        fs::create_directories(top / "settings");
        fs::create_directories(top / "synced/deep");
        const fs::path real = top / "synced/deep/real.ini";
        testfiles::writeFile(nativename::fromPath(real), "0730\r\n");
        fs::create_symlink(real, top / "settings/absolute.ini");
        fs::create_symlink("../synced/deep/real.ini", top / "settings/relative.ini");
        // The second link is relative to its own folder, not to the first's.
        fs::create_symlink("../synced/hop.ini", top / "settings/chain.ini");
        fs::create_symlink("deep/real.ini", top / "synced/hop.ini");
        const fs::path linkPath = top / "settings" / nativename::toPath(link);
        const fs::path linkText = fs::read_symlink(linkPath);
        const QStringList settingsBefore = snapshot(top / "settings");

        WriteFile(nativename::fromPath(linkPath), QStringLiteral("1200"));
        QCOMPARE(testfiles::readFile(nativename::fromPath(real)), QByteArray("1200\r\n"));
        AppendFile(nativename::fromPath(linkPath), QStringLiteral("b"));
        QCOMPARE(testfiles::readFile(nativename::fromPath(real)), QByteArray("1200\r\nb\r\n"));

        QVERIFY(fs::is_symlink(linkPath));
        QCOMPARE(fs::read_symlink(linkPath), linkText);
        QCOMPARE(snapshot(top / "settings"), settingsBefore);
        QCOMPARE(
            QDir(nativename::fromPath(top / "synced/deep"))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("real.ini")});
    }

    // The write replaces the file, but not its permission bits. Two modes are
    // tried: a new file made with the umask default matches at most one of them.
    void writeKeepsPermissionBits_data()
    {
        QTest::addColumn<bool>("throughLink");
        QTest::addColumn<int>("mode");
        QTest::newRow("plain 0600") << false << 0600;
        QTest::newRow("plain 0640") << false << 0640;
        QTest::newRow("through a link 0600") << true << 0600;
        QTest::newRow("through a link 0640") << true << 0640;
    }

    void writeKeepsPermissionBits()
    {
        QFETCH(bool, throughLink);
        QFETCH(int, mode);
        QTemporaryDir root;
        const fs::path top = nativename::toPath(root.path());
        const fs::path real = top / "real.ini";
        testfiles::writeFile(nativename::fromPath(real), "0730\r\n");
        fs::permissions(real, fs::perms(mode));
        fs::path written = real;
        if (throughLink) {
            written = top / "link.ini";
            fs::create_symlink("real.ini", written);
        }

        WriteFile(nativename::fromPath(written), QStringLiteral("1200"));
        QCOMPARE(testfiles::readFile(nativename::fromPath(real)), QByteArray("1200\r\n"));
        QCOMPARE(int(permsOf(real)), mode);
    }

    // A link whose chain ends nowhere, loops, ends at a folder or at a read-only
    // file cannot be written through. The write names the file it was given
    // and changes nothing: no target made, no link replaced, no temp file left.
    void linksThatCannotBeWrittenThroughAreRefused_data()
    {
        QTest::addColumn<QString>("linkText");
        QTest::newRow("dangling") << QStringLiteral("missing.ini");
        QTest::newRow("dangling chain") << QStringLiteral("to-missing.ini");
        QTest::newRow("loop") << QStringLiteral("loop-a.ini");
        QTest::newRow("folder") << QStringLiteral("folder");
        QTest::newRow("read-only file") << QStringLiteral("read-only.ini");
    }

    void linksThatCannotBeWrittenThroughAreRefused()
    {
        QFETCH(QString, linkText);
        QTemporaryDir root;
        const fs::path top = nativename::toPath(root.path());
        fs::create_directories(top / "folder");
        fs::create_symlink("missing.ini", top / "to-missing.ini");
        fs::create_symlink("loop-b.ini", top / "loop-a.ini");
        fs::create_symlink("loop-a.ini", top / "loop-b.ini");
        testfiles::writeFile(nativename::fromPath(top / "read-only.ini"), "0730\r\n");
        fs::permissions(top / "read-only.ini", fs::perms::owner_read | fs::perms::group_read);
        fs::create_symlink(nativename::toPath(linkText), top / "playtime.ini");
        const QString file = nativename::fromPath(top / "playtime.ini");
        const QStringList before = snapshot(top);

        const QString writeFailure = failureOf([&] { WriteFile(file, QStringLiteral("1200")); });
        QVERIFY2(writeFailure.contains(file), qPrintable(writeFailure));
        QCOMPARE(snapshot(top), before);
        const QString appendFailure = failureOf([&] { AppendFile(file, QStringLiteral("1200")); });
        QVERIFY2(appendFailure.contains(file), qPrintable(appendFailure));
        QCOMPARE(snapshot(top), before);
    }

    void appendKeepsWhatWasThere()
    {
        const QString file = at(QStringLiteral("log.ini"));
        AppendFile(file, QStringLiteral("a"));
        AppendFile(file, QStringLiteral("b"));
        QCOMPARE(testfiles::readFile(file), QByteArray("a\r\nb\r\n"));
    }

    // The size is checked before the file is opened: one too large is refused
    // for its size even when it could not be opened at all. Last, because
    // making a file unreadable to root changes the rest of this process.
    void theSizeIsCheckedBeforeTheFileIsOpened()
    {
        const QString file = at(QStringLiteral("locked.ini"));
        testfiles::writeFile(file, QByteArray(200, 'x'));
        if (!makeUnreadable(file))
            QSKIP("this process reads files whatever their mode");
        const auto readWithin = [&](qsizetype limit) {
            return failureOf([&] { textfile::ReadFile(file, {limit, 1000}); });
        };
        QCOMPARE(readWithin(100), QStringLiteral("ファイルが大きすぎます: ") + file);
        QCOMPARE(readWithin(1000), QStringLiteral("ファイルを開けません: ") + file);
    }
};

CHIMEBOX_TEST_MAIN(TestTextFile)
#include "test_text_file.moc"
