#include "igame/effects/vegetation/vegetationclusterproxy.h"

#include "core/cluster/clustertypedecl.h"
#include "engine/system/scenetypes.h"
#include "igame/effects/vegetation/vegetationcluster.h"

namespace
{
const TName g_NameTVegetationClusterProxy("TVegetationClusterProxy", true);

const TVegetationClusterProxy* Prototype()
{
    static const TVegetationClusterProxy s_Prototype;
    return &s_Prototype;
}

// Declared with the program's statics.
const TClusterTypeDecl* const s_pDecl = &VegetationClusterProxyDecl();
} // namespace

TVegetationClusterProxy::TVegetationClusterProxy() : pCluster(nullptr), m_nFlags(0)
{
    m_nClassName = g_NameTVegetationClusterProxy.GetId();
}

void TVegetationClusterProxy::Draw(TRenderContext* context)
{
    if (pCluster)
        pCluster->Draw(context, pRenderQueue, m_nFlags & VEGETATION_PROXY_NO_IMPOSTER);
}

const TBoundBox* TVegetationClusterProxy::GetBoundBox()
{
    return pCluster ? &pCluster->GetBounds() : TRenderObject::GetBoundBox();
}

const TClusterTypeDecl& VegetationClusterProxyDecl()
{
    static TClusterTypeDecl s_Decl(
        "TVegetationClusterProxy", VEGETATION_PROXY_TYPE_ID, sizeof(TVegetationClusterProxy), Prototype(), 1,
        {TClusterField(CLUSTER_MEMBER_REFERENCE, 4, NODE_TYPE_ID, 1, "TRenderObject::TNodeObject::pNode"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, 12, 58, 1, "TRenderObject::pRenderQueue"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, 16, 0, 1, "TRenderObject::pPrev"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, 20, 0, 1, "TRenderObject::pNext"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, 28, VEGETATION_CLUSTER_TYPE_ID, 1, "pCluster")});
    return s_Decl;
}
