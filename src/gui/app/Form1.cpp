#include "gui/app/Form1.h"

#include "core/app/MessageSink.h"
#include "core/app/Startup.h"
#include "core/browse/Drop.h"
#include "core/browse/FileManager.h"
#include "core/playback/MediaPlayer.h"
#include "core/playback/PlaybackSession.h"
#include "core/scheduler/AlarmTime.h"
#include "core/scheduler/TimerSettings.h"
#include "core/window/WindowWidth.h"
#include "gui/app/Restorer.h"
#include "gui/browse/DirList.h"
#include "gui/browse/DriveList.h"
#include "gui/browse/FileList.h"
#include "gui/favourites/FavouritesList.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QPalette>
#include <QPushButton>
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
      favourites_(settings_), placement_(*this, services_.screenTwips),
      ui_(*this, services_.playerView), exitSave_(settings_, favourites_)
{
    session_ = std::make_unique<playback::PlaybackSession>(services_.player, *ui_.File1,
                                                           services_.clock, settings_);
    timerSettings_ =
        std::make_unique<scheduler::TimerSettings>(settings_, session_->lastAlarmDate());
    wireEvents();

    showStartFolder();
    // From here on a folder shown is a change of folder.
    ui_.raises(ui_.Dir1, [this] { Dir1_Change(); });
    ui_.raises(ui_.File1, [this] { folderShown(); });

    ui_.Timer1.start();
}

Form1::~Form1()
{
    // QWidget's destructor would close a window still on screen, and the close
    // would save through members already gone. Only a real close saves.
    destroy();
}

