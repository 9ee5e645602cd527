// The console: its output ring, the history and its browsing, private lines and lines that do not
// run (never kept, wiped once run), typed characters and their limits, and the clipboard. Keys come
// as the game delivers them: events of the input manager's ring, taken at the console's update.
#include "engine/system/console.h"

#include "core/system/platform.h"
#include "engine/input/inputkey.h"
#include "engine/input/inputmanager.h"
#include "engine/system/command/commandmanager.h"
#include "support/scratchworkingfolder.h"
#include "support/secretscan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace
{
TInputEvent KeyEvent(const char* name, u32 modifiers = 0, u32 character = 0)
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
        m_Console.OnFocusGain();
    }
    void TearDown() override
    {
        m_Console.OnFocusLost();
        g_pCommandManager->SetListener(m_pOldListener);
    }

    void Enter(const char* text)
    {
        m_Console.SetInput(text);
        m_Console.HandleKey(KeyEvent("Enter"));
    }
    // Key events through the input manager's ring, a frame of the console for every 20 (the
    // ring holds 31), and frames until every event is taken.
    static void Deliver(const TInputEvent* events, size_t count, TConsoleManager& console)
    {
        for (size_t i = 0; i < count; i += 20)
        {
            const size_t end = std::min(count, i + 20);
            for (size_t k = i; k < end; ++k)
                g_pInputManager->OnInputEvent(events[k]);
            for (size_t frame = i; frame < end; ++frame)
                console.UpdateFocus(0.0f);
        }
    }
    // A line typed key by key (its characters straight from the text: no copy of it is made).
    void Keys(const char* text)
    {
        TInputEvent events[20];
        size_t count = 0;
        for (const char* c = text; *c; ++c)
        {
            events[count++] = {0, 0x1E, static_cast<u32>(static_cast<u8>(*c))};
            if (count == 20 || !c[1])
            {
                Deliver(events, count, m_Console);
                count = 0;
            }
        }
        std::memset(events, 0, sizeof events);
    }
    void Press(const char* name, u32 modifiers = 0)
    {
        const TInputEvent event = KeyEvent(name, modifiers);
        Deliver(&event, 1, m_Console);
    }
    std::vector<std::string> Printed(size_t count) const
    {
        std::vector<std::string> lines;
        for (u32 i = static_cast<u32>(count); i-- > 0;)
            lines.push_back(m_Console.GetLines().Back(i) ? m_Console.GetLines().Back(i) : "");
        return lines;
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
    EXPECT_FALSE(m_Console.HandleKey(KeyEvent("Up", INPUT_KEY_SHIFT)));
    EXPECT_EQ(m_Console.GetScrollOffset(), 1);
    for (int i = 0; i < 300; ++i)
        m_Console.HandleKey(KeyEvent("Up", INPUT_KEY_SHIFT));
    EXPECT_EQ(m_Console.GetScrollOffset(), 256 - 10 + 1);
    m_Console.HandleKey(KeyEvent("Down", INPUT_KEY_SHIFT));
    EXPECT_EQ(m_Console.GetScrollOffset(), 256 - 10);
    m_Console.HandleKey(KeyEvent("Down", INPUT_KEY_CTRL));
    EXPECT_EQ(m_Console.GetScrollOffset(), 0);
    // A new line brings the view back to the newest.
    m_Console.HandleKey(KeyEvent("Up", INPUT_KEY_SHIFT));
    m_Console.PrintLine("new", 0);
    EXPECT_EQ(m_Console.GetScrollOffset(), 0);
}

