#include "morvane/ui/tasklist.h"

#include "morvane/game/gate.h"
#include "morvane/game/task.h"

#include <algorithm>

bool TTaskList::IsOverdue(const TTask& task)
{
    return task.m_nStarted && !task.m_nArrived && !task.m_nWorking && task.m_fCountdown < 0.0f;
}

i32 TTaskList::Rebuild(const DArray<TGate*>& gates, f32 step)
{
    const bool wasAlert = m_bAlert;
    m_aTask.clear();
    m_bAlert = false;
    bool selectedFound = false;
    for (i32 g = 0; g < gates.GetCount(); ++g)
    {
        const TGate* gate = gates[g];
        if (!gate)
            continue;
        for (u32 t = 0; t < gate->aGateTask.GetCount(); ++t)
        {
            TTask* task = gate->aGateTask[t];
            if (!task || !task->m_nCountdownStarted)
                continue;
            m_aTask.push_back(task);
            selectedFound = selectedFound || task == m_pSelected;
            m_bAlert = m_bAlert || IsOverdue(*task);
        }
    }
    if (!selectedFound)
        m_pSelected = nullptr;

    auto byKey = [](auto key) {
        return [key](const TTask* a, const TTask* b) {
            const i32 ka = key(a), kb = key(b);
            return ka != kb ? ka < kb : TTask::SortLess(a, b);
        };
    };
    if (m_nSort == TASK_SORT_GATE)
        std::stable_sort(m_aTask.begin(), m_aTask.end(), byKey([](const TTask* t) { return t->GetGateId(); }));
    else if (m_nSort == TASK_SORT_TYPE)
        std::stable_sort(m_aTask.begin(), m_aTask.end(), byKey([](const TTask* t) { return t->m_nType; }));
    else
        std::stable_sort(m_aTask.begin(), m_aTask.end(), TTask::SortLess);

    m_bAlertNew = m_bAlert && !wasAlert;
    if (m_bAlert)
        m_fSinceAlert = 0.0f;
    else
        m_fSinceAlert += step;
    return GetCount();
}

i32 TTaskList::IndexOf(const TTask* task) const
{
    const auto found = std::find(m_aTask.begin(), m_aTask.end(), task);
    return found == m_aTask.end() ? -1 : static_cast<i32>(found - m_aTask.begin());
}
