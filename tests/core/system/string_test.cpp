// The formatting helpers: Windows-style conversions, cutting, the ring of buffers, the split.
#include "core/system/string.h"

#include <gtest/gtest.h>

#include <string>

TEST(Format, CutsAtTheRoomTerminatesAndRefusesPercentN)
{
    char out[32];
    memset(out, 'q', sizeof out);
    i32 n = FormatString32(out, "%s", std::string(100, 'a').c_str());
    EXPECT_EQ(n, 31);
    EXPECT_EQ(std::string(out), std::string(31, 'a'));

    char small[8];
    FormatStringN(small, sizeof small, "%S%S", u"abcde", u"fghij");
    EXPECT_STREQ(small, "abcdefg");
    FormatStringN(small, sizeof small, "%I64d", static_cast<i64>(123456789012LL));
    EXPECT_STREQ(small, "1234567");
    // %n writes nothing through its argument.
    int target = 5;
    FormatString32(out, "ab%ncd", &target);
    EXPECT_STREQ(out, "abcd");
    EXPECT_EQ(target, 5);
}

TEST(SplitDotted, SplitsOnceOutsideQuotes)
{
    char text[] = "menu.title.extra";
    char* parts[2];
    EXPECT_EQ(SplitDotted(text, parts), 2);
    EXPECT_STREQ(parts[0], "menu");
    EXPECT_STREQ(parts[1], "title.extra");

    char quoted[] = "\"a.b\".c";
    EXPECT_EQ(SplitDotted(quoted, parts), 2);
    EXPECT_STREQ(parts[0], "\"a.b\"");
    EXPECT_STREQ(parts[1], "c");

    char none[] = "plain";
    EXPECT_EQ(SplitDotted(none, parts), 1);
    EXPECT_EQ(parts[1], nullptr);
}

TEST(EscapeUnprintable, ControlAndStrayBytesBecomeEscapesUtf8StaysAndCutsFit)
{
    char out[64];
    EXPECT_EQ(EscapeUnprintable(out, sizeof out, "plain text \\ 'quoted'"), 21);
    EXPECT_STREQ(out, "plain text \\ 'quoted'");
    EscapeUnprintable(out, sizeof out, "a\x01\tb\n\x7f");
    EXPECT_STREQ(out, "a\\x01\\x09b\\x0a\\x7f");
    // Well-formed UTF-8 stays; stray, overlong, surrogate and C1-control forms do not.
    EscapeUnprintable(out, sizeof out, "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80");
    EXPECT_STREQ(out, "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80");
    EscapeUnprintable(out, sizeof out, "\xe9t\xc0\xaf\xed\xa0\x80\xc2\x85\xc3");
    EXPECT_STREQ(out, "\\xe9t\\xc0\\xaf\\xed\\xa0\\x80\\xc2\\x85\\xc3");
    // The text is cut before an escape or a sequence that does not fit.
    char tight[6];
    EXPECT_EQ(EscapeUnprintable(tight, sizeof tight, "ab\x01" "cd"), 2);
    EXPECT_STREQ(tight, "ab");
    EXPECT_EQ(EscapeUnprintable(tight, sizeof tight, "abcd\xc3\xa9"), 4);
    EXPECT_STREQ(tight, "abcd");
    EXPECT_EQ(EscapeUnprintable(tight, sizeof tight, nullptr), 0);
    EXPECT_STREQ(tight, "");
}
