#include "command/commandfixture.h"
#include "command/testcommands.h"
#include "engine/system/commandline.h"
#include "engine/system/managermanager.h"
#include "testmanager.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace
{
std::vector<std::string> s_aPhases;
TRecordingManager s_PhaseTarget("PhaseTarget", &s_aPhases);
TRecordingManager* g_pPhaseTarget = nullptr;
const i32 s_nPhaseTarget =
    TManagerManager::RegisterManager("PhaseTarget", "PhaseTarget", &g_pPhaseTarget, &s_PhaseTarget);

class SystemCommands : public CommandTest
{
protected:
    bool Printed(const std::string& text) const
    {
        for (const std::string& line : Texts())
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }
};
} // namespace

TEST_F(SystemCommands, SetReadsValuesByTheTypeOfTheVariableAndSaturatesPastThirtyTwoBits)
{
    const struct
    {
        const char* text;
        i32 value;
    } integers[] = {{"0x1F", 31}, {"0xZ1", 1}, {"0xFFFFFFFF", -1},
                    // Decimal text saturates past 32 bits: both sides of each limit.
                    {"2147483647", 2147483647}, {"2147483648", 2147483647}, {"99999999999", 2147483647},
                    {"-2147483648", -2147483647 - 1}, {"-2147483649", -2147483647 - 1}, {"12abc", 12}};
    for (const auto& c : integers)
    {
        Manager().ExecuteText((std::string("set test.int ") + c.text).c_str());
        EXPECT_EQ(g_TestInt.GetValue().nInt, c.value) << c.text;
    }
    EXPECT_TRUE(g_TestInt.GetFlags() & VARIABLE_CHANGED);
    Manager().ExecuteText("reset test.int");
    EXPECT_FALSE(g_TestInt.GetFlags() & VARIABLE_CHANGED);
    EXPECT_EQ(g_TestInt.GetValue().nInt, 12);
}

TEST_F(SystemCommands, WrongNamesAndArgumentsAreReported)
{
    const char* argv[] = {"/opt/morvanesim", "Windowed", "", "sound_enabled=0"};
    SetCommandLine(4, argv);
    const struct
    {
        const char* line;
        const char* printed;
    } cases[] = {{"set test_int 5", "'test_int': undeclared variable"}, // variables are written dotted only
                 {"set no.such.variable 1", "'no.such.variable': undeclared variable"},
                 {"set test.int", "command does not take 1 parameters (at least 2 expected)"},
                 {"help exec", "Execute command file."},
                 {"help nothing", "'nothing': undeclared variable"},
                 {"device.run", "device manager is not set"},
                 {"quit", "device manager is not set"},
                 {"compress missing.txt other.bin", "'missing.txt': unable to compress"},
                 // Undeclared parameters are reported and the rest goes on.
                 {"commandline", "'Windowed': undeclared command line parameter"},
                 {"commandline", "'': undeclared command line parameter"}};
    for (const auto& c : cases)
    {
        m_Listener.lines.clear();
        Manager().ExecuteText(c.line);
        EXPECT_TRUE(Printed(c.printed)) << c.line;
    }
    EXPECT_EQ(g_TestInt.GetValue().nInt, 7);
    EXPECT_FALSE(g_TestInt.GetFlags() & VARIABLE_CHANGED);
    EXPECT_TRUE(Logged("TCommandquit::Execute(): quit"));
    Manager().ExecuteText("set test.int 5;reset test_int");
    EXPECT_TRUE(g_TestInt.GetFlags() & VARIABLE_CHANGED);
}

