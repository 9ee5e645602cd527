// The decals' costs, each beside its yardstick measured in the same run:
// - TrackSegment: a track decal laying one segment (the box query, clipping, the pool's
//   vertices) against the collision manager's box query of the same box with a callback that
//   only counts; counters segment_ns, query_ns and ratio (aim: at most 3).
// - FullPool: a full pool drawn by the decal manager against its vertices copied into a plain
//   dynamic mesh and drawn with the same shader; counters pool_ns, plain_ns, ratio (aim: 1.5).
// - FlareStep: 64 lens flares of 8 x 8 pixels drawn by the flare manager (query read, fade,
//   occlusion square, quad) against their squares drawn through the canvas and their quads
//   through a plain dynamic mesh alone; counters flare_ns, alone_ns and ratio (aim: at most 3).
#include "ageia/nxcollisionmanager.h"
#include "ageia/nxcollisionmesh.h"
#include "ageia/nxcollisionmeshdata.h"
#include "ageia/nxdynamics.h"
#include "core/cluster/cluster.h"
#include "engine/render/decal.h"
#include "engine/render/decaldata.h"
#include "engine/render/dynamicmesh.h"
#include "engine/render/meshdata.h"
#include "engine/render/rendermanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/repository.h"
#include "engine/system/resourcemanager.h"
#include "igame/effects/decalvertex.h"
#include "igame/effects/lensflare.h"
#include "igame/effects/lensflaremanager.h"
#include "directx/render/dxcanvasmanager.h"
#include "engine/render/canvasmanager.h"
#include "igame/effects/decalmanager.h"
#include "igame/effects/decalprojection.h"
#include "igame/effects/trackdecal.h"
#include "repositorywriter.h"
#include "support/softwaredevice.h"
#include "support/levelstart.h"
#include "support/scratchworkingfolder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

