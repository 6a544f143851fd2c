#include "EnginePlayer.h"
#include "MpvController.h"
#include "app/Form1.h"
#include "app/QtMessageSink.h"
#include "app/QuitSignals.h"
#include "browse/FileManager.h"
#include "playback/PlayerWidget.h"
#include "scheduler/Clock.h"
#include "settings/SettingsLocation.h"

#include <QApplication>

using namespace chimebox;

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("chimebox"));

    playback::MpvController engine;
    playback::EnginePlayer player(engine);
    scheduler::SystemClock clock;
    app::QtMessageSink messages;
    browse::DesktopFileManager fileManager;

    app::Form1 form({player,
                     new playback::PlayerWidget(player),
                     clock,
                     messages,
                     fileManager,
                     settings::settingsFolderForThisProcess(),
                     {}});
    messages.setParentWindow(&form);
    // Before start-up: a signal that comes while it runs waits for the event
    // loop, and then saves what start-up restored.
    app::QuitSignals quitSignals(form);
    form.Form_Load();
    form.show();

    return application.exec();
}
