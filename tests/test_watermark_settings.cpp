// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DataRows.h"
#include "watermark/InputRules.h"
#include "watermark/SettingsScrambler.h"
#include "watermark/WatermarkSettings.h"

#include <QKeySequence>

#include <gtest/gtest.h>

using namespace watermark;

namespace {

// Seven values as a row writes them; "x*N" stands for N letters x.
WatermarkSettings settings(QStringList a)
{
    if (a[0].startsWith("x*"))
        a[0] = QString(a[0].mid(2).toInt(), u'x');
    return {a[0], qint16(a[1].toInt()), qint16(a[2].toInt()), qint16(a[3].toInt()), a[4], a[5], a[6]};
}

QString shown(const LoadedSettings &l)
{
    QStringList values {l.text.value_or("-")};
    for (const auto index : {l.color, l.font, l.fontSize})
        values << (index ? QString::number(*index) : "-");
    for (const auto &value : {l.left, l.top, l.alpha})
        values << value.value_or("-");
    return values.join('|');
}

// The result of the function a row of data/watermark_settings.txt names.
QString result(const QString &function, const QStringList &a)
{
    const QByteArray hex = QByteArray::fromHex(a[0].toLatin1());
    if (function == "scramble" || function == "unscramble")
        return (function == "scramble" ? Scramble(hex, SettingsKey) : Unscramble(hex, SettingsKey))
                .toHex();
    if (function == "save") {
        const auto saved = settingsToBytes(settings(a));
        if (const auto *p = std::get_if<SaveProblem>(&saved))
            return QString("%1 %2 %3 %4")
                    .arg(QStringList {"NotInCodePage", "EndsTheLine", "TooLong"}[int(p->kind)])
                    .arg(p->line)
                    .arg(p->position)
                    .arg(p->character);
        QStringList lines;
        for (const QByteArray &line : std::get<QByteArray>(saved).split('\n'))
            lines << Unscramble(line.chopped(line.endsWith('\r') ? 1 : 0), SettingsKey)
                             .toPercentEncoding(" ");
        return lines.join('|');
    }
    if (function == "roundTrip") {
        const WatermarkSettings s = settings(a);
        const LoadedSettings back = settingsFromBytes(std::get<QByteArray>(settingsToBytes(s)));
        return back == LoadedSettings {s.text, s.color, s.font, s.fontSize, s.left, s.top, s.alpha}
                ? "same"
                : shown(back);
    }
    if (function == "load") { // CR, and an LF right after it, are left as they are
        QByteArray bytes, value, in = a[0].toLatin1();
        for (qsizetype i = 0; i <= in.size(); ++i) {
            if (i < in.size() && in[i] != '\r' && !(in[i] == '\n' && i && in[i - 1] == '\r'))
                value += in[i];
            else
                bytes += Scramble(std::exchange(value, {}), SettingsKey) + in.mid(i, 1);
        }
        return shown(settingsFromBytes(bytes));
    }
    if (function == "types") {
        const QKeyCombination key = QKeySequence::fromString(a[0])[0];
        return QString::number(typesCharacter(key.key(),
                                              key.keyboardModifiers(),
                                              QByteArray::fromPercentEncoding(a[1].toLatin1())));
    }
    return "(no such function)";
}

} // namespace

TEST(SettingsFile, EachRowGivesItsResult)
{
    EXPECT_EQ(differingRows("watermark_settings.txt", result).toStdString(), "");
}
