// NumStr: decimals, the language's separators, grouping, the sign, and the bounded result.
#include "menufixture.h"

#include "morvane/ui/numstr.h"

#include <cmath>
#include <limits>

namespace
{
class NumStrTest : public MenuTest
{
protected:
    void TearDown() override
    {
        TLocalizationManager::Instance().SetLanguage(TName("English", true));
        MenuTest::TearDown();
    }
};
} // namespace

TEST_F(NumStrTest, DecimalsSeparatorsAndGroupingFollowTheLanguage)
{
    EXPECT_STREQ(NumStr(1234567.891, 2, NUMSTR_GROUPING), "1,234,567.89");
    EXPECT_STREQ(NumStr(1234.0, 0, NUMSTR_GROUPING), "1,234");
    EXPECT_STREQ(NumStr(-0.5, 2, 0), "-0.50");
    EXPECT_STREQ(NumStr(-1234.5, 1, NUMSTR_GROUPING), "-1,234.5") << "the sign before the first group";
    // Three integer digits or fewer take no separator.
    EXPECT_STREQ(NumStr(999.25, 2, NUMSTR_GROUPING), "999.25");
    EXPECT_STREQ(NumStr(-100.0, 0, NUMSTR_GROUPING), "-100");
    EXPECT_STREQ(NumStr(1234.5, 1, 0), "1234.5") << "no grouping without the flag";
    EXPECT_EQ(std::u16string(NumStrW(1234567.891, 2, NUMSTR_GROUPING)), u"1,234,567.89");

    TLocalizationManager& texts = TLocalizationManager::Instance();
    if (texts.SetLanguage(TName("Deutsch", true)) != 0)
        texts.LoadLanguageFile("deutsch");
    ASSERT_EQ(texts.SetLanguage(TName("Deutsch", true)), 0u);
    EXPECT_STREQ(NumStr(1234567.891, 2, NUMSTR_GROUPING), "1.234.567,89");
    EXPECT_STREQ(NumStr(-0.5, 2, 0), "-0,50");
}

TEST_F(NumStrTest, WhatDoesNotFitTheResultPrintsWithoutGroupingOrInExponentForm)
{
    // 26 integer digits and 3 more: 29 characters fit, their 8 separators would not.
    const std::string plain = NumStr(1.0e25, 2, 0);
    ASSERT_EQ(plain.size(), 29u);
    EXPECT_EQ(std::string(NumStr(1.0e25, 2, NUMSTR_GROUPING)), plain);
    // The longest grouped text that fits has 31 characters; one digit more goes without groups.
    EXPECT_STREQ(NumStr(-1.0e20, 2, NUMSTR_GROUPING), "-100,000,000,000,000,000,000.00");
    EXPECT_STREQ(NumStr(1.0e21, 2, NUMSTR_GROUPING), "1000000000000000000000.00");
    // A plain text beyond the room: exponent form, never a cut number; 31 characters fit, 32 not.
    EXPECT_EQ(std::string(NumStr(1.0e27, 2, 0)).size(), 31u);
    EXPECT_STREQ(NumStr(-1.0e27, 2, 0), "-1.00e+27");
    EXPECT_STREQ(NumStr(-1.0e40, 2, 0), "-1.00e+40");
    EXPECT_STREQ(NumStr(std::numeric_limits<f64>::infinity(), 2, NUMSTR_GROUPING), "inf");
    EXPECT_STREQ(NumStr(std::nan(""), 2, NUMSTR_GROUPING), "nan");
    // A decimal count beyond one digit is taken as nine.
    EXPECT_STREQ(NumStr(0.5, 12, 0), "0.500000000");
}
