// SPDX-License-Identifier: GPL-3.0-or-later
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

// The intermediate file where the program may write it: in the application
// folder when that folder is writable, else in the user's cache folder
// (an installed program's folder is read-only).
QString intermediateFile(const QString &appFolder,
                         bool appFolderWritable,
                         const QString &cacheFolder,
                         QChar separator);

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
                          QChar separator,
                          const QString &pictureName = QStringLiteral("cover%d.jpg"));

} // namespace pipeline
