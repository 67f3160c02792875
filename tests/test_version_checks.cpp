#include "checks/ComponentPlatform.h"

#include "doubles/FakeComponents.h"
#include "platform/LinuxComponents.h"

#include <QFileInfo>

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

using namespace checks;

TEST(VersionTexts, AsTheCheckMenuShowsThem)
{
    const std::pair<std::optional<QString>, QString> directX[] = {{"4.09.00.0904", "9.0"},
                                                                  {"4.08.01.0810", "8.0"},
                                                                  {"4.0", ""},
                                                                  {"4.09", "9"},
                                                                  {"4.09.", "9."},
                                                                  {std::nullopt, ""}};
    for (const auto &[registry, text] : directX)
        EXPECT_EQ(directXVersionText(registry), text) << text.toStdString();
    const std::pair<QString, std::optional<bool>> requirement[]
            = {{"9.0", true}, {"8.0", true}, {"7.0", false}, {"9", true}, {"", {}}, {"9.x", {}}};
    for (const auto &[text, met] : requirement)
        EXPECT_EQ(meetsDirectXRequirement(text), met) << text.toStdString();
    const std::pair<quint32, QString> words[] = {{0x000C0000, "12.0"},
                                                 {0x1DA90DE4, "7593.3556"},
                                                 {0x00018000, "1.32768"},
                                                 {0x80000000, "32768.0"},
                                                 {0, "0.0"}};
    for (const auto &[word, text] : words)
        EXPECT_EQ(FormatVersionWord(word), text);
    const std::pair<qint32, QString> quickTime[] = {{0x7668000, "7.6.6"},
                                                    {0x7608000, "7.6.0"},
                                                    {0, "0..0"},
                                                    {5, "5..5"},
                                                    {0x4A, "4.A.A"},
                                                    {-1, "F.F.F"},
                                                    {qint32(0x80000000), "8.0.0"}};
    for (const auto &[version, text] : quickTime)
        EXPECT_EQ(FormatQuickTimeVersion(version), text);
}

TEST(CheckReports, AnswersOfTheComponents)
{
    platform::FakeComponents fake;
    EXPECT_EQ(directXReport(fake), (CheckReport {"DirectX: 9.0", 64, "Message"}));
    fake.directX = std::nullopt;
    EXPECT_EQ(directXReport(fake), (CheckReport {"DirectX: ", 64, "Message"}));

    fake.block.words[2] = 0x000B0000;
    fake.block.words[3] = 0x17BF0D7A;
    QString path;
    EXPECT_EQ(mediaRuntimeReport(fake, u'\\', &path), (CheckReport {"Version: 11.0.6079.3450"}));
    EXPECT_EQ(path, "C:\\WINDOWS\\system32\\WMVCORE.DLL");
    EXPECT_EQ(fake.askedPath, path);
    fake.block = {};
    EXPECT_EQ(mediaRuntimeReport(fake, u'\\').prompt, "Version: 0.0.0.0");

    const CheckReport missing {"QUICKTIME IS NOT INSTALLED!", 16, "Error"};
    EXPECT_EQ(quickTimeReport(fake), missing);
    fake.hasChecker = true;
    EXPECT_EQ(quickTimeReport(fake), missing); // the availability call fails
    fake.checker.available = false;
    EXPECT_EQ(quickTimeReport(fake), missing);
    fake.checker.available = true;
    fake.checker.version = 0x7668000;
    EXPECT_EQ(quickTimeReport(fake), (CheckReport {"QuickTime: 7.6.6", 64, "Message"}));
    fake.checker.version = std::nullopt; // the version call fails
    EXPECT_EQ(quickTimeReport(fake).prompt, "QuickTime: ..");
}

// On Linux: a compatibility layer's DirectX, no QuickTime, and the loaded
// libavcodec as the media runtime.
TEST(CheckReports, LinuxComponents)
{
    platform::LinuxComponents linux;
    EXPECT_EQ(GetDirectXVersion(linux), "9.0");
    EXPECT_EQ(quickTimeReport(linux).prompt, "QUICKTIME IS NOT INSTALLED!");
    QString path;
    const CheckReport report = mediaRuntimeReport(linux, u'/', &path);
    EXPECT_TRUE(QFileInfo(path).isFile()) << path.toStdString();
    EXPECT_TRUE(QFileInfo(path).fileName().startsWith("libavcodec.so")) << path.toStdString();
    const unsigned v = avcodec_version();
    EXPECT_EQ(report.prompt,
              QString("Version: %1.%2.%3.0")
                      .arg(AV_VERSION_MAJOR(v))
                      .arg(AV_VERSION_MINOR(v))
                      .arg(AV_VERSION_MICRO(v)));
    EXPECT_EQ(linux.GetFileVersionFixedInfo("/usr/share/X11/rgb.txt"), FixedFileInfo {});
}
