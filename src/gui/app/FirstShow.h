#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>

class QWidget;

namespace chimebox::app {

// Shows the window at start. A window manager that is itself still starting
// can lose the request that maps a new window (openbox 3.6 does on a busy
// machine): the window stays unmapped, Qt takes it for shown, and nobody sees
// it. So a window that has not been exposed a few seconds after show(), and
// that no window manager has taken, is shown once more, and standard error
// says so. On X11 the second request waits until the window manager answers a
// question asked after the first (its frame extents), so that it does not go
// the same way while the window manager still starts. A window hidden or
// minimized by then is left as it is.
class FirstShow : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    static constexpr std::chrono::seconds kPatience{3};
    // How often the question is asked again, and for how long.
    static constexpr std::chrono::seconds kAskAgain{2};
    static constexpr std::chrono::seconds kAskFor{30};

    explicit FirstShow(QWidget &window, QObject *parent = nullptr);
    ~FirstShow() override;

    void show();

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override;

Q_SIGNALS:
    // Once: after the first paint, or once the window was shown again or left
    // to the window manager. Work that may wait on other programs (the session
    // bus) starts then, so the window never waits for it.
    void settled();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct X11;

    void check();
    void ask();
    void answered();
    void showAgain();
    void settle();

    QWidget &window_;
    bool settled_ = false;
    std::unique_ptr<X11> x11_;
    QTimer asking_;
    int asked_ = 0;
};

} // namespace chimebox::app
