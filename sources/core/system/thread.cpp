#include "core/system/thread.h"

#include "core/system/abort.h"
#include "core/system/event.h"
#include "core/system/memory.h"
#include "core/system/string.h"

#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

TThread::TThread() : m_pState(MemoryNew<TThreadState>()), m_aName()
{
    if (!m_pState)
        __Abort("TThread::TThread", "core/system/thread.cpp", __LINE__, "out of memory");
}

TThread::~TThread()
{
    Stop();
    MemoryDelete(m_pState);
}

void TThread::SetName(const char* name)
{
    FormatStringN(m_aName, THREAD_NAME_SIZE, "%s", name);
}

bool TThread::Start()
{
    if (HasThread())
        return true;
    m_pState->stopRequested = 0;
    m_pState->running = 1;
    // The default stack: the engine's 1,024 bytes are below what POSIX threads accept.
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    const bool started = pthread_create(&thread, &attributes, Trampoline, this) == 0;
    pthread_attr_destroy(&attributes);
    if (!started)
    {
        m_pState->running = 0;
        return false;
    }
    // The thread clears the handle when it ends, possibly before this line: keep its value
    // only while it still runs.
    u32 none = 0;
    m_pState->handle.compare_exchange_strong(none, static_cast<u32>(thread));
    if (!m_pState->running)
        m_pState->handle = 0;
    return true;
}

void* TThread::Trampoline(void* object)
{
    TThread* thread = static_cast<TThread*>(object);
    TThreadState* state = thread->m_pState;
    state->threadId = static_cast<u32>(syscall(SYS_gettid));
    if (thread->m_aName[0])
    {
        char shortName[16];
        FormatStringN(shortName, sizeof shortName, "%s", thread->m_aName);
        pthread_setname_np(pthread_self(), shortName);
    }
    thread->Run();
    // Running is cleared last: once the owner sees it, nothing here touches the object.
    state->handle = 0;
    state->stopRequested = 0;
    state->running.store(0, std::memory_order_release);
    return nullptr;
}

bool TThread::SetAffinity(u32 processor)
{
    const u32 handle = m_pState->handle.load();
    cpu_set_t allowed;
    // A processor the process may not use is refused, as the system would refuse its mask.
    if (!handle || processor >= CPU_SETSIZE || sched_getaffinity(getpid(), sizeof allowed, &allowed) != 0 ||
        !CPU_ISSET(processor, &allowed))
        return false;
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(processor, &set);
    return pthread_setaffinity_np(static_cast<pthread_t>(handle), sizeof set, &set) == 0;
}

u32 ChooseWorkerProcessors(u32* processors, u32 capacity)
{
    cpu_set_t set;
    if (sched_getaffinity(getpid(), sizeof set, &set) != 0)
        return 0;
    bool allowed[CPU_SETSIZE];
    for (u32 p = 0; p < CPU_SETSIZE; ++p)
        allowed[p] = CPU_ISSET(p, &set);
    return ChooseProcessors(allowed, CPU_SETSIZE, sched_getcpu(), processors, capacity);
}

u32 ChooseProcessors(const bool* allowed, u32 count, i32 avoid, u32* processors, u32 capacity)
{
    u32 usable = 0;
    for (u32 p = 0; p < count; ++p)
        usable += allowed[p] ? 1 : 0;
    // One processor of the set stays free for the caller, wherever it runs now.
    const u32 most = usable > 0 ? usable - 1 : 0;
    u32 chosen = 0;
    for (u32 p = 0; p < count && chosen < most && chosen < capacity; ++p)
        if (allowed[p] && static_cast<i32>(p) != avoid)
            processors[chosen++] = p;
    return chosen;
}

void TThread::RequestStop()
{
    if (m_pState->running)
        m_pState->stopRequested = 1;
}

void TThread::Stop()
{
    RequestStop();
    while (m_pState->running)
        SleepSeconds(0.1f);
}
