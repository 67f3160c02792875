#include "StageCommands.h"

namespace pipeline {

namespace {

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

QString encoderHead(const QString &appFolder, const QString &input, QChar sep)
{
    return appFolder + sep + "ffmpeg -i " + quoted(input);
}

} // namespace

QString intermediateFile(const QString &appFolder, QChar separator)
{
    return appFolder + separator + "temp.mpg";
}

QString intermediateFile(const QString &appFolder,
                         bool appFolderWritable,
                         const QString &cacheFolder,
                         QChar separator)
{
    return intermediateFile(appFolderWritable ? appFolder : cacheFolder, separator);
}

QString encodeCommandLine(const QString &appFolder,
                          const QString &input,
                          const QString &encoderArguments,
                          const QString &outputFolder,
                          const QString &outputName,
                          QChar separator)
{
    return encoderHead(appFolder, input, separator) + encoderArguments
            + quoted(outputFolder + outputName);
}

QString metadataCommandLine(const QString &appFolder,
                            const QString &outputFolder,
                            const QString &outputName,
                            QChar separator)
{
    return appFolder + separator + "flvmdi " + quoted(outputFolder + outputName);
}

QString imageCommandLine(const QString &appFolder,
                         const QString &input,
                         const QString &videoWindow,
                         const QString &frameCount,
                         const QString &outputFolder,
                         QChar separator)
{
    return encoderHead(appFolder, input, separator) + " -s " + videoWindow + " -vframes "
            + frameCount + u' ' + quoted(outputFolder + "cover%d.jpg");
}

} // namespace pipeline
