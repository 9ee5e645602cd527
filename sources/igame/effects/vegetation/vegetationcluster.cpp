#include "igame/effects/vegetation/vegetationcluster.h"

#include "core/cluster/clustertypedecl.h"
#include "core/system/log.h"
#include "core/system/timer.h"
#include "engine/render/camera.h"
#include "engine/render/mesh.h"
#include "engine/render/propdatarender.h"
#include "engine/system/node.h"
#include "engine/system/scenetypes.h"
#include "igame/effects/vegetation/vegetationmanager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
const TVegetationCluster* Prototype()
{
    static const TVegetationCluster s_Prototype;
    return &s_Prototype;
}

// Declared with the program's statics.
const TClusterTypeDecl* const s_pDecl = &VegetationClusterDecl();

constexpr f32 ANGLE_STEP = 6.2831855f / 255.0f;
constexpr f32 SIZE_STEP = 0.02f;
constexpr f32 HALF_PI = 1.5707964f;
// The distance a cluster is judged at is shortened by this much.
constexpr f32 CLUSTER_DISTANCE_SCALE = 0.9f;
// The share of the fade band over which the meshes stay whole past the near distance.
constexpr f32 MESH_FADE_DELAY = 0.75f;
// The vector of a mesh's material the instance colour goes into.
constexpr u32 MESH_COLOUR_VECTOR = 4;

const TMatrix s_Identity(1.0f);
static_assert(sizeof(TPropDataRender::aMesh) == VEGETATION_KIND_MESHES * sizeof(TMesh*));

// A byte's share of 255, as the division gives it.
const struct TByteShares
{
    f32 aShare[256];
    TByteShares()
    {
        for (u32 i = 0; i < 256; ++i)
            aShare[i] = static_cast<f32>(i) / 255.0f;
    }
} s_ByteShares;

// Not a number (a position scale from a damaged settings block) counts as 0.
u8 ToByte(f32 value)
{
    const f32 scaled = value * 255.0f;
    return scaled > 0.0f ? static_cast<u8>(std::min(scaled, 255.0f)) : 0;
}

u32 PackColour(const u8* rgb, f32 alpha)
{
    return rgb[0] | rgb[1] << 8 | rgb[2] << 16 | static_cast<u32>(ToByte(alpha)) << 24;
}

TVector Position(const TImposterVertex& v, const f32 scale[3])
{
    return TVector(v.aPosition[0] * scale[0], v.aPosition[1] * scale[1], v.aPosition[2] * scale[2], 1.0f);
}
} // namespace

f32 VegetationImposterFade(f32 r, f32 n, f32 f)
{
    if (r < n)
        return 0.0f;
    if (r > f || !(f > n))
        return 1.0f;
    return (r - n) / (f - n);
}

f32 VegetationMeshFade(f32 r, f32 n, f32 f)
{
    const f32 d0 = MESH_FADE_DELAY * (f - n);
    if (r < n + d0)
        return 1.0f;
    if (r > f + d0 || !(f > n))
        return 0.0f;
    return 1.0f - (r - n - d0) / (f - n);
}

TMatrix VegetationInstanceMatrix(const TImposterVertex& vertex, const f32 positionScale[3])
{
    // The angles are bytes: their sines and cosines are looked up, not computed per plant.
    struct TAngleTable
    {
        f32 aSin[256], aCos[256], aCosQuarter[256];
        TAngleTable()
        {
            for (u32 i = 0; i < 256; ++i)
            {
                aSin[i] = std::sin(i * ANGLE_STEP);
                aCos[i] = std::cos(i * ANGLE_STEP);
                aCosQuarter[i] = std::cos(i * ANGLE_STEP + HALF_PI);
            }
        }
    };
    static const TAngleTable s_Table;
    const u8 h = vertex.nHeading, t = vertex.nPitch;
    TMatrix m = TMatrix::BuildFromDirection(TVector(s_Table.aSin[h], s_Table.aCosQuarter[t], s_Table.aCos[h], 0.0f));
    const f32 size = vertex.nSize * SIZE_STEP;
    for (u32 i = 0; i < 3; ++i)
    {
        m.aRow[i].x *= size;
        m.aRow[i].y *= size;
        m.aRow[i].z *= size;
    }
    m.aRow[3] = Position(vertex, positionScale);
    return m;
}

TVegetationCluster::TVegetationCluster()
    : m_Centre(0.0f, 0.0f, 0.0f, 0.0f), m_fSize(0.0f), m_fExtraRadius(0.0f), pInstance(nullptr),
      m_nInstanceCount(0), m_nFrameStamp(VEGETATION_NO_RECORD), m_nNearHead(VEGETATION_NO_RECORD), m_nNearTail(VEGETATION_NO_RECORD),
      m_nFadedCount(0), m_Bounds{}, pInstanceMatrix(nullptr), m_aMatrixScale{}, pMatrixInstances(nullptr), m_nMatrixCount(0), m_aReserved208{}
{
}

TVegetationCluster::~TVegetationCluster()
{
    FreeInstances();
}

