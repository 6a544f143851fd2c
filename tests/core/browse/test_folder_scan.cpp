#include "base/Failure.h"
#include "base/NativeName.h"
#include "core/browse/FolderScan.h"
#include "support/TempFiles.h"
#include "support/TestMain.h"
#include "support/Unreadable.h"

#include <QCollator>
#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <filesystem>

using namespace chimebox;
using namespace chimebox::browse;

class TestFolderScan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void patternMatching_data();
    void patternMatching();
    void listsMatchingVisibleFilesOnly();
    void naturalOrder();
    void naturalOrderIsTheCollatorsInEveryLanguage_data();
    void naturalOrderIsTheCollatorsInEveryLanguage();
    void aLongListSortsLikeAShortOne();
    void nameThatIsNotUtf8SurvivesTheListing();
    void unreadableFolderFails();
    void aFolderIsReadAfreshOnceItChanged();
    void aListingIsReusedOnlyWhenReadWellAfterTheChange_data();
    void aListingIsReusedOnlyWhenReadWellAfterTheChange();
    void subfoldersFollowTheSameRules();
    void volumeFilter_data();
    void volumeFilter();
    void volumesKeepRootFirstAndEachOnce();
};

void TestFolderScan::patternMatching_data()
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
    QTest::newRow("ending longer than the name") << "3"
                                                 << "*.mp3" << false;
    QTest::newRow("star alone") << "anything"
                                << "*" << true;
    QTest::newRow("question mark after a star") << "ab.mp3"
                                                << "*b.mp?" << true;
}

void TestFolderScan::patternMatching()
{
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QFETCH(bool, matches);
    QCOMPARE(matchesPattern(name, pattern), matches);
}

void TestFolderScan::listsMatchingVisibleFilesOnly()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    for (const char *name : {"a.mp3", "B.WAV", "c.wma", "d.txt", ".hidden.mp3", "e.Mp3"})
        tempfiles::touch(root + u'/' + QLatin1String(name));
    tempfiles::makeFolder(root + QStringLiteral("/folder.mp3"));
    std::filesystem::create_symlink(nativename::toPath(root + QStringLiteral("/a.mp3")),
                                    nativename::toPath(root + QStringLiteral("/link.mp3")));
    std::filesystem::create_symlink(nativename::toPath(root + QStringLiteral("/gone")),
                                    nativename::toPath(root + QStringLiteral("/broken.mp3")));

    QCOMPARE(audioFiles(root, QStringLiteral("*.wav;*.mp3;*.wma")),
             QStringList({"a.mp3", "B.WAV", "c.wma", "e.Mp3", "link.mp3"}));
    QCOMPARE(audioFiles(root, QStringLiteral("*.txt")), QStringList({"d.txt"}));
    QVERIFY(audioFiles(root, QStringLiteral("*.flac")).isEmpty());
}

void TestFolderScan::naturalOrder()
{
    QTemporaryDir dir;
    const QStringList expected = {"1.mp3",        "2.mp3",    "10.mp3",   "track 9.mp3",
                                  "Track 10.mp3", "あさ.mp3", "いぬ.mp3", "朝.mp3"};
    for (auto it = expected.rbegin(); it != expected.rend(); ++it)
        tempfiles::touch(dir.path() + u'/' + *it);
    QCOMPARE(audioFiles(dir.path(), QStringLiteral("*.mp3")), expected);

    // Names the collator ranks alike still come out in one fixed order.
    QStringList first = {"a.mp3", "A.mp3", "ａ.mp3"};
    QStringList second = {"ａ.mp3", "A.mp3", "a.mp3"};
    sortNaturally(first);
    sortNaturally(second);
    QCOMPARE(first, second);
}

void TestFolderScan::naturalOrderIsTheCollatorsInEveryLanguage_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QLocale>("collatedAs");
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QTest::newRow("C, collated as Japanese") << QLocale::c() << japanese;
    QTest::newRow("Japanese") << japanese << japanese;
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                             << QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany)
                            << QLocale(QLocale::German, QLocale::Germany);
    QTest::newRow("Swedish") << QLocale(QLocale::Swedish, QLocale::Sweden)
                             << QLocale(QLocale::Swedish, QLocale::Sweden);
}

