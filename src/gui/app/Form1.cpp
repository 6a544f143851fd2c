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
#include "gui/app/AutostartMenu.h"
#include "gui/app/Restorer.h"
#include "gui/app/TimerMarks.h"
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
#include <QPushButton>
#include <optional>

namespace chimebox::app {

Form1::Form1(Services services, QWidget *parent)
    : QWidget(parent), services_(std::move(services)), session_(services_.session),
      settings_(services_.settingsFolder), favourites_(settings_),
      placement_(*this, services_.screenTwips), ui_(*this, services_.playerView),
      exitSave_(settings_, favourites_)
{
    timerSettings_ = std::make_unique<scheduler::TimerSettings>(settings_);
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
            [this](const QMimeData *mime) { guarded([&] { File1_OLEDragDrop(mime); }); });
    on(ui_.Command1, &QPushButton::clicked, &Form1::Command1_Click);
    const playback::Transport *player = &session_.player();
    on(player, &playback::MediaPlayer::StatusChange, &Form1::wmp1_StatusChange);
    connect(player, &playback::MediaPlayer::playbackFailed, this,
            [this](const QString &reason, bool outputFailed) {
                guarded([&] { wmp1_PlaybackFailed(reason, outputFailed); });
            });
    // File1 shows the session's folder and current file; the user's choice of
    // file becomes the session's.
    connect(ui_.File1, &browse::FileList::listed, this,
            [this] { session_.showFolder(ui_.File1->path(), ui_.File1->names()); });
    connect(ui_.File1, &browse::FileList::selectedRowChanged, &session_,
            &playback::PlaybackSession::select);
    connect(&session_, &playback::PlaybackSession::currentIndexChanged, ui_.File1,
            &browse::FileList::setListIndex);
    on(ui_.Check1, &QCheckBox::clicked, &Form1::Check1_Click);
    on(ui_.Check2, &QCheckBox::clicked, &Form1::Check2_Click);
    new AutostartMenu(*ui_.Check2, services_.messages);
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
    // What the alarm would meet changes with the folder, the file, the
    // output, the player bar and a snooze.
    for (auto changed :
         {&playback::PlaybackSession::outputChanged, &playback::PlaybackSession::alarmChanged})
        connect(&session_, changed, this, &Form1::showTimerChecks);
    connect(ui_.File1, &browse::FileList::listed, this, &Form1::showTimerChecks);
    connect(ui_.File1, &browse::FileList::selectedRowChanged, this, &Form1::showTimerChecks);
    connect(player, &playback::Transport::muteChanged, this, &Form1::showTimerChecks);
    connect(player, &playback::Transport::volumeChanged, this, &Form1::showTimerChecks);
    on(ui_.Command2, &QPushButton::clicked, &Form1::Command2_Click);
    on(ui_.Command3, &QPushButton::clicked, &Form1::Command3_Click);
    on(ui_.Command4, &QPushButton::clicked, &Form1::Command4_Click);
    on(ui_.List1, &QListWidget::itemClicked, &Form1::List1_Click);
    connect(&session_, &playback::PlaybackSession::message, this, &Form1::reportFailure);
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
    // An alarm sounding now puts the desktop's output back before the end.
    session_.close();
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
    showTimerChecks();
    timerSettings_->markFormLoaded();

    // Start-up runs before the window is shown; the report waits for the
    // event loop, which starts after the window is shown.
    if (const QString text = result.report(); !text.isEmpty())
        QMetaObject::invokeMethod(
            this, [this, text] { reportFailure(text); }, Qt::QueuedConnection);
}

void Form1::Form_Unload()
{
    for (const QString &failure : exitSave_.save(ui_.File1->path()))
        services_.messages.showMessage(failure);
}

// Browsing.

void Form1::Drive1_Change()
{
    session_.stop();
    ui_.setDir1Path(ui_.Drive1->Drive());
}

