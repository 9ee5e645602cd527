#pragma once
// TTaskList: the gate tasks the in-game task panel lists, rebuilt every frame: every task whose
// deadline countdown has started, sorted by gate, by type or by urgency; whether one is overdue,
// and when that began (one alert per overdue episode); the task the player selected, kept while
// it is listed.
#include "core/system/templates/darray.h"

#include <vector>

class TGate;
class TTask;

enum ETaskSort : u32
{
    TASK_SORT_GATE,
    TASK_SORT_TYPE,
    TASK_SORT_URGENCY
};

class TTaskList
{
public:
    // Started, not arrived at its area, not working, its deadline passed.
    static bool IsOverdue(const TTask& task);

    // Lists the gates' issued tasks in the sort order; the selected task is forgotten when it is
    // listed no more; the frame's time counts since the last alert. Returns the count.
    i32 Rebuild(const DArray<TGate*>& gates, f32 step);

    i32 GetCount() const { return static_cast<i32>(m_aTask.size()); }
    TTask* Get(i32 index) const { return index >= 0 && index < GetCount() ? m_aTask[index] : nullptr; }
    // The task's row, -1 when it is not listed.
    i32 IndexOf(const TTask* task) const;

    // True in the rebuild at which an overdue episode began (the alert sounds then).
    bool IsAlertNew() const { return m_bAlertNew; }
    bool IsAlert() const { return m_bAlert; }
    f32 GetTimeSinceAlert() const { return m_fSinceAlert; }

    u32 m_nSort = TASK_SORT_URGENCY;
    TTask* m_pSelected = nullptr;

private:
    std::vector<TTask*> m_aTask;
    bool m_bAlert = false;
    bool m_bAlertNew = false;
    f32 m_fSinceAlert = 0.0f;
};
