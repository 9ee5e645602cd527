#include "commandfixture.h"
#include "testcommands.h"

#include "core/stream/filestream.h"
#include "core/system/memory.h"
#include "core/system/namemanager.h"
#include "core/system/string.h"
#include "engine/system/command/commandprogram.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sys/resource.h>

namespace
{

using namespace std::string_literals;

// The name table as a start has it before its scripts compile: what the program registers as
// it starts, without the words that compiling a script registers.
class TStartNames
{
public:
    TStartNames()
    {
        for (i32 i = 0; i < 3; ++i)
        {
            void* data = nullptr;
            i32 size = 0;
            g_pNameManager->GetData(i, data, size);
            m_aBlock[i].assign(static_cast<u8*>(data), static_cast<u8*>(data) + size);
        }
    }

    // Calls it with only those names, as a later start from the same folder would.
    template <class F> void Later(F call) const
    {
        TNameManager* names = MemoryNew<TNameManager>();
        for (i32 i = 0; i < 3; ++i)
            names->SetData(i, m_aBlock[i].data(), static_cast<i32>(m_aBlock[i].size()));
        TNameManager* own = g_pNameManager;
        g_pNameManager = names;
        call();
        g_pNameManager = own;
        MemoryDelete(names);
    }

private:
    std::vector<u8> m_aBlock[3];
};

// What a program runs: each instruction's line, command, place, spare words and the texts its
// arguments have.
std::vector<std::string> Listing(TCommandProgram& program)
{
    std::vector<std::string> listing;
    for (i32 i = 0; i < program.GetInstructionCount(); ++i)
    {
        const TCommandInstruction& instruction = program.GetInstruction(i);
        std::string line = StringFormat("%d:%08x:%d:%d:%d:%d:%d", instruction.nLine, instruction.nCommand,
                                        instruction.nIndex, instruction.aCache[0], instruction.aCache[1],
                                        instruction.aCache[2], instruction.aCache[3]);
        for (u32 k = 0; k < instruction.nArgumentCount; ++k)
        {
            TName argument;
            argument.SetId(instruction.aArgument[k]);
            line += "|" + std::string(argument.GetText());
        }
        listing.push_back(line);
    }
    return listing;
}

class ScriptTest : public CommandTest
{
protected:
    u32 LinkCalls() const
    {
        return static_cast<u32>(
            std::count_if(g_TestRecord.calls.begin(), g_TestRecord.calls.end(),
                          [](const TRecordedCall& call) { return call.prepare == COMMAND_LINK; }));
    }

    u32 RunCalls() const { return static_cast<u32>(g_TestRecord.calls.size()) - LinkCalls(); }
};

TEST_F(ScriptTest, AScriptIsCompiledOnceRunFromItsCacheAndRebuiltWhenStaleOrDamaged)
{
    WriteFile("system/start.icom", "test.record 1\ntest.record \"two words\"\n");
    ASSERT_EQ(Manager().Execute("start"), SCRIPT_OK);
    EXPECT_EQ(LinkCalls(), 2u);
    EXPECT_EQ(RunCalls(), 2u);
    ASSERT_TRUE(std::filesystem::exists(CachePath("start")));
    const std::string cache = CachePath("start").substr(std::strlen(GetTempFolder()));
    EXPECT_EQ(CompareFileWriteTimes("system/start.icom", cache.c_str()), 0);
    EXPECT_TRUE(Logged("TCommandManager::Execute(): command source file '"));
    const auto run = [&](u32 links, const char* why) {
        ASSERT_EQ(Manager().Execute("start"), SCRIPT_OK);
        EXPECT_EQ(LinkCalls(), links) << why;
    };
    run(2, "loaded from the cache without linking");
    EXPECT_EQ(RunCalls(), 4u);
    EXPECT_EQ(g_TestRecord.cacheWords, (std::vector<i32>{42, 42, 42, 42}));
    EXPECT_EQ(g_TestRecord.calls.back().arguments, std::vector<std::string>{"two words"});
    EXPECT_EQ(Manager().GetSource(), TName()) << "the source is only current while the script runs";

    WriteFile("system/start.icom", "test.record 1\n");
    // The source's time moved away from the cache's, as an edit would.
    const auto source = m_Path + "/system/start.icom";
    std::filesystem::last_write_time(source, std::filesystem::last_write_time(source) + std::chrono::seconds(5));
    run(3, "an edited source recompiles");
    const auto time = std::filesystem::last_write_time(CachePath("start"));
    std::ofstream(CachePath("start"), std::ios::binary | std::ios::trunc) << "cp10 damaged";
    std::filesystem::last_write_time(CachePath("start"), time);
    run(4, "a damaged cache is rebuilt");
    run(4, "the rebuilt cache is used");

    WriteFile("user/system/start.icom", "test.record user\n");
    ASSERT_EQ(Manager().Execute("start"), SCRIPT_OK);
    EXPECT_EQ(g_TestRecord.calls.back().arguments, std::vector<std::string>{"user"}) << "the user's copy wins";
    Manager().PurgeCache();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(CachePath("start")).parent_path()));
}

