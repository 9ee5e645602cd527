// UTF-8 and UTF-16 conversions of titles and typed text.
#include "platform/window/textconversion.h"

#include <gtest/gtest.h>

namespace
{
TEST(TextConversionTest, RoundTripsEveryPlane)
{
    const std::u16string text = u"A\u00e9\u20ac\U0001F600z";
    const std::string utf8 = Utf16ToUtf8(text);
    EXPECT_EQ(utf8, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z");
    EXPECT_EQ(Utf8ToUtf16(utf8), text);
    EXPECT_TRUE(Utf8ToUtf16("").empty());
}

TEST(TextConversionTest, MalformedInputBecomesReplacementCharacters)
{
    // A lone surrogate, and a high surrogate cut off at the end.
    EXPECT_EQ(Utf16ToUtf8(u"a\xDC00"
                          u"b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, 0xD83D)), "\xEF\xBF\xBD");
    // A stray continuation byte, an over-long form, an encoded surrogate, a truncated sequence.
    EXPECT_EQ(Utf8ToUtf16("\x80"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("x\xE2\x82"), u"x\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD") << "beyond U+10FFFF";
}
} // namespace
