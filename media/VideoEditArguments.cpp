#include "VideoEditArguments.h"

#include <algorithm>

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

} // namespace

QStringList conversionArguments(const ConversionJob &job)
{
    const OutputSettings &out = job.output;
    const bool mpeg2 = out.format == 6;
    // Progress goes to standard output four times a second; no other output
    // but errors.
    QStringList args = {"-hide_banner", "-loglevel", "error", "-nostats"};
    args += {"-progress", "pipe:1", "-stats_period", "0.25", "-y"};

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

    // Video, tuned for speed: the encoder decodes the intermediate once more,
    // so it is kept small without costly searches. P frames only (no B
    // frames), long groups of pictures (scene changes still start new ones),
    // a fixed quantizer that keeps detail well above what the FLV output can
    // show, the predictive zonal motion search, and slice threads (with two
    // slices a thread, which keeps the threads busier than one apiece).
    const QString size = QString("%1x%2").arg(out.width).arg(out.height);
    const int threads = std::max(1, job.threads);
    args += {"-c:v", mpeg2 ? "mpeg2video" : "mpeg1video"};
    args += {"-threads", QString::number(threads), "-slices", QString::number(2 * threads)};
    args += {"-r", QString::number(out.frameRate), "-fps_mode", "cfr"};
    args += {"-s", size, "-pix_fmt", "yuv420p"};
    args += {"-bf", "0", "-g", "250", "-q:v", "5", "-motion_est", "epzs"};

    if (job.audio) {
        const int channels = std::clamp(job.audio->audioChannels, 1, 2);
        args += {"-c:a", "mp2", "-ar", QString::number(out.sampleRate)};
        args += {"-b:a", QString("%1k").arg(out.audioBitrate), "-ac", QString::number(channels)};
    }

    args += {"-f", mpeg2 ? "vob" : "mpeg", localFile(job.outputPath)};
    return args;
}

} // namespace media
