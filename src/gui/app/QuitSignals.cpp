#include "gui/app/QuitSignals.h"

#include "gui/app/Form1.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace chimebox::app {

#ifdef Q_OS_UNIX
namespace {

constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};

// The pipe's ends; the handler writes one byte into the second.
int pipeEnds[2] = {-1, -1};
std::array<struct sigaction, kSignals.size()> previousActions{};
std::array<bool, kSignals.size()> installed{};

// Only async-signal-safe calls here: the rest happens when the event loop
// reads the byte.
extern "C" void onQuitSignal(int signal)
{
    const int savedErrno = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

bool openPipe()
{
    if (::pipe(pipeEnds) != 0)
        return false;
    for (const int end : pipeEnds) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        // A full pipe already holds a request to quit; a handler never blocks.
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

void closePipe()
{
    for (int &end : pipeEnds) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

} // namespace
#endif

QuitSignals::QuitSignals(Form1 &window, QObject *parent) : QObject(parent), window_(window)
{
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            [this] { window_.Form_Unload(); });
#if QT_CONFIG(sessionmanager)
    // The files are written now; the session may still be cancelled and the
    // program go on, so this does not end it.
    if (auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::commitDataRequest, this, [this] { window_.Form_Unload(); });
#endif

#ifdef Q_OS_UNIX
    Q_ASSERT(pipeEnds[0] < 0);
    if (!openPipe())
        return;
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitSignals::readSignals);

    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], nullptr, &previousActions[i]);
        // Started with the signal ignored (nohup, a background job): keep it so.
        if (previousActions[i].sa_handler == SIG_IGN)
            continue;
        installed[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
#endif
}

QuitSignals::~QuitSignals()
{
#ifdef Q_OS_UNIX
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (installed[i])
            ::sigaction(kSignals[i], &previousActions[i], nullptr);
        installed[i] = false;
    }
    delete notifier_;
    closePipe();
#endif
}

#ifdef Q_OS_UNIX
void QuitSignals::readSignals()
{
    char bytes[16];
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
    }
    window_.close();
    QCoreApplication::exit(0);
}
#endif

} // namespace chimebox::app
