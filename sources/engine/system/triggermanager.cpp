#include "engine/system/triggermanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/scenetypes.h"
#include "engine/system/script.h"
#include "engine/system/scriptargument.h"
#include "engine/system/statemanager.h"
#include "engine/system/triggeractor.h"
#include "engine/system/triggergeometry.h"
#include "engine/system/triggergeometrylink.h"

TTriggerManager* g_pTriggerManager = nullptr;

namespace
{
TTriggerManager s_TriggerManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Trigger", "Trigger", &g_pTriggerManager, &s_TriggerManager);

// The state passes between which no trigger fires.
constexpr u32 STATE_FIRST_PASS = 0;
constexpr u32 STATE_LAST_PASS = 4;

constexpr f32 TRIGGER_MINIMUM_MOVE = 1e-5f;

void RunScript(TScript* script, TTriggerActor* actor, TTriggerGeometry* geometry)
{
    if (!script)
        return;
    script->SetArgument(0, ScriptObjectArgument(actor));
    script->SetArgument(1, ScriptObjectArgument(geometry));
    script->Run(nullptr);
}

TVector NodePosition(TNodeObject* object)
{
    const TVector& at = object->GetMatrix()->aRow[3];
    return TVector(at.x, at.y, at.z, 1.0f);
}
} // namespace

TTriggerManager::TTriggerManager() : m_nEnabled(1)
{
    if (!g_pCluster)
        return;
    RegisterArray(&TriggerGeometryDecl(), &m_aGeometry);
    RegisterArray(&TriggerGeometryLinkDecl(), &m_aLink);
    RegisterArray(&TriggerActorDecl(), &m_aActor);
    // Loaded links are checked whether or not the manager has begun.
    g_pCluster->AddListener(this);
}

void TTriggerManager::BeginManager()
{
    g_pStateManager->RegisterStateObject(this);
}

void TTriggerManager::OnClusterLoad()
{
    for (i32 i = 0; i < m_aLink.GetCount(); ++i)
    {
        TTriggerGeometry*& geometry = m_aLink[i]->pGeometry;
        if (!geometry)
            continue;
        i32 g = 0;
        while (g < m_aGeometry.GetCount() && m_aGeometry[g] != geometry)
            ++g;
        if (g == m_aGeometry.GetCount())
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "TTriggerManager::OnClusterLoad(): error: ",
                        "trigger link %d does not name a trigger volume: cut", i);
            geometry = nullptr;
        }
    }
}

i32 TTriggerManager::SaveState(u32, TStream&)
{
    return 0;
}

i32 TTriggerManager::LoadState(u32 pass, TStream&)
{
    if (pass == STATE_FIRST_PASS)
        m_nEnabled = 0;
    else if (pass == STATE_LAST_PASS)
        m_nEnabled = 1;
    return 0;
}

void TTriggerManager::Enter(TTriggerActor* actor, TTriggerGeometry* geometry)
{
    geometry->OnEnter(actor);
    RunScript(actor->pScriptOnEnter, actor, geometry);
    RunScript(geometry->pScriptOnEnter, actor, geometry);
}

void TTriggerManager::Exit(TTriggerActor* actor, TTriggerGeometry* geometry)
{
    geometry->OnExit(actor);
    RunScript(actor->pScriptOnExit, actor, geometry);
    RunScript(geometry->pScriptOnExit, actor, geometry);
}

void TTriggerManager::_TestActor(TTriggerActor* actor, const TVector& position)
{
    actor->m_Position = position;
    const u32 bit = actor->GetBit();
    if (!bit || !actor->GetNode()->IsEnabled())
        return;
    for (i32 i = 0; i < m_aLink.GetCount(); ++i)
    {
        TTriggerGeometry* geometry = m_aLink[i]->pGeometry;
        if (!geometry || !geometry->GetNode()->IsEnabled())
            continue;
        const bool was = (geometry->m_nInsideMask & bit) != 0;
        const bool in = geometry->Contains(position);
        if (was && !in)
        {
            geometry->m_nInsideMask &= ~bit;
            Exit(actor, geometry);
        }
        else if (in && !was)
        {
            geometry->m_nInsideMask |= bit;
            Enter(actor, geometry);
        }
    }
}

void TTriggerManager::_TestMovedActor(TTriggerActor* actor, const TVector& position)
{
    const TVector from = actor->m_Position;
    actor->m_Position = position;
    const u32 bit = actor->GetBit();
    if (!m_nEnabled || !bit || !actor->GetNode()->IsEnabled() ||
        TVector::Subtract(position, from).Length() < TRIGGER_MINIMUM_MOVE)
        return;
    for (i32 i = 0; i < m_aLink.GetCount(); ++i)
    {
        TTriggerGeometry* geometry = m_aLink[i]->pGeometry;
        if (!geometry || !geometry->GetNode()->IsEnabled())
            continue;
        switch (geometry->SweptTest(from, position))
        {
        case TRIGGER_ENTERED:
            geometry->m_nInsideMask |= bit;
            Enter(actor, geometry);
            break;
        case TRIGGER_LEFT:
            geometry->m_nInsideMask &= ~bit;
            Exit(actor, geometry);
            break;
        case TRIGGER_PASSED:
            geometry->OnEnter(actor);
            geometry->OnExit(actor);
            RunScript(actor->pScriptOnEnter, actor, geometry);
            RunScript(geometry->pScriptOnEnter, actor, geometry);
            RunScript(actor->pScriptOnExit, actor, geometry);
            RunScript(geometry->pScriptOnExit, actor, geometry);
            break;
        default:
            break;
        }
    }
}

void TTriggerManager::OnGeometryMoved(TTriggerGeometry* geometry)
{
    if (!m_nEnabled || !geometry->GetNode()->IsEnabled() || m_aActor.GetCount() == 0)
        return;
    for (i32 i = 0; i < m_aActor.GetCount(); ++i)
        _TestActor(m_aActor[i], NodePosition(m_aActor[i]));
}
