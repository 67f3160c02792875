#pragma once

#include "Command.h"

#include <QChar>
#include <QString>

namespace pipeline {

// The commands of the three stages of a conversion. appFolder is the
// application folder in its long form; outputFolder always ends in the
// separator. The program path at the head of each text is not quoted.

// The intermediate file that normalized sources are written to.
QString intermediateFile(const QString &appFolder, QChar separator);

StageCommand encodeCommand(const QString &appFolder,
                           const QString &input,
                           const CommandArguments &encoderArguments,
                           const QString &outputFolder,
                           const QString &outputName,
                           QChar separator);

StageCommand metadataCommand(const QString &appFolder,
                             const QString &outputFolder,
                             const QString &outputName,
                             QChar separator);

StageCommand imageCommand(const QString &appFolder,
                          const QString &input,
                          const QString &videoWindow,
                          const QString &frameCount,
                          const QString &outputFolder,
                          QChar separator);

} // namespace pipeline
