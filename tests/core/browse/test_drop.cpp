#include "base/Failure.h"
#include "base/NativeName.h"
#include "core/browse/Drop.h"
#include "support/TestMain.h"

#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <memory>

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

// A drop's steps as text: "dir F", "file F" or "fail".
QStringList stepsOf(const QMimeData *data)
{
    QStringList steps;
    for (const DropStep &step : planDrop(data)) {
        switch (step.action) {
        case DropStep::Action::ShowFolder:
            steps.append(QStringLiteral("dir ") + step.folder);
            break;
        case DropStep::Action::ListFiles:
            steps.append(QStringLiteral("file ") + step.folder);
            break;
        case DropStep::Action::Fail:
            steps.append(QStringLiteral("fail"));
            break;
        }
    }
    return steps;
}

} // namespace

// What a drop onto the file list does, step by step; the window carries the
// steps out and reports each that fails (gui/app/test_browsing_window).
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
    std::unique_ptr<QMimeData> data(fileDrop({"/m/Music/b.mp3"}));
    QCOMPARE(stepsOf(data.get()), QStringList({"dir /m/Music", "file /m/Music"}));
}

void TestDrop::folderShowsTheFolderAbove()
{
    std::unique_ptr<QMimeData> data(fileDrop({"/m/Album/"}));
    QCOMPARE(stepsOf(data.get()), QStringList({"dir /m", "file /m"}));
}

void TestDrop::threeItemsEndAtTheLastFolder()
{
    std::unique_ptr<QMimeData> data(fileDrop({"/m/one/x.mp3", "/m/two/x.mp3", "/m/three/x.mp3"}));
    QCOMPARE(stepsOf(data.get()), QStringList({"dir /m/one", "file /m/one", "dir /m/two",
                                               "file /m/two", "dir /m/three", "file /m/three"}));
}

void TestDrop::plainTextEndsSilently()
{
    QMimeData text;
    text.setText(QStringLiteral("/tmp/a.mp3"));
    QCOMPARE(stepsOf(&text), QStringList());
    QCOMPARE(stepsOf(nullptr), QStringList());
}

void TestDrop::nonLocalUrlEndsSilently()
{
    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile(QStringLiteral("/m/a.mp3")),
                   QUrl(QStringLiteral("https://example.org/b.mp3"))});
    QCOMPARE(stepsOf(&mixed), QStringList());
}

// Whether a folder is there is found out by showing it: every item makes its
// two steps, so a folder that is gone fails twice and the walk goes on.
void TestDrop::missingFolderFailsTwiceAndTheWalkGoesOn()
{
    std::unique_ptr<QMimeData> missingOnly(fileDrop({"/m/gone/a.mp3"}));
    QCOMPARE(stepsOf(missingOnly.get()), QStringList({"dir /m/gone", "file /m/gone"}));

    std::unique_ptr<QMimeData> thenGood(fileDrop({"/m/gone/a.mp3", "/m/later/b.mp3"}));
    QCOMPARE(stepsOf(thenGood.get()),
             QStringList({"dir /m/gone", "file /m/gone", "dir /m/later", "file /m/later"}));
}

void TestDrop::itemWithoutSlashFailsTwice()
{
    // A url list item whose path is relative has no folder to go to.
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), "file:a.mp3\r\nfile:///m/b.mp3\r\n");
    QVERIFY(offersFileList(data));
    QCOMPARE(stepsOf(&data), QStringList({"fail", "fail", "dir /m", "file /m"}));
}

// The file step of an item follows its folder step whatever becomes of it;
// an empty list makes no step.
void TestDrop::failureOfTheFolderStepStillRunsTheFileStep()
{
    std::unique_ptr<QMimeData> data(fileDrop({"/x/a.mp3", "/y/b.mp3"}));
    QCOMPARE(stepsOf(data.get()), QStringList({"dir /x", "file /x", "dir /y", "file /y"}));

    std::unique_ptr<QMimeData> empty(new QMimeData);
    empty->setUrls({});
    empty->setData(QStringLiteral("text/uri-list"), QByteArray());
    QCOMPARE(stepsOf(empty.get()), QStringList());
}

void TestDrop::nameThatIsNotUtf8KeepsItsBytes()
{
    const QString folder = QStringLiteral("/m/") + nativename::decode("disc\xff");
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"),
                 "file://" + nativename::encode(folder).toPercentEncoding("/") + "/a.mp3\r\n");
    QCOMPARE(droppedFiles(data), QStringList({folder + QStringLiteral("/a.mp3")}));
    QCOMPARE(stepsOf(&data), QStringList({"dir " + folder, "file " + folder}));
}

CHIMEBOX_TEST_MAIN(TestDrop)
#include "test_drop.moc"
