#include "MediaProbe.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <memory>

namespace media {

namespace {

struct InputCloser
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};

struct CodecFreer
{
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};

// True when a decoder for the stream exists and accepts its parameters.
bool decodable(const AVStream *stream)
{
    const AVCodec *decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        return false;
    std::unique_ptr<AVCodecContext, CodecFreer> codec(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0)
        return false;
    codec->thread_count = 1;
    return avcodec_open2(codec.get(), decoder, nullptr) >= 0;
}

double durationOf(const AVFormatContext *context)
{
    if (context->duration != AV_NOPTS_VALUE && context->duration > 0)
        return context->duration / double(AV_TIME_BASE);
    double longest = 0;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
            longest = std::max(longest, stream->duration * av_q2d(stream->time_base));
    }
    return longest;
}

// Degrees clockwise ffmpeg turns the stream's pictures while decoding, from
// the stream's display matrix; 0 without one.
double rotationOf(const AVStream *stream)
{
    size_t size = 0;
    const uint8_t *matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!matrix || size < 9 * sizeof(int32_t))
        return 0;
    const double counterClockwise = av_display_rotation_get(
            reinterpret_cast<const int32_t *>(matrix));
    return std::isfinite(counterClockwise) ? -counterClockwise : 0;
}

FrameRate rateOf(AVRational rate)
{
    if (rate.num <= 0 || rate.den <= 0)
        return {};
    return {rate.num, rate.den};
}

void readVideo(const AVStream *stream, MediaInfo &info)
{
    const AVCodecParameters *parameters = stream->codecpar;
    info.coded = {parameters->width, parameters->height};
    info.rotation = rotationOf(stream);
    const FrameSize shown = displayedSize(info.coded, info.rotation);
    info.width = shown.width;
    info.height = shown.height;
    info.videoCodec = QString::fromLatin1(avcodec_get_name(parameters->codec_id));
    const char *format = av_get_pix_fmt_name(AVPixelFormat(parameters->format));
    info.pixelFormat = format ? QString::fromLatin1(format) : QString();
    info.realFrameRate = rateOf(stream->r_frame_rate);
    info.averageFrameRate = rateOf(stream->avg_frame_rate);
}

} // namespace

std::optional<MediaInfo> probeMedia(const QString &path)
{
    av_log_set_level(AV_LOG_FATAL);
    // The "file:" prefix keeps names with a colon from being read as a protocol.
    const QByteArray url = "file:" + QFile::encodeName(path);
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, url.constData(), nullptr, nullptr) < 0)
        return std::nullopt;
    std::unique_ptr<AVFormatContext, InputCloser> context(raw);
    if (avformat_find_stream_info(context.get(), nullptr) < 0)
        return std::nullopt;

    MediaInfo info;
    info.duration = durationOf(context.get());
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        const AVCodecParameters *parameters = stream->codecpar;
        if (parameters->codec_type == AVMEDIA_TYPE_VIDEO && !info.hasVideo()
            && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) && parameters->width > 0
            && parameters->height > 0 && decodable(stream)) {
            info.videoStream = int(i);
            readVideo(stream, info);
        } else if (parameters->codec_type == AVMEDIA_TYPE_AUDIO && !info.hasAudio()
                   && parameters->sample_rate > 0 && parameters->ch_layout.nb_channels > 0
                   && decodable(stream)) {
            info.audioStream = int(i);
            info.audioChannels = parameters->ch_layout.nb_channels;
        }
    }
    return info;
}

} // namespace media
