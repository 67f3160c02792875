#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace media {

// The output the video-editing component is set up to write.
struct OutputSettings
{
    int sampleRate = 44100; // Hz
    int audioBitrate = 128; // kbit/s
    int format = 6; // 6: MPEG-2 program stream; anything else: MPEG-1 system stream
    int frameRate = 25;
    int width = 0;
    int height = 0;
    int colorDepth = 24;
};

// A stretch of one stream of a source file.
struct ClipSource
{
    QString path;
    int stream = -1; // index of the stream inside the file
    double start = 0;
    double length = 0;
    int audioChannels = 0; // audio clips only
};

struct ConversionJob
{
    OutputSettings output;
    ClipSource video;
    std::optional<ClipSource> audio;
    QString outputPath; // where the converter writes
    int threads = 1;
};

// The converter's argument list (after the program name) for a job. The
// converter reports its progress on standard output and quits on "q" from
// standard input.
QStringList conversionArguments(const ConversionJob &job);

} // namespace media
