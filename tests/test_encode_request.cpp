#include "pipeline/EncodeRequest.h"

#include "platform/CommonDialog.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pipeline;
using enum RequestControl;

// Each request, and the first problem found in it: its message, the control
// that gets the focus and the tab that shows it.
TEST(EncodeRequest, FirstProblem)
{
    const RequestProblem badName {"INVALID OUTPUT FILE NAME! MUST BE A .FLV FILE.", txtOutFile, 0};
    const std::pair<EncodeRequest, std::optional<RequestProblem>> cases[] = {
            {{"", "", "", true, ""}, RequestProblem {"NO FILE TO ENCODE!", cmdInput, 0}},
            {{"/v/a.avi", "", "", true, ""},
             RequestProblem {"OUTPUT FOLDER MISSING!", cmdOutput, 0}},
            {{"/v/a.avi", "/o/", "", true, ""},
             RequestProblem {"OUTPUT FILE NAME MISSING!", txtOutFile, 0}},
            {{"/v/a.avi", "/o/", "a.mp4", true, ""}, badName},
            {{"/v/a.avi", "/o/", "a.flv", true, ""},
             RequestProblem {"WATERMARK TEXT MISSING!", txtWatermark, 1}},
            {{"/v/a.avi", "/o/", "a.flv", true, "   "}, std::nullopt},
            {{"/v/a.avi", "/o/", "clip.FLV", false, ""}, std::nullopt},
            {{"/v/a.avi", "/o/", ".flv", false, ""}, std::nullopt},
            {{"/v/a.avi", "/o/", "flv", false, ""}, badName},
            {{"/v/a.avi", "/o/", "clip.flv ", false, ""}, badName},
    };
    for (const auto &[request, problem] : cases)
        EXPECT_EQ(checkRequest(request, [](auto &, auto &) { return false; }), problem)
                << request.outputName.toStdString();
}

TEST(EncodeRequest, OutputCannotBeTheSourceByAnySpelling)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    const QString source = dir.filePath("clip.flv");
    ASSERT_TRUE(QFile(source).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(source, dir.filePath("link.flv")));
    for (const auto &[output, same] : {std::pair {"//clip.flv", true},
                                       {"/sub/../clip.flv", true},
                                       {"/link.flv", true},
                                       {"/other.flv", false}}) {
        const QString folder = dir.path() + QString(output).section('/', 0, -2) + '/';
        const auto problem
                = checkRequest({source, folder, QString(output).section('/', -1), false, ""},
                               platform::sameFile);
        EXPECT_EQ(problem.value_or(RequestProblem {}).message,
                  same ? "OUTPUT FILE CANNOT BE THE SOURCE FILE!" : "")
                << output;
    }
}

// Which sources are normalized first, and the texts the window fills in.
TEST(EncodeRequest, NormalizationAndTextsTheWindowFillsIn)
{
    for (const char *normalized : {"movie.AVI", "a.wmv", "AVSEQ01.DAT", "VTS_01_1.VOB"}) {
        EXPECT_TRUE(needsNormalization(QString("/v/") + normalized, false)) << normalized;
        EXPECT_FALSE(needsNormalization(QString("/v/") + normalized, true)) << normalized;
    }
    for (const char *direct : {"movie.mpg", "movie.mkv", "avi"})
        EXPECT_FALSE(needsNormalization(direct, false)) << direct;

    const std::pair<const char *, const char *> names[] = {{"CLIP.MPEG", "CLIP.flv"},
                                                           {"My Clip.Mp4", "My Clip.flv"},
                                                           {"a.b.vob", "a.b.flv"},
                                                           {".avi", ".flv"},
                                                           {"clip.ts", "clip.flv"},
                                                           {"abc", "abc.flv"}};
    for (const auto &[name, proposed] : names)
        EXPECT_EQ(proposeOutputName(name), QString(proposed)) << name;
    EXPECT_EQ(proposeOutputName("ab"), std::nullopt);

    EXPECT_EQ(outputFolderText("D:\\", u'\\'), "D:\\");
    EXPECT_EQ(outputFolderText("/home/me/out", u'/'), "/home/me/out/");
    EXPECT_EQ(outputFolderText("", u'/'), "");

    for (const auto &[typed, used] :
         {std::pair {"0", "10"}, {"ab", "10"}, {"-1", "10"}, {"1", "1"}, {"05", "05"}})
        EXPECT_EQ(imageFrameCount(typed), used) << typed;

    EXPECT_EQ(platform::CommonDialog::nameFilters("MPEG (*.mpg,*.mpeg)| *.mpg;*.mpeg|Windows "
                                                  "Media (*.wmv) | *.wmv|Flash Video Files|*.flv"),
              QStringList({"MPEG (*.mpg,*.mpeg) (*.mpg *.mpeg)",
                           "Windows Media (*.wmv) (*.wmv)",
                           "Flash Video Files (*.flv)"}));
}
