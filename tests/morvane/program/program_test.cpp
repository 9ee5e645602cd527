// The program run as a user runs it: from a working folder holding the game's data, with its
// own home folder so that its logs land where the test can read them.
#include "core/compression/compressedfile.h"
#include "gamecopy.h"
#include "support/scratchfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <fcntl.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
class Program : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::copy(MORVANE_DATA_PATH, m_Path + "/work", std::filesystem::copy_options::recursive);
        // The language files and repositories the build makes, where a player's copy holds them.
        std::filesystem::copy(MORVANE_LANGUAGE_PATH, m_Path + "/work/data",
                              std::filesystem::copy_options::recursive);
        std::filesystem::create_directories(m_Path + "/home");
        // The lock of a second copy lives in a folder of this test's own.
        std::filesystem::create_directories(m_Path + "/runtime");
        setenv("XDG_RUNTIME_DIR", (m_Path + "/runtime").c_str(), 1);
    }
    void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }

    // The exit code of the program; its standard error goes to the file "stderr".
    int Run(const std::string& arguments = "")
    {
        // The headless window closes on its fifth presented frame and the script goes on. Device
        // creation presents three itself: the rest must come from the main loop (two frames of the
        // lit level, slow in the sanitizer build; the intro presents none headless), or the run
        // never ends and the time limit fails it. The limit is for a hang, not for slowness.
        const std::string command = "cd '" + m_Path + "/work' && HOME='" + m_Path +
                                    "/home' XDG_DOCUMENTS_DIR= " + "TMPDIR='" + m_Path +
                                    "' VESTAMOR_HEADLESS=1 VESTAMOR_HEADLESS_FRAMES=5 " + "timeout 200 '" +
                                    MORVANESIM_PATH + "' " + arguments + " >/dev/null 2>'" + m_Path + "/stderr'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // A copy without a frame count, its window open until it is ended: its process id once its
    // last phase has begun.
    pid_t Start()
    {
        const std::string command = "cd '" + m_Path + "/work' && HOME='" + m_Path +
                                    "/home' XDG_DOCUMENTS_DIR= TMPDIR='" + m_Path + "' VESTAMOR_HEADLESS=1 exec '" +
                                    MORVANESIM_PATH + "' >/dev/null 2>'" + m_Path + "/stderr'";
        const char* arguments[] = {"sh", "-c", command.c_str(), nullptr};
        pid_t pid = 0;
        EXPECT_EQ(posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char**>(arguments), environ), 0);
        for (int i = 0; i < TGameCopy::kWaitSteps && SystemLog().find("TManagerManager::Begin(): 'State'") == std::string::npos; ++i)
            usleep(50000);
        return pid;
    }

    static std::string ReadText(const std::string& path) { return TGameCopy::ReadText(path); }
    std::string Errors() const { return ReadText(m_Path + "/stderr"); }
    std::string LogPath() const { return m_Path + "/home/My Games/Brevicorn/system.log"; }
    std::string SystemLog() const { return ReadText(LogPath()); }

    // Each line somewhere in the log; with `ended`, the log's last line the untimed end.
    static void ExpectLines(const std::string& log, std::initializer_list<const char*> lines, bool ended = false)
    {
        for (const char* line : lines)
            EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
        const std::string last = "000 |          | WinMain(): the end\n";
        EXPECT_TRUE(!ended || (log.size() >= last.size() && log.substr(log.size() - last.size()) == last)) << log;
    }

    TScratchFolder m_Folder{"program"};
    const std::string m_Path = m_Folder.Path();
};
} // namespace