// The order is Qt's collator in numeric mode for the user's language, names
// it holds equal then by code; the keys are built apart from QCollator, so
// they are held against it on names that tell collations apart.
void TestFolderScan::naturalOrderIsTheCollatorsInEveryLanguage()
{
    QFETCH(QLocale, locale);
    QFETCH(QLocale, collatedAs);
    const QStringList names = {
        "track 10.mp3",
        "Track 9.mp3",
        "track 009.mp3",
        "track 9.mp3",
        "track9.mp3",
        "a.mp3",
        "A.mp3",
        "ａ.mp3",
        "á.mp3",
        "a\u0301.mp3",
        "Ä.mp3",
        "ae.mp3",
        "æ.mp3",
        "z.mp3",
        "ö.mp3",
        "o.mp3",
        "01.mp3",
        "1.mp3",
        "001.mp3",
        "１０.mp3",
        "2.mp3",
        "あさ.mp3",
        "アサ.mp3",
        "ｱｻ.mp3",
        "いぬ.mp3",
        "朝.mp3",
        "ー.mp3",
        "_x.mp3",
        "-x.mp3",
        " x.mp3",
        "(1).mp3",
        "x y.mp3",
        "x-y.mp3",
        "é.mp3",
        "e.mp3",
        "E.mp3",
        "ß.mp3",
        "ss.mp3",
        "\U0001D11E.mp3",
        "ｚ.mp3",
        "一.mp3",
        "亜.mp3",
        "a\u0301\u0323.mp3",
        "a\u0323\u0301.mp3",
        "ạ́.mp3",
        "v12345678901234567890.mp3",
        "v12345678901234567891.mp3",
        "",
    };
    QCollator collator(collatedAs);
    collator.setNumericMode(true);
    QStringList expected = names;
    std::sort(expected.begin(), expected.end(), [&](const QString &a, const QString &b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });

    const QLocale before;
    QLocale::setDefault(locale);
    const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
    QStringList sorted = names;
    std::reverse(sorted.begin(), sorted.end());
    sortNaturally(sorted);
    QCOMPARE(sorted, expected);
}

