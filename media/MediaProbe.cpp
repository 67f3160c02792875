// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <tuple>
#include <vector>

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
    info.reorderedFrames = parameters->video_delay;
    const char *format = av_get_pix_fmt_name(AVPixelFormat(parameters->format));
    info.pixelFormat = format ? QString::fromLatin1(format) : QString();
    info.realFrameRate = rateOf(stream->r_frame_rate);
    info.averageFrameRate = rateOf(stream->avg_frame_rate);
}

using Input = std::unique_ptr<AVFormatContext, InputCloser>;

struct PacketFreer
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};

QString errorText(const QString &path, int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString("%1: %2").arg(path, QString::fromLocal8Bit(text));
}

// The file opened and its streams read; empty when either fails, and error
// (when given) says why.
Input openMedia(const QString &path, QString *error = nullptr)
{
    av_log_set_level(AV_LOG_FATAL);
    // The "file:" prefix keeps names with a colon from being read as a protocol.
    const QByteArray url = "file:" + QFile::encodeName(path);
    AVFormatContext *raw = nullptr;
    int code = avformat_open_input(&raw, url.constData(), nullptr, nullptr);
    Input context(code < 0 ? nullptr : raw);
    if (context)
        code = avformat_find_stream_info(context.get(), nullptr);
    if (code >= 0)
        return context;
    if (error)
        *error = errorText(path, code);
    return {};
}

// Reads packets until read returns false or the file ends.
template<typename Read>
void readPackets(AVFormatContext *context, Read read)
{
    const std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    while (packet && av_read_frame(context, packet.get()) >= 0) {
        const bool more = read(*packet);
        av_packet_unref(packet.get());
        if (!more)
            break;
    }
}

// Fills the head counts of info from the first packets of its video stream.
void countHeadFrames(AVFormatContext *context, MediaInfo &info)
{
    constexpr int MaxFrames = 500;
    constexpr qint64 MaxBytes = 64 << 20;
    const AVStream *stream = context->streams[info.videoStream];
    int frames = 0, first = -1, last = -1;
    qint64 firstTime = 0, lastTime = 0, bytes = 0;
    readPackets(context, [&](const AVPacket &packet) {
        bytes += packet.size;
        if (packet.stream_index != info.videoStream)
            return bytes < MaxBytes;
        // Decoding times rise steadily; presentation times where there are none.
        const qint64 time = packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts;
        if (time != AV_NOPTS_VALUE) {
            if (first < 0)
                std::tie(first, firstTime) = std::pair(frames, time);
            std::tie(last, lastTime) = std::pair(frames, time);
        }
        return ++frames < MaxFrames && bytes < MaxBytes;
    });
    if (first >= 0) {
        info.headFrames = last - first;
        info.headSeconds = (lastTime - firstTime) * av_q2d(stream->time_base);
    }
}

// The seconds from the first to the last timestamp of the chosen streams,
// read from every packet: for a file whose header and streams state no
// length, as one written to a pipe. 0 when those streams hold no packet.
double measuredLength(AVFormatContext *context, const MediaInfo &info)
{
    if (avformat_seek_file(context, -1, INT64_MIN, 0, 0, 0) < 0
        && av_seek_frame(context, -1, 0, AVSEEK_FLAG_BYTE) < 0)
        return 0;
    const int chosen[] = {info.videoStream, info.audioStream};
    qint64 first[2] = {AV_NOPTS_VALUE, AV_NOPTS_VALUE}, last[2] = {INT64_MIN, INT64_MIN};
    readPackets(context, [&](const AVPacket &packet) {
        const qint64 time = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
        for (int i = 0; i < 2; ++i) {
            if (packet.stream_index != chosen[i] || time == AV_NOPTS_VALUE)
                continue;
            first[i] = first[i] == AV_NOPTS_VALUE ? time : std::min(first[i], time);
            last[i] = std::max(last[i], time + std::max<qint64>(packet.duration, 0));
        }
        return true;
    });
    double longest = 0;
    for (int i = 0; i < 2; ++i) {
        if (first[i] != AV_NOPTS_VALUE)
            longest = std::max(longest,
                               (last[i] - first[i])
                                       * av_q2d(context->streams[chosen[i]]->time_base));
    }
    return longest;
}

} // namespace

