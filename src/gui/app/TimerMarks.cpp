#include "gui/app/TimerMarks.h"

#include "core/playback/PlaybackSession.h"
#include "core/scheduler/AlarmTime.h"
#include "gui/app/FormControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPalette>
#include <optional>

namespace chimebox::app {

namespace {

using Severity = playback::AlarmCheck::Severity;

// The pickers of a timer that will not do what they show are tinted, red for
// a timer that will not work, amber for what the alarm will put right as it
// rings, and their tooltip says why; size and place stay as they are. A
// palette that sets no role gives the window's own back.
void markPickers(QComboBox &hour, QComboBox &minute, Severity severity, const QString &why)
{
    QPalette palette;
    if (severity != Severity::Fine) {
        const bool problem = severity == Severity::Problem;
        const QColor tint = problem ? QColor(0xff, 0xc7, 0xce) : QColor(0xff, 0xeb, 0x9c);
        palette.setColor(QPalette::Base, tint);
        palette.setColor(QPalette::Button, tint);
        palette.setColor(QPalette::Text,
                         problem ? QColor(0x9c, 0x00, 0x06) : QColor(0x5c, 0x40, 0x00));
    }
    for (QComboBox *picker : {&hour, &minute}) {
        picker->setPalette(palette);
        picker->setToolTip(why);
    }
}

std::optional<QTime> minuteOf(const QComboBox &hour, const QComboBox &minute)
{
    return scheduler::minuteOf(settings::parseTime(hour.currentText() + minute.currentText()));
}

} // namespace

playback::AlarmCheck markTimers(FormControls &ui, playback::PlaybackSession &session)
{
    const bool stopOn = FormControls::checkValue(*ui.Check1) == 1;
    const QString stopNever =
        stopOn ? scheduler::whyItNeverMatches(scheduler::Timer::Stop, ui.Combo1->currentText(),
                                              ui.Combo2->currentText())
               : QString();
    markPickers(*ui.Combo1, *ui.Combo2, stopNever.isEmpty() ? Severity::Fine : Severity::Problem,
                stopNever);

    playback::AlarmCheck check;
    if (FormControls::checkValue(*ui.Check2) == 1) {
        session.watchOutput();
        playback::AlarmOutlook outlook = session.outlook();
        outlook.neverRings = scheduler::whyItNeverMatches(
            scheduler::Timer::Play, ui.Combo3->currentText(), ui.Combo4->currentText());
        const std::optional<QTime> minute = minuteOf(*ui.Combo3, *ui.Combo4);
        outlook.minute = minute.value_or(QTime());
        outlook.stoppedAtOnce = stopOn && minute && minute == minuteOf(*ui.Combo1, *ui.Combo2);
        check = playback::checkAlarm(outlook);
    }
    markPickers(*ui.Combo3, *ui.Combo4, check.severity, check.text());
    return check;
}

} // namespace chimebox::app