void Form1::wireEvents()
{
    // Every handler runs guarded: a failure ends it and is reported.
    const auto on = [this](auto *sender, auto signal, void (Form1::*handler)()) {
        connect(sender, signal, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    on(ui_.Drive1, &browse::DriveList::driveChosen, &Form1::Drive1_Change);
    connect(ui_.Dir1, &browse::DirList::openRequested, this,
            [this](const QString &path) { guarded([&] { ui_.setDir1Path(path); }); });
    on(ui_.Command5, &QPushButton::clicked, &Form1::Command5_Click);
    on(ui_.File1, &browse::FileList::mouseReleased, &Form1::File1_MouseUp);
    connect(ui_.File1, &browse::FileList::dropped, this,
            [this](const QMimeData *data) { guarded([&] { File1_OLEDragDrop(data); }); });
    on(ui_.Command1, &QPushButton::clicked, &Form1::Command1_Click);
    on(&services_.player, &playback::MediaPlayer::StatusChange, &Form1::wmp1_StatusChange);
    connect(&services_.player, &playback::MediaPlayer::playbackFailed, this,
            [this](const QString &reason, bool outputFailed) {
                guarded([&] { wmp1_PlaybackFailed(reason, outputFailed); });
            });
    on(ui_.Check1, &QCheckBox::clicked, &Form1::Check1_Click);
    on(ui_.Check2, &QCheckBox::clicked, &Form1::Check2_Click);
    const auto wireCombo = [&](QComboBox *combo, void (Form1::*change)(), void (Form1::*click)()) {
        on(combo->lineEdit(), &QLineEdit::textEdited, change);
        on(combo, &QComboBox::activated, click);
        ui_.raises(combo, [this, change] { (this->*change)(); });
    };
    wireCombo(ui_.Combo1, &Form1::Combo1_Change, &Form1::Combo1_Click);
    wireCombo(ui_.Combo2, &Form1::Combo2_Change, &Form1::Combo2_Click);
    wireCombo(ui_.Combo3, &Form1::Combo3_Change, &Form1::Combo3_Click);
    wireCombo(ui_.Combo4, &Form1::Combo4_Change, &Form1::Combo4_Click);
    ui_.raises(ui_.Check1, [this] { Check1_Click(); });
    ui_.raises(ui_.Check2, [this] { Check2_Click(); });
    on(&ui_.Timer1, &QTimer::timeout, &Form1::Timer1_Timer);
    on(ui_.Command2, &QPushButton::clicked, &Form1::Command2_Click);
    on(ui_.Command3, &QPushButton::clicked, &Form1::Command3_Click);
    on(ui_.Command4, &QPushButton::clicked, &Form1::Command4_Click);
    on(ui_.List1, &QListWidget::itemClicked, &Form1::List1_Click);
    connect(session_.get(), &playback::PlaybackSession::failureReported, this,
            &Form1::reportFailure);
}

void Form1::showStartFolder()
{
    // The lists start on the process's current folder; should it be unreadable,
    // on the home folder, so that the window still opens.
    for (const QString &folder : {QDir::currentPath(), QDir::homePath(), QDir::rootPath()}) {
        try {
            ui_.showFolder(folder);
            ui_.Drive1->showDriveOf(folder);
            return;
        } catch (const Failure &) {
        }
    }
}

bool Form1::formLoaded() const
{
    return timerSettings_->formLoaded();
}

void Form1::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    placement_.moved();
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

void Form1::folderShown()
{
    // Reported without a throw: the folder is shown, whatever the file says.
    if (const std::optional<QString> failure = exitSave_.folderShown(ui_.File1->path()))
        reportFailure(*failure);
}

// Start-up and shutdown.

void Form1::Form_Load()
{
    placement_.apply(window::placeAtStart(placement_.geometry()));

    const RestoreResult result = Restorer(ui_).run(planRestore(settings_, favourites_));
    exitSave_.keep(result.notRestored);
    exitSave_.started(ui_.File1->path());
    showTimesThatNeverMatch();
    timerSettings_->markFormLoaded();

    // Start-up runs before the window is shown; the report waits for the
    // event loop, which starts after the window is shown.
    if (!result.failures.isEmpty()) {
        const QString text = QStringLiteral("前回の設定の一部を復元できませんでした。\n\n") +
                             result.failures.join(u'\n');
        QMetaObject::invokeMethod(
            this, [this, text] { reportFailure(text); }, Qt::QueuedConnection);
    }
}

void Form1::Form_Unload()
{
    for (const QString &failure : exitSave_.save(ui_.File1->path()))
        services_.messages.showMessage(failure);
}

// Browsing.

void Form1::Drive1_Change()
{
    session_->stop();
    ui_.setDir1Path(ui_.Drive1->Drive());
}

void Form1::Dir1_Change()
{
    session_->stop();
    ui_.setFile1Path(ui_.Dir1->path());
}

void Form1::Command5_Click()
{
    services_.fileManager.open(ui_.Dir1->path());
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
                ui_.setDir1Path(step.folder);
            if (step.action == Action::ShowInFileList)
                ui_.setFile1Path(step.folder);
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
    timerSettings_->switchStopTimer(FormControls::checkValue(*ui_.Check1));
}

void Form1::Check2_Click()
{
    showTimesThatNeverMatch();
    timerSettings_->switchPlayTimer(FormControls::checkValue(*ui_.Check2));
}

void Form1::saveStopTime()
{
    showTimesThatNeverMatch();
    timerSettings_->saveStopTime(ui_.Combo1->currentText(), ui_.Combo2->currentText());
}

void Form1::savePlayTime()
{
    showTimesThatNeverMatch();
    timerSettings_->savePlayTime(ui_.Combo3->currentText(), ui_.Combo4->currentText());
}

void Form1::showTimesThatNeverMatch()
{
    const auto show = [](const QCheckBox &box, scheduler::Timer timer, QComboBox &hour,
                         QComboBox &minute) {
        const QString why =
            FormControls::checkValue(box) == 1
                ? scheduler::whyItNeverMatches(timer, hour.currentText(), minute.currentText())
                : QString();
        markNeverMatching(hour, why);
        markNeverMatching(minute, why);
    };
    show(*ui_.Check1, scheduler::Timer::Stop, *ui_.Combo1, *ui_.Combo2);
    show(*ui_.Check2, scheduler::Timer::Play, *ui_.Combo3, *ui_.Combo4);
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
    const playback::TickResult result = session_->tick();
    if (result.alarm != playback::AlarmOutcome::None)
        Q_EMIT alarmTicked(result);
}

// Favourites and window width.

void Form1::Command2_Click()
{
    const window::Widening widening = window::widenOrAddFavourite(placement_.geometry());
    if (widening.addFavourite) {
        const std::optional<QString> failure = favourites_.add(ui_.Dir1->path());
        ui_.List1->showFolders(favourites_.folders());
        if (failure)
            reportFailure(*failure);
    }
    placement_.apply(widening.move);
}

void Form1::Command4_Click()
{
    placement_.apply(window::narrow(placement_.geometry()));
}

void Form1::Command3_Click()
{
    const int row = ui_.List1->selectedRow();
    const std::optional<QString> failure = favourites_.remove(row);
    ui_.List1->showFolders(favourites_.folders());
    if (row >= 0)
        ui_.List1->setCurrentRow(-1);
    if (failure)
        reportFailure(*failure);
}

void Form1::List1_Click()
{
    const std::optional<QString> folder = favourites_.folderAt(ui_.List1->currentRow());
    if (!folder)
        return;
    try {
        ui_.showFolder(*folder);
    } catch (const std::exception &) {
        services_.messages.showMessage(QStringLiteral("フォルダがありません"));
    }
}

} // namespace chimebox::app
