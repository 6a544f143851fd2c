#pragma once

#include "base/Failure.h"
#include "core/app/ExitSave.h"
#include "core/favourites/Favourites.h"
#include "core/playback/AlarmCheck.h"
#include "core/playback/PlaybackSession.h"
#include "core/settings/SettingsFiles.h"
#include "gui/app/FormControls.h"
#include "gui/app/WindowPlacement.h"

#include <QSizeF>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QMimeData;

namespace chimebox::browse {
class FileManagerLauncher;
}
namespace chimebox::scheduler {
class TimerSettings;
enum class Timer;
} // namespace chimebox::scheduler

namespace chimebox::app {

class MessageSink;

// The program's one window. Its handlers are named after their control and
// event; each hands the event to the rules of the core library (the playback
// session, the timer settings, the favourites, the window's widths, start-up)
// and carries out what they decide. The playback session is given to it: it
// shows the session's folder and current file. The controls are in
// FormControls; start-up fills them through Restorer.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    struct Services
    {
        playback::PlaybackSession &session;
        QWidget *playerView; // shown as wmp1; the window takes ownership
        MessageSink &messages;
        browse::FileManagerLauncher &fileManager;
        QString settingsFolder;
        // The screen's size in twips; the primary screen's when empty.
        std::function<QSizeF()> screenTwips;
    };

    explicit Form1(Services services, QWidget *parent = nullptr);
    ~Form1() override;

    const playback::PlaybackSession &session() const { return session_; }
    // Set as start-up's last act; the time pickers save only from then on.
    bool formLoaded() const;

    // Outer size and position in twips; QWidget's own are in pixels.
    float widthTwips() const { return placement_.width(); }
    void setWidthTwips(float twips) { placement_.setWidth(twips); }
    float leftTwips() const { return placement_.left(); }
    void setLeftTwips(float twips) { placement_.setLeft(twips); }
    float topTwips() const { return placement_.top(); }
    void setTopTwips(float twips) { placement_.setTop(twips); }
    float heightTwips() const { return placement_.height(); }

public Q_SLOTS:
    void Form_Load();
    void Form_Unload();
    void Drive1_Change();
    void Dir1_Change();
    void Command5_Click();
    void File1_MouseUp();
    void Command1_Click();
    void wmp1_StatusChange();
    void File1_OLEDragDrop(const QMimeData *mime);
    void Check1_Click();
    void Check2_Click();
    void Combo1_Change();
    void Combo1_Click();
    void Combo2_Change();
    void Combo2_Click();
    void Combo3_Change();
    void Combo3_Click();
    void Combo4_Change();
    void Combo4_Click();
    void Timer1_Timer();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void List1_Click();
    // The player could not play its file.
    void wmp1_PlaybackFailed(const QString &reason, bool outputFailed);

Q_SIGNALS:
    // A problem the alarm cannot put right at its minute was found while the
    // play timer is on: worth telling the desktop.
    void alarmProblem(const chimebox::playback::AlarmNotice &notice);

protected:
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void wireEvents();
    void showStartFolder();
    // File1 shows another folder: written once start-up is over.
    void folderShown();

    void saveStopTime();
    void savePlayTime();
    // Runs save; when it fails, the changed control (timer's check box, or one
    // of its pickers) shows again what is stored, and the failure goes on.
    template <typename Save>
    void keepingStored(scheduler::Timer timer, const QWidget &changed, Save &&save);
    void showStored(scheduler::Timer timer, const QWidget &changed);
    // Marks each ticked timer's pickers whose time can never come round, and
    // the play timer's with what its alarm would meet if it rang now.
    void showTimerChecks();

    // Runs a handler started by the window system: a failure ends the handler
    // and is reported; the program keeps running.
    template <typename F> void guarded(F &&body);
    void reportFailure(const QString &text);

    Services services_;
    playback::PlaybackSession &session_;
    settings::SettingsFolder settings_;
    favourites::Favourites favourites_;
    WindowPlacement placement_;
    FormControls ui_;
    std::unique_ptr<scheduler::TimerSettings> timerSettings_;
    playback::AlarmWatch alarmWatch_;
    // Ticks until the next look at what the alarm would meet.
    int ticksToCheck_ = 0;
    ExitSave exitSave_;
};

template <typename Save>
void Form1::keepingStored(scheduler::Timer timer, const QWidget &changed, Save &&save)
{
    try {
        save();
    } catch (const Failure &) {
        showStored(timer, changed);
        throw;
    }
}

template <typename F> void Form1::guarded(F &&body)
{
    try {
        body();
    } catch (const Failure &failure) {
        reportFailure(failure.message());
    } catch (const std::exception &error) {
        reportFailure(QString::fromLocal8Bit(error.what()));
    }
}

} // namespace chimebox::app
