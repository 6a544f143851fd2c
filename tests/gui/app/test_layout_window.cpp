#include "support/FormHarness.h"
#include "support/TestMain.h"

#include <QAccessible>
#include <QLabel>
#include <QTest>

namespace {

// What a screen reader says control is: the name of a label linked to it, else
// its own name (a combo box's, on Linux, is its text).
QString spokenName(QWidget *control)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
    if (!accessible)
        return {};
    const auto labels = accessible->relations(QAccessible::Labelled);
    if (!labels.isEmpty())
        return labels.first().first->text(QAccessible::Name);
    return accessible->text(QAccessible::Name);
}

} // namespace

// Where each control sits, what it says, what a screen reader calls it, and the
// order the Tab key visits them.
class TestLayoutWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyControlSitsAtItsPlace_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<QRect>("twips");
        const auto row = [](const char *name, const char *caption, const char *tooltip,
                            const char *spoken, int left, int top, int width, int height) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(caption)
                                << QString::fromUtf8(tooltip) << QString::fromUtf8(spoken)
                                << QRect(left, top, width, height);
        };
        row("wmp1", "", "", "プレーヤー", 30, 9450, 6375, 675);
        row("Drive1", "", "", "ドライブ", 30, 60, 6375, 300);
        row("Dir1", "", "", "フォルダ", 30, 390, 6375, 2610);
        row("File1", "", "", "ファイル", 30, 3030, 6375, 6390);
        row("Command1", "■", "停止します", "停止", 6480, 2370, 675, 645);
        row("Command2", "＞", "お気に入りを追加します", "広げる、お気に入りに追加", 6540, 420, 555,
            525);
        row("Command4", "）（", "ウィンドウを小さくします", "ウィンドウを小さくする", 7230, 4170,
            525, 465);
        row("List1", "", "", "お気に入り", 7230, 60, 6075, 4020);
        row("Command3", "DEL", "選択したお気に入りを削除します", "お気に入りを削除", 10800, 4170,
            915, 465);
        row("Command5", "open", "フォルダを開きます", "フォルダを開く", 6480, 5130, 675, 645);
        row("Check1", "停止タイマを有効にする", "", "停止タイマを有効にする", 7620, 5100, 2895,
            285);
        row("Combo1", "", "", "停止する時", 7620, 5430, 945, 300);
        row("Label1_0", "時", "", "停止する時", 8580, 5520, 675, 375);
        row("Check2", "再生タイマーを有効にする", "", "再生タイマーを有効にする", 7620, 6090, 2925,
            285);
        row("Combo2", "", "", "停止する分", 8910, 5430, 945, 300);
        row("Label1_1", "時", "", "再生する時", 8580, 6510, 375, 375);
        row("Combo3", "", "", "再生する時", 7620, 6450, 945, 300);
        row("Label1_2", "分", "", "再生する分", 9870, 6510, 375, 375);
        row("Combo4", "", "", "再生する分", 8910, 6450, 945, 300);
        row("Label1_3", "分", "", "停止する分", 9870, 5520, 375, 375);
    }

    void everyControlSitsAtItsPlace()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, tooltip);
        QFETCH(QString, spoken);
        QFETCH(QRect, twips);
        FormHarness h;
        QVERIFY(h.loadAndShow());
        QCOMPARE(h.form->windowTitle(), QStringLiteral("CHIMEBOX7.31"));
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(h.form.get());
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), QStringLiteral("CHIMEBOX7.31"));
        QCOMPARE(h.form->widthTwips(), 7305.0f);

        auto *control = h.find<QWidget>(name.toLatin1().constData());
        QVERIFY(control);
        QCOMPARE(control->parentWidget(), h.form.get());
        const QRect px = control->geometry();
        QCOMPARE(QRect(px.x() * 15, px.y() * 15, px.width() * 15, px.height() * 15), twips);
        QCOMPARE(control->toolTip(), tooltip);
        QCOMPARE(spokenName(control), spoken);
        if (auto *picker = qobject_cast<QComboBox *>(control); picker && picker->lineEdit())
            QCOMPARE(spokenName(picker->lineEdit()), spoken);
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            QCOMPARE(button->text(), caption);
        else if (auto *label = qobject_cast<QLabel *>(control))
            QCOMPARE(label->text(), caption);
        QVERIFY(control->isEnabled());

        // The narrow window shows the left columns whole and nothing else.
        const bool inNarrowForm = twips.left() < 7230;
        QCOMPARE(h.form->rect().contains(px), inNarrowForm);
        QCOMPARE(control->visibleRegion().isEmpty(), !inNarrowForm);
    }

    void tabVisitsTheControlsInTheirOrder()
    {
        FormHarness h;
        QVERIFY(h.loadAndShow());
        const QStringList order{"wmp1",     "Drive1",   "Dir1",     "File1",
                                "Command1", "Command2", "Command4", "List1",
                                "Command3", "Command5", "Check1",   "Combo1",
                                "Check2",   "Combo2",   "Combo3",   "Combo4"};
        // Each control once, in the order the focus chain meets it (a picker's
        // text field stands for its picker).
        QStringList visited;
        QWidget *start = h.find<QWidget>("wmp1");
        QWidget *w = start;
        do {
            QWidget *control = w;
            while (control && !order.contains(control->objectName()))
                control = control->parentWidget();
            if (control && !visited.contains(control->objectName()))
                visited.append(control->objectName());
            w = w->nextInFocusChain();
        } while (w != start);
        QCOMPARE(visited, order);

        // The keyboard follows the same chain over the controls that take focus.
        h.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
        h.find<QWidget>("Drive1")->setFocus(Qt::TabFocusReason);
        QStringList tabbed{QStringLiteral("Drive1")};
        for (int i = 0; i < 14; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *control = QApplication::focusWidget();
            while (control && !order.contains(control->objectName()))
                control = control->parentWidget();
            QVERIFY(control);
            tabbed.append(control->objectName());
        }
        QCOMPARE(tabbed, order.mid(1, 15));
    }
};

CHIMEBOX_GUI_TEST_MAIN(TestLayoutWindow)
#include "test_layout_window.moc"
