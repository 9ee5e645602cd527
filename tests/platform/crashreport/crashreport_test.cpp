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

void Crash()
{
    InstallExceptionHandler();
    AddExceptionHandlerCallback(PrintInfo);
    AddExceptionHandlerCallback(PrintSecond);
    WriteThrough(reinterpret_cast<volatile int*>(16));
}
} // namespace

TEST(CrashReportDeathTest, SegmentationFaultCallsEveryCallbackThenEndsBySignal)
{
    EXPECT_EXIT(Crash(), ::testing::KilledBySignal(SIGSEGV),
                "first\\[SIGSEGV\\] second\\[access at 0x00000010.*module\\[platform_crashreport_tests\\]\n"
                "second callback");
}

TEST(CrashReportDeathTest, AbortIsReportedAsAbort)
{
    EXPECT_EXIT(
        {
            InstallExceptionHandler();
            AddExceptionHandlerCallback(PrintInfo);
            std::abort();
        },
        ::testing::KilledBySignal(SIGABRT), "first\\[SIGABRT\\]");
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
