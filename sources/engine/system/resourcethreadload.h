#pragma once
// TResourceThreadLoad ("ResourceThreadLoad"): the thread that reads queued resource blocks in
// the order of their position in the repository; finished reads wait on a done list until the
// main thread delivers them (TResourceManager::UpdateManager). Locks: the global resource lock,
// then the loader's own, always in that order.
#include "core/system/criticalsection.h"
#include "core/system/event.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "core/system/thread.h"

class TResource;

constexpr u32 RESOURCE_QUEUE_CAPACITY = 4196;
// Request flags.
constexpr u32 LOAD_UNLOCK_PAGES = 0x1;
constexpr u32 LOAD_COMPRESSED = 0x8;

struct TResourceThreadLoadData
{
    TResource* pResource;
    u32 nTag;
    void* pTarget;
    // In the repository file: the resource's data offset + the offset in its block.
    u32 nPosition;
    // 0: the resource's whole block.
    u32 nSize;
    u32 nFlags;
};

class TResourceThreadLoad : public TThread
{
public:
    TResourceThreadLoad();
    ~TResourceThreadLoad() override;

    // Starts the thread; when it cannot be created requests are refused (read at once).
    void Begin();
    // Cancels the queue, then stops the thread and waits for it.
    void End();

    // 0 queued; 1 when the loader takes no requests (not enabled, no thread, queue full): the
    // caller reads at once.
    u32 Request(u32 tag, void* target, TResource* resource, u32 position, u32 size, u32 flags);
    // Main thread: delivers finished reads.
    void ProcessQueue();
    // Main thread: cancels everything queued (their resources leave the list) and delivers
    // what has finished.
    void Clear();

    void SetEnabled(bool enabled) { m_bEnabled = enabled; }
    bool IsEnabled() const { return m_bEnabled; }
    u32 GetQueueCount();
    u32 GetDoneCount();
    // Nothing queued and nothing waiting for delivery.
    bool IsQueueEmpty();
    u32 GetUndeliveredBytes() const { return s_nUndeliveredBytes; }
    // How often the thread went to sleep with nothing queued, and how many of those sleeps
    // ended without a wake: a read queued on an idle loader is to start by its wake.
    u32 GetIdleWaitCount();
    u32 GetTimedOutWaitCount();

    void Run() override;

private:
    // One request read on this thread; false when it was skipped.
    bool Read(TResourceThreadLoadData& request);
    // Asks the thread to end, wakes it and waits for it.
    void StopThread();

    TCriticalSection m_Lock;
    // Set by each request and by the stop: an idle thread sleeps on it, so a read queued
    // after a quiet spell starts at once.
    TEvent m_Wake;
    SArray<TResourceThreadLoadData, RESOURCE_QUEUE_CAPACITY, 0> m_aQueue;
    SArray<TResourceThreadLoadData, RESOURCE_QUEUE_CAPACITY, 0> m_aDone;
    DArray<u8> m_aScratch;
    volatile bool m_bEnabled;
    // Under m_Lock.
    u32 m_nIdleWaits;
    u32 m_nTimedOutWaits;

    static u32 s_nUndeliveredBytes;
    static u32 s_nUnlockPendingBytes;
};

// Taken by the loader around each read and by Clear.
TCriticalSection& GlobalResourceLock();