namespace
{
// A ground of 40 x 40 cells of one metre (two triangles each) about the origin.
constexpr i32 kCells = 40;
constexpr u32 kRepository = 71;

struct TGround
{
    TGround()
    {
        StartPhysics(StillSettings());
        g_pDecalManager->OnClusterLoad();
        TRepositoryWriter writer(kRepository, REPOSITORY_STREAMED);
        writer.Write("cooked.data", nullptr, 0, false);
        cooked = std::make_unique<TRepository>(kRepository, REPOSITORY_STREAMED, TName("cooked.data", true));
        cooked->OpenStreamed("cooked.data", true);
        MakeGround(cooked.get(), kCells, [](i32, i32) { return 0.0f; }, DECAL_PROJECTION_GROUP);

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

// A full pool (16,000 vertices: small triangles over the screen) drawn by the decal manager
// against the same vertices copied into a plain dynamic mesh of the decal layout and drawn with
// the same shader; counters pool_ns, plain_ns and ratio (aim: at most 1.5).
void FullPool(benchmark::State& state)
{
    static TCamera s_Camera;
    static TNode s_Eye;
    static TFixedCamera s_Plugin;
    if (!StartSoftwareDevice(VESTAMOR_SHADER_REPOSITORY, s_Camera, s_Eye, s_Plugin))
    {
        state.SkipWithError("no device");
        return;
    }
    static TDecalData s_Data{};
    static TDecal s_Decal{};
    s_Decal.pDecalData = &s_Data;
    g_pDecalManager->OnClusterLoad();
    TDecalPool* pool = g_pDecalManager->GetPool(&s_Data, &s_Decal);
    TDecalVertex* out = pool->Reserve(DECAL_POOL_VERTICES);
    // Triangles of 8 pixels on a grid over the screen, in the plane before the camera.
    constexpr u32 kColumns = 80;
    constexpr f32 kSize = 8.0f / 64.0f;
    for (u32 t = 0; t < DECAL_POOL_VERTICES / 3; ++t)
    {
        const f32 x = (static_cast<f32>(t % kColumns) - kColumns * 0.5f) * 0.24f;
        const f32 y = (static_cast<f32>(t / kColumns % 60) - 30.0f) * 0.18f;
        const f32 corner[3][2] = {{x, y}, {x + kSize, y}, {x, y + kSize}};
        for (u32 k = 0; k < 3; ++k)
        {
            TDecalVertex& v = out[t * 3 + k];
            v = {};
            v.aPosition[0] = corner[k][0];
            v.aPosition[1] = corner[k][1];
            v.aTexCoord[0] = corner[k][0];
            v.aTexCoord[1] = corner[k][1];
            v.aOne[0] = v.aOne[1] = 1.0f;
            v.nColour = 0x80FFFFFFu;
        }
    }
    TDynamicMesh* mesh = g_pCreateDynamicMesh(DECAL_POOL_VERTICES, DecalVertexFormat());
    TShader* shader = g_pDxShaderManager->FindShader(TName("Decals_normal", true));
    if (!mesh || !shader)
    {
        state.SkipWithError("no mesh or no decal shader");
        return;
    }
    IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
    f64 drawn = 0.0, plain = 0.0;
    for (auto _ : state)
    {
        device->BeginScene();
        g_pRenderManager->BindBackBuffer(0);
        TClock::time_point start = TClock::now();
        g_pDecalManager->RenderManager();
        drawn += NanosecondsSince(start);
        start = TClock::now();
        std::memcpy(mesh->LockVertices(DECAL_POOL_VERTICES), pool->GetVertices(),
                    DECAL_POOL_VERTICES * sizeof(TDecalVertex));
        mesh->Draw(DECAL_POOL_VERTICES, shader);
        plain += NanosecondsSince(start);
        device->EndScene();
    }
    const f64 n = static_cast<f64>(state.iterations()) * DECAL_POOL_VERTICES;
    state.counters["pool_ns"] = drawn / n;
    state.counters["plain_ns"] = plain / n;
    state.counters["ratio"] = drawn / plain;
}
BENCHMARK(FullPool)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);

void FlareStep(benchmark::State& state)
{
    static TCamera s_Camera;
    static TNode s_Eye;
    static TFixedCamera s_Plugin;
    if (!StartSoftwareDevice(VESTAMOR_SHADER_REPOSITORY, s_Camera, s_Eye, s_Plugin))
    {
        state.SkipWithError("no device");
        return;
    }
    static const bool s_bCanvas = [] {
        g_pDxCanvasManager->BeginManager();
        return true;
    }();
    (void)s_bCanvas;
    g_pRenderManager->SetCurrentCamera(&s_Camera);
    g_pRenderManager->m_nInRender = 1;
    constexpr u32 kFlares = 64;
    constexpr f32 kHalf = 4.0f / 64.0f;
    static TNode s_aNode[kFlares];
    static TLensFlare s_aFlare[kFlares];
    g_pLensFlareManager->OnClusterLoad();
    std::vector<TCanvasVertex> squares(kFlares * LENS_FLARE_QUAD_VERTICES), quads(kFlares * LENS_FLARE_QUAD_VERTICES);
    const TVector right(1.0f, 0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f, 0.0f);
    for (u32 i = 0; i < kFlares; ++i)
    {
        TMatrix at(1.0f);
        at.aRow[0] = TVector(-1.0f, 0.0f, 0.0f, 0.0f);
        at.aRow[2] = TVector(0.0f, 0.0f, -1.0f, 0.0f);
        at.aRow[3] = TVector((static_cast<f32>(i % 8) - 4.0f) * 1.5f, (static_cast<f32>(i / 8) - 4.0f) * 1.0f, 0.0f, 1.0f);
        s_aNode[i].m_nFlags = NODE_ENABLED | NODE_INHERITED;
        s_aNode[i].SetLocalMatrix(at, TNode::OrdinaryCause());
        TLensFlare& flare = s_aFlare[i];
        if (!flare.pNode)
            s_aNode[i].AddObject(&flare);
        flare.m_fOcclusionSize = kHalf;
        flare.m_fWidth = flare.m_fHeight = kHalf;
        // The list of the repetition before is gone.
        flare.pPrevious = flare.pNext = nullptr;
        g_pLensFlareManager->Activate(&flare);
        TLensFlare::WriteQuad(&squares[i * LENS_FLARE_QUAD_VERTICES], at.aRow[3], right, up, kHalf, kHalf, 0xFFFFFFFFu);
        TLensFlare::WriteQuad(&quads[i * LENS_FLARE_QUAD_VERTICES], at.aRow[3], right, up, kHalf, kHalf, 0xFFFFFFFFu);
    }
    TShader* occlusion = g_pDxShaderManager->FindShader(TName("OcclusionQuery", true));
    TShader* added = g_pCanvasManager->SetShader(nullptr, LENS_FLARE_SHADER_KINDS[1]);
    TDynamicMesh* mesh = g_pCreateDynamicMesh(LENS_FLARE_BATCH_VERTICES, CanvasVertexDescription());
    if (!occlusion || !added || !mesh)
    {
        state.SkipWithError("no shaders or no mesh");
        return;
    }
    IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
    f64 flares = 0.0, alone = 0.0;
    for (auto _ : state)
    {
        device->BeginScene();
        TClock::time_point start = TClock::now();
        g_pLensFlareManager->RenderManager();
        flares += NanosecondsSince(start);
        start = TClock::now();
        for (u32 i = 0; i < kFlares; ++i)
        {
            g_pCanvasManager->DrawUserVertices(LENS_FLARE_QUAD_VERTICES, &squares[i * LENS_FLARE_QUAD_VERTICES], occlusion);
            g_pCanvasManager->Flush();
        }
        std::memcpy(mesh->LockVertices(static_cast<u32>(quads.size())), quads.data(), quads.size() * sizeof(TCanvasVertex));
        mesh->Draw(static_cast<u32>(quads.size()), added);
        alone += NanosecondsSince(start);
        device->EndScene();
    }
    g_pRenderManager->m_nInRender = 0;
    const f64 n = static_cast<f64>(state.iterations()) * kFlares;
    state.counters["flare_ns"] = flares / n;
    state.counters["alone_ns"] = alone / n;
    state.counters["ratio"] = flares / alone;
}
BENCHMARK(FlareStep)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);
} // namespace
