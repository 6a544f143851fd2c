#include "base/Version.h"
#include "core/playback/MediaPlayer.h"
#include "gui/app/Form1.h"
#include "gui/browse/DirList.h"
#include "gui/browse/DriveList.h"
#include "gui/browse/FileList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
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

QPushButton *button(QWidget *parent, const char *name, const QString &caption,
                    const QString &tooltip, int left, int top, int width, int height)
{
    auto *b = place(new QPushButton(caption, parent), name, left, top, width, height);
    b->setToolTip(tooltip);
    return b;
}

QComboBox *picker(QWidget *parent, const char *name, int left, int top)
{
    auto *combo = place(new QComboBox(parent), name, left, top, 945, 300);
    combo->setEditable(true);
    // The typed text is stored as it is: no completion from the items and no
    // new item of the list.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(12);
    return combo;
}

QLabel *label(QWidget *parent, int index, const QString &caption, int left, int top, int width)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(QStringLiteral("Label1_%1").arg(index));
    l->setGeometry(twipsRect(left, top, width, 375));
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

} // namespace

void Form1::createControls(QWidget *playerView)
{
    setWindowTitle(version::windowTitle());

    playerView->setParent(this);
    wmp1 = place(playerView, "wmp1", 30, 9450, 6375, 675);
    Drive1 = place(new browse::DriveList(this), "Drive1", 30, 60, 6375, 300);
    Dir1 = place(new browse::DirList(folderScan_, this), "Dir1", 30, 390, 6375, 2610);
    File1 = place(new browse::FileList(folderScan_, this), "File1", 30, 3030, 6375, 6390);
    File1->setPattern(QStringLiteral("*.wav;*.mp3;*.wma"));
    Command1 = button(this, "Command1", QStringLiteral("■"), QStringLiteral("停止します"), 6480,
                      2370, 675, 645);
    Command2 = button(this, "Command2", QStringLiteral("＞"),
                      QStringLiteral("お気に入りを追加します"), 6540, 420, 555, 525);
    Command4 = button(this, "Command4", QStringLiteral("）（"),
                      QStringLiteral("ウィンドウを小さくします"), 7230, 4170, 525, 465);
    List1 = place(new QListWidget(this), "List1", 7230, 60, 6075, 4020);
    Command3 = button(this, "Command3", QStringLiteral("DEL"),
                      QStringLiteral("選択したお気に入りを削除します"), 10800, 4170, 915, 465);
    Command5 = button(this, "Command5", QStringLiteral("open"),
                      QStringLiteral("フォルダを開きます"), 6480, 5130, 675, 645);
    Check1 = place(new QCheckBox(QStringLiteral("停止タイマを有効にする"), this), "Check1", 7620,
                   5100, 2895, 285);
    Combo1 = picker(this, "Combo1", 7620, 5430);
    Label1[0] = label(this, 0, QStringLiteral("時"), 8580, 5520, 675);
    Check2 = place(new QCheckBox(QStringLiteral("再生タイマーを有効にする"), this), "Check2", 7620,
                   6090, 2925, 285);
    Combo2 = picker(this, "Combo2", 8910, 5430);
    Label1[1] = label(this, 1, QStringLiteral("時"), 8580, 6510, 375);
    Combo3 = picker(this, "Combo3", 7620, 6450);
    Label1[2] = label(this, 2, QStringLiteral("分"), 9870, 6510, 375);
    Combo4 = picker(this, "Combo4", 8910, 6450);
    Label1[3] = label(this, 3, QStringLiteral("分"), 9870, 5520, 375);

    // Labels take no focus, so the chain runs over the focusable controls in
    // their laid-out order.
    const QList<QWidget *> tabOrder{wmp1,     Drive1, Dir1,     File1,    Command1, Command2,
                                    Command4, List1,  Command3, Command5, Check1,   Combo1,
                                    Check2,   Combo2, Combo3,   Combo4};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
}

void Form1::wireEvents()
{
    connect(Drive1, &browse::DriveList::driveChosen, this,
            [this] { guarded([this] { Drive1_Change(); }); });
    connect(Dir1, &browse::DirList::openRequested, this,
            [this](const QString &path) { guarded([&] { Dir1->setPath(path); }); });
    connect(Command5, &QPushButton::clicked, this,
            [this] { guarded([this] { Command5_Click(); }); });
    connect(File1, &browse::FileList::mouseReleased, this, &Form1::File1_MouseUp);
    connect(File1, &browse::FileList::dropped, this, &Form1::File1_OLEDragDrop);
    connect(Command1, &QPushButton::clicked, this,
            [this] { guarded([this] { Command1_Click(); }); });
    connect(&services_.player, &playback::MediaPlayer::StatusChange, this,
            [this] { guarded([this] { wmp1_StatusChange(); }); });
    connect(&services_.player, &playback::MediaPlayer::playbackFailed, this,
            [this](const QString &reason, bool outputFailed) {
                guarded([&] { wmp1_PlaybackFailed(reason, outputFailed); });
            });
    connect(Check1, &QCheckBox::clicked, this, [this] { guarded([this] { Check1_Click(); }); });
    connect(Check2, &QCheckBox::clicked, this, [this] { guarded([this] { Check2_Click(); }); });

    const auto wireCombo = [this](QComboBox *combo, void (Form1::*change)(),
                                  void (Form1::*click)()) {
        connect(combo->lineEdit(), &QLineEdit::textEdited, this,
                [this, change] { guarded([this, change] { (this->*change)(); }); });
        connect(combo, &QComboBox::activated, this,
                [this, click] { guarded([this, click] { (this->*click)(); }); });
    };
    wireCombo(Combo1, &Form1::Combo1_Change, &Form1::Combo1_Click);
    wireCombo(Combo2, &Form1::Combo2_Change, &Form1::Combo2_Click);
    wireCombo(Combo3, &Form1::Combo3_Change, &Form1::Combo3_Click);
    wireCombo(Combo4, &Form1::Combo4_Change, &Form1::Combo4_Click);

    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Command2, &QPushButton::clicked, this,
            [this] { guarded([this] { Command2_Click(); }); });
    connect(Command3, &QPushButton::clicked, this,
            [this] { guarded([this] { Command3_Click(); }); });
    connect(Command4, &QPushButton::clicked, this,
            [this] { guarded([this] { Command4_Click(); }); });
    connect(List1, &QListWidget::itemClicked, this, &Form1::List1_Click);
}

} // namespace chimebox::app
