#pragma once
// TDamageActor (stored type 100, 140 bytes): a damageable scene object. Its health falls by the
// damage events the manager applies; each of up to four damage states shows one pair of nodes
// (aNode, optional aNode1), chosen by the health ratio against the states' thresholds. The
// health is mirrored into the "health" value of the prop above its node.
#include "core/system/templates/sarray.h"
#include "engine/system/nodeobject.h"

#include <cstddef>

class TClusterTypeDecl;
class TNode;
class TProp;

constexpr u16 DAMAGE_ACTOR_TYPE_ID = 100;
constexpr u32 DAMAGE_STATE_CAPACITY = 4;
constexpr f32 DAMAGE_DEFAULT_HEALTH = 100.0f;

class TDamageActor : public TNodeObject
{
public:
    TDamageActor();

    // Switched on: links the actor to the prop above it and takes the prop's health.
    void OnEnable(u32 enabled) override;
    // The first prop attached to the node or to one of its ancestors; null when none.
    TProp* FindProp() const;
    u32 GetStateCount() const { return aNode.GetCount(); }
    // 1 when the hit node is one of the impact nodes.
    u32 IsImpactNode(u32 nodeNameId) const;

    TProp* pProp;
    f32 maxHealth;
    f32 directFactor1;
    f32 splashFactor1;
    f32 falloff1;
    f32 directFactor2;
    f32 splashFactor2;
    f32 falloff2;
    SArray<TNode*, DAMAGE_STATE_CAPACITY, 0> aNode;
    SArray<TNode*, DAMAGE_STATE_CAPACITY, 0> aNode1;
    SArray<f32, DAMAGE_STATE_CAPACITY, 0> aThreshold;
    SArray<TNode*, DAMAGE_STATE_CAPACITY, 0> aImpactNode;
    f32 health;
    i32 state;
    i32 pendingState;
    u32 hitCount;
};

static_assert(sizeof(TDamageActor) == 140);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TDamageActor, pNode) == 4);
static_assert(offsetof(TDamageActor, m_nClassName) == 8);
static_assert(offsetof(TDamageActor, pProp) == 12);
static_assert(offsetof(TDamageActor, maxHealth) == 16);
static_assert(offsetof(TDamageActor, directFactor1) == 20);
static_assert(offsetof(TDamageActor, falloff2) == 40);
static_assert(offsetof(TDamageActor, aNode) == 44);
static_assert(offsetof(TDamageActor, aNode1) == 64);
static_assert(offsetof(TDamageActor, aThreshold) == 84);
static_assert(offsetof(TDamageActor, aImpactNode) == 104);
static_assert(offsetof(TDamageActor, health) == 124);
static_assert(offsetof(TDamageActor, state) == 128);
static_assert(offsetof(TDamageActor, pendingState) == 132);
static_assert(offsetof(TDamageActor, hitCount) == 136);
#pragma GCC diagnostic pop

const TClusterTypeDecl& DamageActorDecl();
extern const TName g_NameTDamageActor;
