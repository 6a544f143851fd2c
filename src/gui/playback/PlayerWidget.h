#pragma once

#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;

namespace chimebox::playback {

class Transport;

// The player's own transport bar: play/pause, stop, a position bar to drag,
// elapsed and total time, the file's name, mute and volume. It only calls the
// player and follows its signals.
class PlayerWidget : public QWidget
{
    Q_OBJECT

public:
    explicit PlayerWidget(Transport &player, QWidget *parent = nullptr);

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

    Transport &player_;
    QToolButton *playPause_;
    QToolButton *stop_;
    QSlider *position_;
    QLabel *time_;
    QLabel *name_;
    QToolButton *mute_;
    QSlider *volume_;
};

} // namespace chimebox::playback
