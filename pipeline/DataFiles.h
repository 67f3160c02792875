// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "StartupFailure.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Readers of the three data files of the application folder: "fonts.txt",
// "fontsizes.txt" and "colors.txt". Each reads the entries in file order and
// stops at the first bad line; the entries before it are kept, so that the
// lists filled so far stay as they are when start-up fails.

struct FontEntry
{
    QString fileName; // a file under the system fonts folder
    QString displayName; // shown to the user
    bool operator==(const FontEntry &) const = default;
};

struct ColorEntry
{
    quint32 value = 0; // red + 256 * green + 65536 * blue
    QString name;
    bool operator==(const ColorEntry &) const = default;
};

template<typename T>
struct DataFileRead
{
    QList<T> entries;
    std::optional<StartupFailure> failure;
};

// Splits file bytes into lines in the system code page. CR LF ends a line and
// so does a lone LF; the last line may lack its end. Nothing else is removed.
QStringList dataFileLines(const QByteArray &bytes);

// A line is "file name,display name[,ignored...]"; a line without a comma fails.
DataFileRead<FontEntry> parseFonts(const QStringList &lines);
// Every line is an entry, unchanged.
DataFileRead<QString> parseFontSizes(const QStringList &lines);
// A line is "red green blue name[ ignored...]", fields separated by exactly
// one space; components are signed 16-bit whole numbers.
DataFileRead<ColorEntry> parseColors(const QStringList &lines);

// The largest data file read; the shipped ones are a few KiB.
constexpr qint64 MaxDataFileBytes = 1024 * 1024;

// The lines of a file in the application folder; a missing file fails, and
// so does one that is no regular file or is larger than MaxDataFileBytes.
struct DataFileText
{
    QStringList lines;
    std::optional<StartupFailure> failure;
};
DataFileText readDataFile(const QString &path);
