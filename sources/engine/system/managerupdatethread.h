#pragma once
// TManagerUpdateThread: one update worker ("UpdateWorker") and its list of fixed-rate updates.
// Worker 0's list runs inline on the main thread while there are no worker threads. With
// workers, each list of a release is taken whole by one thread: its own worker when that one
// is awake in time, else another worker or the main thread when it collects, so a frame never
// waits for a sleeping worker to wake.
#include "core/system/templates/darray.h"
#include "core/system/thread.h"
#include "core/system/waitword.h"
#include "engine/system/managersystem.h"

#include <atomic>

// What a list run reads of the frame: the channel table and the game delta of the Update
// that released the workers, copied while every worker was waiting.
struct TManagerFrameSteps
{
    f32 aStepTime[5];
    i32 aStepCount[5];
    // The step of managers with their own clock: the timer's time scale over the rate.
    f32 aOwnStep[5];
    f32 fGameDelta;
};

class TManagerUpdateThread : public TThread
{
public:
    TManagerUpdateThread();

    // Starts the thread. Each time the release word moves on, it wakes the workers still
    // asleep and runs the lists of the release it can take (see RunReleasedLists). A stop
    // request is seen when a release lets the thread go. False when it cannot be created.
    bool Start(TManagerUpdateThread* lists, u32 listCount, TWaitWord& release, TWaitWord& remaining,
               const TManagerFrameSteps& steps);

    // Marks the list as taken by the given release, before the first release of new workers.
    void SetTakenRelease(u32 release) { m_nTaken.store(release, std::memory_order_relaxed); }
    // Takes the list for a release, once: true for the one thread that takes it.
    bool Take(u32 release);

    // Runs the list once: fixed-rate steps of every entry, timed.
    void _UpdateManagers(const TManagerFrameSteps& steps);

    i32 m_nIndex;
    // Milliseconds of the last list run.
    f32 m_fTime;
    DArray<TManagerEntry> m_aUpdate;

private:
    void Run() override;

    TWaitWord* m_pRelease;
    TWaitWord* m_pRemaining;
    // The release the thread has seen last.
    u32 m_nRelease;
    const TManagerFrameSteps* m_pSteps;
    TManagerUpdateThread* m_pLists;
    u32 m_nListCount;
    // The last release that took this list.
    std::atomic<u32> m_nTaken;
};

// Takes and runs the lists of release `release` not taken yet, the list `first` first, then
// the others in order. Each list run counts itself off `remaining`; the run that brings it to 0
// wakes the main thread. A thread that saw an earlier release takes nothing.
void RunReleasedLists(TManagerUpdateThread* lists, u32 count, u32 first, u32 release, TWaitWord& remaining,
                      const TManagerFrameSteps& steps);
