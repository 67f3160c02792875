// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoEditArguments.h"

#include <algorithm>
#include <cmath>

namespace media {

namespace {

QString seconds(double value)
{
    return QString::number(std::max(value, 0.0), 'f', 3);
}

// Names are always local files, even when they look like "proto:..." URLs.
QString localFile(const QString &path)
{
    return QStringLiteral("file:") + path;
}

QStringList inputArguments(const ClipSource &clip)
{
    QStringList args;
    if (clip.start > 0)
        args << "-ss" << seconds(clip.start);
    args << "-t" << seconds(clip.length) << "-i" << localFile(clip.path);
    return args;
}

QStringList videoArguments(const ConversionJob &job)
{
    // MPEG-4 Visual as a program stream carries it: the stream's headers
    // before each key frame (an MP4 file keeps them apart), packed B-frames
    // (older DivX) unpacked.
    if (job.copyVideo && job.copiedCodec == "mpeg4")
        return {"-c:v", "copy", "-bsf:v", "mpeg4_unpack_bframes,dump_extra"};
    if (job.copyVideo)
        return {"-c:v", "copy"};
    const OutputSettings &out = job.output;
    // The frame rate first, so that frames dropped (30 fps phone video) are
    // never scaled; then the size, by area averaging, which suits scaling
    // down and costs half of the default bicubic filter on HD sources.
    const QString rate = QString::number(out.frameRate);
    QStringList args
            = {"-vf",
               QString("fps=%1,scale=%2:%3:flags=area").arg(rate).arg(out.width).arg(out.height)};
    args += {"-r", rate, "-fps_mode", "cfr", "-pix_fmt", "yuv420p"};
    // Tuned for speed: the encoder decodes the intermediate once more, so it
    // is kept small without costly searches. P frames only (no B frames),
    // long groups of pictures (scene changes still start new ones), a fixed
    // quantizer that keeps detail well above what the FLV output can show,
    // the predictive zonal motion search, and slice threads (with two slices
    // a thread, which keeps the threads busier than one apiece).
    const int threads = std::max(1, job.threads);
    args += {"-c:v", out.format == 6 ? "mpeg2video" : "mpeg1video"};
    args += {"-threads", QString::number(threads), "-slices", QString::number(2 * threads)};
    args += {"-bf", "0", "-g", "250", "-q:v", "5", "-motion_est", "epzs"};
    return args;
}

bool exactly(FrameRate rate, int framesPerSecond)
{
    return rate == FrameRate {framesPerSecond, 1};
}

} // namespace

bool videoCopyable(const MediaInfo &source, const ClipSource &clip, const OutputSettings &output)
{
    // An MPEG-2 program stream also carries MPEG-4 Visual (the DivX and Xvid
    // kind), which the encoder reads back whole; H.264 it does not: read
    // back, its video is taken for MP3 sound.
    // With B-frames, an AVI file's MPEG-4 copied lands a frame late against
    // its sound (the file stores no presentation times): it is encoded.
    const bool codecFits = source.videoCodec == "mpeg1video"
            || (output.format == 6
                && (source.videoCodec == "mpeg2video"
                    || (source.videoCodec == "mpeg4" && source.reorderedFrames == 0)));
    // The rates the file states, and the frames it holds: a stream with
    // gaps (frames dropped by a camera or an editor) states its nominal rate.
    const bool rateFits = exactly(source.realFrameRate, output.frameRate)
            && (source.averageFrameRate == FrameRate {}
                || exactly(source.averageFrameRate, output.frameRate))
            && std::abs(source.headFrames - source.headSeconds * output.frameRate) <= 1;
    return codecFits && rateFits && source.pixelFormat == "yuv420p" && source.rotation == 0
            && source.coded == FrameSize {output.width, output.height} && clip.start == 0;
}

QStringList conversionArguments(const ConversionJob &job)
{
    const OutputSettings &out = job.output;
    const bool mpeg2 = out.format == 6;
    // Progress goes to standard output four times a second; no other output
    // but errors.
    QStringList args = {"-hide_banner", "-loglevel", "error", "-nostats"};
    args += {"-progress", "pipe:1", "-stats_period", "0.25", "-y"};

    // The decoders keep ffmpeg's own thread count, one more than the cores:
    // frame threads where the decoder has them (H.264, MPEG-4), which keep
    // decoding while this thread scales and encodes; slice threads else.
    args += inputArguments(job.video);
    int audioInput = 0;
    if (job.audio
        && (job.audio->path != job.video.path || job.audio->start != job.video.start
            || job.audio->length != job.video.length)) {
        args += inputArguments(*job.audio);
        audioInput = 1;
    }
    args += {"-map", QString("0:%1").arg(job.video.stream)};
    if (job.audio)
        args += {"-map", QString("%1:%2").arg(audioInput).arg(job.audio->stream)};

    args += videoArguments(job);

    if (job.audio) {
        const int channels = std::clamp(job.audio->audioChannels, 1, 2);
        // Timestamps from the samples, gaps filled and overlaps trimmed:
        // DVD audio can step back a few milliseconds, which would otherwise
        // reach the intermediate as timestamps running backwards.
        args += {"-af", "aresample=async=1"};
        args += {"-c:a", "mp2", "-ar", QString::number(out.sampleRate)};
        args += {"-b:a", QString("%1k").arg(out.audioBitrate), "-ac", QString::number(channels)};
    }

    // A copied picture keeps its own bit rate, which can outrun the rate the
    // muxer derives; a fixed rate well above any DVD's lets every packet in
    // on time (the file is no larger for it).
    if (job.copyVideo)
        args += {"-muxrate", "30000000"};
    args += {"-f", mpeg2 ? "vob" : "mpeg", localFile(job.outputPath)};
    return args;
}

} // namespace media
