// The console: its output ring, the history and its browsing, private lines (never kept, wiped once
// run), typed characters and their limits, and the clipboard.
#include "engine/system/console.h"

#include "core/system/platform.h"
#include "engine/input/inputkey.h"
#include "engine/system/command/commandmanager.h"
#include "support/secretscan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
TInputEvent Key(const char* name, u32 modifiers = 0, u32 character = 0)
{
    for (u32 code = 1; code < INPUT_KEYBOARD_NAME_COUNT; ++code)
        if (std::strcmp(InputKeyName(code), name) == 0)
            return {modifiers, code, character};
    ADD_FAILURE() << "no key " << name;
    return {};
}

class ConsoleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pOldListener = g_pCommandManager->GetListener();
        g_pCommandManager->SetListener(&m_Console);
    }
    void TearDown() override { g_pCommandManager->SetListener(m_pOldListener); }

    void Type(const char* text)
    {
        for (const char* c = text; *c; ++c)
            m_Console.HandleKey({0, 0x1E, static_cast<u32>(static_cast<u8>(*c))});
    }
    void Enter(const char* text)
    {
        m_Console.SetInput(text);
        m_Console.HandleKey(Key("Enter"));
    }

    TCommandMethods* m_pOldListener = nullptr;
    TConsoleManager m_Console;
};

TEST_F(ConsoleTest, KeepsTheNewest256LinesAndScrollsBackToTenShortOfTheOldest)
{
    for (int i = 0; i < 300; ++i)
        g_pCommandManager->Print("line %d", i);
    const auto& lines = m_Console.GetLines();
    EXPECT_STREQ(lines.Back(0), "line 299");
    EXPECT_STREQ(lines.Back(255), "line 44");
    EXPECT_EQ(lines.Back(256), nullptr);
    // Printed lines are cut at 127 characters.
    m_Console.PrintLine(std::string(200, 'x').c_str(), 0);
    EXPECT_EQ(std::strlen(lines.Back(0)), 127u);

    // Each scroll key ends the frame's keys.
    EXPECT_FALSE(m_Console.HandleKey(Key("Up", INPUT_KEY_SHIFT)));
    EXPECT_EQ(m_Console.GetScrollOffset(), 1);
    for (int i = 0; i < 300; ++i)
        m_Console.HandleKey(Key("Up", INPUT_KEY_SHIFT));
    EXPECT_EQ(m_Console.GetScrollOffset(), 256 - 10 + 1);
    m_Console.HandleKey(Key("Down", INPUT_KEY_SHIFT));
    EXPECT_EQ(m_Console.GetScrollOffset(), 256 - 10);
    m_Console.HandleKey(Key("Down", INPUT_KEY_CTRL));
    EXPECT_EQ(m_Console.GetScrollOffset(), 0);
    // A new line brings the view back to the newest.
    m_Console.HandleKey(Key("Up", INPUT_KEY_SHIFT));
    m_Console.PrintLine("new", 0);
    EXPECT_EQ(m_Console.GetScrollOffset(), 0);
}

TEST_F(ConsoleTest, HistoryBrowsesBackAndWraps)
{
    Enter("first");
    Enter("second");
    Enter("third");
    EXPECT_STREQ(m_Console.GetInput(), "");
    const char* up[] = {"third", "second", "first", "third"};
    for (const char* expected : up)
    {
        m_Console.HandleKey(Key("Up"));
        EXPECT_STREQ(m_Console.GetInput(), expected);
    }
    m_Console.HandleKey(Key("Down"));
    EXPECT_STREQ(m_Console.GetInput(), "first");
    m_Console.HandleKey(Key("Esc"));
    EXPECT_STREQ(m_Console.GetInput(), "");

    // An empty line is kept too, and echoed after the separator.
    Enter("");
    EXPECT_STREQ(m_Console.GetHistory().Back(0), "");
    EXPECT_STREQ(m_Console.GetLines().Back(0), "^G");
    EXPECT_EQ(std::string(m_Console.GetLines().Back(1)), "^r" + std::string(59, '_'));

    // 32 entries at most: the oldest go.
    for (int i = 0; i < 40; ++i)
        Enter(("entry " + std::to_string(i)).c_str());
    EXPECT_EQ(m_Console.GetHistory().nCount, 32u);
    EXPECT_STREQ(m_Console.GetHistory().Back(31), "entry 8");
}

namespace
{
// A command whose lines carry a password.
class TCommandtest_private_login : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32) override {}
};
TCommandtest_private_login s_PrivateLogin;
const u32 s_nPrivateRegistered = TCommandManager::Instance().RegisterCommand(
    "test_private_login", "private login", "Takes a password.", &s_PrivateLogin, COMMAND_PRIVATE);
} // namespace

TEST_F(ConsoleTest, PrivateLinesStayOutOfTheHistoryAndTheEchoAndAreWiped)
{
    Enter("first");
    Enter("  test.private.login pilot s3cretTyped");
    EXPECT_STREQ(m_Console.GetHistory().Back(0), "first");
    EXPECT_STREQ(m_Console.GetLines().Back(0), "^Gtest.private.login ...");
    EXPECT_FALSE(HeldInWritableMemory("s3cretTyped"));
}

TEST_F(ConsoleTest, TypingRefusesPercentModifiersAndOverlongLines)
{
    Type("ab%c");
    EXPECT_STREQ(m_Console.GetInput(), "abc");
    EXPECT_FALSE(m_Console.HandleKey({INPUT_KEY_CTRL, 0x1E, 'a'}));
    EXPECT_FALSE(m_Console.HandleKey({INPUT_KEY_ALT, 0x1E, 'a'}));
    m_Console.HandleKey(Key("Backspace"));
    EXPECT_STREQ(m_Console.GetInput(), "ab");
    Type(std::string(70, 'z').c_str());
    EXPECT_EQ(std::strlen(m_Console.GetInput()), 63u);
    // The toggle key types nothing and ends the frame's keys.
    EXPECT_FALSE(m_Console.HandleKey(Key("`", 0, 0x60)));
    EXPECT_EQ(std::strlen(m_Console.GetInput()), 63u);
}

TEST_F(ConsoleTest, CtrlCCopiesTheLineAndCtrlVPastesWhatFits)
{
    Type("abc");
    EXPECT_FALSE(m_Console.HandleKey(Key("c", INPUT_KEY_CTRL)));
    EXPECT_STREQ(ClipboardGetTextA(), "abc");
    // The line holds 63 characters and its end: a paste that would not fit is dropped whole.
    const struct
    {
        const char* line;
        size_t pasted;
        std::string result;
    } cases[] = {{"", 70, ""}, {"", 64, ""}, {"", 63, std::string(63, 'x')}, {"abc", 61, "abc"},
                 {"abc", 60, "abc" + std::string(60, 'x')}};
    for (const auto& c : cases)
    {
        m_Console.SetInput(c.line);
        ClipboardSetTextA(std::string(c.pasted, 'x').c_str());
        m_Console.HandleKey(Key("v", INPUT_KEY_CTRL));
        EXPECT_EQ(std::string(m_Console.GetInput()), c.result) << c.line << " + " << c.pasted;
    }
}


} // namespace
