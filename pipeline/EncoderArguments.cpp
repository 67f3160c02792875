#include "EncoderArguments.h"

#include <limits>

namespace pipeline {

namespace {

constexpr int DefaultAlpha = 255;
constexpr int FrameRate = 25;

QString watermarkHook(const ConversionOptions &options,
                      const QString &shortAppFolder,
                      const QString &windowsFolder,
                      QChar sep)
{
    const QString vhook = shortAppFolder + sep + "vhook" + sep;
    QString hook;
    hook += " -vhook ";
    hook += u'"';
    hook += vhook + "imlib2.dll -c " + options.colorName;
    hook += " -F " + windowsFolder + sep + "fonts" + sep + options.fontFile + u'/'
            + options.fontSize;
    hook += " -C " + vhook + "rgb.txt";
    hook += " -A " + QString::number(watermarkAlpha(options.alpha));
    hook += " -x " + options.left + " -y " + options.top;
    hook += " -t " + options.watermarkText;
    hook += "\" ";
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

QString BuildEncoderArguments(const ConversionOptions &options,
                              const QString &shortAppFolder,
                              const QString &windowsFolder,
                              QChar separator)
{
    QString text;
    text += " -b " + options.videoBitrate + "kb/s ";
    text += "-r " + QString::number(FrameRate) + u' ';
    text += "-s " + options.videoWindow + u' ';
    if (options.deInterlace)
        text += " -deinterlace ";
    if (options.watermarkOn)
        text += watermarkHook(options, shortAppFolder, windowsFolder, separator);
    if (options.audioOff) {
        text += "-an ";
    } else {
        text += "-ar " + options.sampling + "Hz ";
        text += "-ab " + options.audioBitrate + u' ';
        text += options.channels == "Stereo" ? "-ac 2 " : "-ac 1 ";
    }
    if (options.codecs == FlvCodecs::H264Aac)
        text += "-vcodec h264 -acodec aac ";
    return text;
}

} // namespace pipeline
