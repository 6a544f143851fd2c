#pragma once

#include "app/Twips.h"
#include "settings/Failure.h"
#include "settings/SettingsFiles.h"

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

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
class PlaybackFailures;
} // namespace chimebox::playback
namespace chimebox::scheduler {
class Clock;
class TimerTick;
} // namespace chimebox::scheduler

namespace chimebox::app {

class MessageSink;

// The program's one window. Its handlers are named after their control and
// event; the rules they follow live in plain classes of the other subsystems.
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

    // The window's fields, in their declaration order.
    qint16 autoPlayState() const { return autoPlayState_; }
    bool formLoaded() const { return formLoaded_; }
    const QString &lastAlarmDate() const { return lastAlarmDate_; }

    // Outer size and position in twips.
    float Width() const { return width_; }
    void setWidth(float twips);
    float Left() const { return left_; }
    void setLeft(float twips);
    float Top() const { return top_; }
    void setTop(float twips);
    float Height() const { return float(kHeight); }

    const settings::SettingsFolder &settingsFolder() const { return settings_; }

    // Form_Unload, unless it has run already with the same folder and
    // favourites: a close, a signal, the session manager's request to save and
    // the application's end may each ask for it, and the files are written once.
    // Should the session go on after its save, a later change is still saved.
    void shutDown();

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

public:
    QString ReadFile(const QString &FileName) const;
    void WriteFile(const QString &FileName, const QString &Cont) const;
    void AppendFile(const QString &FileName, const QString &Cont) const;
    QString zerost(const QString &tempstring, int keta) const;
    QString leftin(const QString &tempstring, const QString &instrstr) const;
    QString mider(const QString &tempstring, const QString &instrstr) const;

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

    void saveStopTime();
    void savePlayTime();
    void addFavourite();

    // Runs a handler started by the window system: a failure ends the handler
    // and is reported; the program keeps running.
    template <typename F> void guarded(F &&body);
    void reportFailure(const QString &text);

    class Geometry;
    QSizeF screenSize() const;

    Services services_;
    settings::SettingsFolder settings_;

    // Fields.
    qint16 autoPlayState_ = 0;
    bool formLoaded_ = false;
    QString lastAlarmDate_;

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

    std::unique_ptr<scheduler::TimerTick> tick_;
    std::unique_ptr<playback::PlaybackFailures> failures_;
    // A tick that fails every second is reported once, until a tick succeeds.
    bool tickFailureShown_ = false;
    bool playbackFailureShown_ = false;
    // The folder and favourites the last shutdown wrote.
    struct ShutdownState
    {
        QString folder;
        QStringList favourites;
        bool operator==(const ShutdownState &) const = default;
    };
    std::optional<ShutdownState> savedAtShutdown_;
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
