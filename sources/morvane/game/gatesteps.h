#pragma once
// The ways a gate's machine drives its tasks, shared by the passenger and the cargo machine. A
// gate without a service does not wait for it: a missing task counts as started, arrived and
// done.
#include "morvane/game/aicommonunit.h"
#include "morvane/game/task.h"

namespace GateSteps
{
inline bool Started(const TTask* task)
{
    return !task || task->m_nStarted;
}

inline bool Arrived(const TTask* task)
{
    return !task || task->IsArrived();
}

inline bool Done(const TTask* task)
{
    return !task || task->m_nDone;
}

// A task that is there and started (its own steps then drive it on).
inline bool Running(const TTask* task)
{
    return task && task->m_nStarted;
}

inline void StartWhen(TTask* task, bool allowed)
{
    if (task && !task->m_nStarted && allowed)
        task->Start();
}

// Drive, arrive, work for the drawn time.
inline void Work(TTask* task)
{
    if (!task)
        return;
    if (!task->m_nStarted)
        task->Start();
    else if (task->IsArrived() && !task->IsWorking() && !task->m_nDone)
        task->BeginWork();
}

// Finished on arrival; true in the frame it finishes.
inline bool FinishOnArrival(TTask* task)
{
    if (!task || !task->IsArrived() || task->m_nDone)
        return false;
    task->FinishWork();
    return true;
}

// A drive that ends on arrival; true in the frame it finishes.
inline bool Leg(TTask* task)
{
    if (task && !task->m_nStarted)
    {
        task->Start();
        return false;
    }
    return FinishOnArrival(task);
}

// A started service works, then its unit drives home on the next task.
inline void WorkThenReturn(TTask* task, TTask* home)
{
    if (!Running(task))
        return;
    Work(task);
    if (task->m_nDone)
        Leg(home);
}

// The AI's unit stays where its leg ended (the tunnel at the aircraft, its prop kept).
inline void StopAIUnit(const TTask* task)
{
    if (task->m_nAI && task->pAIUnit)
        task->pAIUnit->Stop(0);
}

// The stairs' unit stays at the aircraft while its working flag is set.
inline void SetUnitWorking(const TTask* task, u32 working)
{
    if (TAICommonUnit* unit = task ? task->GetUnit() : nullptr)
        unit->m_nWorking = working;
}

} // namespace GateSteps
