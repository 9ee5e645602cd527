#pragma once
// TDamageManager ("Damage"): damage events posted from any thread under the damage lock (at most
// 1,024 a frame, more are dropped) and applied once per fixed-rate update to every actor, by
// distance (splash) or by a hit on one of its impact nodes (direct). While events are applied,
// node switching and the props' "health" values wait for the main thread's UpdateManager: the
// worker must not touch what the main thread reads. The props' health values are what a state
// image carries (pass 3).
#include "core/cluster/clustermethods.h"
#include "core/math/vector.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "engine/system/manager.h"
#include "engine/system/statemethods.h"
#include "igame/damage/damageactor.h"

#include <atomic>
#include <vector>

constexpr u32 DAMAGE_EVENT_CAPACITY = 1024;
// The state pass that carries the health values.
constexpr u32 DAMAGE_STATE_PASS = 3;
// Health below this is none.
constexpr f32 DAMAGE_HEALTH_EPSILON = 0.1f;

// What a hit does: a direct and a splash amount with its radius, twice.
struct TDamageRecord
{
    f32 directAmount1;
    f32 splashAmount1;
    f32 radius1;
    f32 directAmount2;
    f32 splashAmount2;
    f32 radius2;
};

static_assert(sizeof(TDamageRecord) == 24);

struct TDamageEvent
{
    TDamageRecord Damage;
    f32 aPosition[4];
    // The name id of the node hit; 0 for none.
    u32 nHitNode;
};

static_assert(sizeof(TDamageEvent) == 44);
static_assert(offsetof(TDamageEvent, aPosition) == 24 && offsetof(TDamageEvent, nHitNode) == 40);

class TDamageManager : public TManager, public TClusterMethods, public TStateMethods
{
public:
    TDamageManager();

    void BeginManager() override;
    void ThreadUpdateManager(f32 step) override;
    void UpdateManager(f32 step) override;
    void OnClusterLoad() override;
    void OnClusterUnload() override;
    i32 SaveState(u32 pass, TStream& stream) override;
    i32 LoadState(u32 pass, TStream& stream) override;

    // Any thread. Dropped once 1,024 events wait for the next update.
    void AddDamage(const TDamageRecord& damage, const TVector& position, u32 hitNodeName);
    u32 GetPostedCount();

    void SetHealth(TDamageActor* actor, u32 skipEffects, u32 force, f32 value);
    void SetState(TDamageActor* actor, i32 state, u32 skipEffects, u32 force);
    // Full health in state 0.
    void ResetActor(TDamageActor* actor);
    // The actor's health from its prop's "health" value, or a reset when the prop has none.
    void TakePropHealth(TDamageActor* actor, u32 skipEffects);
    // The state a health ratio selects.
    static i32 StateForRatio(const TDamageActor& actor, f32 ratio);
    // The damage an event does to the actor (0 when out of reach).
    static f32 DamageOf(const TDamageActor& actor, const TDamageEvent& event);

    u32 IsProcessing() const { return m_nProcessing; }
    DArray<TDamageActor*>& Actors() { return m_aActor; }

private:
    void ApplyEvents(u32 count);
    // The prop's "health" value now, or at the next main-thread update while events are applied.
    void WriteHealth(TProp* prop, f32 ratio);
    void WritePendingHealth();
    void ShowState(TDamageActor* actor, i32 state);
    // Counts above the arrays and health limits that are no positive number, cut with a line.
    void CheckActors();

    SArray<TDamageEvent, DAMAGE_EVENT_CAPACITY, 0> m_aPosted;
    SArray<TDamageEvent, DAMAGE_EVENT_CAPACITY, 0> m_aWorking;
    DArray<TDamageActor*> m_aActor;
    struct TPendingHealth
    {
        TProp* pProp;
        f32 fRatio;
    };
    // Under the damage lock.
    std::vector<TPendingHealth> m_aPendingHealth;
    // Set by the update worker while it applies events; the main thread reads it.
    std::atomic<u32> m_nProcessing{0};
};

extern TDamageManager* g_pDamageManager;
