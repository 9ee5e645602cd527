// Full screen on a desktop that offers no mode of the player's size: the run shows the nearest
// mode, and its clean exit saves the size the player set, not the mode's.
#include "support/scratchfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace
{
std::string ReadText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// One headless run (a 1920 x 1080 desktop) from its own folders with the player's device
// settings; its exit code.
int RunWithDeviceSettings(const std::string& path, const std::string& device)
{
    std::filesystem::copy(MORVANE_DATA_PATH, path + "/work", std::filesystem::copy_options::recursive);
    std::filesystem::copy(MORVANE_LANGUAGE_PATH, path + "/work/data", std::filesystem::copy_options::recursive);
    std::filesystem::create_directories(path + "/home/My Games/Brevicorn/system");
    std::filesystem::create_directories(path + "/runtime");
    std::ofstream(path + "/home/My Games/Brevicorn/system/device.icom") << device;
    // Device creation presents three frames itself; the rest come from the main loop.
    const std::string command = "cd '" + path + "/work' && HOME='" + path + "/home' XDG_DOCUMENTS_DIR= TMPDIR='" +
                                path + "' XDG_RUNTIME_DIR='" + path +
                                "/runtime' VESTAMOR_HEADLESS=1 VESTAMOR_HEADLESS_FRAMES=5 timeout 200 '" +
                                MORVANESIM_PATH + "' >/dev/null 2>'" + path + "/stderr'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

// Sizes the desktop has no mode of: the saved line is the player's, as the variable writes it.
TEST(FullScreen, TheSavedSizeStaysThePlayersWhateverModeTheDesktopOffers)
{
    const struct
    {
        const char* pSettings;
        const char* pSaved;
    } cases[] = {
        {"set device.size 1300 820\nset device.windowed 0\n", "set device.size 1300 820 \n"},
        {"set device.size 1100 700\nset device.windowed 0\n", "set device.size 1100 700 \n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pSettings);
        TScratchFolder folder("fullscreen");
        ASSERT_EQ(RunWithDeviceSettings(folder.Path(), c.pSettings), 0) << ReadText(folder.Path() + "/stderr");
        const std::string saved = ReadText(folder.Path() + "/home/My Games/Brevicorn/system/device.icom");
        EXPECT_NE(saved.find(c.pSaved), std::string::npos) << saved;
        EXPECT_NE(saved.find("set device.windowed 0\n"), std::string::npos) << saved;
        const std::string log = ReadText(folder.Path() + "/home/My Games/Brevicorn/system.log");
        EXPECT_EQ(log.find("error"), std::string::npos) << log;
    }
}
