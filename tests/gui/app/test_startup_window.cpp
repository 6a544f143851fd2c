#include "gui/browse/DirList.h"
#include "gui/browse/FileList.h"
#include "support/FormHarness.h"
#include "support/TestMain.h"
#include "support/Unreadable.h"

#include <QApplication>
#include <QTest>

using chimebox::browse::DirList;
using chimebox::browse::FileList;
using chimebox::playback::AutoPlay;

class TestStartupWindow : public QObject
{
    Q_OBJECT

    static QStringList items(const QComboBox *combo)
    {
        QStringList list;
        for (int i = 0; i < combo->count(); ++i)
            list.append(combo->itemText(i));
        return list;
    }

private Q_SLOTS:
    void firstRunWritesNothing()
    {
        FormHarness h;
        h.load();
        QVERIFY(h.form->formLoaded());
        QCOMPARE(h.autoPlayState(), AutoPlay::Idle);
        QCOMPARE(h.find<QListWidget>("List1")->count(), 0);
        QCOMPARE(h.find<QCheckBox>("Check1")->checkState(), Qt::Unchecked);
        QCOMPARE(h.find<QCheckBox>("Check2")->checkState(), Qt::Unchecked);
        for (const char *name : {"Combo1", "Combo2", "Combo3", "Combo4"})
            QCOMPARE(h.find<QComboBox>(name)->currentText(), QString());
        QCOMPARE(items(h.find<QComboBox>("Combo1")).size(), 24);
        QCOMPARE(items(h.find<QComboBox>("Combo3")).first(), QStringLiteral("00"));
        QCOMPARE(items(h.find<QComboBox>("Combo3")).last(), QStringLiteral("23"));
        QCOMPARE(items(h.find<QComboBox>("Combo2")),
                 (QStringList{"00", "10", "20", "30", "40", "50"}));
        QCOMPARE(items(h.find<QComboBox>("Combo4")), items(h.find<QComboBox>("Combo2")));
        QCOMPARE(h.find<DirList>("Dir1")->path(), QDir::currentPath());
        QCOMPARE(h.settingsFiles(), QStringList());
    }

    void everySettingIsRestored()
    {
        FormHarness h;
        const QString folder = h.makeFolder(QStringLiteral("朝の音楽"), {"a.mp3", "b.wav"});
        h.putSetting("chimeboxfl.ini", "/x\r\n\r\n/y\r\n/x\r\n/z\n/w\r\n\r\n");
        h.putSetting("stoptime.ini", "0730\r\n");
        h.putSetting("playtime.ini", "07:45\r\n");
        h.putSetting("stoper.ini", "stale");
        h.putSetting("player.ini", "");
        h.putSetting("chimebox.ini", folder.toUtf8() + "\r\n");
        h.load();

        QVERIFY(h.form->formLoaded());
        QListWidget *list = h.find<QListWidget>("List1");
        QStringList favourites;
        for (int i = 0; i < list->count(); ++i)
            favourites.append(list->item(i)->text());
        QCOMPARE(favourites, (QStringList{"/x", "/y", "/x", "/z", "/w"}));
        QCOMPARE(h.find<QComboBox>("Combo1")->currentText(), QStringLiteral("07"));
        QCOMPARE(h.find<QComboBox>("Combo2")->currentText(), QStringLiteral("30"));
        QCOMPARE(h.find<QComboBox>("Combo3")->currentText(), QStringLiteral("07"));
        QCOMPARE(h.find<QComboBox>("Combo4")->currentText(), QStringLiteral("45"));
        QCOMPARE(h.find<QCheckBox>("Check1")->checkState(), Qt::Checked);
        QCOMPARE(h.find<QCheckBox>("Check2")->checkState(), Qt::Checked);
        // Ticking the box in code ran its handler, which wrote the marker anew.
        QCOMPARE(h.setting("stoper.ini"), QByteArray("\r\n"));
        QCOMPARE(h.setting("player.ini"), QByteArray("\r\n"));
        // Start-up's own setting of the pickers saves nothing.
        QCOMPARE(h.setting("stoptime.ini"), QByteArray("0730\r\n"));
        QCOMPARE(h.setting("playtime.ini"), QByteArray("07:45\r\n"));
        // The folder opened without its line break, and moving there stopped
        // the player.
        QCOMPARE(h.find<DirList>("Dir1")->path(), folder);
        QCOMPARE(h.find<FileList>("File1")->path(), folder);
        QCOMPARE(h.find<FileList>("File1")->listCount(), 2);
        QCOMPARE(h.find<FileList>("File1")->listIndex(), -1);
        QCOMPARE(h.autoPlayState(), AutoPlay::Stopped);
        QVERIFY(h.player.stopCount >= 1);
    }

