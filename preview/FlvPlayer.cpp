// SPDX-License-Identifier: GPL-3.0-or-later
#include "FlvPlayer.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStackedLayout>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QVideoWidget>

namespace preview {

namespace {

const char *const Hint = "Press Open to choose an FLV file to play.";
constexpr int DefaultVolume = 80;
constexpr int ClockMs = 200;
// A local file that has not loaded by then is one the player cannot read.
constexpr int LoadLimitMs = 6000;

// 0:05, 12:34 or 1:02:03.
QString playTime(qint64 ms)
{
    const qint64 total = qMax<qint64>(ms, 0) / 1000;
    const qint64 hours = total / 3600;
    const qint64 minutes = total / 60 % 60;
    const QString seconds = QString::number(total % 60).rightJustified(2, u'0');
    if (hours > 0)
        return QString("%1:%2:%3")
                .arg(hours)
                .arg(QString::number(minutes).rightJustified(2, u'0'), seconds);
    return QString("%1:%2").arg(minutes).arg(seconds);
}

} // namespace

FlvPlayer::FlvPlayer(QWidget *parent)
    : QWidget(parent)
    , m_clock(new QTimer(this))
    , m_loadWatch(new QTimer(this))
{
    setObjectName("flvPlayer");
    buildControls();
    updateTime();

    m_clock->setInterval(ClockMs);
    connect(m_clock, &QTimer::timeout, this, [this] { onPosition(m_player->position()); });
    m_loadWatch->setSingleShot(true);
    m_loadWatch->setInterval(LoadLimitMs);
    connect(m_loadWatch, &QTimer::timeout, this, &FlvPlayer::checkLoading);

    connect(m_cmdOpen, &QPushButton::clicked, this, [this] {
        Q_EMIT fsCommand(OpenCommand, QString());
    });
    connect(m_cmdPlay, &QPushButton::clicked, this, &FlvPlayer::togglePlay);
    // Drags, clicks on the groove and keys all move the slider by actions.
    connect(m_position, &QSlider::actionTriggered, this, [this] {
        if (m_player)
            m_player->setPosition(m_position->sliderPosition());
    });
    connect(m_volume, &QSlider::valueChanged, this, [this](int value) {
        if (m_audio)
            m_audio->setVolume(value / 100.0f);
    });
}

FlvPlayer::~FlvPlayer()
{
    // Stop the pipeline before the video widget it draws into goes away.
    if (m_player) {
        m_player->stop();
        m_player->setVideoOutput(nullptr);
    }
}

// The media framework is started with the first file, not with the window.
// A pipeline that failed can still deliver late errors, so each file gets a
// player of its own that they cannot reach.
void FlvPlayer::newMediaPlayer()
{
    if (!m_audio) {
        m_audio = new QAudioOutput(this);
        m_audio->setVolume(m_volume->value() / 100.0f);
    }
    if (m_player) {
        m_player->disconnect(this);
        m_player->stop();
        m_player->setVideoOutput(nullptr);
        m_player->setAudioOutput(nullptr);
        delete m_player;
    }
    m_player = new QMediaPlayer(this);
    m_player->setAudioOutput(m_audio);
    m_player->setVideoOutput(m_video);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, &FlvPlayer::onPlaybackState);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &FlvPlayer::onMediaStatus);
    connect(m_player, &QMediaPlayer::errorOccurred, this, &FlvPlayer::onError);
    connect(m_player, &QMediaPlayer::durationChanged, this, &FlvPlayer::onDuration);
    connect(m_player, &QMediaPlayer::positionChanged, this, &FlvPlayer::onPosition);
    connect(m_player, &QMediaPlayer::seekableChanged, this, &FlvPlayer::updateSeeking);
}

void FlvPlayer::buildControls()
{
    m_video = new QVideoWidget;
    m_video->setObjectName("videoArea");
    m_video->setMinimumSize(320, 240);
    m_message = new QLabel(Hint);
    m_message->setObjectName("lblPlayerMessage");
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_message->setAutoFillBackground(true);
    m_message->setStyleSheet("QLabel { background: black; color: white; padding: 12px; }");

    auto *screen = new QWidget;
    m_screen = new QStackedLayout(screen);
    m_screen->addWidget(m_message);
    m_screen->addWidget(m_video);

    m_cmdOpen = new QPushButton(style()->standardIcon(QStyle::SP_DialogOpenButton), "&Open");
    m_cmdOpen->setObjectName("cmdOpen");
    m_cmdOpen->setToolTip("Choose an FLV file to play");
    m_cmdPlay = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), QString());
    m_cmdPlay->setObjectName("cmdPlay");
    m_cmdPlay->setToolTip("Play");
    m_cmdPlay->setEnabled(false);
    m_position = new QSlider(Qt::Horizontal);
    m_position->setObjectName("sldPosition");
    m_position->setToolTip("Position");
    m_position->setEnabled(false);
    m_time = new QLabel;
    m_time->setObjectName("lblTime");
    m_volume = new QSlider(Qt::Horizontal);
    m_volume->setObjectName("sldVolume");
    m_volume->setToolTip("Volume");
    m_volume->setRange(0, 100);
    m_volume->setValue(DefaultVolume);
    m_volume->setMaximumWidth(90);
    m_position->setSingleStep(1000);
    m_position->setPageStep(10000);
    auto *speaker = new QLabel;
    speaker->setPixmap(style()->standardIcon(QStyle::SP_MediaVolume).pixmap(16, 16));

    auto *bar = new QHBoxLayout;
    bar->addWidget(m_cmdOpen);
    bar->addWidget(m_cmdPlay);
    bar->addWidget(m_position, 1);
    bar->addWidget(m_time);
    bar->addWidget(speaker);
    bar->addWidget(m_volume);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(screen, 1);
    layout->addLayout(bar);
}

