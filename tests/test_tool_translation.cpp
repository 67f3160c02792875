// SPDX-License-Identifier: GPL-3.0-or-later
// The pure parts of the front-ends: old command lines as the system ffmpeg
// gets them, bit rates, picture names, watermark hooks, colours, the size
// an FLV states and the metadata corrections: golden rows in data/tool_lines.txt.
#include "support/DataRows.h"
#include "support/TestMedia.h"
#include "tools/ColourTable.h"
#include "tools/FlvFile.h"
#include "tools/ModernArguments.h"
#include "tools/TempFiles.h"
#include "tools/WatermarkHook.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace tools;
using testmedia::readFile;
using testmedia::writeFile;

namespace {

// What a row's input gives, in the file's words; "refused" for an error.
QString translate(const QString &kind, const QString &input, const QByteArray &colours)
{
    if (kind == "line") {
        const LegacyParse parsed = parseLegacyCommand(input.split('|'));
        const DrawText drawn {"/f/a.ttf", 16, {255, 255, 255}, 200, 10, 20, "/t/x.txt"};
        return parsed.error.isEmpty()
                ? modernArguments(parsed.command,
                                  parsed.command.hook ? drawn : std::optional<DrawText>())
                          .join('|')
                : "refused";
    }
    if (kind == "rate")
        return videoBitrateValue(input).value_or("none") + ' '
                + audioBitrateValue(input).value_or("none");
    if (kind == "picture")
        return isPicturePattern(input) ? pictureName(input.section('/', -1), 7) : "none";
    if (kind == "flvsize") {
        QTemporaryFile file;
        const QByteArray bytes = QByteArray::fromHex(input.toLatin1());
        return file.open() && file.write(bytes) == bytes.size() && file.flush()
                ? QString::number(declaredFileSize(file.handle()))
                : "unwritten";
    }
    if (kind == "metadata") { // in an FLV file whose first tag holds it
        const QByteArray value = QByteArray::fromHex(input.toLatin1());
        const QByteArray data = QByteArray::fromHex("02000a" + QByteArray("onMetaData").toHex())
                + value;
        const QByteArray flv = QByteArray::fromHex("464c56010500000009000000001200")
                + char(data.size() >> 8) + char(data.size() & 0xff) + QByteArray(7, 0) + data;
        QTemporaryFile file;
        if (!file.open() || file.write(flv) != flv.size() || !file.flush())
            return "unwritten";
        const int written = overwriteMetadata(file.handle(), {{"stereo", true}, {"duration", 2.5}});
        const QByteArray after = readFile(file.fileName()).mid(flv.size() - value.size()).toHex();
        return QString::number(written) + ' ' + (after == input.toLatin1() ? "=" : after);
    }
    if (kind == "colour") {
        const std::optional<Rgb> c = lookUpColour(colours, input);
        return c ? QString("%1 %2 %3").arg(c->red).arg(c->green).arg(c->blue) : "none";
    }
    if (kind != "hook")
        return "no such kind";
    const WatermarkHookParse p = parseWatermarkHook(input);
    const WatermarkHook &h = p.hook;
    const QString all = QStringList {h.module, h.colourName, h.fontFile, h.colourTable, h.text}.join(
                                '|')
            + QString("|%1|%2|%3|%4").arg(h.fontSize).arg(h.alpha).arg(h.left).arg(h.top);
    return p.error.isEmpty() ? all : "refused";
}

} // namespace

TEST(ToolTranslation, GoldenRows)
{
    const QByteArray colours = testmedia::readFile(applicationFolderUnderTest() + "/vhook/rgb.txt");
    ASSERT_FALSE(colours.isEmpty());
    EXPECT_FALSE(lookUpColour("! 1 2 3 comment\n", "comment").has_value());
    const auto rows = dataRows("tool_lines.txt");
    EXPECT_FALSE(rows.isEmpty());
    for (const auto &[number, row] : rows) {
        ASSERT_GE(row.size(), 3) << "line " << number;
        const QString got = translate(row[0], row[1], colours);
        const QString &expected = row[2];
        const bool whole = row[0] != "line" || expected == "refused"
                || expected.startsWith("-nostdin|");
        EXPECT_TRUE(whole ? got == expected
                          : got.contains(expected)
                                    && got.startsWith("-nostdin|-y|-abort_on|empty_output|-i|"))
                << "line " << number << ": " << got.toStdString();
        EXPECT_FALSE(row.size() > 3 && got.split('|').contains(row[3])) << "line " << number;
    }
}

