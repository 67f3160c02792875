// SPDX-License-Identifier: GPL-3.0-or-later
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

// The first tag's data, and where it starts in the file; empty when the file
// does not start with a script data tag.
QByteArray metadataTag(int fd, qint64 &dataStart)
{
    const QByteArray header = readAt(fd, 0, 9);
    if (header.size() < 9 || !header.startsWith("FLV"))
        return {};
    const qint64 tagStart = qint64(bigEndian(header, 5, 4)) + 4;
    const QByteArray tagHeader = readAt(fd, tagStart, 11);
    if (tagHeader.size() < 11 || tagHeader[0] != 18) // 18: script data
        return {};
    dataStart = tagStart + 11;
    return readAt(fd, dataStart, bigEndian(tagHeader, 1, 3));
}

// Walks AMF0 values (the script data's encoding). For each value of the
// top-level object or array, found receives its key, type and offset.
class AmfWalker
{
public:
    explicit AmfWalker(const QByteArray &data)
        : m_data(data)
    { }

    template<typename Found>
    bool walkMetadata(Found found)
    {
        // "onMetaData", then an object or an array of named values.
        if (!skipValue(0))
            return false;
        const char type = byte();
        if (type == 8)
            m_at += 4; // the array's count, which readers do not trust
        else if (type != 3)
            return false;
        for (;;) {
            QByteArray key;
            if (!readKey(key))
                return false;
            if (key.isEmpty())
                return byte() == 9; // the end of the object
            if (m_at >= m_data.size())
                return false;
            found(key, m_data[m_at], m_at + 1);
            if (!skipValue(1))
                return false;
        }
    }

private:
    bool has(qint64 count) const { return m_at + count <= m_data.size(); }
    char byte() { return has(1) ? m_data[m_at++] : char(-1); }
    quint32 number(int bytes)
    {
        if (!has(bytes))
            return 0;
        const quint32 value = bigEndian(m_data, m_at, bytes);
        m_at += bytes;
        return value;
    }
    bool readKey(QByteArray &key)
    {
        const quint32 size = number(2);
        if (!has(size))
            return false;
        key = m_data.mid(m_at, size);
        m_at += size;
        return true;
    }
    bool skipObject(int depth)
    {
        for (QByteArray key;;) {
            if (!readKey(key))
                return false;
            if (key.isEmpty())
                return byte() == 9;
            if (!skipValue(depth + 1))
                return false;
        }
    }
    bool skipValue(int depth)
    {
        if (depth > 32)
            return false;
        switch (byte()) {
        case 0: // number
            m_at += 8;
            break;
        case 1: // boolean
            m_at += 1;
            break;
        case 2: // string
            m_at += number(2);
            break;
        case 3: // object
            return skipObject(depth);
        case 8: // array of named values
            m_at += 4;
            return skipObject(depth);
        case 10: { // array
            const quint32 count = number(4);
            for (quint32 i = 0; i < count; ++i) {
                if (!skipValue(depth + 1))
                    return false;
            }
            break;
        }
        case 11: // date
            m_at += 10;
            break;
        case 12: // long string
            m_at += number(4);
            break;
        case 5: // null
        case 6: // undefined
            break;
        default:
            return false;
        }
        return m_at <= m_data.size();
    }

    const QByteArray &m_data;
    qint64 m_at = 0;
};

QByteArray encoded(const std::variant<double, bool> &value)
{
    if (const bool *flag = std::get_if<bool>(&value))
        return QByteArray(1, *flag ? 1 : 0);
    quint64 bits = 0;
    std::memcpy(&bits, &std::get<double>(value), sizeof bits);
    QByteArray bytes(8, 0);
    for (int i = 0; i < 8; ++i)
        bytes[i] = char(bits >> (56 - 8 * i));
    return bytes;
}

} // namespace

int overwriteMetadata(int fd, const QList<MetadataField> &fields)
{
    qint64 dataStart = 0;
    const QByteArray data = metadataTag(fd, dataStart);
    QList<QPair<qint64, QByteArray>> writes;
    const bool read = AmfWalker(data).walkMetadata([&](const QByteArray &key, char type, qint64 at) {
        for (const MetadataField &field : fields) {
            if (field.key == key && type == (std::holds_alternative<bool>(field.value) ? 1 : 0))
                writes.append({dataStart + at, encoded(field.value)});
        }
    });
    if (!read)
        return -1;
    for (const auto &[at, bytes] : std::as_const(writes)) {
        if (pwrite(fd, bytes.constData(), size_t(bytes.size()), at) != bytes.size())
            return -1;
    }
    return int(writes.size());
}

// The FLV header gives the offset of the first tag, whose 11-byte header
// gives the size of its data (at most 16 MiB); the AMF data holds the key
// "filesize" followed by a number: a type byte 0 and an 8-byte double.
qint64 declaredFileSize(int fd)
{
    qint64 dataStart = 0;
    const QByteArray data = metadataTag(fd, dataStart);
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