QVideoSink *FlvPlayer::videoSink() const
{
    return m_video->videoSink();
}

QString FlvPlayer::messageText() const
{
    return showingMessage() ? m_message->text() : QString();
}

bool FlvPlayer::showingMessage() const
{
    return m_screen->currentWidget() == m_message;
}

QString FlvPlayer::timeText() const
{
    return m_time->text();
}

void FlvPlayer::SetVariable(const QString &name, const QString &value)
{
    if (name == FileVariable)
        load(value);
}

void FlvPlayer::load(const QString &path)
{
    m_failed = false;
    m_fileName = QFileInfo(path).fileName();
    m_loadWatch->stop();
    newMediaPlayer();
    m_position->setValue(0);
    m_position->setEnabled(false);
    updateTime();
    if (path.isEmpty()) {
        showMessage(Hint);
        m_cmdPlay->setEnabled(false);
        return;
    }
    showVideo();
    m_player->setSource(QUrl::fromLocalFile(path));
    m_cmdPlay->setEnabled(true);
    m_loadWatch->start();
    m_player->play();
}

void FlvPlayer::checkLoading()
{
    if (m_player->mediaStatus() == QMediaPlayer::LoadingMedia && m_player->position() == 0
        && m_player->duration() == 0)
        onError(QMediaPlayer::FormatError, "The file could not be read as a video.");
}

void FlvPlayer::togglePlay()
{
    if (!m_player)
        return;
    if (m_player->playbackState() == QMediaPlayer::PlayingState) {
        m_player->pause();
        return;
    }
    if (m_failed)
        return;
    showVideo();
    m_player->play();
}

void FlvPlayer::showMessage(const QString &text)
{
    m_message->setText(text);
    m_screen->setCurrentWidget(m_message);
}

void FlvPlayer::showVideo()
{
    m_screen->setCurrentWidget(m_video);
}

void FlvPlayer::onPlaybackState(QMediaPlayer::PlaybackState state)
{
    const bool playing = state == QMediaPlayer::PlayingState;
    m_cmdPlay->setIcon(
            style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_cmdPlay->setToolTip(playing ? "Pause" : "Play");
    if (playing)
        m_clock->start();
    else
        m_clock->stop();
    onPosition(m_player->position());
}

void FlvPlayer::onMediaStatus(QMediaPlayer::MediaStatus status)
{
    // Some sources are refused without an error of their own.
    if (status == QMediaPlayer::InvalidMedia && !m_failed)
        onError(QMediaPlayer::FormatError, m_player->errorString());
}

void FlvPlayer::onError(QMediaPlayer::Error error, const QString &text)
{
    // The first error of a file says why; the pipeline often adds more.
    if (error == QMediaPlayer::NoError || m_failed)
        return;
    m_failed = true;
    m_loadWatch->stop();
    m_player->stop();
    m_position->setEnabled(false);
    const QString reason = text.isEmpty() ? QString("The file is not a playable video.") : text;
    showMessage(QString("Cannot play \"%1\".\n\n%2").arg(m_fileName, reason));
}

void FlvPlayer::onDuration(qint64 ms)
{
    m_position->setRange(0, int(qMin<qint64>(ms, INT_MAX)));
    updateSeeking();
    updateTime();
}

void FlvPlayer::onPosition(qint64 ms)
{
    // The duration is not always announced before playing starts.
    if (m_player && m_player->duration() > 0 && m_player->duration() != m_position->maximum())
        onDuration(m_player->duration());
    else
        updateSeeking();
    if (!m_position->isSliderDown())
        m_position->setValue(int(qMin<qint64>(ms, INT_MAX)));
    updateTime();
}

// The slider moves the picture once the length is known and the file
// allows jumps.
void FlvPlayer::updateSeeking()
{
    m_position->setEnabled(m_player && !m_failed && m_player->duration() > 0
                           && m_player->isSeekable());
}

void FlvPlayer::updateTime()
{
    const qint64 position = m_player ? m_player->position() : 0;
    const qint64 duration = m_player ? m_player->duration() : 0;
    m_time->setText(playTime(position) + " / " + playTime(duration));
}

} // namespace preview
