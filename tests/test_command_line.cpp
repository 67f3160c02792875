#include "pipeline/CommandLine.h"

#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using pipeline::CommandLine;
using pipeline::splitArguments;
using pipeline::splitCommandLine;
using platform::FileKind;

namespace {

// A file system of a few programs, for the head resolution.
struct FakeFiles
{
    QStringList executables;
    QStringList plainFiles;
    QStringList *asked = nullptr;

    FileKind operator()(const QString &path) const
    {
        if (asked)
            asked->append(path);
        if (executables.contains(path))
            return FileKind::Executable;
        if (plainFiles.contains(path))
            return FileKind::File;
        return FileKind::Missing;
    }
};

CommandLine split(const QString &text, const FakeFiles &files)
{
    const auto command = splitCommandLine(text, files);
    EXPECT_TRUE(command.has_value()) << text.toStdString();
    return command.value_or(CommandLine {});
}

} // namespace

TEST(CommandLine, HeadWithBlanksNamesTheProgramInThatFolder)
{
    const FakeFiles files {{"/home/me/My Apps/conv/ffmpeg"}, {}};
    const CommandLine c = split("/home/me/My Apps/conv/ffmpeg -i \"/v/my clip.avi\" -b 350kb/s "
                                "-r 25 -s 320x240  -an \"/out/my clip.flv\"",
                                files);
    EXPECT_EQ(c.program, "/home/me/My Apps/conv/ffmpeg");
    EXPECT_EQ(c.arguments,
              QStringList({"-i",
                           "/v/my clip.avi",
                           "-b",
                           "350kb/s",
                           "-r",
                           "25",
                           "-s",
                           "320x240",
                           "-an",
                           "/out/my clip.flv"}));
}

TEST(CommandLine, ShortestExecutablePrefixWins)
{
    QStringList asked;
    const FakeFiles files {{"/a/My", "/a/My Apps/ffmpeg"}, {}, &asked};
    const CommandLine c = split("/a/My Apps/ffmpeg -i x", files);
    EXPECT_EQ(c.program, "/a/My");
    EXPECT_EQ(c.arguments, QStringList({"Apps/ffmpeg", "-i", "x"}));
    EXPECT_EQ(asked.first(), "/a/My");
}

TEST(CommandLine, ExecutableBeatsShorterPlainFile)
{
    const FakeFiles files {{"/a/My Apps/ffmpeg"}, {"/a/My"}};
    EXPECT_EQ(split("/a/My Apps/ffmpeg -i x", files).program, "/a/My Apps/ffmpeg");
}

TEST(CommandLine, PlainFileIsTakenWhenNothingIsExecutable)
{
    const FakeFiles files {{}, {"/a/My Apps/flvmdi"}};
    const CommandLine c = split("/a/My Apps/flvmdi \"/o/x.flv\"", files);
    EXPECT_EQ(c.program, "/a/My Apps/flvmdi");
    EXPECT_EQ(c.arguments, QStringList({"/o/x.flv"}));
}

TEST(CommandLine, UnknownHeadFallsBackToFirstWord)
{
    const CommandLine c = split("/nowhere/My Apps/ffmpeg -i x", FakeFiles {});
    EXPECT_EQ(c.program, "/nowhere/My");
    EXPECT_EQ(c.arguments, QStringList({"Apps/ffmpeg", "-i", "x"}));
}

TEST(CommandLine, HeadNeverReachesIntoQuotes)
{
    // "/a/b -i" would be a candidate if the head could run into the quoted part.
    const FakeFiles files {{"/a/b -i \"x\""}, {}};
    const CommandLine c = split("/a/b -i \"x\"", files);
    EXPECT_EQ(c.program, "/a/b");
    EXPECT_EQ(c.arguments, QStringList({"-i", "x"}));
}

TEST(CommandLine, QuotedArgumentsKeepBlanksAndLineBreaks)
{
    const FakeFiles files {{"/p"}, {}};
    const CommandLine c = split("/p  -vhook \"/x/imlib2.dll -c white -t My\r\nClip\" -an ", files);
    EXPECT_EQ(c.arguments, QStringList({"-vhook", "/x/imlib2.dll -c white -t My\r\nClip", "-an"}));
}

TEST(CommandLine, EmptyQuotesGiveEmptyArguments)
{
    const FakeFiles files {{"/p"}, {}};
    EXPECT_EQ(split("/p \"\" a \"\"", files).arguments, QStringList({"", "a", ""}));
    EXPECT_EQ(split("/p a\"\"b \"c\"d", files).arguments, QStringList({"ab", "cd"}));
}

TEST(CommandLine, LeadingAndTrailingBlanks)
{
    const FakeFiles files {{"/a b/p"}, {}};
    const CommandLine c = split("   /a b/p x  \t ", files);
    EXPECT_EQ(c.program, "/a b/p");
    EXPECT_EQ(c.arguments, QStringList({"x"}));
    EXPECT_EQ(split("\t/a b/p", files).program, "/a b/p");
}

TEST(CommandLine, QuotedHeadNamesProgramDirectly)
{
    const CommandLine c = split("\"/a b/p q\" \"1 2\" 3", FakeFiles {});
    EXPECT_EQ(c.program, "/a b/p q");
    EXPECT_EQ(c.arguments, QStringList({"1 2", "3"}));
}

TEST(CommandLine, BlankTextRunsNothing)
{
    EXPECT_FALSE(splitCommandLine("", FakeFiles {}).has_value());
    EXPECT_FALSE(splitCommandLine("    ", FakeFiles {}).has_value());
    EXPECT_FALSE(splitCommandLine(" \t ", FakeFiles {}).has_value());
}

TEST(CommandLine, UnclosedQuoteRunsToTheEnd)
{
    EXPECT_EQ(splitArguments(u"a \"b c"), QStringList({"a", "b c"}));
}

TEST(CommandLine, RealFolderWithBlanks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // "My" exists as a folder, which is not a program.
    ASSERT_TRUE(QDir(dir.path()).mkpath("My Apps/conv"));
    ASSERT_TRUE(QDir(dir.path()).mkpath("My"));
    const QString program = dir.filePath("My Apps/conv/ffmpeg");
    ASSERT_TRUE(QFile::copy(testChildProgram(), program));

    const auto c = splitCommandLine(program + " -i \"a b\"", platform::probeProgramFile);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->program, program);
    EXPECT_EQ(c->arguments, QStringList({"-i", "a b"}));

    // Without execute permission the file is still the program.
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(platform::probeProgramFile(program), FileKind::File);
    EXPECT_EQ(splitCommandLine(program + " x", platform::probeProgramFile)->program, program);
    EXPECT_EQ(platform::probeProgramFile(dir.filePath("My")), FileKind::Missing);
}
