// The render manager's frame: its render-list word 0 opens the frame and word 1 closes it.
#include "devicefixture.h"

#include "engine/render/rendermanager.h"

namespace
{
class RenderManagerTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        Create();
    }
    void Step(u32 word)
    {
        g_pRenderManager->m_nStepWord = word;
        g_pRenderManager->RenderManager();
    }
    // A scene can be begun only while none is open.
    bool SceneOpen()
    {
        IDirect3DDevice9* device = m_pManager->GetDevice();
        if (FAILED(device->BeginScene()))
            return true;
        device->EndScene();
        return false;
    }
};

TEST_F(RenderManagerTest, WordZeroOpensTheFrameAndWordOneClosesIt)
{
    Step(RENDER_STEP_FRAME_BEGIN);
    EXPECT_EQ(g_pRenderManager->m_nInRender, 1u);
    EXPECT_TRUE(SceneOpen());
    Step(7);
    EXPECT_EQ(g_pRenderManager->m_nInRender, 1u);
    Step(RENDER_STEP_FRAME_END);
    EXPECT_EQ(g_pRenderManager->m_nInRender, 0u);
    EXPECT_FALSE(SceneOpen());
    // A second close has nothing to end.
    Step(RENDER_STEP_FRAME_END);
    EXPECT_FALSE(SceneOpen());
}
} // namespace
