#include "desktop/MprisPlayer.h"

#include "base/Version.h"
#include "core/playback/PlaybackSession.h"
#include "desktop/Mpris.h"

#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace chimebox::desktop {

namespace {

constexpr double kMicroseconds = 1e6;

qlonglong microseconds(double seconds)
{
    return std::llround(seconds * kMicroseconds);
}

} // namespace

MprisPlayer::MprisPlayer(Mpris &owner, playback::PlaybackSession &session)
    : QDBusAbstractAdaptor(&owner), owner_(owner), session_(session)
{
    using playback::Transport;
    const Transport *player = &session_.player();
    connect(player, &Transport::StatusChange, this, &MprisPlayer::announceChanges);
    connect(player, &Transport::currentNameChanged, this, &MprisPlayer::announceChanges);
    connect(player, &Transport::durationChanged, this, &MprisPlayer::announceChanges);
    connect(player, &Transport::volumeChanged, this, &MprisPlayer::announceChanges);
    connect(player, &Transport::muteChanged, this, &MprisPlayer::announceChanges);
    announceChanges();
}

QString MprisPlayer::playbackStatus() const
{
    switch (session_.player().playState()) {
    case playback::Playing:
    case playback::Transitioning:
        return QStringLiteral("Playing");
    case playback::Paused:
        return QStringLiteral("Paused");
    default:
        // Between two files of continuous play, or a click and the tick.
        return playback::playPending(session_.autoPlayState()) ? QStringLiteral("Playing")
                                                               : QStringLiteral("Stopped");
    }
}

QDBusObjectPath MprisPlayer::trackId() const
{
    QString path = u'/' + version::applicationId();
    path.replace(u'.', u'/');
    return QDBusObjectPath(path + QStringLiteral("/track/") + QString::number(trackNumber_));
}

QVariantMap MprisPlayer::metadata() const
{
    const playback::Transport &player = session_.player();
    const QString name = player.currentName();
    if (name.isEmpty())
        return {{QStringLiteral("mpris:trackid"),
                 QVariant::fromValue(QDBusObjectPath(
                     QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")))}};
    QVariantMap data{{QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId())},
                     {QStringLiteral("xesam:title"), name}};
    // The chime plays from a file of the player's own, not from the URL.
    const QFileInfo file(player.URL());
    if (file.fileName() == name)
        data.insert(QStringLiteral("xesam:url"),
                    QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded));
    if (player.duration() > 0)
        data.insert(QStringLiteral("mpris:length"), microseconds(player.duration()));
    return data;
}

// What is heard: nothing while the bar is muted.
double MprisPlayer::volume() const
{
    const playback::Transport &player = session_.player();
    return player.isMuted() ? 0.0 : player.volume() / 100.0;
}

void MprisPlayer::setVolume(double volume)
{
    const int percent = int(std::lround(std::clamp(volume, 0.0, 1.0) * 100));
    session_.setVolume(percent);
    // A volume asked for is one to be heard.
    if (percent > 0 && session_.player().isMuted())
        session_.setMute(false);
}

qlonglong MprisPlayer::position() const
{
    return microseconds(session_.player().position());
}

bool MprisPlayer::canPlay() const
{
    return session_.abilities().loaded;
}

bool MprisPlayer::canPause() const
{
    return session_.abilities().loaded;
}

bool MprisPlayer::canSeek() const
{
    return session_.abilities().seek;
}

// As the player bar's menu: play what is paused or was played last.
void MprisPlayer::Play()
{
    session_.play();
}

void MprisPlayer::Pause()
{
    session_.pause();
}

void MprisPlayer::PlayPause()
{
    session_.togglePause();
}

void MprisPlayer::Stop()
{
    session_.stop();
}

void MprisPlayer::Seek(qlonglong Offset)
{
    const qlonglong target = std::max<qlonglong>(0, position() + Offset);
    // Past the end would be the next track, and there is none.
    if (target > microseconds(session_.player().duration()))
        return;
    seekTo(target);
}

void MprisPlayer::SetPosition(const QDBusObjectPath &TrackId, qlonglong Position)
{
    // A request about a file that has since changed is stale.
    if (TrackId != trackId() || Position < 0 ||
        Position > microseconds(session_.player().duration()))
        return;
    seekTo(Position);
}

void MprisPlayer::seekTo(qlonglong microseconds)
{
    // The bar's position slider is enabled only then.
    if (!canSeek())
        return;
    session_.seek(double(microseconds) / kMicroseconds);
    Q_EMIT Seeked(microseconds);
}

void MprisPlayer::announceChanges()
{
    const playback::Transport &player = session_.player();
    const QString track = player.URL() + u'\n' + player.currentName();
    if (track != track_) {
        track_ = track;
        ++trackNumber_;
    }
    const QVariantMap now{{QStringLiteral("PlaybackStatus"), playbackStatus()},
                          {QStringLiteral("Metadata"), metadata()},
                          {QStringLiteral("Volume"), volume()},
                          {QStringLiteral("CanPlay"), canPlay()},
                          {QStringLiteral("CanPause"), canPause()},
                          {QStringLiteral("CanSeek"), canSeek()}};
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (announced_.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    announced_ = now;
    if (!changed.isEmpty())
        owner_.propertiesChanged(QStringLiteral("org.mpris.MediaPlayer2.Player"), changed);
}

} // namespace chimebox::desktop
