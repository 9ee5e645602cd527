#include "igame/effects/vegetation/vegetationarea.h"

#include "core/cluster/clustertypedecl.h"
#include "core/system/abort.h"
#include "engine/render/mesh.h"
#include "engine/render/rendercontext.h"
#include "engine/system/scenetypes.h"
#include "igame/effects/vegetation/vegetationmanager.h"

#include <algorithm>
#include <cstring>

namespace
{
const TName g_NameTVegetationArea("TVegetationArea", true);
constexpr u16 MESH_TYPE_ID = 43;

const TVegetationArea* Prototype()
{
    static const TVegetationArea s_Prototype;
    return &s_Prototype;
}

// Declared with the program's statics.
const TClusterTypeDecl* const s_pDecl = &VegetationAreaDecl();
} // namespace

TVegetationArea::TVegetationArea()
{
    std::memset(reinterpret_cast<u8*>(this) + sizeof(TRenderObject), 0, sizeof(*this) - sizeof(TRenderObject));
    m_nClassName = g_NameTVegetationArea.GetId();
}

void TVegetationArea::Draw(TRenderContext* context)
{
    if (!g_pVegetationManager || g_pVegetationManager->IsDisabled())
        return;
    if (g_pVegetationAreaHook)
        g_pVegetationAreaHook(context ? context->GetShader() : nullptr);
    const TMatrix& world = *GetMatrix();
    for (u32 i = 0; i < std::min(m_nMeshCount, VEGETATION_AREA_MESHES); ++i)
        if (aMesh[i])
            aMesh[i]->DrawAt(world, context);
}

void TVegetationArea::Render()
{
    __Abort("TVegetationArea::Render", "sources/igame/effects/vegetation", __LINE__, "unimplemented");
}

const TClusterTypeDecl& VegetationAreaDecl()
{
    static TClusterTypeDecl s_Decl(
        "TVegetationArea", VEGETATION_AREA_TYPE_ID, sizeof(TVegetationArea), Prototype(), 1,
        {TClusterField(CLUSTER_MEMBER_REFERENCE, 4, NODE_TYPE_ID, 1, "TRenderObject::TNodeObject::pNode"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, 12, 58, 1, "TRenderObject::pRenderQueue"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, 16, 0, 1, "TRenderObject::pPrev"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, 20, 0, 1, "TRenderObject::pNext"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, 96, MESH_TYPE_ID, VEGETATION_AREA_MESHES, "aMesh")});
    return s_Decl;
}
