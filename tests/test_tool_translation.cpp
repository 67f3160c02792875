// SPDX-License-Identifier: GPL-3.0-or-later
// The pure parts of the front-ends: old command lines as the system ffmpeg
// gets them, bit rates, picture names, watermark hooks, colours and the size
// an FLV states: golden rows in data/tool_lines.txt.
#include "support/DataRows.h"
#include "support/TestMedia.h"
#include "tools/ColourTable.h"
#include "tools/FlvFile.h"
#include "tools/ModernArguments.h"
#include "tools/WatermarkHook.h"

#include <QTemporaryFile>

#include <gtest/gtest.h>

using namespace tools;

namespace {

// What a row's input gives, in the file's words; "refused" for an error.
QString translate(const QString &kind, const QString &input, const QByteArray &colours)
{
    if (kind == "line") {
        const LegacyParse parsed = parseLegacyCommand(input.split('|'));
        const DrawText drawn {"/f/a.ttf", 16, {255, 255, 255}, 200, 10, 20, "/t/x.txt"};
        return parsed.error.isEmpty()
                ? modernArguments(parsed.command,
                                  parsed.command.hook ? drawn : std::optional<DrawText>())
                          .join('|')
                : "refused";
    }
    if (kind == "rate")
        return videoBitrateValue(input).value_or("none") + ' '
                + audioBitrateValue(input).value_or("none");
    if (kind == "picture")
        return isPicturePattern(input) ? pictureName(input.section('/', -1), 7) : "none";
    if (kind == "flvsize") {
        QTemporaryFile file;
        const QByteArray bytes = QByteArray::fromHex(input.toLatin1());
        return file.open() && file.write(bytes) == bytes.size() && file.flush()
                ? QString::number(declaredFileSize(file.handle()))
                : "unwritten";
    }
    if (kind == "colour") {
        const std::optional<Rgb> c = lookUpColour(colours, input);
        return c ? QString("%1 %2 %3").arg(c->red).arg(c->green).arg(c->blue) : "none";
    }
    if (kind != "hook")
        return "no such kind";
    const WatermarkHookParse p = parseWatermarkHook(input);
    const WatermarkHook &h = p.hook;
    const QString all = QStringList {h.module, h.colourName, h.fontFile, h.colourTable, h.text}.join(
                                '|')
            + QString("|%1|%2|%3|%4").arg(h.fontSize).arg(h.alpha).arg(h.left).arg(h.top);
    return p.error.isEmpty() ? all : "refused";
}

} // namespace

TEST(ToolTranslation, GoldenRows)
{
    const QByteArray colours = testmedia::readFile(applicationFolderUnderTest() + "/vhook/rgb.txt");
    ASSERT_FALSE(colours.isEmpty());
    EXPECT_FALSE(lookUpColour("! 1 2 3 comment\n", "comment").has_value());
    const auto rows = dataRows("tool_lines.txt");
    EXPECT_FALSE(rows.isEmpty());
    for (const auto &[number, row] : rows) {
        ASSERT_GE(row.size(), 3) << "line " << number;
        const QString got = translate(row[0], row[1], colours);
        const QString &expected = row[2];
        const bool whole = row[0] != "line" || expected == "refused"
                || expected.startsWith("-nostdin|");
        EXPECT_TRUE(whole ? got == expected
                          : got.contains(expected)
                                    && got.startsWith("-nostdin|-y|-abort_on|empty_output|-i|"))
                << "line " << number << ": " << got.toStdString();
        EXPECT_FALSE(row.size() > 3 && got.split('|').contains(row[3])) << "line " << number;
    }
}