// A later start runs a script from the cache an earlier one compiled, knowing only the names it
// registers itself: every word the script's commands read must come with the cache. A script
// holding passwords or a NUL byte is compiled at every run instead.
TEST_F(ScriptTest, EveryScriptRunsFromItsCacheAsItRanCompiledFresh)
{
    const TStartNames start;
    // The game's scripts, a start-up script with a bare file name and the settings as the writer
    // leaves them: the cache's program is the one compiled fresh, argument texts included.
    std::vector<std::pair<std::string, std::string>> listed = {
        {"start", "intro.load \"data/intro.data\" data/level7.data\n"},
        {"saved",
         "\n// variables\nset test.name \"gate two\"\nset test.vector 1 2 \nset test.colour \"0x80FF00FF\"\n"
         "\n// command binds\ncommand.bind \"F1\" \"test.record a\" \ncommand.toggle \"F2\" test.int\n"}};
    for (const auto& entry : std::filesystem::directory_iterator(VESTAMOR_SCRIPT_DIR))
    {
        std::ifstream file(entry.path(), std::ios::binary);
        listed.push_back(
            {entry.path().stem().string(), std::string(std::istreambuf_iterator<char>(file), {})});
    }
    ASSERT_GE(listed.size(), 6u);
    for (const auto& [name, text] : listed)
    {
        SCOPED_TRACE(name);
        WriteFile("system/" + name + ".icom", text);
        TCommandProgram fresh;
        fresh.Parse(text.c_str(), static_cast<i32>(text.size()), 0);
        fresh.Link();
        const std::string cache = CachePath(name.c_str()).substr(std::strlen(GetTempFolder()));
        ASSERT_EQ(
            Manager().Compile(TName(("system/" + name + ".icom").c_str(), true), TName(cache.c_str(), true)),
            SCRIPT_OK);
        const std::vector<std::string> ran = Listing(fresh);
        start.Later([&] {
            TCommandProgram cached;
            TFileStream stream;
            ASSERT_EQ(stream.Open(TName(cache.c_str(), true), STREAM_TEMP | STREAM_READ), 1u);
            ASSERT_EQ(TCommandProgram::LoadFromStream(cached, stream), PROGRAM_LOADED);
            EXPECT_EQ(Listing(cached), ran);
        });
    }

    // The player's scripts run twice from the same folder: fresh, then as a later start runs
    // them. Bare words, passwords, and a NUL byte, past which the script goes on.
    const struct
    {
        const char* name;
        std::string text;
        bool cached;
        std::vector<std::vector<std::string>> calls;
    } ran[] = {{"bare",
                "test.record bareword7 12 -3.5 \"two words\" \"\"\nno.such.command word7\n",
                true,
                {{"bareword7", "12", "-3.5", "two words", ""}}},
               {"login",
                "test.private pilot7 \"s3cret word\"\ntest.record after\n",
                false,
                {{"pilot7", "s3cret word"}, {"after"}}},
               {"damaged",
                "test.record one\n\0\0\0\0test.record two\ntest.re\0cord three\ntest.record four"s,
                false,
                {{"one"}, {"two"}, {"four"}}}};
    for (const auto& script : ran)
    {
        SCOPED_TRACE(script.name);
        WriteFile(std::string("system/") + script.name + ".icom", script.text);
        std::vector<std::vector<std::string>> calls[2];
        std::vector<std::string> lines[2];
        for (int run = 0; run < 2; ++run)
        {
            RestoreTestVariables();
            m_Listener.lines.clear();
            const auto execute = [&] { EXPECT_EQ(Manager().Execute(script.name), SCRIPT_OK); };
            if (run == 0)
                execute();
            else
                start.Later(execute);
            for (TRecordCommand* command : {&g_TestPrivate, &g_TestRecord})
                for (const TRecordedCall& call : command->calls)
                    if (call.prepare == COMMAND_RUN)
                        calls[run].push_back(call.arguments);
            lines[run] = Texts();
            EXPECT_EQ(std::filesystem::exists(CachePath(script.name)), script.cached);
        }
        EXPECT_EQ(calls[0], script.calls);
        EXPECT_EQ(calls[1], calls[0]);
        EXPECT_EQ(lines[1], lines[0]);
    }
    EXPECT_TRUE(Logged("system/damaged.icom(2): damaged text (a NUL byte): the script does not run whole"));
}

