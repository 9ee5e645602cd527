#pragma once
// TThread: the base of the engine's threads. A subclass implements Run, which polls
// IsStopRequested; Stop asks the thread to end and waits until Run has returned. The owner
// stops its thread before destroying it.
#include "core/system/types.h"

#include <atomic>

// The words shared by the owner and the thread, polled rather than locked.
struct TThreadState
{
    std::atomic<u32> running;
    std::atomic<u32> stopRequested;
    std::atomic<u32> handle; // the POSIX thread, 0 when none
    std::atomic<u32> threadId; // 0 until the thread has started
};

static_assert(sizeof(TThreadState) == 16);

constexpr i32 THREAD_NAME_SIZE = 32;

class TThread
{
public:
    TThread();
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // The thread body.
    virtual void Run() = 0;

    // Starts the thread when it has none: running is set first and cleared when the thread
    // cannot be created. Returns true when a thread runs.
    bool Start();
    // Requests the stop and sleeps 100 ms at a time until Run has returned.
    void Stop();
    // Only the request, for owners that must wake the thread before waiting for it.
    void RequestStop();

    bool IsRunning() const { return m_pState->running.load() != 0; }
    bool IsStopRequested() const { return m_pState->stopRequested.load() != 0; }
    bool HasThread() const { return m_pState->handle.load() != 0; }
    u32 GetThreadId() const { return m_pState->threadId; }
    // Pins the running thread to one processor of the process's allowed set; false (nothing
    // changed) without a thread or for a processor outside the set.
    bool SetAffinity(u32 processor);
    // Copied into the 32-character name; shown by debuggers (first 15 characters).
    void SetName(const char* name);
    const char* GetName() const { return m_aName; }

private:
    static void* Trampoline(void* thread);

    TThreadState* m_pState;
    char m_aName[THREAD_NAME_SIZE];
};

static_assert(sizeof(TThread) == 40);

// The process's allowed set is the main thread's (a pinned thread's own set is its processor).
// The processors for pinned workers, in ascending order: from the process's allowed set, never
// the one the calling thread runs on, at most the set's count minus one. Returns how many (0:
// leave the workers unpinned).
u32 ChooseWorkerProcessors(u32* processors, u32 capacity);
// The same over a given set (allowed[p] for processors 0 to count - 1) and processor to avoid
// (-1 for none).
u32 ChooseProcessors(const bool* allowed, u32 count, i32 avoid, u32* processors, u32 capacity);
