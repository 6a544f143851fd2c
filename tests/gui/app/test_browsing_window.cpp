#include "core/browse/FileManager.h"
#include "gui/browse/DirList.h"
#include "gui/browse/DriveList.h"
#include "gui/browse/FileList.h"
#include "support/FormHarness.h"
#include "support/TestMain.h"

#include <QDropEvent>
#include <QMimeData>
#include <QScopeGuard>
#include <QTest>
#include <QUrl>

using chimebox::browse::DirList;
using chimebox::browse::DriveList;
using chimebox::browse::FileList;
using chimebox::browse::Volume;
using chimebox::playback::AutoPlay;
using chimebox::playback::PlayState;

// Drives, folders, the file list, "open" and drops, through the real widgets.
class TestBrowsingWindow : public QObject
{
    Q_OBJECT

    // The browser in folder with its first file clicked: a play request is
    // pending and the counters start afresh.
    static void startIn(FormHarness &h, const QString &folder)
    {
        h.find<DirList>("Dir1")->setPath(folder);
        auto *files = h.find<FileList>("File1");
        h.clickRow(files, 0);
        QCOMPARE(h.autoPlayState(), AutoPlay::Requested);
        QCOMPARE(files->listIndex(), 0);
        h.player.stopCount = 0;
    }

    // Drags data onto the file list and lets go; true when the list took it.
    static bool drop(FormHarness &h, const QMimeData &data)
    {
        QWidget *target = h.find<FileList>("File1")->viewport();
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &dropped);
        return enter.isAccepted();
    }

    static QString placed(const FormHarness &h, QString text)
    {
        return text.replace(QStringLiteral("$M"), h.music.path());
    }