TEST_F(ConsoleTest, HistoryBrowsesBackAndWraps)
{
    Enter("test.plain first");
    Enter("test.plain second");
    Enter("test.plain third");
    EXPECT_STREQ(m_Console.GetInput(), "");
    const char* up[] = {"test.plain third", "test.plain second", "test.plain first", "test.plain third"};
    for (const char* expected : up)
    {
        m_Console.HandleKey(KeyEvent("Up"));
        EXPECT_STREQ(m_Console.GetInput(), expected);
    }
    m_Console.HandleKey(KeyEvent("Down"));
    EXPECT_STREQ(m_Console.GetInput(), "test.plain first");
    m_Console.HandleKey(KeyEvent("Esc"));
    EXPECT_STREQ(m_Console.GetInput(), "");

    // A line run while browsing: the next browse starts again at the newest, that line.
    m_Console.HandleKey(KeyEvent("Up"));
    m_Console.HandleKey(KeyEvent("Up"));
    Enter("test.plain fourth");
    m_Console.HandleKey(KeyEvent("Up"));
    EXPECT_STREQ(m_Console.GetInput(), "test.plain fourth");
    m_Console.HandleKey(KeyEvent("Esc"));

    // An empty line is kept too, and echoed after the separator.
    Enter("");
    EXPECT_STREQ(m_Console.GetHistory().Back(0), "");
    EXPECT_STREQ(m_Console.GetLines().Back(0), "^G");
    EXPECT_EQ(std::string(m_Console.GetLines().Back(1)), "^r" + std::string(59, '_'));

    // 32 entries at most: the oldest go.
    for (int i = 0; i < 40; ++i)
        Enter(("test.plain " + std::to_string(i)).c_str());
    EXPECT_EQ(m_Console.GetHistory().nCount, 32u);
    EXPECT_STREQ(m_Console.GetHistory().Back(31), "test.plain 8");
}

namespace
{
// A command whose lines carry a password, and one without; each counts its runs.
u32 s_nPrivateRuns = 0;
u32 s_nPlainRuns = 0;
class TCommandtest_private_login : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32 prepare) override { s_nPrivateRuns += prepare == COMMAND_RUN; }
};
class TCommandtest_plain : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32 prepare) override { s_nPlainRuns += prepare == COMMAND_RUN; }
};
TCommandtest_private_login s_PrivateLogin;
TCommandtest_plain s_Plain;
const u32 s_nPrivateRegistered = TCommandManager::Instance().RegisterCommand(
    "test_private_login", "private login", "Takes a password.", &s_PrivateLogin, COMMAND_PRIVATE);
const u32 s_nPlainRegistered =
    TCommandManager::Instance().RegisterCommand("test_plain", "plain", "Takes words.", &s_Plain, 0);
} // namespace

