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

const QString BadName = "INVALID OUTPUT FILE NAME! MUST BE A .FLV FILE.";

} // namespace

// Each request, and the first problem found in it: its message, the
// control that gets the focus and the tab that shows it.
TEST(EncodeRequest, FirstProblem)
{
    const std::pair<EncodeRequest, std::optional<RequestProblem>> cases[] = {
            {{"", "", "", true, ""}, RequestProblem {"NO FILE TO ENCODE!", cmdInput, 0}},
            {{"/v/a.avi", "", "", true, ""},
             RequestProblem {"OUTPUT FOLDER MISSING!", cmdOutput, 0}},
            {{"/v/a.avi", "/o/", "", true, ""},
             RequestProblem {"OUTPUT FILE NAME MISSING!", txtOutFile, 0}},
            {{"/v/a.avi", "/o/", "a.mp4", true, ""}, RequestProblem {BadName, txtOutFile, 0}},
            {{"/v/a.avi", "/o/", "a.flv", true, ""},
             RequestProblem {"WATERMARK TEXT MISSING!", txtWatermark, 1}},
            {{"/v/a.avi", "/o/", "a.flv", true, "   "}, std::nullopt},
            {{"/v/a.avi", "/o/", "a.flv", false, ""}, std::nullopt},
            {{"/v/a.avi", "/o/", "clip.FLV", false, ""}, std::nullopt},
            {{"/v/a.avi", "/o/", ".flv", false, ""}, std::nullopt},
            {{"/v/a.avi", "/o/", "a.Flv", false, ""}, std::nullopt},
            {{"/v/a.avi", "/o/", "clipflv", false, ""}, RequestProblem {BadName, txtOutFile, 0}},
            {{"/v/a.avi", "/o/", "flv", false, ""}, RequestProblem {BadName, txtOutFile, 0}},
            {{"/v/a.avi", "/o/", "clip.flv ", false, ""}, RequestProblem {BadName, txtOutFile, 0}},
            {{"/v/a.avi", "/o/", "clip.fl", false, ""}, RequestProblem {BadName, txtOutFile, 0}},
    };
    for (const auto &[request, problem] : cases)
        EXPECT_EQ(checkRequest(request, neverSame), problem) << request.outputName.toStdString();
}

TEST(EncodeRequest, OutputCannotBeTheSourceByAnySpelling)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    const QString source = dir.filePath("clip.flv");
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("FLV") == 3);
    file.close();
    ASSERT_TRUE(QFile::link(source, dir.filePath("link.flv")));
    const std::pair<QString, bool> outputs[] = {{"/clip.flv", true},
                                                {"//clip.flv", true},
                                                {"/sub/../clip.flv", true},
                                                {"/link.flv", true},
                                                {"/other.flv", false}};
    for (const auto &[output, same] : outputs) {
        const QString folder = dir.path() + output.section('/', 0, -2) + '/';
        const auto problem = checkRequest({source, folder, output.section('/', -1), false, ""},
                                          platform::sameFile);
        EXPECT_EQ(problem.has_value(), same) << output.toStdString();
        if (problem) {
            EXPECT_EQ(problem->message, "OUTPUT FILE CANNOT BE THE SOURCE FILE!");
        }
    }
}

TEST(EncodeRequest, NormalizationByTypeAndQuickEncode)
{
    for (const char *normalized :
         {"movie.AVI", "a.mov", "a.mp4", "a.3gp", "a.wmv", "a.asf", "AVSEQ01.DAT", "VTS_01_1.VOB"}) {
        EXPECT_TRUE(needsNormalization(QString("/v/") + normalized, false)) << normalized;
        EXPECT_FALSE(needsNormalization(QString("/v/") + normalized, true)) << normalized;
    }
    for (const char *direct : {"movie.mpg", "movie.mpeg", "movie.flv", "movie.mkv", "avi"})
        EXPECT_FALSE(needsNormalization(direct, false)) << direct;
}

TEST(EncodeRequest, TextsTheWindowFillsIn)
{
    const std::pair<const char *, const char *> names[] = {{"clip.avi", "clip.flv"},
                                                           {"CLIP.MPEG", "CLIP.flv"},
                                                           {"My Clip.Mp4", "My Clip.flv"},
                                                           {"a.b.vob", "a.b.flv"},
                                                           {".avi", ".flv"},
                                                           {"clip.ts", "clip.flv"},
                                                           {"noextension", "noextension.flv"}};
    for (const auto &[name, proposed] : names)
        EXPECT_EQ(proposeOutputName(name), QString(proposed)) << name;
    EXPECT_EQ(proposeOutputName("ab"), std::nullopt);

    EXPECT_EQ(outputFolderText("D:\\", u'\\'), "D:\\");
    EXPECT_EQ(outputFolderText("D:\\Out", u'\\'), "D:\\Out\\");
    EXPECT_EQ(outputFolderText("/home/me/out", u'/'), "/home/me/out/");
    EXPECT_EQ(outputFolderText("/", u'/'), "/");
    EXPECT_EQ(outputFolderText("", u'/'), "");

    const std::pair<const char *, const char *> counts[] = {{"0", "10"},
                                                            {"00", "10"},
                                                            {"", "10"},
                                                            {"ab", "10"},
                                                            {"-1", "10"},
                                                            {"5", "5"},
                                                            {"05", "05"},
                                                            {"99", "99"}};
    for (const auto &[typed, used] : counts)
        EXPECT_EQ(imageFrameCount(typed), used) << typed;
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
