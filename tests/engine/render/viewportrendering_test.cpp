// The viewport manager's entries: the scenes a viewport lists, or every scene.
#include "litscene.h"

namespace
{
// The forward renderer draws the scenes inline in the pass of its one directional light, which
// is off.
struct ViewportRenderingTest : LitSceneTest
{
    ViewportRenderingTest() : LitSceneTest({}) { Light(LIGHT_DIRECTIONAL).pNode->Enable(0, 0); }
};
} // namespace

TEST_F(ViewportRenderingTest, AViewportDrawsTheScenesItListsOrEveryScene)
{
    Object(0.0f, 0.0f, 10.0f, 1.0f);
    TRenderQueue otherQueue{};
    otherQueue.m_nFlags = RENDER_QUEUE_ENABLED;
    TRenderScene other{};
    other.m_nQueueCount = 1;
    other.aRenderQueue[0] = &otherQueue;
    Lines drawnElsewhere;
    TBoxObject elsewhere(1.0f, drawnElsewhere);
    Node(Translation(0.0f, 0.0f, 10.0f)).AddObject(&elsewhere);
    elsewhere.SetQueue(&otherQueue);
    g_pRenderSceneManager->Scenes().Add(&other);
    TTestViewport first;
    g_pRenderManager->RenderViewport(&first);
    EXPECT_EQ(1u, Drawn().size());
    EXPECT_EQ(1u, drawnElsewhere.size());
    first.aRenderScene[0] = &other;
    g_pRenderManager->RenderViewport(&first);
    EXPECT_TRUE(Drawn().empty());
    EXPECT_EQ(2u, drawnElsewhere.size());
    elsewhere.RemoveFromQueue();
    elsewhere.pNode->DeleteObject(&elsewhere);
}
