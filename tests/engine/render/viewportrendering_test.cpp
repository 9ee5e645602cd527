// The viewport manager's entries: the scenes a viewport lists, or every scene.
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
        fallback.m_nFitMode = CAMERA_FIT_EXPLICIT;
        fallback.m_fHorizontalFov = fallback.m_fVerticalFov = 90.0f;
        fallback.m_fNearClip = 1.0f;
        fallback.m_fFarClip = 100.0f;
        fallback.UpdateProjection(1, 1);
        fallback.m_ViewProjection = fallback.m_Projection;
    }
    ~ViewportRenderingTest() override
    {
        g_pLightManager->Lights().SetCount(0);
        probe.RemoveFromQueue();
        g_pRenderSceneManager->Scenes().SetCount(0);
    }

    TLight sun;
    TRenderQueue queue{};
    TRenderScene scene{};
    TProbe probe;
    TCamera fallback;
    TTestViewport first;
};
} // namespace

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
