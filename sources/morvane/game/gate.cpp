#include "morvane/game/gate.h"

#include "morvane/game/aicommonunit.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/task.h"

#include <cstring>

namespace
{
// The service whose second leg is bought with it.
i32 PairedTask(i32 type)
{
    switch (type)
    {
    case gtDeployLuggage:
        return gtLuggageToGate;
    case gtDeployBus:
        return gtBusToGate;
    default:
        return -1;
    }
}

void RaiseLevel(TTask* task)
{
    if (task && task->pAIUnit && task->pAIUnit->m_nAILevel < UNIT_AI_LEVEL_MAX)
        ++task->pAIUnit->m_nAILevel;
}
} // namespace

TGate::TGate()
{
    std::memset(static_cast<void*>(this), 0, sizeof *this);
    m_nBusFlag = GATE_FLAG_NOT_DRAWN;
    m_nSecondFlag = GATE_FLAG_NOT_DRAWN;
}

void TGate::Update(f32 dt)
{
    for (u32 i = 0; i < aGateTask.GetCount(); ++i)
        if (aGateTask[i])
            aGateTask[i]->Update(dt);
}

TTask* TGate::FindTask(i32 type) const
{
    for (u32 i = 0; i < aGateTask.GetCount(); ++i)
        if (aGateTask[i] && aGateTask[i]->m_nType == type)
            return aGateTask[i];
    return nullptr;
}

TTask* TGate::GetServiceTask(i32 kind) const
{
    const i32 type = GetServiceTaskType(kind);
    return type < 0 ? nullptr : FindTask(type);
}

void TGate::LevelUpService(i32 type)
{
    TTask* task = FindTask(type);
    // The top level is not sold again.
    if (task && task->pAIUnit && task->GetAILevel() < UNIT_AI_LEVEL_MAX)
    {
        RaiseLevel(task);
        RaiseLevel(FindTask(PairedTask(type)));
        g_pGameLogicManager->AddMoney(-task->GetCurrentLevelPrice());
    }
    g_pGameLogicManager->CheckGameCompleted();
}
