#include "gui/browse/FileList.h"
#include "support/FormHarness.h"
#include "support/TestMain.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>

using chimebox::browse::FileList;
using chimebox::playback::PlayState;

// The check boxes and time pickers as the user operates them, down to the bytes
// they leave in the settings folder.
class TestTimerSettingsWindow : public QObject
{
    Q_OBJECT

    // The play timer's conditions, all but its marker file: a file selected,
    // the play time stored and the clock in that minute.
    static void prepareAlarm(FormHarness &h)
    {
        const QString folder = h.makeFolder(QStringLiteral("alarm"), {"a.mp3"});
        auto *files = h.find<FileList>("File1");
        files->setPath(folder);
        files->setListIndex(0);
        h.putSetting("playtime.ini", "0730\r\n");
        h.clock.set(QTime(7, 30, 5));
    }

    // One tick with the player idle; the alarm fires when armed.
    static void tick(FormHarness &h)
    {
        h.player.putPlayState(PlayState::Stopped);
        h.form->Timer1_Timer();
    }

    static QComboBox *picker(const FormHarness &h, const char *name)
    {
        return h.find<QComboBox>(name);
    }

    // Keys reach whichever control has the keyboard focus, as the keyboard's do.
    static void type(const QString &text)
    {
        QTest::keyClicks(static_cast<QWidget *>(nullptr), text);
    }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(static_cast<QWidget *>(nullptr), key, modifiers);
    }

    static bool focus(QComboBox *combo)
    {
        combo->lineEdit()->setFocus(Qt::MouseFocusReason);
        return combo->lineEdit()->hasFocus();
    }

    // Picks row from the open list with the mouse, as a user does.
    static void choose(QComboBox *combo, int row)
    {
        combo->showPopup();
        QAbstractItemView *view = combo->view();
        QVERIFY(QTest::qWaitForWindowExposed(view->window()));
        const QModelIndex item = view->model()->index(row, 0);
        view->scrollTo(item);
        const QRect cell = view->visualRect(item);
        QTest::mouseMove(view->viewport(), cell.center());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QTRY_VERIFY(!view->isVisible());
    }

