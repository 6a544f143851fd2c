#include "core/playback/AlarmCheck.h"

#include "core/playback/Alarm.h"

#include <algorithm>

namespace chimebox::playback {

namespace {

using Finding = AlarmCheck::Finding;
using Severity = AlarmCheck::Severity;

// Put right by the alarm as it rings, or not known either way.
bool caution(Finding finding)
{
    switch (finding) {
    case Finding::LevelUnknown:
    case Finding::OutputMuted:
    case Finding::OutputQuiet:
    case Finding::BarMuted:
    case Finding::BarQuiet:
        return true;
    default:
        return false;
    }
}

bool newsOnly(Finding finding)
{
    return finding == Finding::Snoozed || finding == Finding::OutputNotYetKnown;
}

// Told to the desktop: what leaves the alarm silent, or only a chime.
bool worthANotice(Finding finding)
{
    switch (finding) {
    case Finding::NoFolder:
    case Finding::FolderUnreadable:
    case Finding::NoFile:
    case Finding::NoSoundServer:
    case Finding::NoOutput:
        return true;
    default:
        return false;
    }
}

class Findings
{
public:
    explicit Findings(AlarmCheck &check) : check_(check) {}

    void add(Finding finding, const QString &line)
    {
        check_.findings.append(finding);
        check_.lines.append(line);
        const Severity severity = newsOnly(finding)  ? Severity::Fine
                                  : caution(finding) ? Severity::Caution
                                                     : Severity::Problem;
        check_.severity = std::max(check_.severity, severity);
    }

private:
    AlarmCheck &check_;
};

void checkSound(Findings &findings, const AlarmOutlook &outlook)
{
    const OutputState &output = outlook.output;
    switch (output.server) {
    case OutputState::Server::Connecting:
        findings.add(Finding::OutputNotYetKnown, QStringLiteral("出力の状態を確かめています。"));
        break;
    case OutputState::Server::Absent:
        findings.add(
            Finding::LevelUnknown,
            QStringLiteral("出力の音量を確かめられません（サウンドサーバーがありません）。"));
        break;
    case OutputState::Server::Lost:
        findings.add(Finding::NoSoundServer,
                     QStringLiteral("サウンドサーバーが応答しません。このままでは鳴りません。"));
        break;
    case OutputState::Server::NoOutput:
        findings.add(Finding::NoOutput,
                     QStringLiteral("音声の出力先がありません。このままでは鳴りません。"));
        break;
    case OutputState::Server::Ready:
        if (output.level.muted)
            findings.add(Finding::OutputMuted,
                         QStringLiteral("出力がミュートです。鳴るときに解除します。"));
        if (output.level.percent() < kOutputQuietPercent)
            findings.add(Finding::OutputQuiet,
                         QStringLiteral("出力の音量が %1% です。鳴るときに %2% に上げます。")
                             .arg(output.level.percent())
                             .arg(kOutputRaisedPercent));
        break;
    }
    if (outlook.barMuted)
        findings.add(Finding::BarMuted,
                     QStringLiteral("プレーヤーがミュートです。鳴るときに解除します。"));
    if (outlook.barVolume < kBarQuietPercent)
        findings.add(Finding::BarQuiet,
                     QStringLiteral("プレーヤーの音量が %1 です。鳴るときに %2 に上げます。")
                         .arg(outlook.barVolume)
                         .arg(kBarRaisedPercent));
}

} // namespace

QList<AlarmCheck::Finding> AlarmCheck::unmendable() const
{
    QList<Finding> found;
    std::copy_if(findings.cbegin(), findings.cend(), std::back_inserter(found), worthANotice);
    return found;
}

AlarmCheck checkAlarm(const AlarmOutlook &outlook)
{
    AlarmCheck check;
    check.minute = outlook.minute;
    Findings findings(check);
    if (!outlook.neverRings.isEmpty()) {
        // Nothing else matters for a time that never comes.
        findings.add(Finding::NeverRings, outlook.neverRings);
        return check;
    }
    if (outlook.stoppedAtOnce)
        findings.add(Finding::StoppedAtOnce,
                     QStringLiteral("停止タイマーと同じ時刻のため、鳴ってもすぐに止まります。"));
    const QString chime = QStringLiteral("鳴るときはチャイムを鳴らします。");
    if (!outlook.folderExists)
        findings.add(Finding::NoFolder, QStringLiteral("フォルダが見つかりません。") + chime);
    else if (!outlook.folderReadable)
        findings.add(Finding::FolderUnreadable, QStringLiteral("フォルダを読めません。") + chime);
    else if (outlook.file.isEmpty())
        findings.add(Finding::NoFile,
                     QStringLiteral("フォルダに再生できるファイルがありません。") + chime);
    else if (!outlook.fileReadable)
        findings.add(
            Finding::FileUnreadable,
            QStringLiteral("「%1」を読めません。鳴るときはチャイムのあと次のファイルに進みます。")
                .arg(outlook.file));
    checkSound(findings, outlook);
    if (outlook.snoozedUntil)
        findings.add(Finding::Snoozed, QStringLiteral("%1 にもう一度鳴ります。")
                                           .arg(outlook.snoozedUntil->toString(u"HH:mm")));
    return check;
}

std::optional<AlarmNotice> AlarmWatch::update(bool timerOn, const AlarmCheck &check)
{
    const QList<AlarmCheck::Finding> now = timerOn ? check.unmendable() : QList<Finding>();
    QStringList lines;
    for (qsizetype i = 0; i < check.findings.size(); ++i) {
        if (now.contains(check.findings[i]) && !told_.contains(check.findings[i]))
            lines.append(check.lines[i]);
    }
    // A problem that goes and comes back is news again.
    told_ = now;
    if (lines.isEmpty())
        return std::nullopt;
    return AlarmNotice{
        QStringLiteral("%1 のアラームを確かめてください").arg(check.minute.toString(u"HH:mm")),
        lines.join(u'\n'), false};
}

} // namespace chimebox::playback
