#pragma once

#include "core/playback/Transport.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <utility>

// A player that plays nothing: it records what it is asked, reports the
// playState it is given, and raises its signals when a test says so.
class FakePlayer : public chimebox::playback::Transport
{
public:
    using PlayState = chimebox::playback::PlayState;

    // Every call in order: "url:<text>", "stop", "chime", and from the
    // transport bar "play", "pause", "togglePause", "seek:<seconds>".
    QStringList calls;
    QStringList urls;
    int stopCount = 0;
    int chimeCount = 0;
    mutable int playStateReads = 0;
    // A URL or the chime moves to Playing (announced), as the real player does.
    bool startsPlaying = true;
    // The file prepared to follow the current one, and every one prepared;
    // kept apart from calls, which they would crowd.
    QString prepared;
    QStringList prepares;
    int preloads = 0;
    // At the end of a file the prepared one follows, as the real player does;
    // off, the end is only announced.
    bool followsPrepared = false;

    void setURL(const QString &url) override
    {
        prepared.clear();
        url_ = url;
        urls.append(url);
        calls.append(QStringLiteral("url:") + url);
        Q_EMIT currentNameChanged(currentName());
        if (startsPlaying)
            setPlayState(PlayState::Playing);
    }
    QString URL() const override { return url_; }

    // The next reads return the scripted values one by one, then the state.
    int playState() const override
    {
        ++playStateReads;
        if (!script_.isEmpty())
            return script_.takeFirst();
        return state_;
    }

    void stop() override
    {
        prepared.clear();
        ++stopCount;
        calls.append(QStringLiteral("stop"));
        if (state_ != PlayState::Stopped && state_ != PlayState::Undefined)
            setPlayState(PlayState::Stopped);
    }

    void playChime() override
    {
        prepared.clear();
        ++chimeCount;
        calls.append(QStringLiteral("chime"));
        if (startsPlaying)
            setPlayState(PlayState::Playing);
    }

    void play() override { calls.append(QStringLiteral("play")); }
    void pause() override { calls.append(QStringLiteral("pause")); }
    void togglePause() override { calls.append(QStringLiteral("togglePause")); }
    void seek(double seconds) override { calls.append(QStringLiteral("seek:%1").arg(seconds)); }
    // Volume and mute are taken and announced as the real player does.
    void setVolume(int volume) override
    {
        volume = std::clamp(volume, 0, 100);
        if (std::exchange(volume_, volume) != volume)
            Q_EMIT volumeChanged(volume);
    }
    void setMute(bool muted) override
    {
        if (std::exchange(muted_, muted) != muted)
            Q_EMIT muteChanged(muted);
    }
    void prepareNext(const QString &url) override
    {
        prepared = url;
        prepares.append(url);
    }
    void dropPrepared() override { prepared.clear(); }
    void preload() override { ++preloads; }
    double position() const override { return position_; }
    double duration() const override { return duration_; }
    int volume() const override { return volume_; }
    bool isMuted() const override { return muted_; }
    // The file's name, as the real player shows it once given a URL.
    QString currentName() const override { return url_.section(u'/', -1); }

    void setTimes(double position, double duration)
    {
        position_ = position;
        duration_ = duration;
        Q_EMIT durationChanged(duration);
    }

    // Sets the state without reading it back and announces the change.
    void setPlayState(int state)
    {
        state_ = state;
        Q_EMIT StatusChange();
    }
    // Sets the state silently (a player found in that state).
    void putPlayState(int state) { state_ = state; }
    void scriptPlayStates(const QList<int> &reads) { script_ = reads; }

    // The end of a file, announced as the real player does: 8, 9, then 1;
    // then, if it follows one, the prepared file plays.
    void finishFile()
    {
        setPlayState(PlayState::MediaEnded);
        setPlayState(PlayState::Transitioning);
        setPlayState(PlayState::Stopped);
        if (followsPrepared && !prepared.isEmpty()) {
            url_ = std::exchange(prepared, QString());
            Q_EMIT currentNameChanged(currentName());
            setPlayState(PlayState::Playing);
        }
    }

    void fail(const QString &reason = QStringLiteral("再生できません"), bool outputFailed = false)
    {
        state_ = PlayState::Stopped;
        Q_EMIT playbackFailed(reason, outputFailed);
    }

private:
    QString url_;
    int state_ = PlayState::Undefined;
    double position_ = 0;
    double duration_ = 0;
    int volume_ = 50;
    bool muted_ = false;
    mutable QList<int> script_;
};