TEST_F(ScriptTest, MissingFoldersOversizedAndUncachableScriptsAreHandledNamingTheCaller)
{
    EXPECT_EQ(Manager().Execute("nothing"), SCRIPT_MISSING_SOURCE);
    EXPECT_EQ(Texts(), std::vector<std::string>{"^Ierror: 'system/nothing.icom': missing or unreadable script"});
    // Its first error line names the script, not its cache.
    EXPECT_FALSE(Logged("error opening file '" + CachePath("nothing")));
    EXPECT_TRUE(Logged("TCommandManager::Compile(): error: missing resource 'system/nothing.icom'"));
    EXPECT_EQ(Manager().Compile(TName("system/nothing.icom", true), TName("x.icom", true)), SCRIPT_MISSING_SOURCE);
    m_Listener.lines.clear();
    WriteFile("system/caller.icom", "test.record 1\nexec \"nothing\"\ntest.record 2\n");
    ASSERT_EQ(Manager().Execute("caller"), SCRIPT_OK);
    EXPECT_EQ(RunCalls(), 2u);
    EXPECT_EQ(Texts(), std::vector<std::string>{
                           "^Isystem/caller.icom(2): error: 'system/nothing.icom': missing or unreadable script"});

    std::filesystem::create_directories(m_Path + "/system/folder.icom");
    EXPECT_EQ(Manager().Execute("folder"), SCRIPT_NOT_A_FILE);
    m_Listener.lines.clear();
    // A statement of ten arguments is refused, and said where the line was typed.
    Manager().ExecuteText("exec folder;no.command;test.record 1 2 3 4 5 6 7 8 9 10");
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "^Ierror: the line did not compile whole: the log says which statement and why",
                           "^Ierror: 'system/folder.icom': not a file", "^Ierror: undeclared command"}));
    WriteFile("system/huge.icom", "test.record 1\n");
    std::filesystem::resize_file(m_Path + "/system/huge.icom", COMMAND_MAX_SCRIPT_SIZE + 1);
    EXPECT_EQ(Manager().Execute("huge"), SCRIPT_NOT_A_FILE);
    EXPECT_EQ(RunCalls(), 2u);
    EXPECT_TRUE(Logged("'system/huge.icom': size 16777217 out of range"));

    WriteFile("system/start.icom", "test.record 1\n");
    std::filesystem::create_directories(CachePath("start"));
    EXPECT_EQ(Manager().Execute("start"), SCRIPT_OK);
    EXPECT_EQ(RunCalls(), 3u) << "a cache that cannot be written runs the compiled program";
    EXPECT_TRUE(Logged("TCommandManager::Compile(): error: unable to open file"));
}

TEST_F(ScriptTest, AScriptNeverRunsInsideItselfAndScriptsNestAtMost32Deep)
{
    // Run twice per level, a depth limit alone would let it run 2^32 times.
    WriteFile("system/self.icom", "exec self\nexec self\ntest.record after\n");
    ASSERT_EQ(Manager().Execute("self"), SCRIPT_OK);
    EXPECT_EQ(RunCalls(), 1u) << "the script goes on after the refused lines";
    const std::string refused = "^Isystem/self.icom(%d): error: 'system/self.icom': already running (a "
                                "script may not run itself)";
    EXPECT_EQ(Texts(), (std::vector<std::string>{StringFormat(refused.c_str(), 1), StringFormat(refused.c_str(), 2)}));
    m_Listener.lines.clear();
    WriteFile("system/ping.icom", "exec pong\n");
    WriteFile("system/pong.icom", "exec ping\ntest.record pong\n");
    ASSERT_EQ(Manager().Execute("ping"), SCRIPT_OK);
    EXPECT_EQ(Texts(), std::vector<std::string>{"^Isystem/pong.icom(1): error: 'system/ping.icom': already "
                                                "running (a script may not run itself)"});
    EXPECT_EQ(RunCalls(), 2u);
    // Nothing stays marked as running: pong runs ping, which refuses pong, then records.
    EXPECT_EQ(Manager().Execute("pong"), SCRIPT_OK);
    EXPECT_EQ(RunCalls(), 3u);

    m_Listener.lines.clear();
    for (u32 i = 0; i <= COMMAND_MAX_SCRIPT_DEPTH; ++i)
        WriteFile("system/level" + std::to_string(i) + ".icom",
                  "exec level" + std::to_string(i + 1) + "\ntest.record " + std::to_string(i) + "\n");
    ASSERT_EQ(Manager().Execute("level0"), SCRIPT_OK);
    // Every level but the refused one goes on after its exec.
    EXPECT_EQ(RunCalls(), 3u + COMMAND_MAX_SCRIPT_DEPTH);
    EXPECT_EQ(Texts(), std::vector<std::string>{"^Isystem/level31.icom(1): error: 'system/level32.icom': "
                                                "scripts nested deeper than 32"});
}

