#include "morvane/game/task.h"

#include "core/math/random.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/node.h"
#include "engine/system/prop.h"
#include "igame/vehicles/vehicle.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/taskarea.h"
#include "xaudio2/randomindex.h"

#include <cmath>

namespace
{
TDeferredVariable s_AutoStartAITask("game_autostartaitask");

// Another unit in the way of a unit that is not in the scene yet.
bool IsCrowded(const TAICommonUnit& unit)
{
    const TVector here = unit.GetPosition();
    DArray<TAICommonUnit*>& units = g_pGameLogicManager->Units();
    for (i32 i = 0; i < units.GetCount(); ++i)
    {
        const TAICommonUnit& other = *units[i];
        if (&other != &unit && other.pBody && !other.IsBusy() && other.pProp != unit.pProp &&
            PointDistance(other.GetPosition(), here) < TASK_START_SPACING)
            return true;
    }
    return false;
}
} // namespace

void TTask::Update(f32 dt)
{
    if (!m_nStarted)
    {
        if (m_nCountdownStarted)
            RunCountdown(dt);
        return;
    }
    if (m_nWorking)
    {
        TAICommonUnit* unit = GetUnit();
        bool runs = true;
        if (pTaskArea && unit)
        {
            runs = m_nAI || IsInArea(*unit, TASK_WORK_MARGIN);
            unit->m_nWorking = runs ? 1 : 0;
        }
        if (runs)
            m_fWorkTimer -= dt;
        if (m_fWorkTimer < 0.0f)
        {
            m_fWorkTimer = 0.0f;
            if (unit)
            {
                unit->m_nWorking = 0;
                if (m_nAI)
                    unit->SetHold(0);
            }
            FinishWork();
        }
        return;
    }
    if (m_nArrived)
        return;
    RunCountdown(dt);
    if (!pTaskArea || m_nNoArrival)
        return;
    TAICommonUnit* unit = GetUnit();
    if (!unit || !IsInArea(*unit, 0.0f))
        return;
    if (m_nAI)
    {
        unit->SetHold(1);
        ReachArea();
    }
    // A reversing vehicle moves as much as a driving one.
    else if (unit->pVehicle && std::fabs(unit->pVehicle->GetSpeed()) < TASK_ARRIVAL_SPEED)
        ReachArea();
}

void TTask::Start()
{
    m_nAI = pAIUnit && pAIUnit->m_nAILevel > 0 ? 1 : 0;
    if (!m_nCountdownStarted)
    {
        m_nCountdownStarted = 1;
        m_fCountdown = m_fDeadline;
    }
    if (m_nAI)
    {
        if (s_AutoStartAITask.GetValue().ToInt() == 0 && !m_nStartRequest)
        {
            pAIUnit->SetHold(1);
            pAIUnit->m_nWaitingForStart = 1;
            return;
        }
        if (pAIUnit->pProp && !pAIUnit->pProp->pPropData && IsCrowded(*pAIUnit))
            return;
    }
    m_nStarted = 1;
    if (!m_nAI)
    {
        if (pPlayerVehicle)
            pPlayerVehicle->pTask = this;
        m_nStartRequest = 0;
        return;
    }
    pAIUnit->pTask = this;
    if (!pAIUnit->m_nDriving)
        pAIUnit->SetPath(m_nPathSelector == 0 ? pAIUnit->m_nFirstPath : pAIUnit->m_nSecondPath);
    pAIUnit->SetHold(0);
    pAIUnit->m_nWaitingForStart = 0;
    m_nStartRequest = 0;
}

void TTask::ReachArea()
{
    m_nTakenOver = 0;
    m_nArrived = 1;
    if (m_fCountdown > 0.0f)
        g_pGameLogicManager->AddMoney(static_cast<i32>(m_fCountdown * TASK_PAY_PER_SECOND));
    LeaveActive();
}

void TTask::BeginWork()
{
    const i32 extraMinutes = static_cast<i32>(std::floor(m_fExtraWorkTime / TASK_EXTRA_WORK_STEP));
    m_fWorkTime = m_fBaseWorkTime + TASK_EXTRA_WORK_STEP * static_cast<f32>(RandomIndex(TRandom::Shared(), &extraMinutes));
    m_fWorkTimer = m_fWorkTime;
    m_nWorking = 1;
}

void TTask::FinishWork()
{
    m_nWorking = 0;
    m_nDone = 1;
    m_nCountdownStarted = 0;
    LeaveActive();
}

void TTask::Reset()
{
    if (!m_nStarted)
        return;
    if (pAIUnit)
    {
        pAIUnit->Stop(1);
        if (pAIUnit->pProp)
            pAIUnit->pProp->SetActive(0);
    }
    m_nStarted = m_nTakenOver = m_nArrived = m_nWorking = m_nDone = 0;
    m_nCountdownStarted = 0;
    Start();
    g_pGameLogicManager->AddMoney(-TASK_RESET_COST);
    g_pGameLogicManager->SwitchToTowerCamera();
}

i32 TTask::GetAILevel() const
{
    return pAIUnit ? pAIUnit->m_nAILevel : 0;
}

i32 TTask::GetCurrentLevelPrice() const
{
    const i32 level = GetAILevel();
    return level >= 1 && level <= UNIT_AI_LEVEL_MAX ? pAIUnit->aPrice[level - 1] : 0;
}

i32 TTask::GetNextLevelPrice() const
{
    const i32 level = GetAILevel();
    return pAIUnit && level >= 0 && level < UNIT_AI_LEVEL_MAX ? pAIUnit->aPrice[level] : 0;
}

TAICommonUnit* TTask::GetUnit() const
{
    return m_nAI ? pAIUnit : pPlayerVehicle;
}

i32 TTask::GetGateId() const
{
    return pGate ? pGate->m_nId : 0;
}

bool TTask::SortLess(const TTask* a, const TTask* b)
{
    if (a->m_nCountdownStarted != b->m_nCountdownStarted)
        return a->m_nCountdownStarted != 0;
    if (!a->m_nCountdownStarted)
        return a->GetGateId() < b->GetGateId();
    const bool aWorking = a->IsWorking();
    const bool bWorking = b->IsWorking();
    if (aWorking != bWorking)
        return aWorking;
    if (aWorking)
        return a->m_fWorkTimer < b->m_fWorkTimer;
    return a->m_fCountdown < b->m_fCountdown;
}

void TTask::RunCountdown(f32 dt)
{
    const f32 before = m_fCountdown;
    m_fCountdown -= dt;
    if (before < 0.0f && std::trunc(before) != std::trunc(m_fCountdown))
        g_pGameLogicManager->AddMoney(-1);
}

bool TTask::IsInArea(const TAICommonUnit& unit, f32 margin) const
{
    return PointDistance(unit.GetPosition(), pTaskArea->Position) <= pTaskArea->fRadius + margin;
}

void TTask::LeaveActive()
{
    if (g_pGameLogicManager->GetParameters().pActiveTask == this)
        g_pGameLogicManager->SwitchToTowerCamera();
}
