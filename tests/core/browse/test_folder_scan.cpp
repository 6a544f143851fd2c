#include "base/Failure.h"
#include "base/NativeName.h"
#include "core/browse/FolderScan.h"
#include "support/Files.h"
#include "support/TestMain.h"
#include "support/Unreadable.h"

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

    FolderScan scan;

private Q_SLOTS:
    void listsMatchingVisibleFilesOnly();
    void listsInNaturalOrder();
    void nameThatIsNotUtf8SurvivesTheListing();
    void unreadableFolderFails();
    void aFolderIsReadAfreshOnceItChanged();
    void aListingIsReusedOnlyWhenReadWellAfterTheChange_data();
    void aListingIsReusedOnlyWhenReadWellAfterTheChange();
    void subfoldersFollowTheSameRules();
};

void TestFolderScan::listsMatchingVisibleFilesOnly()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    for (const char *name : {"a.mp3", "B.WAV", "c.wma", "d.txt", ".hidden.mp3", "e.Mp3"})
        testfiles::writeFile(root + u'/' + QLatin1String(name), {});
    testfiles::makeFolder(root + QStringLiteral("/folder.mp3"));
    std::filesystem::create_symlink(nativename::toPath(root + QStringLiteral("/a.mp3")),
                                    nativename::toPath(root + QStringLiteral("/link.mp3")));
    std::filesystem::create_symlink(nativename::toPath(root + QStringLiteral("/gone")),
                                    nativename::toPath(root + QStringLiteral("/broken.mp3")));

    QCOMPARE(scan.audioFiles(root, QStringLiteral("*.wav;*.mp3;*.wma")).toStringList(),
             QStringList({"a.mp3", "B.WAV", "c.wma", "e.Mp3", "link.mp3"}));
    QCOMPARE(scan.audioFiles(root, QStringLiteral("*.txt")).toStringList(), QStringList({"d.txt"}));
    QVERIFY(scan.audioFiles(root, QStringLiteral("*.flac")).isEmpty());
}

void TestFolderScan::listsInNaturalOrder()
{
    QTemporaryDir dir;
    const QStringList expected = {"1.mp3",        "2.mp3",    "10.mp3",   "track 9.mp3",
                                  "Track 10.mp3", "あさ.mp3", "いぬ.mp3", "朝.mp3"};
    for (auto it = expected.rbegin(); it != expected.rend(); ++it)
        testfiles::writeFile(dir.path() + u'/' + *it, {});
    QCOMPARE(scan.audioFiles(dir.path(), QStringLiteral("*.mp3")).toStringList(), expected);
}

void TestFolderScan::nameThatIsNotUtf8SurvivesTheListing()
{
    QTemporaryDir dir;
    const QByteArray rawName("caf\xe9 \xff.mp3");
    const QString name = nativename::decode(rawName);
    testfiles::writeFile(dir.path() + u'/' + name, {});
    testfiles::writeFile(dir.path() + QStringLiteral("/b.mp3"), {});

    const QStringList listed = scan.audioFiles(dir.path(), QStringLiteral("*.mp3")).toStringList();
    QCOMPARE(listed.size(), 2);
    const QString found = listed.at(0) == u"b.mp3" ? listed.at(1) : listed.at(0);
    QCOMPARE(nativename::encode(found), rawName);
    // Removed here: QTemporaryDir lists names as text and cannot remove it.
    QVERIFY(std::filesystem::remove(nativename::toPath(dir.path() + u'/' + found)));
}