// A temporary is closed and gone on every way out: removed, committed, a failed commit, an
// exception, a second removal (which leaves a new file of the same name alone); an abandoned one
// goes with the next run, a held one stays.
TEST(TempFiles, ClosedAndRemovedOnEveryPath)
{
    QTemporaryDir dir;
    const auto closed = [](int fd) {
        return fcntl(fd, F_GETFD) == -1;
    };
    const auto entries = [&] {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    for (const char *way : {"remove", "commit", "failed commit", "exception", "create again"}) {
        SCOPED_TRACE(way);
        const QString target = dir.filePath(QString(way) == "failed commit" ? "held/" : "out.flv");
        if (QString(way) == "failed commit")
            ASSERT_TRUE(QDir().mkpath(target + "inside"));
        int fd = -1;
        QString path;
        try {
            LockedTemporary temporary;
            ASSERT_TRUE(temporary.create(dir.path(), LockedTemporary::Kind::File, ".flv"));
            fd = temporary.descriptor();
            path = temporary.path();
            const int other = open(path.toLocal8Bit().constData(), O_RDONLY);
            EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0); // held while it lives
            close(other);
            ASSERT_EQ(write(fd, "data", 4), 4);
            if (QString(way) == "remove") {
                temporary.remove();
                EXPECT_TRUE(closed(fd) && !QFile::exists(path));
                ASSERT_TRUE(writeFile(path, "someone else's"));
                temporary.remove();
                EXPECT_EQ(readFile(path), "someone else's");
                QFile::remove(path);
            } else if (QString(way) == "commit") {
                EXPECT_TRUE(temporary.commitFile(target, 0640));
                EXPECT_TRUE(closed(fd) && temporary.path().isEmpty());
            } else if (QString(way) == "failed commit") {
                EXPECT_FALSE(temporary.commitFile(target, 0640));
                EXPECT_FALSE(temporary.error().isEmpty() || closed(fd));
            } else if (QString(way) == "exception") {
                throw std::runtime_error("after the temporary was made");
            } else {
                ASSERT_TRUE(temporary.create(dir.path(), LockedTemporary::Kind::Folder));
                EXPECT_FALSE(QFile::exists(path)); // its descriptor may be the new one's
                fd = temporary.descriptor();
                path = temporary.path();
                ASSERT_TRUE(writeFile(path + "/inner", "x"));
            }
        } catch (const std::runtime_error &) { }
        EXPECT_TRUE(closed(fd));
        EXPECT_FALSE(QFile::exists(path));
        if (QString(way) == "commit") {
            EXPECT_EQ(readFile(target), "data");
            struct stat status = {};
            EXPECT_EQ(stat(target.toLocal8Bit().constData(), &status), 0);
            EXPECT_EQ(status.st_mode & 0777, 0640u);
            QFile::remove(target);
        }
        QDir(dir.filePath("held")).removeRecursively();
        EXPECT_EQ(entries(), QStringList());
    }

    // A folder that cannot hold one: the reason names the creation, and no
    // descriptor of this process (its standard input included) is touched.
    const bool inputOpen = !closed(0);
    for (const auto kind : {LockedTemporary::Kind::File, LockedTemporary::Kind::Folder}) {
        LockedTemporary temporary;
        EXPECT_FALSE(temporary.create(dir.filePath("missing"), kind, ".flv"));
        EXPECT_TRUE(temporary.error().startsWith("cannot create a temporary file in "))
                << temporary.error().toStdString();
        EXPECT_TRUE(temporary.path().isEmpty());
        EXPECT_EQ(!closed(0), inputOpen);
    }

    LockedTemporary held;
    ASSERT_TRUE(held.create(dir.path(), LockedTemporary::Kind::File));
    const QString abandoned = dir.filePath(".trvx-tmp-abcdef.flv");
    const QString other = dir.filePath(".trvx-tmp-not-ours");
    ASSERT_TRUE(writeFile(abandoned, "left by a killed run") && writeFile(other, "x"));
    removeAbandonedTemporaries(dir.path());
    EXPECT_TRUE(!QFile::exists(abandoned) && QFile::exists(held.path()) && QFile::exists(other));
}
