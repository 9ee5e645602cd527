#include "commandfixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

using EnvironmentTest = CommandTest;

TEST_F(EnvironmentTest, ReferencesExpandToTheirValuesOnce)
{
    Manager().Print("version $(version) and $(nosuchname)");
    ASSERT_EQ(m_Listener.lines.size(), 1u);
    EXPECT_EQ(m_Listener.lines[0].text, "version 2.0.1 and $(nosuchname)");

    EXPECT_EQ(Manager().SetEnvironment(TName("gate", true), TName("B7", true)), ENVIRONMENT_ADDED);
    EXPECT_EQ(Manager().SetEnvironment(TName("gate"), TName("B7")), ENVIRONMENT_UNCHANGED);
    EXPECT_EQ(Manager().SetEnvironment(TName("gate"), TName("C2", true)), ENVIRONMENT_REPLACED);
    EXPECT_STREQ(Manager().ExpandVariables("$(gate)$(gate) $(gate"), "C2C2 $(gate");

    // Values referring to themselves, and accented values, expand once.
    Manager().SetEnvironment(TName("loop", true), TName("<$(loop)>", true));
    EXPECT_STREQ(Manager().ExpandVariables("$(loop)"), "<$(loop)>");
    Manager().SetEnvironment(TName("home", true), TName("/home/jos\xc3\xa9", true));
    EXPECT_STREQ(Manager().ExpandVariables("$(home)/x"), "/home/jos\xc3\xa9/x");
}

TEST_F(EnvironmentTest, ValuesAreCutAndBuffersNeverOverrun)
{
    const std::string longValue(300, 'v');
    Manager().SetEnvironment(TName("long", true), TName(longValue.c_str(), true));
    EXPECT_EQ(std::string(Manager().ExpandVariables("[$(long)]")), "[" + std::string(127, 'v') + "]");

    // Eight references of 127 characters cannot fit the 1,024-character buffer: the
    // replacement stops at the first that does not fit.
    std::string text;
    for (int i = 0; i < 9; ++i)
        text += "$(long)";
    const char* expanded = Manager().ExpandVariables(text.c_str());
    EXPECT_LT(std::strlen(expanded), COMMAND_EXPAND_SIZE);
    EXPECT_EQ(std::string(expanded).substr(0, 127 * 8), std::string(127 * 8, 'v'));
    EXPECT_TRUE(Logged("Replace(): error: insufficient target size"));

    // An over-long text is cut to the buffer before expanding.
    const std::string huge = std::string(3000, 'x') + "$(version)";
    EXPECT_EQ(std::strlen(Manager().ExpandVariables(huge.c_str())), COMMAND_EXPAND_SIZE - 1);
}

TEST_F(EnvironmentTest, ReplaceWorksInPlaceWithinTheCapacity)
{
    char text[16] = "a-b-c";
    EXPECT_EQ(Replace(text, sizeof text, "-", "=="), 2u);
    EXPECT_STREQ(text, "a==b==c");
    // The replacement holds the pattern: the scan goes on after it.
    EXPECT_EQ(Replace(text, sizeof text, "=", "=x"), 4u);
    EXPECT_STREQ(text, "a=x=xb=x=xc");
    // 11 characters, room 16: one more two-character replacement fits, then the NUL would not.
    char small[13] = "ab";
    EXPECT_EQ(Replace(small, sizeof small, "b", "bbbbbb"), 1u);
    EXPECT_EQ(Replace(small, sizeof small, "a", "aaaaaaa"), 0u);
    EXPECT_STREQ(small, "abbbbbb");
    char shorter[8] = "ab";
    EXPECT_EQ(Replace(shorter, sizeof shorter, "abc", "x"), 0u);
}

TEST_F(EnvironmentTest, WideTextsExpandWithinTheirCapacity)
{
    Manager().SetEnvironment(TName("stand", true), TName("Stand 12", true));
    char16_t text[32] = u"at $(stand)!";
    Manager().ExpandVariables(text, 32);
    EXPECT_EQ(std::u16string(text), u"at Stand 12!");

    // "Stand 12" and its NUL fit nine units; a tenth character does not.
    char16_t exact[9] = u"$(stand)";
    Manager().ExpandVariables(exact, 9);
    EXPECT_EQ(std::u16string(exact), u"Stand 12");
    Manager().SetEnvironment(TName("stand"), TName("Stand 123", true));
    char16_t tight[9] = u"$(stand)";
    Manager().ExpandVariables(tight, 9);
    EXPECT_EQ(std::u16string(tight), u"$(stand)");
}

// Filled in a child process: nothing empties the one environment again, and the later tests
// of this process need room in it.
TEST_F(EnvironmentTest, AFullEnvironmentRefusesNewNames)
{
    EXPECT_EXIT(
        {
            u32 result = ENVIRONMENT_ADDED;
            for (int i = 0; i < 200 && result != ENVIRONMENT_FULL; ++i)
                result = Manager().SetEnvironment(TName(("name" + std::to_string(i)).c_str(), true),
                                                  TName("v", true));
            const bool full = result == ENVIRONMENT_FULL &&
                              Manager().GetEnvironmentCount() == COMMAND_MAX_ENVIRONMENT &&
                              Manager().SetEnvironment(TName("version"), TName("3", true)) ==
                                  ENVIRONMENT_REPLACED &&
                              SystemLog().find("too many environment values") != std::string::npos;
            std::fprintf(stderr, full ? "refused when full\n" : "not refused\n");
            std::exit(full ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "refused when full");
}

} // namespace
