// The headless decision and the message box that never waits without a display.
#include "platform/desktop/display.h"
#include "platform/desktop/messagebox.h"
#include "support/silentdisplay.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
// Sets the display variables for one test and restores them after.
class TDisplayEnvironment
{
public:
    TDisplayEnvironment(const char* display, const char* wayland, const char* headless)
    {
        Save("DISPLAY", display, 0);
        Save("WAYLAND_DISPLAY", wayland, 1);
        Save("VESTAMOR_HEADLESS", headless, 2);
    }
    ~TDisplayEnvironment()
    {
        const char* names[3] = {"DISPLAY", "WAYLAND_DISPLAY", "VESTAMOR_HEADLESS"};
        for (int i = 0; i < 3; ++i)
            Apply(names[i], m_Had[i] ? m_Old[i].c_str() : nullptr);
    }

private:
    void Save(const char* name, const char* value, int i)
    {
        const char* old = std::getenv(name);
        m_Had[i] = old != nullptr;
        m_Old[i] = old ? old : "";
        Apply(name, value);
    }
    static void Apply(const char* name, const char* value)
    {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    bool m_Had[3];
    std::string m_Old[3];
};
} // namespace

TEST(Display, HeadlessWithoutDisplayVariablesOrWhenAsked)
{
    const struct
    {
        const char *display, *wayland, *headless;
        bool shown;
    } cases[] = {{nullptr, nullptr, nullptr, false},
                 {":0", nullptr, nullptr, true},
                 {nullptr, "wayland-0", "0", true},
                 {":0", "wayland-0", "1", false}};
    for (const auto& c : cases)
    {
        TDisplayEnvironment environment(c.display, c.wayland, c.headless);
        EXPECT_EQ(PlatformHasDisplay(), c.shown) << (c.display ? c.display : "-") << (c.headless ? c.headless : "-");
    }
}

TEST(MessageBox, HeadlessTextGoesToStandardErrorAndAnswersTheDefaultButton)
{
    TDisplayEnvironment environment(":0", nullptr, "1");
    testing::internal::CaptureStderr();
    EXPECT_EQ(PlatformMessageBox("Vestamor engine", "Terminal error: 'x'", MESSAGE_BOX_ERROR),
              MESSAGE_BOX_BUTTON_OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Vestamor engine\nTerminal error: 'x'\n");
}

TEST(MessageBox, UnreachableDisplayFallsBackWithoutWaiting)
{
    // A display that cannot be opened: SDL fails and the text still reaches standard error.
    TDisplayEnvironment environment(":987", nullptr, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(PlatformMessageBox("caption", "text", MESSAGE_BOX_WARNING), MESSAGE_BOX_BUTTON_OK);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("caption\ntext\n"), std::string::npos);
}

namespace
{
// The processes whose parent is the given one, as /proc lists them.
std::vector<pid_t> ChildrenOf(pid_t parent)
{
    std::vector<pid_t> children;
    for (const auto& entry : std::filesystem::directory_iterator("/proc"))
    {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream file(entry.path() / "stat");
        std::string line;
        std::getline(file, line);
        // "pid (name) state ppid ...": the name may hold spaces and parentheses.
        const size_t end = line.rfind(')');
        if (end == std::string::npos)
            continue;
        std::istringstream rest(line.substr(end + 1));
        char state = 0;
        pid_t ppid = 0;
        if (rest >> state >> ppid && ppid == parent)
            children.push_back(std::stoi(name));
    }
    return children;
}

// A program shows a box on a display that never answers and is killed while the box waits.
// Every process left of it comes to this one (a child subreaper); ends with 0 when none
// outlives the program.
[[noreturn]] void KillAProgramWhileItsBoxWaits()
{
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    TSilentDisplay display;
    if (!display.IsOpen())
    {
        std::fprintf(stderr, "no loopback display port is free\n");
        _exit(2);
    }
    const pid_t program = fork();
    if (program == 0)
    {
        display.Close();
        setenv("DISPLAY", display.GetName(), 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("VESTAMOR_HEADLESS");
        PlatformMessageBox("caption", "text", MESSAGE_BOX_ERROR);
        _exit(0);
    }
    const bool opened = display.Accept(10000);
    kill(program, SIGKILL);
    waitpid(program, nullptr, 0);
    if (!opened)
    {
        std::fprintf(stderr, "the box never opened the display\n");
        _exit(3);
    }
    for (int wait = 0; wait < 500; ++wait)
    {
        if (waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD)
            _exit(0);
        usleep(10000);
    }
    std::fprintf(stderr, "a process of the box outlived its program\n");
    for (pid_t child : ChildrenOf(getpid()))
        kill(child, SIGKILL);
    _exit(1);
}
} // namespace

TEST(MessageBoxDeathTest, AProgramKilledWhileItsBoxWaitsLeavesNothingBehind)
{
    // A fresh process: the fork of the box and the subreaper stay out of this one.
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(KillAProgramWhileItsBoxWaits(), testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, style);
}
