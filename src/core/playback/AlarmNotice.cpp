#include "core/playback/AlarmNotice.h"

#include "core/playback/PlaybackFailures.h"

#include <QStringList>

namespace chimebox::playback {

namespace {

QString clock(QTime minute)
{
    return minute.toString(QStringLiteral("HH:mm"));
}

QString chimeLine(ChimeReason reason)
{
    switch (reason) {
    case ChimeReason::FolderMissing:
        return QStringLiteral("フォルダが見つからないため、チャイムを鳴らしています");
    case ChimeReason::FolderUnreadable:
        return QStringLiteral("フォルダを読めないため、チャイムを鳴らしています");
    case ChimeReason::NoFiles:
        return QStringLiteral("フォルダに再生できるファイルがないため、チャイムを鳴らしています");
    case ChimeReason::NothingPlays:
        return QStringLiteral("どのファイルも再生できないため、チャイムを鳴らしています");
    }
    return {};
}

QString outputLine(const OutputHold &hold)
{
    if (hold.unmuted() && hold.raised())
        return QStringLiteral("出力のミュートを解除し、音量を %1% に上げました")
            .arg(kOutputRaisedPercent);
    if (hold.unmuted())
        return QStringLiteral("出力のミュートを解除しました");
    if (hold.raised())
        return QStringLiteral("出力の音量を %1% に上げました").arg(kOutputRaisedPercent);
    return {};
}

} // namespace

AlarmNotice ringingNotice(const AlarmRun &alarm)
{
    QString summary = QStringLiteral("%1 のアラーム").arg(clock(alarm.minute));
    if (alarm.snoozed)
        summary += QStringLiteral("（スヌーズ）");
    if (alarm.outcome == AlarmOutcome::CaughtUp)
        summary += QStringLiteral("（%1 分遅れ）").arg(alarm.minutesLate);
    QStringList lines;
    if (alarm.chime)
        lines.append(chimeLine(*alarm.chime));
    else
        lines.append(alarm.file.isEmpty() ? QStringLiteral("チャイム") : alarm.file);
    if (alarm.output) {
        if (const QString line = outputLine(*alarm.output); !line.isEmpty())
            lines.append(line);
    }
    return {summary, lines.join(u'\n'), true};
}

AlarmNotice silentNotice(AlarmOutcome outcome, QTime minute, int minutesLate)
{
    const QString summary = QStringLiteral("%1 のアラームは鳴りませんでした").arg(clock(minute));
    if (outcome == AlarmOutcome::CouldNotSound)
        return {summary,
                QStringLiteral("音声を出力できないまま %1 分過ぎました。").arg(kOutputRetryMinutes),
                false};
    return {summary,
            QStringLiteral("スリープなどで止まっている間に %1 分過ぎていました。").arg(minutesLate),
            false};
}

QString silentMessage(const AlarmNotice &notice)
{
    return notice.summary + u'。' + notice.body;
}

} // namespace chimebox::playback
