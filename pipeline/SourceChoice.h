// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace pipeline {

// The file types the Input File dialog offers, as its filter lists them.
inline const QStringList SourcePatterns = {"*.mpg",
                                           "*.mpeg",
                                           "*.avi",
                                           "*.wmv",
                                           "*.asf",
                                           "*.flv",
                                           "*.mov",
                                           "*.mp4",
                                           "*.3gp",
                                           "*.vob",
                                           "*.dat"};

// What a path handed to the program names. Special: a pipe, a device or a
// socket, which a reader would wait on or read without end.
enum class PathKind { Missing, Folder, File, Special };

// What path names now.
PathKind pathKind(const QString &path);

// True for a file name of a type the Input File dialog offers (letter case aside).
bool offeredType(const QString &path);

struct OfferedPath
{
    QString path;
    PathKind kind = PathKind::Missing;
};

// Why paths handed over outside the Input File dialog (the command line,
// a drop on the window) cannot become the source; nullopt when they are
// exactly one file of a type the dialog offers (letter case aside).
std::optional<QString> sourceProblem(const QList<OfferedPath> &offered);

// The message for a source that is no file: missing, a pipe or a device.
QString fileNotFound(const QString &path);

} // namespace pipeline
