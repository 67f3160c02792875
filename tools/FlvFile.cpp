#include "FlvFile.h"

#include <QByteArray>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tools {

namespace {

// Reads count bytes at offset; fewer when the file ends.
QByteArray readAt(int fd, qint64 offset, qint64 count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    qint64 done = 0;
    while (done < count) {
        const ssize_t got = pread(fd, bytes.data() + done, size_t(count - done), offset + done);
        if (got <= 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

quint32 bigEndian(const QByteArray &bytes, qsizetype at, int count)
{
    quint32 value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | uchar(bytes[at + i]);
    return value;
}

} // namespace

// The FLV header gives the offset of the first tag, whose 11-byte header
// gives the size of its data (at most 16 MiB); the AMF data holds the key
// "filesize" followed by a number: a type byte 0 and an 8-byte double.
qint64 declaredFileSize(int fd)
{
    const QByteArray header = readAt(fd, 0, 9);
    if (header.size() < 9 || !header.startsWith("FLV"))
        return -1;
    const qint64 tagStart = qint64(bigEndian(header, 5, 4)) + 4;
    const QByteArray tagHeader = readAt(fd, tagStart, 11);
    if (tagHeader.size() < 11 || tagHeader[0] != 18) // 18: script data
        return -1;
    const QByteArray data = readAt(fd, tagStart + 11, bigEndian(tagHeader, 1, 3));
    static const QByteArray key("\x00\x08"
                                "filesize\x00",
                                11);
    const qsizetype at = data.indexOf(key);
    if (at < 0 || at + key.size() + 8 > data.size())
        return -1;
    const quint64 bits = (quint64(bigEndian(data, at + key.size(), 4)) << 32)
            | bigEndian(data, at + key.size() + 4, 4);
    double size = 0;
    std::memcpy(&size, &bits, sizeof size);
    return size >= 0 && size < 9.0e15 ? qint64(size) : -1;
}

bool isCompleteFlv(int fd)
{
    struct stat info = {};
    return fstat(fd, &info) == 0 && info.st_size > 0 && declaredFileSize(fd) == info.st_size;
}

} // namespace tools