private Q_SLOTS:
    void typingWritesAtEveryKeystroke_data()
    {
        QTest::addColumn<QByteArray>("hourPicker");
        QTest::addColumn<QByteArray>("minutePicker");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("stop time")
            << QByteArray("Combo1") << QByteArray("Combo2") << QByteArray("stoptime.ini");
        QTest::newRow("play time")
            << QByteArray("Combo3") << QByteArray("Combo4") << QByteArray("playtime.ini");
    }

    void typingWritesAtEveryKeystroke()
    {
        QFETCH(QByteArray, hourPicker);
        QFETCH(QByteArray, minutePicker);
        QFETCH(QByteArray, file);
        FormHarness h;
        QVERIFY(h.loadAndShow());
        h.click("Command2");
        QComboBox *hour = picker(h, hourPicker.constData());
        QComboBox *minute = picker(h, minutePicker.constData());
        QApplication::setActiveWindow(h.form.get());
        QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
        QVERIFY(focus(hour));

        type(QStringLiteral("0"));
        QCOMPARE(h.setting(file.constData()), QByteArray("0\r\n"));
        type(QStringLiteral("7"));
        QCOMPARE(h.setting(file.constData()), QByteArray("07\r\n"));
        QVERIFY(focus(minute));
        type(QStringLiteral("30"));
        QCOMPARE(h.setting(file.constData()), QByteArray("0730\r\n"));

        // Nothing is checked or completed: a one-digit hour is stored as typed
        // and stays shown as typed when the user confirms it or moves on.
        QVERIFY(focus(hour));
        press(Qt::Key_A, Qt::ControlModifier);
        press(Qt::Key_Backspace);
        type(QStringLiteral("1"));
        press(Qt::Key_Return);
        press(Qt::Key_Tab);
        QVERIFY(!hour->lineEdit()->hasFocus());
        QVERIFY(focus(minute));
        press(Qt::Key_A, Qt::ControlModifier);
        press(Qt::Key_Backspace);
        type(QStringLiteral("45"));
        press(Qt::Key_Return);
        press(Qt::Key_Tab);
        QVERIFY(!minute->lineEdit()->hasFocus());
        QCOMPARE(h.setting(file.constData()), QByteArray("145\r\n"));
        QCOMPARE(hour->currentText(), QStringLiteral("1"));
        QCOMPARE(minute->currentText(), QStringLiteral("45"));
        // A typed time is no new item of the list.
        QCOMPARE(hour->count(), 24);
        QCOMPARE(minute->count(), 6);
    }

    void choosingAnItemWrites_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<bool>("rearms");
        // The other picker of the pair is empty: the item is stored alone.
        QTest::newRow("stop hour") << QByteArray("Combo1") << 7 << QByteArray("stoptime.ini")
                                   << QByteArray("07\r\n") << false;
        QTest::newRow("stop minute") << QByteArray("Combo2") << 3 << QByteArray("stoptime.ini")
                                     << QByteArray("30\r\n") << false;
        QTest::newRow("play hour") << QByteArray("Combo3") << 23 << QByteArray("playtime.ini")
                                   << QByteArray("23\r\n") << true;
        QTest::newRow("play minute") << QByteArray("Combo4") << 0 << QByteArray("playtime.ini")
                                     << QByteArray("00\r\n") << true;
    }

    void choosingAnItemWrites()
    {
        QFETCH(QByteArray, name);
        QFETCH(int, row);
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, written);
        QFETCH(bool, rearms);
        FormHarness h;
        h.putSetting("player.ini", "\r\n");
        QVERIFY(h.loadAndShow());
        h.click("Command2");
        prepareAlarm(h);
        tick(h);
        QVERIFY(!h.form->session().lastAlarmDate().text().isEmpty());

        choose(picker(h, name.constData()), row);
        QCOMPARE(h.setting(file.constData()), written);
        // Only the play time arms the alarm again for today.
        QCOMPARE(h.form->session().lastAlarmDate().text().isEmpty(), rearms);
    }

    void nothingIsSavedBeforeStartupEnds_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("rearms");
        QTest::newRow("stop hour") << QByteArray("Combo1") << false;
        QTest::newRow("stop minute") << QByteArray("Combo2") << false;
        QTest::newRow("play hour") << QByteArray("Combo3") << true;
        QTest::newRow("play minute") << QByteArray("Combo4") << true;
    }

    void nothingIsSavedBeforeStartupEnds()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, rearms);
        FormHarness h;
        h.putSetting("stoptime.ini", "2200\r\n");
        h.putSetting("player.ini", "\r\n");
        // The window is up but start-up has not run: formLoaded is still false.
        h.create();
        h.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.form.get()));
        QVERIFY(!h.form->formLoaded());
        h.click("Command2");
        prepareAlarm(h);
        tick(h);
        QVERIFY(!h.form->session().lastAlarmDate().text().isEmpty());

        QTest::keyClicks(picker(h, name.constData())->lineEdit(), QStringLiteral("5"));
        QCOMPARE(h.setting("stoptime.ini"), QByteArray("2200\r\n"));
        QCOMPARE(h.setting("playtime.ini"), QByteArray("0730\r\n"));
        QCOMPARE(h.form->session().lastAlarmDate().text().isEmpty(), rearms);
    }

    void theStopSwitchCreatesAndDeletesItsMarker()
    {
        FormHarness h;
        h.putSetting("stoper.ini", "left from before");
        QVERIFY(h.loadAndShow());
        h.click("Command2");
        auto *box = h.find<QCheckBox>("Check1");
        QVERIFY(box->isChecked());
        QCOMPARE(h.setting("stoper.ini"), QByteArray("\r\n"));

        h.click("Check1");
        QCOMPARE(h.setting("stoper.ini"), testfiles::kMissing);
        h.click("Check1");
        QCOMPARE(h.setting("stoper.ini"), QByteArray("\r\n"));
        // Unticking when the file is already gone is no failure.
        QFile::remove(h.settingsPath("stoper.ini"));
        h.click("Check1");
        QVERIFY(!box->isChecked());
        QCOMPARE(h.settingsFiles(), QStringList());

        // A greyed box counts as off.
        h.click("Check1");
        box->setCheckState(Qt::PartiallyChecked);
        h.form->Check1_Click();
        QCOMPARE(h.setting("stoper.ini"), testfiles::kMissing);
        QCOMPARE(h.messages.failures, QStringList());
    }

    void thePlaySwitchRearmsTheAlarmBothWays()
    {
        FormHarness h;
        QVERIFY(h.loadAndShow());
        h.click("Command2");
        prepareAlarm(h);
        // A marker put there by hand counts like one the box wrote.
        h.putSetting("player.ini", "");
        tick(h);
        QVERIFY(!h.form->session().lastAlarmDate().text().isEmpty());

        h.click("Check2");
        QVERIFY(h.form->session().lastAlarmDate().text().isEmpty());
        QCOMPARE(h.setting("player.ini"), QByteArray("\r\n"));
        // Armed again, the alarm fires again within its minute.
        tick(h);
        QVERIFY(!h.form->session().lastAlarmDate().text().isEmpty());

        h.click("Check2");
        QVERIFY(h.form->session().lastAlarmDate().text().isEmpty());
        QCOMPARE(h.setting("player.ini"), testfiles::kMissing);
        h.click("Check2");
        QCOMPARE(h.setting("player.ini"), QByteArray("\r\n"));
        QCOMPARE(h.player.urls.size(), 2);
    }

    // A ticked timer whose time never comes round has its pickers tinted,
    // with the reason as their tooltip, in place: at start-up and at every
    // change of its time or switch. So has a play timer whose alarm would
    // not be heard, as soon as that changes.
    void aTimeThatNeverComesRoundIsMarked()
    {
        FormHarness h;
        const QString folder = h.makeFolder(QStringLiteral("music"), {QStringLiteral("a.mp3")});
        h.putSetting("chimebox.ini", folder.toUtf8() + "\r\n");
        h.putSetting("player.ini", "\r\n");
        h.putSetting("playtime.ini", "730\r\n");
        h.putSetting("stoptime.ini", "2215\r\n");
        QVERIFY(h.loadAndShow());
        h.click("Command2");
        QComboBox *stopHour = picker(h, "Combo1");
        QComboBox *stopMinute = picker(h, "Combo2");
        QComboBox *playHour = picker(h, "Combo3");
        QComboBox *playMinute = picker(h, "Combo4");
        const QColor plain = stopHour->palette().color(QPalette::Base);
        const QRect place = playHour->geometry();
        const auto marked = [plain](const QComboBox *combo) {
            const bool tinted = combo->palette().color(QPalette::Base) != plain;
            return tinted == !combo->toolTip().isEmpty() && tinted;
        };
        QVERIFY(marked(playHour) && marked(playMinute));
        QVERIFY(playHour->toolTip().contains(QStringLiteral("73:30")));
        QVERIFY(!marked(stopHour) && !marked(stopMinute));

        // Committed by an input method left in full-width mode.
        QTest::keyClick(playHour->lineEdit(), Qt::Key_A, Qt::ControlModifier);
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("０７"));
        QApplication::sendEvent(playHour->lineEdit(), &typed);
        QVERIFY(!marked(playHour) && !marked(playMinute));
        QCOMPARE(h.setting("playtime.ini"), QByteArray("０７30\r\n"));

        QTest::keyClick(stopHour->lineEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(stopHour->lineEdit(), QStringLiteral("7"));
        QVERIFY(!marked(stopHour));
        h.click("Check1");
        QVERIFY(marked(stopHour) && marked(stopMinute));
        QVERIFY(stopHour->toolTip().contains(QStringLiteral("停止タイマ")));
        h.click("Check1");
        QVERIFY(!marked(stopHour) && !marked(stopMinute));
        QCOMPARE(playHour->geometry(), place);

        // The desktop's output muted in the evening: said at once.
        FakeOutput::OutputLevel muted = h.output.state().level;
        muted.muted = true;
        h.output.userSets(muted);
        QVERIFY(marked(playHour) && marked(playMinute));
        QCOMPARE(playHour->toolTip(), QStringLiteral("出力がミュートです。鳴るときに解除します。"));
        QCOMPARE(h.messages.failures, QStringList());
    }

    // A change that cannot be saved is reported once, and the control shows
    // again what is stored: a timer the program will not keep is never shown.
    void aFailedWriteIsReportedOnce_data()
    {
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<QByteArray>("blocked");
        QTest::addColumn<QString>("shown");
        QTest::newRow("stop switch, folder gone") << QByteArray("Check1") << QByteArray() << "0";
        QTest::newRow("play switch, folder gone") << QByteArray("Check2") << QByteArray() << "0";
        QTest::newRow("stop time, read-only file")
            << QByteArray("Combo1") << QByteArray("stoptime.ini") << "07:00";
        QTest::newRow("play time, a folder of that name")
            << QByteArray("Combo4") << QByteArray("playtime.ini") << ":";
        QTest::newRow("stop switch, read-only file")
            << QByteArray("Check1") << QByteArray("stoper.ini") << "1";
    }

    void aFailedWriteIsReportedOnce()
    {
        QFETCH(QByteArray, control);
        QFETCH(QByteArray, blocked);
        QFETCH(QString, shown);
        FormHarness h;
        QVERIFY(h.loadAndShow());
        h.click("Command2");
        if (blocked.isEmpty()) {
            QVERIFY(h.settingsDir.remove());
        } else if (blocked == "playtime.ini") {
            QVERIFY(QDir(h.settingsDir.path()).mkdir(QString::fromLatin1(blocked)));
        } else {
            h.putSetting(blocked.constData(), "0700\r\n");
            QFile::setPermissions(h.settingsPath(blocked.constData()), QFileDevice::ReadOwner);
        }

        if (control.startsWith("Check"))
            h.click(control.constData());
        else
            QTest::keyClicks(picker(h, control.constData())->lineEdit(), QStringLiteral("1"));
        QCOMPARE(h.messages.failures.size(), 1);
        QCOMPARE(h.messages.messages, QStringList());
        if (!blocked.isEmpty() && blocked != "playtime.ini")
            QCOMPARE(h.setting(blocked.constData()), QByteArray("0700\r\n"));
        if (control.startsWith("Check")) {
            QCOMPARE(h.find<QCheckBox>(control.constData())->isChecked(), shown == "1");
        } else {
            const bool stop = control == "Combo1";
            QCOMPARE(picker(h, stop ? "Combo1" : "Combo3")->currentText() + u':' +
                         picker(h, stop ? "Combo2" : "Combo4")->currentText(),
                     shown);
        }

        // The program goes on: the next handler runs as usual.
        h.click("Command2");
        QCOMPARE(h.find<QListWidget>("List1")->count(), 1);
    }
};

CHIMEBOX_GUI_TEST_MAIN(TestTimerSettingsWindow)
#include "test_timer_settings_window.moc"
