// The log: pending lines, line formats and limits, concurrent prints, re-entrant prints.
#include "core/system/logstorage.h"

#include "testdirectory.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

namespace
{

// Owns a log for the length of a test.
struct TScopedLog
{
    TLog* log;
    TScopedLog(const char* file, u32 flags) : log(MemoryNew<TLog>(file, "test", "Test log", flags)) {}
    ~TScopedLog() { MemoryDelete(log); }
};

constexpr u32 kSystemFlags = LOG_SYSTEM | LOG_UNBUFFERED | LOG_USER_DIRECTORY;

} // namespace

TEST(Log, LinesWaitUntilTheFileCanOpenThenArriveInOrder)
{
    g_pFileStreamManager->SetDirectory(TName());
    TScopedLog scoped("pending.log", kSystemFlags);
    TLog::Print(scoped.log, LOG_INFO, "First::Step(): ", "one %d", 1);
    TLog::Print(scoped.log, LOG_WARNING, "Second::Step(): warning: ", "two");
    EXPECT_TRUE(scoped.log->GetStorage()->IsPending());
    EXPECT_EQ(scoped.log->GetStorage()->GetPendingCount(), 2);

    TTestDirectory directory;
    TLog::Print(scoped.log, LOG_ERROR, "Third::Step(): error: ", "three");
    const auto lines = directory.ReadLines("pending.log");
    const std::vector<std::string> expected = {R"(000 \| +[0-9]+\.[0-9]{3} \| First::Step\(\): one 1)",
                                               R"(050 \| +[0-9]+\.[0-9]{3} \| Second::Step\(\): warning: two)",
                                               R"(090 \| +[0-9]+\.[0-9]{3} \| Third::Step\(\): error: three)"};
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(std::regex_match(lines[i], std::regex(expected[i]))) << lines[i];
    EXPECT_EQ(lines[0].substr(0, 8), "000 |   "); // "%8.3f": the time is right-aligned in 8 columns
    EXPECT_FALSE(scoped.log->GetStorage()->IsPending());
    EXPECT_EQ(scoped.log->GetStorage()->GetPendingCount(), 0);
}

TEST(Log, LongMessagesAreCutAtTheirLimitsAndAListenersOwnPrintIsDropped)
{
    TTestDirectory directory;
    TScopedLog scoped("long.log", kSystemFlags);
    std::string received;
    struct TCapture : TLogListener
    {
        std::string* out;
        void OnLogLine(u32, const char* text) override { *out = text; }
    } capture;
    capture.out = &received;
    scoped.log->SetListener(&capture);
    const std::string message(5000, 'm');
    TLog::Print(scoped.log, LOG_INFO, "Prefix: ", "%s", message.c_str());
    EXPECT_EQ(received.size(), 4047u);
    EXPECT_EQ(received.substr(0, 9), "Prefix: m");

    const std::string file = directory.ReadFile("long.log");
    EXPECT_EQ(file.size(), 1023u);
    EXPECT_NE(file.back(), '\n');

    // A print from a listener is dropped, not deadlocked.
    TScopedLog reentrant("reentrant.log", kSystemFlags);
    struct TEcho : TLogListener
    {
        TLog* log;
        int calls = 0;
        void OnLogLine(u32, const char*) override
        {
            ++calls;
            TLog::Printf(log, "echo");
        }
    } echo;
    echo.log = reentrant.log;
    reentrant.log->SetListener(&echo);
    TLog::Printf(reentrant.log, "outer");
    TLog::Printf(reentrant.log, "again");
    EXPECT_EQ(echo.calls, 2);
    const auto lines = directory.ReadLines("reentrant.log");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("outer"), std::string::npos);
    EXPECT_NE(lines[1].find("again"), std::string::npos);
}

TEST(Log, AFileThatCannotOpenDropsItsLinesAndThoseKeptForIt)
{
    TTestDirectory directory;
    std::filesystem::create_directory(directory.Path() + "/taken");
    g_pFileStreamManager->SetDirectory(TName());
    TScopedLog scoped("taken", kSystemFlags);
    TLog::Printf(scoped.log, "kept");
    EXPECT_EQ(scoped.log->GetStorage()->GetPendingCount(), 1);
    testing::internal::CaptureStderr();
    g_pFileStreamManager->SetDirectory(TName(".", true));
    TLog::Printf(scoped.log, "lost");
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(scoped.log->GetStorage()->IsFailed());
    EXPECT_EQ(scoped.log->GetStorage()->GetPendingCount(), 0);
    // Opened where the folder is known, the lines are dropped from the first on.
    testing::internal::CaptureStderr();
    TScopedLog direct("taken", kSystemFlags);
    TLog::Printf(direct.log, "lost");
    EXPECT_TRUE(direct.log->GetStorage()->IsFailed());
    EXPECT_EQ(direct.log->GetStorage()->GetPendingCount(), 0);
    // The log cannot say it of itself: the user learns it on standard error.
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "TLogStorage::Open(): error: unable to write Test log '" + directory.Path() +
                  "/taken': its lines are lost\n");
}


// Lines kept in memory while the file cannot open grow one shared buffer: without the print
// lock, threads would overwrite each other's lines there.
TEST(Log, ConcurrentPrintsWaitingForTheFileAllArrive)
{
    g_pFileStreamManager->SetDirectory(TName());
    TScopedLog scoped("waiting.log", kSystemFlags);
    constexpr int kThreads = 6;
    constexpr int kLines = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&scoped, t] {
            for (int i = 0; i < kLines; ++i)
                TLog::Print(scoped.log, LOG_INFO, "Worker::Run(): ", "thread %d line %d", t, i);
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(scoped.log->GetStorage()->GetPendingCount(), kThreads * kLines);
    TTestDirectory directory;
    TLog::Print(scoped.log, LOG_INFO, "", "open");
    std::vector<std::string> lines = directory.ReadLines("waiting.log");
    // Each thread's lines arrived whole and in their order, before the one printed last.
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines + 1));
    lines.pop_back();
    std::vector<int> next(kThreads, 0);
    const std::regex pattern(R"(000 \| +[0-9.]+ \| Worker::Run\(\): thread ([0-9]) line ([0-9]+))");
    for (const auto& line : lines)
    {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, pattern)) << line;
        const int t = std::stoi(match[1]);
        EXPECT_EQ(std::stoi(match[2]), next[t]++);
    }
}