void Form1::Dir1_Change()
{
    session_.stop();
    ui_.setFile1Path(ui_.Dir1->path());
}

void Form1::Command5_Click()
{
    services_.fileManager.open(ui_.Dir1->path());
}

// Playback.

void Form1::File1_MouseUp()
{
    session_.requestPlay();
}

void Form1::Command1_Click()
{
    session_.stop();
}

void Form1::wmp1_StatusChange()
{
    session_.statusChanged();
}

void Form1::wmp1_PlaybackFailed(const QString &reason, bool outputFailed)
{
    session_.playbackFailed(reason, outputFailed);
}

// Drag and drop.

void Form1::File1_OLEDragDrop(const QMimeData *mime)
{
    using Action = browse::DropStep::Action;
    for (const browse::DropStep &step : browse::planDrop(mime)) {
        bool shown = false;
        try {
            if (step.action == Action::ShowFolder)
                ui_.setDir1Path(step.folder);
            if (step.action == Action::ListFiles)
                ui_.setFile1Path(step.folder);
            shown = step.action != Action::Fail;
        } catch (const std::exception &) {
        }
        if (!shown)
            services_.messages.showMessage(browse::DropStep::failureText());
    }
}

// Timer settings.

// Each marks the pickers before it writes, so a write that fails still leaves
// the marks right; a control whose change could not be saved shows again what
// is stored, so the window never shows a timer the program will not keep.

void Form1::Check1_Click()
{
    showTimerChecks();
    keepingStored(scheduler::Timer::Stop, *ui_.Check1,
                  [&] { timerSettings_->switchStopTimer(FormControls::checkValue(*ui_.Check1)); });
}

void Form1::Check2_Click()
{
    showTimerChecks();
    keepingStored(scheduler::Timer::Play, *ui_.Check2, [&] {
        session_.playTimerChanged(
            timerSettings_->switchPlayTimer(FormControls::checkValue(*ui_.Check2)));
    });
}

void Form1::saveStopTime()
{
    showTimerChecks();
    keepingStored(scheduler::Timer::Stop, *ui_.Combo1, [&] {
        timerSettings_->saveStopTime(ui_.Combo1->currentText(), ui_.Combo2->currentText());
    });
}

void Form1::savePlayTime()
{
    showTimerChecks();
    keepingStored(scheduler::Timer::Play, *ui_.Combo3, [&] {
        session_.playTimerChanged(
            timerSettings_->savePlayTime(ui_.Combo3->currentText(), ui_.Combo4->currentText()));
    });
}

void Form1::showStored(scheduler::Timer timer, const QWidget &changed)
{
    const scheduler::StoredTimer stored = timerSettings_->stored(timer);
    const bool play = timer == scheduler::Timer::Play;
    QCheckBox &box = play ? *ui_.Check2 : *ui_.Check1;
    // Shown, not assigned: nothing is saved again.
    if (&changed == &box) {
        box.setCheckState(stored.switchValue == 1 ? Qt::Checked : Qt::Unchecked);
    } else {
        (play ? ui_.Combo3 : ui_.Combo1)->setEditText(stored.hour);
        (play ? ui_.Combo4 : ui_.Combo2)->setEditText(stored.minute);
    }
    showTimerChecks();
}

void Form1::showTimerChecks()
{
    ticksToCheck_ = 60;
    const playback::AlarmCheck check = markTimers(ui_, session_);
    const bool playOn = FormControls::checkValue(*ui_.Check2) == 1;
    if (const std::optional<playback::AlarmNotice> notice = alarmWatch_.update(playOn, check))
        Q_EMIT alarmProblem(*notice);
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
    session_.tick();
    // Once a minute, what the alarm would meet is looked at again: a stick
    // pulled out, a share gone.
    if (--ticksToCheck_ <= 0)
        showTimerChecks();
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
        services_.messages.showMessage(favourites::Favourites::missingFolderText());
    }
}

} // namespace chimebox::app
