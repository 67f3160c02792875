#include "checks/ComponentPlatform.h"

#include "doubles/FakeComponents.h"
#include "platform/LinuxComponents.h"

#include <QFileInfo>

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

using namespace checks;

TEST(DirectXVersion, ThreeCharactersFromTheFourth)
{
    EXPECT_EQ(directXVersionText(QString("4.09.00.0904")), "9.0");
    EXPECT_EQ(directXVersionText(QString("4.08.01.0810")), "8.0");
    EXPECT_EQ(directXVersionText(QString("4.07.00.0700")), "7.0");
    EXPECT_EQ(directXVersionText(QString("4.0")), "");
    EXPECT_EQ(directXVersionText(QString("4.09")), "9");
    EXPECT_EQ(directXVersionText(QString("4.09.")), "9.");
    EXPECT_EQ(directXVersionText(std::nullopt), "");
}

TEST(DirectXVersion, EightOrMoreMeetsTheRequirement)
{
    EXPECT_EQ(meetsDirectXRequirement("9.0"), true);
    EXPECT_EQ(meetsDirectXRequirement("8.0"), true);
    EXPECT_EQ(meetsDirectXRequirement("7.0"), false);
    EXPECT_EQ(meetsDirectXRequirement("9"), true);
    EXPECT_EQ(meetsDirectXRequirement(""), std::nullopt);
    EXPECT_EQ(meetsDirectXRequirement("9.x"), std::nullopt);
}

TEST(FormatVersionWord, HighDotLow)
{
    EXPECT_EQ(FormatVersionWord(0x000C0000), "12.0");
    EXPECT_EQ(FormatVersionWord(0x1DA90DE4), "7593.3556");
    EXPECT_EQ(FormatVersionWord(0x00018000), "1.32768");
    EXPECT_EQ(FormatVersionWord(0x80000000), "32768.0");
    EXPECT_EQ(FormatVersionWord(0), "0.0");
    EXPECT_EQ(fileVersionText(FixedFileInfo {}), "0.0.0.0");
}

TEST(FormatQuickTimeVersion, LeadingHexDigits)
{
    EXPECT_EQ(FormatQuickTimeVersion(0x7668000), "7.6.6");
    EXPECT_EQ(FormatQuickTimeVersion(0x7608000), "7.6.0");
    EXPECT_EQ(FormatQuickTimeVersion(0), "0..0");
    EXPECT_EQ(FormatQuickTimeVersion(5), "5..5");
    EXPECT_EQ(FormatQuickTimeVersion(0x4A), "4.A.A");
    EXPECT_EQ(FormatQuickTimeVersion(-1), "F.F.F");
    EXPECT_EQ(FormatQuickTimeVersion(qint32(0x80000000)), "8.0.0");
    EXPECT_EQ(formatQuickTimeHex(""), "..");
}

TEST(CheckReports, DirectX)
{
    platform::FakeComponents fake;
    EXPECT_EQ(directXReport(fake), (CheckReport {"DirectX: 9.0", 64, "Message"}));
    fake.directX = std::nullopt;
    EXPECT_EQ(directXReport(fake), (CheckReport {"DirectX: ", 64, "Message"}));
    fake.directX = QString("4.0");
    EXPECT_EQ(directXReport(fake).prompt, "DirectX: ");
}

TEST(CheckReports, MediaRuntimeVersionFromTheLibraryInTheSystemFolder)
{
    platform::FakeComponents fake;
    fake.block.words[2] = 0x000B0000;
    fake.block.words[3] = 0x17BF0D7A;
    QString path;
    EXPECT_EQ(mediaRuntimeReport(fake, u'\\', &path), (CheckReport {"Version: 11.0.6079.3450"}));
    EXPECT_EQ(path, "C:\\WINDOWS\\system32\\WMVCORE.DLL");
    EXPECT_EQ(fake.askedPath, path);

    fake.block = {};
    EXPECT_EQ(mediaRuntimeReport(fake, u'\\').prompt, "Version: 0.0.0.0");
}

TEST(CheckReports, QuickTime)
{
    platform::FakeComponents fake;
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

TEST(LinuxComponents, AnswersAsACompatibilityLayer)
{
    platform::LinuxComponents linux;
    EXPECT_EQ(GetDirectXVersion(linux), "9.0");
    EXPECT_EQ(meetsDirectXRequirement(GetDirectXVersion(linux)), true);
    EXPECT_EQ(quickTimeReport(linux).prompt, "QUICKTIME IS NOT INSTALLED!");
}

TEST(LinuxComponents, MediaRuntimeIsTheLoadedLibavcodec)
{
    platform::LinuxComponents linux;
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
    // Any other file has no version block here.
    EXPECT_EQ(linux.GetFileVersionFixedInfo("/usr/share/X11/rgb.txt"), FixedFileInfo {});
}
