#include "gui/app/Form1.h"

#include "core/app/MessageSink.h"
#include "core/browse/Drop.h"
#include "core/browse/FileManager.h"
#include "core/playback/MediaPlayer.h"
#include "core/playback/PlaybackSession.h"
#include "core/scheduler/AlarmTime.h"
#include "core/scheduler/TimerSettings.h"
#include "core/window/WindowWidth.h"
#include "gui/browse/DirList.h"
#include "gui/browse/DriveList.h"
#include "gui/browse/FileList.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QListWidget>
#include <QPalette>
#include <QScreen>
#include <optional>

namespace chimebox::app {

namespace {

// A picker whose time can never come round is tinted and says why in its
// tooltip; size and place stay as they are. A palette that sets no role
// gives the window's own back.
void markNeverMatching(QComboBox &picker, const QString &why)
{
    QPalette palette;
    if (!why.isEmpty()) {
        const QColor tint(0xff, 0xc7, 0xce);
        palette.setColor(QPalette::Base, tint);
        palette.setColor(QPalette::Button, tint);
        palette.setColor(QPalette::Text, QColor(0x9c, 0x00, 0x06));
    }
    picker.setPalette(palette);
    picker.setToolTip(why);
}

} // namespace

Form1::Form1(Services services, QWidget *parent)
    : QWidget(parent), services_(std::move(services)), settings_(services_.settingsFolder),
      favourites_(settings_), exitSave_(settings_, favourites_)
{
    createControls(services_.playerView);
    wireEvents();
    setWidthTwips(width_);

    session_ = std::make_unique<playback::PlaybackSession>(services_.player, *File1,
                                                           services_.clock, settings_);
    timerSettings_ =
        std::make_unique<scheduler::TimerSettings>(settings_, session_->lastAlarmDate());
    connect(session_.get(), &playback::PlaybackSession::failureReported, this,
            &Form1::reportFailure);

    showStartFolder();
    Dir1->setChangeHandler([this] { Dir1_Change(); });

    Timer1.start();
}

Form1::~Form1()
{
    // QWidget's destructor would close a window still on screen, and the close
    // would save through members already gone. Only a real close saves.
    destroy();
}

void Form1::placeWindow()
{
    apply(window::placeAtStart(geometry()));
}

void Form1::showStartFolder()
{
    // The lists start on the process's current folder; should it be unreadable,
    // on the home folder, so that the window still opens.
    for (const QString &folder : {QDir::currentPath(), QDir::homePath(), QDir::rootPath()}) {
        try {
            Dir1->setPath(folder);
            File1->setPath(folder);
            Drive1->showDriveOf(folder);
            return;
        } catch (const Failure &) {
        }
    }
}

bool Form1::formLoaded() const
{
    return timerSettings_->formLoaded();
}

window::Geometry Form1::geometry() const
{
    const QSizeF screen = screenSize();
    return {width_, left_, heightTwips(), float(screen.width()), float(screen.height())};
}

void Form1::apply(const window::Move &move)
{
    if (move.width)
        setWidthTwips(*move.width);
    if (move.left)
        setLeftTwips(*move.left);
    if (move.top)
        setTopTwips(*move.top);
}

QSizeF Form1::screenSize() const
{
    if (services_.screenTwips)
        return services_.screenTwips();
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize px = screen ? screen->geometry().size() : QSize(1024, 768);
    return QSizeF(px) * kTwipsPerPixel;
}

void Form1::setWidthTwips(float twips)
{
    width_ = twips;
    setFixedSize(qMax(toPixels(twips - kFrameWidth), 1), toPixels(kClientHeight));
}

void Form1::setLeftTwips(float twips)
{
    left_ = twips;
    placedAt_ = QPoint(toPixels(left_), toPixels(top_));
    move(placedAt_);
}

void Form1::setTopTwips(float twips)
{
    top_ = twips;
    placedAt_ = QPoint(toPixels(left_), toPixels(top_));
    move(placedAt_);
}

void Form1::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    // The user dragged the window: its twips follow it.
    if (pos() != placedAt_) {
        placedAt_ = pos();
        left_ = float(pos().x() * kTwipsPerPixel);
        top_ = float(pos().y() * kTwipsPerPixel);
    }
}

void Form1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void Form1::reportFailure(const QString &text)
{
    services_.messages.showFailure(text);
}

int Form1::checkValue(const QCheckBox &box)
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

void Form1::setCheckValue(QCheckBox &box, int value, void (Form1::*handler)())
{
    if (checkValue(box) == value)
        return;
    box.setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
    (this->*handler)();
}

void Form1::setComboText(QComboBox &combo, const QString &text, void (Form1::*handler)())
{
    if (combo.currentText() == text)
        return;
    combo.setEditText(text);
    (this->*handler)();
}

void Form1::setDir1Path(const QString &path)
{
    Dir1->setPath(path);
}

void Form1::setFile1Path(const QString &path)
{
    File1->setPath(path);
    // Reported without a throw: the folder is shown, whatever the file says.
    if (const std::optional<QString> failure = exitSave_.folderShown(File1->path()))
        reportFailure(*failure);
}

