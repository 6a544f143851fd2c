#include "base/Version.h"
#include "core/app/Autostart.h"
#include "support/FormHarness.h"
#include "support/ReadOnlyFolder.h"
#include "support/TestMain.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QWindow>

using chimebox::app::Autostart;

// The play timer's check box's menu as a user opens it, with the keyboard or
// the mouse: its one item writes or removes the autostart entry and leaves the
// timer as it is.
class TestAutostartMenu : public QObject
{
    Q_OBJECT

    static QMenu *open(FormHarness &h, const QString &how)
    {
        auto *box = h.find<QCheckBox>("Check2");
        if (how == u"Shift+F10") {
            QTest::keyClick(static_cast<QWidget *>(nullptr), Qt::Key_F10, Qt::ShiftModifier);
        } else if (how == u"Menu key") {
            // What the platform makes of the key: a request to the window,
            // which hands it to the control with the focus.
            QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(), QPoint());
            QApplication::sendEvent(h.form->windowHandle(), &request);
        } else {
            QTest::mouseClick(h.form->windowHandle(), Qt::RightButton, {},
                              box->mapTo(h.form.get(), box->rect().center()));
        }
        auto *menu = box->findChild<QMenu *>(QStringLiteral("AutostartMenu"));
        return menu && QTest::qWaitForWindowExposed(menu) ? menu : nullptr;
    }

    // Takes the one item with the keyboard, as from the menu's opening.
    static void choose(QMenu *menu)
    {
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
        QTRY_VERIFY(!menu->isVisible());
    }

private Q_SLOTS:
    void theItemSwitchesStartingAtLogin_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("writable");
        QTest::newRow("Shift+F10") << "Shift+F10" << true;
        QTest::newRow("the Menu key") << "Menu key" << true;
        QTest::newRow("a right click") << "right click" << true;
        QTest::newRow("an autostart folder that cannot be written") << "Shift+F10" << false;
    }

    void theItemSwitchesStartingAtLogin()
    {
        QFETCH(QString, how);
        QFETCH(bool, writable);
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        const QString folder = config.filePath(QStringLiteral("autostart"));
        const QString entry =
            folder + u'/' + chimebox::version::applicationId() + QStringLiteral(".desktop");
        QVERIFY(QDir().mkpath(folder));
        if (!writable && !readonlyfolder::make(folder))
            QSKIP("This file system lets every folder be written");

        FormHarness h;
        QVERIFY(h.loadAndShow());
        QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
        h.click("Command2"); // widened: the timers show
        auto *box = h.find<QCheckBox>("Check2");
        box->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(box->hasFocus());

        QMenu *menu = open(h, how);
        QVERIFY(menu);
        QCOMPARE(menu->accessibleName(), QStringLiteral("再生タイマーのメニュー"));
        QCOMPARE(menu->actions().size(), 1);
        QAction *item = menu->actions().first();
        QCOMPARE(item->text(), QStringLiteral("ログイン時に起動する"));
        QVERIFY(!item->isChecked());
        choose(menu);
        readonlyfolder::undo(folder);
        QCOMPARE(h.messages.failures.size(), writable ? 0 : 1);
        QCOMPARE(QFileInfo::exists(entry), writable);
        QCOMPARE(Autostart::forThisProcess().isEnabled(), writable);
        if (writable) {
            menu = open(h, how);
            QVERIFY(menu);
            QVERIFY(menu->actions().first()->isChecked());
            choose(menu);
            QVERIFY(!QFileInfo::exists(entry));
            QVERIFY(h.messages.failures.isEmpty());
        } else {
            QVERIFY2(h.messages.failures.first().contains(entry),
                     qPrintable(h.messages.failures.first()));
            // The item shows what is there, not what was asked for.
            menu = open(h, how);
            QVERIFY(menu);
            QVERIFY(!menu->actions().first()->isChecked());
            menu->close();
        }
        // The play timer is as it was.
        QCOMPARE(box->checkState(), Qt::Unchecked);
        QCOMPARE(h.setting("player.ini"), testfiles::kMissing);
        qunsetenv("XDG_CONFIG_HOME");
    }
};

CHIMEBOX_GUI_TEST_MAIN(TestAutostartMenu)
#include "test_autostart_menu.moc"
