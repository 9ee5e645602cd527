#include "core/stream/filestreammanager.h"
#include "core/system/core.h"
#include "engine/system/crashlog.h"
#include "engine/system/managermanager.h"
#include "platform/crashreport/crashreport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace
{
__attribute__((noinline)) void WriteThrough(volatile int* pointer)
{
    *pointer = 7;
}

// A crash before the start-up script has set any folder.
void CrashEarly()
{
    SetProductName(TName("morvanesim", true));
    g_ManagerManager.SetTrack(6, 3);
    InstallExceptionHandler();
    AddExceptionHandlerCallback(WriteCrashLog);
    WriteThrough(reinterpret_cast<volatile int*>(32));
}
} // namespace

TEST(CrashLogDeathTest, CrashWritesTheCrashLineIntoMyGames)
{
    // The death test's child runs this body again: it finds the home the parent made.
    if (!std::getenv("VESTAMOR_CRASH_HOME"))
    {
        char pattern[] = "/tmp/vestamor_crash_XXXXXX";
        setenv("VESTAMOR_CRASH_HOME", mkdtemp(pattern), 1);
    }
    const std::string home = std::getenv("VESTAMOR_CRASH_HOME");
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_DOCUMENTS_DIR");
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    // The child starts afresh, so that the documents folder is looked up under this home.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(CrashEarly(), ::testing::KilledBySignal(SIGSEGV), "");

    std::ifstream file(home + "/My Games/Brevicorn/morvanesim.crash.log");
    std::stringstream text;
    text << file.rdbuf();
    const std::regex line(
        "\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d \\(v[^)]*\\) SIGSEGV operation access at "
        "0x00000020 \\(code \\d+\\) \\(trace 6:3\\)\n   in module: .*morvane_tests\n");
    EXPECT_TRUE(std::regex_match(text.str(), line)) << text.str();
    std::ifstream log(home + "/My Games/Brevicorn/system.log");
    std::stringstream logText;
    logText << log.rdbuf();
    EXPECT_NE(logText.str().find("***** CRASH *****"), std::string::npos);
    EXPECT_NE(logText.str().find("track 6.3"), std::string::npos);
    std::filesystem::remove_all(home);
    unsetenv("VESTAMOR_CRASH_HOME");
}
