#include "igame/damage/damagemanager.h"

#include "core/cluster/cluster.h"
#include "core/stream/stream.h"
#include "core/system/criticalsection.h"
#include "core/system/log.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/prop.h"
#include "engine/system/propmanager.h"
#include "engine/system/statemanager.h"
#include "ifx/particlemanager.h"
#include "igame/damage/particlelink.h"
#include "igame/damage/propvalues.h"

#include <algorithm>
#include <cmath>

TDamageManager* g_pDamageManager = nullptr;

namespace
{
TDamageManager s_Manager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Damage", "Damage", &g_pDamageManager, &s_Manager);

const TName g_NameHealth("health", true);

// Guards the posted events: held only while appending and while taking them.
TCriticalSection& DamageLock()
{
    static TCriticalSection s_Lock;
    return s_Lock;
}

struct TDamageLock
{
    TDamageLock() { DamageLock().Enter(); }
    ~TDamageLock() { DamageLock().Leave(); }
};

// One of the two parts of a record: direct at distance 0, the flat splash inside the radius.
f32 PartOf(f32 distance, f32 directFactor, f32 directAmount, f32 splashFactor, f32 splashAmount, f32 falloff,
           f32 radius)
{
    if (distance == 0.0f)
        return directFactor * directAmount;
    if (distance < radius)
        return (1.0f - falloff) * splashFactor * splashAmount;
    return 0.0f;
}
} // namespace

TDamageManager::TDamageManager()
{
    // Events are fixed-rate work: update worker list 1 (inline without workers).
    m_nWorker = 1;
    DamageLock();
    if (g_pCluster)
        RegisterArray(&DamageActorDecl(), &m_aActor);
}

void TDamageManager::BeginManager()
{
    g_pCluster->AddListener(this);
    if (g_pStateManager)
        g_pStateManager->RegisterStateObject(this);
}

void TDamageManager::AddDamage(const TDamageRecord& damage, const TVector& position, u32 hitNodeName)
{
    TDamageLock lock;
    if (m_aPosted.GetCount() < DAMAGE_EVENT_CAPACITY)
        m_aPosted.Add({damage, {position.x, position.y, position.z, position.w}, hitNodeName});
}

u32 TDamageManager::GetPostedCount()
{
    TDamageLock lock;
    return m_aPosted.GetCount();
}

void TDamageManager::ThreadUpdateManager(f32 step)
{
    u32 count;
    {
        TDamageLock lock;
        count = m_aPosted.GetCount();
        if (count == 0)
            return;
        m_aWorking.SetCount(count);
        std::copy(m_aPosted.GetData(), m_aPosted.GetData() + count, m_aWorking.GetData());
        m_aPosted.SetCount(0);
    }
    m_nProcessing = 1;
    ApplyEvents(count);
    m_nProcessing = 0;
}

void TDamageManager::ApplyEvents(u32 count)
{
    for (i32 a = 0; a < m_aActor.GetCount(); ++a)
    {
        TDamageActor* actor = m_aActor[a];
        for (u32 e = 0; e < count; ++e)
        {
            if (!actor->pNode || !actor->pNode->IsEnabled() || actor->health == 0.0f)
                break;
            const f32 damage = DamageOf(*actor, m_aWorking[e]);
            if (damage > 0.0f)
            {
                ++actor->hitCount;
                SetHealth(actor, 1, 0, actor->health - damage);
            }
        }
    }
}

f32 TDamageManager::DamageOf(const TDamageActor& actor, const TDamageEvent& event)
{
    const TVector& at = actor.pNode->GetWorldMatrix()->Translation();
    const f32 dx = event.aPosition[0] - at.x, dy = event.aPosition[1] - at.y, dz = event.aPosition[2] - at.z;
    f32 distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (actor.aImpactNode.GetCount() > 0 && actor.IsImpactNode(event.nHitNode))
        distance = 0.0f;
    const TDamageRecord& d = event.Damage;
    return PartOf(distance, actor.directFactor1, d.directAmount1, actor.splashFactor1, d.splashAmount1,
                  actor.falloff1, d.radius1) +
           PartOf(distance, actor.directFactor2, d.directAmount2, actor.splashFactor2, d.splashAmount2,
                  actor.falloff2, d.radius2);
}

