#include "core/app/ExitSave.h"
#include "core/favourites/Favourites.h"
#include "support/Files.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace chimebox;
using namespace chimebox::app;
using favourites::Favourites;
using settings::SettingsFile;
using settings::SettingsFolder;

class TestExitSave : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    SettingsFolder folder{dir.path()};

    QByteArray bytes(SettingsFile file) const { return testfiles::readFile(folder.path(file)); }

private Q_SLOTS:
    void init()
    {
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files))
            QFile::remove(dir.filePath(name));
    }

    void exitSavesBothOnceAndKeepsWhatWasNotRead()
    {
        Favourites favourites(folder);
        ExitSave save(folder, favourites);
        QCOMPARE(save.save(QStringLiteral("/m")), QStringList());
        QCOMPARE(bytes(SettingsFile::LastFolder), QByteArray("/m\r\n"));
        QCOMPARE(bytes(SettingsFile::Favourites), QByteArray("\r\n"));

        // Asked again with the same contents (a close after a signal): nothing
        // is written, so a file made read-only since draws no message.
        QFile::setPermissions(folder.path(SettingsFile::LastFolder), QFile::ReadOwner);
        QCOMPARE(save.save(QStringLiteral("/m")), QStringList());
        // Something changed: both are attempted, the failure of the first
        // does not cost the second (a favourite its own write missed).
        QFile::setPermissions(folder.path(SettingsFile::Favourites), QFile::ReadOwner);
        QVERIFY(favourites.add(QStringLiteral("/b")));
        QFile::setPermissions(folder.path(SettingsFile::Favourites),
                              QFile::ReadOwner | QFile::WriteOwner);
        const QStringList failures = save.save(QStringLiteral("/n"));
        QCOMPARE(failures.size(), 1);
        QVERIFY(failures.first().contains(QStringLiteral("chimebox.ini")));
        QCOMPARE(bytes(SettingsFile::Favourites), QByteArray("/b\r\n\r\n"));

        Favourites unread(folder);
        ExitSave keeping(folder, unread);
        keeping.keep({SettingsFile::Favourites});
        QFile::setPermissions(folder.path(SettingsFile::LastFolder),
                              QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(keeping.save(QStringLiteral("/o")), QStringList());
        QCOMPARE(bytes(SettingsFile::LastFolder), QByteArray("/o\r\n"));
        QCOMPARE(bytes(SettingsFile::Favourites), QByteArray("/b\r\n\r\n"));
    }

    // Once start-up is over, each other folder the file list shows is written
    // at once; a write that fails is said once until one gets through.
    void theShownFolderIsWrittenAsItChanges()
    {
        Favourites favourites(folder);
        ExitSave save(folder, favourites);
        QCOMPARE(save.folderShown(QStringLiteral("/during-start-up")), std::nullopt);
        QCOMPARE(bytes(SettingsFile::LastFolder), testfiles::kMissing);
        save.started(QStringLiteral("/m"));
        QCOMPARE(save.folderShown(QStringLiteral("/m")), std::nullopt);
        QCOMPARE(bytes(SettingsFile::LastFolder), testfiles::kMissing);
        QCOMPARE(save.folderShown(QStringLiteral("/n")), std::nullopt);
        QCOMPARE(bytes(SettingsFile::LastFolder), QByteArray("/n\r\n"));

        QFile::setPermissions(folder.path(SettingsFile::LastFolder), QFile::ReadOwner);
        const std::optional<QString> failure = save.folderShown(QStringLiteral("/o"));
        QVERIFY(failure && failure->contains(folder.path(SettingsFile::LastFolder)));
        QCOMPARE(save.folderShown(QStringLiteral("/p")), std::nullopt);
        QFile::setPermissions(folder.path(SettingsFile::LastFolder),
                              QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(save.folderShown(QStringLiteral("/q")), std::nullopt);
        QCOMPARE(bytes(SettingsFile::LastFolder), QByteArray("/q\r\n"));
        QFile::setPermissions(folder.path(SettingsFile::LastFolder), QFile::ReadOwner);
        QVERIFY(save.folderShown(QStringLiteral("/r")));
        QFile::setPermissions(folder.path(SettingsFile::LastFolder),
                              QFile::ReadOwner | QFile::WriteOwner);

        // Not read at start: left as it is.
        ExitSave keeping(folder, favourites);
        keeping.keep({SettingsFile::LastFolder});
        keeping.started(QStringLiteral("/m"));
        QCOMPARE(keeping.folderShown(QStringLiteral("/s")), std::nullopt);
        QCOMPARE(bytes(SettingsFile::LastFolder), QByteArray("/q\r\n"));
    }
};

CHIMEBOX_TEST_MAIN(TestExitSave)
#include "test_exit_save.moc"
