#include "core/system/waitword.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <linux/futex.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{
// A hand-over between threads usually completes within a few microseconds; a sleeping thread
// takes far longer to wake.
constexpr i64 kSpinNanoseconds = 4000;
constexpr i64 kLoadRefreshNanoseconds = 10000000;

i64 Now()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<i64>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

u32* Address(std::atomic<u32>& word)
{
    static_assert(sizeof(std::atomic<u32>) == sizeof(u32));
    return reinterpret_cast<u32*>(&word);
}

u32 AllowedProcessors()
{
    cpu_set_t allowed;
    if (sched_getaffinity(getpid(), sizeof allowed, &allowed) != 0)
        return 1;
    return static_cast<u32>(CPU_COUNT(&allowed));
}

// The last answer and when it was found.
std::atomic<u32> s_nSpinAllowed{0};
std::atomic<i64> s_nSpinChecked{-kLoadRefreshNanoseconds};

bool MachineHasSpareProcessor()
{
    static const u32 s_nProcessors = AllowedProcessors();
    static const int s_nLoad = open("/proc/loadavg", O_RDONLY | O_CLOEXEC);
    if (s_nLoad < 0 || s_nProcessors < 2)
        return false;
    char text[128];
    const ssize_t read = pread(s_nLoad, text, sizeof text - 1, 0);
    if (read <= 0)
        return false;
    text[read] = 0;
    const u32 runnable = ParseRunnableThreads(text);
    return runnable != 0 && runnable <= s_nProcessors;
}
} // namespace

u32 ParseRunnableThreads(const char* loadavg)
{
    // "0.50 0.40 0.30 3/812 12345": the fourth field counts the runnable threads.
    const char* field = loadavg;
    for (u32 i = 0; i < 3 && field; ++i)
    {
        field = std::strchr(field, ' ');
        if (field)
            ++field;
    }
    if (!field || !std::strchr(field, '/'))
        return 0;
    return static_cast<u32>(std::strtoul(field, nullptr, 10));
}

bool SpinAllowed()
{
    const i64 now = Now();
    if (now - s_nSpinChecked.load(std::memory_order_relaxed) >= kLoadRefreshNanoseconds)
    {
        s_nSpinChecked.store(now, std::memory_order_relaxed);
        s_nSpinAllowed.store(MachineHasSpareProcessor() ? 1 : 0, std::memory_order_relaxed);
    }
    return s_nSpinAllowed.load(std::memory_order_relaxed) != 0;
}

bool SpinWhile(const std::atomic<u32>& word, u32 value)
{
    if (word.load(std::memory_order_acquire) != value)
        return true;
    if (!SpinAllowed())
        return false;
    const i64 end = Now() + kSpinNanoseconds;
    do
    {
        for (u32 i = 0; i < 32; ++i)
        {
            __builtin_ia32_pause();
            if (word.load(std::memory_order_acquire) != value)
                return true;
        }
    } while (Now() < end);
    return false;
}

void TWaitWord::WaitWhile(u32 value)
{
    if (SpinWhile(m_nWord, value))
        return;
    // The sleeper counts itself before the kernel compares the word, and a changer reads the
    // count after its change: no sleeper misses a change.
    while (m_nWord.load(std::memory_order_acquire) == value)
    {
        m_nSleepers.fetch_add(1);
        syscall(SYS_futex, Address(m_nWord), FUTEX_WAIT_PRIVATE, value, nullptr, nullptr, 0);
        m_nSleepers.fetch_sub(1);
    }
}

void TWaitWord::Wake()
{
    _Wake(INT_MAX);
}

void TWaitWord::WakeOne()
{
    _Wake(1);
}

void TWaitWord::_Wake(int count)
{
    // The change is seen before the count is read (a store may otherwise pass the load).
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (m_nSleepers.load() != 0)
        syscall(SYS_futex, Address(m_nWord), FUTEX_WAKE_PRIVATE, count, nullptr, nullptr, 0);
}
