// The watermark: drawn with the real ffmpeg's drawtext from the hook argument
// the window builds, compared pixel by pixel against the same encode without
// it.
#include "pipeline/EncoderArguments.h"
#include "support/TestMedia.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace testmedia;

namespace {

constexpr int Width = 320;
constexpr int Height = 240;

struct WatermarkCase
{
    const char *name;
    const char *fontFolder; // "" for the system fonts; else a folder made here
    const char *text;
    const char *colour;
    const char *alpha;
    int left;
    int top;
    int fontSize;
};

std::ostream &operator<<(std::ostream &out, const WatermarkCase &c)
{
    return out << c.name;
}

struct FrameDifference
{
    int outsideChanged = 0; // pixels changed outside the text box
    int insideChanged = 0;
    int changedRightOfFirstWord = 0;
    int changedOnSecondLine = 0;
};

class ToolWatermark : public testing::TestWithParam<WatermarkCase>
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_source = s_dir->filePath("source.avi");
        ASSERT_TRUE(makeVideo(s_source, {.seconds = 0.4, .width = Width, .height = Height}));
        s_plain = encode(options(nullptr), "/usr/share", "plain.flv");
        ASSERT_FALSE(s_plain.isEmpty());
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    static pipeline::ConversionOptions options(const WatermarkCase *c)
    {
        pipeline::ConversionOptions o;
        o.videoBitrate = "1200";
        o.videoWindow = QString("%1x%2").arg(Width).arg(Height);
        o.sampling = "22050";
        o.audioBitrate = "64";
        o.channels = "Mono";
        if (c) {
            o.watermarkOn = true;
            o.watermarkText = QString::fromUtf8(c->text);
            o.colorName = c->colour;
            o.fontFile = *c->fontFolder ? "DejaVu Sans.ttf" : "truetype/dejavu/DejaVuSans.ttf";
            o.fontSize = QString::number(c->fontSize);
            o.left = QString::number(c->left);
            o.top = QString::number(c->top);
            o.alpha = c->alpha;
        }
        return o;
    }

    // Encodes the source; returns the first frame as RGB, or "" on failure.
    static QByteArray encode(const pipeline::ConversionOptions &o,
                             const QString &windowsFolder,
                             const QString &name)
    {
        const QString output = s_dir->filePath(name);
        const QString app = applicationFolderUnderTest();
        const QStringList arguments = QStringList {"-i", s_source}
                + pipeline::BuildEncoderArguments(o, app, windowsFolder, u'/').list()
                + QStringList {output};
        const ProcessResult result = run(applicationFolderUnderTest() + "/ffmpeg", arguments);
        EXPECT_EQ(result.exitCode, 0) << result.errors.right(3000).toStdString();
        if (result.exitCode != 0)
            return {};
        return rgbFrame(output, 0);
    }

    static FrameDifference compare(const QByteArray &a, const QByteArray &b, const WatermarkCase &c)
    {
        FrameDifference d;
        const int margin = 16; // one coding block
        const int boxBottom = c.top + int(2 * c.fontSize * 1.6) + margin; // two lines
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x) {
                const qsizetype i = (qsizetype(y) * Width + x) * 3;
                int diff = 0;
                for (int k = 0; k < 3; ++k)
                    diff = std::max(diff, std::abs(int(uchar(a[i + k])) - int(uchar(b[i + k]))));
                if (diff < 48)
                    continue;
                const bool inside = x >= c.left - margin && y >= c.top - margin && y < boxBottom;
                (inside ? d.insideChanged : d.outsideChanged)++;
                if (x > c.left + 6 * c.fontSize && y < c.top + c.fontSize * 1.2)
                    d.changedRightOfFirstWord++;
                if (y > c.top + c.fontSize * 1.3)
                    d.changedOnSecondLine++;
            }
        }
        return d;
    }

    static QString fontFolder(const WatermarkCase &c)
    {
        if (!*c.fontFolder)
            return "/usr/share";
        const QString folder = s_dir->filePath(QString::fromUtf8(c.fontFolder));
        QDir().mkpath(folder + "/fonts");
        QFile::copy("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                    folder + "/fonts/DejaVu Sans.ttf");
        return folder;
    }

    static inline QTemporaryDir *s_dir = nullptr;
    static inline QString s_source;
    static inline QByteArray s_plain;
};

TEST_P(ToolWatermark, DrawsTheWholeTextAndNothingElse)
{
    const WatermarkCase c = GetParam();
    ASSERT_EQ(s_plain.size(), Width * Height * 3);
    const QByteArray marked = encode(options(&c), fontFolder(c), QString("%1.flv").arg(c.name));
    ASSERT_EQ(marked.size(), s_plain.size());
    const FrameDifference d = compare(s_plain, marked, c);

    EXPECT_LT(d.outsideChanged, 20) << "changes away from the text";
    if (QString(c.alpha) == "0") {
        EXPECT_LT(d.insideChanged, 20) << "alpha 0 draws nothing";
        return;
    }
    EXPECT_GT(d.insideChanged, 150);
    EXPECT_GT(d.changedRightOfFirstWord, 30) << "the words after the first are drawn";
    EXPECT_GT(d.changedOnSecondLine, 30) << "the second line is drawn";
    // The text file is gone, and nothing but the output is left beside it.
    EXPECT_TRUE(QDir(s_dir->path())
                        .entryList({".trvx-tmp-*"}, QDir::Hidden | QDir::AllEntries)
                        .isEmpty());
}

// clang-format off
const WatermarkCase Cases[] = {
        {"specials", "", "it's \"q\": a,b; [x] \\ 100% {y} =z\nsecond   line", "white", "255",
         10, 20, 20},
        {"oddFontFolder", "win dir 'q' \"d\": [a,b]; c\\d", "I    WWWW  %{pts} \\n\r\nline two",
         "NavyBlue", "200", 40, 60, 24},
        {"crlfAndBlanks", "", "  A  B   C  D  E\r\n  two", "Yellow", "128", 0, 100, 18},
        {"invisible", "", "hidden text\nline", "red", "0", 20, 20, 20}};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Texts, ToolWatermark, testing::ValuesIn(Cases));

} // namespace
