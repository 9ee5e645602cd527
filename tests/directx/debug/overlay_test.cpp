// The debug manager's overlays drawn by the software device through the canvas and the game's
// shaders, against golden images: the frame rate, the performance and memory table, the render
// statistics with the camera's location and the resource table.
#include "canvasfixture.h"

#include "core/system/memory.h"
#include "core/system/timer.h"
#include "directx/debug/debuglists.h"
#include "directx/debug/debugmanager.h"
#include "directx/debug/debugscene.h"
#include "engine/render/light.h"
#include "engine/render/lightmanager.h"
#include "engine/render/pipelinerecorder.h"
#include "engine/system/prop.h"
#include "engine/system/propdatapool.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletondata.h"
#include "engine/system/skeletonmanager.h"
#include "engine/system/skeletonpose.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxfontmanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/render/device.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/renderstats.h"
#include "platform/d3d9/golden.h"

#include <functional>
#include <string>

namespace
{
constexpr i32 kWidth = 720;
constexpr i32 kHeight = 720;

i64 s_nNow = 0;
i64 TestClock()
{
    return s_nNow;
}

class DebugOverlayTest : public CanvasFixture
{
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        LoadGameShaders();
        m_pManager->SetBackBufferSize(kWidth, kHeight);
        m_pCanvas->SetApertureMode(0);
        // The canvas's default font, as its begin phase makes it; the batches it makes then get
        // their shaders from the cluster load.
        [[maybe_unused]] static const bool s_bBegun = (m_pCanvas->BeginManager(), true);
        m_pCanvas->OnClusterLoad();
        m_pKeptTimer = g_pTimer;
        s_nNow = 0;
        m_pTimer = std::make_unique<TTimer>(TestClock);
        g_pTimer = m_pTimer.get();

        // The main camera 40 back and 12 up.
        Aim(m_Camera, TVector(3.0f, 12.0f, -40.0f, 1.0f), 60.0f, 500.0f, kWidth, kHeight, "debug");
    }
    void TearDown() override
    {
        for (const char* name : {"info.fps", "info.performance", "info.render", "info.location", "info.resources", "lights.debug", "grid", "skeleton.debug", "deferredrendering.debug", "shadow.debug", "renderpipeline.debug"})
            Variable(name)->SetInt(0);
        g_pTimer = m_pKeptTimer;
        // The node goes with the cluster; the camera must not reach it afterwards.
        m_Camera.pNode = nullptr;
        g_pDxFontManager->FinalizeManager();
        CanvasFixture::TearDown();
    }

    static TVariable* Variable(const char* name)
    {
        return TCommandManager::Instance().FindVariable(TName(name, true));
    }

    // One overlay frame into a fresh target, compared with the golden image.
    std::string Draw(const char* golden)
    {
        // The overlay pass draws into the back buffer when no renderer keeps pipeline targets.
        TRenderTarget* target = m_pManager->GetBackBufferTarget();
        target->SetRenderTarget(nullptr);
        IDirect3DDevice9* device = m_pManager->GetDevice();
        // The surface may be larger than the back buffer the canvas and the camera are told of:
        // the frame covers the part read back.
        const D3DVIEWPORT9 viewport = {0, 0, kWidth, kHeight, 0.0f, 1.0f};
        device->SetViewport(&viewport);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0);
        device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        device->BeginScene();
        g_pRenderManager->m_nInRender = 1;
        g_pDebugManager->RenderManager();
        g_pRenderManager->m_nInRender = 0;
        device->EndScene();
        return CompareWithGolden(golden, ReadBackBuffer(kWidth, kHeight), kWidth, kHeight);
    }

    TCamera m_Camera;
    std::unique_ptr<TTimer> m_pTimer;
    TTimer* m_pKeptTimer = nullptr;
};
} // namespace

