#pragma once

#include "core/settings/SettingsFiles.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace chimebox::favourites {
class Favourites;
}

namespace chimebox::app {

// The controls start-up restores into. Each call assigns its controls as a
// user's change would, so their own handlers run nested inside it; a handler
// that fails throws out of the call.
class RestoreTarget
{
public:
    virtual ~RestoreTarget() = default;
    virtual void addFavourites(const QStringList &folders) = 0;
    // The hour picker, then the minute picker.
    virtual void showStopTime(const settings::StoredTime &time) = 0;
    virtual void showPlayTime(const settings::StoredTime &time) = 0;
    virtual void tickStopTimer() = 0;
    virtual void tickPlayTimer() = 0;
    // The folder list, then the file list.
    virtual void openFolder(const QString &folder) = 0;
    // Appending items leaves the pickers' texts as they are.
    virtual void fillPickers(const QStringList &hours, const QStringList &minutes) = 0;
};

struct RestoreResult
{
    // A line for each setting that could not be restored, saying why.
    QStringList failures;
    // Files whose content did not reach the window: what the window shows at
    // exit must not replace them.
    QList<settings::SettingsFile> notRestored;
};

// Restores the settings in their fixed order: favourites (loaded into
// favourites, then shown), stop time, play time, stop switch, play switch,
// last folder, each only when its file is present; then fills the pickers. Each step stands alone:
// a failure ends only its own step. A last folder that no longer exists is no failure: the lists
// stay where they started.
RestoreResult restoreSettings(const settings::SettingsFolder &folder,
                              favourites::Favourites &favourites, RestoreTarget &target);

// The pickers' items: "00" to "23", and "00" to "50" in steps of ten.
QStringList hourItems();
QStringList minuteItems();

} // namespace chimebox::app
