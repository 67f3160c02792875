// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

namespace watermark {

// The seven values of a watermark settings (".wsx") file, in file order.
struct WatermarkSettings
{
    QString text; // may hold line breaks (CR LF, as the text box holds them)
    qint16 color = 0; // selected entry of the colour picker, -1 for none
    qint16 font = 0; // selected font, -1 for none
    qint16 fontSize = 0; // selected font size, -1 for none
    QString left;
    QString top;
    QString alpha;
    bool operator==(const WatermarkSettings &) const = default;
};

// The longest value a settings file stores, in characters.
constexpr qsizetype MaxValueLength = 32767;
// The largest settings file that can have been saved: seven values of at most
// MaxValueLength characters (one byte each), each with its CR LF.
constexpr qint64 MaxSettingsFileBytes = 7 * (MaxValueLength + 2);

// Why a value cannot be stored.
struct SaveProblem
{
    enum class Kind {
        NotInCodePage, // no Windows-1252 byte for the character
        EndsTheLine, // its scrambled byte would be a CR and end the line early
        TooLong // more than 32767 characters
    };
    Kind kind;
    int line = 0; // 1 to 7
    qsizetype position = 0; // counted from 1
    QString character;
    bool operator==(const SaveProblem &) const = default;
};

// The file's bytes: each value in Windows-1252, scrambled with SettingsKey,
// followed by CR LF; exactly seven lines.
std::variant<QByteArray, SaveProblem> settingsToBytes(const WatermarkSettings &settings);

// A message for a value that cannot be stored, naming the character and
// where it stands.
QString saveProblemMessage(const SaveProblem &problem);

// What a file gives, line by line in file order: reading stops at the first
// line that is missing or whose index is not a 16-bit whole number, so only
// the values before it are set.
struct LoadedSettings
{
    std::optional<QString> text;
    std::optional<qint16> color;
    std::optional<qint16> font;
    std::optional<qint16> fontSize;
    std::optional<QString> left;
    std::optional<QString> top;
    std::optional<QString> alpha;
    bool operator==(const LoadedSettings &) const = default;
};

// Lines end at a CR; an LF right after it belongs to the end; the file's end
// ends the last line. Lines after the seventh are not looked at.
LoadedSettings settingsFromBytes(const QByteArray &bytes);

// Line breaks between the text box ("\n") and the file (CR LF).
QString toFileLineBreaks(const QString &boxText);
QString toBoxLineBreaks(const QString &fileText);

} // namespace watermark
