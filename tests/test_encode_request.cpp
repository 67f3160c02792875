#include "pipeline/EncodeRequest.h"

#include "platform/CommonDialog.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pipeline;
using enum RequestControl;

namespace {

bool neverSame(const QString &, const QString &)
{
    return false;
}

EncodeRequest complete()
{
    return {"/v/clip.avi", "/out/", "clip.flv", false, ""};
}

std::optional<RequestProblem> check(const EncodeRequest &r)
{
    return checkRequest(r, neverSame);
}

} // namespace

TEST(EncodeRequest, ChecksComeInTheirOrder)
{
    EXPECT_EQ(check({"", "", "", true, ""}), (RequestProblem {"NO FILE TO ENCODE!", cmdInput, 0}));
    EXPECT_EQ(check({"/v/a.avi", "", "", true, ""}),
              (RequestProblem {"OUTPUT FOLDER MISSING!", cmdOutput, 0}));
    EXPECT_EQ(check({"/v/a.avi", "/o/", "", true, ""}),
              (RequestProblem {"OUTPUT FILE NAME MISSING!", txtOutFile, 0}));
    EXPECT_EQ(check({"/v/a.avi", "/o/", "a.mp4", true, ""}),
              (RequestProblem {"INVALID OUTPUT FILE NAME! MUST BE A .FLV FILE.", txtOutFile, 0}));
    EXPECT_EQ(check({"/v/a.avi", "/o/", "a.flv", true, ""}),
              (RequestProblem {"WATERMARK TEXT MISSING!", txtWatermark, 1}));
    EXPECT_EQ(check(complete()), std::nullopt);
}

TEST(EncodeRequest, OutputNameMustEndInFlvAnyCase)
{
    for (const char *good : {"clip.FLV", "CLIP.flv", ".flv", "a.Flv"}) {
        EncodeRequest r = complete();
        r.outputName = good;
        EXPECT_EQ(check(r), std::nullopt) << good;
    }
    for (const char *bad : {"clipflv", "flv", "clip.flv ", "clip.fl"}) {
        EncodeRequest r = complete();
        r.outputName = bad;
        ASSERT_TRUE(check(r).has_value()) << bad;
        EXPECT_EQ(check(r)->message, "INVALID OUTPUT FILE NAME! MUST BE A .FLV FILE.");
    }
}

TEST(EncodeRequest, WatermarkTextIsCheckedOnlyWhenOn)
{
    EncodeRequest r = complete();
    r.watermarkText = "   ";
    r.watermarkOn = true;
    EXPECT_EQ(check(r), std::nullopt);
    r.watermarkText = "";
    r.watermarkOn = false;
    EXPECT_EQ(check(r), std::nullopt);
}

TEST(EncodeRequest, OutputCannotBeTheSourceByAnySpelling)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    const QString source = dir.filePath("clip.flv");
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("FLV");
    file.close();
    ASSERT_TRUE(QFile::link(source, dir.filePath("link.flv")));

    const QString message = "OUTPUT FILE CANNOT BE THE SOURCE FILE!";
    for (const QString &folder : {dir.path() + "/", dir.path() + "//", dir.path() + "/sub/../"}) {
        const auto problem = checkRequest({source, folder, "clip.flv", false, ""},
                                          platform::sameFile);
        ASSERT_TRUE(problem.has_value()) << folder.toStdString();
        EXPECT_EQ(problem->message, message);
    }
    EXPECT_EQ(checkRequest({source, dir.path() + "/", "link.flv", false, ""}, platform::sameFile)
                      ->message,
              message);
    EXPECT_EQ(checkRequest({source, dir.path() + "/", "other.flv", false, ""}, platform::sameFile),
              std::nullopt);
}

TEST(EncodeRequest, NormalizationByTypeAndQuickEncode)
{
    for (const char *normalized :
         {"movie.AVI", "a.mov", "a.mp4", "a.3gp", "a.wmv", "a.asf", "AVSEQ01.DAT", "VTS_01_1.VOB"}) {
        EXPECT_TRUE(needsNormalization(QString("/v/") + normalized, false)) << normalized;
        EXPECT_FALSE(needsNormalization(QString("/v/") + normalized, true)) << normalized;
    }
    for (const char *direct : {"movie.mpg", "movie.mpeg", "movie.flv", "movie.mkv", "avi"}) {
        EXPECT_FALSE(needsNormalization(direct, false)) << direct;
        EXPECT_FALSE(needsNormalization(direct, true)) << direct;
    }
}

TEST(EncodeRequest, ProposedOutputNames)
{
    const std::pair<const char *, const char *> cases[] = {
            {"clip.avi", "clip.flv"},
            {"clip.mpeg", "clip.flv"},
            {"CLIP.MPEG", "CLIP.flv"},
            {"My Clip.Mp4", "My Clip.flv"},
            {"a.b.vob", "a.b.flv"},
            {".avi", ".flv"},
            {"clip.ts", "clip.flv"},
            {"noextension", "noextension.flv"},
    };
    for (const auto &[name, proposed] : cases)
        EXPECT_EQ(proposeOutputName(name), QString(proposed)) << name;
    EXPECT_EQ(proposeOutputName("ab"), std::nullopt);
}

TEST(EncodeRequest, OutputFolderEndsInOneSeparator)
{
    EXPECT_EQ(outputFolderText("D:\\", u'\\'), "D:\\");
    EXPECT_EQ(outputFolderText("D:\\Out", u'\\'), "D:\\Out\\");
    EXPECT_EQ(outputFolderText("/home/me/out", u'/'), "/home/me/out/");
    EXPECT_EQ(outputFolderText("/", u'/'), "/");
    EXPECT_EQ(outputFolderText("", u'/'), "");
}

TEST(EncodeRequest, ImageFrameCount)
{
    EXPECT_EQ(imageFrameCount("0"), "10");
    EXPECT_EQ(imageFrameCount("00"), "10");
    EXPECT_EQ(imageFrameCount(""), "10");
    EXPECT_EQ(imageFrameCount("ab"), "10");
    EXPECT_EQ(imageFrameCount("-1"), "10");
    EXPECT_EQ(imageFrameCount("5"), "5");
    EXPECT_EQ(imageFrameCount("05"), "05");
    EXPECT_EQ(imageFrameCount("99"), "99");
}

TEST(CommonDialogFilter, PairsBecomeNameFilters)
{
    EXPECT_EQ(platform::CommonDialog::nameFilters(
                      "MPEG (*.mpg,*.mpeg)| *.mpg;*.mpeg|Windows Media Formats (*.wmv,*.asf) | "
                      "*.wmv;*.asf|Flash Video Files|*.flv"),
              QStringList({"MPEG (*.mpg,*.mpeg) (*.mpg *.mpeg)",
                           "Windows Media Formats (*.wmv,*.asf) (*.wmv *.asf)",
                           "Flash Video Files (*.flv)"}));
}