// A line is private when any statement of it calls a private command, as the parser that runs it
// sees the line; such a line, and one that does not run (a mistyped or cut command word, one
// abandoned with Esc, one refused whole), is neither kept nor echoed whole, and is wiped: typed key
// by key (completion runs at each), none leaves a word of it in the name table, the process or the log.
TEST_F(ConsoleTest, PrivateLinesAndLinesThatDoNotRunAreNeverKeptAndLeaveNoWordBehind)
{
    TScratchWorkingFolder folder{"console"};
    const struct
    {
        const char* line;
        const char* secret;
        const char* key;
        u32 privateRuns;
        const char* echo;
    } cases[] = {
        {"  test.private.login pilot s3cretTypedAlone1", "s3cretTypedAlone1", "Enter", 1, "^Gtest.private.login ..."},
        {"test.plain; test.private.login pilot s3cretAfterPlain2", "s3cretAfterPlain2", "Enter", 1, "^Gtest.plain ..."},
        {"\"test.private.login\" pilot s3cretQuotedWord3", "s3cretQuotedWord3", "Enter", 1, "^Gtest.private.login ..."},
        {"test.plain x\ttest.plain;test.private.login\ts3cretTabbed4", "s3cretTabbed4", "Enter", 1, "^Gtest.plain ..."},
        // Refused whole (more words than a statement holds): it does not run, and is not kept.
        {"test.private.login a b c d e f g h i j s3cretTooMany5", "s3cretTooMany5", "Enter", 0,
         "^Gtest.private.login ..."},
        {"test.plain a b c d e f g h i pLainTooMany6", "pLainTooMany6", "Enter", 0, nullptr},
        {"test.privat.login pilot tYpoLinePassword71", "tYpoLinePassword71", "Enter", 0, "^G..."},
        {"ivate.login pilot cUtLinePassword72", "cUtLinePassword72", "Enter", 0, "^G..."},
        {"cUtToThePassword73", "cUtToThePassword73", "Enter", 0, "^G..."},
        {"test.private.login pilot eScapedPassword74", "eScapedPassword74", "Esc", 0, nullptr},
        {"test.privat.login pilot eScapedTypoPassword75", "eScapedTypoPassword75", "Esc", 0, nullptr},
        {"test.plain; test.privat.login pilot tWoStatements76", "tWoStatements76", "Enter", 0, "^Gtest.plain ..."},
        {"test.private.login pilot cOrrectLine77; test.plain", "cOrrectLine77", "Enter", 1, "^Gtest.private.login ..."},
    };
    for (const auto& c : cases)
    {
        s_nPrivateRuns = 0;
        Enter("test.plain first");
        Keys(c.line);
        Press(c.key);
        EXPECT_EQ(s_nPrivateRuns, c.privateRuns) << c.line;
        EXPECT_STREQ(m_Console.GetHistory().Back(0), "test.plain first") << c.line;
        if (c.echo)
        {
            const std::vector<std::string> last = Printed(4);
            EXPECT_NE(std::find(last.begin(), last.end(), c.echo), last.end()) << c.line;
        }
        EXPECT_FALSE(SecretHeld(c.secret)) << c.line;
    }
    // The scans first: the test's own copies of the log and the names would be found.
    const std::string log = folder.SystemLog();
    for (const auto& c : cases)
    {
        EXPECT_EQ(log.find(c.secret + 8), std::string::npos) << c.line;
        // No prefix of the password, of four characters or more, has a text in the name table.
        for (size_t length = 4; length <= std::strlen(c.secret); ++length)
        {
            const std::string prefix(c.secret, length);
            EXPECT_STREQ(TName(prefix.c_str()).GetText(), "") << prefix;
        }
    }
    EXPECT_EQ(log.find("privat.login"), std::string::npos) << "an undeclared word is never quoted";
    EXPECT_NE(log.find("error: undeclared command"), std::string::npos) << log;
    // A line of plain statements is kept and echoed whole.
    Keys("test.plain;test.plain a");
    Press("Enter");
    EXPECT_STREQ(m_Console.GetHistory().Back(0), "test.plain;test.plain a");
    EXPECT_EQ(Printed(1), std::vector<std::string>{"^Gtest.plain;test.plain a"});
}

