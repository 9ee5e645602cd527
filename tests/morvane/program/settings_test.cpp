// The player's settings files across starts of the program, run as a user runs it from a working
// folder holding the game's data, with a home folder of its own.
#include "support/scratchfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace
{
class Settings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::copy(MORVANE_DATA_PATH, m_Path + "/work", std::filesystem::copy_options::recursive);
        std::filesystem::copy(MORVANE_LANGUAGE_PATH, m_Path + "/work/data",
                              std::filesystem::copy_options::recursive);
        std::filesystem::create_directories(m_User);
        std::filesystem::create_directories(m_Path + "/runtime");
        setenv("XDG_RUNTIME_DIR", (m_Path + "/runtime").c_str(), 1);
    }
    void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }

    // The exit code of a headless run of five frames; the temp folder (the scripts' cache) stays
    // from one run to the next.
    int Run()
    {
        const std::string command = "cd '" + m_Path + "/work' && HOME='" + m_Path +
                                    "/home' XDG_DOCUMENTS_DIR= TMPDIR='" + m_Path +
                                    "' VESTAMOR_HEADLESS=1 VESTAMOR_HEADLESS_FRAMES=5 timeout 200 '" +
                                    MORVANESIM_PATH + "' >/dev/null 2>'" + m_Path + "/stderr'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static std::string ReadText(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    static void WriteText(const std::string& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }
    std::string LogPath() const { return m_Path + "/home/My Games/Brevicorn/system.log"; }

    TScratchFolder m_Folder{"settings"};
    const std::string m_Path = m_Folder.Path();
    const std::string m_User = m_Path + "/home/My Games/Brevicorn/system/";
};

// Zero bytes over part of the player's settings and action binds, and a start-up script naming its
// level bare. The first start compiles them, names each damaged file and line, runs the rest and
// at its exit keeps the damaged files aside before writing them anew; the second runs the start-up
// script from its cache, level included, and the new files without an error.
TEST_F(Settings, DamagedSettingsAreKeptAsideAndACachedScriptRunsAsItsSource)
{
    const std::string script = m_Path + "/work/system/system.icom";
    std::string start = ReadText(script);
    const std::string level = "\"data/morvane.data\"";
    ASSERT_NE(start.find(level), std::string::npos);
    WriteText(script, start.replace(start.find(level), level.size(), "data/morvane.data"));

    std::string settings =
        "\n// variables\nset game.gamma 3\nset device.audio.musicvolume 7\n"
        "set device.audio.effectsvolume 5\n\n// command binds\ncommand.bind \"F5\" \"version\" \n";
    settings.replace(settings.find("set game.gamma 3"), 16, std::string(16, '\0'));
    std::string actions = ReadText(m_Path + "/work/system/actions.icom");
    const size_t bind = actions.find("action.bind \"menuup\"");
    actions.replace(bind, 8, std::string(8, '\0'));
    const std::string damagedBind =
        std::to_string(1 + std::count(actions.begin(), actions.begin() + bind, '\n'));
    WriteText(m_User + "settings.icom", settings);
    WriteText(m_User + "actions.icom", actions);

    ASSERT_EQ(Run(), 0) << ReadText(m_Path + "/stderr");
    std::string log = ReadText(LogPath());
    for (const std::string& line :
         {std::string(
              "Brevicorn/system/settings.icom(3): damaged text (a NUL byte): the script does not run whole"),
          "Brevicorn/system/actions.icom(" + damagedBind + "): damaged text (a NUL byte)",
          "settings.icom' did not run whole: kept aside as '" + m_User + "settings.icom.unreadable.1'",
          "actions.icom' did not run whole: kept aside as '" + m_User + "actions.icom.unreadable.1'",
          std::string("TResourceManager::LoadRepository(): 'data/morvane.data'")})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_EQ(ReadText(m_User + "settings.icom.unreadable.1"), settings);
    EXPECT_EQ(ReadText(m_User + "actions.icom.unreadable.1"), actions);
    // What followed the damage came back.
    const std::string written[] = {ReadText(m_User + "settings.icom"), ReadText(m_User + "actions.icom")};
    for (const char* line :
         {"set device.audio.musicvolume 7.000000\n", "set device.audio.effectsvolume 5.000000\n",
          "command.bind \"F5\" \"version\" \n"})
        EXPECT_NE(written[0].find(line), std::string::npos) << line << "\n" << written[0];
    for (const char* line : {"action.bind \"menuback\" Esc\n", "action.bind \"orbitzoomout\" mbWheelDown\n"})
        EXPECT_NE(written[1].find(line), std::string::npos) << line << "\n" << written[1];

    std::filesystem::remove(LogPath());
    ASSERT_EQ(Run(), 0) << ReadText(m_Path + "/stderr");
    log = ReadText(LogPath());
    EXPECT_EQ(log.find("error"), std::string::npos) << log;
    // From the cache as it was written, not compiled again.
    EXPECT_EQ(log.find("command source file 'system/system.icom'"), std::string::npos) << log;
    EXPECT_EQ(log.find("without its text"), std::string::npos) << log;
    EXPECT_NE(log.find("TResourceManager::LoadRepository(): 'data/morvane.data'"), std::string::npos) << log;
    EXPECT_EQ(ReadText(m_User + "settings.icom"), written[0]);
    EXPECT_EQ(ReadText(m_User + "actions.icom"), written[1]);
    EXPECT_FALSE(std::filesystem::exists(m_User + "settings.icom.unreadable.2"));
}
} // namespace