// The resource table with its names and columns (before any refresh), the frame rate (0 on the
// first frame rather than a division by 0), and the render statistics with the camera's location.
TEST_F(DebugOverlayTest, TheFrameRateTheRenderStatisticsAndTheResourceTableAreListed)
{
    const struct
    {
        std::vector<const char*> variables;
        std::function<void()> setUp;
        const char* golden;
    } cases[] = {
        {{"info.resources"}, [] { DebugResourceTable() = {}; }, "debug_lists"},
        {{"info.fps"}, [] {}, "debug_fps_first"},
        {{"info.fps"},
         [this] {
             s_nNow += TIMER_COUNTS_PER_SECOND / 50;
             m_pTimer->Update();
         },
         "debug_fps"},
        {{"info.render", "info.location"},
         [] {
             for (u32 i = 0; i < RENDER_STATS_COUNT; ++i)
                 g_RenderStatsFrame.aCounter[i] = 1000 * (i + 1) + i;
         },
         "debug_render_location"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.golden);
        for (const char* name : {"info.fps", "info.render", "info.location", "info.resources"})
            Variable(name)->SetInt(0);
        for (const char* name : c.variables)
            Variable(name)->SetInt(1);
        g_RenderStatsFrame.Clear();
        c.setUp();
        EXPECT_EQ("", Draw(c.golden));
    }
    g_RenderStatsFrame.Clear();
}

TEST_F(DebugOverlayTest, ThePerformanceTableListsTheManagersAndTheMemory)
{
    Variable("info.performance")->SetInt(1);
    TManagerTiming& timing = g_ManagerManager.GetTiming();
    const TManagerTiming kept = timing;
    timing.aLast[0] = 0.5f;
    timing.aLast[1] = 4.0f;
    timing.aLast[2] = 0.25f;
    timing.aLast[3] = 10.0f;
    timing.aLast[4] = 1.25f;
    // Two managers at work: one updating, one on a worker.
    TManager* render = g_ManagerManager.FindManager(TName("Render", true));
    TManager* debug = g_ManagerManager.FindManager(TName("Debug", true));
    ASSERT_TRUE(render && debug);
    render->m_fRenderTime = 6.5f;
    debug->m_fThreadUpdateTime = 1.5f;
    debug->m_nWorker = 1;
    debug->m_nWorkerIndex = 1;
    TDeviceStatistics& statistics = *g_pDeviceManager->GetStatistics();
    const TDeviceStatistics keptStatistics = statistics;
    statistics = {1048576, 2097152, 4194304, 524288, 0, 1048576, 262144, 3145728, 1572864, 786432};
    const u32 bytes = g_MemoryBytes.exchange(50u << 20);
    const u32 allocations = g_MemoryAllocations.exchange(1234);
    const u32 releases = g_MemoryReleases.exchange(1000);
    const std::string result = Draw("debug_performance");
    g_MemoryBytes += bytes - (50u << 20);
    g_MemoryAllocations += allocations - 1234;
    g_MemoryReleases += releases - 1000;
    statistics = keptStatistics;
    timing = kept;
    render->m_fRenderTime = 0.0f;
    debug->m_fThreadUpdateTime = 0.0f;
    debug->m_nWorker = 0;
    debug->m_nWorkerIndex = 0;
    EXPECT_EQ("", result);
}

