// Feeds arbitrary vegetation records to the vegetation module as a loaded cluster hands them
// over: the settings block at any size, a cluster's instance block (any length, any plant kinds,
// positions, angles and colours) drawn from a camera read from the input in two passes of a
// frame and the next frame, and the range. Values come from files: they must be refused, cut or
// skipped, never crash, read outside the block, the plant-kind table or the frame's records.
#include "core/system/log.h"
#include "core/system/memory.h"
#include "core/system/timer.h"
#include "engine/render/camera.h"
#include "engine/render/mesh.h"
#include "engine/render/meshdata.h"
#include "engine/render/propdatarender.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "igame/effects/vegetation/vegetationcluster.h"
#include "igame/effects/vegetation/vegetationclusterproxy.h"
#include "igame/effects/vegetation/vegetationmanager.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
TCamera s_Camera;
TTimer* s_pTimer = nullptr;
TNode* s_pRoot = nullptr;
TMesh* s_pMesh = nullptr;
TPropDataRender s_Plant{};
u32 s_nDraws = 0;

TCamera* MainCamera()
{
    return &s_Camera;
}

void CountDraw(TMeshData*, const TMatrix&, TRenderContext*, TMesh*)
{
    ++s_nDraws;
}

void SetUp()
{
    if (s_pTimer)
        return;
    TLog* held = g_pSystemLog;
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
    MemoryDelete(held);
    g_ManagerManager.Initialize();
    // The core's timer: its frames are the ones the cluster stamps.
    s_pTimer = g_pTimer;
    g_pFindMainCamera = MainCamera;
    g_pDrawMeshData = CountDraw;
    s_pRoot = new TNode();
    s_pMesh = new TMesh();
    static TMeshData s_Data;
    s_Data.m_Description.aWord[0] = MESH_DATA_NEVER_CUT;
    s_pMesh->pMeshData = &s_Data;
    s_pRoot->AddObject(s_pMesh);
    s_Plant.aMesh[0] = s_pMesh;
    g_pVegetationManager->PlantMeshes().Add(&s_Plant);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetUp();
    TVegetationManager& manager = *g_pVegetationManager;
    manager.OnClusterUnload();
    size_t at = 0;
    const auto take = [&](void* target, size_t bytes) {
        const size_t n = at < size ? (size - at < bytes ? size - at : bytes) : 0;
        if (n)
            std::memcpy(target, data + at, n);
        at += bytes;
    };
    // The settings: their length is the input's first byte, times 2 (up to 510).
    u8 length = 0;
    take(&length, 1);
    std::vector<u8> settings(2u * length, 0);
    take(settings.data(), settings.size());
    manager.SetData(0, settings.data(), static_cast<i32>(settings.size()));
    f32 camera[3] = {};
    take(camera, sizeof camera);
    s_Camera.m_Placement = TMatrix(1.0f);
    s_Camera.m_Placement.aRow[3] = TVector(camera[0], camera[1], camera[2], 1.0f);
    f32 range = 0.0f;
    take(&range, sizeof range);
    manager.ApplyRange(range);

    // The rest is the cluster's block: whole instances only.
    TVegetationCluster cluster;
    const size_t rest = at < size ? size - at : 0;
    const u32 count = static_cast<u32>(rest / sizeof(TImposterRecord));
    if (count)
    {
        cluster.pInstance = new TImposterRecord[count];
        std::memcpy(cluster.pInstance, data + at, count * sizeof(TImposterRecord));
        cluster.m_nInstanceCount = count;
    }
    cluster.SetLoaded(1);
    cluster.m_Centre = s_Camera.m_Placement.aRow[3];
    cluster.m_fSize = 10.0f;
    TVegetationClusterProxy proxy;
    proxy.pCluster = &cluster;
    proxy.m_nFlags = VEGETATION_PROXY_NO_IMPOSTER;
    s_nDraws = 0;
    s_pTimer->Update();
    proxy.Draw(nullptr);
    const u32 first = s_nDraws;
    proxy.Draw(nullptr);
    // A later pass replays at most what the first drew.
    if (s_nDraws - first > first)
    {
        std::fprintf(stderr, "a replay drew %u plants after %u\n", s_nDraws - first, first);
        __builtin_trap();
    }
    s_pTimer->Update();
    proxy.Draw(nullptr);
    if (manager.GetNearRecordCount() > VEGETATION_NEAR_RECORDS)
        __builtin_trap();
    return 0;
}
