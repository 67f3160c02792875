// What the start-up and the Check menu read: the data files of the
// application folder and the versions of the components.
#include "app/DataFiles.h"
#include "checks/ComponentPlatform.h"
#include "doubles/FakeComponents.h"
#include "platform/LinuxComponents.h"
#include "support/TestPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

using namespace checks;

TEST(Checks, VersionTexts)
{
    const std::pair<std::optional<QString>, QString> directX[] = {{"4.09.00.0904", "9.0"},
                                                                  {"4.08.01.0810", "8.0"},
                                                                  {"4.0", ""},
                                                                  {"4.09", "9"},
                                                                  {{}, ""}};
    for (const auto &[registry, text] : directX)
        EXPECT_EQ(directXVersionText(registry), text) << text.toStdString();
    const std::pair<QString, std::optional<bool>> requirement[]
            = {{"9.0", true}, {"8.0", true}, {"7.0", false}, {"9", true}, {"", {}}, {"9.x", {}}};
    for (const auto &[text, met] : requirement)
        EXPECT_EQ(meetsDirectXRequirement(text), met) << text.toStdString();
    const std::pair<quint32, QString> words[] = {{0x000C0000, "12.0"},
                                                 {0x1DA90DE4, "7593.3556"},
                                                 {0x80000000, "32768.0"}};
    for (const auto &[word, text] : words)
        EXPECT_EQ(FormatVersionWord(word), text);
    const std::pair<qint32, QString> quickTime[] = {{0x7668000, "7.6.6"},
                                                    {0, "0..0"},
                                                    {0x4A, "4.A.A"},
                                                    {-1, "F.F.F"},
                                                    {qint32(0x80000000), "8.0.0"}};
    for (const auto &[version, text] : quickTime)
        EXPECT_EQ(FormatQuickTimeVersion(version), text);
}

TEST(Checks, QuickTimeAndTheMediaRuntime)
{
    platform::FakeComponents fake;
    const CheckReport missing {"QUICKTIME IS NOT INSTALLED!", 16, "Error"};
    fake.hasChecker = true;
    EXPECT_EQ(quickTimeReport(fake), missing); // the availability call fails
    fake.checker.available = false;
    EXPECT_EQ(quickTimeReport(fake), missing);
    fake.checker.available = true;
    fake.checker.version = 0x7668000;
    EXPECT_EQ(quickTimeReport(fake), (CheckReport {"QuickTime: 7.6.6", 64, "Message"}));
    fake.checker.version = std::nullopt; // the version call fails
    EXPECT_EQ(quickTimeReport(fake).prompt, "QuickTime: ..");
    QString path;
    mediaRuntimeReport(fake, u'\\', &path);
    EXPECT_EQ(fake.askedPath, "C:\\WINDOWS\\system32\\WMVCORE.DLL");

    // On Linux: a compatibility layer's DirectX, no QuickTime, and the
    // loaded libavcodec as the media runtime.
    platform::LinuxComponents linux;
    EXPECT_EQ(GetDirectXVersion(linux), "9.0");
    EXPECT_EQ(quickTimeReport(linux), missing);
    const unsigned v = avcodec_version();
    EXPECT_EQ(mediaRuntimeReport(linux, u'/', &path).prompt,
              QString("Version: %1.%2.%3.0")
                      .arg(AV_VERSION_MAJOR(v))
                      .arg(AV_VERSION_MINOR(v))
                      .arg(AV_VERSION_MICRO(v)));
    EXPECT_TRUE(QFileInfo(path).isFile() && QFileInfo(path).fileName().startsWith("libavcodec.so"))
            << path.toStdString();
    EXPECT_EQ(linux.GetFileVersionFixedInfo("/usr/share/X11/rgb.txt"), FixedFileInfo {});
}

TEST(DataFiles, LinesAndLists)
{
    const std::pair<QByteArray, QStringList> lines[] = {
            {"a\r\nb\nc", {"a", "b", "c"}},
            {"a\r\n\r\nb\r\n", {"a", "", "b"}},
            {"\r\n", {""}},
            {" a\rb \r\n", {" a\rb "}}, // a lone CR and blanks stay
            {"Caf\xc3\xa9\r\n", {QString::fromLocal8Bit("Caf\xc3\xa9")}}, // system code page
    };
    for (const auto &[bytes, expected] : lines)
        EXPECT_EQ(dataFileLines(bytes), expected) << bytes.toStdString();
    const auto fonts = parseFonts({"a.ttf,A,extra", "b.ttf,", "c.ttf, C", "d.ttf", "e.ttf,E"});
    EXPECT_EQ(fonts.failure, StartupFailure::subscriptOutOfRange());
    EXPECT_EQ(fonts.entries, QList<FontEntry>({{"a.ttf", "A"}, {"b.ttf", ""}, {"c.ttf", " C"}}));
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
    const StartupFailure mismatch = StartupFailure::typeMismatch();
    const StartupFailure overflow = StartupFailure::overflow();
    const std::pair<const char *, StartupFailure> cases[]
            = {{"255 255 white", StartupFailure::subscriptOutOfRange()},
               {"255  255 255 white", mismatch}, // an empty field is read as a number
               {"x 0 0 white", mismatch},
               {"0 0 1.5 white", mismatch},
               {"- 0 0 white", mismatch},
               {"70000 0 0 white", overflow},
               {"0 -32769 0 white", overflow},
               {"0 0 99999999999999999999 white", overflow}};
    for (const auto &[line, failure] : cases) {
        const auto read = parseColors({"1 2 3 first", line, "4 5 6 never"});
        EXPECT_EQ(read.failure, failure) << line;
        EXPECT_EQ(read.entries, QList<ColorEntry>({{1 + 2 * 256 + 3 * 65536, "first"}})) << line;
    }
}

// The files shipped in the application folder work with the system they run on.
TEST(DataFiles, ShippedFilesFitTheSystem)
{
    const auto shipped = [](const char *name) {
        return readDataFile(applicationFolderUnderTest() + "/" + name).lines;
    };
    const auto fonts = parseFonts(shipped("fonts.txt"));
    EXPECT_FALSE(fonts.failure.has_value());
    EXPECT_GE(fonts.entries.size(), 10);
    QSet<QString> names;
    for (const FontEntry &font : fonts.entries) {
        EXPECT_TRUE(QFile::exists("/usr/share/fonts/" + font.fileName))
                << font.fileName.toStdString();
        names.insert(font.displayName.trimmed());
    }
    EXPECT_EQ(names.size(), fonts.entries.size());
    EXPECT_FALSE(names.contains(""));
    const QStringList sizes = shipped("fontsizes.txt");
    for (qsizetype i = 1; i < sizes.size(); ++i)
        EXPECT_GT(sizes[i].toInt(), sizes[i - 1].toInt()) << sizes[i].toStdString();
    EXPECT_EQ(sizes.value(0) + " " + sizes.value(sizes.size() - 1), "8 72");

    QFile table("/usr/share/X11/rgb.txt");
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    const QString known = QString::fromLatin1(table.readAll()).toLower();
    const auto colors = parseColors(shipped("colors.txt"));
    EXPECT_FALSE(colors.failure.has_value());
    ASSERT_GE(colors.entries.size(), 7);
    for (const ColorEntry &color : colors.entries) {
        const QRegularExpression entry("\\d\\s+" + color.name.toLower() + "\\s*\\n");
        EXPECT_TRUE(known.contains(entry)) << color.name.toStdString();
    }
    EXPECT_EQ(colors.entries[6].name, "white");
}
