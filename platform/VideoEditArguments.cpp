#include "VideoEditArguments.h"

#include <algorithm>

namespace platform {

namespace {

QString seconds(double value)
{
    return QString::number(std::max(value, 0.0), 'f', 3);
}

// MPEG video needs even frame sizes.
int evenSize(int pixels)
{
    return std::max(2, pixels & ~1);
}

QStringList inputArguments(const ClipSource &clip)
{
    QStringList args;
    if (clip.start > 0)
        args << "-ss" << seconds(clip.start);
    args << "-t" << seconds(clip.length) << "-i" << clip.path;
    return args;
}

} // namespace

QStringList conversionArguments(const ConversionJob &job)
{
    const OutputSettings &out = job.output;
    const bool mpeg2 = out.format == 6;
    QStringList args {"-hide_banner",
                      "-loglevel",
                      "error",
                      "-nostats",
                      "-progress",
                      "pipe:1",
                      "-stats_period",
                      "0.25",
                      "-y"};

    args << inputArguments(job.video);
    int audioInput = 0;
    if (job.audio
        && (job.audio->path != job.video.path || job.audio->start != job.video.start
            || job.audio->length != job.video.length)) {
        args << inputArguments(*job.audio);
        audioInput = 1;
    }

    args << "-map" << QString("0:%1").arg(job.video.stream);
    if (job.audio)
        args << "-map" << QString("%1:%2").arg(audioInput).arg(job.audio->stream);

    // Video: intra-coded and P frames only, a fixed quantizer and the
    // cheapest motion search keep this pass fast at good quality.
    args << "-c:v" << (mpeg2 ? "mpeg2video" : "mpeg1video") << "-threads"
         << QString::number(std::max(1, job.threads)) << "-r" << QString::number(out.frameRate)
         << "-fps_mode"
         << "cfr"
         << "-s" << QString("%1x%2").arg(evenSize(out.width)).arg(evenSize(out.height))
         << "-pix_fmt"
         << "yuv420p"
         << "-bf"
         << "0"
         << "-g"
         << "12"
         << "-q:v"
         << "3"
         << "-motion_est"
         << "zero";

    if (job.audio) {
        args << "-c:a"
             << "mp2"
             << "-ar" << QString::number(out.sampleRate) << "-b:a"
             << QString("%1k").arg(out.audioBitrate) << "-ac"
             << QString::number(std::clamp(job.audio->audioChannels, 1, 2));
    }

    args << "-f" << (mpeg2 ? "vob" : "mpeg") << job.outputPath;
    return args;
}

std::vector<double> ProgressReader::feed(const QByteArray &data)
{
    std::vector<double> positions;
    m_pending += data;
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end).trimmed();
        m_pending.remove(0, end + 1);
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.left(equals);
        const QByteArray value = line.mid(equals + 1);
        if (key == "out_time_us") {
            bool ok = false;
            const qint64 micro = value.toLongLong(&ok);
            if (ok && micro >= 0)
                m_position = micro / 1e6;
        } else if (key == "progress" && m_position) {
            positions.push_back(*m_position);
        }
    }
    return positions;
}

} // namespace platform
