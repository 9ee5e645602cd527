#pragma once
// TVegetationManager ("Vegetation"): the level's vegetation areas, clusters, cluster proxies and
// plant meshes, and the settings block. Around the camera a (2N + 1) x (2N + 1) grid of areas is
// placed on the ground: the fixed-rate update (possibly on a worker) casts the rays and hands its
// results over through a double buffer and an atomic ready count; the frame update moves the
// areas. The range (vegetation_range) sets N from the cell size.
#include "core/cluster/clustermethods.h"
#include "core/math/vector.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"
#include "igame/effects/vegetation/vegetationsettings.h"

#include <atomic>

class TShader;
class TTexture;
class TVegetationArea;
class TVegetationCluster;
class TVegetationClusterProxy;
struct TPropDataRender;

constexpr u32 VEGETATION_MAX_HALF_COUNT = 7;
constexpr u32 VEGETATION_MAX_AREAS = (2 * VEGETATION_MAX_HALF_COUNT + 1) * (2 * VEGETATION_MAX_HALF_COUNT + 1);
constexpr u32 VEGETATION_NEAR_RECORDS = 4000;
constexpr f32 VEGETATION_BEGIN_RANGE = 60.0f;
// The camera moves this far before the grid is probed again.
constexpr f32 VEGETATION_PROBE_MOVE = 10.0f;
constexpr f32 VEGETATION_PROBE_LIFT = 20.0f;
constexpr f32 VEGETATION_PROBE_LENGTH = 220.0f;
constexpr f32 VEGETATION_PROBE_RESET = -10000.0f;
constexpr u32 VEGETATION_GROUND_GROUP = 128;
constexpr f32 VEGETATION_UPDATE_RANGE_FACTOR = 0.5f;

// An instance drawn near the camera this frame, replayed by the frame's later passes.
struct TVegetationNearRecord
{
    // 0xAABBGGRR.
    u32 nColour;
    u32 nInstance;
    u32 nNext;
};

class TVegetationManager : public TManager, public TResourceMethods, public TClusterMethods
{
public:
    TVegetationManager();

    i32 GetDataCount() override { return 1; }
    i32 GetDataSize() override { return VEGETATION_SETTINGS_SIZE; }
    i32 GetData(i32 index, void*& data, i32& size) override;
    // Copies at most the block's size; another size is logged.
    i32 SetData(i32 index, const void* data, i32 size) override;

    void BeginManager() override;
    // Probing the area grid.
    void ThreadUpdateManager(f32 step) override;
    // Placing the areas from the waiting results.
    void UpdateManager(f32 step) override;
    // Requires the vegetation texture.
    void RenderManager() override;
    void OnClusterLoad() override;
    void OnClusterUnload() override;

    // Applies the range R: disabled at 0 or below, or without areas (then nothing more); N from
    // the cell size, 1 to 7; the effective range (0 when disabled) is written back into
    // vegetation_range and answered.
    f32 ApplyRange(f32 range);
    // Casts the grid's rays now from the camera position (what the fixed-rate update does).
    void Probe(const TVector& camera);
    // Moves the areas to the waiting results.
    void PlaceAreas();

    u32 IsDisabled() const { return m_nDisabled; }
    u32 GetHalfCount() const { return m_nHalfCount; }
    const TVector& GetProbePosition() const { return m_ProbePosition; }
    u32 GetWaitingCount() const;
    f32 GetRangeFactor() const { return m_fRangeFactor; }
    void SetRangeFactor(f32 factor) { m_fRangeFactor = factor; }
    u32 GetDrawnCount() const { return m_nDrawn; }
    void CountDrawn() { ++m_nDrawn; }
    const TVegetationSettings& GetSettings() const { return m_Settings; }
    // (range / 2, range, settings 8, 0), (settings 0, 2, 4, 6), (settings 24, 26, 28, 30).
    const TVector* GetParamVectors() const { return m_aParam; }

    // The meshes of a plant kind; null (one line a kind and level) above 63 or without meshes.
    TPropDataRender* GetPlantKind(u32 kind);
    // Appends a near record of this frame after the record `after` (none: a new list); none
    // when the frame's 4,000 are used.
    u32 AddNearRecord(u32 colour, u32 instance, u32 after);
    const TVegetationNearRecord& GetNearRecord(u32 index) const { return m_aNear[index]; }
    u32 GetNearRecordCount() const { return m_aNear.GetCount(); }

    DArray<TVegetationArea*>& Areas() { return m_aArea; }
    DArray<TVegetationCluster*>& Clusters() { return m_aCluster; }
    DArray<TVegetationClusterProxy*>& Proxies() { return m_aProxy; }
    DArray<TPropDataRender*>& PlantMeshes() { return m_aPlantMeshes; }

private:
    struct TProbeResults
    {
        TVector aHit[VEGETATION_MAX_AREAS];
    };

    // Gives the listed materials the vegetation texture.
    void DressMaterials(TTexture* texture);

    DArray<TVegetationArea*> m_aArea;
    DArray<TVegetationCluster*> m_aCluster;
    DArray<TVegetationClusterProxy*> m_aProxy;
    DArray<TPropDataRender*> m_aPlantMeshes;
    TVegetationSettings m_Settings;
    TVector m_aParam[3];
    u32 m_nDisabled = 1;
    u32 m_nHalfCount = 1;
    TVector m_ProbePosition;
    // Written by the probing into the back buffer; published as the ready count (buffer index in
    // the top bit) and taken back to 0 by the placing.
    TProbeResults m_aResults[2];
    u32 m_nBack = 0;
    std::atomic<u32> m_nReady{0};
    f32 m_fRangeFactor = 1.0f;
    u32 m_nDrawn = 0;
    SArray<TVegetationNearRecord, VEGETATION_NEAR_RECORDS, 0> m_aNear;
    u32 m_nNearFrame = 0;
    u32 m_aKindRefused[VEGETATION_PLANT_KINDS] = {};
    u32 m_nHighKindRefused = 0;
    TTexture* m_pTexture = nullptr;
};

extern TVegetationManager* g_pVegetationManager;
// Called with the drawing shader before an area's meshes are queued.
extern void (*g_pVegetationAreaHook)(TShader* shader);
