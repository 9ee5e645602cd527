// The vegetation's costs, each beside its yardstick measured in the same run (processor time):
// - NearPlant: 1,000 near instances of one plant drawn by their cluster (fades, instance
//   matrices, near records) against 1,000 meshes drawn by their queue, both into a draw that
//   only counts; counters plant_ns, mesh_ns (a plant, a mesh) and ratio (aim: at most 1.5).
// - ProbeGrid: the vegetation manager probing its 5 x 5 grid on a collision ground against the
//   same 25 rays cast directly; counters grid_ns, rays_ns and ratio (aim: at most 1.2).
#include "ageia/nxcollisionmanager.h"
#include "ageia/nxcollisionmesh.h"
#include "ageia/nxcollisionmeshdata.h"
#include "ageia/nxdynamics.h"
#include "core/cluster/cluster.h"
#include "core/system/timer.h"
#include "engine/render/camera.h"
#include "engine/render/mesh.h"
#include "engine/render/meshdata.h"
#include "engine/render/propdatarender.h"
#include "engine/render/rendercontext.h"
#include "engine/render/renderqueue.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/repository.h"
#include "igame/effects/vegetation/vegetationarea.h"
#include "igame/effects/vegetation/vegetationcluster.h"
#include "igame/effects/vegetation/vegetationclusterproxy.h"
#include "igame/effects/vegetation/vegetationmanager.h"
#include "repositorywriter.h"
#include "support/scratchworkingfolder.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <memory>
#include <vector>

