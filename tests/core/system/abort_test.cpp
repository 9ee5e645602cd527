// The abort sequence: its log lines, the box text, exit code 1, no hang without a display.
#include "core/system/abort.h"

#include "testdirectory.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

// Global, so that the dynamic symbol table names it in the call stack.
[[noreturn]] __attribute__((noinline)) void FailDeepInside(int value)
{
    __Abort("Demo::Fail", "c:/work/vestamor\\sources/demo.cpp", 42, "bad value %d", value);
}

namespace
{

void AbortAgain(const char*, const char*, i32, const char*, const char*)
{
    __Abort("Again", "again.cpp", 1, "second abort");
}

} // namespace

TEST(AbortDeathTest, LogsTheSequenceEndsWithCodeOneAndForcesTheLockOpen)
{
    TTestDirectory directory;
    TLog::Printf(g_pSystemLog, "before");
    EXPECT_EXIT(FailDeepInside(7), testing::ExitedWithCode(1),
                "Vestamor engine\nTerminal error: 'bad value 7'\n\nCall stack:\n\n");
    const auto lines = directory.ReadLines("system.log");
    auto at = std::find_if(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.find("=== ABORT") != l.npos; });
    ASSERT_NE(at, lines.end());
    EXPECT_TRUE(std::regex_match(*at, std::regex(R"(100 \| +[0-9.]+ \| === ABORT: )"))) << *at;
    ASSERT_GE(lines.end() - at, 4);
    EXPECT_TRUE(std::regex_match(
        at[1],
        std::regex(
            R"(000 \| +[0-9.]+ \| c:/work/vestamor\\sources/demo.cpp\(42\) : abort in Demo::Fail: bad value 7)")))
        << at[1];
    EXPECT_TRUE(std::regex_match(at[2], std::regex(R"(000 \| +[0-9.]+ \| callstack)")));
    // The first listed frame is the function that called __Abort.
    EXPECT_TRUE(std::regex_match(
        at[3], std::regex(R"(000 \| +[0-9.]+ \|     \(0\) : .*FailDeepInside.*\+[0-9]+ \(.*\))")))
        << at[3];
    TLog::Printf(g_pSystemLog, "before");
    g_pFileStreamManager->SetDirectory(TName());
    EXPECT_EXIT(__Abort("F", "f.cpp", 1, "locked"), testing::ExitedWithCode(1), "locked");
    const std::string log = directory.ReadFile("system.log");
    EXPECT_NE(log.find("050 |"), std::string::npos);
    EXPECT_NE(log.find("__Abort(): warning: file system forcefully unlocked"), std::string::npos) << log;
}

TEST(AbortDeathTest, AnAbortInsideTheAbortOrAPrintEndsAtOnceKeepingItsLines)
{
    TTestDirectory directory;
    struct TFailing : TLogListener
    {
        bool fired = false;
        void OnLogLine(u32, const char*) override
        {
            if (!fired)
            {
                fired = true;
                __Abort("Listener", "listener.cpp", 3, "inside a print");
            }
        }
    } failing;
    TLog::Printf(g_pSystemLog, "before");
    g_pSystemLog->SetListener(&failing);
    EXPECT_EXIT(TLog::Printf(g_pSystemLog, "trigger"), testing::ExitedWithCode(1), "inside a print");
    g_pSystemLog->SetListener(nullptr);
    const std::string log = directory.ReadFile("system.log");
    EXPECT_NE(log.find("listener.cpp(3) : abort in Listener: inside a print"), std::string::npos) << log;
    // The exit code alone cannot tell: a recursion that overflows the stack ends with 1 too under
    // the sanitizers. The second abort must leave no trace of its own.
    TLog::Printf(g_pSystemLog, "before");
    AbortCallback = AbortAgain;
    EXPECT_EXIT(__Abort("First", "first.cpp", 1, "first abort"), testing::ExitedWithCode(1), "");
    AbortCallback = nullptr;
    const std::string after = directory.ReadFile("system.log");
    EXPECT_NE(after.find("abort in First: first abort"), std::string::npos) << after;
    EXPECT_EQ(after.find("second abort"), std::string::npos) << after;
}
