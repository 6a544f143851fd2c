#include "core/app/SingleInstance.h"
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

    // A folder that can be read is locked, even when it cannot be written;
    // where it cannot be, the reason names the folder.
    void whereTheFolderCannotBeLockedTheReasonNamesIt()
    {
        QTemporaryDir dir;
        if (!readonlyfolder::make(dir.path()))
            QSKIP("this process writes into any folder");
        QCOMPARE(SingleInstance(dir.path()).claim(), Claim::Held);
        readonlyfolder::undo(dir.path());

        const QString missing = dir.filePath(QStringLiteral("missing"));
        SingleInstance instance(missing);
        QCOMPARE(instance.claim(), Claim::Unavailable);
        QVERIFY2(instance.reason().contains(missing), qPrintable(instance.reason()));
    }
};

CHIMEBOX_TEST_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
