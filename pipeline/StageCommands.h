#pragma once

#include <QChar>
#include <QString>

namespace pipeline {

// The command lines of the three stages of a conversion. appFolder is the
// application folder in its long form; outputFolder always ends in the
// separator. The program path at the head of each line is not quoted.

// The intermediate file that normalized sources are written to.
QString intermediateFile(const QString &appFolder, QChar separator);

// The intermediate file where the program may write it: in the application
// folder when that folder is writable, else in the user's cache folder
// (an installed program's folder is read-only).
QString intermediateFile(const QString &appFolder,
                         bool appFolderWritable,
                         const QString &cacheFolder,
                         QChar separator);

QString encodeCommandLine(const QString &appFolder,
                          const QString &input,
                          const QString &encoderArguments,
                          const QString &outputFolder,
                          const QString &outputName,
                          QChar separator);

QString metadataCommandLine(const QString &appFolder,
                            const QString &outputFolder,
                            const QString &outputName,
                            QChar separator);

QString imageCommandLine(const QString &appFolder,
                         const QString &input,
                         const QString &videoWindow,
                         const QString &frameCount,
                         const QString &outputFolder,
                         QChar separator);

} // namespace pipeline
