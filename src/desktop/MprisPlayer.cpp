#include "desktop/MprisPlayer.h"

#include "base/Version.h"
#include "core/playback/Transport.h"
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

bool seekable(int state)
{
    return state == playback::Playing || state == playback::Paused;
}

} // namespace

MprisPlayer::MprisPlayer(Mpris &owner, playback::Transport &player,
                         std::function<bool()> playPending)
    : QDBusAbstractAdaptor(&owner), owner_(owner), player_(player),
      playPending_(std::move(playPending))
{
    using playback::Transport;
    connect(&player_, &Transport::StatusChange, this, &MprisPlayer::announceChanges);
    connect(&player_, &Transport::currentNameChanged, this, &MprisPlayer::announceChanges);
    connect(&player_, &Transport::durationChanged, this, &MprisPlayer::announceChanges);
    connect(&player_, &Transport::volumeChanged, this, &MprisPlayer::announceChanges);
    announceChanges();
}

QString MprisPlayer::playbackStatus() const
{
    switch (player_.playState()) {
    case playback::Playing:
    case playback::Transitioning:
        return QStringLiteral("Playing");
    case playback::Paused:
        return QStringLiteral("Paused");
    default:
        // Between two files of continuous play, or a click and the tick.
        return playPending_() ? QStringLiteral("Playing") : QStringLiteral("Stopped");
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
    const QString name = player_.currentName();
    if (name.isEmpty())
        return {{QStringLiteral("mpris:trackid"),
                 QVariant::fromValue(QDBusObjectPath(
                     QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")))}};
    QVariantMap data{{QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId())},
                     {QStringLiteral("xesam:title"), name}};
    // The chime plays from a file of the player's own, not from the URL.
    const QFileInfo file(player_.URL());
    if (file.fileName() == name)
        data.insert(QStringLiteral("xesam:url"),
                    QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded));
    if (player_.duration() > 0)
        data.insert(QStringLiteral("mpris:length"), microseconds(player_.duration()));
    return data;
}

double MprisPlayer::volume() const
{
    return player_.volume() / 100.0;
}

void MprisPlayer::setVolume(double volume)
{
    player_.setVolume(int(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

qlonglong MprisPlayer::position() const
{
    return microseconds(player_.position());
}

// As the player bar's menu: play what is paused or was played last.
void MprisPlayer::Play()
{
    if (player_.playState() != playback::Playing)
        player_.play();
}

void MprisPlayer::Pause()
{
    if (player_.playState() == playback::Playing)
        player_.pause();
}

// As the bar's play/pause button, which needs something to play.
void MprisPlayer::PlayPause()
{
    if (seekable(player_.playState()) || !player_.currentName().isEmpty())
        player_.togglePause();
}

void MprisPlayer::Stop()
{
    Q_EMIT owner_.stopRequested();
}

void MprisPlayer::Seek(qlonglong Offset)
{
    const qlonglong target = std::max<qlonglong>(0, position() + Offset);
    // Past the end would be the next track, and there is none.
    if (target > microseconds(player_.duration()))
        return;
    seekTo(target);
}

void MprisPlayer::SetPosition(const QDBusObjectPath &TrackId, qlonglong Position)
{
    // A request about a file that has since changed is stale.
    if (TrackId != trackId() || Position < 0 || Position > microseconds(player_.duration()))
        return;
    seekTo(Position);
}

void MprisPlayer::seekTo(qlonglong microseconds)
{
    // The bar's position slider is enabled only then.
    if (!seekable(player_.playState()))
        return;
    player_.seek(double(microseconds) / kMicroseconds);
    Q_EMIT Seeked(microseconds);
}

void MprisPlayer::announceChanges()
{
    const QString track = player_.URL() + u'\n' + player_.currentName();
    if (track != track_) {
        track_ = track;
        ++trackNumber_;
    }
    const QVariantMap now{{QStringLiteral("PlaybackStatus"), playbackStatus()},
                          {QStringLiteral("Metadata"), metadata()},
                          {QStringLiteral("Volume"), volume()}};
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
