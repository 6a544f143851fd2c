#pragma once

#include "core/playback/PlaybackSession.h"
#include "core/scheduler/TimerSettings.h"
#include "core/settings/SettingsFiles.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeOutput.h"
#include "fakes/FakePlayer.h"
#include "support/AutoPlayName.h"
#include "support/Files.h"

#include <QObject>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

// The player with its reads written to a log shared with the clock's, so the
// order of reads across them can be checked.
struct LoggingPlayer : FakePlayer
{
    QStringList *log = nullptr;
    std::function<void()> onStateRead;
    int playState() const override
    {
        if (log)
            log->append(QStringLiteral("state"));
        if (onStateRead)
            onStateRead();
        return FakePlayer::playState();
    }
};

// A playback session over a fresh settings folder, a fake clock, player and
// output, showing /music with its second file current, wired to the player
// the way the window wires it.
struct SessionRig
{
    using AutoPlay = chimebox::playback::AutoPlay;
    using SettingsFile = chimebox::settings::SettingsFile;

    QTemporaryDir dir;
    chimebox::settings::SettingsFolder folder{dir.path()};
    FakeClock clock{QDate(2024, 3, 1), QTime(7, 0)};
    LoggingPlayer player;
    FakeOutput output;
    chimebox::playback::PlaybackSession session{player, clock, folder, &output};
    chimebox::scheduler::TimerSettings timerSettings{folder};
    QStringList reported;
    QList<chimebox::playback::AlarmNotice> notices;
    int withdrawn = 0;
    int stopPresses = 0;

    SessionRig()
    {
        using chimebox::playback::MediaPlayer;
        using chimebox::playback::PlaybackSession;
        QObject::connect(&player, &MediaPlayer::StatusChange, &session,
                         &PlaybackSession::statusChanged);
        QObject::connect(&player, &MediaPlayer::playbackFailed, &session,
                         &PlaybackSession::playbackFailed);
        QObject::connect(&session, &PlaybackSession::message, &session,
                         [this](const QString &text) { reported.append(text); });
        QObject::connect(&session, &PlaybackSession::noticeShown, &session,
                         [this](const chimebox::playback::AlarmNotice &n) { notices.append(n); });
        QObject::connect(&session, &PlaybackSession::noticeWithdrawn, &session,
                         [this] { ++withdrawn; });
        session.showFolder(QStringLiteral("/music"), {"a.mp3", "b.mp3"});
        session.select(1);
        // As once start-up has ended.
        timerSettings.markFormLoaded();
    }

    AutoPlay state() const { return session.autoPlayState(); }
    // The play timer's check box, as the window carries it out.
    void switchPlayTimer(int value)
    {
        session.playTimerChanged(timerSettings.switchPlayTimer(value));
    }
    void savePlayTime(const QString &hour, const QString &minute)
    {
        session.playTimerChanged(timerSettings.savePlayTime(hour, minute));
    }
    QString lastAlarmDate() const { return session.lastAlarmDate().text(); }

    chimebox::playback::TickResult run()
    {
        chimebox::playback::TickResult result = session.tick();
        stopPresses += result.stopPressed ? 1 : 0;
        return result;
    }

    // Brings the session to a state the way the program gets there, then
    // forgets what the player was asked on the way.
    void reach(AutoPlay wanted)
    {
        using chimebox::playback::PlayState;
        const int before = player.playState();
        switch (wanted) {
        case AutoPlay::Idle:
            break;
        case AutoPlay::Ended:
            player.setPlayState(PlayState::MediaEnded);
            break;
        case AutoPlay::Transitioning:
            player.setPlayState(PlayState::MediaEnded);
            player.setPlayState(PlayState::Transitioning);
            break;
        case AutoPlay::Requested:
            session.requestPlay();
            break;
        case AutoPlay::Stopped:
            session.stop();
            break;
        }
        QCOMPARE(state(), wanted);
        player.putPlayState(before);
        player.calls.clear();
        player.urls.clear();
        player.stopCount = 0;
    }

    void put(SettingsFile file, const QByteArray &content, testfiles::Caller caller = {}) const
    {
        testfiles::writeFile(folder.path(file), content, caller);
    }
    void stopAt(const QByteArray &stored)
    {
        put(SettingsFile::StopMarker, "\r\n");
        put(SettingsFile::StopTime, stored);
    }
    void playAt(const QByteArray &stored)
    {
        put(SettingsFile::PlayMarker, "\r\n");
        put(SettingsFile::PlayTime, stored);
    }
    // One tick at each second from..to inclusive; how many fired the alarm.
    int sweep(QTime from, QTime to)
    {
        int alarms = 0;
        for (QTime t = from; t <= to; t = t.addSecs(1)) {
            clock.set(t);
            alarms += run().alarmFired() ? 1 : 0;
        }
        return alarms;
    }
};
