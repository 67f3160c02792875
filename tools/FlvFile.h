// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <variant>

namespace tools {

// The file size that the metadata tag at the start of the FLV file open as fd
// states, or -1 when it states none. ffmpeg and flvmeta both write it, and
// ffmpeg only once it has written everything else.
qint64 declaredFileSize(int fd);

// Whether the FLV file open as fd is as long as its metadata says: a write
// that failed on the way (a full disk) leaves it shorter, or without its size.
bool isCompleteFlv(int fd);

// A number or true/false field of the metadata tag.
struct MetadataField
{
    QByteArray key;
    std::variant<double, bool> value;
};

// Writes the fields into the metadata tag at the start of the FLV file open
// as fd (read and write), in place: each field that the tag holds with a
// value of the same type gets the new value; the file's size and layout stay
// as they are. The number of fields written, or -1 when the tag cannot be
// read or a write fails.
int overwriteMetadata(int fd, const QList<MetadataField> &fields);

} // namespace tools
