#include "morvane/ui/gamevehicletasksource.h"

#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/task.h"

namespace
{
// The task the player drives now, or null.
const TTask* DrivenTask()
{
    return g_pGameLogicManager ? g_pGameLogicManager->GetParameters().pActiveTask : nullptr;
}
} // namespace

bool TGameVehicleTaskSource::GetTaskType(i32& type)
{
    const TTask* task = DrivenTask();
    if (!task)
        return false;
    type = task->m_nType;
    return true;
}

bool TGameVehicleTaskSource::GetGateValues(f32& distance, f32& angle)
{
    const TTask* task = DrivenTask();
    const TGate* gate = task ? g_pGameLogicManager->FindGate(task->GetGateId()) : nullptr;
    if (!gate)
        return false;
    distance = gate->GetDockingOffset();
    angle = gate->GetDockingAngle();
    return true;
}
