// SPDX-License-Identifier: GPL-3.0-or-later
#include "FlvCheck.h"

#include <QFile>
#include <QFileInfo>

namespace media {

namespace {

quint32 bigEndian(const QByteArray &bytes, qsizetype at, int count)
{
    quint32 value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | uchar(bytes[at + i]);
    return value;
}

constexpr int TagHeaderSize = 11;
constexpr char Audio = 8, Video = 9, Script = 18;
constexpr qint64 MetadataLimit = 4 << 20; // far beyond a keyframe index of hours

} // namespace

bool isWholeFlv(const QString &path)
{
    // Opening a named pipe would wait for a writer.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    const QByteArray header = file.read(9);
    if (header.size() < 9 || !header.startsWith("FLV") || header[3] != 1)
        return false;
    qint64 at = bigEndian(header, 5, 4);
    if (at < 9 || !file.seek(at) || file.read(4) != QByteArray(4, '\0'))
        return false;
    at += 4;
    bool media = false;
    for (bool first = true; at < size; first = false) {
        if (!file.seek(at))
            return false;
        const QByteArray tag = file.read(TagHeaderSize);
        if (tag.size() < TagHeaderSize)
            return false;
        const char type = tag[0];
        const qint64 dataSize = bigEndian(tag, 1, 3);
        if (first) {
            // The metadata tag names itself at the start of its data, and
            // the metadata stage marks it as complete.
            if (type != Script || dataSize > MetadataLimit)
                return false;
            const QByteArray data = file.read(dataSize);
            if (!data.startsWith(QByteArray("\x02\x00\x0aonMetaData", 13))
                || !data.contains(QByteArray("\x00\x0bhasMetadata\x01\x01", 15)))
                return false;
        } else if (type != Audio && type != Video && type != Script) {
            return false;
        }
        media = media || type != Script;
        const qint64 end = at + TagHeaderSize + dataSize;
        if (end + 4 > size || !file.seek(end))
            return false;
        const QByteArray previous = file.read(4);
        if (previous.size() < 4 || bigEndian(previous, 0, 4) != TagHeaderSize + dataSize)
            return false;
        at = end + 4;
    }
    return media && at == size;
}

} // namespace media
