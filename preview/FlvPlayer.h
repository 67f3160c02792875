// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMediaPlayer>
#include <QString>
#include <QWidget>

class QAudioOutput;
class QLabel;
class QPushButton;
class QSlider;
class QStackedLayout;
class QTimer;
class QVideoSink;
class QVideoWidget;

namespace preview {

// The player on the FLV Player tab: a video area with play/pause, a position
// slider with the time, and volume. It does not choose files itself; its Open
// button asks the host through fsCommand, and the host answers with
// SetVariable("txtFlvFile", path), which loads and plays that file.
class FlvPlayer : public QWidget
{
    Q_OBJECT
public:
    // The variable through which the host names the file to play.
    static constexpr const char *FileVariable = "txtFlvFile";
    // The command the Open button sends.
    static constexpr const char *OpenCommand = "openFlvFile";

    explicit FlvPlayer(QWidget *parent = nullptr);
    ~FlvPlayer() override;

    // Host to player. "txtFlvFile" loads the file at value and plays it;
    // other names are ignored.
    void SetVariable(const QString &name, const QString &value);

    // The player of the current file; null until a file is loaded.
    QMediaPlayer *mediaPlayer() const { return m_player; }
    // Where decoded frames arrive, whether or not anything is on screen.
    QVideoSink *videoSink() const;
    // The text shown in place of the picture: a hint before any file, or
    // why the current file cannot be played. Empty while video is shown.
    QString messageText() const;
    bool showingMessage() const;
    // "0:05 / 0:30" as the player shows it.
    QString timeText() const;

Q_SIGNALS:
    void fsCommand(const QString &command, const QString &args);

private:
    void buildControls();
    void newMediaPlayer();
    void load(const QString &path);
    void checkLoading();
    void togglePlay();
    void showMessage(const QString &text);
    void showVideo();
    void onPlaybackState(QMediaPlayer::PlaybackState state);
    void onMediaStatus(QMediaPlayer::MediaStatus status);
    void onError(QMediaPlayer::Error error, const QString &text);
    void onDuration(qint64 ms);
    void onPosition(qint64 ms);
    void updateSeeking();
    void updateTime();

    QAudioOutput *m_audio = nullptr;
    QMediaPlayer *m_player = nullptr; // a fresh one for each file
    QTimer *m_clock = nullptr; // refreshes the time while playing
    QTimer *m_loadWatch = nullptr; // gives up on a file that never loads
    QVideoWidget *m_video = nullptr;
    QLabel *m_message = nullptr;
    QStackedLayout *m_screen = nullptr;
    QPushButton *m_cmdOpen = nullptr;
    QPushButton *m_cmdPlay = nullptr;
    QSlider *m_position = nullptr;
    QLabel *m_time = nullptr;
    QSlider *m_volume = nullptr;
    QString m_fileName;
    bool m_failed = false;
};

} // namespace preview
