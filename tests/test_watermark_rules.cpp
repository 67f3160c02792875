#include "watermark/InputRules.h"

#include <gtest/gtest.h>

using namespace watermark;

TEST(DigitFilter, OnlyDigitsAndBackspacePass)
{
    for (char16_t c = u'0'; c <= u'9'; ++c)
        EXPECT_TRUE(digitFilterAccepts(c));
    EXPECT_TRUE(digitFilterAccepts(8));
    for (const char16_t c : {u'a',
                             u'-',
                             u'.',
                             u' ',
                             u'+',
                             u'\r',
                             u'\n',
                             u'\t',
                             u'\x16',
                             u'\x7f',
                             u'٣' /* Arabic-Indic three */,
                             u'²'})
        EXPECT_FALSE(digitFilterAccepts(c)) << int(c);
}

TEST(AlphaLimit, AboveTwoFiftyFiveBecomesOneHundred)
{
    EXPECT_EQ(alphaLimit("256"), QString("100"));
    EXPECT_EQ(alphaLimit("300"), QString("100"));
    EXPECT_EQ(alphaLimit("999"), QString("100"));
    EXPECT_EQ(alphaLimit("255"), std::nullopt);
    EXPECT_EQ(alphaLimit("3"), std::nullopt);
    EXPECT_EQ(alphaLimit("30"), std::nullopt);
    EXPECT_EQ(alphaLimit("0"), std::nullopt);
    EXPECT_EQ(alphaLimit("100"), std::nullopt); // the limit is stable once applied
    EXPECT_EQ(alphaLimit(""), std::nullopt);
    EXPECT_EQ(alphaLimit("a9"), std::nullopt);
}

TEST(AlphaSpinner, StepsWithinOneTo255)
{
    EXPECT_EQ(alphaStepUp("254"), QString("255"));
    EXPECT_EQ(alphaStepUp("255"), std::nullopt);
    EXPECT_EQ(alphaStepUp("300"), std::nullopt);
    EXPECT_EQ(alphaStepUp("007"), QString("8"));
    EXPECT_EQ(alphaStepUp("0"), QString("1"));
    EXPECT_EQ(alphaStepDown("2"), QString("1"));
    EXPECT_EQ(alphaStepDown("1"), std::nullopt);
    EXPECT_EQ(alphaStepDown("0"), std::nullopt);
    EXPECT_EQ(alphaStepDown("010"), QString("9"));
}

TEST(AlphaSpinner, NonNumbersAreLeftAlone)
{
    for (const char *text : {"", "abc", "1x", " "}) {
        EXPECT_EQ(alphaStepUp(text), std::nullopt) << text;
        EXPECT_EQ(alphaStepDown(text), std::nullopt) << text;
    }
}
