#include "base/AtomicFile.h"
#include "base/Failure.h"
#include "support/Files.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <sys/resource.h>
#endif

using namespace chimebox;
namespace fs = std::filesystem;
using testfiles::readFile;

#ifdef Q_OS_LINUX
namespace {

// Each fsync the writer makes while a test watches: what the descriptor
// names, what it held and what the target held at that moment.
struct Sync
{
    QString path;
    QByteArray held;
    QByteArray targetHeld;
};
QString watchedTarget;
QList<Sync> syncs;
int failingSyncError = 0;

} // namespace

// Stands in for the C library's fsync in this test program, which the writer
// is linked into: every call is noted, then passed on or made to fail.
extern "C" int fsync(int descriptor)
{
    if (!watchedTarget.isEmpty()) {
        const QString path =
            QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(descriptor));
        syncs.append({path, QFileInfo(path).isFile() ? readFile(path) : QByteArray(),
                      readFile(watchedTarget)});
        if (failingSyncError != 0) {
            errno = failingSyncError;
            return -1;
        }
    }
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    return real(descriptor);
}
#endif

class TestAtomicFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replacesTheWholeFileAndLeavesNothingBeside()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("playtime.ini"));
        atomicfile::replace(target.toStdString(), "0730\r\n0730\r\n", std::nullopt, target);
        atomicfile::replace(target.toStdString(), "07\r\n", fs::perms(0600), target);
        QCOMPARE(readFile(target), QByteArray("07\r\n"));
        QCOMPARE(fs::status(target.toStdString()).permissions() & fs::perms::mask, fs::perms(0600));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"playtime.ini"});
    }

    void aFolderThatCannotTakeTheFileIsReported()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("gone/playtime.ini"));
        try {
            atomicfile::replace(target.toStdString(), "x", std::nullopt, target);
            QFAIL("a write into a missing folder succeeded");
        } catch (const Failure &failure) {
            QVERIFY(failure.message().contains(target));
        }
    }

#ifdef Q_OS_UNIX
    // The disk fills up mid-way (here: a file size limit): the old file stays
    // whole and the half-written temporary file goes.
    void aWriteThatFailsMidwayKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("chimeboxfl.ini"));
        atomicfile::replace(target.toStdString(), "/music\r\n\r\n", std::nullopt, target);

        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 16;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        bool thrown = false;
        try {
            atomicfile::replace(target.toStdString(), QByteArray(4096, 'x'), std::nullopt, target);
        } catch (const Failure &) {
            thrown = true;
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);

        QVERIFY(thrown);
        QCOMPARE(readFile(target), QByteArray("/music\r\n\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"chimeboxfl.ini"});
    }
#endif

#ifdef Q_OS_LINUX
    // A power cut must find the old file or the new one, never an empty one:
    // the new bytes reach the disk before the rename, the rename after it.
    void theNewFileIsSyncedBeforeTheRenameAndTheFolderAfter()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("chimeboxfl.ini"));
        atomicfile::replace(target.toStdString(), "/old\r\n\r\n", std::nullopt, target);
        watchedTarget = target;
        syncs.clear();
        atomicfile::replace(target.toStdString(), "/new\r\n\r\n", std::nullopt, target);
        watchedTarget.clear();

        QCOMPARE(syncs.size(), 2);
        QVERIFY2(atomicfile::isTemporaryFor(QFileInfo(syncs[0].path).fileName(),
                                            QStringLiteral("chimeboxfl.ini")),
                 qPrintable(syncs[0].path));
        QCOMPARE(syncs[0].held, QByteArray("/new\r\n\r\n"));
        QCOMPARE(syncs[0].targetHeld, QByteArray("/old\r\n\r\n"));
        QCOMPARE(syncs[1].path, dir.path());
        QCOMPARE(syncs[1].targetHeld, QByteArray("/new\r\n\r\n"));
    }

    void aSyncThatFailsKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("playtime.ini"));
        atomicfile::replace(target.toStdString(), "0730\r\n", std::nullopt, target);
        watchedTarget = target;
        failingSyncError = EIO;
        bool thrown = false;
        try {
            atomicfile::replace(target.toStdString(), "0645\r\n", std::nullopt, target);
        } catch (const Failure &failure) {
            thrown = failure.message().contains(target);
        }
        failingSyncError = 0;
        watchedTarget.clear();
        QVERIFY(thrown);
        QCOMPARE(readFile(target), QByteArray("0730\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"playtime.ini"});
    }
#endif

    void temporaryNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("ours");
        QTest::newRow("six digits") << "playtime.ini.tmp012345" << true;
        QTest::newRow("five digits") << "playtime.ini.tmp01234" << false;
        QTest::newRow("seven digits") << "playtime.ini.tmp0123456" << false;
        QTest::newRow("a letter") << "playtime.ini.tmp01234a" << false;
        QTest::newRow("another file's") << "stoptime.ini.tmp012345" << false;
        QTest::newRow("the file itself") << "playtime.ini" << false;
        QTest::newRow("wide digits") << "playtime.ini.tmp０１２３４５" << false;
    }
    void temporaryNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, ours);
        QCOMPARE(atomicfile::isTemporaryFor(name, QStringLiteral("playtime.ini")), ours);
    }
};

CHIMEBOX_TEST_MAIN(TestAtomicFile)
#include "test_atomic_file.moc"
