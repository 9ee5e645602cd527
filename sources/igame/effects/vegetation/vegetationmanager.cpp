#include "igame/effects/vegetation/vegetationmanager.h"

#include "ageia/collisionmanager.h"
#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "core/system/timer.h"
#include "engine/render/camera.h"
#include "engine/render/material.h"
#include "engine/render/mesh.h"
#include "engine/render/propdatarender.h"
#include "engine/render/texture.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/scenetypes.h"
#include "igame/effects/vegetation/vegetationarea.h"
#include "igame/effects/vegetation/vegetationcluster.h"
#include "igame/effects/vegetation/vegetationclusterproxy.h"

#include <algorithm>
#include <cmath>
#include <cstring>

TVegetationManager* g_pVegetationManager = nullptr;
void (*g_pVegetationAreaHook)(TShader* shader) = nullptr;

// The variable's value as a range: integers and floats, anything else -1 (vegetationcommands.cpp).
f32 VegetationRangeVariable();
void StoreVegetationRange(f32 range);

namespace
{
TVegetationManager s_Manager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Vegetation", "Vegetation", &g_pVegetationManager, &s_Manager);

constexpr u16 MATERIAL_TYPE_ID = 39;
// The material slot the vegetation texture goes into: after the colour texture, multiplied in.
constexpr u32 VEGETATION_TEXTURE_SLOT = 1;
// The ready count's top bit names the buffer the results are in.
constexpr u32 READY_BUFFER_BIT = 0x80000000u;

// The loaded record of the type with that name id; null without one.
TResource* FindResource(u16 typeId, u32 nameId)
{
    if (!g_pCluster || nameId == 0)
        return nullptr;
    g_pCluster->RefreshSlots();
    const TClusterSlot& slot = g_pCluster->GetSlot(typeId);
    if (!slot.pDecl || !slot.pData)
        return nullptr;
    const u32 size = slot.pDecl->GetObjectSize();
    for (u32 i = 0; i < static_cast<u32>(slot.nSize) / size; ++i)
    {
        auto* resource = reinterpret_cast<TResource*>(
            slot.nKind == CLUSTER_ARRAY_POINTERS ? static_cast<u8*>(reinterpret_cast<void**>(slot.pData)[i])
                                                 : slot.pData + i * size);
        if (resource->m_Name.GetId() == nameId)
            return resource;
    }
    return nullptr;
}
} // namespace

TVegetationSettings DefaultVegetationSettings()
{
    TVegetationSettings settings{};
    settings.fParam0W = 1.0f;
    settings.fCellSize = 20.0f;
    settings.aPositionScale[0] = settings.aPositionScale[1] = settings.aPositionScale[2] = 0.1f;
    settings.fReserved23 = 1.0f;
    return settings;
}

TVegetationManager::TVegetationManager()
    : m_Settings(DefaultVegetationSettings()),
      m_ProbePosition(VEGETATION_PROBE_RESET, VEGETATION_PROBE_RESET, VEGETATION_PROBE_RESET, VEGETATION_PROBE_RESET)
{
    m_aParam[0] = TVector(0.0f, 0.0f, m_Settings.fParam0W, 0.0f);
    m_aParam[1] = m_aParam[2] = TVector(0.0f, 0.0f, 0.0f, 0.0f);
    // The probing is fixed-rate work: the manager system runs it only for a manager with a worker.
    m_nWorker = 1;
    if (!g_pCluster)
        return;
    RegisterArray(&VegetationAreaDecl(), &m_aArea);
    RegisterArray(&VegetationClusterDecl(), &m_aCluster);
    RegisterArray(&VegetationClusterProxyDecl(), &m_aProxy);
    RegisterArray(&PropDataRenderDecl(), &m_aPlantMeshes);
    RegisterId(VEGETATION_AREA_TYPE_ID);
}

i32 TVegetationManager::GetData(i32 index, void*& data, i32& size)
{
    data = &m_Settings;
    size = VEGETATION_SETTINGS_SIZE;
    return index == 0 ? 0 : 1;
}

i32 TVegetationManager::SetData(i32 index, const void* data, i32 size)
{
    if (index != 0 || size < 0 || (size && !data))
        return 1;
    if (size != static_cast<i32>(VEGETATION_SETTINGS_SIZE))
        TLog::Print(g_pSystemLog, LOG_WARNING, "TVegetationManager::SetData(): warning: ",
                    "settings block of %d bytes (%u expected): %d bytes taken", size, VEGETATION_SETTINGS_SIZE,
                    std::min<i32>(size, VEGETATION_SETTINGS_SIZE));
    if (size > 0)
        std::memcpy(&m_Settings, data, static_cast<u32>(std::min<i32>(size, VEGETATION_SETTINGS_SIZE)));
    m_aParam[1] = TVector(m_Settings.aParam1[0], m_Settings.aParam1[2], m_Settings.aParam1[4], m_Settings.aParam1[6]);
    m_aParam[2] = TVector(m_Settings.aParam2[0], m_Settings.aParam2[2], m_Settings.aParam2[4], m_Settings.aParam2[6]);
    m_aParam[0].z = m_Settings.fParam0W;
    return 0;
}

