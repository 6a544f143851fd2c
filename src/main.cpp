#include "base/Version.h"
#include "core/app/SingleInstance.h"
#include "core/app/StandardError.h"
#include "core/browse/FileManager.h"
#include "core/playback/PlaybackSession.h"
#include "core/scheduler/Clock.h"
#include "core/settings/Leftovers.h"
#include "core/settings/SettingsLocation.h"
#include "engine/EnginePlayer.h"
#include "engine/MpvController.h"
#include "engine/PulseOutput.h"
#include "gui/app/DesktopLink.h"
#include "gui/app/DisplayPlatform.h"
#include "gui/app/FirstShow.h"
#include "gui/app/FirstTouch.h"
#include "gui/app/Form1.h"
#include "gui/app/NoDisplay.h"
#include "gui/app/QtMessageSink.h"
#include "gui/app/QuitSignals.h"
#include "gui/app/SaveOnExit.h"
#include "gui/playback/PlayerWidget.h"

#include <QApplication>

using namespace chimebox;

int main(int argc, char *argv[])
{
    app::PlatformArguments arguments(argc, argv);
    app::NoDisplayReport noDisplay;
    app::GtkAccessibilityOff gtkAccessibility;
    QApplication application(arguments.count(), arguments.values());
    noDisplay.finish();
    gtkAccessibility.finish();
    QApplication::setApplicationName(version::name());
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(version::applicationId());

    const QString settingsFolder = settings::settingsFolderForThisProcess();
    app::QtMessageSink boxes;
    // Bringing the first window to the front would need a local socket, and
    // so QtNetwork loaded at every start: a message costs nothing.
    app::SingleInstance instance(settingsFolder);
    const app::SingleInstance::Claim claim = instance.claim();
    if (claim == app::SingleInstance::Claim::HeldElsewhere) {
        const QString text = app::SingleInstance::alreadyRunningText(settingsFolder);
        app::printToStandardError(text);
        boxes.showMessage(text);
        return 0;
    }
    // A second copy is a lesser harm than an alarm that never rings.
    if (claim == app::SingleInstance::Claim::Unavailable)
        app::printToStandardError(instance.reason());
    // Only a program that holds the folder knows that no other is writing there.
    if (claim == app::SingleInstance::Claim::Held)
        settings::removeLeftoverTemporaries(settingsFolder);

    engine::MpvController mpv;
    engine::EnginePlayer player(mpv);
    scheduler::SystemClock clock;
    app::StandardErrorFallback messages(boxes);
    browse::DesktopFileManager fileManager;
    // Followed once an alarm is set, so a start without one loads nothing more.
    engine::PulseOutput output;
    // What plays and why: the window, the player bar and the desktop each
    // show it and send it what the user asks for.
    playback::PlaybackSession session(player, clock, settings::SettingsFolder(settingsFolder),
                                      &output);

    app::Form1 form(
        {session, new playback::PlayerWidget(session), messages, fileManager, settingsFolder, {}});
    boxes.setParentWindow(&form);
    // Before start-up: a signal that comes while it runs waits for the event
    // loop, and then saves what start-up restored.
    app::QuitSignals quitSignals(form);
    form.Form_Load();
    // From here on the window holds settings that an exit must not lose.
    app::SaveOnExit saveOnExit(form, messages);
    app::DesktopLink desktop(form, session);
    app::FirstShow firstShow(form);
    // Once the user reaches for the painted window, the engine is made on a
    // thread of its own, so the first click does not wait for it; a window
    // waiting untouched for its alarm has it made just before the minute.
    app::FirstTouch firstTouch(form);
    QObject::connect(&firstShow, &app::FirstShow::settled, &firstTouch, &app::FirstTouch::watch);
    QObject::connect(&firstTouch, &app::FirstTouch::touched, &session,
                     &playback::PlaybackSession::preload);
    // The window never waits for the bus.
    QObject::connect(&firstShow, &app::FirstShow::settled, &desktop,
                     &app::DesktopLink::joinSessionBus);
    firstShow.show();

    return application.exec();
}
