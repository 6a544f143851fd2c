#include "core/playback/AlarmNotice.h"

#include "core/playback/PlaybackFailures.h"

namespace chimebox::playback {

std::optional<AlarmNotice> alarmNotice(const TickResult &tick)
{
    const QString time = tick.alarmTime.toString(QStringLiteral("HH:mm"));
    const QString silent = QStringLiteral("%1 のアラームは鳴りませんでした").arg(time);
    switch (tick.alarm) {
    case AlarmOutcome::None:
        return std::nullopt;
    case AlarmOutcome::OnTime:
    case AlarmOutcome::CaughtUp: {
        QString summary = QStringLiteral("%1 のアラーム").arg(time);
        if (tick.alarm == AlarmOutcome::CaughtUp)
            summary += QStringLiteral("（%1 分遅れ）").arg(tick.minutesLate);
        // A folder without files sounds the player's chime.
        const QString body = tick.fileName.isEmpty() ? QStringLiteral("チャイム") : tick.fileName;
        return AlarmNotice{summary, body, true};
    }
    case AlarmOutcome::Missed:
        return AlarmNotice{silent,
                           QStringLiteral("スリープなどで止まっている間に %1 分過ぎていました。")
                               .arg(tick.minutesLate),
                           false};
    case AlarmOutcome::CouldNotSound:
        return AlarmNotice{
            silent,
            QStringLiteral("音声を出力できないまま %1 分過ぎました。").arg(kOutputRetryMinutes),
            false};
    }
    return std::nullopt;
}

} // namespace chimebox::playback
