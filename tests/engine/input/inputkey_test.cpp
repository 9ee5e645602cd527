#include "engine/input/inputkey.h"

#include "../localization/scratchfolder.h"


namespace
{
TInputKey Parse(const char* text)
{
    TInputKey key;
    key.Parse(text);
    return key;
}

using InputKeyTest = ScratchFolderTest;
} // namespace

// Letters in either case, the modifier words in lower case only; a trailing plus belongs to
// the name. Modifiers print in one order.
TEST_F(InputKeyTest, TextsParseToModifiersAndCodesAndPrintInOneOrder)
{
    constexpr u32 kAny = ~0u;
    const struct
    {
        const char* text;
        u32 modifiers, code;
        const char* printed;
    } cases[] = {{"shift+ctrl+F1", INPUT_KEY_SHIFT | INPUT_KEY_CTRL, 59, "shift+ctrl+F1"},
                 {"ctrl+shift+F1", INPUT_KEY_SHIFT | INPUT_KEY_CTRL, 59, "shift+ctrl+F1"},
                 {"alt+ctrl+shift+Delete", INPUT_KEY_SHIFT | INPUT_KEY_CTRL | INPUT_KEY_ALT, kAny,
                  "shift+ctrl+alt+Delete"},
                 {"f1", 0, 59, nullptr},
                 {"SPACE", 0, 57, nullptr},
                 {"Shift+F1", 0, 59, nullptr},
                 {"Num+", 0, 78, "Num+"},
                 {"shift+Num+", INPUT_KEY_SHIFT, 78, nullptr},
                 {"ctrl+Num+", INPUT_KEY_CTRL, 78, "ctrl+Num+"},
                 {"Num-", 0, kAny, "Num-"}};
    for (const auto& c : cases)
    {
        const TInputKey key = Parse(c.text);
        EXPECT_EQ(key.nModifiers, c.modifiers) << c.text;
        if (c.code != kAny)
            EXPECT_EQ(key.nCode, c.code) << c.text;
        if (c.printed)
            EXPECT_STREQ(TInputKey::ToText(key), c.printed) << c.text;
    }
    EXPECT_TRUE(TInputKey::Equals(Parse("shift+ctrl+F1"), Parse("ctrl+shift+F1")));
    EXPECT_TRUE(m_Printed.lines.empty());
}

TEST_F(InputKeyTest, UnknownNamesAreReported)
{
    TInputKey key;
    EXPECT_FALSE(key.Parse("ctrl+Hyper"));
    EXPECT_EQ(key.nCode, 0u);
    EXPECT_EQ(key.nModifiers, INPUT_KEY_CTRL);
    ASSERT_EQ(m_Printed.lines.size(), 1u);
    EXPECT_EQ(m_Printed.lines[0], "^Ierror: 'Hyper': undeclared buffered input");
    // An empty text is the empty key 0.
    EXPECT_TRUE(key.Parse(""));
    EXPECT_EQ(key.nCode, 0u);
}
