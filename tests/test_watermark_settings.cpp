#include "watermark/SettingsScrambler.h"
#include "watermark/WatermarkSettings.h"
#include "watermark/Windows1252.h"

#include <gtest/gtest.h>

using namespace watermark;

namespace {

QByteArray bytesOf(const WatermarkSettings &s)
{
    const auto result = settingsToBytes(s);
    EXPECT_TRUE(std::holds_alternative<QByteArray>(result));
    return std::holds_alternative<QByteArray>(result) ? std::get<QByteArray>(result) : QByteArray();
}

LoadedSettings full(const WatermarkSettings &s)
{
    return {s.text, s.color, s.font, s.fontSize, s.left, s.top, s.alpha};
}

// A file line as a Windows-made file holds it: the value scrambled by hand.
QByteArray line(const QByteArray &value)
{
    return Scramble(value, SettingsKey) + "\r\n";
}

WatermarkSettings sample()
{
    return {"Sample", 6, 0, 4, "2", "2", "255"};
}

} // namespace

TEST(Scrambler, KeyStartsAtItsSecondLetter)
{
    // "tesseracoil": position 1 takes 'e' (101), position 10 takes 'l' (108),
    // position 11 takes 't' (116), 12 takes 'e' again, 22 takes 't'.
    EXPECT_EQ(Scramble("A", SettingsKey), QByteArray(1, char(166)));
    QByteArray value(22, 'A');
    const QByteArray stored = Scramble(value, SettingsKey);
    EXPECT_EQ(uchar(stored[9]), 65 + 108);
    EXPECT_EQ(uchar(stored[10]), (65 + 116) % 256);
    EXPECT_EQ(uchar(stored[11]), (65 + 101) % 256);
    EXPECT_EQ(uchar(stored[21]), (65 + 116) % 256);
    EXPECT_EQ(Unscramble(stored, SettingsKey), value);
}

TEST(Scrambler, WrapsModulo256BothWays)
{
    EXPECT_EQ(Scramble(QByteArray(1, char(200)), SettingsKey),
              QByteArray(1, char((200 + 101) % 256)));
    EXPECT_EQ(Unscramble(QByteArray(1, char(10)), SettingsKey), QByteArray(1, char(10 - 101 + 256)));
    EXPECT_EQ(Scramble("abc", ""), QByteArray("abc"));
    QByteArray all;
    for (int c = 0; c < 256; ++c)
        all.append(char(c));
    EXPECT_EQ(Unscramble(Scramble(all, SettingsKey), SettingsKey), all);
}

TEST(SettingsFile, GoldenBytes)
{
    const QByteArray file = bytesOf(sample());
    EXPECT_EQ(file,
              line("Sample") + line("6") + line("0") + line("4") + line("2") + line("2")
                      + line("255"));
    // "6" is 54, plus 'e' (101).
    EXPECT_EQ(file.mid(Scramble("Sample", SettingsKey).size() + 2, 3), QByteArray("\x9b\r\n"));
}

TEST(SettingsFile, RoundTripOfAllSevenValues)
{
    const WatermarkSettings cases[] = {
            sample(),
            {"two\r\nlines\r\nof text", 0, 1, 2, "10", "200", "7"},
            {"     ", 3, 2, 1, "", "", ""},
            {"nothing selected", -1, -1, -1, "1", "2", "3"},
            {"Café crème, ÆØÅ ß € „quoted“ ™", 21, 14, 19, "999", "0", "100"},
            {"letters in places", 1, 1, 1, "ab", "x y", "007"},
    };
    for (const WatermarkSettings &s : cases) {
        const QByteArray file = bytesOf(s);
        EXPECT_EQ(file.count("\r\n"), 7) << s.text.toStdString();
        EXPECT_EQ(settingsFromBytes(file), full(s)) << s.text.toStdString();
    }
}

TEST(SettingsFile, MultiLineTextIsStoredOnOneLine)
{
    const QByteArray file = bytesOf({"a\r\nb\nc", 0, 0, 0, "", "", ""});
    EXPECT_EQ(file.count('\r'), 7);
    EXPECT_EQ(file.count('\n'), 7);
}

TEST(SettingsFile, NonAsciiIsWindows1252OnDisk)
{
    const QByteArray file = bytesOf({"é€", 0, 0, 0, "", "", ""});
    EXPECT_EQ(Unscramble(file.left(2), SettingsKey), QByteArray("\xe9\x80"));
    EXPECT_EQ(fromWindows1252("\x80\x93\x94\xe9"), QString("€“”é"));
    EXPECT_EQ(fromWindows1252("\x81\x8d"), QString(QChar(0x81)) + QChar(0x8d));
    EXPECT_EQ(toWindows1252(QString(QChar(0x81))), QByteArray("\x81"));
}

