// What the start-up and the Check menu read: the data files of the
// application folder and the versions of the components.
#include "app/DataFiles.h"
#include "checks/ComponentPlatform.h"
#include "doubles/Doubles.h"
#include "platform/LinuxComponents.h"
#include "support/TestMedia.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

using namespace checks;

// What the Check menu shows for each answer of the components.
TEST(Checks, Reports)
{
    platform::FakeComponents fake;
    const std::pair<std::optional<QString>, QString> directX[] = {{"4.09.00.0904", "9.0"},
                                                                  {"4.09", "9"},
                                                                  {"4.0", ""},
                                                                  {{}, ""}};
    for (const auto &[registry, text] : directX) {
        fake.directX = registry;
        EXPECT_EQ(directXReport(fake), CheckReport {"DirectX: " + text}) << text.toStdString();
    }
    // The two version words of the media runtime's file.
    const std::tuple<quint32, quint32, QString> words[] = {{0x000C0000, 0x80000000, "12.0.32768.0"},
                                                           {0x1DA90DE4,
                                                            0x18000,
                                                            "7593.3556.1.32768"}};
    for (const auto &[high, low, text] : words) {
        fake.block.words[2] = high;
        fake.block.words[3] = low;
        EXPECT_EQ(mediaRuntimeReport(fake, u'\\'), CheckReport {"Version: " + text});
    }
    EXPECT_EQ(fake.askedPath, "C:\\WINDOWS\\system32\\WMVCORE.DLL");
    // A checker or none, its availability and version (nullopt: the call fails).
    const CheckReport missing {"QUICKTIME IS NOT INSTALLED!", 16, "Error"};
    const std::tuple<bool, std::optional<bool>, std::optional<qint32>, CheckReport> quickTime[]
            = {{false, true, 1, missing},
               {true, {}, 1, missing},
               {true, false, 1, missing},
               {true, true, 0x7668000, {"QuickTime: 7.6.6"}},
               {true, true, 0x4A, {"QuickTime: 4.A.A"}},
               {true, true, 0, {"QuickTime: 0..0"}},
               {true, true, -1, {"QuickTime: F.F.F"}},
               {true, true, {}, {"QuickTime: .."}}};
    for (const auto &[hasChecker, available, version, report] : quickTime) {
        fake.hasChecker = hasChecker;
        fake.checker.available = available;
        fake.checker.version = version;
        EXPECT_EQ(quickTimeReport(fake), report) << report.prompt.toStdString();
    }
}

// On Linux: a compatibility layer's DirectX, no QuickTime, and the loaded
// libavcodec as the media runtime.
TEST(Checks, LinuxComponents)
{
    platform::LinuxComponents linux;
    EXPECT_EQ(GetDirectXVersion(linux), "9.0");
    EXPECT_EQ(quickTimeReport(linux).prompt, "QUICKTIME IS NOT INSTALLED!");
    QString path;
    const unsigned v = avcodec_version();
    const QString version
            = QString("Version: %1.%2.%3.0").arg(v >> 16).arg(v >> 8 & 255).arg(v & 255);
    EXPECT_EQ(mediaRuntimeReport(linux, u'/', &path).prompt, version);
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
    const std::pair<StartupFailure, QStringList> cases[]
            = {{StartupFailure::subscriptOutOfRange(), {"255 255 white", ""}},
               {StartupFailure::typeMismatch(),
                {"1  2 3 two blanks", "x 0 0 a", "0 0 1.5 a", "- 0 0 a"}},
               {StartupFailure::overflow(),
                {"70000 0 0 a", "0 -32769 0 a", "0 0 99999999999999999999 a"}}};
    for (const auto &[failure, lines] : cases) {
        for (const QString &line : lines) {
            const auto read = parseColors({"1 2 3 first", line, "4 5 6 never"});
            EXPECT_EQ(read.failure, failure) << line.toStdString();
            EXPECT_EQ(read.entries, QList<ColorEntry>({{1 + 2 * 256 + 3 * 65536, "first"}}));
        }
    }
}

// The fonts the shipped list names are installed, and its colours are in
// the colour table the watermark tool reads (the lists' entries:
// test_window_texts; that they load: test_main_window).
TEST(DataFiles, ShippedFilesFitTheSystem)
{
    const auto shipped = [](const char *name) {
        return readDataFile(applicationFolderUnderTest() + "/" + name).lines;
    };
    const auto fonts = parseFonts(shipped("fonts.txt"));
    for (const FontEntry &font : fonts.entries)
        EXPECT_TRUE(QFile::exists("/usr/share/fonts/" + font.fileName))
                << font.fileName.toStdString();
    QFile table("/usr/share/X11/rgb.txt");
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    const QString known = QString::fromLatin1(table.readAll()).toLower();
    const auto colors = parseColors(shipped("colors.txt"));
    ASSERT_FALSE(fonts.entries.isEmpty() || colors.entries.isEmpty());
    for (const ColorEntry &color : colors.entries)
        EXPECT_TRUE(known.contains(QRegularExpression("\\d\\s+" + color.name.toLower() + "\\s*\\n")))
                << color.name.toStdString();
}
