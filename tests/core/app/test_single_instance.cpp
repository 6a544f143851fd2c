#include "core/app/SingleInstance.h"
#include "support/ReadOnlyFolder.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <memory>
#ifdef Q_OS_LINUX
#include <cerrno>
#include <dlfcn.h>
#endif

using chimebox::app::SingleInstance;
using Claim = SingleInstance::Claim;

#ifdef Q_OS_LINUX
namespace {

// The error flock gives while a test asks for one, as a file system without
// such locks would; 0 passes every call on.
int failingLockError = 0;

} // namespace

// Stands in for the C library's flock in this test program, which the claim
// is linked into.
extern "C" int flock(int descriptor, int operation)
{
    if (failingLockError != 0) {
        errno = failingLockError;
        return -1;
    }
    static const auto real = reinterpret_cast<int (*)(int, int)>(dlsym(RTLD_NEXT, "flock"));
    return real(descriptor, operation);
}
#endif

class TestSingleInstance : public QObject
{
    Q_OBJECT

    static QStringList entries(const QString &folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                      QDir::NoDotAndDotDot);
    }

private Q_SLOTS:
    void oneClaimPerFolderWhileItIsHeld()
    {
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        auto first = std::make_unique<SingleInstance>(dir.path());
        QCOMPARE(first->claim(), Claim::Held);
        QCOMPARE(SingleInstance(dir.path()).claim(), Claim::HeldElsewhere);
        // The same folder by another name is the same folder.
        const QString link = elsewhere.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(dir.path(), link));
        QCOMPARE(SingleInstance(link).claim(), Claim::HeldElsewhere);
        QCOMPARE(SingleInstance(elsewhere.path()).claim(), Claim::Held);
        // Nothing is made on disk for it.
        QCOMPARE(entries(dir.path()), QStringList());
        first.reset();
        QCOMPARE(SingleInstance(dir.path()).claim(), Claim::Held);
    }

    // A folder that can be read is locked, even when it cannot be written.
    void aReadOnlyFolderIsHeld()
    {
        QTemporaryDir dir;
        if (!readonlyfolder::make(dir.path()))
            QSKIP("this process writes into any folder");
        QCOMPARE(SingleInstance(dir.path()).claim(), Claim::Held);
        readonlyfolder::undo(dir.path());
    }

    // Where the folder cannot be locked the program starts all the same (it
    // only stops for HeldElsewhere), and the reason names the folder and why.
    void whereTheFolderCannotBeLockedTheReasonNamesIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("lockError");
        QTest::addColumn<int>("reported");
        QTest::newRow("missing folder") << QStringLiteral("missing") << 0 << ENOENT;
#ifdef Q_OS_LINUX
        QTest::newRow("no locks left (ENOLCK)") << QString() << ENOLCK << ENOLCK;
        QTest::newRow("file system without locks (EOPNOTSUPP)")
            << QString() << EOPNOTSUPP << EOPNOTSUPP;
#endif
    }

    void whereTheFolderCannotBeLockedTheReasonNamesIt()
    {
        QFETCH(QString, name);
        QFETCH(int, lockError);
        QFETCH(int, reported);
        QTemporaryDir dir;
        const QString folder = name.isEmpty() ? dir.path() : dir.filePath(name);
        SingleInstance instance(folder);
#ifdef Q_OS_LINUX
        failingLockError = lockError;
        const Claim claim = instance.claim();
        failingLockError = 0;
#else
        const Claim claim = instance.claim();
#endif
        QCOMPARE(claim, Claim::Unavailable);
        QVERIFY2(instance.reason().contains(folder), qPrintable(instance.reason()));
        QVERIFY2(instance.reason().contains(QString::fromLocal8Bit(std::strerror(reported))),
                 qPrintable(instance.reason()));
    }
};

CHIMEBOX_TEST_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
