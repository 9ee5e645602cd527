#pragma once
// TVegetationClusterProxy (stored type 124, 36 bytes): places a vegetation cluster in a render
// queue; drawing it draws the cluster for that queue.
#include "engine/render/renderobject.h"

class TVegetationCluster;
class TClusterTypeDecl;

constexpr u16 VEGETATION_PROXY_TYPE_ID = 124;
// Flag bits.
constexpr u32 VEGETATION_PROXY_NO_IMPOSTER = 0x1;
constexpr u32 VEGETATION_PROXY_CASTS_SHADOW = 0x2;

class TVegetationClusterProxy : public TRenderObject
{
public:
    TVegetationClusterProxy();

    void Draw(TRenderContext* context) override;
    // The cluster's box about its centre.
    const TBoundBox* GetBoundBox() override;
    u32 CastsShadow() override { return m_nFlags & VEGETATION_PROXY_CASTS_SHADOW ? 1 : 0; }

    TVegetationCluster* pCluster;
    u32 m_nFlags;
};

static_assert(sizeof(TVegetationClusterProxy) == 36);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TVegetationClusterProxy, pCluster) == 28);
static_assert(offsetof(TVegetationClusterProxy, m_nFlags) == 32);
#pragma GCC diagnostic pop

const TClusterTypeDecl& VegetationClusterProxyDecl();