double MeasuredStreams::duration() const
{
    return videoFrames > 0 ? videoEnd - videoStart : std::max(0.0, audioEnd - audioStart);
}

std::optional<MeasuredStreams> measureStreams(const QString &path)
{
    const std::optional<MediaInfo> info = probeMedia(path);
    const Input context = openMedia(path);
    if (!info || !context)
        return std::nullopt;
    MeasuredStreams measured;
    std::vector<qint64> shown; // the video frames' presentation times
    qint64 audioFirst = AV_NOPTS_VALUE, audioLast = AV_NOPTS_VALUE;
    readPackets(context.get(), [&](const AVPacket &packet) {
        const qint64 time = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
        if (time == AV_NOPTS_VALUE)
            return true;
        if (packet.stream_index == info->videoStream) {
            shown.push_back(time);
        } else if (packet.stream_index == info->audioStream) {
            if (audioFirst == AV_NOPTS_VALUE)
                audioFirst = time;
            audioLast = std::max(audioLast, time + packet.duration);
        }
        return true;
    });
    if (info->hasAudio()) {
        const AVStream *audio = context->streams[info->audioStream];
        measured.sampleRate = audio->codecpar->sample_rate;
        measured.channels = audio->codecpar->ch_layout.nb_channels;
        if (audioFirst != AV_NOPTS_VALUE) {
            measured.audioStart = audioFirst * av_q2d(audio->time_base);
            measured.audioEnd = audioLast * av_q2d(audio->time_base);
        }
    }
    if (shown.size() < 2)
        return measured;
    const AVStream *video = context->streams[info->videoStream];
    const double tick = av_q2d(video->time_base);
    std::sort(shown.begin(), shown.end());
    const double step = double(shown.back() - shown.front()) / double(shown.size() - 1);
    measured.constantRate = step > 0;
    for (size_t i = 1; i < shown.size() && measured.constantRate; ++i)
        measured.constantRate = std::abs(double(shown[i] - shown[i - 1]) - step) <= 1.0;
    measured.videoFrames = int(shown.size());
    measured.videoStart = shown.front() * tick;
    // The last frame lasts as long as the others on average.
    measured.videoEnd = (double(shown.back()) + step) * tick;
    measured.frameRate = measured.videoFrames / (measured.videoEnd - measured.videoStart);
    // The rate the stream was made at, as libavformat reads it from the
    // timestamps (30000/1001, not the 29.97 of rounded clock ticks).
    const double stated = av_q2d(video->r_frame_rate);
    if (measured.constantRate && stated > 0
        && std::abs(stated - measured.frameRate) < 0.002 * measured.frameRate)
        measured.frameRate = stated;
    return measured;
}

std::optional<MediaInfo> probeMedia(const QString &path, QString *error)
{
    const Input context = openMedia(path, error);
    if (!context)
        return std::nullopt;

    MediaInfo info;
    bool defaultAudio = false;
    info.duration = durationOf(context.get());
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        const AVCodecParameters *parameters = stream->codecpar;
        if (parameters->codec_type == AVMEDIA_TYPE_VIDEO && !info.hasVideo()
            && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) && parameters->width > 0
            && parameters->height > 0 && decodable(stream)) {
            info.videoStream = int(i);
            readVideo(stream, info);
        } else if (parameters->codec_type == AVMEDIA_TYPE_AUDIO && !defaultAudio
                   && parameters->sample_rate > 0 && parameters->ch_layout.nb_channels > 0
                   && decodable(stream)) {
            defaultAudio = (stream->disposition & AV_DISPOSITION_DEFAULT) != 0;
            if (defaultAudio || !info.hasAudio()) {
                info.audioStream = int(i);
                info.audioChannels = parameters->ch_layout.nb_channels;
            }
        }
    }
    if (const AVDictionaryEntry *title = av_dict_get(context->metadata, "title", nullptr, 0))
        info.title = QString::fromUtf8(title->value);
    if (info.hasVideo())
        countHeadFrames(context.get(), info);
    if (info.duration <= 0)
        info.duration = measuredLength(context.get(), info);
    return info;
}

} // namespace media