class SettingsTest : public ScriptTest
{
protected:
    // A settings file run as the start-up script runs it.
    void ReadBack(const std::string& file)
    {
        m_Listener.lines.clear();
        Manager().ExecuteText(ReadFile(file).c_str());
        EXPECT_TRUE(m_Listener.lines.empty()) << Texts()[0];
    }
};

TEST_F(SettingsTest, ChangedValuesAreWrittenInTheirSectionsAndReadBackAlike)
{
    // A one-off value gives way to any later assignment; given once or twice after the last, the
    // file keeps the value before the first.
    Manager().SetOneOff(&g_TestInt, 7);
    Manager().SetOneOff(&g_TestStartup, 7);
    Manager().ExecuteText("set test.int -12;set test.int64 0x7FFFFFFFFFFF;set test.float 0.25;"
                          "set test.vector 1 2;set test.name \"gate two\";set test.colour 0x80FF00FF;"
                          "set test.startup 3;set test.hidden 4");
    Manager().SetOneOff(&g_TestStartup, 8);
    Manager().SetOneOff(&g_TestStartup, 9);
    const char* commands[] = {"test.record a", "test.record b"};
    ASSERT_EQ(Manager().AddCommandBind("F1", commands, 2), 0u);
    ASSERT_EQ(Manager().AddToggleBind("F2", &g_TestInt), 0u);

    Manager().SaveSettings();

    // The variables in the order of the set (ids as signed integers).
    std::vector<std::pair<i32, std::string>> lines = {
        {static_cast<i32>(TName("test.int").GetId()), "set test.int -12\n"},
        {static_cast<i32>(TName("test.int64").GetId()), "set test.int64 140737488355327\n"},
        {static_cast<i32>(TName("test.float").GetId()), "set test.float 0.250000\n"},
        {static_cast<i32>(TName("test.vector").GetId()), "set test.vector 1 2 \n"},
        {static_cast<i32>(TName("test.name").GetId()), "set test.name \"gate two\"\n"},
        {static_cast<i32>(TName("test.colour").GetId()), "set test.colour \"0x80FF00FF\"\n"}};
    std::sort(lines.begin(), lines.end());
    std::string variables = "\n// variables\n";
    for (const auto& line : lines)
        variables += line.second;
    const std::string binds = "\n// command binds\ncommand.bind \"F1\" \"test.record a\" \"test.record b\" "
                              "\ncommand.toggle \"F2\" test.int\n";
    EXPECT_EQ(ReadFile("user/system/settings.icom"), variables + binds);
    EXPECT_EQ(ReadFile("user/system/device.icom"), "\n// startup variables\nset test.startup 3\n");
    EXPECT_EQ(ReadFile("user/system/actions.icom"), "\n// input actions\naction.bind \"Brake\" Space\n");

    // Read back into fresh values and binds, then written again: the same files.
    RestoreTestVariables();
    Manager().ClearBinds();
    ReadBack("user/system/settings.icom");
    ReadBack("user/system/device.icom");
    EXPECT_EQ(g_TestVector.GetValue().aVector[3], 1.0f);
    const std::string first = ReadFile("user/system/settings.icom");
    Manager().SaveSettings();
    EXPECT_EQ(ReadFile("user/system/settings.icom"), first);

    // The vector's other forms: what "set" fills by itself (z 0, w 1) is left out at the end only.
    for (const auto& [typed, written] : {std::pair{"1 2 3", "set test.vector 1 2 3\n"},
                                         {"1 2 0 4", "set test.vector 1 2 0 4\n"},
                                         {"-3", "set test.vector -3\n"}})
    {
        Manager().ExecuteText((std::string("set test.vector ") + typed).c_str());
        Manager().SaveSettings();
        EXPECT_NE(ReadFile("user/system/settings.icom").find(written), std::string::npos) << typed;
    }
}

TEST_F(SettingsTest, AWriteCutShortKeepsThePreviousFile)
{
    g_TestInt.SetInt(3);
    Manager().SaveSettings();
    const std::string before = ReadFile("user/system/settings.icom");
    ASSERT_NE(before.find("set test.int 3\n"), std::string::npos);

    // A disk that takes only a few bytes more of any file (the log's lines fail alike meanwhile).
    g_TestInt.SetInt(4);
    rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit unlimited = limit;
    limit.rlim_cur = 8;
    const sighandler_t signal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    Manager().SaveSettings();
    setrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, signal);

    EXPECT_EQ(ReadFile("user/system/settings.icom"), before);
    EXPECT_FALSE(std::filesystem::exists(m_Path + "/user/system/settings.icom.tmp"));
}

} // namespace