i32 TDamageManager::StateForRatio(const TDamageActor& actor, f32 ratio)
{
    const i32 count = static_cast<i32>(actor.GetStateCount());
    if (ratio >= 1.0f || count == 0)
        return 0;
    if (ratio <= 0.0f)
        return count - 1;
    const i32 thresholds = std::min(count, static_cast<i32>(actor.aThreshold.GetCount()));
    for (i32 i = 0; i < thresholds; ++i)
        if (ratio >= actor.aThreshold[static_cast<u32>(i)])
            return i;
    return count - 1;
}

void TDamageManager::SetHealth(TDamageActor* actor, u32 skipEffects, u32 force, f32 value)
{
    f32 health = std::clamp(value, 0.0f, actor->maxHealth);
    if (!(health >= DAMAGE_HEALTH_EPSILON))
        health = 0.0f;
    actor->health = health;
    const f32 ratio = health / actor->maxHealth;
    SetState(actor, StateForRatio(*actor, ratio), skipEffects, force);
    if (actor->pProp)
        WriteHealth(actor->pProp, ratio);
}

void TDamageManager::SetState(TDamageActor* actor, i32 state, u32 skipEffects, u32 force)
{
    if (state < 0 || (!force && state == actor->state))
        return;
    if (m_nProcessing)
    {
        actor->pendingState = state;
        return;
    }
    actor->pendingState = -1;
    actor->state = state;
    TParticleManager* particles = skipEffects ? nullptr : FindParticleManager();
    if (particles)
        particles->Suspend(0, 0);
    ShowState(actor, state);
    if (particles)
        particles->Suspend(1, 0);
}

void TDamageManager::ShowState(TDamageActor* actor, i32 state)
{
    const u32 shown = static_cast<u32>(state);
    for (u32 i = 0; i < actor->aNode.GetCount(); ++i)
        if (i != shown)
        {
            if (actor->aNode[i])
                actor->aNode[i]->Enable(0, 0);
            if (i < actor->aNode1.GetCount() && actor->aNode1[i])
                actor->aNode1[i]->Enable(0, 0);
        }
    if (shown < actor->aNode.GetCount() && actor->aNode[shown])
        actor->aNode[shown]->Enable(1, 0);
    if (shown < actor->aNode1.GetCount() && actor->aNode1[shown])
        actor->aNode1[shown]->Enable(1, 0);
}

void TDamageManager::ResetActor(TDamageActor* actor)
{
    actor->health = actor->maxHealth;
    actor->state = -1;
    if (m_nProcessing)
        actor->pendingState = 0;
    else
    {
        actor->pendingState = -1;
        actor->state = 0;
        ShowState(actor, 0);
    }
    if (actor->pProp)
        WriteHealth(actor->pProp, 1.0f);
}

void TDamageManager::TakePropHealth(TDamageActor* actor, u32 skipEffects)
{
    const f32* ratio = actor->pProp ? TPropValues::Get().Find(actor->pProp, g_NameHealth.GetId()) : nullptr;
    if (ratio)
        SetHealth(actor, skipEffects, 1, actor->maxHealth * *ratio);
    else
        ResetActor(actor);
}

void TDamageManager::WriteHealth(TProp* prop, f32 ratio)
{
    if (m_nProcessing)
    {
        TDamageLock lock;
        m_aPendingHealth.push_back({prop, ratio});
    }
    else
        TPropValues::Get().Set(prop, g_NameHealth.GetId(), ratio);
}