// Both starts share the working folder and the temp folder: the second runs the start-up script
// from the cache the first compiled (the settings the first saved at its exit are new sources).
TEST_F(Program, FullRunLogsItsPhasesAndEndsWithAnUntimedLineAndASecondStartRunsTheCachedScriptAlike)
{
    ASSERT_EQ(Run(), 0);
    std::string log = SystemLog();
    EXPECT_EQ(log.rfind("000 |    ", 0), 0u);
    // The render resources' managers join the device's phases; the main repository and its
    // dependency load in full, with their sizes and speeds.
    ExpectLines(log,
                {"| WinMain(): start\n", "TManagerManager::Initialize(): 'Command'", "TManagerManager::Begin(): 'Resource'",
                 "TDxDeviceManager::InitializeManager(): complete", "TManagerManager::Begin(): 'Shader'",
                 "TManagerManager::End(): 'RenderTarget'", "TResourceManager::LoadRepository(): 'data/morvane.data'",
                 "TResourceManager::LoadRepository(): 'data/shaders.data'", "MB data loaded in ",
                 "TManagerManager::Finalize(): 'Command'", "command source file 'system/system.icom' changed"},
                true);
    // After the level's load, before the first frame: what scripted runs wait for.
    EXPECT_NE(log.find("TDxDeviceManager::__Run(): main loop"), std::string::npos);
    EXPECT_GT(log.find("TDxDeviceManager::__Run(): main loop"), log.find("TCluster::Load(): cluster data"));

    std::filesystem::remove(LogPath());
    ASSERT_EQ(Run(), 0);
    log = SystemLog();
    EXPECT_EQ(log.find("command source file 'system/system.icom'"), std::string::npos) << "loaded from the cache";
    EXPECT_EQ(log.find("error"), std::string::npos) << log;
    ExpectLines(log, {"TCommandManager::__SystemExecute(): execute", "TManagerManager::__ActivateSystem(): Normal\n",
                      "TLocalizationManager::LoadLanguageFile(): 'English'"},
                true);
}