TEST_F(DebugOverlayTest, TheLightsAreListedAndThoseOnAreDrawnByTheirType)
{
    Variable("lights.debug")->SetInt(1);
    struct TPlacedLight
    {
        const char* name;
        i32 type;
        TVector position;
    };
    // An off light is listed in blue with no shape; a type outside the names still has its line.
    const TPlacedLight placed[] = {{"sun", LIGHT_DIRECTIONAL, TVector(-8.0f, 2.0f, 0.0f, 1.0f)},
                                   {"lamp", LIGHT_POINT, TVector(0.0f, 1.0f, 0.0f, 1.0f)},
                                   {"torch", LIGHT_SPOT, TVector(8.0f, 3.0f, 0.0f, 1.0f)},
                                   {"off", LIGHT_POINT, TVector(4.0f, 1.0f, 4.0f, 1.0f)},
                                   {"odd", 9, TVector(-4.0f, 1.0f, 4.0f, 1.0f)}};
    std::vector<std::unique_ptr<TLight>> lights;
    DArray<TLight*>& list = g_pLightManager->Lights();
    for (const TPlacedLight& p : placed)
    {
        TNode* node = g_pNodeManager->CreateNode(p.name);
        TMatrix m(1.0f);
        // Pointing down and ahead.
        m.SetOrientation(TVector(0.0f, -1.0f, 1.0f, 0.0f).Normalized(), TVector(0.0f, 1.0f, 0.0f, 0.0f));
        m.aRow[3] = p.position;
        node->SetLocalMatrix(m, TNode::OrdinaryCause());
        lights.push_back(std::make_unique<TLight>());
        TLight& light = *lights.back();
        light.m_nType = p.type;
        light.m_fRange = 3.0f;
        light.m_fPower = 1.0f;
        light.m_fIntensity = 0.75f;
        light.m_nCastsShadows = 1;
        light.m_fDepthBias = 0.002f;
        light.m_fShadowDistance = 40.0f;
        light.m_nSplitCount = 3;
        light.m_aColor[0] = 1.0f;
        light.m_aColor[1] = 0.5f;
        light.m_aColor[2] = 0.25f;
        light.m_aColor[3] = 1.0f;
        light.SetCone(0.3f, 0.5f);
        node->AddObject(&light);
        if (std::string(p.name) == "off")
            node->Enable(0, 0);
        list.Add(&light);
    }
    const std::string result = Draw("debug_lights");
    list.SetCount(0);
    for (auto& light : lights)
        light->GetNode()->DeleteObject(light.get());
    EXPECT_EQ("", result);
}

TEST_F(DebugOverlayTest, TheGridAndTheBonesAreDrawnAndOnlyANearSkeletonNamesItsBones)
{
    Variable("grid")->SetInt(1);
    Variable("skeleton.debug")->SetInt(2);
    // Two skeletons of one three-bone chain: one 16 units before the camera, one far behind the grid.
    TSkeletonData data;
    data.m_nBoneCount = 3;
    data.aBone[0].nParent = -1;
    data.aBone[1].nParent = 0;
    data.aBone[2].nParent = 1;
    // Named, unnamed (its number) and named by an id the name table has no text for.
    data.aBone[0].Name = TName("pelvis", true);
    data.aBone[2].Name.SetId(0x1234abcdu);
    const TVector places[2] = {TVector(3.0f, 6.0f, -26.0f, 1.0f), TVector(-10.0f, 0.0f, 20.0f, 1.0f)};
    TSkeletonPose poses[2];
    TSkeleton skeletons[2];
    for (u32 k = 0; k < 2; ++k)
    {
        poses[k].m_nBoneCount = 3;
        ASSERT_EQ(poses[k].Load(), 0);
        poses[k].m_pPublished[1].aRow[3] = TVector(0.0f, 1.5f, 0.0f, 1.0f);
        poses[k].m_pPublished[2].aRow[3] = TVector(1.0f, 2.5f, 0.0f, 1.0f);
        skeletons[k].pSkeletonData = &data;
        skeletons[k].pSkeletonPose = &poses[k];
        TNode* node = g_pNodeManager->CreateNode(k == 0 ? "near" : "far");
        TMatrix m(1.0f);
        m.aRow[3] = places[k];
        node->SetLocalMatrix(m, TNode::OrdinaryCause());
        node->AddObject(&skeletons[k]);
        g_pSkeletonManager->Skeletons().Add(&skeletons[k]);
    }
    const std::string result = Draw("debug_grid_skeleton");
    g_pSkeletonManager->Skeletons().SetCount(0);
    for (TSkeleton& skeleton : skeletons)
        skeleton.GetNode()->DeleteObject(&skeleton);
    EXPECT_EQ("", result);
}