void TDamageManager::WritePendingHealth()
{
    std::vector<TPendingHealth> pending;
    {
        TDamageLock lock;
        pending.swap(m_aPendingHealth);
    }
    for (const TPendingHealth& entry : pending)
        TPropValues::Get().Set(entry.pProp, g_NameHealth.GetId(), entry.fRatio);
}

void TDamageManager::UpdateManager(f32 step)
{
    WritePendingHealth();
    for (i32 i = 0; i < m_aActor.GetCount(); ++i)
        SetState(m_aActor[i], m_aActor[i]->pendingState, 1, 0);
}

void TDamageManager::CheckActors()
{
    for (i32 i = 0; i < m_aActor.GetCount(); ++i)
    {
        TDamageActor* actor = m_aActor[i];
        const char* node = actor->pNode ? actor->pNode->m_Name.GetText() : "";
        auto cut = [&](auto& array, const char* name) {
            if (array.GetCount() <= DAMAGE_STATE_CAPACITY)
                return;
            TLog::Print(g_pSystemLog, LOG_ERROR, "TDamageManager::CheckActors(): error: ",
                        "damage actor '%s': %u %s cut to %u", node, array.GetCount(), name, DAMAGE_STATE_CAPACITY);
            array.SetCount(DAMAGE_STATE_CAPACITY);
        };
        cut(actor->aNode, "states");
        cut(actor->aNode1, "second nodes");
        cut(actor->aThreshold, "thresholds");
        cut(actor->aImpactNode, "impact nodes");
        if (!(actor->maxHealth > 0.0f) || std::isinf(actor->maxHealth))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "TDamageManager::CheckActors(): error: ",
                        "damage actor '%s': maximum health %g taken as %g", node, actor->maxHealth,
                        DAMAGE_DEFAULT_HEALTH);
            actor->maxHealth = DAMAGE_DEFAULT_HEALTH;
            actor->health = std::min(actor->health, actor->maxHealth);
        }
    }
}

void TDamageManager::OnClusterLoad()
{
    CheckActors();
}

void TDamageManager::OnClusterUnload()
{
    {
        TDamageLock lock;
        m_aPosted.SetCount(0);
        m_aPendingHealth.clear();
    }
    TPropValues::Get().Clear();
}

i32 TDamageManager::SaveState(u32 pass, TStream& stream)
{
    if (pass != DAMAGE_STATE_PASS || !g_pPropManager)
        return 0;
    WritePendingHealth();
    DArray<TProp*>& props = g_pPropManager->Props();
    for (i32 i = 0; i < props.GetCount(); ++i)
    {
        const f32* health = TPropValues::Get().Find(props[i], g_NameHealth.GetId());
        const f32 value = health ? *health : 1.0f;
        if (stream.Write(&value, sizeof value) != sizeof value)
            return 1;
    }
    return 0;
}

i32 TDamageManager::LoadState(u32 pass, TStream& stream)
{
    if (pass != DAMAGE_STATE_PASS || !g_pPropManager)
        return 0;
    DArray<TProp*>& props = g_pPropManager->Props();
    std::vector<f32> values(static_cast<size_t>(props.GetCount()));
    const i32 bytes = static_cast<i32>(values.size() * sizeof(f32));
    if (bytes > 0 && stream.Read(values.data(), bytes) != bytes)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TDamageManager::LoadState(): error: ",
                    "the state image ends before the health of its %d props", props.GetCount());
        return 1;
    }
    {
        TDamageLock lock;
        m_aPendingHealth.clear();
    }
    for (i32 i = 0; i < props.GetCount(); ++i)
        TPropValues::Get().Set(props[i], g_NameHealth.GetId(), values[static_cast<size_t>(i)]);
    for (i32 i = 0; i < m_aActor.GetCount(); ++i)
    {
        TDamageActor* actor = m_aActor[i];
        actor->pProp = actor->FindProp();
        TakePropHealth(actor, 0);
    }
    return 0;
}
