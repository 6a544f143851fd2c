#include "base/Failure.h"
#include "core/browse/FolderScan.h"
#include "gui/browse/DirList.h"
#include "gui/browse/FileList.h"
#include "support/Files.h"
#include "support/TestMain.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace chimebox;
using namespace chimebox::browse;
using testfiles::makeFolder;

namespace {

const QString kAudio = QStringLiteral("*.wav;*.mp3;*.wma");

QStringList shown(const FileList &files)
{
    QStringList names;
    for (int i = 0; i < files.listCount(); ++i)
        names.append(files.item(i));
    return names;
}

// On screen and focused, so mouse and keys reach it as a user's would.
bool showFocused(QWidget &list)
{
    list.resize(300, 200);
    list.show();
    QApplication::setActiveWindow(&list);
    if (!QTest::qWaitForWindowActive(&list))
        return false;
    list.setFocus();
    return true;
}

QPoint centreOf(const QAbstractItemView &view, int row)
{
    return view.visualRect(view.model()->index(row, 0)).center();
}

} // namespace

// File1 and Dir1 as widgets: what they show, what a click, a key or a reload
// does to the selection, and what they hand to the window.
class TestBrowseLists : public QObject
{
    Q_OBJECT

    FolderScan scan;

private Q_SLOTS:
    void aReloadShowsTheFolderWithNothingSelected()
    {
        QTemporaryDir dir;
        makeFolder(dir.path(), {"a.mp3", "B.WAV", "c.txt", "10.mp3", "2.mp3"});
        FileList files(scan);
        QAbstractItemModelTester tester(files.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        files.setPattern(kAudio);
        files.setPath(dir.path());
        QCOMPARE(shown(files), (QStringList{"2.mp3", "10.mp3", "a.mp3", "B.WAV"}));
        QCOMPARE(files.item(-1), QString());
        QCOMPARE(files.item(4), QString());

        files.setListIndex(1);
        QCOMPARE(files.listIndex(), 1);
        testfiles::writeFile(dir.path() + QStringLiteral("/1.wma"), {});
        files.setPath(dir.path());
        QCOMPARE(files.listCount(), 5);
        QCOMPARE(files.item(0), QStringLiteral("1.wma"));
        QCOMPARE(files.listIndex(), -1);

        files.setListIndex(4);
        files.setPattern(QStringLiteral("*.TXT"));
        QCOMPARE(shown(files), QStringList{"c.txt"});
        QCOMPARE(files.listIndex(), -1);
        files.setListIndex(0);
        files.setListIndex(1);
        QCOMPARE(files.listIndex(), -1);
    }

    void aClickSelectsTheRowBeforeTheReleaseIsReported()
    {
        QTemporaryDir dir;
        makeFolder(dir.path(), {"a.mp3", "b.mp3", "c.mp3"});
        FileList files(scan);
        files.setPattern(kAudio);
        files.setPath(dir.path());
        QVERIFY(showFocused(files));
        QList<int> atRelease;
        connect(&files, &FileList::mouseReleased, this,
                [&] { atRelease.append(files.listIndex()); });

        QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, centreOf(files, 2));
        QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, centreOf(files, 0));
        QCOMPARE(atRelease, (QList<int>{2, 0}));
    }

    void keysMoveTheSelection()
    {
        QTemporaryDir dir;
        makeFolder(dir.path(), {"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
        FileList files(scan);
        files.setPattern(kAudio);
        files.setPath(dir.path());
        QVERIFY(showFocused(files));
        files.setListIndex(0);
        QTest::keyClick(&files, Qt::Key_Down);
        QCOMPARE(files.listIndex(), 1);
        QTest::keyClick(&files, Qt::Key_End);
        QCOMPARE(files.listIndex(), 3);
        QTest::keyClick(&files, Qt::Key_Up);
        QCOMPARE(files.listIndex(), 2);
    }

    void choosingARowScrollsToIt()
    {
        QTemporaryDir dir;
        QStringList names;
        for (int i = 0; i < 300; ++i)
            names.append(QStringLiteral("%1.mp3").arg(i));
        makeFolder(dir.path(), names);
        FileList files(scan);
        files.setPattern(kAudio);
        files.setPath(dir.path());
        QVERIFY(showFocused(files));

        for (int row : {250, 3, 299}) {
            files.setListIndex(row);
            QCOMPARE(files.item(row), names[row]);
            const QRect cell = files.visualRect(files.model()->index(row, 0));
            QVERIFY2(files.viewport()->rect().contains(cell), qPrintable(QString::number(row)));
        }
    }

    // Every row takes one size, so that size must fit the widest name, which
    // here is neither the last row nor the one with the most characters.
    void theWidestNameCanBeScrolledTo()
    {
        QTemporaryDir dir;
        QStringList names;
        for (int i = 0; i < 9; ++i)
            names.append(QStringLiteral("a%1%2.mp3").arg(i).arg(QString(40, u'i')));
        const QString wide = QString(30, QChar(0x3042)) + QStringLiteral(".mp3");
        names.append(wide);
        names.append(QStringLiteral("龍.mp3"));
        makeFolder(dir.path(), names);
        FileList files(scan);
        files.setPattern(kAudio);
        files.setPath(dir.path());
        QVERIFY(showFocused(files));
        QCOMPARE(files.item(files.listCount() - 2), wide);

        const int reach = files.horizontalScrollBar()->maximum() + files.viewport()->width();
        QVERIFY2(reach >= files.fontMetrics().horizontalAdvance(wide),
                 qPrintable(QString::number(reach)));
    }

    void dirListShowsTheAncestorsThenTheSubfolders()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/音楽");
        for (const char *name : {"CD10", "CD2", ".hidden"})
            testfiles::makeFolder(folder + u'/' + QLatin1String(name));
        testfiles::writeFile(folder + QStringLiteral("/CD3"), {});
        DirList dirs(scan);
        QAbstractItemModelTester tester(dirs.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        dirs.setPath(folder);

        const QStringList parts = folder.split(u'/', Qt::SkipEmptyParts);
        const QAbstractItemModel &rows = *dirs.model();
        QCOMPARE(rows.rowCount(), 1 + parts.size() + 2);
        for (int row = 0; row <= parts.size(); ++row) {
            const QModelIndex at = rows.index(row, 0);
            QCOMPARE(at.data().toString(), row == 0 ? QStringLiteral("/") : parts[row - 1]);
            QCOMPARE(at.data(DirList::PathRole).toString(), u'/' + parts.mid(0, row).join(u'/'));
            QCOMPARE(at.data(DirList::DepthRole).toInt(), row);
        }
        const int current = int(parts.size());
        QCOMPARE(dirs.currentIndex().row(), current);
        QVERIFY(dirs.selectionModel()->isRowSelected(current, QModelIndex()));
        const QModelIndex first = rows.index(current + 1, 0);
        const QModelIndex second = rows.index(current + 2, 0);
        QCOMPARE(first.data().toString(), QStringLiteral("CD2"));
        QCOMPARE(second.data().toString(), QStringLiteral("CD10"));
        QCOMPARE(second.data(DirList::PathRole).toString(), folder + QStringLiteral("/CD10"));
        QCOMPARE(second.data(DirList::DepthRole).toInt(), current + 1);
        // Folders above are drawn open, folders below closed.
        const auto iconKey = [](const QModelIndex &at) {
            return at.data(Qt::DecorationRole).value<QIcon>().cacheKey();
        };
        QVERIFY(!rows.index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        QCOMPARE(iconKey(rows.index(0, 0)), iconKey(rows.index(current, 0)));
        QCOMPARE(iconKey(first), iconKey(second));
        QVERIFY(iconKey(first) != iconKey(rows.index(current, 0)));

        dirs.setPath(QStringLiteral("/"));
        QCOMPARE(rows.index(0, 0).data(DirList::PathRole).toString(), QStringLiteral("/"));
        if (rows.rowCount() > 1) {
            const QModelIndex child = rows.index(1, 0);
            QCOMPARE(child.data(DirList::PathRole).toString(), u'/' + child.data().toString());
            QCOMPARE(child.data(DirList::DepthRole).toInt(), 1);
        }
    }

    void openingAnEntryAsksForItsPath()
    {
        QTemporaryDir dir;
        testfiles::makeFolder(dir.path() + QStringLiteral("/sub"));
        DirList dirs(scan);
        dirs.setPath(dir.path());
        QVERIFY(showFocused(dirs));
        QSignalSpy opened(&dirs, &DirList::openRequested);
        const int sub = dirs.model()->rowCount() - 1;

        QTest::mouseClick(dirs.viewport(), Qt::LeftButton, {}, centreOf(dirs, sub));
        QTest::mouseDClick(dirs.viewport(), Qt::LeftButton, {}, centreOf(dirs, sub));
        dirs.setCurrentIndex(dirs.model()->index(0, 0));
        QTest::keyClick(&dirs, Qt::Key_Return);
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[0].first().toString(), dir.path() + QStringLiteral("/sub"));
        QCOMPARE(opened[1].first().toString(), QStringLiteral("/"));
        // Opening is the window's business: the list itself stays.
        QCOMPARE(dirs.path(), dir.path());
    }

    void theChangeHandlerRunsOncePerRealChange()
    {
        QTemporaryDir dir;
        const QString a = makeFolder(dir.path() + QStringLiteral("/a"), {});
        const QString b = makeFolder(dir.path() + QStringLiteral("/b"), {});
        DirList dirs(scan);
        QStringList changes;
        dirs.setChangeHandler([&] { changes.append(dirs.path()); });

        dirs.setPath(a);
        testfiles::makeFolder(a + QStringLiteral("/new"));
        dirs.setPath(a + QStringLiteral("/"));
        QCOMPARE(dirs.model()->index(dirs.model()->rowCount() - 1, 0).data().toString(),
                 QStringLiteral("new"));
        dirs.setPath(b);
        QVERIFY_THROWS_EXCEPTION(Failure, dirs.setPath(dir.path() + QStringLiteral("/gone")));
        QCOMPARE(changes, (QStringList{a, b}));
        QCOMPARE(dirs.path(), b);
    }
};

CHIMEBOX_GUI_TEST_MAIN(TestBrowseLists)
#include "test_browse_lists.moc"