void TVegetationManager::BeginManager()
{
    g_pResourceManager->AddMethod(this);
    g_pCluster->AddListener(this);
    ApplyRange(VEGETATION_BEGIN_RANGE);
}

f32 TVegetationManager::ApplyRange(f32 range)
{
    m_nDisabled = !(range > 0.0f) || m_aArea.GetCount() == 0 ? 1 : 0;
    if (m_aArea.GetCount() == 0)
        return 0.0f;
    const f32 cell = m_Settings.fCellSize;
    const f32 steps = cell > 0.0f ? std::trunc(range / cell) : 1.0f;
    m_nHalfCount = static_cast<u32>(std::clamp(std::isfinite(steps) ? steps : 1.0f, 1.0f,
                                               static_cast<f32>(VEGETATION_MAX_HALF_COUNT)));
    const f32 effective = m_nDisabled ? 0.0f : m_nHalfCount * cell;
    m_aParam[0].x = m_nHalfCount * cell * 0.5f;
    m_aParam[0].y = m_nHalfCount * cell;
    m_aParam[0].z = m_Settings.fParam0W;
    for (i32 i = 0; i < m_aArea.GetCount(); ++i)
        m_aArea[i]->GetNode()->Enable(0, 0);
    m_ProbePosition = TVector(VEGETATION_PROBE_RESET, VEGETATION_PROBE_RESET, VEGETATION_PROBE_RESET,
                              VEGETATION_PROBE_RESET);
    m_nReady.store(0, std::memory_order_release);
    StoreVegetationRange(effective);
    return effective;
}

u32 TVegetationManager::GetWaitingCount() const
{
    return m_nReady.load(std::memory_order_acquire) & ~READY_BUFFER_BIT;
}

void TVegetationManager::ThreadUpdateManager(f32)
{
    m_fRangeFactor = VEGETATION_UPDATE_RANGE_FACTOR;
    m_nDrawn = 0;
    TCamera* camera = g_pFindMainCamera ? g_pFindMainCamera() : nullptr;
    if (m_nDisabled || !camera)
        return;
    Probe(camera->m_Placement.Translation());
}

void TVegetationManager::Probe(const TVector& camera)
{
    const u32 waiting = GetWaitingCount();
    const f32 moved = TVector::Subtract(camera, m_ProbePosition).Length();
    if (waiting == 0 || moved >= VEGETATION_PROBE_MOVE)
        m_ProbePosition = camera;
    if (waiting != 0 || m_nDisabled)
        return;
    const i32 n = static_cast<i32>(m_nHalfCount);
    const f32 cell = m_Settings.fCellSize;
    const f32 baseX = std::floor(camera.x / cell + 0.5f), baseZ = std::floor(camera.z / cell + 0.5f);
    // The grid addresses the areas that exist, however many the range asks for.
    const u32 count = std::min<u32>((2 * n + 1) * (2 * n + 1), static_cast<u32>(m_aArea.GetCount()));
    TProbeResults& results = m_aResults[m_nBack];
    u32 i = 0;
    for (i32 iz = -n; iz <= n && i < count; ++iz)
        for (i32 ix = -n; ix <= n && i < count; ++ix, ++i)
        {
            const f32 x = (baseX + ix) * cell, z = (baseZ + iz) * cell;
            TCollisionHit hit{};
            hit.nFilter = VEGETATION_GROUND_GROUP;
            const TVector from(x, camera.y + VEGETATION_PROBE_LIFT, z, 1.0f);
            const TVector to(x, camera.y + VEGETATION_PROBE_LIFT - VEGETATION_PROBE_LENGTH, z, 1.0f);
            if (g_pCollisionManager && g_pCollisionManager->RayCast(TRay(from, to), hit, 0))
                results.aHit[i] = TVector(hit.Point.x, std::floor(hit.Point.y), hit.Point.z, 1.0f);
            else
                results.aHit[i] = TVector(0.0f, 0.0f, 0.0f, 0.0f);
        }
    // Published whole: the frame update reads the buffer only after this store.
    m_nReady.store(count | (m_nBack ? READY_BUFFER_BIT : 0), std::memory_order_release);
    m_nBack ^= 1;
}

void TVegetationManager::UpdateManager(f32)
{
    PlaceAreas();
}

