#include "engine/system/resourcethreadload.h"

#include "core/system/log.h"
#include "core/system/pagelock.h"
#include "engine/system/repository.h"
#include "engine/system/resource.h"
#include "engine/system/resourcemanager.h"

#include <cstring>

u32 TResourceThreadLoad::s_nUndeliveredBytes = 0;
u32 TResourceThreadLoad::s_nUnlockPendingBytes = 0;

TCriticalSection& GlobalResourceLock()
{
    static TCriticalSection s_Lock;
    return s_Lock;
}

namespace
{
// Made with the other start-up registrations.
[[maybe_unused]] TCriticalSection& s_GlobalLockAtStart = GlobalResourceLock();

u32 RequestSize(const TResourceThreadLoadData& request)
{
    return request.nSize ? request.nSize : request.pResource->m_nDataSize;
}
} // namespace

TResourceThreadLoad::TResourceThreadLoad() : m_bEnabled(true), m_nIdleWaits(0), m_nTimedOutWaits(0)
{
    SetName("ResourceThreadLoad");
}

TResourceThreadLoad::~TResourceThreadLoad()
{
    StopThread();
}

void TResourceThreadLoad::StopThread()
{
    if (!HasThread())
        return;
    RequestStop();
    m_Wake.Set();
    Stop();
}

void TResourceThreadLoad::Begin()
{
    SetName("ResourceThreadLoad");
    if (HasThread())
        return;
    // Without a thread nothing would ever read the queue: requests are then read at once.
    if (!Start())
    {
        TLog::Print(g_pSystemLog, LOG_WARNING,
                    "TResourceThreadLoad::Begin(): warning: ", "no loader thread: blocks are read at once");
        m_bEnabled = false;
    }
}

void TResourceThreadLoad::End()
{
    Clear();
    StopThread();
}

u32 TResourceThreadLoad::Request(u32 tag, void* target, TResource* resource, u32 position, u32 size,
                                 u32 flags)
{
    if (!m_bEnabled || !HasThread() || (g_pResourceManager && !g_pResourceManager->m_nUpload))
        return 1;
    m_Lock.Enter();
    if (m_aQueue.GetCount() == RESOURCE_QUEUE_CAPACITY)
    {
        m_Lock.Leave();
        return 1;
    }
    // After the requests of the same or a lower position: the file is read front to back.
    u32 at = m_aQueue.GetCount();
    while (at > 0 && m_aQueue[at - 1].nPosition > position)
        --at;
    m_aQueue.SetCount(m_aQueue.GetCount() + 1);
    for (u32 i = m_aQueue.GetCount() - 1; i > at; --i)
        m_aQueue[i] = m_aQueue[i - 1];
    m_aQueue[at] = {resource, tag, target, position, size, flags};
    m_Lock.Leave();
    m_Wake.Set();
    return 0;
}

bool TResourceThreadLoad::Read(TResourceThreadLoadData& request)
{
    TResource* resource = request.pResource;
    TRepository* repository = resource->pRepository;
    if (!repository)
        repository = g_pResourceManager->FindRepository(resource->m_nRepositoryId);
    if (!repository)
        return false;
    const u32 size = RequestSize(request);
    if (request.nFlags & LOAD_COMPRESSED)
        return repository->__LoadBlock(resource, 0, request.pTarget, request.nPosition, size,
                                       RESOURCE_READ_NO_NOTIFY | RESOURCE_READ_COMPRESSED) == 0;
    return repository->__LoadBlock(resource, 0, request.pTarget, request.nPosition, size, RESOURCE_READ_NO_NOTIFY) ==
           0;
}

void TResourceThreadLoad::Run()
{
    while (!IsStopRequested())
    {
        GlobalResourceLock().Enter();
        m_Lock.Enter();
        if (m_aQueue.GetCount() == 0)
        {
            ++m_nIdleWaits;
            m_Lock.Leave();
            GlobalResourceLock().Leave();
            const TEventHandle wake = m_Wake.GetHandle();
            if (WaitForEvents(1, &wake, 0.0f) == WAIT_TIMED_OUT)
            {
                m_Lock.Enter();
                ++m_nTimedOutWaits;
                m_Lock.Leave();
            }
            continue;
        }
        TResourceThreadLoadData request = m_aQueue[0];
        const u32 count = m_aQueue.GetCount();
        std::memmove(&m_aQueue[0], &m_aQueue[1], (count - 1) * sizeof request);
        m_aQueue.SetCount(count - 1);
        m_Lock.Leave();

        const bool read = Read(request);
        m_Lock.Enter();
        if (read)
        {
            const u32 size = RequestSize(request);
            s_nUndeliveredBytes += size;
            if (request.nFlags & LOAD_UNLOCK_PAGES)
                s_nUnlockPendingBytes += size;
            m_aDone.Add(request);
        }
        m_Lock.Leave();
        GlobalResourceLock().Leave();
    }
}

void TResourceThreadLoad::ProcessQueue()
{
    m_Lock.Enter();
    for (u32 i = 0; i < m_aDone.GetCount(); ++i)
    {
        TResourceThreadLoadData& request = m_aDone[i];
        request.pResource->OnDataArrived(request.nTag);
        const u32 size = RequestSize(request);
        s_nUndeliveredBytes -= size;
        TRepository* repository = request.pResource->pRepository;
        if ((request.nFlags & LOAD_UNLOCK_PAGES) && repository && repository->IsMapped())
        {
            s_nUnlockPendingBytes -= size;
            if (request.nPosition < repository->GetImageSize())
                PageUnlock(repository->GetImage() + request.nPosition, size);
        }
    }
    m_aDone.SetCount(0);
    m_Lock.Leave();
}

void TResourceThreadLoad::Clear()
{
    GlobalResourceLock().Enter();
    m_Lock.Enter();
    DArray<TResource*> cancelled;
    for (u32 i = 0; i < m_aQueue.GetCount(); ++i)
        cancelled.Add(m_aQueue[i].pResource);
    m_aQueue.SetCount(0);
    m_Lock.Leave();
    // A resource whose reads are cancelled leaves the list unloaded: kept half-loaded off the
    // list, nothing would ever release what it holds (a texture's device object, for one).
    for (i32 i = 0; i < cancelled.GetCount(); ++i)
    {
        cancelled[i]->Unload();
        g_pResourceManager->__ResourceDelete(cancelled[i]);
    }
    ProcessQueue();
    s_nUndeliveredBytes = 0;
    s_nUnlockPendingBytes = 0;
    GlobalResourceLock().Leave();
}

u32 TResourceThreadLoad::GetQueueCount()
{
    m_Lock.Enter();
    const u32 count = m_aQueue.GetCount();
    m_Lock.Leave();
    return count;
}

u32 TResourceThreadLoad::GetDoneCount()
{
    m_Lock.Enter();
    const u32 count = m_aDone.GetCount();
    m_Lock.Leave();
    return count;
}

u32 TResourceThreadLoad::GetIdleWaitCount()
{
    m_Lock.Enter();
    const u32 count = m_nIdleWaits;
    m_Lock.Leave();
    return count;
}

u32 TResourceThreadLoad::GetTimedOutWaitCount()
{
    m_Lock.Enter();
    const u32 count = m_nTimedOutWaits;
    m_Lock.Leave();
    return count;
}

bool TResourceThreadLoad::IsQueueEmpty()
{
    m_Lock.Enter();
    const bool empty = m_aQueue.GetCount() == 0 && m_aDone.GetCount() == 0;
    m_Lock.Leave();
    return empty;
}
