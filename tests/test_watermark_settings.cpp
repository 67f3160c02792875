#include "watermark/InputRules.h"
#include "watermark/SettingsScrambler.h"
#include "watermark/WatermarkSettings.h"
#include "watermark/Windows1252.h"

#include <QList>

#include <gtest/gtest.h>

using namespace watermark;

namespace {

// A file as a Windows-made file holds it: each value scrambled by hand, then CR LF.
QByteArray lines(std::initializer_list<const char *> values)
{
    QByteArray file;
    for (const char *value : values)
        file += Scramble(value, SettingsKey) + "\r\n";
    return file;
}

LoadedSettings loaded(const WatermarkSettings &s)
{
    return {s.text, s.color, s.font, s.fontSize, s.left, s.top, s.alpha};
}

const WatermarkSettings Sample {"Sample", 6, 0, 4, "2", "2", "255"};

} // namespace

TEST(SettingsFile, GoldenBytes)
{
    // "tesseracoil" from its second letter, wrapping: 'e' (101), at 10 'l', at 11 and 22 't'.
    const QByteArray stored = Scramble(QByteArray(22, 'A'), SettingsKey);
    EXPECT_EQ(QList<int>({uchar(stored[0]), uchar(stored[9]), uchar(stored[10]), uchar(stored[21])}),
              QList<int>({65 + 101, 65 + 108, 65 + 116, 65 + 116}));
    EXPECT_EQ(Scramble(QByteArray(1, char(200)), SettingsKey), QByteArray(1, char(45)));
    EXPECT_EQ(Unscramble(QByteArray(1, char(10)), SettingsKey), QByteArray(1, char(165)));
    EXPECT_EQ(std::get<QByteArray>(settingsToBytes(Sample)),
              lines({"Sample", "6", "0", "4", "2", "2", "255"}));
    // Line breaks of the text go to the file as CR LF; other text in Windows-1252.
    const QByteArray text = std::get<QByteArray>(settingsToBytes({"é€\nb", 0, 0, 0, "", "", ""}));
    EXPECT_EQ(Unscramble(text.left(2), SettingsKey), QByteArray("\xe9\x80"));
    EXPECT_EQ(text.count('\r'), 7);
    EXPECT_EQ(fromWindows1252("\x80\x93\x94\xe9\x81"), QString("€“”é") + QChar(0x81));
    EXPECT_EQ(toFileLineBreaks("a\nb\r\nc"), QString("a\r\nb\r\nc"));
    EXPECT_EQ(toBoxLineBreaks("a\r\nb"), QString("a\nb"));
}

TEST(SettingsFile, AllSevenValuesComeBack)
{
    const WatermarkSettings cases[]
            = {Sample,
               {"two\r\nlines\r\nof text", 0, 1, 2, "10", "200", "7"},
               {"     ", 3, 2, 1, "", "", ""},
               {"nothing selected", -1, -1, -1, "1", "2", "3"},
               {"Café crème, ÆØÅ ß € „quoted“ ™", 21, 14, 19, "999", "0", "100"},
               {"letters in places", 1, 1, 1, "ab", "x y", "007"},
               {"š at position 1 is fine", 0, 0, 0, "", "", ""},
               {QString(32767, u'x'), 0, 0, 0, "", "", ""}};
    for (const WatermarkSettings &s : cases)
        EXPECT_EQ(settingsFromBytes(std::get<QByteArray>(settingsToBytes(s))), loaded(s))
                << s.text.left(30).toStdString();
}

TEST(SettingsFile, ValuesThatCannotBeStoredAreRefused)
{
    using K = SaveProblem::Kind;
    // The text, the alpha value, the problem.
    const std::tuple<QString, QString, SaveProblem> cases[]
            = {{"ab中c", "255", {K::NotInCodePage, 1, 3, "中"}},
               {"Sample", "1😀", {K::NotInCodePage, 7, 2, "😀"}},
               // 'e' (101) + 168 ("¨") = 269 = 13 (mod 256): a CR would end the line.
               {"¨", "255", {K::EndsTheLine, 1, 1, "¨"}},
               {"aš", "255", {K::EndsTheLine, 1, 2, "š"}}, // 's' (115) + 154 ("š")
               {QString(32768, u'x'), "255", {K::TooLong, 1, 0, ""}}};
    for (const auto &[text, alpha, problem] : cases) {
        const auto saved = settingsToBytes({text, 6, 0, 4, "2", "2", alpha});
        ASSERT_TRUE(std::holds_alternative<SaveProblem>(saved)) << text.left(10).toStdString();
        EXPECT_EQ(std::get<SaveProblem>(saved).kind, problem.kind);
        if (problem.kind != K::TooLong)
            EXPECT_EQ(std::get<SaveProblem>(saved), problem) << text.left(10).toStdString();
    }
}

// Bad numbers and extra lines: the "partial" rows of test_watermark_tab.
TEST(SettingsFile, LoadStopsAtTheFirstMissingOrBadLine)
{
    const LoadedSettings two {"T", 6}, three {"T", 6, 3};
    const std::pair<QByteArray, LoadedSettings> cases[]
            = {{"", {}},
               {lines({"T", "6"}) + Scramble("3", SettingsKey), three}, // last line without CR LF
               {Scramble("T", SettingsKey) + "\r" + lines({"6"}), two}, // a lone CR ends a line
               // An LF that follows no CR belongs to the value ('s' is 115).
               {Scramble("a", SettingsKey) + QByteArray(1, char(10 + 115)) + "\r\n", {"a\n"}}};
    for (const auto &[bytes, expected] : cases)
        EXPECT_EQ(settingsFromBytes(bytes), expected) << bytes.toHex().toStdString();
}

// Keys that move or act, and shortcuts, type no character: the digit filter
// of the position and alpha boxes lets them through.
TEST(InputRules, KeysThatTypeCharacters)
{
    const std::tuple<int, Qt::KeyboardModifiers, QString, bool> keys[]
            = {{Qt::Key_A, Qt::ShiftModifier, "A", true}, // digits: test_watermark_tab
               {Qt::Key_Tab, {}, "\t", false},
               {Qt::Key_Backtab, Qt::ShiftModifier, "", false},
               {Qt::Key_Home, {}, "", false},
               {Qt::Key_Left, {}, "", false},
               {Qt::Key_Return, {}, "\r", false},
               {Qt::Key_A, Qt::ControlModifier, "\x01", false},
               {Qt::Key_1, Qt::AltModifier, "1", false}};
    for (const auto &[key, modifiers, text, types] : keys)
        EXPECT_EQ(typesCharacter(key, modifiers, text), types) << key;
}
