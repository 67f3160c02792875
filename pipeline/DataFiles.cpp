// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFiles.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <limits>

QStringList dataFileLines(const QByteArray &bytes)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        else if (end > start && bytes[end - 1] == '\r')
            --end;
        lines.append(QString::fromLocal8Bit(bytes.mid(start, end - start)));
        start = next;
    }
    return lines;
}

DataFileRead<FontEntry> parseFonts(const QStringList &lines)
{
    DataFileRead<FontEntry> read;
    for (const QString &line : lines) {
        const QStringList fields = line.split(u',');
        if (fields.size() < 2) {
            read.failure = StartupFailure::subscriptOutOfRange();
            break;
        }
        read.entries.append({fields[0], fields[1]});
    }
    return read;
}

DataFileRead<QString> parseFontSizes(const QStringList &lines)
{
    return {lines, std::nullopt};
}

namespace {

// A colour component as a signed 16-bit whole number.
std::optional<StartupFailure> readComponent(const QString &field, int &component)
{
    bool ok = false;
    const qlonglong value = field.toLongLong(&ok, 10);
    if (!ok) {
        // Digits too many for any integer still overflow rather than mismatch.
        const bool digits = !field.isEmpty()
                && std::all_of(field.begin() + (field.startsWith(u'-') ? 1 : 0),
                               field.end(),
                               [](QChar c) { return c.isDigit(); });
        return digits && field != u"-" ? StartupFailure::overflow()
                                       : StartupFailure::typeMismatch();
    }
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return StartupFailure::overflow();
    component = std::clamp(int(value), 0, 255);
    return std::nullopt;
}

} // namespace

DataFileRead<ColorEntry> parseColors(const QStringList &lines)
{
    DataFileRead<ColorEntry> read;
    for (const QString &line : lines) {
        const QStringList fields = line.split(u' ');
        if (fields.size() < 4) {
            read.failure = StartupFailure::subscriptOutOfRange();
            break;
        }
        int rgb[3] = {};
        for (int i = 0; i < 3 && !read.failure; ++i)
            read.failure = readComponent(fields[i], rgb[i]);
        if (read.failure)
            break;
        read.entries.append({quint32(rgb[0] + 256 * rgb[1] + 65536 * rgb[2]), fields[3]});
    }
    return read;
}

DataFileText readDataFile(const QString &path)
{
    const platform::SmallFile file = platform::readSmallFile(path, MaxDataFileBytes);
    if (!file.problem.isEmpty())
        return {{}, StartupFailure::fileNotFound()};
    return {dataFileLines(file.bytes), std::nullopt};
}
