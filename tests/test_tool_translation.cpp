// The pure parts of the front-ends: old command lines as the system ffmpeg
// gets them, bit rates, picture names, watermark hooks, colours (golden rows
// in data/tool_lines.txt), and the size an FLV states.
#include "support/TestPaths.h"
#include "tools/ColourTable.h"
#include "tools/FlvFile.h"
#include "tools/ModernArguments.h"
#include "tools/WatermarkHook.h"

#include <QFile>
#include <QTemporaryFile>
#include <QtEndian>

#include <bit>

#include <gtest/gtest.h>

using namespace tools;

namespace {

// What a row's input gives, in the file's words; "refused" for an error.
QString translate(const QString &kind, const QString &input, const QByteArray &colours)
{
    const auto text = [](const std::optional<QString> &value) {
        return value.value_or("none");
    };
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
        return text(videoBitrateValue(input)) + ' ' + text(audioBitrateValue(input));
    if (kind == "picture")
        return isPicturePattern(input) ? pictureName(input.section('/', -1), 7) : "none";
    if (kind == "colour") {
        const std::optional<Rgb> c = lookUpColour(colours, input);
        return c ? QString("%1 %2 %3").arg(c->red).arg(c->green).arg(c->blue) : "none";
    }
    const WatermarkHookParse p = parseWatermarkHook(
            QString(input).replace("\\n", "\n").replace("\\r", "\r"));
    const WatermarkHook &h = p.hook;
    const QStringList numbers {QString::number(h.fontSize),
                               QString::number(h.alpha),
                               QString::number(h.left),
                               QString::number(h.top)};
    return p.error.isEmpty()
            ? (QStringList {h.module, h.colourName, h.fontFile, h.colourTable, h.text} + numbers)
                      .join('|')
                      .replace("\n", "\\n")
                      .replace("\r", "\\r")
            : "refused";
}

} // namespace

TEST(ToolTranslation, GoldenRows)
{
    QFile table(TOOL_LINES);
    ASSERT_TRUE(table.open(QIODevice::ReadOnly)) << TOOL_LINES;
    QFile colourFile(applicationFolderUnderTest() + "/vhook/rgb.txt");
    ASSERT_TRUE(colourFile.open(QIODevice::ReadOnly));
    const QByteArray colours = colourFile.readAll();
    EXPECT_FALSE(lookUpColour("! 1 2 3 comment\n", "comment").has_value());
    int rows = 0;
    for (int number = 1; !table.atEnd(); ++number) {
        const QStringList row = QString::fromUtf8(table.readLine()).remove('\n').split('\t');
        if (row.size() < 3 || row[0].startsWith('#'))
            continue;
        ++rows;
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
    EXPECT_GT(rows, 0) << "no rows in " TOOL_LINES;
}

// The size an FLV's first tag states, read from that tag alone.
TEST(ToolFlvFile, DeclaredFileSize)
{
    const auto number = [](double value) {
        QByteArray bytes(8, Qt::Uninitialized);
        qToBigEndian(std::bit_cast<quint64>(value), bytes.data());
        return bytes;
    };
    const QByteArray meta = QByteArray("\x02\x00\x0aonMetaData\x08\0\0\0\x01\0\x08", 20)
            + "filesize" + QByteArray(1, '\0');
    const QByteArray end("\0\0\x09", 3);
    const auto flv = [](char type, qsizetype dataSize, const QByteArray &data) {
        QByteArray bytes("FLV\x01\x05\0\0\0\x09\0\0\0\0", 13);
        bytes += type;
        bytes += QByteArray::fromHex(QByteArray::number(0x1000000 + dataSize, 16).mid(1));
        return bytes + QByteArray(7, '\0') + data;
    };
    const qsizetype whole = meta.size() + 8;
    const std::pair<QByteArray, qint64> cases[] = {
            {flv(18, whole + 3, meta + number(1234) + end), 1234},
            {flv(18, whole, meta + number(1234)), 1234}, // the value ends the file
            {flv(18, whole - 1, meta + number(1234) + end), -1}, // the value ends past the tag
            {flv(9, whole + 3, meta + number(1234) + end), -1}, // the first tag is a picture
            {flv(18, whole + 3, meta + number(-5) + end), -1},
            {"FLX" + flv(18, whole + 3, meta + number(1234) + end).mid(3), -1},
    };
    for (const auto &[bytes, size] : cases) {
        QTemporaryFile file;
        ASSERT_TRUE(file.open() && file.write(bytes) == bytes.size() && file.flush());
        EXPECT_EQ(declaredFileSize(file.handle()), size) << bytes.toHex().toStdString();
    }
}