    void timesAreReadByPosition_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("hour");
        QTest::addColumn<QString>("minute");
        QTest::newRow("0730") << QByteArray("0730\r\n") << "07"
                              << "30";
        QTest::newRow("07:30") << QByteArray("07:30\r\n") << "07"
                               << "30";
        QTest::newRow("7") << QByteArray("7\r\n") << "7"
                           << "7";
        QTest::newRow("empty") << QByteArray("\r\n") << ""
                               << "";
        QTest::newRow("LF") << QByteArray("0730\n") << "07"
                            << "30";
        QTest::newRow("CR") << QByteArray("0730\r") << "07"
                            << "30";
    }

    void timesAreReadByPosition()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, hour);
        QFETCH(QString, minute);
        FormHarness h;
        h.putSetting("playtime.ini", stored);
        h.load();
        QCOMPARE(h.find<QComboBox>("Combo3")->currentText(), hour);
        QCOMPARE(h.find<QComboBox>("Combo4")->currentText(), minute);
        QCOMPARE(h.setting("playtime.ini"), stored);
    }

    // Files another editor saved with LF or CR line ends are restored as
    // chimebox's own; the close writes them back with CR LF.
    void filesWithOtherLineEndsAreRestored()
    {
        FormHarness h;
        const QString folder = h.makeFolder(QStringLiteral("lf"), {"a.mp3"});
        h.putSetting("chimeboxfl.ini", "/a\n/b\r/c\n\n");
        h.putSetting("stoptime.ini", "2215\n");
        h.putSetting("chimebox.ini", folder.toUtf8() + "\n");
        h.load();
        QListWidget *list = h.find<QListWidget>("List1");
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(2)->text(), QStringLiteral("/c"));
        QCOMPARE(h.find<QComboBox>("Combo2")->currentText(), QStringLiteral("15"));
        QCOMPARE(h.find<FileList>("File1")->path(), folder);

        h.form->close();
        QCOMPARE(h.setting("chimeboxfl.ini"), QByteArray("/a\r\n/b\r\n/c\r\n\r\n"));
        QCOMPARE(h.setting("chimebox.ini"), folder.toUtf8() + "\r\n");
        QCOMPARE(h.setting("stoptime.ini"), QByteArray("2215\n"));
    }

    // One line of 10 MB is no list of folders: it is refused at once, in the
    // one report, the rest is restored, "＞" widens the window, and the file
    // is left as it was at the close.
    void aHugeFavouritesFileIsRefusedAndKept()
    {
        FormHarness h;
        const QByteArray huge = QByteArray(10'000'000, 'x') + "\r\n\r\n";
        h.putSetting("chimeboxfl.ini", huge);
        h.putSetting("stoptime.ini", "2215\r\n");
        h.putSetting("stoper.ini", "\r\n");
        QVERIFY(h.loadAndShow());
        QTRY_COMPARE(h.messages.failures.size(), 1);
        QVERIFY(h.messages.failures.first().contains(h.settingsPath("chimeboxfl.ini")));
        QCOMPARE(h.find<QListWidget>("List1")->count(), 0);
        QCOMPARE(h.find<QCheckBox>("Check1")->checkState(), Qt::Checked);
        QCOMPARE(h.find<QComboBox>("Combo1")->currentText(), QStringLiteral("22"));

        h.click("Command2");
        QCOMPARE(h.form->widthTwips(), 13575.0f);
        h.form->close();
        QCOMPARE(h.setting("chimeboxfl.ini"), huge);
        QCOMPARE(h.messages.failures.size(), 1);
        QCOMPARE(h.messages.messages, QStringList());
    }

    void timeAndSwitchAreIndependent()
    {
        FormHarness h;
        h.putSetting("stoptime.ini", "2215\r\n");
        h.putSetting("player.ini", "\r\n");
        h.load();
        QCOMPARE(h.find<QCheckBox>("Check1")->checkState(), Qt::Unchecked);
        QCOMPARE(h.find<QComboBox>("Combo1")->currentText(), QStringLiteral("22"));
        QCOMPARE(h.find<QCheckBox>("Check2")->checkState(), Qt::Checked);
        QCOMPARE(h.find<QComboBox>("Combo3")->currentText(), QString());
        QCOMPARE(h.settingsFiles(), (QStringList{"player.ini", "stoptime.ini"}));
    }

    void aStoredFolderThatIsGoneIsSkippedQuietly()
    {
        FormHarness h;
        h.putSetting("chimeboxfl.ini", "/a\r\n\r\n");
        h.putSetting("stoptime.ini", "0730\r\n");
        h.putSetting("stoper.ini", "\r\n");
        h.putSetting("chimebox.ini", "/no/such/folder/anywhere\r\n");
        QVERIFY(h.loadAndShow());

        QVERIFY(h.form->formLoaded());
        QCOMPARE(h.find<QListWidget>("List1")->count(), 1);
        QCOMPARE(h.find<QComboBox>("Combo1")->currentText(), QStringLiteral("07"));
        QCOMPARE(h.find<QCheckBox>("Check1")->checkState(), Qt::Checked);
        QCOMPARE(items(h.find<QComboBox>("Combo1")).size(), 24);
        QCOMPARE(items(h.find<QComboBox>("Combo4")).size(), 6);
        // The lists stay where they started, and the player was left alone.
        QCOMPARE(h.find<DirList>("Dir1")->path(), QDir::currentPath());
        QCOMPARE(h.find<FileList>("File1")->path(), QDir::currentPath());
        QCOMPARE(h.autoPlayState(), AutoPlay::Idle);

        // The time the user types from now on is saved.
        QComboBox *hour = h.find<QComboBox>("Combo1");
        QApplication::setActiveWindow(h.form.get());
        QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
        hour->lineEdit()->setFocus();
        hour->lineEdit()->selectAll();
        QTest::keyClicks(hour->lineEdit(), QStringLiteral("09"));
        QCOMPARE(h.setting("stoptime.ini"), QByteArray("0930\r\n"));

        // The window is up and the event loop has run: nothing was reported.
        QTest::qWait(20);
        QCOMPARE(h.messages.messages + h.messages.failures, QStringList());
    }

    // The other settings are restored, both timers included, and the close
    // writes the folder shown but leaves the favourites file as it is: the
    // empty list the window shows is not what it holds.
    void anUnreadableFavouritesFileIsReportedAndTheRestRestored()
    {
        FormHarness h;
        const QString folder = h.makeFolder(QStringLiteral("last"), {"a.mp3"});
        const QString other = h.makeFolder(QStringLiteral("other"));
        h.putSetting("chimeboxfl.ini", "/a\r\n\r\n");
        h.putSetting("stoptime.ini", "2215\r\n");
        h.putSetting("stoper.ini", "\r\n");
        h.putSetting("playtime.ini", "0645\r\n");
        h.putSetting("player.ini", "\r\n");
        h.putSetting("chimebox.ini", folder.toUtf8() + "\r\n");
        if (!makeUnreadable(h.settingsPath("chimeboxfl.ini")))
            QSKIP("this process reads files whatever their mode");
        h.load();

        QVERIFY(h.form->formLoaded());
        QCOMPARE(h.find<QListWidget>("List1")->count(), 0);
        QCOMPARE(h.find<QComboBox>("Combo3")->currentText(), QStringLiteral("06"));
        QCOMPARE(h.find<QComboBox>("Combo4")->currentText(), QStringLiteral("45"));
        QCOMPARE(h.find<QCheckBox>("Check2")->checkState(), Qt::Checked);
        QCOMPARE(h.find<QComboBox>("Combo1")->currentText(), QStringLiteral("22"));
        QCOMPARE(h.find<QComboBox>("Combo2")->currentText(), QStringLiteral("15"));
        QCOMPARE(h.find<QCheckBox>("Check1")->checkState(), Qt::Checked);
        QCOMPARE(h.find<FileList>("File1")->path(), folder);
        QCOMPARE(items(h.find<QComboBox>("Combo3")).size(), 24);

        // Start-up runs before the window is shown; the report comes after.
        QCOMPARE(h.messages.failures, QStringList());
        h.form->show();
        QTRY_COMPARE(h.messages.failures.size(), 1);
        QVERIFY(h.messages.failures.first().contains(h.settingsPath("chimeboxfl.ini")));
        QVERIFY(h.messages.failures.first().contains(QStringLiteral("お気に入り")));
        QTest::qWait(20);
        QCOMPARE(h.messages.failures.size(), 1);
        QCOMPARE(h.messages.messages, QStringList());

        // The pickers save again.
        QTest::keyClicks(h.find<QComboBox>("Combo4")->lineEdit(), QStringLiteral("0"));
        QCOMPARE(h.setting("playtime.ini"), QByteArray("06450\r\n"));

        h.find<FileList>("File1")->setPath(other);
        h.form->close();
        QCOMPARE(h.setting("chimebox.ini"), other.toUtf8() + "\r\n");
        QVERIFY(QFile::setPermissions(h.settingsPath("chimeboxfl.ini"), QFileDevice::ReadOwner));
        QCOMPARE(h.setting("chimeboxfl.ini"), QByteArray("/a\r\n\r\n"));
        QCOMPARE(h.messages.messages, QStringList());
    }

    void aReadOnlyStopMarkerLeavesTheTimerOnAndStartupGoesOn()
    {
        FormHarness h;
        const QString folder = h.makeFolder(QStringLiteral("last"), {"a.mp3", "b.mp3"});
        h.putSetting("stoper.ini", "kept");
        QFile::setPermissions(h.settingsPath("stoper.ini"), QFileDevice::ReadOwner);
        h.putSetting("player.ini", "x");
        h.putSetting("chimebox.ini", folder.toUtf8() + "\r\n");
        QVERIFY(h.loadAndShow());

        QCOMPARE(h.find<QCheckBox>("Check1")->checkState(), Qt::Checked);
        QCOMPARE(h.setting("stoper.ini"), QByteArray("kept"));
        QCOMPARE(h.find<QCheckBox>("Check2")->checkState(), Qt::Checked);
        QCOMPARE(h.setting("player.ini"), QByteArray("\r\n"));
        QCOMPARE(h.find<DirList>("Dir1")->path(), folder);
        QCOMPARE(h.find<FileList>("File1")->listCount(), 2);
        QCOMPARE(items(h.find<QComboBox>("Combo2")).size(), 6);
        QVERIFY(h.form->formLoaded());
        QTRY_COMPARE(h.messages.failures.size(), 1);
        QVERIFY(h.messages.failures.first().contains(h.settingsPath("stoper.ini")));
    }

    void severalFailuresMakeOneReport()
    {
        FormHarness h;
        for (const char *marker : {"stoper.ini", "player.ini"}) {
            h.putSetting(marker, "\r\n");
            QFile::setPermissions(h.settingsPath(marker), QFileDevice::ReadOwner);
        }
        QVERIFY(h.loadAndShow());
        QTRY_COMPARE(h.messages.failures.size(), 1);
        QTest::qWait(20);
        QCOMPARE(h.messages.failures.size(), 1);
        const QStringList lines = h.messages.failures.first().split(u'\n');
        QCOMPARE(lines.filter(h.settingsPath("stoper.ini")).size(), 1);
        QCOMPARE(lines.filter(h.settingsPath("player.ini")).size(), 1);
        QVERIFY(h.form->formLoaded());
    }

    void theWindowOpensNarrowAtTheLowerRight_data()
    {
        QTest::addColumn<QSize>("screenPixels");
        QTest::newRow("1280x1024") << QSize(1280, 1024);
        QTest::newRow("1920x1080") << QSize(1920, 1080);
        QTest::newRow("800x600") << QSize(800, 600);
        QTest::newRow("narrower than the window") << QSize(400, 300);
    }

    void theWindowOpensNarrowAtTheLowerRight()
    {
        QFETCH(QSize, screenPixels);
        FormHarness h;
        h.screen = QSizeF(screenPixels) * 15;
        h.load();
        QCOMPARE(h.form->widthTwips(), 7305.0f);
        QCOMPARE(h.form->leftTwips() + h.form->widthTwips(), float(h.screen.width()));
        QCOMPARE(h.form->topTwips() + h.form->heightTwips() + 650.0f, float(h.screen.height()));
        // The client area shows the narrow column: 7305 less the frame.
        QCOMPARE(h.form->width(), (7305 - 120) / 15);
        QCOMPARE(h.form->height(), 10170 / 15);
    }

    // Each is written as it changes, so an exit that is no close loses
    // nothing; the close writes them again.
    void theFileListsFolderAndTheFavouritesAreWrittenAsTheyChange()
    {
        FormHarness h;
        const QString c = h.makeFolder(QStringLiteral("c"));
        const QString a = h.makeFolder(QStringLiteral("a"));
        QVERIFY(h.loadAndShow());
        for (const QString &folder : {c, a, c}) {
            h.find<DirList>("Dir1")->setPath(folder);
            h.addFavourite();
        }
        const QByteArray favourites = (c + "\r\n" + a + "\r\n" + c + "\r\n\r\n").toUtf8();
        QCOMPARE(h.setting("chimebox.ini"), c.toUtf8() + "\r\n");
        QCOMPARE(h.setting("chimeboxfl.ini"), favourites);
        h.form->close();
        QCOMPARE(h.setting("chimebox.ini"), c.toUtf8() + "\r\n");
        QCOMPARE(h.setting("chimeboxfl.ini"), favourites);
    }

    void anEmptyListIsSavedAsOneLineBreak()
    {
        FormHarness h;
        h.load();
        h.form->Form_Unload();
        QCOMPARE(h.setting("chimeboxfl.ini"), QByteArray("\r\n"));
    }

    void aFailedWriteAtShutdownDoesNotCostTheOther()
    {
        FormHarness h;
        QVERIFY(h.loadAndShow());
        h.addFavourite();
        h.putSetting("chimebox.ini", "/old\r\n");
        QFile::setPermissions(h.settingsPath("chimebox.ini"), QFileDevice::ReadOwner);
        h.form->Form_Unload();
        QCOMPARE(h.setting("chimebox.ini"), QByteArray("/old\r\n"));
        QCOMPARE(h.setting("chimeboxfl.ini"), QDir::currentPath().toUtf8() + "\r\n\r\n");
        QCOMPARE(h.messages.messages.size(), 1);
        QVERIFY(h.messages.messages.first().contains(QStringLiteral("chimebox.ini")));
    }

    void aPreparedFolderIsWrittenBackByteForByte()
    {
        FormHarness h;
        const QString folder = h.makeFolder(QStringLiteral("曲"), {"1.mp3"});
        const QByteArray favourites = "/home/a\r\n" + folder.toUtf8() + "\r\n\r\n";
        const QByteArray last = folder.toUtf8() + "\r\n";
        h.putSetting("chimeboxfl.ini", favourites);
        h.putSetting("chimebox.ini", last);
        h.putSetting("stoptime.ini", "2300\r\n");
        h.putSetting("playtime.ini", "0650\r\n");
        h.putSetting("stoper.ini", "\r\n");
        h.putSetting("player.ini", "\r\n");
        h.load();
        h.form->close();
        QCOMPARE(h.setting("chimeboxfl.ini"), favourites);
        QCOMPARE(h.setting("chimebox.ini"), last);
        QCOMPARE(h.setting("stoptime.ini"), QByteArray("2300\r\n"));
        QCOMPARE(h.setting("playtime.ini"), QByteArray("0650\r\n"));
        QCOMPARE(h.setting("stoper.ini"), QByteArray("\r\n"));
        QCOMPARE(h.setting("player.ini"), QByteArray("\r\n"));
        QCOMPARE(h.settingsFiles().size(), 6);
    }
};

CHIMEBOX_GUI_TEST_MAIN(TestStartupWindow)
#include "test_startup_window.moc"