TEST_F(Program, ATerminationSignalClosesTheWindowAndTheRunEndsInFull)
{
    const pid_t pid = Start();
    ASSERT_GT(pid, 0);
    // A crash would leave its report and no core image (memory holds what the player typed).
    std::ifstream limits("/proc/" + std::to_string(pid) + "/limits");
    std::stringstream limitText;
    limitText << limits.rdbuf();
    EXPECT_TRUE(std::regex_search(limitText.str(), std::regex("\nMax core file size +0 +0 +bytes")))
        << limitText.str();
    kill(pid, SIGTERM);
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < TGameCopy::kWaitSteps && (ended = waitpid(pid, &status, WNOHANG)) == 0; ++i)
        usleep(50000);
    if (ended != pid)
    {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    ASSERT_EQ(ended, pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    ExpectLines(SystemLog(), {"TManagerManager::End(): 'State'", "TManagerManager::Finalize(): 'Command'"}, true);
    ExpectLines(Errors(), {"runs until it quits or gets SIGTERM, SIGINT or SIGHUP"});
}

// What a run changed (the options' variables, binds) is saved at its clean exit into the files
// the next start reads: the device settings before the device is made, the variables and key
// binds, the action binds once the input manager runs; the second run saves them alike again.
TEST_F(Program, SettingsOfARunComeBackAfterItsCleanExit)
{
    const std::string user = m_Path + "/home/My Games/Brevicorn/system/";
    std::filesystem::create_directories(user);
    std::ofstream(user + "device.icom") << "set device.size 640 480\n";
    std::ofstream(user + "actions.icom")
        << "action.bind \"towercam\" Y T\ncommand.bind \"F5\" \"version\"\nset device.detaillevel 4\n"
           "set device.mouse.sensitivity 8\nset game.gamma 3\nset device.audio.musicvolume 7\n"
           "set game.autostartaitask 1\n";
    const struct
    {
        const char* pFile;
        const char* pLine;
    } kept[] = {{"device.icom", "set device.size 640 480"},
                {"device.icom", "set device.detaillevel 4\n"},
                {"device.icom", "set device.mouse.sensitivity 8\n"},
                // Play presents on vertical sync unless the player turned it off.
                {"device.icom", "set device.verticalsyn 1\n"},
                {"settings.icom", "set game.gamma 3\n"},
                {"settings.icom", "set device.audio.musicvolume 7.000000\n"},
                {"settings.icom", "set game.autostartaitask 1\n"},
                {"settings.icom", "command.bind \"F5\" \"version\""},
                {"actions.icom", "action.bind \"towercam\" Y T\n"}};
    // The first start's one-off level gives way to the player's, set after it.
    for (int run = 0; run < 2; ++run)
    {
        ASSERT_EQ(Run(run == 0 ? "detaillevel=5" : ""), 0) << Errors();
        const std::string log = SystemLog();
        EXPECT_EQ(log.find("error"), std::string::npos) << log;
        for (const auto& line : kept)
            ExpectLines(ReadText(user + line.pFile), {line.pLine});
    }
    // The second start chose the detail level before it made the device.
    const std::string log = SystemLog();
    EXPECT_LT(log.find("set level of detail to 4"),
              log.find("TDxDeviceManager::InitializeManager(): complete"));
}

// Zero bytes over part of the player's settings and action binds, and a start-up script naming its
// level bare. The first start compiles them, names each damaged file and line, runs the rest and
// at its exit keeps the damaged files aside before writing them anew; the second runs the start-up
// script from its cache, level included, and the new files without an error. The first start's
// one-off arguments are not the player's: the second runs at the player's detail level.
TEST_F(Program, DamagedSettingsAreKeptAsideAndACachedScriptRunsAsItsSource)
{
    const std::string user = m_Path + "/home/My Games/Brevicorn/system/";
    std::filesystem::create_directories(user);
    const std::string script = m_Path + "/work/system/system.icom";
    std::string start = ReadText(script);
    const std::string level = "\"data/morvane.data\"";
    ASSERT_NE(start.find(level), std::string::npos);
    std::ofstream(script, std::ios::binary) << start.replace(start.find(level), level.size(), "data/morvane.data");

    std::string settings =
        "\n// variables\nset game.gamma 3\nset device.audio.musicvolume 7\n"
        "set device.audio.effectsvolume 5\n\n// command binds\ncommand.bind \"F5\" \"version\" \n";
    settings.replace(settings.find("set game.gamma 3"), 16, std::string(16, '\0'));
    std::string actions = ReadText(m_Path + "/work/system/actions.icom");
    const size_t bind = actions.find("action.bind \"menuup\"");
    actions.replace(bind, 8, std::string(8, '\0'));
    const std::string damagedBind =
        std::to_string(1 + std::count(actions.begin(), actions.begin() + bind, '\n'));
    std::ofstream(user + "settings.icom", std::ios::binary) << settings;
    std::ofstream(user + "actions.icom", std::ios::binary) << actions;
    std::ofstream(user + "device.icom", std::ios::binary) << "set device.detaillevel 2\n";

    ASSERT_EQ(Run("detaillevel=5 windowed"), 0) << Errors();
    std::string log = SystemLog();
    for (const std::string& line :
         {std::string(
              "Brevicorn/system/settings.icom(3): damaged text (a NUL byte): the script does not run whole"),
          "Brevicorn/system/actions.icom(" + damagedBind + "): damaged text (a NUL byte)",
          "settings.icom' did not run whole: kept aside as '" + user + "settings.icom.unreadable.1'",
          "actions.icom' did not run whole: kept aside as '" + user + "actions.icom.unreadable.1'",
          std::string("TResourceManager::LoadRepository(): 'data/morvane.data'")})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_EQ(ReadText(user + "settings.icom.unreadable.1"), settings);
    EXPECT_EQ(ReadText(user + "actions.icom.unreadable.1"), actions);
    // What followed the damage came back.
    const std::string written[] = {ReadText(user + "settings.icom"), ReadText(user + "actions.icom"),
                                   ReadText(user + "device.icom")};
    EXPECT_EQ(written[2], "\n// startup variables\nset sound.updateinterval 0.000000\nset sound.distancescale 100.000000\n"
                          "set device.verticalsyn 1\nset device.detaillevel 2\n");
    for (const char* line :
         {"set device.audio.musicvolume 7.000000\n", "set device.audio.effectsvolume 5.000000\n",
          "command.bind \"F5\" \"version\" \n"})
        EXPECT_NE(written[0].find(line), std::string::npos) << line << "\n" << written[0];
    for (const char* line : {"action.bind \"menuback\" Esc\n", "action.bind \"orbitzoomout\" mbWheelDown\n"})
        EXPECT_NE(written[1].find(line), std::string::npos) << line << "\n" << written[1];

    std::filesystem::remove(LogPath());
    ASSERT_EQ(Run(), 0) << Errors();
    log = SystemLog();
    EXPECT_EQ(log.find("error"), std::string::npos) << log;
    // From the cache as it was written, not compiled again.
    EXPECT_EQ(log.find("command source file 'system/system.icom'"), std::string::npos) << log;
    EXPECT_EQ(log.find("without its text"), std::string::npos) << log;
    EXPECT_NE(log.find("TResourceManager::LoadRepository(): 'data/morvane.data'"), std::string::npos) << log;
    EXPECT_EQ(ReadText(user + "settings.icom"), written[0]);
    EXPECT_EQ(ReadText(user + "actions.icom"), written[1]);
    EXPECT_EQ(ReadText(user + "device.icom"), written[2]);
    EXPECT_NE(log.find("set level of detail to 2\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("set level of detail to 5"), std::string::npos) << log;
    EXPECT_FALSE(std::filesystem::exists(user + "settings.icom.unreadable.2"));
}
// A damaged settings script is reported line by line; the run goes on with the defaults.
TEST_F(Program, ADamagedSettingsScriptGivesItsErrorLinesAndTheDefaults)
{
    const std::string user = m_Path + "/home/My Games/Brevicorn/system/";
    std::filesystem::create_directories(user);
    std::ofstream(user + "settings.icom", std::ios::binary) << "set device.nosuch 1\n\x01\xff\xfe\"\nset";
    std::ofstream(user + "actions.icom", std::ios::binary) << "action.bind \"jump\" NoSuchKey\n";
    ASSERT_EQ(Run(), 0);
    ExpectLines(SystemLog(),
                {"Brevicorn/system/settings.icom(1): ", "Brevicorn/system/actions.icom(1): 'NoSuchKey': undeclared input"},
                true);
}

// A start-up script that never runs the game: code 1, why on standard error, and the log in the
// default user folder or in the one the script named, whole (after the tear-down no folder name
// is left). What the player kept stays as it was.
TEST_F(Program, AStartUpScriptThatCannotRunTheGameEndsWithOneAndSaysWhy)
{
    const std::string script = m_Path + "/work/system/system.icom";
    const std::string error = "WinMain(): error: start-up script 'system/system.icom' ";
    const std::string shipped = ReadText(script);
    const std::string user = m_Path + "/home/My Games/Brevicorn/system/";
    std::filesystem::create_directories(user);
    const std::string kept = "action.bind \"towercam\" Y T\n";
    std::ofstream(user + "actions.icom") << kept;
    // (the script: none, a folder, its text or a case named; what standard error says; the log's
    // folder; its lines; whether its last line is the untimed end)
    const struct
    {
        const char* script;
        std::string errors, folder;
        std::vector<std::string> lines;
        bool ended;
    } cases[] = {
        {nullptr, error + "is missing or unreadable\n", "", {error + "is missing"}, false},
        {"/", error + "is no file or too large\n", "", {}, false},
        {"", error + "holds no command\n", "", {}, false},
        {"// nothing but a comment\n\n", error + "holds no command\n", "", {}, false},
        {"version\n", error + "left the file system locked (its first line opens it: system.directory .)\n", "",
         {"WinMain(): the end"}, false},
        // No user directory, a script run before the file system is open, one that runs itself, a
        // loop without a device, and bytes that are no text at all.
        {"exec \"system\"\nsystem.directory .\nexec \"system\"\ndevice.run\nnonsense.command 1\n"
         "manager.system.activate \"Nowhere\"\nset device.pos 1 2\n\xff\xfe\x01 \"unterminated",
         error + "never reached the main loop (device.run after manager.initialize)\n", "",
         {"WinMain(): warning: the start-up script left the file system locked or the user directory unset",
          "system/system.icom(1): 'system': the file system is locked",
          "system/system.icom(3): 'system/system.icom': already running", "system/system.icom(4): no device to run"},
         true},
        {"folders", "", "/elsewhere",
         {"| WinMain(): start\n", "TCommandManager::__SystemExecute(): execute", error + "never reached the main loop"},
         true},
        // The game's own script without its level's line, and with a level whose cluster image is
        // refused: neither writes the player's settings from an empty level.
        {"no level", error + "never loaded its level (intro.load before device.run)\n", "",
         {"TCommandManager::EndManager(): warning: the run loaded no data: the settings are not saved"},
         true},
        {"refused level", "", "",
         {"abort in TResourceManager::LoadRepository: 'data/morvane.data': cluster image refused"}, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.script ? c.script : "none");
        std::filesystem::remove_all(script);
        std::filesystem::remove(LogPath());
        if (c.script && std::string(c.script) == "/")
            std::filesystem::create_directory(script);
        else if (c.script && std::string(c.script) == "folders")
            std::ofstream(script) << "system.directory .\nuser.directory \"" << m_Path << "/elsewhere\"\n";
        else if (c.script && std::string(c.script) == "no level")
            std::ofstream(script) << std::regex_replace(shipped, std::regex("\nintro\\.load [^\n]*"), "");
        else if (c.script && std::string(c.script) == "refused level")
        {
            std::ofstream(script) << shipped;
            // Unpacked, with the cluster image's magic gone.
            const std::string level = m_Path + "/work/data/morvane.data";
            DArray<u8> image;
            ASSERT_EQ(ReadCompressedFile(level.c_str(), image, nullptr), COMPRESS_DONE);
            std::uint32_t cluster = 0;
            std::memcpy(&cluster, image.GetData() + 28, 4);
            ASSERT_LT(cluster, static_cast<std::uint32_t>(image.GetCount()));
            image[static_cast<i32>(cluster)] ^= 0x55;
            std::ofstream(level, std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char*>(image.GetData()), image.GetCount());
        }
        else if (c.script)
            std::ofstream(script, std::ios::binary) << c.script;
        EXPECT_EQ(Run(), 1);
        EXPECT_TRUE(c.errors.empty() || Errors() == c.errors) << Errors();
        const std::string log = c.folder.empty() ? SystemLog() : ReadText(m_Path + c.folder + "/system.log");
        for (const std::string& line : c.lines)
            ExpectLines(log, {line.c_str()}, c.ended);
        EXPECT_EQ(ReadText(user + "actions.icom"), kept);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(user), {}), 1);
    }
}

// Damaged shader data is refused once, each line naming its shader, not at every frame; a damaged
// intro (a folder in its place) is skipped with a line and the level loads.
TEST_F(Program, DamagedResourceDataIsReportedOnceUnderItsName)
{
    std::filesystem::remove(m_Path + "/work/data/intro.data");
    std::filesystem::create_directory(m_Path + "/work/data/intro.data");
    const std::string path = m_Path + "/work/data/shaders.data";
    std::string bytes = ReadText(path);
    // The compressed data blocks lie between the 72-byte header and the cluster image.
    std::uint32_t cluster = 0;
    std::memcpy(&cluster, bytes.data() + 28, 4);
    for (std::uint32_t i = 100; i < cluster; i += 3)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x55);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    ASSERT_EQ(Run(), 0) << Errors();
    ExpectLines(SystemLog(), {"'data/intro.data': damaged intro: it cannot be read or unpacked: the data load without it",
                              "TResourceManager::LoadRepository(): 'data/morvane.data'"});
    std::istringstream log(SystemLog());
    std::vector<std::string> refused;
    for (std::string line; std::getline(log, line);)
        if (line.find("does not inflate") != std::string::npos)
            refused.push_back(line.substr(line.find("| TDxShader")));
    ASSERT_FALSE(refused.empty()) << SystemLog();
    std::vector<std::string> distinct = refused;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    EXPECT_EQ(distinct.size(), refused.size()) << SystemLog();
    for (const std::string& line : refused)
        EXPECT_EQ(line.find("''"), std::string::npos) << line;
}