// A line that lost keys past its 63 characters says so once, is drawn as full, and never runs:
// not even what it still holds.
TEST_F(ConsoleTest, ALineThatLostKeysSaysSoAndNeverRuns)
{
    const std::string full = "^Ierror: the line is full (63 characters): what does not fit is lost, and the line will not run";
    const std::string notRun = "^Ierror: the line lost what was typed past its 63 characters: not run";
    const std::string filler62 = "test.plain " + std::string(51, 'x');
    ASSERT_EQ(filler62.size(), 62u);
    const struct
    {
        std::string typed;
        std::string then; // keys after the typing: b Backspace, v ctrl+v of "yz", e Esc, p "test.plain"
        bool runs;
        bool told;
    } cases[] = {
        {filler62 + "y", "", true, false},     // 63: the last that fits
        {filler62 + "yz", "", false, true},    // 64: the first lost
        {filler62 + "yz", "b", false, true},   // a lost key stays lost
        {filler62, "v", false, true},          // a paste that does not fit
        {filler62 + "yz", "ep", true, true},   // Esc starts a new line
        {filler62 + "yz", std::string(63, 'b') + "p", true, true}, // so does emptying it
    };
    for (const auto& c : cases)
    {
        Enter("test.plain first");
        s_nPlainRuns = 0;
        const u32 before = m_Console.GetLines().nCount;
        Keys(c.typed.c_str());
        EXPECT_FALSE(g_pInputManager->HasBufferedInput()) << "the console takes every key: " << c.typed.size();
        for (char k : c.then)
        {
            if (k == 'b')
                Press("Backspace");
            else if (k == 'v')
            {
                ClipboardSetTextA("yz");
                Press("v", INPUT_KEY_CTRL);
            }
            else if (k == 'e')
                Press("Esc");
            else if (k == 'p')
                Keys("test.plain");
        }
        EXPECT_EQ(m_Console.HasLostKeys(), !c.runs) << c.typed.size() << c.then;
        u32 toldTimes = 0;
        for (u32 i = 0; i + before < m_Console.GetLines().nCount; ++i)
            toldTimes += full == m_Console.GetLines().Back(i);
        EXPECT_EQ(toldTimes, c.told ? 1u : 0u) << c.typed.size() << c.then;
        Press("Enter");
        EXPECT_EQ(s_nPlainRuns, c.runs ? 1u : 0u) << c.typed.size() << c.then;
        if (!c.runs)
        {
            EXPECT_STREQ(m_Console.GetHistory().Back(0), "test.plain first");
            EXPECT_EQ(Printed(2), (std::vector<std::string>{"^Gtest.plain ...", notRun})) << c.typed.size() << c.then;
        }
        EXPECT_STREQ(m_Console.GetInput(), "");
        EXPECT_FALSE(m_Console.HasLostKeys());
    }
    // Keys a full line refuses end the frame's keys but stay with the console: none is left in
    // the input manager's ring, where a text box behind the console would read it.
    m_Console.SetInput((filler62 + "y").c_str());
    for (const char* c = "abcdef"; *c; ++c)
        g_pInputManager->OnInputEvent({0, 0x1E, static_cast<u32>(*c)});
    m_Console.UpdateFocus(0.0f);
    EXPECT_FALSE(g_pInputManager->HasBufferedInput());
    // A text put into the line that does not fit (a recorded input) marks it too.
    m_Console.SetInput((filler62 + "yz").c_str());
    EXPECT_TRUE(m_Console.HasLostKeys());
    m_Console.SetInput("test.plain");
    EXPECT_FALSE(m_Console.HasLostKeys());
    m_Console.AppendInput(std::string(60, 'x').c_str());
    EXPECT_TRUE(m_Console.HasLostKeys());
}

TEST_F(ConsoleTest, TypingRefusesPercentModifiersAndTheToggleKey)
{
    Keys("ab%c");
    EXPECT_STREQ(m_Console.GetInput(), "abc");
    EXPECT_FALSE(m_Console.HandleKey({INPUT_KEY_CTRL, 0x1E, 'a'}));
    EXPECT_FALSE(m_Console.HandleKey({INPUT_KEY_ALT, 0x1E, 'a'}));
    m_Console.HandleKey(KeyEvent("Backspace"));
    EXPECT_STREQ(m_Console.GetInput(), "ab");
    // The toggle key types nothing and ends the frame's keys.
    EXPECT_FALSE(m_Console.HandleKey(KeyEvent("`", 0, 0x60)));
    EXPECT_STREQ(m_Console.GetInput(), "ab");
}

TEST_F(ConsoleTest, CtrlCCopiesTheLineAndCtrlVPastesWhatFits)
{
    Keys("abc");
    EXPECT_FALSE(m_Console.HandleKey(KeyEvent("c", INPUT_KEY_CTRL)));
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
        m_Console.HandleKey(KeyEvent("v", INPUT_KEY_CTRL));
        EXPECT_EQ(std::string(m_Console.GetInput()), c.result) << c.line << " + " << c.pasted;
    }
}


} // namespace
