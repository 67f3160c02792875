// SPDX-License-Identifier: GPL-3.0-or-later
#include "EncoderArguments.h"

#include <limits>

namespace pipeline {

namespace {

constexpr int DefaultAlpha = 255;
constexpr int FrameRate = 25;

// The hook argument: the old text watermark module and its options, with
// the text last (it may hold blanks, quotes and line breaks).
QString watermarkHook(const ConversionOptions &options,
                      const QString &shortAppFolder,
                      const QString &windowsFolder,
                      QChar sep)
{
    const QString vhook = shortAppFolder + sep + "vhook" + sep;
    QString hook = vhook + "imlib2.dll -c " + options.colorName;
    hook += " -F " + windowsFolder + sep + "fonts" + sep + options.fontFile + u'/'
            + options.fontSize;
    hook += " -C " + vhook + "rgb.txt";
    hook += " -A " + QString::number(watermarkAlpha(options.alpha));
    hook += " -x " + options.left + " -y " + options.top;
    hook += " -t " + options.watermarkText;
    return hook;
}

} // namespace

int watermarkAlpha(const QString &alphaText)
{
    bool ok = false;
    const int value = alphaText.trimmed().toInt(&ok, 10);
    if (!ok || value < std::numeric_limits<qint16>::min()
        || value > std::numeric_limits<qint16>::max())
        return DefaultAlpha;
    return value;
}

CommandArguments BuildEncoderArguments(const ConversionOptions &options,
                                       const QString &shortAppFolder,
                                       const QString &windowsFolder,
                                       QChar separator)
{
    CommandArguments arguments;
    arguments.blank().words({"-b",
                             options.videoBitrate + "kb/s",
                             "-r",
                             QString::number(FrameRate),
                             "-s",
                             options.videoWindow});
    if (options.deInterlace)
        arguments.blank().words({"-deinterlace"});
    if (options.watermarkOn)
        arguments.blank()
                .words({"-vhook"})
                .quoted(watermarkHook(options, shortAppFolder, windowsFolder, separator))
                .blank();
    if (options.audioOff)
        arguments.words({"-an"});
    else
        arguments.words({"-ar",
                         options.sampling + "Hz",
                         "-ab",
                         options.audioBitrate,
                         "-ac",
                         options.channels == "Stereo" ? "2" : "1"});
    if (options.codecs == FlvCodecs::H264Aac)
        arguments.words({"-vcodec", "h264", "-acodec", "aac"});
    return arguments;
}

} // namespace pipeline
