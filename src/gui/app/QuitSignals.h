#pragma once

#include <QObject>

class QSocketNotifier;

namespace chimebox::app {

class Form1;

// Saves like a close when the program is ended from outside: SIGTERM (a logout,
// a shutdown, `kill`), SIGINT (Ctrl+C), SIGHUP (the terminal went away) and the
// session manager's quit. A signal closes the window from the event loop and
// the program then exits with status 0; whatever arrives, in whatever order,
// the files are written once (Form1::Form_Unload). One instance per process.
class QuitSignals final : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignals(Form1 &window, QObject *parent = nullptr);
    ~QuitSignals() override;

private:
    Form1 &window_;
#ifdef Q_OS_UNIX
    void readSignals();

    QSocketNotifier *notifier_ = nullptr;
#endif
};

} // namespace chimebox::app
