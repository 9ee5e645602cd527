#pragma once
// TManagerUpdateThread: one update worker ("UpdateWorker") and its list of fixed-rate updates.
// Worker 0's list runs inline on the main thread while there are no worker threads.
#include "core/system/templates/darray.h"
#include "core/system/thread.h"
#include "core/system/waitword.h"
#include "engine/system/managersystem.h"

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

    // Starts the thread. Each time the release word moves on, it runs its list once and counts
    // itself off the remaining word; the last worker to finish wakes the main thread. A stop
    // request is seen when a release lets the thread go. False when it cannot be created.
    bool Start(TWaitWord& release, TWaitWord& remaining, const TManagerFrameSteps& steps);

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
};