// The temp folder is every user's: another user's copy holding a lock there is not this one.
TEST_F(Program, AUserFolderThatCannotBeMadeLeavesTheGuardToTheTempFolder)
{
    std::ofstream(m_Path + "/home/My Games") << "a file";
    const int others = open((m_Path + "/Global_Brevicorn.morvane.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(flock(others, LOCK_EX | LOCK_NB), 0);
    Run();
    close(others);
    EXPECT_EQ(Errors().find("WinMain(): error"), std::string::npos) << Errors();
    EXPECT_TRUE(std::filesystem::exists(m_Path + "/Global_Brevicorn.morvane." + std::to_string(getuid()) + ".lock"));
}

// The copies write one user folder: a second one started without a runtime folder still meets
// the first's lock, and the first's log and settings stay as they are.
TEST_F(Program, SecondCopyWhileTheFirstRunsEndsAtOnce)
{
    const std::string settings = m_Path + "/home/My Games/Brevicorn/system/settings.icom";
    std::filesystem::create_directories(m_Path + "/home/My Games/Brevicorn/system");
    std::ofstream(settings) << "set game.gamma 3\n";
    const pid_t pid = Start();
    ASSERT_GT(pid, 0);
    const std::string before = SystemLog();
    ASSERT_NE(before.find("TManagerManager::Begin(): 'State'"), std::string::npos);

    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Errors(), "WinMain(): error: another copy of the program is running\n");
    EXPECT_EQ(ReadText(settings), "set game.gamma 3\n");
    // The first copy may go on logging; the second neither rewrites the log nor starts in it.
    const std::string after = SystemLog();
    EXPECT_EQ(after.substr(0, before.size()), before);
    size_t starts = 0;
    for (size_t at = after.find("| WinMain(): start\n"); at != std::string::npos;
         at = after.find("| WinMain(): start\n", at + 1))
        ++starts;
    EXPECT_EQ(starts, 1u);

    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}
