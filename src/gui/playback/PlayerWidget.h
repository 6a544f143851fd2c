#pragma once

#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;

namespace chimebox::playback {

class PlaybackSession;
class Transport;

// The player's own transport bar: play/pause, stop, a position bar to drag,
// elapsed and total time, the file's name, mute and volume. It shows the
// player and follows its signals; what the user asks of it goes to the
// playback session.
class PlayerWidget : public QWidget
{
    Q_OBJECT

public:
    explicit PlayerWidget(PlaybackSession &session, QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showState();
    void showPosition(double seconds);
    void showDuration(double seconds);
    void showTime();
    void showName();
    void showMute(bool muted);
    void seekToSlider();

    PlaybackSession &session_;
    const Transport &player_;
    QToolButton *playPause_;
    QToolButton *stop_;
    QSlider *position_;
    QLabel *time_;
    QLabel *name_;
    QToolButton *mute_;
    QSlider *volume_;
};

} // namespace chimebox::playback
