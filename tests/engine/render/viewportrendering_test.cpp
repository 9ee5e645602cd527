// The viewport manager's entries: each rendered viewport drawn by the active renderer with its
// camera, the scenes a viewport lists, the overlay queues in a pass of their own.
#include "renderfixture.h"

#include "engine/render/camera.h"
#include "engine/render/light.h"
#include "engine/render/lightmanager.h"
#include "engine/render/rendercontext.h"
#include "engine/render/rendermanager.h"
#include "engine/render/renderobject.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/viewport.h"
#include "engine/render/viewportrendering.h"
#include "engine/render/viewportset.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// Records which camera was current when it was drawn; it stands 10 units along +z.
struct TProbe : TRenderObject
{
    TProbe() { m_World.aRow[3] = TVector(0.0f, 0.0f, 10.0f, 1.0f); }
    const TMatrix* GetMatrix() override { return &m_World; }
    TMatrix m_World{1.0f};
    void Draw(TRenderContext*) override { aCamera.push_back(g_pRenderManager->GetCurrentCamera()); }
    std::vector<TCamera*> aCamera;
};

// The forward renderer draws the scenes in the pass of its directional light.
struct ViewportRenderingTest : RenderTest
{
    ViewportRenderingTest()
    {
        sun.m_nType = LIGHT_DIRECTIONAL;
        g_pLightManager->Lights().Add(&sun);
        queue.m_nFlags = RENDER_QUEUE_ENABLED;
        scene.m_nQueueCount = 1;
        scene.aRenderQueue[0] = &queue;
        g_pRenderSceneManager->Scenes().Add(&scene);
        probe.SetQueue(&queue);
        for (TCamera* camera : {&own, &fallback})
        {
            camera->m_nFitMode = CAMERA_FIT_EXPLICIT;
            camera->m_fHorizontalFov = camera->m_fVerticalFov = 90.0f;
            camera->m_fNearClip = 1.0f;
            camera->m_fFarClip = 100.0f;
            camera->UpdateProjection(1, 1);
        }
        node.AddObject(&own);
        node.GetWorldMatrix()->aRow[3] = TVector(0.0f, 0.0f, -10.0f, 1.0f);
        fallback.m_ViewProjection = fallback.m_Projection;
    }
    ~ViewportRenderingTest() override
    {
        g_pLightManager->Lights().SetCount(0);
        node.DeleteObject(&own);
        probe.RemoveFromQueue();
        g_pRenderSceneManager->Scenes().SetCount(0);
    }

    TLight sun;
    TRenderQueue queue{};
    TRenderScene scene{};
    TProbe probe;
    TNode node;
    TCamera own, fallback;
    TTestViewport first, second, hidden;
};
} // namespace

TEST_F(ViewportRenderingTest, RenderedViewportsDrawWithTheirCameraOrTheDefaultOne)
{
    first.m_nFlags = VIEWPORT_FLAG_RENDERED | RENDER_PASS_SCENES;
    first.pCamera = &own;
    second.m_nFlags = VIEWPORT_FLAG_RENDERED | RENDER_PASS_SCENES;
    hidden.m_nFlags = 0;
    TViewportSet set{0, 3, {&first, &hidden, &second}};
    RenderViewports(VIEWPORT_MODE_SET, &set, &fallback);
    EXPECT_EQ((std::vector<TCamera*>{&own, &fallback}), probe.aCamera);
    // The own camera was updated from its node before drawing.
    EXPECT_FLOAT_EQ(10.0f, own.m_View.aRow[3].z);
    EXPECT_EQ(&second, g_pRenderManager->GetCurrentViewport());
    EXPECT_EQ(&set, g_pRenderManager->GetCurrentViewportSet());

    TViewportSet empty{0, 0, {}};
    RenderViewports(VIEWPORT_MODE_SET, &empty, &fallback);
    EXPECT_EQ(nullptr, g_pRenderManager->GetCurrentViewportSet());
}

TEST_F(ViewportRenderingTest, AViewportDrawsTheScenesItListsOrEveryScene)
{
    TRenderQueue otherQueue{};
    otherQueue.m_nFlags = RENDER_QUEUE_ENABLED;
    TRenderScene other{};
    other.m_nQueueCount = 1;
    other.aRenderQueue[0] = &otherQueue;
    TProbe elsewhere;
    elsewhere.SetQueue(&otherQueue);
    g_pRenderSceneManager->Scenes().Add(&other);
    g_pRenderManager->SetCurrentCamera(&fallback);
    g_pRenderManager->RenderViewport(&first);
    EXPECT_EQ(1u, probe.aCamera.size());
    EXPECT_EQ(1u, elsewhere.aCamera.size());
    first.aRenderScene[0] = &other;
    g_pRenderManager->RenderViewport(&first);
    EXPECT_EQ(1u, probe.aCamera.size());
    EXPECT_EQ(2u, elsewhere.aCamera.size());
    elsewhere.RemoveFromQueue();
}

TEST_F(ViewportRenderingTest, OverlaysDrawOnlyTheOverlayQueuesThatHoldObjects)
{
    TRenderQueue blend{}, add{}, mul{};
    blend.m_Name = TName("Overlay blend", true);
    add.m_Name = TName("Overlay add", true);
    mul.m_Name = TName("Overlay mul", true);
    scene.m_nQueueCount = 4;
    scene.aRenderQueue[1] = &blend;
    scene.aRenderQueue[2] = &add;
    scene.aRenderQueue[3] = &mul;
    TRenderContext context;
    EXPECT_EQ(0u, RenderOverlays(&context));
    TProbe overlay;
    overlay.SetQueue(&mul);
    g_pRenderManager->SetCurrentCamera(&fallback);
    EXPECT_EQ(1u, RenderOverlays(&context));
    EXPECT_TRUE(probe.aCamera.empty()); // the scene's own queue is no overlay
    // The viewport manager's entry draws them in a pass that keeps the current target.
    RenderViewports(VIEWPORT_MODE_OVERLAY, &m_Set, &fallback);
    EXPECT_EQ(Take(), (std::vector<std::string>{"back 1", "begin"}));
    EXPECT_EQ(2u, overlay.aCamera.size());
    overlay.RemoveFromQueue();
}

TEST_F(ViewportRenderingTest, OtherEntriesGoToTheActiveRendererAndEntryTenWithTheFirstViewport)
{
    TTestRenderer renderer("TRecorded", 0, RENDERER_PREFERRED, m_Device.journal);
    g_pRenderManager->__RegisterRenderer(&renderer);
    Step(RENDER_STEP_FRAME_BEGIN);
    Take();
    for (u32 word : {1u, 10u, 20u, 21u})
        RenderViewports(word, &m_Set, &fallback);
    EXPECT_EQ(Take(), (std::vector<std::string>{"TRecorded queue 1", "TRecorded queue 10 pass",
                                                "TRecorded queue 20", "TRecorded queue 21"}));
    m_Viewport.m_nFlags |= VIEWPORT_FLAG_RENDERED;
    RenderViewports(VIEWPORT_MODE_SET, &m_Set, &fallback);
    EXPECT_EQ(Take(), (std::vector<std::string>{"TRecorded queue 0 pass"}));
    Step(RENDER_STEP_FRAME_END);
}
