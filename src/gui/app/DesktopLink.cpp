#include "gui/app/DesktopLink.h"

#include "core/playback/AlarmNotice.h"
#include "core/playback/PlaybackSession.h"
#include "desktop/AlarmNotifier.h"
#include "desktop/Mpris.h"
#include "gui/app/Form1.h"

namespace chimebox::app {

DesktopLink::DesktopLink(Form1 &form, playback::Transport &player, QObject *parent)
    : QObject(parent), form_(form), player_(player)
{}

void DesktopLink::joinSessionBus()
{
    join(QDBusConnection::sessionBus());
}

QString DesktopLink::join(QDBusConnection bus)
{
    if (!bus.isConnected() || mpris_)
        return {};
    mpris_ = new desktop::Mpris(
        player_, [this] { return playback::playPending(form_.session().autoPlayState()); }, this);
    connect(mpris_, &desktop::Mpris::stopRequested, &form_, &Form1::Command1_Click);
    connect(mpris_, &desktop::Mpris::raiseRequested, this, &DesktopLink::raise);
    connect(mpris_, &desktop::Mpris::quitRequested, &form_, &QWidget::close);

    auto *notifier = new desktop::AlarmNotifier(bus, this);
    connect(&form_, &Form1::alarmTicked, notifier, [notifier](const playback::TickResult &tick) {
        if (const std::optional<playback::AlarmNotice> notice = playback::alarmNotice(tick))
            notifier->show(*notice);
    });
    connect(notifier, &desktop::AlarmNotifier::stopRequested, &form_, &Form1::Command1_Click);
    connect(&form_.session(), &playback::PlaybackSession::stopped, notifier,
            &desktop::AlarmNotifier::withdraw);
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
