#pragma once
// TVegetationArea (stored type 122, 128 bytes): up to four meshes drawn at its node, which the
// vegetation manager places on the ground around the camera.
#include "engine/render/renderobject.h"

class TMesh;
class TClusterTypeDecl;

constexpr u16 VEGETATION_AREA_TYPE_ID = 122;
constexpr u32 VEGETATION_AREA_MESHES = 4;

class TVegetationArea : public TRenderObject
{
public:
    TVegetationArea();

    // Unless vegetation is disabled: the draw hook, then each mesh at the node with its LOD.
    void Draw(TRenderContext* context) override;
    // Never called: aborts.
    void Render() override;
    const TBoundBox* GetBoundBox() override { return &m_Bounds; }

    TBoundBox m_Bounds;
    u32 m_nMeshCount;
    TMesh* aMesh[VEGETATION_AREA_MESHES];
    u8 m_aReserved112[16];
};

static_assert(sizeof(TVegetationArea) == 128);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TVegetationArea, m_Bounds) == 28);
static_assert(offsetof(TVegetationArea, m_nMeshCount) == 92);
static_assert(offsetof(TVegetationArea, aMesh) == 96);
#pragma GCC diagnostic pop

const TClusterTypeDecl& VegetationAreaDecl();