private Q_SLOTS:
    void openingASubfolderStopsAndShowsItsFiles_data()
    {
        QTest::addColumn<bool>("byKeyboard");
        QTest::newRow("double-click") << false;
        QTest::newRow("Enter") << true;
    }

    void openingASubfolderStopsAndShowsItsFiles()
    {
        QFETCH(bool, byKeyboard);
        FormHarness h;
        const QString top = h.makeFolder(QStringLiteral("top"), {"1.mp3"});
        const QString sub = h.makeFolder(QStringLiteral("top/sub"), {"b.mp3", "a.wav"});
        QVERIFY(h.loadAndShow());
        startIn(h, top);
        h.player.setPlayState(PlayState::Playing);

        auto *dirs = h.find<DirList>("Dir1");
        const QModelIndexList entries =
            dirs->model()->match(dirs->model()->index(0, 0), Qt::DisplayRole, QStringLiteral("sub"),
                                 -1, Qt::MatchExactly);
        QCOMPARE(entries.size(), 1);
        if (byKeyboard) {
            dirs->setCurrentIndex(entries.first());
            QTest::keyClick(dirs, Qt::Key_Return);
        } else {
            const QPoint at = dirs->visualRect(entries.first()).center();
            // The window system turns the second press into the double click.
            QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(dirs->viewport(), Qt::LeftButton, {}, at);
        }
        QCOMPARE(dirs->path(), sub);
        auto *files = h.find<FileList>("File1");
        QCOMPARE(files->path(), sub);
        QCOMPARE(h.setting("chimebox.ini"), sub.toUtf8() + "\r\n");
        QCOMPARE(files->listCount(), 2);
        QCOMPARE(files->listIndex(), -1);
        QCOMPARE(h.autoPlayState(), AutoPlay::Stopped);
        QCOMPARE(h.player.stopCount, 1);
        QCOMPARE(h.player.playState(), int(PlayState::Stopped));
        // The pending request is gone: the next tick plays nothing.
        h.form->Timer1_Timer();
        QCOMPARE(h.player.urls, QStringList());
    }

    void pickingADriveStopsAndMovesThere()
    {
        FormHarness h;
        const QString mounted = h.makeFolder(QStringLiteral("stick"), {"x.wma"});
        const QString unplugged = h.music.path() + QStringLiteral("/unplugged");
        QVERIFY(h.loadAndShow());
        startIn(h, h.makeFolder(QStringLiteral("home"), {"1.mp3"}));
        auto *drives = h.find<DriveList>("Drive1");
        drives->setVolumes({Volume{QStringLiteral("/"), {}, {}}, Volume{mounted, {}, {}},
                            Volume{unplugged, {}, {}}});
        drives->showDriveOf(QStringLiteral("/"));

        QTest::keyClick(drives, Qt::Key_Down);
        QCOMPARE(drives->Drive(), mounted);
        QCOMPARE(h.find<DirList>("Dir1")->path(), mounted);
        QCOMPARE(h.find<FileList>("File1")->item(0), QStringLiteral("x.wma"));
        QCOMPARE(h.find<FileList>("File1")->listIndex(), -1);
        QCOMPARE(h.autoPlayState(), AutoPlay::Stopped);
        QCOMPARE(h.player.stopCount, 2);
        QCOMPARE(h.messages.failures, QStringList());

        // A drive that cannot be read: stopped first, then the failure is reported.
        h.clickRow(h.find<FileList>("File1"), 0);
        QTest::keyClick(drives, Qt::Key_Down);
        QCOMPARE(h.autoPlayState(), AutoPlay::Stopped);
        QCOMPARE(h.player.stopCount, 3);
        QCOMPARE(h.messages.failures.size(), 1);
        QCOMPARE(h.find<DirList>("Dir1")->path(), mounted);
    }

    void theFileListShowsOnlyAudioInNaturalOrder()
    {
        FormHarness h;
        const QString folder = h.makeFolder(QStringLiteral("mixed"),
                                            {"10.mp3", "2.WAV", "1.wma", "notes.txt", "c.Mp3",
                                             "b.mp3.bak", "a.wav", "cover.jpg", ".hidden.mp3"});
        h.makeFolder(QStringLiteral("mixed/folder.mp3"));
        QVERIFY(h.loadAndShow());
        h.find<DirList>("Dir1")->setPath(folder);
        auto *files = h.find<FileList>("File1");
        QStringList shown;
        for (int i = 0; i < files->listCount(); ++i)
            shown.append(files->item(i));
        QCOMPARE(shown, (QStringList{"1.wma", "2.WAV", "10.mp3", "a.wav", "c.Mp3"}));

        h.find<DirList>("Dir1")->setPath(h.makeFolder(QStringLiteral("mixed/empty")));
        QCOMPARE(files->listCount(), 0);
    }

    void openHandsTheFolderOverWhole()
    {
        FormHarness h;
        const QString folder = h.makeFolder(QStringLiteral("a\"; touch x; \" b"));
        QVERIFY(h.loadAndShow());
        h.find<DirList>("Dir1")->setPath(folder);
        h.click("Command5");
        QCOMPARE(h.fileManager.opened, QStringList{folder});
        QCOMPARE(h.messages.failures, QStringList());
    }

    // The desktop's launcher, with no file manager to start: the click says
    // so and the window goes on (core/browse/test_file_manager has the rest).
    void aMissingFileManagerIsReportedAndTheWindowGoesOn()
    {
        const QByteArray path = qgetenv("PATH");
        const auto restorePath = qScopeGuard([&] { qputenv("PATH", path); });
        chimebox::browse::DesktopFileManager desktop;
        FormHarness h;
        h.launcher = &desktop;
        const QString folder = h.makeFolder(QStringLiteral("a"));
        QVERIFY(h.loadAndShow());
        h.find<DirList>("Dir1")->setPath(folder);
        qputenv("PATH", h.music.path().toUtf8());
        h.click("Command5");
        QCOMPARE(h.messages.failures.size(), 1);
        h.click("Command1");
        QCOMPARE(h.autoPlayState(), AutoPlay::Stopped);
    }

    void aDropMovesTheBrowser_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("messages");
        QTest::addColumn<int>("stops");
        // $M is the music folder; the browser starts in $M/start.
        QTest::newRow("a file") << QStringList{"$M/b/song.mp3"} << "$M/b" << 0 << 1;
        QTest::newRow("a folder") << QStringList{"$M/b/c"} << "$M/b" << 0 << 1;
        QTest::newRow("a folder, trailing slash") << QStringList{"$M/b/c/"} << "$M/b" << 0 << 1;
        QTest::newRow("three places")
            << QStringList{"$M/a/1.mp3", "$M/b/c", "$M/c/3.wav"} << "$M/c" << 0 << 3;
        QTest::newRow("the root") << QStringList{"/"} << "/" << 0 << 1;
        QTest::newRow("a file in a folder that is gone")
            << QStringList{"$M/gone/x.mp3"} << "$M/start" << 2 << 0;
        QTest::newRow("gone, then good")
            << QStringList{"$M/gone/x.mp3", "$M/b/song.mp3"} << "$M/b" << 2 << 1;
        QTest::newRow("a file from the folder shown")
            << QStringList{"$M/start/1.mp3"} << "$M/start" << 0 << 0;
    }

    void aDropMovesTheBrowser()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, folder);
        QFETCH(int, messages);
        QFETCH(int, stops);
        FormHarness h;
        for (const char *name : {"start", "a", "b", "c", "b/c"})
            h.makeFolder(QString::fromLatin1(name), {"1.mp3", "song.mp3", "3.wav"});
        QVERIFY(h.loadAndShow());
        startIn(h, placed(h, QStringLiteral("$M/start")));

        QList<QUrl> urls;
        for (const QString &item : items)
            urls.append(QUrl::fromLocalFile(placed(h, item)));
        QMimeData data;
        data.setUrls(urls);
        QVERIFY(drop(h, data));

        const QString expected = placed(h, folder);
        auto *files = h.find<FileList>("File1");
        QCOMPARE(h.find<DirList>("Dir1")->path(), expected);
        QCOMPARE(files->path(), expected);
        QCOMPARE(h.setting("chimebox.ini"), expected.toUtf8() + "\r\n");
        QCOMPARE(h.player.stopCount, stops);
        QCOMPARE(h.messages.messages,
                 QStringList(messages, QStringLiteral("ドラッグ＆ドロップが正しくありません。")));
        QCOMPARE(h.messages.failures, QStringList());
        // A drop that reached the browser shows the folder afresh, nothing
        // selected; one that failed throughout leaves it as it was.
        const bool browserStayed = messages > 0 && stops == 0;
        QCOMPARE(files->listIndex(), browserStayed ? 0 : -1);
        if (stops > 0)
            QCOMPARE(h.autoPlayState(), AutoPlay::Stopped);
    }

    void aDropThatIsNoFileListDoesNothing_data()
    {
        QTest::addColumn<bool>("web");
        QTest::newRow("plain text") << false;
        QTest::newRow("a web address") << true;
    }

    void aDropThatIsNoFileListDoesNothing()
    {
        QFETCH(bool, web);
        FormHarness h;
        const QString start = h.makeFolder(QStringLiteral("start"), {"1.mp3"});
        h.makeFolder(QStringLiteral("b"), {"song.mp3"});
        QVERIFY(h.loadAndShow());
        startIn(h, start);

        QMimeData data;
        if (web)
            data.setUrls({QUrl(QStringLiteral("https://example.org/b/song.mp3"))});
        else
            data.setText(h.music.path() + QStringLiteral("/b/song.mp3"));
        QCOMPARE(drop(h, data), web);

        QCOMPARE(h.find<DirList>("Dir1")->path(), start);
        QCOMPARE(h.find<FileList>("File1")->listIndex(), 0);
        QCOMPARE(h.autoPlayState(), AutoPlay::Requested);
        QCOMPARE(h.player.stopCount, 0);
        QCOMPARE(h.messages.messages + h.messages.failures, QStringList());
    }
};

CHIMEBOX_GUI_TEST_MAIN(TestBrowsingWindow)
#include "test_browsing_window.moc"
