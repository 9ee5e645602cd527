#include "morvane/game/crossroadarea.h"

#include "core/system/log.h"
#include "engine/system/node.h"
#include "engine/system/prop.h"
#include "morvane/game/aicommonunit.h"

#include <cmath>

namespace
{
bool IsFree(const TAICommonUnit& unit)
{
    return !unit.IsBusy() && !unit.m_nWorking && !unit.m_nWaitingForStart;
}

f32 Distance(const TCrossroadArea& area, const TVector& point)
{
    const f32 dx = point.x - area.fX, dy = point.y - area.fY, dz = point.z - area.fZ;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}
} // namespace

void TCrossroadArea::Update(const DArray<TAICommonUnit*>& units, f32 dt)
{
    for (i32 i = 0; i < units.GetCount(); ++i)
    {
        TAICommonUnit* unit = units[i];
        if (!IsFree(*unit) || Distance(*this, unit->GetFrontPoint()) > fRadius || IsQueued(unit))
            continue;
        if (aAIUnit.GetCount() >= CROSSROAD_QUEUE_CAPACITY)
        {
            // No place left: the unit waits outside until one frees.
            if (!unit->m_nHold)
                TLog::Print(g_pSystemLog, LOG_ERROR, "TCrossroadArea::Update(): error: ",
                            "unit '%s': the crossroad's queue of %u is full: it waits outside",
                            unit->pProp ? unit->pProp->GetNode()->m_Name.GetPrintText() : "", CROSSROAD_QUEUE_CAPACITY);
            unit->SetHold(1);
            continue;
        }
        aAIUnit.Add(unit);
        unit->m_fCrossroadWait = 0.0f;
        // The only unit drives through (also one that waited outside a full queue).
        unit->SetHold(aAIUnit.GetCount() > 1 ? 1 : 0);
    }
    if (aAIUnit.GetCount() == 0)
        return;
    for (u32 i = 0; i < aAIUnit.GetCount(); ++i)
        aAIUnit[i]->m_fCrossroadWait += dt;
    TAICommonUnit* head = aAIUnit[0];
    const bool gone = Distance(*this, head->GetFrontPoint()) > fRadius && Distance(*this, head->GetPosition()) > fRadius;
    if (!gone && head->m_nWorking == 0 && head->m_nWaitingForStart == 0 &&
        head->m_fCrossroadWait <= CROSSROAD_GIVE_UP)
        return;
    if (!head->m_nWorking && !head->m_nWaitingForStart)
        head->SetHold(0);
    for (u32 i = 1; i < aAIUnit.GetCount(); ++i)
        aAIUnit[i - 1] = aAIUnit[i];
    aAIUnit.SetCount(aAIUnit.GetCount() - 1);
    if (aAIUnit.GetCount() > 0 && !aAIUnit[0]->m_nWorking && !aAIUnit[0]->m_nWaitingForStart)
        aAIUnit[0]->SetHold(0);
}

bool TCrossroadArea::IsQueued(const TAICommonUnit* unit) const
{
    for (u32 i = 0; i < aAIUnit.GetCount(); ++i)
        if (aAIUnit[i] == unit)
            return true;
    return false;
}
