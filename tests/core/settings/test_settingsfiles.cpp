#include "NativeName.h"
#include "settings/SettingsFiles.h"
#include "settings/SettingsLocation.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

using namespace chimebox;
using namespace chimebox::settings;

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
        QFile marker(folder.path(SettingsFile::StopMarker));
        QVERIFY(marker.open(QIODevice::ReadOnly));
        QCOMPARE(marker.readAll(), QByteArray("\r\n"));
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
        QFile real(dir.path() + QStringLiteral("/real.ini"));
        QVERIFY(real.open(QIODevice::WriteOnly));
        real.close();
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

    void unwritableProgramFolderFallsBackToTheUsersFolder()
    {
        QTemporaryDir dir;
        QCOMPARE(chooseSettingsFolder(dir.path(), dir.path() + QStringLiteral("/user")),
                 dir.path());
        const QString fallback = dir.path() + QStringLiteral("/user/config");
        QCOMPARE(chooseSettingsFolder(dir.path() + QStringLiteral("/gone"), fallback), fallback);
        QVERIFY(QFileInfo(fallback).isDir());
    }
};

CHIMEBOX_TEST_MAIN(TestSettingsFiles)
#include "test_settingsfiles.moc"