void TestFolderScan::unreadableFolderFails()
{
    QTemporaryDir dir;
    const QString missing = dir.path() + QStringLiteral("/なし");
    try {
        scan.audioFiles(missing, QStringLiteral("*.mp3"));
        QFAIL("a missing folder was listed");
    } catch (const Failure &failure) {
        QVERIFY(failure.message().contains(missing));
    }
    testfiles::writeFile(dir.path() + QStringLiteral("/file.mp3"), {});
    QVERIFY_THROWS_EXCEPTION(Failure, scan.subfolders(dir.path() + QStringLiteral("/file.mp3")));
    QVERIFY_THROWS_EXCEPTION(Failure, scan.audioFiles(QString(), QStringLiteral("*.mp3")));
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
    testfiles::writeFile(root + QStringLiteral("/a.mp3"), {});
    testfiles::makeFolder(root + QStringLiteral("/CD1"));
    settle();
    QCOMPARE(scan.audioFiles(root, QStringLiteral("*.mp3")).toStringList(), QStringList{"a.mp3"});
    QCOMPARE(scan.subfolders(root).toStringList(), QStringList{"CD1"});
    QCOMPARE(scan.audioFiles(root, QStringLiteral("*.mp3")).toStringList(), QStringList{"a.mp3"});

    testfiles::writeFile(root + QStringLiteral("/b.mp3"), {});
    QCOMPARE(scan.audioFiles(root, QStringLiteral("*.mp3")).toStringList(),
             (QStringList{"a.mp3", "b.mp3"}));
    settle();
    QCOMPARE(scan.audioFiles(root, QStringLiteral("*.mp3")).toStringList(),
             (QStringList{"a.mp3", "b.mp3"}));
    QVERIFY(QDir(root).rename(QStringLiteral("CD1"), QStringLiteral("CD2")));
    settle();
    QCOMPARE(scan.subfolders(root).toStringList(), QStringList{"CD2"});
    QCOMPARE(scan.audioFiles(root, QStringLiteral("*.wav")).toStringList(), QStringList());
    QCOMPARE(scan.audioFiles(root, QStringLiteral("*.wav;*.MP3")).toStringList(),
             (QStringList{"a.mp3", "b.mp3"}));

    // What a link leads to changed elsewhere, not the folder: the link is
    // looked at again.
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("target"));
    const QString targetFolder = elsewhere.filePath(QStringLiteral("CD3"));
    testfiles::writeFile(target, {});
    testfiles::makeFolder(targetFolder);
    std::filesystem::create_symlink(nativename::toPath(target),
                                    nativename::toPath(root + QStringLiteral("/linked.mp3")));
    std::filesystem::create_directory_symlink(nativename::toPath(targetFolder),
                                              nativename::toPath(root + QStringLiteral("/CD3")));
    settle();
    QCOMPARE(scan.audioFiles(root, QStringLiteral("*.mp3")).toStringList(),
             (QStringList{"a.mp3", "b.mp3", "linked.mp3"}));
    QCOMPARE(scan.subfolders(root).toStringList(), (QStringList{"CD2", "CD3"}));
    QVERIFY(QFile::remove(target));
    QVERIFY(QDir(elsewhere.path()).rmdir(QStringLiteral("CD3")));
    QCOMPARE(scan.audioFiles(root, QStringLiteral("*.mp3")).toStringList(),
             (QStringList{"a.mp3", "b.mp3"}));
    QCOMPARE(scan.subfolders(root).toStringList(), QStringList{"CD2"});

    // Its permissions changed, not its entries: still read afresh, and refused.
    if (!makeUnreadable(root))
        QSKIP("this user reads every folder");
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    QVERIFY_THROWS_EXCEPTION(Failure, scan.audioFiles(root, QStringLiteral("*.mp3")));
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
        testfiles::makeFolder(dir.path() + u'/' + QString::fromUtf8(name));
    testfiles::writeFile(dir.path() + QStringLiteral("/CD1"), {});
    std::filesystem::create_directory_symlink(nativename::toPath(dir.path() + "/CD2"),
                                              nativename::toPath(dir.path() + "/link"));
    QCOMPARE(scan.subfolders(dir.path()).toStringList(),
             QStringList({"CD2", "CD10", "link", "アルバム"}));
}
CHIMEBOX_TEST_MAIN(TestFolderScan)
#include "test_folder_scan.moc"
