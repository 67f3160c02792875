#include "app/DataFiles.h"

#include "support/TestPaths.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

const StartupFailure NotFound = StartupFailure::fileNotFound();
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

TEST(DataFileLines, CrLfAndLoneLfEndLines)
{
    EXPECT_EQ(dataFileLines("a\r\nb\nc"), QStringList({"a", "b", "c"}));
    EXPECT_EQ(dataFileLines("a\r\n\r\nb\r\n"), QStringList({"a", "", "b"}));
    EXPECT_EQ(dataFileLines(""), QStringList());
    EXPECT_EQ(dataFileLines("\r\n"), QStringList({""}));
    // A lone CR stays part of the text, and so do blanks.
    EXPECT_EQ(dataFileLines(" a\rb \r\n"), QStringList({" a\rb "}));
}

TEST(DataFileLines, BytesAreReadInTheSystemCodePage)
{
    EXPECT_EQ(dataFileLines("Caf\xc3\xa9\r\n"),
              QStringList({QString::fromLocal8Bit("Caf\xc3\xa9")}));
}

TEST(Fonts, FieldsAfterTheSecondAreIgnored)
{
    const auto read = parseFonts({"a.ttf,A,extra,more", "b.ttf,", "c.ttf, C"});
    EXPECT_FALSE(read.failure.has_value());
    EXPECT_EQ(read.entries, QList<FontEntry>({{"a.ttf", "A"}, {"b.ttf", ""}, {"c.ttf", " C"}}));
}

TEST(Fonts, LineWithoutCommaFailsAfterTheGoodOnes)
{
    for (const QString &bad : {QString("no comma"), QString()}) {
        const auto read = parseFonts({"a.ttf,A", bad, "c.ttf,C"});
        EXPECT_EQ(read.failure, Subscript);
        EXPECT_EQ(read.entries, QList<FontEntry>({{"a.ttf", "A"}}));
    }
}

TEST(FontSizes, EveryLineIsAnEntry)
{
    const auto read = parseFontSizes({"8", "", " 12 "});
    EXPECT_FALSE(read.failure.has_value());
    EXPECT_EQ(read.entries, QStringList({"8", "", " 12 "}));
}

TEST(Colors, ComponentsCombineIntoOneValue)
{
    const auto read = parseColors({"255 128 1 orange", "0 0 0 black extra words"});
    EXPECT_FALSE(read.failure.has_value());
    EXPECT_EQ(read.entries,
              QList<ColorEntry>({{255 + 256 * 128 + 65536 * 1, "orange"}, {0, "black"}}));
}

TEST(Colors, TwoWordNameKeepsOnlyTheFirstWord)
{
    EXPECT_EQ(parseColors({"0 0 128 navy blue"}).entries.first().name, "navy");
}

TEST(Colors, BadLinesFailWithTheirNumbers)
{
    struct Case
    {
        const char *line;
        StartupFailure failure;
    };
    const Case cases[] = {
            {"255 255 white", Subscript}, // three fields
            {"", Subscript}, // empty line
            {"255  255 255 white", Mismatch}, // double blank: an empty field is read as a number
            {"x 0 0 white", Mismatch},
            {"0 0 1.5 white", Mismatch},
            {"70000 0 0 white", Overflow},
            {"0 -32769 0 white", Overflow},
            {"0 0 99999999999999999999 white", Overflow},
    };
    for (const Case &c : cases) {
        const auto read = parseColors({"1 2 3 first", c.line, "4 5 6 never"});
        EXPECT_EQ(read.failure, c.failure) << c.line;
        ASSERT_EQ(read.entries.size(), 1) << c.line;
        EXPECT_EQ(read.entries.first().name, "first");
    }
}

TEST(Colors, SixteenBitComponentsOutsideTheColourRangeAreClamped)
{
    const auto read = parseColors({"300 -5 32767 odd"});
    EXPECT_FALSE(read.failure.has_value());
    EXPECT_EQ(read.entries.first().value, quint32(255 + 0 + 65536 * 255));
}

TEST(ReadDataFile, MissingFileIsFileNotFound)
{
    const DataFileText text = readDataFile("/nonexistent/fonts.txt");
    EXPECT_EQ(text.failure, NotFound);
    EXPECT_EQ(
            NotFound.message(),
            "INTERNAL ERROR OCCURED - ERROR NUMBER: 53 - FILE NOT FOUND. PLEASE CONTACT SUPPORT.");
}

// The files shipped in the application folder work with the system they run on.
TEST(ShippedDataFiles, EveryFontIsInstalled)
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
}

TEST(ShippedDataFiles, FontSizesRunFrom8To72)
{
    const QStringList sizes = parseFontSizes(shippedLines("fontsizes.txt")).entries;
    ASSERT_GE(sizes.size(), 5);
    int previous = 0;
    for (const QString &size : sizes) {
        bool ok = false;
        const int value = size.toInt(&ok);
        EXPECT_TRUE(ok && value > previous) << size.toStdString();
        previous = value;
    }
    EXPECT_EQ(sizes.first(), "8");
    EXPECT_EQ(sizes.last(), "72");
}

TEST(ShippedDataFiles, EveryColourNameIsInTheColourTable)
{
    QFile table("/usr/share/X11/rgb.txt");
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    QSet<QString> known;
    const QRegularExpression entry(R"(^\s*\d+\s+\d+\s+\d+\s+(.+?)\s*$)");
    for (const QString &line : dataFileLines(table.readAll())) {
        const auto match = entry.match(line);
        if (match.hasMatch())
            known.insert(match.captured(1).toLower());
    }
    const auto colors = parseColors(shippedLines("colors.txt"));
    EXPECT_FALSE(colors.failure.has_value());
    ASSERT_GE(colors.entries.size(), 7);
    for (const ColorEntry &color : colors.entries)
        EXPECT_TRUE(known.contains(color.name.toLower())) << color.name.toStdString();
    EXPECT_EQ(colors.entries[6].name, "white");
}
