#include "gui/browse/DirList.h"
#include "gui/browse/FileList.h"
#include "support/FormHarness.h"
#include "support/TestMain.h"

#include <QTest>

using chimebox::browse::DirList;
using chimebox::browse::FileList;
using chimebox::playback::AutoPlay;
using chimebox::playback::PlayState;

// "＞", "）（", "DEL" and the favourites list, clicked on the real window.
class TestFavouritesWindow : public QObject
{
    Q_OBJECT

    static QStringList favourites(const FormHarness &h)
    {
        QStringList texts;
        const auto *list = h.find<QListWidget>("List1");
        for (int i = 0; i < list->count(); ++i)
            texts.append(list->item(i)->text());
        return texts;
    }

private Q_SLOTS:
    void widenFirstThenAddTheFolderEachTime()
    {
        FormHarness h; // 1280 pixels: 19200 twips
        QVERIFY(h.loadAndShow());
        QCOMPARE(h.form->leftTwips(), 19200.0f - 7305.0f);

        h.click("Command2");
        QCOMPARE(h.form->widthTwips(), 13575.0f);
        QCOMPARE(favourites(h), QStringList());
        // Grown to the right past the screen's edge, then pulled back.
        QCOMPARE(h.form->leftTwips(), 19200.0f - 13575.0f);
        QCOMPARE(h.form->width(), (13575 - 120) / 15);

        const QString folder = h.find<DirList>("Dir1")->path();
        h.click("Command2");
        h.click("Command2");
        QCOMPARE(favourites(h), (QStringList{folder, folder}));
        QCOMPARE(h.setting("chimeboxfl.ini"), (folder + "\r\n" + folder + "\r\n\r\n").toUtf8());
        QCOMPARE(h.form->widthTwips(), 13575.0f);
        QCOMPARE(h.form->leftTwips(), 19200.0f - 13575.0f);
        QCOMPARE(h.messages.failures, QStringList());
    }

    void anOddWidthMakesWidenDoNothing()
    {
        FormHarness h;
        QVERIFY(h.loadAndShow());
        h.form->setWidthTwips(7300);
        h.click("Command2");
        QCOMPARE(h.form->widthTwips(), 7300.0f);
        QCOMPARE(favourites(h), QStringList());
        QCOMPARE(h.form->leftTwips(), 19200.0f - 7305.0f);

        // "）（" still makes it narrow and keeps it on screen.
        h.form->setLeftTwips(0);
        h.click("Command4");
        QCOMPARE(h.form->widthTwips(), 7305.0f);
        QCOMPARE(h.form->leftTwips(), 6270.0f);
    }

    void narrowingMovesRightAndStaysOnScreen_data()
    {
        QTest::addColumn<bool>("wide");
        QTest::addColumn<float>("left");
        QTest::addColumn<float>("expected");
        QTest::newRow("wide at the lower right") << true << 5625.0f << 11895.0f;
        QTest::newRow("wide, right edge off screen") << true << 9000.0f << 11895.0f;
        QTest::newRow("narrow at the lower right") << false << 11895.0f << 11895.0f;
        QTest::newRow("narrow at the left edge") << false << 0.0f << 6270.0f;
        QTest::newRow("narrow, partly off the left") << false << -3000.0f << 3270.0f;
    }

    void narrowingMovesRightAndStaysOnScreen()
    {
        QFETCH(bool, wide);
        QFETCH(float, left);
        QFETCH(float, expected);
        FormHarness h;
        QVERIFY(h.loadAndShow());
        if (wide)
            h.click("Command2");
        h.form->setLeftTwips(left);
        h.click("Command4");
        QCOMPARE(h.form->widthTwips(), 7305.0f);
        QCOMPARE(h.form->leftTwips(), expected);
        QCOMPARE(h.form->width(), (7305 - 120) / 15);
        QCOMPARE(h.form->x(), qRound(expected / 15));
    }

    void aNarrowScreenLeavesLeftNegative()
    {
        FormHarness h;
        h.screen = QSizeF(800 * 15, 600 * 15);
        QVERIFY(h.loadAndShow());
        QCOMPARE(h.form->leftTwips(), 12000.0f - 7305.0f);
        h.click("Command2");
        QCOMPARE(h.form->leftTwips(), 12000.0f - 13575.0f);
        QCOMPARE(h.form->x(), -1575 / 15);
        h.click("Command4");
        QCOMPARE(h.form->leftTwips(), 12000.0f - 7305.0f);
    }

