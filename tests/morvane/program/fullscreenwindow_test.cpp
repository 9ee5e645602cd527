// Full screen on a real display of another size than the player's, with no window manager (an
// X server of its own, 1400 x 900): the window covers the display, the game's cursor is drawn
// where the pointer is, and the clean exit keeps the player's size. Skipped where the X server
// or its tools are missing.
#include "gamecopy.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
bool Have(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

pid_t Spawn(const std::string& command)
{
    const char* arguments[] = {"sh", "-c", command.c_str(), nullptr};
    pid_t pid = 0;
    return posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char**>(arguments), environ) == 0 ? pid : 0;
}

void End(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < TGameCopy::kWaitSteps && waitpid(pid, &status, WNOHANG) == 0; ++i)
        usleep(50000);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, WNOHANG);
}

// The output of a command run against the display.
std::string Output(const std::string& display, const std::string& command)
{
    std::string text;
    if (FILE* pipe = popen(("DISPLAY=" + display + " " + command + " 2>/dev/null").c_str(), "r"))
    {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}
} // namespace

TEST(FullScreenWindow, CoversTheDisplayDrawsTheCursorAtThePointerAndKeepsThePlayersSize)
{
    for (const char* tool : {"Xvfb", "xdotool", "xwininfo", "import", "convert"})
        if (!Have(tool))
            GTEST_SKIP() << tool << " is missing";
    TScratchFolder folder("fullscreenwindow");
    const std::string path = folder.Path();
    const std::string display = ":" + std::to_string(100 + getpid() % 400);
    const pid_t server = Spawn("exec Xvfb " + display + " -screen 0 1400x900x24 -nolisten tcp >/dev/null 2>&1");
    ASSERT_GT(server, 0);
    const std::string socket = "/tmp/.X11-unix/X" + display.substr(1);
    for (int i = 0; i < TGameCopy::kWaitSteps && !std::filesystem::exists(socket); ++i)
        usleep(50000);

    std::filesystem::copy(MORVANE_DATA_PATH, path + "/work", std::filesystem::copy_options::recursive);
    std::filesystem::copy(MORVANE_LANGUAGE_PATH, path + "/work/data", std::filesystem::copy_options::recursive);
    const std::string user = path + "/home/My Games/Brevicorn/";
    std::filesystem::create_directories(user + "system");
    std::filesystem::create_directories(path + "/runtime");
    std::ofstream(user + "system/device.icom") << "set device.size 1280 800\nset device.windowed 0\n";
    const pid_t game = Spawn("cd '" + path + "/work' && VESTAMOR_HEADLESS=0 DISPLAY=" + display + " HOME='" + path +
                             "/home' XDG_DOCUMENTS_DIR= TMPDIR='" + path + "' XDG_RUNTIME_DIR='" + path +
                             "/runtime' exec '" + MORVANESIM_PATH + "' >/dev/null 2>'" + path + "/stderr'");
    ASSERT_GT(game, 0);
    bool running = false;
    for (int i = 0; i < TGameCopy::kWaitSteps && !running; ++i, usleep(50000))
        running = TGameCopy::ReadText(user + "system.log").find("__Run(): main loop") != std::string::npos;
    EXPECT_TRUE(running) << TGameCopy::ReadText(path + "/stderr");

    // The window's real size: the whole display.
    EXPECT_NE(Output(display, "xwininfo -root -tree").find("\"vestamor\": (\"morvanesim\" \"morvanesim\")  1400x900+0+0"),
              std::string::npos)
        << Output(display, "xwininfo -root -tree");
    // The pointer over an empty part of the menu: the game's white cursor is drawn from there on
    // (a picture squeezed into a smaller window draws it up and to the left).
    Output(display, "xdotool mousemove 300 600");
    unsigned white = 0;
    // A loaded machine under emulation may take a minute and more for a frame or two.
    for (int i = 0; i < 150 && white == 0; ++i)
    {
        sleep(1);
        white = static_cast<unsigned>(std::atoi(
            Output(display, "import -window root png:- | convert - -crop 12x12+300+600 +repage -fill black "
                            "-fuzz 10% +opaque white -fill white -opaque white -format '%[fx:int(mean*144+0.5)]' info:")
                .c_str()));
    }
    EXPECT_GT(white, 0u) << "no cursor at the pointer";

    End(game);
    EXPECT_NE(TGameCopy::ReadText(user + "system/device.icom").find("set device.size 1280 800 \n"), std::string::npos)
        << TGameCopy::ReadText(user + "system/device.icom");
    End(server);
}
