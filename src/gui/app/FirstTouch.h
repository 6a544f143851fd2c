#pragma once

#include <QObject>
#include <QPointer>

class QWidget;
class QWindow;

namespace chimebox::app {

// Says once when the user first reaches for the window: the pointer moving
// over it, a wheel, a press, a touch or a key. What the first click would
// otherwise wait for (making the engine) starts then, while the hand is still
// on its way to the file; a window left waiting for its alarm stays as small
// as it started.
class FirstTouch : public QObject
{
    Q_OBJECT

public:
    explicit FirstTouch(QWidget &window, QObject *parent = nullptr);

    // Starts watching the window, which has been shown.
    void watch();

Q_SIGNALS:
    void touched();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &window_;
    // The window as the platform sees it gets every event, also the moves
    // that no widget tracks.
    QPointer<QWindow> watched_;
};

} // namespace chimebox::app
