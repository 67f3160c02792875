// SPDX-License-Identifier: GPL-3.0-or-later
// What the start-up and the Check menu read: data files, component versions.
#include "checks/ComponentPlatform.h"
#include "doubles/Doubles.h"
#include "pipeline/DataFiles.h"
#include "platform/LinuxComponents.h"
#include "support/DataRows.h"
#include "support/TestMedia.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

using namespace checks;

namespace {

QString shown(const CheckReport &report)
{
    return QString("%1|%2|%3").arg(report.prompt).arg(report.style).arg(report.title);
}

// The entries read, each as show gives it, and the failure's number.
template<typename T, typename Show>
QString shown(const DataFileRead<T> &read, Show show)
{
    QStringList entries;
    for (const T &entry : read.entries)
        entries << show(entry);
    return entries.join('|') + ' ' + QString::number(read.failure ? read.failure->number : 0);
}

// The result of the function a row of data/startup_checks.txt names.
QString result(const QString &function, const QStringList &a)
{
    platform::FakeComponents fake;
    if (function == "directX") {
        fake.directX = a[0] == "-" ? std::nullopt : std::optional(a[0]);
        return shown(directXReport(fake));
    }
    if (function == "runtime") {
        fake.block.words[2] = a[0].toUInt(nullptr, 16);
        fake.block.words[3] = a[1].toUInt(nullptr, 16);
        return shown(mediaRuntimeReport(fake, u'\\')) + '|' + fake.askedPath;
    }
    if (function == "quickTime") {
        fake.hasChecker = true;
        if (a[0] != "-")
            fake.checker.available = a[0] == "1";
        if (a[1] != "-")
            fake.checker.version = a[1].toInt(nullptr, 16);
        return shown(quickTimeReport(fake));
    }
    if (function == "lines") {
        const QStringList lines = dataFileLines(a.join('|').toUtf8());
        return QString::number(lines.size()) + ' ' + lines.join('|');
    }
    if (function == "fonts")
        return shown(parseFonts(a),
                     [](const FontEntry &f) { return f.fileName + '=' + f.displayName; });
    if (function == "fontSizes")
        return shown(parseFontSizes(a), [](const QString &size) { return size; });
    if (function == "colors")
        return shown(parseColors(a),
                     [](const ColorEntry &c) { return QString::number(c.value) + '=' + c.name; });
    return "(no such function)";
}

} // namespace

TEST(Checks, EachRowGivesItsResult)
{
    EXPECT_EQ(differingRows("startup_checks.txt", result).toStdString(), "");
}

// On Linux: DirectX 9.0, no QuickTime, the loaded libavcodec as the media runtime.
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

// The shipped fonts are installed, the shipped colours known to the watermark tool.
TEST(DataFiles, ShippedFilesFitTheSystem)
{
    const auto shipped = [](const char *name) {
        return readDataFile(applicationFolderUnderTest() + "/" + name).lines;
    };
    const auto fonts = parseFonts(shipped("fonts.txt"));
    for (const FontEntry &font : fonts.entries)
        EXPECT_TRUE(QFile::exists("/usr/share/fonts/" + font.fileName))
                << font.fileName.toStdString();
    const QString known = QString::fromLatin1(testmedia::readFile("/usr/share/X11/rgb.txt"))
                                  .toLower();
    ASSERT_FALSE(known.isEmpty());
    const auto colors = parseColors(shipped("colors.txt"));
    ASSERT_FALSE(fonts.entries.isEmpty() || colors.entries.isEmpty());
    for (const ColorEntry &color : colors.entries)
        EXPECT_TRUE(known.contains(QRegularExpression("\\d\\s+" + color.name.toLower() + "\\s*\\n")))
                << color.name.toStdString();
}
