#pragma once

#include "base/Failure.h"
#include "base/NativeName.h"
#include "engine/PlaybackEngine.h"

#include <QStringList>

// An engine that plays nothing: it records the player's commands, numbers the
// files it is given as libmpv does, and tells its news when a test says so.
class FakeEngine : public chimebox::engine::PlaybackEngine
{
public:
    using EndReason = chimebox::engine::EndReason;

    // Every command in order: "preload", "start", "load:<path>|<title>",
    // "queue:<path>|<title>", "dropQueued", "stop", "pause:<0|1>",
    // "seek:<seconds>", "volume:<n>", "mute:<0|1>".
    QStringList calls;
    bool startFails = false;
    // Set: loadFile refuses every file with this error.
    QString refusal;
    qint64 lastEntryId = 0;

    void preload() override { calls.append(QStringLiteral("preload")); }
    void start() override
    {
        calls.append(QStringLiteral("start"));
        if (startFails)
            throw chimebox::Failure(QStringLiteral("再生エンジンを作成できません"));
    }
    chimebox::engine::LoadResult loadFile(const QByteArray &path, const QString &title) override
    {
        calls.append(QStringLiteral("load:%1|%2").arg(chimebox::nativename::decode(path), title));
        if (!refusal.isEmpty())
            return {-1, refusal};
        return {++lastEntryId, {}};
    }
    chimebox::engine::LoadResult queueFile(const QByteArray &path, const QString &title) override
    {
        calls.append(QStringLiteral("queue:%1|%2").arg(chimebox::nativename::decode(path), title));
        if (!refusal.isEmpty())
            return {-1, refusal};
        return {++lastEntryId, {}};
    }
    void dropQueued() override { calls.append(QStringLiteral("dropQueued")); }
    void stop() override { calls.append(QStringLiteral("stop")); }
    void setPause(bool paused) override { calls.append(QStringLiteral("pause:%1").arg(paused)); }
    void seek(double seconds) override { calls.append(QStringLiteral("seek:%1").arg(seconds)); }
    void setVolume(int volume) override { calls.append(QStringLiteral("volume:%1").arg(volume)); }
    void setMute(bool muted) override { calls.append(QStringLiteral("mute:%1").arg(muted)); }

    // The news of a file that opens and sounds: its position moves on.
    void opens(qint64 entryId)
    {
        Q_EMIT fileStarted(entryId);
        Q_EMIT fileLoaded();
        Q_EMIT positionChanged(0.02);
    }
    void ends(qint64 entryId, EndReason reason, const QString &error = {})
    {
        Q_EMIT fileEnded({entryId, reason, error});
    }
    // The engine quits on its own; a new one numbers its files afresh.
    void quits()
    {
        lastEntryId = 0;
        Q_EMIT shutDown();
    }
};
