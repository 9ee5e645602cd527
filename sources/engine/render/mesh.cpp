#include "engine/render/mesh.h"

#include "core/system/log.h"
#include "engine/render/camera.h"
#include "engine/render/meshdata.h"
#include "engine/render/meshmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/node.h"

#include <cmath>
#include <cstring>

TMatrix g_CurrentTextureMatrix(1.0f);
const TMeshMaterial* g_pCurrentMeshMaterial = nullptr;
const TMesh* g_pCurrentWorldMesh = nullptr;
TMatrix g_CurrentMeshWorld(1.0f);
void (*g_pDrawMeshData)(TMeshData* data, const TMatrix& world, TRenderContext* context, TMesh* mesh) = nullptr;
TCamera* (*g_pFindMainCamera)() = nullptr;

namespace
{
const TName s_NameDefault("Default", true);

class Trender_mesh_loddistancefactorVariable : public TVariable
{
public:
    Trender_mesh_loddistancefactorVariable()
        : TVariable("render_mesh_loddistancefactor", "Mesh render LOD distance factor", 0), m_fFactor(1.0f)
    {
        m_Value.SetFloat(1.0f);
    }
    // A value that is no positive number is refused and the factor keeps its last good value:
    // the set conversion reads a text that is no number as 0, and 0 or less would draw every
    // mesh at full detail and never cut one.
    void OnChange() override
    {
        const bool number =
            m_Value.nType == VALUE_INT || m_Value.nType == VALUE_INT64 || m_Value.nType == VALUE_FLOAT;
        const f32 factor = number ? m_Value.ToFloat() : -1.0f;
        if (factor > 0.0f && std::isfinite(factor))
        {
            m_fFactor = factor;
            return;
        }
        TLog::Print(g_pSystemLog, LOG_ERROR, "render_mesh_loddistancefactor: error: ",
                    "not a positive number, keeping %s", ShortFloatText(m_fFactor));
        m_Value.SetFloat(m_fFactor);
    }

    f32 m_fFactor;
};

Trender_mesh_loddistancefactorVariable s_render_mesh_loddistancefactor;
} // namespace

f32 MeshLodDistanceFactor()
{
    return s_render_mesh_loddistancefactor.m_fFactor;
}

u32 MeshDataFlags(const TMeshData* data)
{
    return data->m_Description.aWord[0];
}

const TBoundBox* MeshDataBoundBox(const TMeshData* data)
{
    return reinterpret_cast<const TBoundBox*>(&data->m_Description.aWord[1]);
}

TMesh::TMesh()
{
    std::memset(reinterpret_cast<u8*>(this) + 28, 0, sizeof(*this) - 28);
    m_nClassName = g_NameTMesh.GetId();
    m_TextureAnimation.m_Matrix = TMatrix(1.0f);
    m_Material.aVector[4] = TVector(1.0f, 1.0f, 1.0f, 1.0f);
    m_Material.aVector[5].y = 0.5f;
    m_Material.m_Shader = s_NameDefault;
    m_fLodDistanceScale = 1.0f;
}

TMesh* TMesh::PickLod(f32 distance)
{
    const f32 s = distance * m_fLodDistanceScale;
    const i32 n = m_nLodCount;
    if (s < MESH_LOD_DISTANCE[0] || n <= 0)
        return this;
    if (s < MESH_LOD_DISTANCE[1] || n == 1)
        return aMeshLod[0];
    if (s < MESH_LOD_DISTANCE[2] || n == 2)
        return aMeshLod[1];
    if (s < MESH_LOD_LAST_DISTANCE || n == 3)
        return aMeshLod[2];
    return aMeshLod[3];
}

TMesh* TMesh::SelectLodAt(const TVector& at, u32 cut)
{
    TCamera* camera = g_pFindMainCamera ? g_pFindMainCamera() : nullptr;
    f32 d = 0.0f;
    if (camera)
    {
        const TVector& eye = camera->m_Placement.Translation();
        d = TVector::Subtract(eye, at).Length();
    }
    d *= MeshLodDistanceFactor();
    if (cut && pMeshData && !(MeshDataFlags(pMeshData) & MESH_DATA_NEVER_CUT) &&
        d / MeshDataBoundBox(pMeshData)->diagonal > MESH_DISTANCE_CUT)
        return nullptr;
    return PickLod(d);
}

void TMesh::OnEnable(u32 enabled)
{
    TRenderObject::OnEnable(enabled);
    if (!g_pMeshManager || m_TextureAnimation.m_Name.GetId() == 0)
        return;
    if (!enabled)
        g_pMeshManager->RemoveAnimated(this);
    else if (m_TextureAnimation.m_nActive)
        g_pMeshManager->AddAnimated(this);
}

void TMesh::Draw(TRenderContext* context)
{
    if (!GetNode()->IsEnabled())
        return;
    DrawAt(*GetMatrix(), context);
}

void TMesh::DrawAt(const TMatrix& world, TRenderContext* context)
{
    TMesh* chosen = SelectLodAt(world.Translation(), 1);
    if (!chosen || !chosen->pMeshData)
        return;
    g_CurrentTextureMatrix = chosen->m_TextureAnimation.m_Matrix;
    g_pCurrentMeshMaterial = &chosen->m_Material;
    g_pCurrentWorldMesh = chosen;
    g_CurrentMeshWorld = world;
    if (g_pDrawMeshData)
        g_pDrawMeshData(chosen->pMeshData, world, context, chosen);
}

void TMesh::Render()
{
    TMesh* chosen = SelectLod(0);
    if (chosen && chosen != this)
    {
        chosen->Render();
        return;
    }
    if (!pMeshData)
        return;
    g_CurrentTextureMatrix = m_TextureAnimation.m_Matrix;
    g_pCurrentMeshMaterial = &m_Material;
    g_pCurrentWorldMesh = this;
    g_CurrentMeshWorld = *GetMatrix();
    if (g_pDrawMeshData)
        g_pDrawMeshData(pMeshData, *GetMatrix(), nullptr, this);
}

const TBoundBox* TMesh::GetBoundBox()
{
    return pMeshData ? MeshDataBoundBox(pMeshData) : TRenderObject::GetBoundBox();
}

u32 TMesh::IsTransparent()
{
    return pMeshData && (MeshDataFlags(pMeshData) & MESH_DATA_TRANSPARENT) ? 1 : 0;
}

u32 TMesh::CastsShadow()
{
    return pMeshData && (MeshDataFlags(pMeshData) & MESH_DATA_CASTS_SHADOW) ? 1 : 0;
}

u32 TMesh::AnimateTexture(f32 t)
{
    TMeshTextureAnimation& a = m_TextureAnimation;
    TMatrix step = TMatrix::RotationXYZ(a.aRotationRate[0] * t, a.aRotationRate[1] * t, a.aRotationRate[2] * t);
    step.aRow[3] = TVector(a.aTranslationRate[0] * t, a.aTranslationRate[1] * t, a.aTranslationRate[2] * t, 1.0f);
    a.m_Matrix = TMatrix::Multiply(step, a.m_Matrix);
    u32 reached = 0;
    f32* translation = &a.m_Matrix.aRow[3].x;
    for (u32 axis = 0; axis < 3; ++axis)
    {
        const f32 period = a.aPeriod[axis];
        if (period == 0.0f || translation[axis] < period)
            continue;
        reached = 1;
        if (a.m_nStop)
        {
            translation[axis] = 0.0f;
            a.m_nActive = 0;
        }
        else
            translation[axis] -= period;
    }
    if (reached && a.pListener)
        a.pListener->OnTextureAnimationEvent(this);
    return reached;
}
