// SPDX-License-Identifier: GPL-3.0-or-later
#include "WatermarkSettings.h"

#include "InputRules.h"
#include "SettingsScrambler.h"
#include "Windows1252.h"

#include <QList>

namespace watermark {

namespace {

constexpr int LineCount = 7;

const char *const LineNames[LineCount] = {"WATERMARK TEXT",
                                          "COLOUR",
                                          "FONT",
                                          "FONT SIZE",
                                          "LEFT POSITION",
                                          "TOP POSITION",
                                          "ALPHA"};

QStringList valueTexts(const WatermarkSettings &s)
{
    return {s.text,
            QString::number(s.color),
            QString::number(s.font),
            QString::number(s.fontSize),
            s.left,
            s.top,
            s.alpha};
}

// The first position (from 0) where the scrambled byte would be a CR.
std::optional<qsizetype> firstLineEnd(const QByteArray &value)
{
    const QByteArray stored = Scramble(value, SettingsKey);
    const qsizetype at = stored.indexOf('\r');
    return at < 0 ? std::nullopt : std::optional<qsizetype>(at);
}

QList<QByteArray> fileLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size() && lines.size() < LineCount) {
        const qsizetype cr = bytes.indexOf('\r', start);
        if (cr < 0) {
            lines.append(bytes.mid(start));
            break;
        }
        lines.append(bytes.mid(start, cr - start));
        start = cr + 1;
        if (start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return lines;
}

std::optional<qint16> index(const QString &text)
{
    const std::optional<int> value = fieldValue(text);
    if (!value)
        return std::nullopt;
    return static_cast<qint16>(*value);
}

} // namespace

std::variant<QByteArray, SaveProblem> settingsToBytes(const WatermarkSettings &settings)
{
    QByteArray file;
    const QStringList values = valueTexts(settings);
    for (int line = 0; line < LineCount; ++line) {
        const QString &value = values[line];
        if (value.size() > MaxValueLength)
            return SaveProblem {SaveProblem::Kind::TooLong, line + 1, MaxValueLength + 1, {}};
        qsizetype bad = 0;
        const std::optional<QByteArray> bytes = toWindows1252(value, &bad);
        if (!bytes) {
            const int width = value[bad].isHighSurrogate() ? 2 : 1;
            return SaveProblem {SaveProblem::Kind::NotInCodePage,
                                line + 1,
                                bad + 1,
                                value.mid(bad, width)};
        }
        if (const std::optional<qsizetype> cr = firstLineEnd(*bytes)) {
            return SaveProblem {SaveProblem::Kind::EndsTheLine,
                                line + 1,
                                *cr + 1,
                                fromWindows1252(bytes->mid(*cr, 1))};
        }
        file += Scramble(*bytes, SettingsKey);
        file += "\r\n";
    }
    return file;
}

QString saveProblemMessage(const SaveProblem &problem)
{
    const QString where = QString::fromLatin1(LineNames[qBound(1, problem.line, LineCount) - 1]);
    if (problem.kind == SaveProblem::Kind::TooLong)
        return "THE " + where + " IS TOO LONG TO BE SAVED!";
    return QString("THE CHARACTER \"%1\" AT POSITION %2 OF THE %3 CANNOT BE SAVED IN A SETTINGS "
                   "FILE!")
            .arg(problem.character)
            .arg(problem.position)
            .arg(where);
}

LoadedSettings settingsFromBytes(const QByteArray &bytes)
{
    LoadedSettings loaded;
    const QList<QByteArray> lines = fileLines(bytes);
    QStringList values;
    for (const QByteArray &line : lines)
        values << fromWindows1252(Unscramble(line, SettingsKey));

    const auto count = values.size();
    if (count < 1)
        return loaded;
    loaded.text = values[0];
    if (count < 2 || !(loaded.color = index(values[1])))
        return loaded;
    if (count < 3 || !(loaded.font = index(values[2])))
        return loaded;
    if (count < 4 || !(loaded.fontSize = index(values[3])))
        return loaded;
    if (count < 5)
        return loaded;
    loaded.left = values[4];
    if (count < 6)
        return loaded;
    loaded.top = values[5];
    if (count < 7)
        return loaded;
    loaded.alpha = values[6];
    return loaded;
}

QString toFileLineBreaks(const QString &boxText)
{
    QString text = boxText;
    text.replace("\r\n", "\n");
    text.replace(u'\n', "\r\n");
    return text;
}

QString toBoxLineBreaks(const QString &fileText)
{
    QString text = fileText;
    text.replace("\r\n", "\n");
    return text;
}

} // namespace watermark
