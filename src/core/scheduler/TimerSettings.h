#pragma once

#include "settings/SettingsFiles.h"

#include <QString>

// The timer settings as the check boxes and time pickers write them. Nothing
// is kept in memory: the tick reads the files afresh every second. Failures to
// write or delete throw chimebox::Failure and skip the rest of the operation.
namespace chimebox::scheduler {

// Check1_Click (stop marker) and the file half of Check2_Click (play marker):
// value 1 writes the marker with empty text; any other value, the greyed 2
// included, deletes it when it is present.
void switchMarker(const settings::SettingsFolder &folder, settings::SettingsFile marker, int value);

// Check2_Click: the play marker switch, then the play timer is armed again for
// today by emptying lastAlarmDate.
void switchPlayMarker(const settings::SettingsFolder &folder, int value, QString &lastAlarmDate);

// The change and click handlers of Combo1 and Combo2: once start-up has ended,
// the hour text directly followed by the minute text, nothing trimmed.
void saveStopTime(const settings::SettingsFolder &folder, bool formLoaded, const QString &hour,
                  const QString &minute);

// The change and click handlers of Combo3 and Combo4: saved as the stop time
// is, then lastAlarmDate is emptied even before start-up has ended.
void savePlayTime(const settings::SettingsFolder &folder, bool formLoaded, const QString &hour,
                  const QString &minute, QString &lastAlarmDate);

} // namespace chimebox::scheduler
