// SPDX-License-Identifier: GPL-3.0-or-later
// The pure parts of the front-ends: old command lines as the system ffmpeg
// gets them, bit rates, picture names, watermark hooks, colours and the size
// an FLV states: golden rows in data/tool_lines.txt.
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

// A temporary is closed and gone on every way out: removed, committed, a
// failed commit, an exception, a second removal (which leaves a new file of
// the same name alone); an abandoned one goes with the next run, a held one
// stays.
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
    EXPECT_FALSE(QFile::exists(abandoned));
    EXPECT_TRUE(QFile::exists(held.path()) && QFile::exists(other));
}

// flvmdi's corrections land only on a top-level value of the field's own
// type (a bool for "stereo", a number for "duration"), in an object or a
// named array; anything else is left byte for byte, and a tag cut short is
// refused.
TEST(FlvFile, MetadataOverwrittenOnlyWhereTheTypeMatches)
{
    // AMF0 values as hex: a number (type 0), a bool (type 1), a string (type 2).
    const QByteArray zero = "000000000000000000", twoAndHalf = "004004000000000000";
    const QByteArray no = "0100", yes = "0101", text = "02000178";
    const QByteArray nestedStereo = "030006" + QByteArray("stereo").toHex() + no + "000009";
    struct Row
    {
        const char *what;
        QByteArray container;
        QList<QPair<QByteArray, QByteArray>> before;
        bool ended;
        int written;
        QList<QPair<QByteArray, QByteArray>> after;
    };
    // clang-format off
    const QList<Row> rows {
        {"both of the right type", "03", {{"stereo", no}, {"duration", zero}}, true, 2, {{"stereo", yes}, {"duration", twoAndHalf}}},
        {"in a named array", "0800000002", {{"duration", zero}, {"stereo", no}}, true, 2, {{"duration", twoAndHalf}, {"stereo", yes}}},
        {"a number for stereo, a text for duration", "03", {{"stereo", zero}, {"duration", text}}, true, 0, {{"stereo", zero}, {"duration", text}}},
        {"only inside a nested object", "03", {{"inner", nestedStereo}}, true, 0, {{"inner", nestedStereo}}},
        {"a key that only starts the same", "03", {{"stereos", no}}, true, 0, {{"stereos", no}}},
        {"cut short", "03", {{"stereo", no}}, false, -1, {{"stereo", no}}}};
    // clang-format on
    const auto flv = [](const Row &row, const QList<QPair<QByteArray, QByteArray>> &values) {
        QByteArray data = "02000a" + QByteArray("onMetaData").toHex() + row.container;
        for (const auto &[key, value] : values)
            data += QByteArray::number(key.size() + 0x10000, 16).right(4) + key.toHex() + value;
        if (row.ended)
            data += "000009";
        data = QByteArray::fromHex(data);
        // The FLV header, the first tag's header (script data, its size) and the data.
        return QByteArray::fromHex("464c56010500000009000000001200") + char(data.size() >> 8)
                + char(data.size() & 0xff) + QByteArray(7, 0) + data;
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        QTemporaryFile file;
        const QByteArray before = flv(row, row.before);
        ASSERT_TRUE(file.open() && file.write(before) == before.size() && file.flush());
        EXPECT_EQ(overwriteMetadata(file.handle(), {{"stereo", true}, {"duration", 2.5}}),
                  row.written);
        EXPECT_EQ(readFile(file.fileName()).toHex(), flv(row, row.after).toHex());
    }
}
