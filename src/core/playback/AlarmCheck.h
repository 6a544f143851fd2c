#pragma once

#include "core/playback/AlarmNotice.h"
#include "core/playback/AudioOutput.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>
#include <optional>

namespace chimebox::playback {

// What the alarm would meet if it rang now, as the playback session and the
// timer's pickers tell it; read without opening any file to decode it.
struct AlarmOutlook
{
    // The play timer's pickers, and whether its minute can ever come round
    // (empty when it can; else why not, in the user's words).
    QTime minute;
    QString neverRings;
    // The stop timer is on at that same minute.
    bool stoppedAtOnce = false;

    // The folder shown and the file the alarm would start: the current one,
    // else the folder's first; empty when there is none.
    bool folderExists = true;
    bool folderReadable = true;
    QString file;
    bool fileReadable = true;

    OutputState output;
    bool barMuted = false;
    int barVolume = 100;
    // A snoozed alarm rings again then.
    std::optional<QDateTime> snoozedUntil;
};

// The findings, each a line that says what is wrong and what will happen.
struct AlarmCheck
{
    enum class Severity {
        Fine,    // nothing to say, or only news (a snooze, an output not yet heard from)
        Caution, // the alarm will put it right when it rings, or it cannot be known
        Problem, // it will not ring, or not be heard
    };
    enum class Finding {
        NeverRings,
        StoppedAtOnce,
        NoFolder,
        FolderUnreadable,
        NoFile,
        FileUnreadable,
        NoSoundServer,
        NoOutput,
        LevelUnknown,
        OutputNotYetKnown,
        OutputMuted,
        OutputQuiet,
        BarMuted,
        BarQuiet,
        Snoozed,
    };

    // The play timer's minute, when it has one.
    QTime minute;
    Severity severity = Severity::Fine;
    QList<Finding> findings;
    QStringList lines;

    // The findings the alarm cannot put right at its minute: worth a word to
    // the desktop as soon as they appear.
    QList<Finding> unmendable() const;
    // The tooltip: what will happen, one finding a line.
    QString text() const { return lines.join(u'\n'); }
};

AlarmCheck checkAlarm(const AlarmOutlook &outlook);

// Tells the desktop once about each problem the alarm cannot put right,
// when it first appears while the play timer is on.
class AlarmWatch
{
public:
    // The notice for the problems that are new since the last check; none
    // when there are none. A timer switched off forgets what was said.
    std::optional<AlarmNotice> update(bool timerOn, const AlarmCheck &check);

private:
    QList<AlarmCheck::Finding> told_;
};

} // namespace chimebox::playback
