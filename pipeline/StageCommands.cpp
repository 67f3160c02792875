// SPDX-License-Identifier: GPL-3.0-or-later
#include "StageCommands.h"

namespace pipeline {

namespace {

StageCommand encoderHead(const QString &appFolder, const QString &input, QChar sep)
{
    StageCommand command {appFolder + sep + "ffmpeg", {}};
    command.arguments.blank().words({"-i"}).quoted(input);
    return command;
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

StageCommand encodeCommand(const QString &appFolder,
                           const QString &input,
                           const CommandArguments &encoderArguments,
                           const QString &outputFolder,
                           const QString &outputName,
                           QChar separator)
{
    StageCommand command = encoderHead(appFolder, input, separator);
    command.arguments.append(encoderArguments).quoted(outputFolder + outputName);
    return command;
}

StageCommand metadataCommand(const QString &appFolder,
                             const QString &outputFolder,
                             const QString &outputName,
                             QChar separator)
{
    StageCommand command {appFolder + separator + "flvmdi", {}};
    command.arguments.blank().quoted(outputFolder + outputName);
    return command;
}

StageCommand imageCommand(const QString &appFolder,
                          const QString &input,
                          const QString &videoWindow,
                          const QString &frameCount,
                          const QString &outputFolder,
                          QChar separator,
                          const QString &pictureName)
{
    StageCommand command = encoderHead(appFolder, input, separator);
    command.arguments.blank()
            .words({"-s", videoWindow, "-vframes", frameCount})
            .quoted(outputFolder + pictureName);
    return command;
}

} // namespace pipeline
