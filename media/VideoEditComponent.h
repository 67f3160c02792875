// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MediaProbe.h"
#include "ProgressReader.h"
#include "VideoEdit.h"
#include "VideoEditArguments.h"

#include <QDateTime>
#include <QPointer>
#include <QProcess>

namespace media {

// The video-editing component: probes sources with libavformat and converts
// with the system ffmpeg, run as a child from an argument list. The child
// writes next to the output file and the result takes the output's name
// only once the child has exited with code 0, so an interrupted conversion
// never leaves a partial file under that name.
class VideoEditComponent : public VideoEdit
{
    Q_OBJECT
public:
    // converterProgram: the ffmpeg to run (see findSystemFfmpeg).
    explicit VideoEditComponent(QString converterProgram, QObject *parent = nullptr);
    ~VideoEditComponent() override;

    std::optional<double> GetFileDuration(const QString &path) override;
    std::optional<int> GetFileWidth(const QString &path) override;
    std::optional<int> GetFileHeight(const QString &path) override;

    void setAudioSampleRate(qint32 hertz) override { m_output.sampleRate = hertz; }
    void setAudioBitrate(qint16 kilobits) override { m_output.audioBitrate = kilobits; }
    void setOutputFormat(qint32 format) override { m_output.format = format; }
    void setFrameRate(qint16 framesPerSecond) override { m_output.frameRate = framesPerSecond; }
    void setOutputWidth(qint16 pixels) override { m_output.width = pixels; }
    void setOutputHeight(qint16 pixels) override { m_output.height = pixels; }
    void setColorDepth(qint16 bitsPerPixel) override { m_output.colorDepth = bitsPerPixel; }

    void ClearClips() override;
    bool AddVideoClip(const QString &path, double start, double &length, qint16 mode) override;
    bool AddAudioClip(const QString &path, double start, double &length) override;
    double GetTimelineDuration() override;

    bool SetOutputFile(const QString &path) override;
    bool StartConversion() override;
    void StopConversion() override;
    QString lastOutput() const override { return QString::fromLocal8Bit(m_errors); }

    // Grace periods of StopConversion, in milliseconds.
    static constexpr int QuitGraceMs = 2000;
    static constexpr int TerminateGraceMs = 1000;
    // The converter's error output kept for lastOutput: its last bytes.
    static constexpr qsizetype ErrorLimit = 64 * 1024;

private:
    struct Probed
    {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        std::optional<MediaInfo> info;
        QByteArray failure; // why info is empty
    };

    // Probe results of the file last asked about, so the queries of one
    // normalization open each source once.
    std::optional<MediaInfo> probe(const QString &path);
    static QString partialPath(const QString &output) { return output + QStringLiteral(".part"); }
    void readProgress();
    void readErrors();
    void childEnded(int exitCode, QProcess::ExitStatus status);
    void childFailedToStart(QProcess::ProcessError error);
    QProcess *detachChild();

    QString m_program;
    OutputSettings m_output;
    std::optional<ClipSource> m_video;
    MediaInfo m_videoSource; // what the probe told about m_video's file
    std::optional<ClipSource> m_audio;
    QString m_outputPath;
    QString m_writing; // the output of the running conversion
    Probed m_probed;
    QPointer<QProcess> m_child;
    ProgressReader m_progress;
    double m_length = 0;
    QByteArray m_errors; // see lastOutput
};

// The ffmpeg found on PATH, leaving out every PATH entry that is the
// application folder (it holds a front-end of the same name) and any
// candidate that resolves into it; empty when there is none.
QString findSystemFfmpeg(const QString &applicationFolder);

} // namespace media
