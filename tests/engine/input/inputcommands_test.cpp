#include "core/system/platform.h"
#include "engine/input/inputkey.h"
#include "engine/input/inputmanager.h"
#include "engine/system/command/commandprogram.h"
#include "testdriver.h"

namespace
{
class InputCommandsTest : public InputTest
{
protected:
    static TInputAction* Find(const char* name) { return Input().FindAction(TName(name, true)); }
    void Run(const char* text)
    {
        m_Printed.lines.clear();
        TCommandManager::Instance().ExecuteText(text);
    }
    static std::string Environment(const char* name)
    {
        const char* text =
            TCommandManager::Instance().ExpandVariables((std::string("[$(") + name + ")]").c_str());
        return text;
    }
};
} // namespace

TEST_F(InputCommandsTest, BindCreatesTheActionPublishesItsInputAndRecordLeavesOne)
{
    Run("action.bind jump Space");
    TInputAction* jump = Find("jump");
    ASSERT_NE(jump, nullptr);
    EXPECT_EQ(jump->pPrimary, &TestInput("Space"));
    EXPECT_EQ(Environment("action:jump"), "[Space]");

    Run("action.bind jump Space Enter");
    EXPECT_EQ(jump->pSecondary, &TestInput("Enter"));
    Run("action.unbind jump");
    EXPECT_EQ(jump->pPrimary, nullptr);
    EXPECT_EQ(jump->pSecondary, nullptr);
    EXPECT_EQ(Environment("action:jump"), "[]");
    // Record leaves one input.
    Run("action.bind fire Space Enter;action.record fire mbLeftButton");
    EXPECT_EQ(Find("fire")->pPrimary, &TestInput("mbLeftButton"));
    EXPECT_EQ(Find("fire")->pSecondary, nullptr);
    EXPECT_EQ(Environment("action:fire"), "[mbLeftButton]");
}

TEST_F(InputCommandsTest, LookUpErrorsLeaveTheBindingsAlone)
{
    Run("action.bind jump Space");
    Run("action.bind jump Space Hyper");
    ASSERT_EQ(m_Printed.lines.size(), 1u);
    EXPECT_EQ(m_Printed.lines[0], "^Ierror: 'Hyper': undeclared input");
    EXPECT_EQ(Find("jump")->pSecondary, nullptr);

    const std::pair<const char*, const char*> refused[] = {
        {"action.bind jump", "^Ierror: command does not take 1 parameters (at least 2 expected)"},
        {"action.unbind", "^Ierror: command does not take 0 parameter (1 expected)"},
        {"action.unbind nosuch", "^Ierror: 'nosuch': undeclared action"},
        {"action.record nosuch Space", "^Ierror: 'nosuch': undeclared action"},
        {"action.record jump Hyper", "^Ierror: 'Hyper': undeclared input"}};
    for (const auto& [line, error] : refused)
    {
        Run(line);
        EXPECT_EQ(m_Printed.lines, std::vector<std::string>{error}) << line;
    }
    EXPECT_EQ(Find("jump")->pPrimary, &TestInput("Space"));
}

// The start-up script is compiled before the managers start, and runs action lines after
// manager.initialize: the actions are looked up when the lines run.
TEST_F(InputCommandsTest, AScriptCompiledBeforeTheManagersStartBindsWhenItsLinesRun)
{
    g_ManagerManager.Finalize();
    TCommandProgram program;
    program.Parse("action.bind \"jump\" Space\naction.bind \"fire\" Space Enter\naction.record \"fire\" F1\n"
                  "action.unbind \"jump\"\n");
    program.Link();
    // Before the managers start, a line is refused with an error instead of ending the program.
    for (const char* line : {"action.bind \"early\" Space", "action.record \"early\" Space", "action.unbind \"early\""})
    {
        Run(line);
        EXPECT_EQ(m_Printed.lines,
                  std::vector<std::string>{"^Ierror: actions are made once the managers are initialized"});
    }
    g_ManagerManager.Initialize();
    m_Printed.lines.clear();
    program._Execute();
    EXPECT_TRUE(m_Printed.lines.empty()) << m_Printed.lines[0];
    EXPECT_EQ(Find("fire")->pPrimary, &TestInput("F1"));
    EXPECT_EQ(Find("fire")->pSecondary, nullptr);
    EXPECT_EQ(Find("jump")->pPrimary, nullptr);
    EXPECT_EQ(Find("early"), nullptr);
}

TEST_F(InputCommandsTest, ListWithAFilter)
{
    Run("action.bind jump Space Enter;action.bind fire F1;action.bind idle Space;action.unbind idle");
    Run("action.list ju");
    EXPECT_EQ(m_Printed.lines, (std::vector<std::string>{"   jump|180^FSpace|320^kTest input driver",
                                                         "|180^FEnter|320^kTest input driver"}));
    Run("action.list");
    EXPECT_EQ(m_Printed.lines.size(), 4u);
    EXPECT_EQ(m_Printed.lines[3], "   idle|180^F|320^k");
}

