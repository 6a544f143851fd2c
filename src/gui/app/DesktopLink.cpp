#include "gui/app/DesktopLink.h"

#include "core/playback/PlaybackSession.h"
#include "desktop/AlarmNotifier.h"
#include "desktop/Mpris.h"
#include "gui/app/Form1.h"

namespace chimebox::app {

DesktopLink::DesktopLink(Form1 &form, playback::PlaybackSession &session, QObject *parent)
    : QObject(parent), form_(form), session_(session)
{}

void DesktopLink::joinSessionBus()
{
    join(QDBusConnection::sessionBus());
}

QString DesktopLink::join(const QDBusConnection &bus)
{
    if (!bus.isConnected() || mpris_)
        return {};
    mpris_ = new desktop::Mpris(session_, this);
    connect(mpris_, &desktop::Mpris::raiseRequested, this, &DesktopLink::raise);
    connect(mpris_, &desktop::Mpris::quitRequested, &form_, &QWidget::close);

    using playback::PlaybackSession;
    auto *notifier = new desktop::AlarmNotifier(bus, this);
    connect(&session_, &PlaybackSession::noticeShown, notifier, &desktop::AlarmNotifier::show);
    connect(&session_, &PlaybackSession::noticeWithdrawn, notifier,
            &desktop::AlarmNotifier::withdraw);
    connect(notifier, &desktop::AlarmNotifier::stopRequested, &session_, &PlaybackSession::stop);
    connect(notifier, &desktop::AlarmNotifier::snoozeRequested, &session_,
            &PlaybackSession::snooze);
    // A warning for the evening does not take the place of a ringing alarm.
    connect(&form_, &Form1::alarmProblem, notifier, [this, notifier](const auto &notice) {
        if (!session_.alarm())
            notifier->show(notice);
    });
    return mpris_->attach(bus);
}

void DesktopLink::raise()
{
    form_.setWindowState(form_.windowState() & ~Qt::WindowMinimized);
    form_.show();
    form_.raise();
    form_.activateWindow();
}

} // namespace chimebox::app