// Long lists are sorted in parts that are merged; the order is the same.
void TestFolderScan::aLongListSortsLikeAShortOne()
{
    const QStringList forms = {"track %1.mp3", "Track %1.MP3", "曲 %1.wma", "%1.wav",
                               "ｔｒａｃｋ%1.mp3"};
    QStringList names;
    for (int i = 0; i < 6000; ++i)
        names.append(forms[i % forms.size()].arg(i * 7919 % 6000));
    QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    collator.setNumericMode(true);
    QStringList expected = names;
    std::sort(expected.begin(), expected.end(), [&](const QString &a, const QString &b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    sortNaturally(names);
    QCOMPARE(names, expected);
}

void TestFolderScan::nameThatIsNotUtf8SurvivesTheListing()
{
    QTemporaryDir dir;
    const QByteArray rawName("caf\xe9 \xff.mp3");
    const QString name = nativename::decode(rawName);
    tempfiles::touch(dir.path() + u'/' + name);
    tempfiles::touch(dir.path() + QStringLiteral("/b.mp3"));

    const QStringList listed = audioFiles(dir.path(), QStringLiteral("*.mp3"));
    QCOMPARE(listed.size(), 2);
    const QString found = listed.at(0) == u"b.mp3" ? listed.at(1) : listed.at(0);
    QCOMPARE(nativename::encode(found), rawName);
    QVERIFY(std::filesystem::exists(nativename::toPath(dir.path() + u'/' + found)));
}

void TestFolderScan::unreadableFolderFails()
{
    QTemporaryDir dir;
    const QString missing = dir.path() + QStringLiteral("/なし");
    try {
        audioFiles(missing, QStringLiteral("*.mp3"));
        QFAIL("a missing folder was listed");
    } catch (const Failure &failure) {
        QVERIFY(failure.message().contains(missing));
    }
    tempfiles::touch(dir.path() + QStringLiteral("/file.mp3"));
    QVERIFY_THROWS_EXCEPTION(Failure, subfolders(dir.path() + QStringLiteral("/file.mp3")));
    QVERIFY_THROWS_EXCEPTION(Failure, audioFiles(QString(), QStringLiteral("*.mp3")));
}

// Lists of one folder reuse its last read while the folder is unchanged; a
// folder last changed an hour ago is such a folder.
void TestFolderScan::aFolderIsReadAfreshOnceItChanged()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    const auto settle = [&] {
        std::filesystem::last_write_time(nativename::toPath(root),
                                         std::filesystem::file_time_type::clock::now() -
                                             std::chrono::hours(1));
    };
    tempfiles::touch(root + QStringLiteral("/a.mp3"));
    tempfiles::makeFolder(root + QStringLiteral("/CD1"));
    settle();
    QCOMPARE(audioFiles(root, QStringLiteral("*.mp3")), QStringList{"a.mp3"});
    QCOMPARE(subfolders(root), QStringList{"CD1"});
    QCOMPARE(audioFiles(root, QStringLiteral("*.mp3")), QStringList{"a.mp3"});

    tempfiles::touch(root + QStringLiteral("/b.mp3"));
    QCOMPARE(audioFiles(root, QStringLiteral("*.mp3")), (QStringList{"a.mp3", "b.mp3"}));
    settle();
    QCOMPARE(audioFiles(root, QStringLiteral("*.mp3")), (QStringList{"a.mp3", "b.mp3"}));
    QVERIFY(QDir(root).rename(QStringLiteral("CD1"), QStringLiteral("CD2")));
    settle();
    QCOMPARE(subfolders(root), QStringList{"CD2"});
    QCOMPARE(audioFiles(root, QStringLiteral("*.wav")), QStringList());
    QCOMPARE(audioFiles(root, QStringLiteral("*.wav;*.MP3")), (QStringList{"a.mp3", "b.mp3"}));

    // What a link leads to changed elsewhere, not the folder: the link is
    // looked at again.
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("target"));
    const QString targetFolder = elsewhere.filePath(QStringLiteral("CD3"));
    tempfiles::touch(target);
    tempfiles::makeFolder(targetFolder);
    std::filesystem::create_symlink(nativename::toPath(target),
                                    nativename::toPath(root + QStringLiteral("/linked.mp3")));
    std::filesystem::create_directory_symlink(nativename::toPath(targetFolder),
                                              nativename::toPath(root + QStringLiteral("/CD3")));
    settle();
    QCOMPARE(audioFiles(root, QStringLiteral("*.mp3")),
             (QStringList{"a.mp3", "b.mp3", "linked.mp3"}));
    QCOMPARE(subfolders(root), (QStringList{"CD2", "CD3"}));
    QVERIFY(QFile::remove(target));
    QVERIFY(QDir(elsewhere.path()).rmdir(QStringLiteral("CD3")));
    QCOMPARE(audioFiles(root, QStringLiteral("*.mp3")), (QStringList{"a.mp3", "b.mp3"}));
    QCOMPARE(subfolders(root), QStringList{"CD2"});

    // Its permissions changed, not its entries: still read afresh, and refused.
    if (!makeUnreadable(root))
        QSKIP("this user reads every folder");
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    QVERIFY_THROWS_EXCEPTION(Failure, audioFiles(root, QStringLiteral("*.mp3")));
}

// A FAT stick stamps a folder to the two seconds: a file copied in within the
// stamp of the read leaves the folder's times as they were.
void TestFolderScan::aListingIsReusedOnlyWhenReadWellAfterTheChange_data()
{
    QTest::addColumn<qint64>("readAfterNs");
    QTest::addColumn<bool>("reused");
    constexpr qint64 second = 1'000'000'000;
    QTest::newRow("an hour after") << 3600 * second << true;
    QTest::newRow("just over 3 s after") << 3 * second + 1 << true;
    QTest::newRow("3 s after") << 3 * second << false;
    QTest::newRow("2 s after, one FAT stamp") << 2 * second << false;
    QTest::newRow("3 ms after") << qint64(3'000'000) << false;
    QTest::newRow("at once") << qint64(0) << false;
    QTest::newRow("before it, the clock set back") << -60 * second << false;
}

