#pragma once

#include "core/settings/SettingsFiles.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace chimebox::favourites {
class Favourites;
}

namespace chimebox::app {

// One step of start-up's restore, for the window to carry out in order. Each
// assigns its controls as a user's change would, so their handlers run nested
// inside it; a handler that fails ends that step alone.
struct RestoreStep
{
    enum class Action {
        ShowFavourites, // the favourites list shows favourites
        ShowStopTime,   // the stop timer's hour picker, then its minute picker, show time
        ShowPlayTime,   // the same for the play timer
        TickStopTimer,  // the stop timer's switch is ticked
        TickPlayTimer,  // the play timer's switch is ticked
        ShowFolder,     // the folder list, then the file list, show folder
        Failed,         // the setting could not be read; failure says why
    };

    Action action = Action::Failed;
    // The setting as the report names it, and the file it comes from.
    QString setting;
    settings::SettingsFile file = settings::SettingsFile::Favourites;
    QStringList favourites;
    settings::StoredTime time;
    QString folder;
    QString failure;
};

struct RestorePlan
{
    QList<RestoreStep> steps;
    // Appended to the pickers after the steps, leaving their texts as they are:
    // "00" to "23", and "00" to "50" in steps of ten.
    QStringList hours;
    QStringList minutes;
};

// Reads the settings in their fixed order: favourites (loaded into
// favourites), stop time, play time, stop switch, play switch, last folder,
// each only when its file is present. A setting that cannot be read becomes a
// failed step in its place. A last folder that no longer exists is no failure
// and makes no step: the lists stay where they started.
RestorePlan planRestore(const settings::SettingsFolder &folder, favourites::Favourites &favourites);

struct RestoreResult
{
    // A line for each setting that could not be restored, saying why.
    QStringList failures;
    // Files whose content did not reach the window: what the window shows at
    // exit must not replace them.
    QList<settings::SettingsFile> notRestored;

    // The step could not be read or carried out.
    void failed(const RestoreStep &step, const QString &why);
    // What the user is told once the window is up; empty when all was restored.
    QString report() const;
};

} // namespace chimebox::app