TEST(SettingsFile, UnrepresentableCharacterIsRefused)
{
    WatermarkSettings s = sample();
    s.text = "ab中c";
    const auto result = settingsToBytes(s);
    ASSERT_TRUE(std::holds_alternative<SaveProblem>(result));
    const SaveProblem problem = std::get<SaveProblem>(result);
    EXPECT_EQ(problem, (SaveProblem {SaveProblem::Kind::NotInCodePage, 1, 3, "中"}));
    EXPECT_EQ(saveProblemMessage(problem).toStdString(),
              "THE CHARACTER \"中\" AT POSITION 3 OF THE WATERMARK TEXT CANNOT BE SAVED IN A "
              "SETTINGS FILE!");

    s = sample();
    s.alpha = "1😀";
    const SaveProblem emoji = std::get<SaveProblem>(settingsToBytes(s));
    EXPECT_EQ(emoji.line, 7);
    EXPECT_EQ(emoji.position, 2);
    EXPECT_EQ(emoji.character, "😀");
}

TEST(SettingsFile, CharacterThatWouldEndTheLineIsRefused)
{
    // At position 1 the key letter is 'e' (101): 101 + 168 = 269 = 13 (mod 256).
    // 168 is the Windows-1252 code of the diaeresis "¨".
    WatermarkSettings s = sample();
    s.text = "¨";
    EXPECT_EQ(std::get<SaveProblem>(settingsToBytes(s)),
              (SaveProblem {SaveProblem::Kind::EndsTheLine, 1, 1, "¨"}));
    // At position 2 the key letter is 's' (115): 13 - 115 + 256 = 154, "š".
    s.text = "aš";
    EXPECT_EQ(std::get<SaveProblem>(settingsToBytes(s)).position, 2);
    s.text = "š"; // at position 1 the same character is fine
    EXPECT_TRUE(std::holds_alternative<QByteArray>(settingsToBytes(s)));
}

TEST(SettingsFile, OverlongValueIsRefused)
{
    WatermarkSettings s = sample();
    s.text = QString(32767, u'x');
    EXPECT_TRUE(std::holds_alternative<QByteArray>(settingsToBytes(s)));
    s.text += u'x';
    EXPECT_EQ(std::get<SaveProblem>(settingsToBytes(s)).kind, SaveProblem::Kind::TooLong);
}

TEST(LoadingSettings, FewerLinesSetOnlyThoseValues)
{
    EXPECT_EQ(settingsFromBytes(""), LoadedSettings {});
    LoadedSettings two;
    two.text = "Sample";
    two.color = 6;
    EXPECT_EQ(settingsFromBytes(line("Sample") + line("6")), two);
    // The last line may lack its CR LF.
    two.font = 3;
    EXPECT_EQ(settingsFromBytes(line("Sample") + line("6") + Scramble("3", SettingsKey)), two);
}

TEST(LoadingSettings, LinesAfterTheSeventhAreIgnored)
{
    const QByteArray file = bytesOf(sample()) + line("extra") + line("more");
    EXPECT_EQ(settingsFromBytes(file), full(sample()));
}

TEST(LoadingSettings, BadIndexStopsTheLoad)
{
    for (const QByteArray bad : {QByteArray("x"),
                                 QByteArray(""),
                                 QByteArray("32768"),
                                 QByteArray("1.5"),
                                 QByteArray("-40000")}) {
        const QByteArray file = line("T") + line("2") + line(bad) + line("4") + line("1")
                + line("2") + line("3");
        LoadedSettings expected;
        expected.text = "T";
        expected.color = 2;
        EXPECT_EQ(settingsFromBytes(file), expected) << bad.toStdString();
    }
}

TEST(LoadingSettings, LoneLineFeedsBelongToTheValue)
{
    // Only a CR ends a line; an LF elsewhere is part of the value.
    QByteArray file = Scramble("T", SettingsKey) + "\r" + line("6");
    EXPECT_EQ(settingsFromBytes(file).color, qint16(6));
    const QByteArray withLf = Scramble("a", SettingsKey) + QByteArray(1, char(10 + 115)) + "\r\n";
    EXPECT_EQ(settingsFromBytes(withLf).text, QString("a\n"));
}

TEST(LineBreaks, BoxAndFileForms)
{
    EXPECT_EQ(toFileLineBreaks("a\nb\r\nc"), QString("a\r\nb\r\nc"));
    EXPECT_EQ(toBoxLineBreaks("a\r\nb"), QString("a\nb"));
}