TEST_F(SystemCommands, PhasesTypedInsideAFrameAreRefused)
{
    Manager().ExecuteText("manager.system.create insideframe;manager.initialize.add PhaseTarget;"
                          "manager.finalize.add PhaseTarget;manager.update.add PhaseTarget;"
                          "manager.initialize;manager.begin");
    s_aPhases.clear();
    m_Listener.lines.clear();
    // Updated once a frame, as the console is.
    const u32 channel = s_PhaseTarget.m_nChannel;
    const u32 flags = s_PhaseTarget.m_nUpdateFlags;
    s_PhaseTarget.m_nChannel = 0;
    s_PhaseTarget.m_nUpdateFlags = 0;
    s_PhaseTarget.m_pOnUpdate = [](TRecordingManager*) {
        TCommandManager::Instance().ExecuteText("manager.end;manager.finalize;manager.begin");
    };
    g_ManagerManager.Update(0.05f);
    s_PhaseTarget.m_pOnUpdate = nullptr;
    s_PhaseTarget.m_nChannel = channel;
    s_PhaseTarget.m_nUpdateFlags = flags;
    EXPECT_FALSE(g_ManagerManager.IsUpdating());
    EXPECT_EQ(s_aPhases, std::vector<std::string>{"PhaseTarget.update.0"});
    EXPECT_EQ(Texts(), std::vector<std::string>(
                           3, "^Ierror: managers run a frame (phases belong to the start-up script)"));

    // Outside the frame the phases run as before.
    Manager().ExecuteText("manager.end;manager.finalize");
    EXPECT_EQ(s_aPhases, (std::vector<std::string>{"PhaseTarget.update.0", "PhaseTarget.end.0",
                                                   "PhaseTarget.finalize.0"}));
}

TEST_F(SystemCommands, UserDirectoryExpandsReferencesAndSetsTheEnvironment)
{
    Manager().ExecuteText("environment.set base /tmp/base");
    Manager().ExecuteText("user.directory $(base)/user");
    EXPECT_STREQ(GetUserDirectory()->GetText(), "/tmp/base/user");
    EXPECT_STREQ(Manager().ExpandVariables("$(directoryuser)"), "/tmp/base/user");

    // A path that expands to nothing would put the logs into the root folder.
    Manager().ExecuteText("environment.set base \"\"");
    Manager().ExecuteText("user.directory $(base)");
    EXPECT_TRUE(Printed("empty user directory"));
    EXPECT_STREQ(GetUserDirectory()->GetText(), "/tmp/base/user");
}

namespace
{
// A static whose destructor, once armed, changes the exit code: it runs only if terminate lets
// the static destructors run.
struct TDestructorWatch
{
    bool bArmed = false;
    ~TDestructorWatch()
    {
        if (bArmed)
            _exit(3);
    }
} s_DestructorWatch;
} // namespace

// Exit codes are 8 bits here: 1337 arrives as 57.
TEST(SystemCommandDeathTest, TerminateEndsWithItsCodeWithoutStaticDestructors)
{
    EXPECT_EXIT(
        {
            s_DestructorWatch.bArmed = true;
            TCommandManager::Instance().ExecuteText("terminate");
        },
        ::testing::ExitedWithCode(1337 & 0xFF), "");
}

namespace
{
// Each token as "index:name", with "=value" when it has one.
std::vector<std::string> s_aToken;

i32 RecordToken(const char* name, const char* value, i32 unused, i32 index)
{
    EXPECT_EQ(unused, 0);
    s_aToken.push_back(std::to_string(index) + ":" + name + (value ? std::string("=") + value : ""));
    return 0;
}

std::vector<std::string> Parse(const char* line)
{
    s_aToken.clear();
    char text[COMMAND_LINE_SIZE];
    std::snprintf(text, sizeof text, "%s", line);
    EXPECT_EQ(ParseCommandLine(text, RecordToken), 0);
    return s_aToken;
}
} // namespace

TEST(CommandLine, TokensValuesQuotesAndEmptyNames)
{
    // Two blanks and a trailing blank: empty names.
    EXPECT_EQ(Parse("game.exe windowed detaillevel=2 title=\"a b=c\"  "),
              (std::vector<std::string>{"0:game.exe", "1:windowed", "2:detaillevel=2", "3:title=\"a b=c\"",
                                        "4:", "5:"}));
    EXPECT_EQ(Parse("game.exe").size(), 1u);
}
