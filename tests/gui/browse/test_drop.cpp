#include "base/Failure.h"
#include "base/NativeName.h"
#include "core/browse/Drop.h"
#include "core/browse/FolderScan.h"
#include "gui/browse/DirList.h"
#include "gui/browse/FileList.h"
#include "support/TempFiles.h"
#include "support/TestMain.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace chimebox;
using namespace chimebox::browse;

namespace {

QMimeData *fileDrop(const QStringList &paths)
{
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

// The browser as the drop handler drives it: Dir1's change handler moves
// File1, as the window wires it.
struct Browser
{
    FolderScan scan;
    DirList dir{scan};
    FileList files{scan};
    QStringList log;
    int failures = 0;

    Browser()
    {
        files.setPattern(QStringLiteral("*.mp3"));
        dir.setChangeHandler([this] {
            log.append(QStringLiteral("change ") + dir.path());
            files.setPath(dir.path());
        });
    }

    DropSteps steps()
    {
        return DropSteps{
            [this](const QString &folder) { dir.setPath(folder); },
            [this](const QString &folder) {
                log.append(QStringLiteral("file ") + folder);
                files.setPath(folder);
            },
            [this] { ++failures; },
        };
    }
};

} // namespace

class TestDrop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void folderTextCases_data();
    void folderTextCases();
    void folderTextWithoutSlashFails();
    void fileListOffer();
    void oneFileMovesTheBrowserToItsFolder();
    void folderShowsTheFolderAbove();
    void threeItemsEndAtTheLastFolder();
    void plainTextEndsSilently();
    void nonLocalUrlEndsSilently();
    void missingFolderFailsTwiceAndTheWalkGoesOn();
    void itemWithoutSlashFailsTwice();
    void failureOfTheFolderStepStillRunsTheFileStep();
    void nameThatIsNotUtf8KeepsItsBytes();
};

void TestDrop::folderTextCases_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("folder");
    QTest::newRow("file") << "/home/u/Music/a.mp3"
                          << "/home/u/Music";
    QTest::newRow("folder with separator") << "/home/u/Music/"
                                           << "/home/u";
    QTest::newRow("folder with several separators") << "/home/u/Music//"
                                                    << "/home/u";
    QTest::newRow("folder without separator") << "/home/u/Music"
                                              << "/home/u";
    QTest::newRow("file under root") << "/a.mp3"
                                     << "/";
    QTest::newRow("folder under root") << "/media/"
                                       << "/";
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("blanks and japanese") << "/音楽/朝 の 曲.mp3"
                                         << "/音楽";
    QTest::newRow("relative") << "Music/a.mp3"
                              << "Music";
}

void TestDrop::folderTextCases()
{
    QFETCH(QString, item);
    QFETCH(QString, folder);
    QCOMPARE(folderText(item), folder);
}

void TestDrop::folderTextWithoutSlashFails()
{
    QVERIFY_THROWS_EXCEPTION(Failure, folderText(QStringLiteral("a.mp3")));
    QVERIFY_THROWS_EXCEPTION(Failure, folderText(QString()));
}

void TestDrop::fileListOffer()
{
    std::unique_ptr<QMimeData> files(fileDrop({"/a b/c.mp3", "/d.wav"}));
    QVERIFY(offersFileList(*files));
    QCOMPARE(droppedFiles(*files), QStringList({"/a b/c.mp3", "/d.wav"}));

    QMimeData text;
    text.setText(QStringLiteral("/home/u/a.mp3"));
    QVERIFY(!offersFileList(text));

    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile("/a.mp3"), QUrl("https://example.org/b.mp3")});
    QVERIFY(!offersFileList(mixed));
}

void TestDrop::oneFileMovesTheBrowserToItsFolder()
{
    QTemporaryDir tmp;
    const QString music = tmp.path() + QStringLiteral("/Music");
    tempfiles::makeFolder(music);
    tempfiles::touch(music + QStringLiteral("/a.mp3"));
    tempfiles::touch(music + QStringLiteral("/b.mp3"));
    Browser browser;
    browser.dir.setPath(tmp.path());
    browser.log.clear();

    std::unique_ptr<QMimeData> data(fileDrop({music + QStringLiteral("/b.mp3")}));
    runDrop(data.get(), browser.steps());

    QCOMPARE(browser.failures, 0);
    QCOMPARE(browser.dir.path(), music);
    QCOMPARE(browser.files.path(), music);
    QCOMPARE(browser.files.listCount(), 2);
    QCOMPARE(browser.files.listIndex(), -1);
    QCOMPARE(browser.log, QStringList({"change " + music, "file " + music}));
}

void TestDrop::folderShowsTheFolderAbove()
{
    QTemporaryDir tmp;
    tempfiles::makeFolder(tmp.path() + QStringLiteral("/Album"));
    Browser browser;
    std::unique_ptr<QMimeData> data(fileDrop({tmp.path() + QStringLiteral("/Album/")}));
    runDrop(data.get(), browser.steps());
    QCOMPARE(browser.failures, 0);
    QCOMPARE(browser.dir.path(), tmp.path());
}

