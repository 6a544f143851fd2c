#include "gui/app/FormControls.h"

#include "base/Version.h"
#include "gui/app/Accessibility.h"
#include "gui/app/Twips.h"
#include "gui/browse/DirList.h"
#include "gui/browse/DriveList.h"
#include "gui/browse/FileList.h"
#include "gui/favourites/FavouritesList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace chimebox::app {

namespace {

template <typename W>
W *place(W *widget, const char *name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

// A screen reader would read the symbols of a caption such as "■" as they
// are; spoken says what the button does.
QPushButton *button(QWidget *parent, const char *name, const QString &caption,
                    const QString &spoken, const QString &tooltip, int left, int top, int width,
                    int height)
{
    auto *b = place(new QPushButton(caption, parent), name, left, top, width, height);
    b->setToolTip(tooltip);
    b->setAccessibleName(spoken);
    return b;
}

QComboBox *picker(QWidget *parent, const char *name, const QString &spoken, int left, int top)
{
    auto *combo = place(new QComboBox(parent), name, left, top, 945, 300);
    combo->setAccessibleName(spoken);
    combo->setEditable(true);
    combo->lineEdit()->setAccessibleName(spoken);
    // The typed text is stored as it is: no completion from the items and no
    // new item of the list.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(12);
    return combo;
}

// Linked to its picker, whose name a screen reader on Linux takes from the
// label (it speaks the picker's text as its own name): spoken says which time
// the picker holds.
QLabel *label(QWidget *parent, int index, const QString &caption, QComboBox *picker,
              const QString &spoken, int left, int top, int width)
{
    auto *l = new QLabel(caption, parent);
    l->setBuddy(picker);
    l->setAccessibleName(spoken);
    l->setObjectName(QStringLiteral("Label1_%1").arg(index));
    l->setGeometry(twipsRect(left, top, width, 375));
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

} // namespace

FormControls::FormControls(QWidget &window, QWidget *playerView)
{
    window.setWindowTitle(version::windowTitle());
    installAccessibility();

    playerView->setParent(&window);
    wmp1 = place(playerView, "wmp1", 30, 9450, 6375, 675);
    wmp1->setAccessibleName(QStringLiteral("プレーヤー"));
    Drive1 = place(new browse::DriveList(&window), "Drive1", 30, 60, 6375, 300);
    Drive1->setAccessibleName(QStringLiteral("ドライブ"));

    Dir1 = place(new browse::DirList(folderScan, &window), "Dir1", 30, 390, 6375, 2610);
    Dir1->setAccessibleName(QStringLiteral("フォルダ"));
    File1 = place(new browse::FileList(folderScan, &window), "File1", 30, 3030, 6375, 6390);
    File1->setAccessibleName(QStringLiteral("ファイル"));
    File1->setPattern(QStringLiteral("*.wav;*.mp3;*.wma"));
    Command1 = button(&window, "Command1", QStringLiteral("■"), QStringLiteral("停止"),
                      QStringLiteral("停止します"), 6480, 2370, 675, 645);
    Command2 = button(&window, "Command2", QStringLiteral("＞"),
                      QStringLiteral("広げる、お気に入りに追加"),
                      QStringLiteral("お気に入りを追加します"), 6540, 420, 555, 525);
    Command4 = button(&window, "Command4", QStringLiteral("）（"),
                      QStringLiteral("ウィンドウを小さくする"),
                      QStringLiteral("ウィンドウを小さくします"), 7230, 4170, 525, 465);
    List1 = place(new favourites::FavouritesList(&window), "List1", 7230, 60, 6075, 4020);
    List1->setAccessibleName(QStringLiteral("お気に入り"));
    Command3 =
        button(&window, "Command3", QStringLiteral("DEL"), QStringLiteral("お気に入りを削除"),
               QStringLiteral("選択したお気に入りを削除します"), 10800, 4170, 915, 465);
    Command5 = button(&window, "Command5", QStringLiteral("open"), QStringLiteral("フォルダを開く"),
                      QStringLiteral("フォルダを開きます"), 6480, 5130, 675, 645);
    Check1 = place(new QCheckBox(QStringLiteral("停止タイマを有効にする"), &window), "Check1", 7620,
                   5100, 2895, 285);
    Combo1 = picker(&window, "Combo1", QStringLiteral("停止する時"), 7620, 5430);
    Label1[0] = label(&window, 0, QStringLiteral("時"), Combo1, QStringLiteral("停止する時"), 8580,
                      5520, 675);
    Check2 = place(new QCheckBox(QStringLiteral("再生タイマーを有効にする"), &window), "Check2",
                   7620, 6090, 2925, 285);
    Combo2 = picker(&window, "Combo2", QStringLiteral("停止する分"), 8910, 5430);
    Combo3 = picker(&window, "Combo3", QStringLiteral("再生する時"), 7620, 6450);
    Label1[1] = label(&window, 1, QStringLiteral("時"), Combo3, QStringLiteral("再生する時"), 8580,
                      6510, 375);
    Combo4 = picker(&window, "Combo4", QStringLiteral("再生する分"), 8910, 6450);
    Label1[2] = label(&window, 2, QStringLiteral("分"), Combo4, QStringLiteral("再生する分"), 9870,
                      6510, 375);
    Label1[3] = label(&window, 3, QStringLiteral("分"), Combo2, QStringLiteral("停止する分"), 9870,
                      5520, 375);

    // Labels take no focus, so the chain runs over the focusable controls in
    // their laid-out order.
    const QList<QWidget *> tabOrder{wmp1,     Drive1, Dir1,     File1,    Command1, Command2,
                                    Command4, List1,  Command3, Command5, Check1,   Combo1,
                                    Check2,   Combo2, Combo3,   Combo4};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
}

void FormControls::raises(const QWidget *control, std::function<void()> handler)
{
    if (control == Dir1)
        Dir1->setChangeHandler(std::move(handler));
    else
        handlers_.emplace(control, std::move(handler));
}

void FormControls::raise(const QWidget *control) const
{
    if (const auto handler = handlers_.constFind(control); handler != handlers_.constEnd())
        (*handler)();
}

int FormControls::checkValue(const QCheckBox &box)
{
    // A check box's value counts 0 unticked, 1 ticked, 2 greyed; Qt puts greyed in the middle.
    switch (box.checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        break;
    }
    return 2;
}

void FormControls::setCheckValue(QCheckBox &box, int value)
{
    if (checkValue(box) == value)
        return;
    box.setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
    raise(&box);
}

void FormControls::setComboText(QComboBox &combo, const QString &text)
{
    if (combo.currentText() == text)
        return;
    combo.setEditText(text);
    raise(&combo);
}

void FormControls::setDir1Path(const QString &path)
{
    Dir1->setPath(path);
}

void FormControls::setFile1Path(const QString &path)
{
    File1->setPath(path);
    raise(File1);
}

void FormControls::showFolder(const QString &folder)
{
    setDir1Path(folder);
    setFile1Path(folder);
}

} // namespace chimebox::app
