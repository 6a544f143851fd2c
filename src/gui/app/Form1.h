#pragma once

#include "base/Failure.h"
#include "core/app/ExitSave.h"
#include "core/browse/FolderScan.h"
#include "core/favourites/Favourites.h"
#include "core/settings/SettingsFiles.h"
#include "core/window/WindowWidth.h"
#include "gui/app/Twips.h"

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QMimeData;
class QPushButton;

namespace chimebox::browse {
class DirList;
class DriveList;
class FileList;
class FileManagerLauncher;
} // namespace chimebox::browse
namespace chimebox::playback {
class MediaPlayer;
class PlaybackSession;
} // namespace chimebox::playback
namespace chimebox::scheduler {
class Clock;
class TimerSettings;
} // namespace chimebox::scheduler

namespace chimebox::app {

class MessageSink;

// The program's one window. Its handlers are named after their control and
// event; each hands the event to the rules of the core library: the playback
// session, the timer settings, the window's widths and the settings folder.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    struct Services
    {
        playback::MediaPlayer &player;
        QWidget *playerView; // shown as wmp1; the window takes ownership
        const scheduler::Clock &clock;
        MessageSink &messages;
        browse::FileManagerLauncher &fileManager;
        QString settingsFolder;
        // The screen's size in twips; the primary screen's when empty.
        std::function<QSizeF()> screenTwips;
    };

    explicit Form1(Services services, QWidget *parent = nullptr);
    ~Form1() override;

    // The continuous-play state and the day the alarm last sounded.
    const playback::PlaybackSession &session() const { return *session_; }
    // Set as start-up's last act; the time pickers save only from then on.
    bool formLoaded() const;

    // Outer size and position in twips; QWidget's own are in pixels.
    float widthTwips() const { return width_; }
    void setWidthTwips(float twips);
    float leftTwips() const { return left_; }
    void setLeftTwips(float twips);
    float topTwips() const { return top_; }
    void setTopTwips(float twips);
    float heightTwips() const { return float(kHeight); }

public Q_SLOTS:
    void Form_Load();
    void Form_Unload();
    void Drive1_Change();
    void Dir1_Change();
    void Command5_Click();
    void File1_MouseUp();
    void Command1_Click();
    void wmp1_StatusChange();
    void File1_OLEDragDrop(const QMimeData *data);
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

protected:
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    static constexpr int kHeight = kClientHeight + kFrameHeight;

    void createControls(QWidget *playerView);
    void wireEvents();
    void placeWindow();
    void showStartFolder();

    // Assignments that raise the control's own handler, nested, as a user's
    // change would.
    static int checkValue(const QCheckBox &box);
    void setCheckValue(QCheckBox &box, int value, void (Form1::*handler)());
    void setComboText(QComboBox &combo, const QString &text, void (Form1::*handler)());
    void setDir1Path(const QString &path);
    // File1 shows path; the last-folder file follows once start-up is over.
    void setFile1Path(const QString &path);
    // List1 shows the favourites as they are now, after one change.
    void showFavourites();

    void saveStopTime();
    void savePlayTime();
    // Marks each ticked timer's pickers whose time can never come round.
    void showTimesThatNeverMatch();

    // Runs a handler started by the window system: a failure ends the handler
    // and is reported; the program keeps running.
    template <typename F> void guarded(F &&body);
    void reportFailure(const QString &text);

    class Restorer;
    QSizeF screenSize() const;
    // The window as the rules of its widths read it, and what they decide.
    window::Geometry geometry() const;
    void apply(const window::Move &move);

    Services services_;
    settings::SettingsFolder settings_;
    favourites::Favourites favourites_;
    // Dir1 and File1 share the folder read last.
    browse::FolderScan folderScan_;

    float width_ = 13455 + 120;
    float left_ = 0;
    float top_ = 0;
    QPoint placedAt_;

    QWidget *wmp1 = nullptr;
    browse::DriveList *Drive1 = nullptr;
    browse::DirList *Dir1 = nullptr;
    browse::FileList *File1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QListWidget *List1 = nullptr;
    QCheckBox *Check1 = nullptr;
    QCheckBox *Check2 = nullptr;
    QComboBox *Combo1 = nullptr;
    QComboBox *Combo2 = nullptr;
    QComboBox *Combo3 = nullptr;
    QComboBox *Combo4 = nullptr;
    std::array<QLabel *, 4> Label1{};
    QTimer Timer1;

    std::unique_ptr<playback::PlaybackSession> session_;
    std::unique_ptr<scheduler::TimerSettings> timerSettings_;
    app::ExitSave exitSave_;
};

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