    void deleteRemovesOnlyTheSelectedFavourite()
    {
        FormHarness h;
        const QString a = h.makeFolder(QStringLiteral("a"));
        const QString b = h.makeFolder(QStringLiteral("b"));
        const QString c = h.makeFolder(QStringLiteral("c"));
        h.putSetting("chimeboxfl.ini", (a + "\r\n" + b + "\r\n" + c + "\r\n\r\n").toUtf8());
        QVERIFY(h.loadAndShow());
        h.click("Command2");
        auto *list = h.find<QListWidget>("List1");

        h.click("Command3");
        QCOMPARE(favourites(h), (QStringList{a, b, c}));
        // Focus alone marks a current row without selecting anything.
        h.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
        list->setFocus(Qt::TabFocusReason);
        QVERIFY(list->hasFocus());
        h.click("Command3");
        QCOMPARE(favourites(h), (QStringList{a, b, c}));

        QCOMPARE(h.setting("chimeboxfl.ini"), (a + "\r\n" + b + "\r\n" + c + "\r\n\r\n").toUtf8());

        h.clickRow(list, 1);
        h.click("Command3");
        QCOMPARE(favourites(h), (QStringList{a, c}));
        h.click("Command3");
        QCOMPARE(favourites(h), (QStringList{a, c}));
        // On disk at once.
        QCOMPARE(h.setting("chimeboxfl.ini"), (a + "\r\n" + c + "\r\n\r\n").toUtf8());
    }

    void choosingAFavouriteOpensItOrSaysItIsGone()
    {
        FormHarness h;
        const QString start = h.makeFolder(QStringLiteral("start"), {"1.mp3"});
        const QString kept = h.makeFolder(QStringLiteral("kept"), {"b.wav", "a.mp3"});
        const QString gone = h.makeFolder(QStringLiteral("gone"));
        h.putSetting("chimeboxfl.ini", (gone + "\r\n" + kept + "\r\n\r\n").toUtf8());
        h.putSetting("chimebox.ini", (start + "\r\n").toUtf8());
        QVERIFY(h.loadAndShow());
        h.click("Command2");
        QVERIFY(QDir(gone).removeRecursively());
        auto *list = h.find<QListWidget>("List1");
        auto *files = h.find<FileList>("File1");

        // A file clicked and playing.
        h.clickRow(files, 0);
        QCOMPARE(h.autoPlayState(), AutoPlay::Requested);
        h.player.setPlayState(PlayState::Playing);
        const int stopsBefore = h.player.stopCount;

        for (int attempt = 1; attempt <= 2; ++attempt) {
            h.clickRow(list, 0);
            QCOMPARE(h.messages.messages.size(), attempt);
        }
        QCOMPARE(h.messages.messages.first(), QStringLiteral("フォルダがありません"));
        QCOMPARE(favourites(h), (QStringList{gone, kept}));
        QCOMPARE(h.find<DirList>("Dir1")->path(), start);
        QCOMPARE(files->listIndex(), 0);
        QCOMPARE(h.player.stopCount, stopsBefore);

        h.clickRow(list, 1);
        QCOMPARE(h.messages.messages.size(), 2);
        QCOMPARE(h.find<DirList>("Dir1")->path(), kept);
        QCOMPARE(files->path(), kept);
        QCOMPARE(h.setting("chimebox.ini"), kept.toUtf8() + "\r\n");
        QCOMPARE(files->listIndex(), -1);
        QCOMPARE(files->item(0), QStringLiteral("a.mp3"));
        QCOMPARE(h.autoPlayState(), AutoPlay::Stopped);
        QCOMPARE(h.player.playState(), int(PlayState::Stopped));
        QVERIFY(h.player.stopCount > stopsBefore);
        QCOMPARE(favourites(h), (QStringList{gone, kept}));
    }
};

CHIMEBOX_GUI_TEST_MAIN(TestFavouritesWindow)
#include "test_favourites_window.moc"
