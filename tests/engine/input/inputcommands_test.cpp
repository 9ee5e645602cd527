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
};
} // namespace

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
    // Saved again, the bindings read back write the same texts as the ones checked above.
    commands.SaveSettings();
    EXPECT_EQ(ReadFile("user/system/actions.icom"), actions);
    EXPECT_EQ(ReadFile("user/system/settings.icom"), binds);
    commands.ClearBinds();
}