void TestDrop::threeItemsEndAtTheLastFolder()
{
    QTemporaryDir tmp;
    QStringList items;
    for (const char *name : {"one", "two", "three"}) {
        tempfiles::makeFolder(tmp.path() + u'/' + QLatin1String(name));
        tempfiles::touch(tmp.path() + u'/' + QLatin1String(name) + QStringLiteral("/x.mp3"));
        items.append(tmp.path() + u'/' + QLatin1String(name) + QStringLiteral("/x.mp3"));
    }
    Browser browser;
    std::unique_ptr<QMimeData> data(fileDrop(items));
    runDrop(data.get(), browser.steps());

    const QString last = tmp.path() + QStringLiteral("/three");
    QCOMPARE(browser.failures, 0);
    QCOMPARE(browser.dir.path(), last);
    QCOMPARE(browser.files.path(), last);
    QCOMPARE(browser.log.filter(QStringLiteral("change ")).size(), 3);
    QCOMPARE(browser.log.filter(QStringLiteral("file ")).size(), 3);
}

void TestDrop::plainTextEndsSilently()
{
    Browser browser;
    const QString before = browser.dir.path();
    QMimeData text;
    text.setText(QStringLiteral("/tmp/a.mp3"));
    runDrop(&text, browser.steps());
    runDrop(nullptr, browser.steps());
    QCOMPARE(browser.failures, 0);
    QVERIFY(browser.log.isEmpty());
    QCOMPARE(browser.dir.path(), before);
}

void TestDrop::nonLocalUrlEndsSilently()
{
    QTemporaryDir tmp;
    Browser browser;
    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile(tmp.path() + QStringLiteral("/a.mp3")),
                   QUrl(QStringLiteral("https://example.org/b.mp3"))});
    runDrop(&mixed, browser.steps());
    QCOMPARE(browser.failures, 0);
    QVERIFY(browser.log.isEmpty());
}

void TestDrop::missingFolderFailsTwiceAndTheWalkGoesOn()
{
    QTemporaryDir tmp;
    const QString start = tmp.path() + QStringLiteral("/start");
    const QString later = tmp.path() + QStringLiteral("/later");
    tempfiles::makeFolder(start);
    tempfiles::makeFolder(later);
    Browser browser;
    browser.dir.setPath(start);

    std::unique_ptr<QMimeData> missingOnly(fileDrop({tmp.path() + QStringLiteral("/gone/a.mp3")}));
    runDrop(missingOnly.get(), browser.steps());
    QCOMPARE(browser.failures, 2);
    QCOMPARE(browser.dir.path(), start);
    QCOMPARE(browser.files.path(), start);

    browser.failures = 0;
    std::unique_ptr<QMimeData> thenGood(
        fileDrop({tmp.path() + QStringLiteral("/gone/a.mp3"), later + QStringLiteral("/b.mp3")}));
    runDrop(thenGood.get(), browser.steps());
    QCOMPARE(browser.failures, 2);
    QCOMPARE(browser.dir.path(), later);
    QCOMPARE(browser.files.path(), later);
}

void TestDrop::itemWithoutSlashFailsTwice()
{
    int failures = 0;
    QStringList calls;
    const DropSteps steps{
        [&](const QString &folder) { calls.append(folder); },
        [&](const QString &folder) { calls.append(folder); },
        [&] { ++failures; },
    };
    // A url list item whose path is relative has no folder to go to.
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), "file:a.mp3\r\nfile:///m/b.mp3\r\n");
    QVERIFY(offersFileList(data));
    runDrop(&data, steps);
    QCOMPARE(failures, 2);
    QCOMPARE(calls, QStringList({"/m", "/m"}));
}

void TestDrop::failureOfTheFolderStepStillRunsTheFileStep()
{
    int failures = 0;
    QStringList calls;
    const DropSteps steps{
        [&](const QString &) { throw std::runtime_error("refused"); },
        [&](const QString &folder) { calls.append(folder); },
        [&] { ++failures; },
    };
    std::unique_ptr<QMimeData> data(fileDrop({"/x/a.mp3", "/y/b.mp3"}));
    runDrop(data.get(), steps);
    QCOMPARE(failures, 2);
    QCOMPARE(calls, QStringList({"/x", "/y"}));

    std::unique_ptr<QMimeData> empty(new QMimeData);
    empty->setUrls({});
    empty->setData(QStringLiteral("text/uri-list"), QByteArray());
    runDrop(empty.get(), steps);
    QCOMPARE(failures, 2);
}

void TestDrop::nameThatIsNotUtf8KeepsItsBytes()
{
    QTemporaryDir tmp;
    const QString folder = tmp.path() + u'/' + nativename::decode("disc\xff");
    tempfiles::makeFolder(folder);
    tempfiles::touch(folder + QStringLiteral("/a.mp3"));
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"),
                 "file://" + nativename::encode(folder).toPercentEncoding("/") + "/a.mp3\r\n");
    QCOMPARE(droppedFiles(data), QStringList({folder + QStringLiteral("/a.mp3")}));

    Browser browser;
    runDrop(&data, browser.steps());
    QCOMPARE(browser.failures, 0);
    QCOMPARE(browser.files.path(), folder);
    QCOMPARE(browser.files.listCount(), 1);
}

CHIMEBOX_GUI_TEST_MAIN(TestDrop)
#include "test_drop.moc"