void TVegetationCluster::FreeInstances()
{
    delete[] pInstance;
    delete[] pInstanceMatrix;
    ForgetRunTimeWords();
}

void TVegetationCluster::ForgetRunTimeWords()
{
    pInstance = nullptr;
    pInstanceMatrix = nullptr;
    pMatrixInstances = nullptr;
    m_nMatrixCount = 0;
    m_nInstanceCount = 0;
    m_nFadedCount = 0;
    m_nFrameStamp = m_nNearHead = m_nNearTail = VEGETATION_NO_RECORD;
}

const TImposterVertex* TVegetationCluster::GetVertices()
{
    return pInstance ? pInstance->aVertex : nullptr;
}

i32 TVegetationCluster::Load()
{
    // A load follows a release or comes straight from the image, whose bytes in these words
    // are nothing we allocated: forget them, never free them.
    ForgetRunTimeWords();
    const u32 bytes = m_nDataSize;
    const u8* data = bytes % sizeof(TImposterRecord) == 0 && bytes ? GetData(0, bytes) : nullptr;
    if (bytes % sizeof(TImposterRecord) != 0 || (bytes && !data))
        TLog::Print(g_pSystemLog, LOG_ERROR, "TVegetationCluster::Load(): error: ",
                    bytes % sizeof(TImposterRecord) != 0 ? "'%s': a block of %u bytes is no whole number of instances"
                                                         : "'%s': its block of %u bytes cannot be read",
                    GetNameText(), bytes);
    else if (bytes)
    {
        m_nInstanceCount = bytes / sizeof(TImposterRecord);
        pInstance = new TImposterRecord[m_nInstanceCount];
        std::memcpy(pInstance, data, bytes);
    }
    SetLoaded(1);
    return 0;
}

const TBoundBox& TVegetationCluster::GetBounds()
{
    const f32 half = m_fSize * 0.5f + m_fExtraRadius;
    m_Bounds.minimum = TVector(m_Centre.x - half, m_Centre.y - half, m_Centre.z - half, 1.0f);
    m_Bounds.maximum = TVector(m_Centre.x + half, m_Centre.y + half, m_Centre.z + half, 1.0f);
    m_Bounds.Update();
    return m_Bounds;
}

i32 TVegetationCluster::Release()
{
    // The imposter manager's lists outlive a frame when no queue draws them (its queue not
    // found yet, a pass drawing them again): they must not keep a cluster the unload frees.
    if (g_pImposterManager)
        g_pImposterManager->ForgetBatch(this);
    FreeInstances();
    return 0;
}

void TVegetationCluster::SetImposterAlpha(u32 index, u8 alpha)
{
    for (TImposterVertex& vertex : pInstance[index].aVertex)
        vertex.aColour[3] = alpha;
}

const TMatrix* TVegetationCluster::InstanceMatrices()
{
    // The plants stand at the imposters' cell steps (the quads' own scale).
    const f32* scale = g_pImposterManager ? g_pImposterManager->GetSettings().aCellSize
                                          : g_pVegetationManager->GetSettings().aPositionScale;
    // Compared as bytes: a scale that is no number is the same one next time too.
    if (!pInstanceMatrix || pMatrixInstances != pInstance || m_nMatrixCount != m_nInstanceCount ||
        std::memcmp(m_aMatrixScale, scale, sizeof m_aMatrixScale) != 0)
    {
        delete[] pInstanceMatrix;
        pInstanceMatrix = new TMatrix[m_nInstanceCount];
        for (u32 i = 0; i < m_nInstanceCount; ++i)
            pInstanceMatrix[i] = VegetationInstanceMatrix(pInstance[i].aVertex[0], scale);
        std::memcpy(m_aMatrixScale, scale, sizeof m_aMatrixScale);
        pMatrixInstances = pInstance;
        m_nMatrixCount = m_nInstanceCount;
    }
    return pInstanceMatrix;
}

void TVegetationCluster::DrawInstance(TRenderContext* context, TRenderQueue* queue, u32 index, u32 colour,
                                      const TMatrix& instance, TVegetationKindMeshes& meshes)
{
    const u32 kind = pInstance[index].aVertex[0].nData;
    if (kind != meshes.nKind)
    {
        // A run of plants of one kind finds its meshes once.
        meshes.nKind = kind;
        meshes.nCount = 0;
        if (TPropDataRender* set = g_pVegetationManager->GetPlantKind(kind))
            for (TMesh* mesh : set->aMesh)
                if (mesh && mesh->pRenderQueue == queue)
                {
                    // A plant's mesh mostly sits at the plant's root: no product to make.
                    const TMatrix& local = mesh->GetNode()->GetLocalMatrix();
                    meshes.aAtRoot[meshes.nCount] = std::memcmp(&local, &s_Identity, sizeof local) == 0;
                    meshes.aMesh[meshes.nCount++] = mesh;
                }
    }
    const TVector rgba(s_ByteShares.aShare[colour & 0xFF], s_ByteShares.aShare[colour >> 8 & 0xFF],
                       s_ByteShares.aShare[colour >> 16 & 0xFF], s_ByteShares.aShare[colour >> 24]);
    for (u32 i = 0; i < meshes.nCount; ++i)
    {
        TMesh* mesh = meshes.aMesh[i];
        mesh->m_Material.aVector[MESH_COLOUR_VECTOR] = rgba;
        for (i32 l = 0; l < std::clamp<i32>(mesh->m_nLodCount, 0, MESH_LOD_CAPACITY); ++l)
            if (mesh->aMeshLod[l])
                mesh->aMeshLod[l]->m_Material.aVector[MESH_COLOUR_VECTOR] = rgba;
        mesh->DrawAt(meshes.aAtRoot[i] ? instance : TMatrix::Multiply(mesh->GetNode()->GetLocalMatrix(), instance),
                     context);
    }
}

