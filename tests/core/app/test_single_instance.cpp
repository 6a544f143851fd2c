#include "AtomicFile.h"
#include "app/SingleInstance.h"
#include "settings/SettingsFiles.h"
#include "support/ReadOnlyFolder.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using chimebox::app::SingleInstance;
using Claim = SingleInstance::Claim;

class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneClaimPerFolderWhileItIsHeld()
    {
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        auto first = std::make_unique<SingleInstance>(dir.path());
        QCOMPARE(first->claim(), Claim::Held);
        QCOMPARE(SingleInstance(dir.path()).claim(), Claim::HeldElsewhere);
        QCOMPARE(SingleInstance(elsewhere.path()).claim(), Claim::Held);
        first.reset();
        QCOMPARE(SingleInstance(dir.path()).claim(), Claim::Held);
    }

    // A crash right after the lock file was made leaves it empty, or a disk
    // error garbles it: it names no program, so it holds nothing.
    void aLockFileThatNamesNoProgramHoldsNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbled") << QByteArray("\0\0\0\0\n\xff");
    }

    void aLockFileThatNamesNoProgramHoldsNothing()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        QFile lock(dir.filePath(QLatin1String(SingleInstance::kLockFileName)));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(bytes);
        lock.close();
        SingleInstance instance(dir.path());
        QCOMPARE(instance.claim(), Claim::Held);
        QCOMPARE(SingleInstance(dir.path()).claim(), Claim::HeldElsewhere);
    }

    void aFolderThatCannotBeWrittenHasNoLock()
    {
        QTemporaryDir dir;
        QCOMPARE(SingleInstance(dir.filePath(QStringLiteral("missing"))).claim(),
                 Claim::Unavailable);
        if (!readonlyfolder::make(dir.path()))
            QSKIP("this process writes into any folder");
        const Claim claim = SingleInstance(dir.path()).claim();
        readonlyfolder::undo(dir.path());
        QCOMPARE(claim, Claim::Unavailable);
    }

    // The lock file is no settings file, nor one the writer or the clean-up
    // of its leftovers would touch.
    void theLockIsNamedApartFromTheSettings()
    {
        using namespace chimebox::settings;
        const QString lock = QLatin1String(SingleInstance::kLockFileName);
        for (const SettingsFile file :
             {SettingsFile::StopMarker, SettingsFile::PlayMarker, SettingsFile::StopTime,
              SettingsFile::PlayTime, SettingsFile::Favourites, SettingsFile::LastFolder}) {
            const QString name = fileName(file).mid(1);
            QVERIFY(name != lock);
            QVERIFY(!chimebox::atomicfile::isTemporaryFor(lock, name));
        }
    }
};

CHIMEBOX_TEST_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
