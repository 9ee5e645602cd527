// Scene-side costs of a frame without rasterisation: the frustum test of 10,000 mesh boxes,
// their submission through a render queue (LOD choice, distance cut, current parameters) into a
// recording draw, the collection of a shadow split's casters among them (one core), and the
// layout of 10,000 characters of text. A memcpy of the meshes' world
// matrices (10,000 x 64 bytes) runs in the same program as the reference: the machine is shared,
// so compare ratios rather than absolute times.
#include "engine/render/camera.h"
#include "engine/render/light.h"
#include "engine/render/mesh.h"
#include "engine/render/meshdata.h"
#include "engine/render/rendercontext.h"
#include "engine/render/rendermanager.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/shadowcascades.h"
#include "engine/render/texturefont.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace
{
constexpr u32 MESH_COUNT = 10000;
constexpr u32 TEXT_LENGTH = 10000;

u32 s_nDraws = 0;

void CountDraw(TMeshData*, const TMatrix&, TRenderContext*, TMesh*)
{
    ++s_nDraws;
}

TCamera s_Camera;

TCamera* MainCamera()
{
    return &s_Camera;
}

// 10,000 meshes on a 100 x 100 grid in front of a camera that sees them all.
struct TScene
{
    TScene()
    {
        g_ManagerManager.Initialize();
        s_Camera.m_nFitMode = CAMERA_FIT_EXPLICIT;
        s_Camera.m_fHorizontalFov = s_Camera.m_fVerticalFov = 120.0f;
        s_Camera.m_fNearClip = 0.5f;
        s_Camera.m_fFarClip = 1000.0f;
        s_Camera.UpdateProjection(1, 1);
        s_Camera.m_Placement = TMatrix(1.0f);
        s_Camera.m_View = TMatrix(1.0f);
        s_Camera.m_ViewProjection = s_Camera.m_Projection;
        g_pRenderManager->SetCurrentCamera(&s_Camera);
        g_pFindMainCamera = MainCamera;
        g_pDrawMeshData = CountDraw;
        TBoundBox* box = const_cast<TBoundBox*>(MeshDataBoundBox(&data));
        box->minimum = TVector(-1, -1, -1, 1);
        box->maximum = TVector(1, 1, 1, 1);
        box->Update();
        for (u32 i = 0; i < MESH_COUNT; ++i)
        {
            nodes.push_back(std::make_unique<TNode>());
            meshes.push_back(std::make_unique<TMesh>());
            nodes[i]->AddObject(meshes[i].get());
            nodes[i]->GetWorldMatrix()->aRow[3] =
                TVector(static_cast<f32>(i % 100) - 50.0f, static_cast<f32>(i / 100) - 50.0f, 60.0f, 1.0f);
            meshes[i]->pMeshData = &data;
            meshes[i]->SetQueue(&queue);
        }
    }
    ~TScene()
    {
        for (u32 i = 0; i < MESH_COUNT; ++i)
            nodes[i]->DeleteObject(meshes[i].get());
    }

    TMeshData data;
    TRenderQueue queue{};
    std::vector<std::unique_ptr<TNode>> nodes;
    std::vector<std::unique_ptr<TMesh>> meshes;
};

TScene& Scene()
{
    static TScene s_Scene;
    return s_Scene;
}

void BM_MatrixCopyReference(benchmark::State& state)
{
    std::vector<TMatrix> from(MESH_COUNT, TMatrix(1.0f)), to(MESH_COUNT);
    for (auto _ : state)
    {
        std::memcpy(to.data(), from.data(), MESH_COUNT * sizeof(TMatrix));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * MESH_COUNT);
}
BENCHMARK(BM_MatrixCopyReference);

void BM_FrustumTest(benchmark::State& state)
{
    TScene& scene = Scene();
    for (auto _ : state)
    {
        u32 visible = 0;
        for (u32 i = 0; i < MESH_COUNT; ++i)
            visible += RenderObjectInFrustum(scene.meshes[i].get(), &s_Camera.m_ViewProjection, nullptr) ? 1 : 0;
        benchmark::DoNotOptimize(visible);
    }
    state.SetItemsProcessed(state.iterations() * MESH_COUNT);
}
BENCHMARK(BM_FrustumTest);

void BM_QueueSubmission(benchmark::State& state)
{
    TScene& scene = Scene();
    scene.queue.m_nFlags = static_cast<u32>(state.range(0));
    TRenderContext context;
    for (auto _ : state)
    {
        s_nDraws = 0;
        scene.queue.Render(&context, RenderObjectInFrustum, nullptr);
    }
    if (s_nDraws != MESH_COUNT && scene.queue.m_nFlags == 0)
        state.SkipWithError("not every mesh was drawn");
    state.SetItemsProcessed(state.iterations() * MESH_COUNT);
}
// Unsorted, and sorted (2,048 nearest of the 10,000).
BENCHMARK(BM_QueueSubmission)->Arg(0)->Arg(RENDER_QUEUE_SORTED)->Unit(benchmark::kMicrosecond);

// The casters of a split, gathered afresh each time (the record made invalid), among the 10,000
// meshes under a sun shining down on them: the walk over every object of the scene's queues.
void BM_SplitCasterCollection(benchmark::State& state)
{
    TScene& scene = Scene();
    scene.data.m_Description.aWord[0] |= MESH_DATA_CASTS_SHADOW;
    for (auto& node : scene.nodes)
        node->m_nFlags |= NODE_ENABLED | NODE_INHERITED;
    TRenderScene renderScene{};
    renderScene.m_nQueueCount = 1;
    renderScene.aRenderQueue[0] = &scene.queue;
    g_pRenderSceneManager->Scenes().Add(&renderScene);
    TNode sunNode;
    TMatrix down(1.0f);
    down.aRow[1] = TVector(0.0f, 0.0f, 1.0f, 0.0f);
    down.aRow[2] = TVector(0.0f, -1.0f, 0.0f, 0.0f);
    down.aRow[3] = TVector(0.0f, 200.0f, 60.0f, 1.0f);
    *sunNode.GetWorldMatrix() = down;
    TLight sun;
    sunNode.AddObject(&sun);
    const TMatrix lightView = TMatrix::MultiplyInverse(TMatrix(1.0f), down);
    const TBoundBox slice = ShadowSliceBox(s_Camera, 0.5f, 100.0f, lightView);
    i32 casters = 0;
    for (auto _ : state)
    {
        ResetSplitCasters();
        CollectSplitCasters(0, s_Camera, sun, lightView, 0.5f, 100.0f, slice, 300.0f);
        casters = SplitCasters(0).aCaster.GetCount();
    }
    state.counters["casters"] = casters;
    state.counters["ns_per_object"] = benchmark::Counter(static_cast<f64>(state.iterations()) * MESH_COUNT,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    ResetSplitCasters();
    sunNode.DeleteObject(&sun);
    g_pRenderSceneManager->Scenes().SetCount(0);
}
BENCHMARK(BM_SplitCasterCollection)->Unit(benchmark::kMicrosecond);

void BM_TextLayout(benchmark::State& state)
{
    static const TTextureFontGlyph glyphs[] = {
        {u' ', 0, 0, 0, 0, 0, 0.0f, 4.0f, 0.0f},
        {u'a', 0, 0, 0, 0, 0, 1.0f, 10.0f, 2.0f},
        {u'b', 0, 0, 0, 0, 0, 0.0f, 6.0f, 0.0f},
    };
    TTextureFont font;
    font.m_nLineHeight = 20;
    font.m_nGlyphCount = 3;
    font.pGlyph = glyphs;
    std::vector<char16_t> text(TEXT_LENGTH + 1, 0);
    for (u32 i = 0; i < TEXT_LENGTH; ++i)
        text[i] = i % 7 == 6 ? u' ' : (i % 2 ? u'a' : u'b');
    const TTextSpacing spacing{1.0f, 0.0f, 2.0f, 4.0f};
    for (auto _ : state)
        benchmark::DoNotOptimize(font.LayoutText(400.0f, text.data(), spacing));
    state.SetItemsProcessed(state.iterations() * TEXT_LENGTH);
}
BENCHMARK(BM_TextLayout);
} // namespace

BENCHMARK_MAIN();