void TVegetationManager::PlaceAreas()
{
    const u32 ready = m_nReady.load(std::memory_order_acquire);
    const u32 count = std::min<u32>(ready & ~READY_BUFFER_BIT, static_cast<u32>(m_aArea.GetCount()));
    const TProbeResults& results = m_aResults[ready & READY_BUFFER_BIT ? 1 : 0];
    for (u32 i = 0; i < count; ++i)
    {
        TNode* node = m_aArea[i]->GetNode();
        const TVector& hit = results.aHit[i];
        if (hit.w == 1.0f)
        {
            TMatrix placement(1.0f);
            placement.aRow[3] = hit;
            node->SetWorldMatrix(placement, TNode::OrdinaryCause());
            node->Enable(1, 0);
        }
        else
            node->Enable(0, 0);
    }
    if (ready)
        m_nReady.store(0, std::memory_order_release);
}

void TVegetationManager::RenderManager()
{
    if (!m_nDisabled && m_pTexture)
        m_pTexture->Require();
}

TPropDataRender* TVegetationManager::GetPlantKind(u32 kind)
{
    TPropDataRender* meshes = nullptr;
    if (kind < VEGETATION_PLANT_KINDS)
    {
        const u32 index = m_Settings.aPlantKind[kind];
        meshes = index < static_cast<u32>(m_aPlantMeshes.GetCount()) ? m_aPlantMeshes[index] : nullptr;
    }
    // One line a kind and level; kinds above 63 share one.
    u32& refused = kind < VEGETATION_PLANT_KINDS ? m_aKindRefused[kind] : m_nHighKindRefused;
    if (!meshes && !refused)
    {
        refused = 1;
        TLog::Print(g_pSystemLog, LOG_ERROR, "TVegetationManager::GetPlantKind(): error: ",
                    kind >= VEGETATION_PLANT_KINDS ? "plant kind %u above %u: its plants are not drawn"
                                                   : "plant kind %u has no mesh set: its plants are not drawn",
                    kind, VEGETATION_PLANT_KINDS - 1);
    }
    return meshes;
}

u32 TVegetationManager::AddNearRecord(u32 colour, u32 instance, u32 after)
{
    const u32 frame = g_pTimer ? g_pTimer->GetFrameCount() : 0;
    if (frame != m_nNearFrame)
    {
        m_nNearFrame = frame;
        m_aNear.SetCount(0);
    }
    const u32 count = m_aNear.GetCount();
    if (count == VEGETATION_NEAR_RECORDS)
        return VEGETATION_NO_RECORD;
    m_aNear.SetCount(count + 1);
    m_aNear[count] = {colour, instance, VEGETATION_NO_RECORD};
    if (after != VEGETATION_NO_RECORD)
        m_aNear[after].nNext = count;
    return count;
}

void TVegetationManager::DressMaterials(TTexture* texture)
{
    const u32 count = std::min(m_Settings.nMaterialCount, VEGETATION_MATERIAL_CAPACITY);
    if (m_Settings.nMaterialCount > VEGETATION_MATERIAL_CAPACITY)
        TLog::Print(g_pSystemLog, LOG_ERROR, "TVegetationManager::OnClusterLoad(): error: ",
                    "%u materials listed: the first %u take the vegetation texture", m_Settings.nMaterialCount,
                    VEGETATION_MATERIAL_CAPACITY);
    for (u32 i = 0; i < count; ++i)
    {
        auto* material = static_cast<TMaterial*>(FindResource(MATERIAL_TYPE_ID, m_Settings.aMaterial[i]));
        if (material && material->aTexture[VEGETATION_TEXTURE_SLOT] != texture)
            material->aTexture[VEGETATION_TEXTURE_SLOT] = texture;
    }
}

void TVegetationManager::OnClusterLoad()
{
    std::memset(m_aKindRefused, 0, sizeof m_aKindRefused);
    m_nHighKindRefused = 0;
    for (i32 i = 0; i < m_aArea.GetCount(); ++i)
        if (m_aArea[i]->m_nMeshCount > VEGETATION_AREA_MESHES)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "TVegetationManager::OnClusterLoad(): error: ",
                        "'%s': %u meshes cut to %u", m_aArea[i]->GetNode()->GetPath(), m_aArea[i]->m_nMeshCount,
                        VEGETATION_AREA_MESHES);
            m_aArea[i]->m_nMeshCount = VEGETATION_AREA_MESHES;
        }
    m_pTexture = static_cast<TTexture*>(FindResource(TEXTURE_TYPE_ID, m_Settings.nTexture));
    if (m_pTexture)
        DressMaterials(m_pTexture);
    ApplyRange(VegetationRangeVariable());
}

void TVegetationManager::OnClusterUnload()
{
    for (i32 i = 0; i < m_aCluster.GetCount(); ++i)
        m_aCluster[i]->Release();
    m_pTexture = nullptr;
    m_aNear.SetCount(0);
}
