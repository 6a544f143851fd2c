#include "base/Failure.h"
#include "core/favourites/Favourites.h"
#include "support/Files.h"
#include "support/TestMain.h"
#include "support/Unreadable.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using chimebox::Failure;
using chimebox::favourites::Favourites;
using chimebox::settings::SettingsFile;
using chimebox::settings::SettingsFolder;
using testfiles::kMissing;

// The favourites and their file, without a window: each change is written at
// once, and the close never overwrites an edit made elsewhere since.
class TestFavourites : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    SettingsFolder folder{dir.path()};
    QString path = folder.path(SettingsFile::Favourites);

    void put(const QByteArray &bytes, testfiles::Caller caller = {}) const
    {
        QFile::remove(path);
        if (bytes != kMissing)
            testfiles::writeFile(path, bytes, caller);
    }
    QByteArray bytes() const { return testfiles::readFile(path); }
    // As start-up does: only a present file is read.
    void start(Favourites &favourites) const
    {
        if (folder.isPresent(SettingsFile::Favourites))
            favourites.load();
    }

private Q_SLOTS:
    void init()
    {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(path);
    }

    void eachChangeIsWrittenAtOnce()
    {
        put("/a\r\n\r\n");
        Favourites favourites(folder);
        start(favourites);
        QCOMPARE(favourites.add(QStringLiteral("/b")), std::nullopt);
        QCOMPARE(bytes(), QByteArray("/a\r\n/b\r\n\r\n"));
        // The same folder twice is two favourites.
        QCOMPARE(favourites.add(QStringLiteral("/a")), std::nullopt);
        QCOMPARE(bytes(), QByteArray("/a\r\n/b\r\n/a\r\n\r\n"));
        QCOMPARE(favourites.folderAt(2), QStringLiteral("/a"));

        // Nothing selected, or a row past the end: nothing changes.
        for (const qsizetype none : {qsizetype(-1), qsizetype(3)}) {
            QCOMPARE(favourites.folderAt(none), std::nullopt);
            QCOMPARE(favourites.remove(none), std::nullopt);
        }
        QCOMPARE(favourites.folders(), (QStringList{"/a", "/b", "/a"}));
        QCOMPARE(favourites.remove(0), std::nullopt);
        QCOMPARE(favourites.folders(), (QStringList{"/b", "/a"}));
        QCOMPARE(bytes(), QByteArray("/b\r\n/a\r\n\r\n"));
        QCOMPARE(favourites.remove(1), std::nullopt);
        QCOMPARE(favourites.remove(0), std::nullopt);
        QCOMPARE(bytes(), QByteArray("\r\n"));
    }

    // What the close leaves in the file: the list as this run knows it, or an
    // edit that someone made elsewhere after this run's last read or write.
    void theCloseKeepsAnEditMadeElsewhere_data()
    {
        QTest::addColumn<QByteArray>("atStart");
        QTest::addColumn<QByteArray>("editBefore"); // before "/c" is added; empty: none
        QTest::addColumn<bool>("add");
        QTest::addColumn<QByteArray>("editAfter");
        QTest::addColumn<QByteArray>("afterClose");
        const QByteArray ab = "/a\r\n/b\r\n\r\n";
        QTest::newRow("untouched: confirmed in the program's form")
            << QByteArray("/a\n/b") << QByteArray() << false << QByteArray() << ab;
        QTest::newRow("missing, nothing added")
            << kMissing << QByteArray() << false << QByteArray() << QByteArray("\r\n");
        QTest::newRow("edited elsewhere, nothing added")
            << ab << QByteArray("/x\r\n\r\n") << false << QByteArray() << QByteArray("/x\r\n\r\n");
        QTest::newRow("edited elsewhere in its line ends only")
            << ab << QByteArray("/a\n/b\n") << false << QByteArray() << ab;
        QTest::newRow("edited elsewhere, then one added here")
            << ab << QByteArray("/x\r\n\r\n") << true << QByteArray()
            << QByteArray("/a\r\n/b\r\n/c\r\n\r\n");
        QTest::newRow("one added here, then edited elsewhere")
            << ab << QByteArray() << true << QByteArray("/x\r\n\r\n") << QByteArray("/x\r\n\r\n");
        QTest::newRow("deleted elsewhere") << ab << kMissing << false << QByteArray() << kMissing;
        QTest::newRow("made elsewhere while missing")
            << kMissing << QByteArray("/x\r\n\r\n") << false << QByteArray()
            << QByteArray("/x\r\n\r\n");
        QTest::newRow("too big to read elsewhere")
            << ab << QByteArray(100'000, 'x') << false << QByteArray() << QByteArray(100'000, 'x');
    }

    void theCloseKeepsAnEditMadeElsewhere()
    {
        QFETCH(QByteArray, atStart);
        QFETCH(QByteArray, editBefore);
        QFETCH(bool, add);
        QFETCH(QByteArray, editAfter);
        QFETCH(QByteArray, afterClose);
        put(atStart);
        Favourites favourites(folder);
        start(favourites);
        if (!editBefore.isEmpty())
            put(editBefore);
        if (add)
            QCOMPARE(favourites.add(QStringLiteral("/c")), std::nullopt);
        if (!editAfter.isEmpty())
            put(editAfter);
        favourites.save();
        QCOMPARE(bytes(), afterClose);
    }

    // A file whose content never reached the list is no list to write back.
    void aFileThatCannotBeReadIsKeptForTheRun()
    {
        put(QByteArray(100'000, 'x'));
        Favourites favourites(folder);
        QVERIFY_THROWS_EXCEPTION(Failure, favourites.load());
        QCOMPARE(favourites.add(QStringLiteral("/c")), std::nullopt);
        QCOMPARE(favourites.folders(), QStringList{"/c"});
        favourites.save();
        QCOMPARE(bytes(), QByteArray(100'000, 'x'));

        put("/a\r\n\r\n");
        if (!makeUnreadable(path))
            QSKIP("this process reads files whatever their mode");
        Favourites unreadable(folder);
        QVERIFY_THROWS_EXCEPTION(Failure, unreadable.load());
        unreadable.add(QStringLiteral("/c"));
        unreadable.save();
        QFile::setPermissions(path, QFile::ReadOwner);
        QCOMPARE(bytes(), QByteArray("/a\r\n\r\n"));
    }

    // The favourite stays in the list, the failure names the file, and the
    // close writes what the file could not take then.
    void aWriteThatFailsIsSaidAndTriedAgainAtTheClose()
    {
        put("/a\r\n\r\n");
        Favourites favourites(folder);
        start(favourites);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        const std::optional<QString> failure = favourites.add(QStringLiteral("/b"));
        QVERIFY(failure && failure->contains(path));
        QCOMPARE(favourites.folders(), (QStringList{"/a", "/b"}));
        QCOMPARE(bytes(), QByteArray("/a\r\n\r\n"));

        QVERIFY_THROWS_EXCEPTION(Failure, favourites.save());
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        favourites.save();
        QCOMPARE(bytes(), QByteArray("/a\r\n/b\r\n\r\n"));
    }
};

CHIMEBOX_TEST_MAIN(TestFavourites)
#include "test_favourites.moc"
