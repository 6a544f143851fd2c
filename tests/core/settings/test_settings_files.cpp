#include "base/Failure.h"
#include "base/NativeName.h"
#include "core/settings/SettingsFiles.h"
#include "support/Files.h"
#include "support/TestMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <functional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace chimebox;
using namespace chimebox::settings;

Q_DECLARE_METATYPE(SettingsFile)

namespace {

void put(const SettingsFolder &folder, SettingsFile file, const QByteArray &bytes,
         testfiles::Caller caller = {})
{
    testfiles::writeFile(folder.path(file), bytes, caller);
}

QByteArray bytesOf(const SettingsFolder &folder, SettingsFile file)
{
    return testfiles::readFile(folder.path(file));
}

// What a read threw: the Failure's message, or a note that it threw something
// else or nothing.
QString refusal(const std::function<void()> &read)
{
    try {
        read();
    } catch (const Failure &failure) {
        return failure.message();
    } catch (const std::exception &other) {
        return QStringLiteral("not a Failure: ") + QString::fromLocal8Bit(other.what());
    }
    return QStringLiteral("nothing thrown");
}

void readFile(const SettingsFolder &folder, SettingsFile file)
{
    switch (file) {
    case SettingsFile::StopTime:
    case SettingsFile::PlayTime:
        folder.readTime(file);
        break;
    case SettingsFile::Favourites:
        folder.readFavourites();
        break;
    default:
        folder.readLastFolder();
        break;
    }
}

} // namespace

class TestSettingsFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void namesAreJoinedWithTheirSeparator()
    {
        QCOMPARE(SettingsFolder(QStringLiteral("/opt/chime")).path(SettingsFile::StopMarker),
                 QStringLiteral("/opt/chime/stoper.ini"));
        // In the root folder the name still gets its separator and still names
        // the file in that folder.
        QCOMPARE(SettingsFolder(QStringLiteral("/")).path(SettingsFile::Favourites),
                 QStringLiteral("//chimeboxfl.ini"));
        QCOMPARE(QFileInfo(QStringLiteral("//chimeboxfl.ini")).absoluteFilePath(),
                 QStringLiteral("/chimeboxfl.ini"));
    }

    void presenceMeansARegularFile()
    {
        QTemporaryDir dir;
        const SettingsFolder folder(dir.path());
        QVERIFY(!folder.isPresent(SettingsFile::PlayMarker));
        QDir(dir.path()).mkdir(QStringLiteral("player.ini"));
        QVERIFY(!folder.isPresent(SettingsFile::PlayMarker));
        folder.writeMarker(SettingsFile::StopMarker);
        QVERIFY(folder.isPresent(SettingsFile::StopMarker));
        QCOMPARE(bytesOf(folder, SettingsFile::StopMarker), QByteArray("\r\n"));
        folder.removeIfPresent(SettingsFile::StopMarker);
        QVERIFY(!folder.isPresent(SettingsFile::StopMarker));
        folder.removeIfPresent(SettingsFile::StopMarker);
    }

    // A marker that is a link counts by what it points to. Removing it deletes
    // the link, as deleting any file would, and leaves the file it named.
    void markersThatAreLinks()
    {
        namespace fs = std::filesystem;
        QTemporaryDir dir;
        const fs::path top = nativename::toPath(dir.path());
        const SettingsFolder folder(dir.path());
        testfiles::writeFile(dir.path() + QStringLiteral("/real.ini"), {});
        fs::create_symlink("real.ini", top / "player.ini");
        fs::create_symlink("missing.ini", top / "stoper.ini");

        QVERIFY(folder.isPresent(SettingsFile::PlayMarker));
        QVERIFY(!folder.isPresent(SettingsFile::StopMarker));
        folder.removeIfPresent(SettingsFile::PlayMarker);
        folder.removeIfPresent(SettingsFile::StopMarker);
        QVERIFY(!fs::exists(fs::symlink_status(top / "player.ini")));
        QVERIFY(fs::is_regular_file(top / "real.ini"));
        QVERIFY(fs::is_symlink(top / "stoper.ini"));
    }

    void storedTimesAreReadByPosition_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("hour");
        QTest::addColumn<QString>("minute");
        QTest::addColumn<QString>("normalised");
        QTest::newRow("0730") << QStringLiteral("0730\r\n") << "07"
                              << "30"
                              << "07:30";
        QTest::newRow("07:30") << QStringLiteral("07:30\r\n") << "07"
                               << "30"
                               << "07:30";
        QTest::newRow("07") << QStringLiteral("07\r\n") << "07"
                            << "07"
                            << "07:07";
        QTest::newRow("07:30:15") << QStringLiteral("07:30:15\r\n") << "07"
                                  << "15"
                                  << "07:15";
        QTest::newRow("730") << QStringLiteral("730\r\n") << "73"
                             << "30"
                             << "73:30";
        QTest::newRow("7") << QStringLiteral("7\r\n") << "7"
                           << "7"
                           << "7:7";
        QTest::newRow("7:5") << QStringLiteral("7:5\r\n") << "7:"
                             << ":5"
                             << "7:::5";
        QTest::newRow("empty") << QStringLiteral("\r\n") << ""
                               << ""
                               << ":";
        // Other editors end lines with LF or CR alone; every kind of line
        // break is removed wherever it stands.
        QTest::newRow("LF only") << QStringLiteral("0730\n") << "07"
                                 << "30"
                                 << "07:30";
        QTest::newRow("CR only") << QStringLiteral("0730\r") << "07"
                                 << "30"
                                 << "07:30";
        QTest::newRow("LF inside") << QStringLiteral("07\n30\n") << "07"
                                   << "30"
                                   << "07:30";
        QTest::newRow("LF CR") << QStringLiteral("0730\n\r") << "07"
                               << "30"
                               << "07:30";
        QTest::newRow("10,000 line breaks")
            << QStringLiteral("0730") + QStringLiteral("\r\n\n\r").repeated(2500) << "07"
            << "30"
            << "07:30";
        QTest::newRow("CR LF inside") << QStringLiteral("07\r\n30\r\n") << "07"
                                      << "30"
                                      << "07:30";
        // Full-width digits read as the digits they are; nothing else does.
        QTest::newRow("full-width") << QStringLiteral("０１２３４５６７８９\r\n") << "01"
                                    << "89"
                                    << "01:89";
        QTest::newRow("full-width colon and letters") << QStringLiteral("７：３") << "7："
                                                      << "：3"
                                                      << "7：:：3";
    }

    void storedTimesAreReadByPosition()
    {
        QFETCH(QString, stored);
        QFETCH(QString, hour);
        QFETCH(QString, minute);
        QFETCH(QString, normalised);
        const StoredTime time = parseTime(stored);
        QCOMPARE(time.hour, hour);
        QCOMPARE(time.minute, minute);
        QCOMPARE(time.clockText(), normalised);
    }

    void favouritesFormat()
    {
        QCOMPARE(parseFavourites(QStringLiteral("/a\r\n\r\n/b\r\n\r\n")),
                 (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));
        QCOMPARE(parseFavourites(QStringLiteral("\r\n\r\n\r\n")), QStringList());
        QCOMPARE(parseFavourites(QStringLiteral("/a\n/b\n")),
                 (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));
        QCOMPARE(parseFavourites(QStringLiteral("/a\r/b\r\n/c\n\r\n")),
                 (QStringList{QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c")}));
        QCOMPARE(parseFavourites(QStringLiteral("/a\r\n/a\r\n")),
                 (QStringList{QStringLiteral("/a"), QStringLiteral("/a")}));
        QCOMPARE(parseFavourites(QStringLiteral(" /a \r\n")), QStringList{QStringLiteral(" /a ")});
        QCOMPARE(formatFavourites({}), QString());
        QCOMPARE(formatFavourites({QStringLiteral("/a"), QStringLiteral("/b")}),
                 QStringLiteral("/a\r\n/b\r\n"));
    }

    // One line break at the end goes, whichever kind; a name that holds a
    // line break of its own keeps it, as the writer stored it.
    void lastFolderFormat()
    {
        QCOMPARE(parseLastFolder(QStringLiteral("/x\r\n")), QStringLiteral("/x"));
        QCOMPARE(parseLastFolder(QStringLiteral("/x\n")), QStringLiteral("/x"));
        QCOMPARE(parseLastFolder(QStringLiteral("/x\r")), QStringLiteral("/x"));
        QCOMPARE(parseLastFolder(QStringLiteral("/x")), QStringLiteral("/x"));
        QCOMPARE(parseLastFolder(QStringLiteral("/a\nb\r\n")), QStringLiteral("/a\nb"));
        QCOMPARE(parseLastFolder(QStringLiteral("/a\n\r\n")), QStringLiteral("/a\n"));
    }

    // Windows editors start UTF-8 files with a byte-order mark: every reader
    // skips it, and what it read is written back without one.
    void aByteOrderMarkIsSkipped()
    {
        QTemporaryDir dir;
        const SettingsFolder folder(dir.path());
        const QByteArray bom("\xEF\xBB\xBF");
        put(folder, SettingsFile::PlayTime, bom + "0730\r\n");
        QCOMPARE(folder.readTime(SettingsFile::PlayTime),
                 (StoredTime{QStringLiteral("07"), QStringLiteral("30")}));
        put(folder, SettingsFile::Favourites, bom + "/a\r\n/b\r\n\r\n");
        const QStringList favourites = folder.readFavourites();
        QCOMPARE(favourites, (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));
        folder.writeFavourites(favourites);
        QCOMPARE(bytesOf(folder, SettingsFile::Favourites), QByteArray("/a\r\n/b\r\n\r\n"));
        put(folder, SettingsFile::LastFolder, bom + "/x\r\n");
        QCOMPARE(folder.readLastFolder(), QStringLiteral("/x"));
        // Only a leading mark is skipped; one inside a name is part of it.
        put(folder, SettingsFile::LastFolder, "/x" + bom + "\r\n");
        QCOMPARE(folder.readLastFolder(), QStringLiteral("/x\uFEFF"));
    }

    // A file far larger than any chimebox writes is refused by its size before
    // any of it is read: a sparse file of 100 GB costs nothing, and the message
    // names the file.
    void oversizedFilesAreRefused_data()
    {
        QTest::addColumn<SettingsFile>("file");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("sparse");
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("time, 100 GB sparse")
            << SettingsFile::StopTime << qint64(100) * 1024 * 1024 * 1024 << true << false;
        QTest::newRow("time, link to 100 GB sparse")
            << SettingsFile::PlayTime << qint64(100) * 1024 * 1024 * 1024 << true << true;
        QTest::newRow("time, 10 MB")
            << SettingsFile::StopTime << qint64(10'000'000) << false << false;
        QTest::newRow("favourites, 10 MB")
            << SettingsFile::Favourites << qint64(10'000'000) << false << false;
        QTest::newRow("favourites, 1 byte over 64 KiB")
            << SettingsFile::Favourites << qint64(64 * 1024 + 1) << false << false;
        QTest::newRow("last folder, 1 MB")
            << SettingsFile::LastFolder << qint64(1'000'000) << false << false;
    }

    void oversizedFilesAreRefused()
    {
        namespace fs = std::filesystem;
        QFETCH(SettingsFile, file);
        QFETCH(qint64, size);
        QFETCH(bool, sparse);
        QFETCH(bool, throughLink);
        QTemporaryDir dir;
        const SettingsFolder folder(dir.path());
        const fs::path target = throughLink ? nativename::toPath(dir.path()) / "elsewhere.bin"
                                            : nativename::toPath(folder.path(file));
        if (sparse) {
            testfiles::writeFile(nativename::fromPath(target), "0");
            fs::resize_file(target, std::uintmax_t(size));
        } else {
            // Short lines, so only the size can be at fault.
            QByteArray lines = QByteArray("/music/0730\r\n").repeated(size / 13 + 1);
            lines.truncate(size);
            testfiles::writeFile(nativename::fromPath(target), lines);
        }
        if (throughLink)
            fs::create_symlink(target, nativename::toPath(folder.path(file)));

        QElapsedTimer timer;
        timer.start();
        const QString why = refusal([&] { readFile(folder, file); });
        QVERIFY2(why.contains(folder.path(file)), qPrintable(why));
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(qint64(fs::file_size(target)), size);
    }

    // Favourites of a few thousand folders fit; every line may be as long as
    // the longest path the system opens, and not one byte longer.
    void filesAtTheLimitsAreRead()
    {
        QTemporaryDir dir;
        const SettingsFolder folder(dir.path());
        const QByteArray longest = QByteArray("/") + QByteArray(4095, 'x');
        QByteArray full = (longest + "\r\n").repeated(15);
        full += QByteArray(64 * 1024 - full.size() - 2, '/') + "\r\n";
        QCOMPARE(full.size(), 64 * 1024);
        put(folder, SettingsFile::Favourites, full);
        QCOMPARE(folder.readFavourites().size(), 16);
        QCOMPARE(folder.readFavourites().first().size(), 4096);

        put(folder, SettingsFile::LastFolder, longest + "\r\n");
        QCOMPARE(folder.readLastFolder(), QString::fromLatin1(longest));
    }

    void overlongLinesAreRefused_data()
    {
        QTest::addColumn<SettingsFile>("file");
        QTest::addColumn<QByteArray>("content");
        const QByteArray overlong = QByteArray("/") + QByteArray(4096, 'x');
        QTest::newRow("last folder") << SettingsFile::LastFolder << overlong + "\r\n";
        QTest::newRow("last folder, no line break") << SettingsFile::LastFolder << overlong;
        QTest::newRow("one favourite among short ones")
            << SettingsFile::Favourites << "/a\r\n" + overlong + "\r\n/b\r\n\r\n";
        QTest::newRow("favourites, 1 MB on one line")
            << SettingsFile::Favourites << QByteArray(1'000'000, 'x') + "\r\n\r\n";
        QTest::newRow("favourites, 60 KB on one line")
            << SettingsFile::Favourites << QByteArray(60'000, 'x') + "\r\n";
        // Bytes count, not characters: 1366 characters of three bytes each.
        QTest::newRow("Japanese, 4098 bytes")
            << SettingsFile::Favourites
            << QStringLiteral("あ").repeated(1366).toUtf8() + "\r\n\r\n";
        QTest::newRow("time") << SettingsFile::PlayTime << QByteArray(5000, '0') + "\r\n";
    }

    void overlongLinesAreRefused()
    {
        QFETCH(SettingsFile, file);
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const SettingsFolder folder(dir.path());
        put(folder, file, content);
        const QString why = refusal([&] { readFile(folder, file); });
        QVERIFY2(why.contains(folder.path(file)), qPrintable(why));
    }

    // Bytes that are no text come back exactly as they were stored.
    void oddBytesInFavouritesRoundTrip()
    {
        QTemporaryDir dir;
        const SettingsFolder folder(dir.path());
        const char raw[] = "/a\0b\r\n/caf\xe9\xff\r\n/\xe3\x81\r\n\r\n";
        const QByteArray stored(raw, sizeof raw - 1);
        put(folder, SettingsFile::Favourites, stored);
        const QStringList items = folder.readFavourites();
        QCOMPARE(items.size(), 3);
        QCOMPARE(items.first(), QStringView(u"/a\0b", 4).toString());
        folder.writeFavourites(items);
        QCOMPARE(bytesOf(folder, SettingsFile::Favourites), stored);
    }

#ifdef Q_OS_UNIX
    // Opening a pipe with no writer would wait for ever, and a device is no
    // file of ours: both count as missing, so nothing reads them.
    void pipesAndDevicesCountAsMissing()
    {
        QTemporaryDir dir;
        const SettingsFolder folder(dir.path());
        QCOMPARE(mkfifo(QFile::encodeName(folder.path(SettingsFile::StopTime)).constData(), 0600),
                 0);
        std::filesystem::create_symlink("/dev/zero",
                                        nativename::toPath(folder.path(SettingsFile::Favourites)));
        QVERIFY(!folder.isPresent(SettingsFile::StopTime));
        QVERIFY(!folder.isPresent(SettingsFile::Favourites));
        const QString pipe = refusal([&] { folder.readTime(SettingsFile::StopTime); });
        QVERIFY2(pipe.contains(folder.path(SettingsFile::StopTime)), qPrintable(pipe));
        const QString device = refusal([&] { folder.readFavourites(); });
        QVERIFY2(device.contains(folder.path(SettingsFile::Favourites)), qPrintable(device));
    }
#endif
};

CHIMEBOX_TEST_MAIN(TestSettingsFiles)
#include "test_settings_files.moc"