void TestFolderScan::aListingIsReusedOnlyWhenReadWellAfterTheChange()
{
    QFETCH(qint64, readAfterNs);
    QFETCH(bool, reused);
    const qint64 modified = 1'700'000'000LL * 1'000'000'000;
    QCOMPARE(listingCanBeReused(modified, modified + readAfterNs), reused);
}

void TestFolderScan::subfoldersFollowTheSameRules()
{
    QTemporaryDir dir;
    for (const char *name : {"CD10", "CD2", ".cache", "アルバム"})
        tempfiles::makeFolder(dir.path() + u'/' + QString::fromUtf8(name));
    tempfiles::touch(dir.path() + QStringLiteral("/CD1"));
    std::filesystem::create_directory_symlink(nativename::toPath(dir.path() + "/CD2"),
                                              nativename::toPath(dir.path() + "/link"));
    QCOMPARE(subfolders(dir.path()), QStringList({"CD2", "CD10", "link", "アルバム"}));
}

void TestFolderScan::volumeFilter_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("kept");
    QTest::newRow("root") << "/"
                          << "ext4" << true;
    QTest::newRow("root on overlay") << "/"
                                     << "overlay" << true;
    QTest::newRow("separate home") << "/home"
                                   << "ext4" << true;
    QTest::newRow("a home below home") << "/home/user"
                                       << "ext4" << false;
    QTest::newRow("usb stick") << "/media/user/STICK"
                               << "vfat" << true;
    QTest::newRow("udisks mount") << "/run/media/user/DISC"
                                  << "iso9660" << true;
    QTest::newRow("mnt") << "/mnt"
                         << "ext4" << true;
    QTest::newRow("below mnt") << "/mnt/music"
                               << "nfs4" << true;
    QTest::newRow("tmpfs below mnt") << "/mnt/ram"
                                     << "tmpfs" << false;
    QTest::newRow("lookalike of mnt") << "/mntx"
                                      << "ext4" << false;
    QTest::newRow("proc") << "/proc"
                          << "proc" << false;
    QTest::newRow("sys") << "/sys"
                         << "sysfs" << false;
    QTest::newRow("cgroup") << "/sys/fs/cgroup"
                            << "cgroup2" << false;
    QTest::newRow("dev") << "/dev"
                         << "devtmpfs" << false;
    QTest::newRow("shm") << "/dev/shm"
                         << "tmpfs" << false;
    QTest::newRow("run") << "/run"
                         << "tmpfs" << false;
    QTest::newRow("user runtime") << "/run/user/1000"
                                  << "tmpfs" << false;
    QTest::newRow("gvfs") << "/run/user/1000/gvfs"
                          << "fuse.gvfsd-fuse" << false;
    QTest::newRow("boot") << "/boot"
                          << "ext4" << false;
    QTest::newRow("efi") << "/boot/efi"
                         << "vfat" << false;
    QTest::newRow("snap") << "/snap/core/123"
                          << "squashfs" << false;
    QTest::newRow("tmp") << "/tmp"
                         << "tmpfs" << false;
}

void TestFolderScan::volumeFilter()
{
    QFETCH(QString, root);
    QFETCH(QString, type);
    QFETCH(bool, kept);
    QCOMPARE(isUserVolume(root, type), kept);
}

void TestFolderScan::volumesKeepRootFirstAndEachOnce()
{
    const QList<Volume> mounted = {
        {"/proc", "proc", ""}, {"/media/u/B", "vfat", "B"},
        {"/home", "ext4", ""}, {"/media/u/B", "vfat", "B again"},
        {"/sys", "sysfs", ""},
    };
    const QList<Volume> volumes = userVolumes(mounted);
    QStringList roots;
    for (const Volume &volume : volumes)
        roots.append(volume.rootPath);
    QCOMPARE(roots, QStringList({"/", "/home", "/media/u/B"}));
    QCOMPARE(volumes.last().name, QStringLiteral("B"));

    // The machine's own list always offers the root.
    const QList<Volume> here = userVolumes(mountedVolumes());
    QVERIFY(!here.isEmpty());
    QCOMPARE(here.first().rootPath, QStringLiteral("/"));
}

CHIMEBOX_TEST_MAIN(TestFolderScan)
#include "test_folder_scan.moc"
