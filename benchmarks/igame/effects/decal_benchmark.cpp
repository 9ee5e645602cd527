// The decals' costs, each beside its yardstick measured in the same run:
// - TrackSegment: a track decal laying one segment (the box query, clipping, the pool's
//   vertices) against the collision manager's box query of the same box with a callback that
//   only counts; counters segment_ns, query_ns and ratio (aim: at most 3).
#include "ageia/nxcollisionmanager.h"
#include "ageia/nxcollisionmesh.h"
#include "ageia/nxcollisionmeshdata.h"
#include "ageia/nxdynamics.h"
#include "core/cluster/cluster.h"
#include "engine/render/decal.h"
#include "engine/render/decaldata.h"
#include "engine/render/meshdata.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/repository.h"
#include "engine/system/resourcemanager.h"
#include "igame/effects/decalmanager.h"
#include "igame/effects/decalprojection.h"
#include "igame/effects/trackdecal.h"
#include "repositorywriter.h"
#include "support/scratchworkingfolder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

namespace
{
using TClock = std::chrono::steady_clock;

f64 NanosecondsSince(TClock::time_point start)
{
    return std::chrono::duration<f64, std::nano>(TClock::now() - start).count();
}

// A ground of 40 x 40 cells of one metre (two triangles each) about the origin.
constexpr i32 kCells = 40;
constexpr u32 kRepository = 71;

struct TGround
{
    TGround()
    {
        g_ManagerManager.Initialize();
        g_pCluster->LinkTypes();
        g_pNxDynamicsManager->InitializeManager();
        g_pNxDynamicsManager->BeginManager();
        g_pNxCollisionManager->BeginManager();
        g_pCluster->Clear();
        TDynamicsSettings settings{};
        settings.fRate = 60.0f;
        settings.nMaxSubSteps = 1;
        g_pNxDynamicsManager->SetData(0, &settings, sizeof settings);
        g_pNxDynamicsManager->OnClusterLoad();
        g_pDecalManager->OnClusterLoad();

        TRepositoryWriter writer(kRepository, REPOSITORY_STREAMED);
        writer.Write("cooked.data", nullptr, 0, false);
        cooked = std::make_unique<TRepository>(kRepository, REPOSITORY_STREAMED, TName("cooked.data", true));
        cooked->OpenStreamed("cooked.data", true);
        std::vector<f32> vertices;
        std::vector<u16> indices;
        for (i32 z = 0; z <= kCells; ++z)
            for (i32 x = 0; x <= kCells; ++x)
                vertices.insert(vertices.end(), {static_cast<f32>(x - kCells / 2), 0.0f,
                                                 static_cast<f32>(z - kCells / 2), 0.0f, 1.0f, 0.0f});
        for (i32 z = 0; z < kCells; ++z)
            for (i32 x = 0; x < kCells; ++x)
            {
                const u16 a = static_cast<u16>(z * (kCells + 1) + x), b = static_cast<u16>(a + 1),
                          c = static_cast<u16>(a + kCells + 1), d = static_cast<u16>(c + 1);
                indices.insert(indices.end(), {a, c, b, b, c, d});
            }
        TMeshData mesh;
        mesh.m_Name.Set("ground", true);
        mesh.m_Description.nStride = 24;
        mesh.m_Description.nVertexCount = static_cast<u32>(vertices.size() / 6);
        mesh.m_Description.nIndexCount = static_cast<u32>(indices.size());
        TNxCollisionMeshData* data = g_pNxCollisionManager->CreateCollisionMeshData(
            0, &mesh, vertices.data(), indices.data(), cooked.get(), COLLISION_DATA_TRIANGLES, 0);
        data->SetData(cooked.get(), data->m_nDataOffset, data->m_nDataSize);
        TNxCollisionMesh* shape = g_pNxCollisionManager->CreateCollisionMesh(g_pNodeManager->CreateNode("ground"), data, 0);
        shape->SetGroupsMask(DECAL_PROJECTION_GROUP);
        shape->__Create();

        decal.pDecalData = &decalData;
        track.pDecal = &decal;
        track.m_fWidth = 0.25f;
        track.m_fHeight = 1.0f;
        track.m_fLength = 0.3f;
        wheel = g_pNodeManager->CreateNode("wheel");
        wheel->AddObject(&track);
    }

    TScratchWorkingFolder folder{"decal_benchmark"};
    std::unique_ptr<TRepository> cooked;
    TDecalData decalData{};
    TDecal decal{};
    TTrackDecal track;
    TNode* wheel = nullptr;
};

i32 Count(u32, TNode*, u32, void*, const TVector*, const TVector*, u32, void* user)
{
    ++*static_cast<u32*>(user);
    return 0;
}

// Segments of 0.6 m along a diagonal line across the ground, back and forth over its middle.
void TrackSegment(benchmark::State& state)
{
    static TGround s_Ground;
    TTrackDecal& track = s_Ground.track;
    TMatrix pose(1.0f);
    const f32 step = 0.6f;
    i32 i = 0;
    f64 segment = 0.0, query = 0.0;
    u32 triangles = 0;
    for (auto _ : state)
    {
        // 50 segments forwards from z = -15, then a jump back to the start (not timed apart:
        // it lays nothing and costs little).
        const f32 z = -15.0f + step * static_cast<f32>(i % 50);
        ++i;
        pose.aRow[3] = TVector(0.3f, 0.2f, z, 1.0f);
        s_Ground.wheel->SetLocalMatrix(pose, &g_NameIgnoreNodeObjectUpdate);
        TClock::time_point start = TClock::now();
        track.OnNodeUpdate(nullptr);
        segment += NanosecondsSince(start);

        // The box that segment queried: the strip between the back edges, the half height down
        // and up.
        TBoundBox box = {};
        box.centre[0] = 0.3f;
        box.centre[1] = 0.2f;
        box.centre[2] = z - step * 0.5f - 0.15f;
        box.size[0] = 0.125f;
        box.size[1] = 0.5f;
        box.size[2] = step * 0.5f;
        TCollisionHit hit = {};
        hit.nFilter = DECAL_PROJECTION_GROUP;
        start = TClock::now();
        g_pNxCollisionManager->EnumerateBoxTriangles(TMatrix(1.0f), box, hit, Count, &triangles);
        query += NanosecondsSince(start);
    }
    state.counters["segment_ns"] = segment / static_cast<f64>(state.iterations());
    state.counters["query_ns"] = query / static_cast<f64>(state.iterations());
    state.counters["ratio"] = segment / query;
    state.counters["triangles"] = static_cast<f64>(triangles) / static_cast<f64>(state.iterations());
}
BENCHMARK(TrackSegment)->Repetitions(3);
} // namespace
