#include "platform/crashreport/crashreport.h"

#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>

namespace
{
void PrintInfo(TExceptionHandlerInfo* info)
{
    std::fprintf(stderr, "first[%s] second[%s] module[%s]\n", info->aException, info->aOperation,
                 info->aModule);
}

void PrintSecond(TExceptionHandlerInfo*)
{
    std::fprintf(stderr, "second callback\n");
}

// Out of line, so that the fault happens in this program's own code.
__attribute__((noinline)) void WriteThrough(volatile int* pointer)
{
    *pointer = 1;
}

void Crash(void (*fault)())
{
    InstallExceptionHandler();
    AddExceptionHandlerCallback(PrintInfo);
    AddExceptionHandlerCallback(PrintSecond);
    fault();
}
} // namespace

TEST(CrashReportDeathTest, AFatalSignalCallsEveryCallbackThenEndsByTheSignal)
{
    const struct
    {
        void (*fault)();
        int signal;
        const char* printed;
    } cases[] = {{[] { WriteThrough(reinterpret_cast<volatile int*>(16)); }, SIGSEGV,
                  "first\\[SIGSEGV\\] second\\[access at 0x00000010.*module\\[platform_crashreport_tests\\]\n"
                  "second callback"},
                 {[] { std::abort(); }, SIGABRT, "first\\[SIGABRT\\].*\nsecond callback"}};
    for (const auto& c : cases)
        EXPECT_EXIT(Crash(c.fault), ::testing::KilledBySignal(c.signal), c.printed);
}

TEST(CrashReport, CallbackTableIsBounded)
{
    EXPECT_EQ(InstallExceptionHandler(), 0);
    EXPECT_EQ(InstallExceptionHandler(), 0);
    int added = 0;
    while (AddExceptionHandlerCallback(PrintSecond) == 0)
        ++added;
    EXPECT_EQ(added, EXCEPTION_HANDLER_CALLBACK_CAPACITY);
}
