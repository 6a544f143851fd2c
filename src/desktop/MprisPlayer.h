#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QString>
#include <QVariantMap>

namespace chimebox::playback {
class PlaybackSession;
}

namespace chimebox::desktop {

class Mpris;

// org.mpris.MediaPlayer2.Player: the player bar's controls on the bus, each a
// wish to the playback session as the bar's are; Stop is the window's stop
// button. There is one file at a time and no list to move in.
class MprisPlayer : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double Rate READ rate CONSTANT)
    Q_PROPERTY(double MinimumRate READ rate CONSTANT)
    Q_PROPERTY(double MaximumRate READ rate CONSTANT)
    Q_PROPERTY(bool CanGoNext READ no CONSTANT)
    Q_PROPERTY(bool CanGoPrevious READ no CONSTANT)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ yes CONSTANT)

public:
    MprisPlayer(Mpris &owner, playback::PlaybackSession &session);

    QString playbackStatus() const;
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double volume);
    qlonglong position() const;
    // Something is loaded that Play or PlayPause can start or pause; a
    // position to seek in.
    bool canPlay() const;
    bool canPause() const;
    bool canSeek() const;
    double rate() const { return 1.0; }
    bool yes() const { return true; }
    bool no() const { return false; }

public Q_SLOTS:
    void Next() {}
    void Previous() {}
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath &TrackId, qlonglong Position);
    // Files are chosen in the window's list.
    void OpenUri(const QString &) {}

Q_SIGNALS:
    void Seeked(qlonglong Position);

private:
    void announceChanges();
    QDBusObjectPath trackId() const;
    void seekTo(qlonglong microseconds);

    Mpris &owner_;
    playback::PlaybackSession &session_;
    // A new file, or the same file after another, is a new track.
    QString track_;
    int trackNumber_ = 0;
    QVariantMap announced_;
};

} // namespace chimebox::desktop
