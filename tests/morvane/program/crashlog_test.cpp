#include "core/stream/filestreammanager.h"
#include "core/system/core.h"
#include "core/system/log.h"
#include "engine/system/crashlog.h"
#include "engine/system/managermanager.h"
#include "platform/crashreport/crashreport.h"
#include "gamecopy.h"

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

void InstallCrashLog()
{
    SetProductName(TName("morvanesim", true));
    g_ManagerManager.SetTrack(6, 3);
    InstallExceptionHandler();
    AddExceptionHandlerCallback(WriteCrashLog);
}

// A crash before the start-up script has set any folder.
void CrashEarly()
{
    InstallCrashLog();
    WriteThrough(reinterpret_cast<volatile int*>(32));
}

// A crash inside a print: a text argument that points nowhere.
void CrashInsideAPrint()
{
    InstallCrashLog();
    TLog::Print(g_pSystemLog, LOG_INFO, "CrashInsideAPrint(): ", "a line before the fault");
    TLog::Print(g_pSystemLog, LOG_INFO, "CrashInsideAPrint(): ", "%s", reinterpret_cast<const char*>(32));
}

// A call through a damaged code pointer: the faulting instruction lies outside every module.
void CrashInNowhere()
{
    InstallCrashLog();
    void (*volatile nowhere)() = reinterpret_cast<void (*)()>(64);
    nowhere();
}

// A home folder of the test's own, found again by the death test's child, which runs the test's
// body afresh; the documents folder is looked up under it.
std::string CrashHome()
{
    if (!std::getenv("VESTAMOR_CRASH_HOME"))
    {
        char pattern[] = "/tmp/vestamor_crash_XXXXXX";
        setenv("VESTAMOR_CRASH_HOME", mkdtemp(pattern), 1);
    }
    const std::string home = std::getenv("VESTAMOR_CRASH_HOME");
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_DOCUMENTS_DIR");
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return home;
}

void RemoveCrashHome(const std::string& home)
{
    std::filesystem::remove_all(home);
    unsetenv("VESTAMOR_CRASH_HOME");
}
} // namespace

TEST(CrashLogDeathTest, CrashWritesTheCrashLineIntoMyGames)
{
    const std::string home = CrashHome();
    EXPECT_EXIT(CrashEarly(), ::testing::KilledBySignal(SIGSEGV), "");

    const std::string text = TGameCopy::ReadText(home + "/My Games/Brevicorn/morvanesim.crash.log");
    const std::regex line(
        "\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d \\(v[^)]*\\) SIGSEGV operation access at "
        "0x00000020 \\(code \\d+\\) \\(trace 6:3\\)\n   in module: morvane_tests\n");
    EXPECT_TRUE(std::regex_match(text, line)) << text;
    const std::string log = TGameCopy::ReadText(home + "/My Games/Brevicorn/system.log");
    EXPECT_NE(log.find("***** CRASH *****"), std::string::npos);
    EXPECT_NE(log.find("track 6.3"), std::string::npos);
    // The dumped stack begins at the faulting frame: the crash reporter's own frames are left out.
    const size_t start = log.find("**** start callstack");
    ASSERT_NE(start, std::string::npos);
    const std::string stack = log.substr(start);
    EXPECT_EQ(stack.find("WriteCrashLog"), std::string::npos) << stack;
    EXPECT_EQ(stack.find("__SystemCrash"), std::string::npos) << stack;
    EXPECT_NE(stack.find("CrashLogDeathTest_CrashWritesTheCrashLineIntoMyGames_Test::TestBody"),
              std::string::npos)
        << stack;
    RemoveCrashHome(home);
}

TEST(CrashLogDeathTest, CrashInsideAPrintStillWritesTheLog)
{
    const std::string home = CrashHome();
    EXPECT_EXIT(CrashInsideAPrint(), ::testing::KilledBySignal(SIGSEGV), "");

    // The line kept in memory before the fault, then the crash report.
    const std::string log = TGameCopy::ReadText(home + "/My Games/Brevicorn/system.log");
    const size_t before = log.find("CrashInsideAPrint(): a line before the fault");
    const size_t crash = log.find("***** CRASH *****");
    EXPECT_NE(before, std::string::npos) << log;
    EXPECT_NE(crash, std::string::npos) << log;
    EXPECT_LT(before, crash);
    EXPECT_NE(log.find("**** end call stack"), std::string::npos);
    RemoveCrashHome(home);
}

TEST(CrashLogDeathTest, CrashOutsideEveryModuleEndsTheReport)
{
    const std::string home = CrashHome();
    EXPECT_EXIT(CrashInNowhere(), ::testing::KilledBySignal(SIGSEGV), "");

    const std::string log = TGameCopy::ReadText(home + "/My Games/Brevicorn/system.log");
    EXPECT_NE(log.find("0x00000040 lies outside every module: no call stack"), std::string::npos) << log;
    EXPECT_NE(log.find("**** end call stack"), std::string::npos) << log;
    RemoveCrashHome(home);
}