namespace
{
// The thread's processor time: on a machine shared with other work, the wall clock would count
// the time others take.
struct TClock
{
    using time_point = f64;
    static f64 now()
    {
        timespec t;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<f64>(t.tv_sec) * 1e9 + static_cast<f64>(t.tv_nsec);
    }
};

f64 NanosecondsSince(f64 start)
{
    return TClock::now() - start;
}

constexpr u32 kPlants = 1000;
constexpr u32 kRepository = 72;
// The ground: 40 x 40 cells of one metre about the origin.
constexpr i32 kCells = 40;

TCamera s_Camera;
u32 s_nDrawn = 0;

TCamera* MainCamera()
{
    return &s_Camera;
}

void CountDraw(TMeshData*, const TMatrix&, TRenderContext*, TMesh*)
{
    ++s_nDrawn;
}

u32 Everything(TRenderObject*, const TMatrix*, void*)
{
    return 1;
}

void Begin()
{
    static bool s_bBegun = false;
    if (s_bBegun)
        return;
    s_bBegun = true;
    g_ManagerManager.Initialize();
    g_pCluster->LinkTypes();
    g_pFindMainCamera = MainCamera;
    g_pDrawMeshData = CountDraw;
    s_Camera.m_Placement = TMatrix(1.0f);
    static TTimer s_Timer;
    g_pTimer = &s_Timer;
}

void NearPlant(benchmark::State& state)
{
    Begin();
    static TMeshData s_Data;
    s_Data.m_Description.aWord[0] = MESH_DATA_NEVER_CUT;
    static TRenderQueue s_Meshes{}, s_Plants{};
    // The yardstick: a mesh a node, each in the queue.
    static std::vector<std::unique_ptr<TNode>> s_aNode;
    static std::vector<std::unique_ptr<TMesh>> s_aMesh;
    // The plants: one cluster of instances within the near distance, one plant kind.
    static TNode s_PlantRoot;
    static TMesh s_Plant;
    static TPropDataRender s_Kind{};
    static TVegetationCluster s_Cluster;
    static TVegetationClusterProxy s_Proxy;
    if (s_aMesh.empty())
    {
        for (u32 i = 0; i < kPlants; ++i)
        {
            s_aNode.push_back(std::make_unique<TNode>());
            s_aMesh.push_back(std::make_unique<TMesh>());
            TMatrix at(1.0f);
            at.aRow[3] = TVector(static_cast<f32>(i % 40) * 0.5f, 0.0f, static_cast<f32>(i / 40) * 0.5f, 1.0f);
            s_aNode.back()->SetLocalMatrix(at, TNode::OrdinaryCause());
            s_aMesh.back()->pMeshData = &s_Data;
            s_aNode.back()->AddObject(s_aMesh.back().get());
            s_aMesh.back()->SetQueue(&s_Meshes);
        }
        s_Plant.pMeshData = &s_Data;
        s_PlantRoot.AddObject(&s_Plant);
        s_Plant.pRenderQueue = &s_Plants;
        s_Kind.aMesh[0] = &s_Plant;
        g_pVegetationManager->PlantMeshes().Add(&s_Kind);
        s_Cluster.pInstance = new TImposterRecord[kPlants];
        s_Cluster.m_nInstanceCount = kPlants;
        for (u32 i = 0; i < kPlants; ++i)
            for (TImposterVertex& v : s_Cluster.pInstance[i].aVertex)
            {
                v = {};
                v.aPosition[0] = static_cast<i16>((i % 40) * 5);
                v.aPosition[2] = static_cast<i16>((i / 40) * 5);
                v.nHeading = static_cast<u8>(i * 37);
                v.nPitch = static_cast<u8>(i % 3);
                v.nSize = 50;
                v.aColour[0] = v.aColour[1] = v.aColour[2] = v.aColour[3] = 255;
            }
        s_Cluster.SetLoaded(1);
        s_Cluster.m_fSize = 40.0f;
        s_Proxy.pCluster = &s_Cluster;
        s_Proxy.pRenderQueue = &s_Plants;
        s_Proxy.m_nFlags = VEGETATION_PROXY_NO_IMPOSTER;
    }
    g_pVegetationManager->SetRangeFactor(1.0f);
    TRenderContext context;
    f64 plants = 0.0, meshes = 0.0;
    for (auto _ : state)
    {
        // A new frame: the cluster decides again rather than replaying.
        g_pTimer->Update();
        s_nDrawn = 0;
        TClock::time_point start = TClock::now();
        s_Proxy.Draw(&context);
        plants += NanosecondsSince(start);
        start = TClock::now();
        s_Meshes.Render(&context, Everything, nullptr);
        meshes += NanosecondsSince(start);
        if (s_nDrawn != 2 * kPlants)
            state.SkipWithError("not every plant and mesh drawn");
    }
    const f64 n = static_cast<f64>(state.iterations()) * kPlants;
    state.counters["plant_ns"] = plants / n;
    state.counters["mesh_ns"] = meshes / n;
    state.counters["ratio"] = plants / meshes;
}
BENCHMARK(NearPlant)->Repetitions(3);

void ProbeGrid(benchmark::State& state)
{
    Begin();
    static TScratchWorkingFolder s_Folder{"vegetation_benchmark"};
    static std::unique_ptr<TRepository> s_pCooked;
    static std::vector<std::unique_ptr<TVegetationArea>> s_aArea;
    TVegetationManager& manager = *g_pVegetationManager;
    if (!s_pCooked)
    {
        g_pNxDynamicsManager->InitializeManager();
        g_pNxDynamicsManager->BeginManager();
        g_pNxCollisionManager->BeginManager();
        TDynamicsSettings settings{};
        settings.fRate = 60.0f;
        settings.nMaxSubSteps = 1;
        g_pNxDynamicsManager->SetData(0, &settings, sizeof settings);
        g_pNxDynamicsManager->OnClusterLoad();
        TRepositoryWriter writer(kRepository, REPOSITORY_STREAMED);
        writer.Write("cooked.data", nullptr, 0, false);
        s_pCooked = std::make_unique<TRepository>(kRepository, REPOSITORY_STREAMED, TName("cooked.data", true));
        s_pCooked->OpenStreamed("cooked.data", true);
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
            0, &mesh, vertices.data(), indices.data(), s_pCooked.get(), COLLISION_DATA_TRIANGLES, 0);
        data->SetData(s_pCooked.get(), data->m_nDataOffset, data->m_nDataSize);
        TNxCollisionMesh* shape =
            g_pNxCollisionManager->CreateCollisionMesh(g_pNodeManager->CreateNode("ground"), data, 0);
        shape->SetGroupsMask(VEGETATION_GROUND_GROUP);
        shape->__Create();
        for (u32 i = 0; i < 25; ++i)
        {
            s_aArea.push_back(std::make_unique<TVegetationArea>());
            g_pNodeManager->CreateNode("area")->AddObject(s_aArea.back().get());
            manager.Areas().Add(s_aArea.back().get());
        }
        // Cells of 5 over the ground: every ray hits.
        TVegetationSettings vegetation = DefaultVegetationSettings();
        vegetation.fCellSize = 5.0f;
        manager.SetData(0, &vegetation, sizeof vegetation);
    }
    manager.ApplyRange(10.0f);
    const TVector camera(0.3f, 5.0f, -0.2f, 1.0f);
    f64 grid = 0.0, rays = 0.0;
    u32 hits = 0;
    for (auto _ : state)
    {
        TClock::time_point start = TClock::now();
        manager.Probe(camera);
        grid += NanosecondsSince(start);
        manager.PlaceAreas();
        start = TClock::now();
        for (i32 iz = -2; iz <= 2; ++iz)
            for (i32 ix = -2; ix <= 2; ++ix)
            {
                const f32 x = ix * 5.0f, z = iz * 5.0f;
                TCollisionHit hit{};
                hit.nFilter = VEGETATION_GROUND_GROUP;
                hits += g_pNxCollisionManager->RayCast(
                    TRay(TVector(x, camera.y + 20.0f, z, 1.0f), TVector(x, camera.y - 200.0f, z, 1.0f)), hit, 0);
            }
        rays += NanosecondsSince(start);
    }
    if (hits != 25 * state.iterations())
        state.SkipWithError("a ray missed the ground");
    state.counters["grid_ns"] = grid / static_cast<f64>(state.iterations());
    state.counters["rays_ns"] = rays / static_cast<f64>(state.iterations());
    state.counters["ratio"] = grid / rays;
}
BENCHMARK(ProbeGrid)->Repetitions(3);
} // namespace