TEST_F(InputCommandsTest, CompletionOffersActionsAndInputs)
{
    Run("action.bind jump Space;action.bind jog Space Enter;action.bind fire F1");
    TCompletionList candidates;
    TCompletionList descriptions;
    TCommandManager::Instance().Complete("action.bind j", candidates, descriptions);
    ASSERT_EQ(candidates.GetCount(), 2);
    EXPECT_STREQ(candidates[0].aText, "action.bind jog ");
    EXPECT_STREQ(descriptions[0].aText, "Space|090Enter");
    EXPECT_STREQ(candidates[1].aText, "action.bind jump ");
    EXPECT_STREQ(descriptions[1].aText, "Space|090^lTest input driver");

    TCommandManager::Instance().Complete("action.bind jump mbLeft", candidates, descriptions);
    ASSERT_EQ(candidates.GetCount(), 1);
    EXPECT_STREQ(candidates[0].aText, "action.bind jump mbLeftButton ");
    EXPECT_STREQ(descriptions[0].aText, "Test input driver");
}

TEST_F(InputCommandsTest, RecordingAndEchoTakeThePressedInput)
{
    Run("action.bind jump Space");
    TCompletionList candidates;
    TCompletionList descriptions;
    TCommandManager::Instance().Complete("action.record jump ", candidates, descriptions);
    EXPECT_EQ(candidates.GetCount(), 0);
    EXPECT_NE(Input().GetCapture(), nullptr);
    Input().OnDriverEvent(&TestInput("mbLeftButton"));
    EXPECT_EQ(Input().GetCapture(), nullptr);
    EXPECT_EQ(m_Printed.input, "action.record jump mbLeftButton ");

    Run("input.echo");
    EXPECT_NE(Input().GetCapture(), nullptr);
    Input().OnDriverEvent(&TestInput("F1"));
    EXPECT_EQ(Input().GetCapture(), nullptr);
    EXPECT_EQ(m_Printed.lines, std::vector<std::string>{"F1|200^kTest input driver"});
    EXPECT_STREQ(ClipboardGetTextA(), "F1");
}

TEST_F(InputCommandsTest, SettingsReadBackToTheSameBinds)
{
    Run("action.bind jump Space;action.bind fire mbLeftButton Enter;action.bind idle F1;action.unbind idle");
    Run("command.bind \"shift+Num+\" \"action.list\";command.bind \"ctrl+MouseScrollUp\" \"action.list\"");
    TCommandManager& commands = TCommandManager::Instance();
    ASSERT_EQ(commands.GetBindCount(), 2u);
    commands.SaveSettings();
    const std::string actions = ReadFile("user/system/actions.icom");
    EXPECT_EQ(actions,
              "\n// input actions\naction.bind \"jump\" Space\naction.bind \"fire\" mbLeftButton Enter\n");
    const std::string binds = ReadFile("user/system/settings.icom");
    EXPECT_NE(binds.find("command.bind \"shift+Num+\" \"action.list\" \n"), std::string::npos) << binds;
    EXPECT_NE(binds.find("command.bind \"ctrl+MouseScrollUp\" \"action.list\" \n"), std::string::npos)
        << binds;

    Run("action.unbind jump;action.unbind fire;command.unbind all");
    Run(actions.c_str());
    Run(binds.c_str());
    EXPECT_TRUE(m_Printed.lines.empty()) << m_Printed.lines[0];
    EXPECT_EQ(Find("jump")->pPrimary, &TestInput("Space"));
    EXPECT_EQ(Find("fire")->pPrimary, &TestInput("mbLeftButton"));
    EXPECT_EQ(Find("fire")->pSecondary, &TestInput("Enter"));
    EXPECT_EQ(Find("idle")->pPrimary, nullptr);
    ASSERT_EQ(commands.GetBindCount(), 2u);
    EXPECT_STREQ(TInputKey::ToText({commands.GetBind(0).Key.nModifiers, commands.GetBind(0).Key.nCode, 0}),
                 "shift+Num+");
    EXPECT_EQ(commands.GetBind(1).Key.nModifiers, INPUT_KEY_CTRL | INPUT_KEY_MOUSE);
    EXPECT_EQ(commands.GetBind(1).Key.nCode, 1003u);
    commands.SaveSettings();
    EXPECT_EQ(ReadFile("user/system/actions.icom"), actions);
    EXPECT_EQ(ReadFile("user/system/settings.icom"), binds);
    commands.ClearBinds();
}
