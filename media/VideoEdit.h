// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace media {

// The video-editing component that converts a source into the intermediate
// MPEG file. Output settings and clips are configured first, then
// StartConversion runs the work in the background; the notifications arrive
// on the thread that owns the component, from its event loop.
//
// Operations that need a readable source fail outright (std::nullopt or
// false) when the source cannot be opened at all; an empty path is not an
// error and answers 0.
class VideoEdit : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The source's length in seconds.
    virtual std::optional<double> GetFileDuration(const QString &path) = 0;
    // Per-file queries: the source's video width (47) and height (48) in
    // pixels as shown on screen (a picture the decoder turns a quarter turn
    // has them swapped); 0 when it has no video.
    virtual std::optional<int> GetFileWidth(const QString &path) = 0;
    virtual std::optional<int> GetFileHeight(const QString &path) = 0;

    // Output settings.
    virtual void setAudioSampleRate(qint32 hertz) = 0; // 22
    virtual void setAudioBitrate(qint16 kilobits) = 0; // 17
    virtual void setOutputFormat(qint32 format) = 0; // 15; 6 is an MPEG-2 program stream
    virtual void setFrameRate(qint16 framesPerSecond) = 0; // 16
    virtual void setOutputWidth(qint16 pixels) = 0; // 11
    virtual void setOutputHeight(qint16 pixels) = 0; // 12
    virtual void setColorDepth(qint16 bitsPerPixel) = 0; // 13

    // The clip list: one video clip and one audio clip; adding a clip of a
    // kind replaces the one queued before.
    virtual void ClearClips() = 0;
    // Queues the source's video from start over length seconds (length is
    // shortened to what the source holds). mode 2 scales the picture to the
    // output size; video that already meets the output settings is copied
    // as it is. Queues nothing when the source has no decodable video.
    // False when the source cannot be opened.
    virtual bool AddVideoClip(const QString &path, double start, double &length, qint16 mode) = 0;
    // True only when the source has decodable audio, which is then queued
    // (length shortened as for video).
    virtual bool AddAudioClip(const QString &path, double start, double &length) = 0;
    // The length of the queued video in seconds; 0 when nothing is queued.
    virtual double GetTimelineDuration() = 0;

    // True only when the output file can be written at path.
    virtual bool SetOutputFile(const QString &path) = 0;
    // Starts writing the output in the background. False when there is
    // nothing to do (no output file, no video queued) or the converter
    // cannot be started; no notification follows then.
    virtual bool StartConversion() = 0;
    // Ends the work and returns at once: the converter is asked to quit,
    // then terminated, then killed, on timers. No notification follows. Safe
    // at any time, also after the end.
    virtual void StopConversion() = 0;

    // What the converter or the source reader said last about a failure:
    // the converter's last error output, or why a source could not be read;
    // empty when there is nothing to tell.
    virtual QString lastOutput() const { return {}; }

Q_SIGNALS:
    // Position and length of the conversion, in seconds of the output.
    void ConversionProgress(double position, double length);
    // The output file is complete.
    void ConversionFinished();
    // The conversion broke off; the output file is not complete.
    void ConversionFailed();
};

} // namespace media
