// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QPair>
#include <QString>

#include <optional>

namespace platform {

// True when both paths name one existing file, whatever their spelling
// (links, "..", doubled separators).
bool sameFile(const QString &a, const QString &b);

// What tells an existing file from every other one (device and inode),
// whatever the path's spelling; nothing when there is no file at path.
using FileIdentity = QPair<quint64, quint64>;
std::optional<FileIdentity> fileIdentity(const QString &path);

// The folder of the running executable, without a trailing separator
// (except for the root folder).
QString ApplicationFolder();

// True when the program may create files in the folder (false on a
// read-only mount or without write permission).
bool isWritableFolder(const QString &path);

// The program's folder in the user's cache ($XDG_CACHE_HOME/trovexa); it is
// not created here.
QString userCacheFolder();

// A file of the program's in the user's runtime folder ($XDG_RUNTIME_DIR),
// or in the temporary folder when there is none to use.
QString userRuntimeFile(const QString &name);

// The folder whose "fonts" subfolder holds the system's fonts.
QString GetWindowsFolder();

// The short form of a path. Linux has no short names, so the path comes
// back unchanged (Windows answers the same way when short names are off).
QString ShortPath(const QString &path);

// The system's message text for an error number, without a trailing line
// break; empty when the system has no text for it.
QString SystemErrorText(quint32 code);

// A small file read whole, with a bound: problem says why nothing was read
// ("" when bytes holds the whole file).
struct SmallFile
{
    QByteArray bytes;
    QString problem;
};

// Reads the regular file at path when it holds at most maxBytes bytes.
// Anything else (a folder, a device, a pipe, a larger file) is refused
// without waiting and without reading more than maxBytes + 1 bytes.
SmallFile readSmallFile(const QString &path, qint64 maxBytes);

// The platform's path separator for command lines built by the program.
constexpr QChar PathSeparator = QChar(u'/');

} // namespace platform
