#include "igame/damage/damageactor.h"

#include "core/cluster/clustertypedecl.h"
#include "engine/system/node.h"
#include "engine/system/nodekindnames.h"
#include "engine/system/prop.h"
#include "engine/system/scenetypes.h"
#include "igame/damage/damagemanager.h"

const TName g_NameTDamageActor("TDamageActor", true);

namespace
{
constexpr u16 PROP_TYPE_ID = 32;

const TDamageActor* Prototype()
{
    static const TDamageActor s_Prototype;
    return &s_Prototype;
}

const TClusterTypeDecl* const s_pDecl = &DamageActorDecl();

// The elements of an array with a count follow the count.
constexpr u32 Elements(size_t offset)
{
    return static_cast<u32>(offset) + 4;
}
} // namespace

TDamageActor::TDamageActor()
    : pProp(nullptr), maxHealth(DAMAGE_DEFAULT_HEALTH), directFactor1(0.0f), splashFactor1(0.0f), falloff1(0.0f),
      directFactor2(0.0f), splashFactor2(0.0f), falloff2(0.0f), health(DAMAGE_DEFAULT_HEALTH), state(-1),
      pendingState(-1), hitCount(0)
{
    m_nClassName = g_NameTDamageActor.GetId();
}

void TDamageActor::OnEnable(u32 enabled)
{
    if (!enabled || !g_pDamageManager)
        return;
    TProp* prop = FindProp();
    if (!prop || prop == pProp)
        return;
    pProp = prop;
    g_pDamageManager->TakePropHealth(this, 1);
}

TProp* TDamageActor::FindProp() const
{
    for (TNode* node = pNode; node; node = node->GetParent())
        if (TNodeObject* object = node->FindObject(g_NameTProp.GetId()))
            return static_cast<TProp*>(object);
    return nullptr;
}

u32 TDamageActor::IsImpactNode(u32 nodeNameId) const
{
    for (u32 i = 0; i < aImpactNode.GetCount(); ++i)
        if (aImpactNode[i] && aImpactNode[i]->m_Name.GetId() == nodeNameId)
            return 1;
    return 0;
}

const TClusterTypeDecl& DamageActorDecl()
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
    static TClusterTypeDecl s_Decl(
        "TDamageActor", DAMAGE_ACTOR_TYPE_ID, sizeof(TDamageActor), Prototype(), 1,
        {TClusterField(CLUSTER_MEMBER_REFERENCE, offsetof(TDamageActor, pNode), NODE_TYPE_ID, 1, "TNodeObject::pNode"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, offsetof(TDamageActor, pProp), PROP_TYPE_ID, 1, "pProp"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, Elements(offsetof(TDamageActor, aNode)), NODE_TYPE_ID,
                       DAMAGE_STATE_CAPACITY, "aNode"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, Elements(offsetof(TDamageActor, aNode1)), NODE_TYPE_ID,
                       DAMAGE_STATE_CAPACITY, "aNode1"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, Elements(offsetof(TDamageActor, aImpactNode)), NODE_TYPE_ID,
                       DAMAGE_STATE_CAPACITY, "aImpactNode")});
#pragma GCC diagnostic pop
    return s_Decl;
}
