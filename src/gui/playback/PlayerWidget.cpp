#include "gui/playback/PlayerWidget.h"

#include "core/playback/PlaybackSession.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace chimebox::playback {

namespace {

constexpr int kWidth = 425;
constexpr int kHeight = 45;
// The position bar counts tenths of a second.
constexpr int kTicksPerSecond = 10;

QString clockText(double seconds)
{
    const auto total = static_cast<long long>(std::max(0.0, std::floor(seconds)));
    const long long h = total / 3600;
    const long long m = total / 60 % 60;
    const long long s = total % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

QToolButton *makeButton(QWidget *parent, const char *objectName, const QString &toolTip)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(objectName));
    button->setToolTip(toolTip);
    // An icon alone gives a screen reader nothing to say.
    button->setAccessibleName(toolTip);
    button->setAutoRaise(true);
    button->setFixedSize(22, 20);
    button->setIconSize(QSize(14, 14));
    return button;
}

} // namespace

PlayerWidget::PlayerWidget(PlaybackSession &session, QWidget *parent)
    : QWidget(parent), session_(session), player_(session.player()),
      playPause_(makeButton(this, "playPauseButton", {})),
      // The window's "■" is 停止 too; this one stops the file alone.
      stop_(makeButton(this, "stopButton", QStringLiteral("再生停止"))),
      position_(new QSlider(Qt::Horizontal, this)), time_(new QLabel(this)),
      name_(new QLabel(this)), mute_(makeButton(this, "muteButton", QStringLiteral("ミュート"))),
      volume_(new QSlider(Qt::Horizontal, this))
{
    setFixedSize(kWidth, kHeight);

    stop_->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    mute_->setCheckable(true);
    position_->setObjectName(QStringLiteral("positionSlider"));
    position_->setRange(0, 0);
    position_->setAccessibleName(QStringLiteral("再生位置"));
    time_->setObjectName(QStringLiteral("timeLabel"));
    name_->setObjectName(QStringLiteral("nameLabel"));
    volume_->setObjectName(QStringLiteral("volumeSlider"));
    volume_->setRange(0, 100);
    volume_->setFixedWidth(90);
    volume_->setToolTip(QStringLiteral("音量"));
    volume_->setAccessibleName(volume_->toolTip());

    auto *transport = new QHBoxLayout;
    transport->setSpacing(2);
    transport->addWidget(playPause_);
    transport->addWidget(stop_);
    transport->addWidget(position_, 1);
    transport->addWidget(time_);
    auto *details = new QHBoxLayout;
    details->setSpacing(2);
    details->addWidget(name_, 1);
    details->addWidget(mute_);
    details->addWidget(volume_);
    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(2, 1, 2, 1);
    rows->setSpacing(1);
    rows->addLayout(transport);
    rows->addLayout(details);

    connect(playPause_, &QToolButton::clicked, &session_, &PlaybackSession::togglePause);
    connect(stop_, &QToolButton::clicked, &session_, &PlaybackSession::stop);
    connect(mute_, &QToolButton::toggled, &session_, &PlaybackSession::setMute);
    connect(volume_, &QSlider::valueChanged, &session_, &PlaybackSession::setVolume);
    // While the handle is held the bar shows where it would go; the seek
    // happens on release. Clicks beside the handle seek at once.
    connect(position_, &QSlider::sliderMoved, this, [this] { showTime(); });
    connect(position_, &QSlider::sliderReleased, this, &PlayerWidget::seekToSlider);
    connect(position_, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && !position_->isSliderDown())
            QMetaObject::invokeMethod(this, &PlayerWidget::seekToSlider, Qt::QueuedConnection);
    });

    connect(&player_, &Transport::StatusChange, this, &PlayerWidget::showState);
    connect(&player_, &Transport::positionChanged, this, &PlayerWidget::showPosition);
    connect(&player_, &Transport::durationChanged, this, &PlayerWidget::showDuration);
    connect(&player_, &Transport::currentNameChanged, this, &PlayerWidget::showName);
    connect(&player_, &Transport::muteChanged, this, &PlayerWidget::showMute);
    connect(&player_, &Transport::volumeChanged, this, [this](int volume) {
        const QSignalBlocker blocker(volume_);
        volume_->setValue(volume);
    });

    volume_->setValue(player_.volume());
    showMute(player_.isMuted());
    showDuration(player_.duration());
    showPosition(player_.position());
    showName();
    showState();
}

void PlayerWidget::showState()
{
    const Abilities can = session_.abilities();
    playPause_->setIcon(
        style()->standardIcon(can.pause ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    playPause_->setToolTip(can.pause ? QStringLiteral("一時停止") : QStringLiteral("再生"));
    playPause_->setAccessibleName(playPause_->toolTip());
    playPause_->setEnabled(can.loaded);
    stop_->setEnabled(can.stop);
    position_->setEnabled(can.seek);
}

void PlayerWidget::showPosition(double seconds)
{
    if (position_->isSliderDown())
        return;
    const QSignalBlocker blocker(position_);
    position_->setValue(static_cast<int>(std::lround(seconds * kTicksPerSecond)));
    showTime();
}

void PlayerWidget::showDuration(double seconds)
{
    const QSignalBlocker blocker(position_);
    position_->setRange(0, static_cast<int>(std::lround(seconds * kTicksPerSecond)));
    position_->setPageStep(std::max(1, position_->maximum() / 10));
    showTime();
}

void PlayerWidget::showTime()
{
    // The handle's place, which a drag moves before the value follows.
    time_->setText(clockText(double(position_->sliderPosition()) / kTicksPerSecond) +
                   QStringLiteral(" / ") +
                   clockText(double(position_->maximum()) / kTicksPerSecond));
}

void PlayerWidget::showName()
{
    const QString name = player_.currentName();
    name_->setToolTip(name);
    // Spoken whole, though shown shortened.
    name_->setAccessibleName(name);
    name_->setText(name_->fontMetrics().elidedText(name, Qt::ElideMiddle, name_->width()));
    showState();
}

void PlayerWidget::showMute(bool muted)
{
    const QSignalBlocker blocker(mute_);
    mute_->setChecked(muted);
    mute_->setIcon(
        style()->standardIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
}

void PlayerWidget::seekToSlider()
{
    session_.seek(double(position_->value()) / kTicksPerSecond);
    showTime();
}

void PlayerWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    showName();
}

void PlayerWidget::contextMenuEvent(QContextMenuEvent *event)
{
    const Abilities can = session_.abilities();
    QMenu menu(this);
    QAction *play = menu.addAction(QStringLiteral("再生"), &session_, &PlaybackSession::play);
    play->setEnabled(can.play);
    QAction *pause = menu.addAction(QStringLiteral("一時停止"), &session_, &PlaybackSession::pause);
    pause->setEnabled(can.pause);
    QAction *stop = menu.addAction(QStringLiteral("再生停止"), &session_, &PlaybackSession::stop);
    stop->setEnabled(can.stop);
    menu.addSeparator();
    QAction *mute =
        menu.addAction(QStringLiteral("ミュート"), &session_, &PlaybackSession::setMute);
    mute->setCheckable(true);
    mute->setChecked(player_.isMuted());
    menu.addAction(QStringLiteral("音量を上げる"), this,
                   [this] { session_.setVolume(player_.volume() + 10); });
    menu.addAction(QStringLiteral("音量を下げる"), this,
                   [this] { session_.setVolume(player_.volume() - 10); });
    menu.exec(event->globalPos());
}

} // namespace chimebox::playback