void Form1::showFavourites()
{
    // A change adds a favourite at the end or removes one: the items before
    // it stay, and so does the selection there.
    const QStringList &folders = favourites_.folders();
    int same = 0;
    while (same < List1->count() && same < folders.size() &&
           List1->item(same)->text() == folders[same])
        ++same;
    while (List1->count() > folders.size())
        delete List1->takeItem(same);
    for (qsizetype i = List1->count(); i < folders.size(); ++i)
        List1->addItem(folders[i]);
}

// Browsing.

void Form1::Drive1_Change()
{
    session_->stop();
    setDir1Path(Drive1->Drive());
}

void Form1::Dir1_Change()
{
    session_->stop();
    setFile1Path(Dir1->path());
}

void Form1::Command5_Click()
{
    services_.fileManager.open(Dir1->path());
}

// Playback.

void Form1::File1_MouseUp()
{
    session_->requestPlay();
}

void Form1::Command1_Click()
{
    session_->stop();
}

void Form1::wmp1_StatusChange()
{
    session_->statusChanged();
}

void Form1::wmp1_PlaybackFailed(const QString &reason, bool outputFailed)
{
    session_->playbackFailed(reason, outputFailed);
}

// Drag and drop.

void Form1::File1_OLEDragDrop(const QMimeData *data)
{
    using Action = browse::DropStep::Action;
    for (const browse::DropStep &step : browse::planDrop(data)) {
        bool shown = false;
        try {
            if (step.action == Action::ShowInDirList)
                setDir1Path(step.folder);
            if (step.action == Action::ShowInFileList)
                setFile1Path(step.folder);
            shown = step.action != Action::Fail;
        } catch (const std::exception &) {
        }
        if (!shown)
            services_.messages.showMessage(
                QStringLiteral("ドラッグ＆ドロップが正しくありません。"));
    }
}

// Timer settings.

// Each marks the pickers before it writes, so a write that fails still leaves
// the marks right.

void Form1::Check1_Click()
{
    showTimesThatNeverMatch();
    timerSettings_->switchStopTimer(checkValue(*Check1));
}

void Form1::Check2_Click()
{
    showTimesThatNeverMatch();
    timerSettings_->switchPlayTimer(checkValue(*Check2));
}

void Form1::saveStopTime()
{
    showTimesThatNeverMatch();
    timerSettings_->saveStopTime(Combo1->currentText(), Combo2->currentText());
}

void Form1::savePlayTime()
{
    showTimesThatNeverMatch();
    timerSettings_->savePlayTime(Combo3->currentText(), Combo4->currentText());
}

void Form1::showTimesThatNeverMatch()
{
    const auto show = [](const QCheckBox &box, scheduler::Timer timer, QComboBox &hour,
                         QComboBox &minute) {
        const QString why =
            checkValue(box) == 1
                ? scheduler::whyItNeverMatches(timer, hour.currentText(), minute.currentText())
                : QString();
        markNeverMatching(hour, why);
        markNeverMatching(minute, why);
    };
    show(*Check1, scheduler::Timer::Stop, *Combo1, *Combo2);
    show(*Check2, scheduler::Timer::Play, *Combo3, *Combo4);
}

void Form1::Combo1_Change()
{
    saveStopTime();
}
void Form1::Combo1_Click()
{
    saveStopTime();
}
void Form1::Combo2_Change()
{
    saveStopTime();
}
void Form1::Combo2_Click()
{
    saveStopTime();
}
void Form1::Combo3_Change()
{
    savePlayTime();
}
void Form1::Combo3_Click()
{
    savePlayTime();
}
void Form1::Combo4_Change()
{
    savePlayTime();
}
void Form1::Combo4_Click()
{
    savePlayTime();
}

// The tick.

void Form1::Timer1_Timer()
{
    session_->tick();
}

// Favourites and window width.

void Form1::Command2_Click()
{
    const window::Widening widening = window::widenOrAddFavourite(geometry());
    if (widening.addFavourite) {
        const std::optional<QString> failure = favourites_.add(Dir1->path());
        showFavourites();
        if (failure)
            reportFailure(*failure);
    }
    apply(widening.move);
}

void Form1::Command4_Click()
{
    apply(window::narrow(geometry()));
}

void Form1::Command3_Click()
{
    // The selected item, not the current one: focus alone makes a row current
    // without selecting it.
    const QList<QListWidgetItem *> selected = List1->selectedItems();
    const int row = selected.isEmpty() ? -1 : List1->row(selected.first());
    const std::optional<QString> failure = favourites_.remove(row);
    showFavourites();
    if (row >= 0)
        List1->setCurrentRow(-1);
    if (failure)
        reportFailure(*failure);
}

void Form1::List1_Click()
{
    const std::optional<QString> folder = favourites_.folderAt(List1->currentRow());
    if (!folder)
        return;
    try {
        setDir1Path(*folder);
        setFile1Path(*folder);
    } catch (const std::exception &) {
        services_.messages.showMessage(QStringLiteral("フォルダがありません"));
    }
}

} // namespace chimebox::app
