#include "core/settings/Leftovers.h"
#include "support/Files.h"
#include "support/ReadOnlyFolder.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using chimebox::settings::removeLeftoverTemporaries;

// What the writer leaves when killed before its rename goes; nothing else
// does, however alike its name.
class TestLeftovers : public QObject
{
    Q_OBJECT

    static void put(const QTemporaryDir &dir, const QString &name, testfiles::Caller caller = {})
    {
        testfiles::writeFile(dir.filePath(name), "x", caller);
    }

    static QStringList entries(const QTemporaryDir &dir)
    {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

private Q_SLOTS:
    void onlyTheWritersTemporaryFilesGo()
    {
        QTemporaryDir dir;
        for (const char *name :
             {"stoper.ini.tmp000001", "player.ini.tmp123456", "stoptime.ini.tmp999999",
              "playtime.ini.tmp424242", "chimeboxfl.ini.tmp000000", "chimebox.ini.tmp100000"})
            put(dir, QString::fromLatin1(name));
        const QStringList kept{"chimebox",
                               "chimebox.ini",
                               "chimebox.lock",
                               "notes.tmp123456",
                               "other.ini.tmp123456",
                               "playtime.ini.bak",
                               "playtime.ini.tmp",
                               "playtime.ini.tmp1234567",
                               "playtime.ini.tmp12345a",
                               "playtime.ini.tmp12345",
                               "xplaytime.ini.tmp123456",
                               "playtime.ini.tmp١٢٣٤٥٦"};
        for (const QString &name : kept)
            put(dir, name);

        removeLeftoverTemporaries(dir.path());
        QCOMPARE(entries(dir), [&] {
            QStringList sorted = kept;
            sorted.sort();
            return sorted;
        }());
    }

    // A link of that name goes, never what it points to; a folder stays.
    void aLinkGoesButNotItsTarget()
    {
        QTemporaryDir dir;
        QTemporaryDir other;
        put(other, QStringLiteral("precious"));
        QVERIFY(QFile::link(other.filePath(QStringLiteral("precious")),
                            dir.filePath(QStringLiteral("playtime.ini.tmp123456"))));
        QVERIFY(QFile::link(other.filePath(QStringLiteral("gone")),
                            dir.filePath(QStringLiteral("stoper.ini.tmp123456"))));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("player.ini.tmp123456")));

        removeLeftoverTemporaries(dir.path());
        QCOMPARE(entries(dir), QStringList{QStringLiteral("player.ini.tmp123456")});
        QVERIFY(QFile::exists(other.filePath(QStringLiteral("precious"))));
    }

    void aFolderThatCannotBeWrittenIsLeftAsItIs()
    {
        QTemporaryDir dir;
        put(dir, QStringLiteral("player.ini.tmp123456"));
        if (!readonlyfolder::make(dir.path()))
            QSKIP("this process writes into any folder");
        removeLeftoverTemporaries(dir.path());
        removeLeftoverTemporaries(dir.filePath(QStringLiteral("missing")));
        readonlyfolder::undo(dir.path());
        QCOMPARE(entries(dir), QStringList{QStringLiteral("player.ini.tmp123456")});
    }
};

CHIMEBOX_TEST_MAIN(TestLeftovers)
#include "test_leftovers.moc"
