#pragma once
// TManagerUpdateThread: one update worker ("UpdateWorker") and its list of fixed-rate updates.
// Worker 0's list runs inline on the main thread while there are no worker threads.
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "engine/system/managersystem.h"
#include "engine/system/workerevent.h"

#include <thread>

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

class TManagerUpdateThread
{
public:
    TManagerUpdateThread();
    ~TManagerUpdateThread();
    TManagerUpdateThread(const TManagerUpdateThread&) = delete;
    TManagerUpdateThread& operator=(const TManagerUpdateThread&) = delete;

    // Starts the thread: it signals ready and waits for the run event, runs its list once per
    // release, signals done and waits for the rest event. False when it cannot be created.
    bool Start(TWorkerEvent& ready, TWorkerEvent& run, TWorkerEvent& rest, const TManagerFrameSteps& steps);
    // The stop request: the thread ends the next time it is let go by the run event.
    void RequestStop() { m_nStop = 1; }
    // Waits for the thread to end (the caller wakes it first).
    void Join();
    bool IsRunning() const { return m_Thread.joinable(); }
    // Pins the thread to one processor; ignored where the processor does not exist.
    void SetAffinity(u32 processor);

    // Runs the list once: fixed-rate steps of every entry, timed.
    void _UpdateManagers(const TManagerFrameSteps& steps);

    SString<32> m_Name;
    i32 m_nIndex;
    // Milliseconds of the last list run.
    f32 m_fTime;
    DArray<TManagerEntry> m_aUpdate;

private:
    void Run(TWorkerEvent& ready, TWorkerEvent& run, TWorkerEvent& rest, const TManagerFrameSteps& steps);

    std::thread m_Thread;
    // Written before the run event is set, read after it: the event lock orders the two.
    u32 m_nStop;
};