TEST_F(DebugOverlayTest, ThePipelineTargetsFillTheBottomTenthAndShadowThumbnailsWaitForShadows)
{
    Variable("deferredrendering.debug")->SetInt(1);
    // Shadows are off here: their thumbnails are not drawn.
    Variable("shadow.debug")->SetInt(1);
    MakeUnitRect();
    IDirect3DDevice9* device = m_pManager->GetDevice();
    const D3DCOLOR colours[DEBUG_PIPELINE_THUMBNAILS] = {0xFFC04040, 0xFF40C040, 0xFF4040C0,
                                                         0xFFC0C040, 0xFF40C0C0, 0xFFC040C0};
    for (u32 k = 0; k < DEBUG_PIPELINE_THUMBNAILS; ++k)
    {
        const std::string name = "published" + std::to_string(k + 1);
        TRenderTarget* target =
            g_pDxRenderTargetManager->CreateRenderTarget(TName(name.c_str(), true), 64, 32, 0x102, 0, 0, 0);
        ASSERT_NE(target, nullptr);
        target->SetRenderTarget(nullptr);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, colours[k], 1.0f, 0);
        // A bar across the upper half, so each thumbnail shows its orientation.
        const D3DRECT bar = {0, 0, 64, 16};
        device->Clear(1, &bar, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
        g_pRenderManager->SetPublishedTarget(k + 1, target);
    }
    const std::string result = Draw("debug_thumbnails");
    for (u32 k = 0; k < DEBUG_PIPELINE_THUMBNAILS; ++k)
        g_pRenderManager->SetPublishedTarget(k + 1, nullptr);
    EXPECT_EQ("", result);
}

TEST_F(DebugOverlayTest, ThePipelineViewerShowsTheRecordedStepsAndSwitchingOffDropsItsTexture)
{
    MakeUnitRect();
    Variable("renderpipeline.debug")->SetInt(1);
    ASSERT_TRUE(g_PipelineRecorder.IsRecording());
    g_PipelineRecorder.Reset();
    IDirect3DDevice9* device = m_pManager->GetDevice();
    // Two steps into a target of their own, as the pipeline's passes record themselves.
    TRenderTarget* colour = g_pDxRenderTargetManager->CreateRenderTarget(TName("Color", true), 64, 64, 0x102, 0, 0, 0);
    ASSERT_NE(colour, nullptr);
    colour->SetRenderTarget(nullptr);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF80C040, 1.0f, 0);
    device->BeginScene();
    g_PipelineRecorder.Record(TName("gbuffer", true), g_pDxShaderManager->FindShader(TName("Shader_canvas", true)));
    g_PipelineRecorder.Record(TName("lighting", true), nullptr);
    device->EndScene();
    ASSERT_EQ(g_PipelineRecorder.GetStepCount(), 2u);
    const std::string result = Draw("debug_pipeline");
    EXPECT_NE(g_PipelineRecorder.GetTexture(), nullptr);
    Variable("renderpipeline.debug")->SetInt(0);
    EXPECT_FALSE(g_PipelineRecorder.IsRecording());
    EXPECT_EQ(g_PipelineRecorder.GetTexture(), nullptr);
    g_PipelineRecorder.Reset();
    EXPECT_EQ("", result);
}

static bool SameColor(const TColor& a, const TColor& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

TEST(DebugPropListTest, TheCountersComeFromThePoolAndTheColourRulesEndWithBlack)
{
    TPropDataPool pool = {};
    TProp holders[2];
    pool.lProp.pFirst = &holders[0];
    holders[0].pNext = &holders[1];
    pool.m_nFreeCount = 3;
    pool.m_nInsideFrustum = 4;
    TDebugPropCounts n = DebugPropCounts(pool);
    EXPECT_EQ(n.n0, 3);
    EXPECT_EQ(n.n1, 5);
    EXPECT_EQ(n.n2, 4);
    EXPECT_TRUE(SameColor(DebugPropColor(0, n), DEBUG_LIGHT_GREY));
    EXPECT_TRUE(SameColor(DebugPropColor(1, n), DEBUG_WHITE));
    // As many visible props as forms: blue; none visible: black, whatever the row.
    n.n2 = 5;
    EXPECT_TRUE(SameColor(DebugPropColor(1, n), DEBUG_BLUE));
    n.n1 = 0;
    n.n2 = 0;
    EXPECT_TRUE(SameColor(DebugPropColor(0, n), DEBUG_BLACK));
    // A stored free count outside the stack is not believed.
    pool.m_nFreeCount = 5000;
    EXPECT_EQ(DebugPropCounts(pool).n0, 1024);
    pool.m_nFreeCount = -2;
    EXPECT_EQ(DebugPropCounts(pool).n0, 0);
}