void TVegetationCluster::Draw(TRenderContext* context, TRenderQueue* queue, u32 skipImposter)
{
    TVegetationManager* manager = g_pVegetationManager;
    TCamera* camera = g_pFindMainCamera ? g_pFindMainCamera() : nullptr;
    if (!manager || !camera || Require() != 0)
        return;
    const TVector& c = camera->m_Placement.Translation();
    const f32 d = std::max(0.0f, TVector::Subtract(c, m_Centre).Length() - m_fSize * 0.5f - m_fExtraRadius) *
                  CLUSTER_DISTANCE_SCALE;
    if (g_pImposterManager && d > g_pImposterManager->GetSettings().fFadeEnd)
        return;
    if (!skipImposter && g_pImposterManager)
        g_pImposterManager->QueueUpdate(this);

    const u32 frame = g_pTimer ? g_pTimer->GetFrameCount() : 0;
    if (m_nFrameStamp == frame)
    {
        const TMatrix* matrices = m_nNearHead != VEGETATION_NO_RECORD ? InstanceMatrices() : nullptr;
        TVegetationKindMeshes meshes;
        for (u32 r = m_nNearHead; r != VEGETATION_NO_RECORD; r = manager->GetNearRecord(r).nNext)
        {
            const TVegetationNearRecord& near = manager->GetNearRecord(r);
            DrawInstance(context, queue, near.nInstance, near.nColour, matrices[near.nInstance], meshes);
        }
        return;
    }
    m_nNearHead = m_nNearTail = VEGETATION_NO_RECORD;
    m_nFrameStamp = frame;

    const f32* distance = ImposterDistance();
    const f32 factor = manager->GetRangeFactor();
    const f32 n = distance[0] * factor, f = distance[2] * factor;
    if (d > f)
    {
        if (m_nFadedCount)
        {
            m_nFadedCount = 0;
            for (u32 i = 0; i < m_nInstanceCount; ++i)
                SetImposterAlpha(i, 255);
        }
        return;
    }
    const f32* scale = manager->GetSettings().aPositionScale;
    const TMatrix* matrices = nullptr;
    TVegetationKindMeshes meshes;
    m_nFadedCount = 0;
    for (u32 i = 0; i < m_nInstanceCount; ++i)
    {
        const TImposterVertex& vertex = pInstance[i].aVertex[0];
        const TVector p = Position(vertex, scale);
        const f32 dx = p.x - c.x, dy = p.y - c.y, dz = p.z - c.z;
        const f32 r2 = dx * dx + dy * dy + dz * dz;
        // Nearer than n the quad is gone and the plant whole (with a band beyond n): no root to
        // take.
        const bool near = n > 0.0f && f > n && r2 < n * n;
        const f32 r = near ? 0.0f : std::sqrt(r2);
        // Counted by the byte written: a fade that is no number (a damaged scale) leaves the quad
        // at 0, and it is made whole again once the cluster is far.
        const u8 alpha = near ? 0 : ToByte(VegetationImposterFade(r, n, f));
        if (alpha < 255)
            ++m_nFadedCount;
        SetImposterAlpha(i, alpha);
        const f32 m = near ? 1.0f : VegetationMeshFade(r, n, f);
        if (!(m > 0.0f))
            continue;
        const u32 colour = PackColour(vertex.aColour, m);
        if (!matrices)
            matrices = InstanceMatrices();
        DrawInstance(context, queue, i, colour, matrices[i], meshes);
        const u32 record = manager->AddNearRecord(colour, i, m_nNearTail);
        if (record != VEGETATION_NO_RECORD)
        {
            if (m_nNearHead == VEGETATION_NO_RECORD)
                m_nNearHead = record;
            m_nNearTail = record;
        }
        manager->CountDrawn();
    }
}

const TClusterTypeDecl& VegetationClusterDecl()
{
    static TClusterTypeDecl s_Decl(
        "TVegetationCluster", VEGETATION_CLUSTER_TYPE_ID, sizeof(TVegetationCluster), Prototype(), 2,
        {TClusterField(CLUSTER_MEMBER_RUN, 40, RESOURCE_LINK_TYPE_ID, 1, "TResource::TResourceLink"),
         TClusterField(CLUSTER_MEMBER_RUN, 52, RESOURCE_LINK_TYPE_ID, 1, "TResource::TResourceLink")});
    return s_Decl;
}
