#include "app/DataFiles.h"

#include "support/TestPaths.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

const StartupFailure Mismatch = StartupFailure::typeMismatch();
const StartupFailure Overflow = StartupFailure::overflow();
const StartupFailure Subscript = StartupFailure::subscriptOutOfRange();

QStringList shippedLines(const QString &name)
{
    const DataFileText text = readDataFile(applicationFolderUnderTest() + "/" + name);
    EXPECT_FALSE(text.failure.has_value()) << name.toStdString();
    return text.lines;
}

} // namespace

TEST(DataFiles, LinesEndAtCrLfOrLf)
{
    const std::pair<QByteArray, QStringList> cases[] = {
            {"a\r\nb\nc", {"a", "b", "c"}},
            {"a\r\n\r\nb\r\n", {"a", "", "b"}},
            {"", {}},
            {"\r\n", {""}},
            {" a\rb \r\n", {" a\rb "}}, // a lone CR and blanks stay
            {"Caf\xc3\xa9\r\n", {QString::fromLocal8Bit("Caf\xc3\xa9")}}, // system code page
    };
    for (const auto &[bytes, lines] : cases)
        EXPECT_EQ(dataFileLines(bytes), lines) << bytes.toStdString();
    EXPECT_EQ(readDataFile("/nonexistent/fonts.txt").failure, StartupFailure::fileNotFound());
}

TEST(DataFiles, ListsAsRead)
{
    const auto fonts = parseFonts({"a.ttf,A,extra,more", "b.ttf,", "c.ttf, C"});
    EXPECT_FALSE(fonts.failure.has_value());
    EXPECT_EQ(fonts.entries, QList<FontEntry>({{"a.ttf", "A"}, {"b.ttf", ""}, {"c.ttf", " C"}}));
    const auto noComma = parseFonts({"a.ttf,A", "b.ttf", "c.ttf,C"});
    EXPECT_EQ(noComma.failure, Subscript);
    EXPECT_EQ(noComma.entries, QList<FontEntry>({{"a.ttf", "A"}}));
    EXPECT_EQ(parseFontSizes({"8", "", " 12 "}).entries, QStringList({"8", "", " 12 "}));
    // Value = red + 256 * green + 65536 * blue, each clamped to 0..255; one word of name.
    const auto colors = parseColors({"255 128 1 orange", "0 0 128 navy blue", "300 -5 32767 odd"});
    EXPECT_FALSE(colors.failure.has_value());
    EXPECT_EQ(colors.entries,
              QList<ColorEntry>({{255 + 256 * 128 + 65536, "orange"},
                                 {128 * 65536, "navy"},
                                 {255 + 65536 * 255, "odd"}}));
}

TEST(DataFiles, BadColourLinesFailAfterTheGoodOnes)
{
    const std::pair<const char *, StartupFailure> cases[]
            = {{"255 255 white", Subscript},
               {"", Subscript},
               {"255  255 255 white", Mismatch}, // an empty field is read as a number
               {"x 0 0 white", Mismatch},
               {"0 0 1.5 white", Mismatch},
               {"70000 0 0 white", Overflow},
               {"0 -32769 0 white", Overflow},
               {"0 0 99999999999999999999 white", Overflow}};
    for (const auto &[line, failure] : cases) {
        const auto read = parseColors({"1 2 3 first", line, "4 5 6 never"});
        EXPECT_EQ(read.failure, failure) << line;
        EXPECT_EQ(read.entries, QList<ColorEntry>({{1 + 2 * 256 + 3 * 65536, "first"}})) << line;
    }
}

// The files shipped in the application folder work with the system they run on.
TEST(DataFiles, ShippedFilesFitTheSystem)
{
    const auto fonts = parseFonts(shippedLines("fonts.txt"));
    EXPECT_FALSE(fonts.failure.has_value());
    EXPECT_GE(fonts.entries.size(), 10);
    QSet<QString> names;
    for (const FontEntry &font : fonts.entries) {
        EXPECT_TRUE(QFile::exists("/usr/share/fonts/" + font.fileName))
                << font.fileName.toStdString();
        EXPECT_FALSE(font.displayName.trimmed().isEmpty());
        names.insert(font.displayName);
    }
    EXPECT_EQ(names.size(), fonts.entries.size());

    const QStringList sizes = parseFontSizes(shippedLines("fontsizes.txt")).entries;
    int previous = 0;
    for (const QString &size : sizes) {
        EXPECT_GT(size.toInt(), previous) << size.toStdString();
        previous = size.toInt();
    }
    EXPECT_EQ(sizes.value(0), "8");
    EXPECT_EQ(sizes.value(sizes.size() - 1), "72");

    QFile table("/usr/share/X11/rgb.txt");
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    QSet<QString> known;
    const QRegularExpression entry(R"(^\s*\d+\s+\d+\s+\d+\s+(.+?)\s*$)");
    for (const QString &line : dataFileLines(table.readAll())) {
        if (const auto match = entry.match(line); match.hasMatch())
            known.insert(match.captured(1).toLower());
    }
    const auto colors = parseColors(shippedLines("colors.txt"));
    EXPECT_FALSE(colors.failure.has_value());
    ASSERT_GE(colors.entries.size(), 7);
    for (const ColorEntry &color : colors.entries)
        EXPECT_TRUE(known.contains(color.name.toLower())) << color.name.toStdString();
    EXPECT_EQ(colors.entries[6].name, "white");
}
