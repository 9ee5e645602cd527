// The render manager's frame: renderer registry and choice, pipeline passes flipping between their
// two targets, and the pipeline recorder's steps.
#include "renderfixture.h"

#include "engine/render/pipelinerecorder.h"

namespace
{
class RenderManagerTest : public RenderTest
{
protected:
    RenderManagerTest()
    {
        for (u32 index : {4u, 5u, 6u})
            g_pRenderManager->SetPublishedTarget(index, m_Device.Targets().Make(kTargetName[index - 4]));
        g_pRenderManager->SetPingPong(4, 5);
    }
    static constexpr const char* kTargetName[3] = {"Temp1", "Temp2", "Temp3"};
    TTestRenderer m_Pipeline{"TPipeline", RENDERER_PIPELINE_TARGETS, RENDERER_PREFERRED, m_Device.journal};
};

TEST_F(RenderManagerTest, PipelinePassesFlipBetweenTheirTwoTargetsAndAKeptTargetStartsAtTheFirst)
{
    // The pipeline renderer active, as a frame start makes it.
    g_pRenderManager->__RegisterRenderer(&m_Pipeline);
    Step(RENDER_STEP_FRAME_BEGIN);
    Take();
    g_pRenderManager->ResetPassState();
    for (u32 i = 0; i < 3; ++i)
        g_pRenderManager->BeginPipelinePass(0);
    EXPECT_EQ(Take(), (Lines{"bind Temp1 -", "begin", "end", "bind Temp2 -", "begin", "end", "bind Temp1 -", "begin"}));
    EXPECT_EQ(g_pRenderManager->GetPreviousTarget()->m_Name.GetText(), std::string("Temp2"));
    EXPECT_EQ(g_pRenderManager->GetPreviousTexture(), g_pRenderManager->GetPreviousTarget()->GetTexture());
    EXPECT_TRUE(g_pRenderManager->IsPipelineBind());

    g_pRenderManager->ResetPassState();
    g_pRenderManager->BeginPipelinePass(PIPELINE_KEEP_TARGET);
    g_pRenderManager->BeginPipelinePass(PIPELINE_KEEP_TARGET);
    EXPECT_EQ(g_pRenderManager->GetPingPongIndex(), 4);
    EXPECT_EQ(Take(), (Lines{"end", "bind Temp1 -", "begin", "end", "bind Temp1 -", "begin"}));
    // The frame's end forgets its renderer and its last target: the next frame chooses again.
    Step(RENDER_STEP_FRAME_END);
    EXPECT_EQ(g_pRenderManager->GetActiveRenderer(), nullptr);
    EXPECT_EQ(g_pRenderManager->GetPreviousTarget(), nullptr);
}

TEST_F(RenderManagerTest, ARegisteredRendererReplacesTheOldOneAndTheChoiceKeepsItUnderOverrideOrFallsBack)
{
    EXPECT_EQ(g_pRenderManager->_SelectRenderer(nullptr), g_pForwardRendering);
    g_pRenderManager->__RegisterRenderer(&m_Pipeline);
    EXPECT_EQ(g_pRenderManager->GetRegistered(RENDERER_PREFERRED), &m_Pipeline);
    EXPECT_TRUE(Logged("TRenderManager::__RegisterRenderer(): error: 'TDeferredRendering':1 renderer replaced "
                       "by 'TPipeline'"));
    EXPECT_EQ(g_pRenderManager->_SelectRenderer(nullptr), &m_Pipeline);
    g_pRenderManager->SetOverride(1);
    EXPECT_EQ(g_pRenderManager->_SelectRenderer(g_pForwardRendering), &m_Pipeline);
    g_pRenderManager->SetOverride(0);
    m_Pipeline.m_nEnabled = 0;
    EXPECT_EQ(g_pRenderManager->_SelectRenderer(nullptr), g_pForwardRendering);

    // A viewport that names the disabled deferred renderer is drawn by the fall-back one.
    g_pRenderManager->__RegisterRenderer(g_pDeferredRendering);
    m_Viewport.pRenderer = g_pDeferredRendering;
    g_pRenderManager->SetOverride(1);
    g_pRenderManager->RenderViewport(&m_Viewport);
    EXPECT_EQ(g_pRenderManager->GetActiveRenderer(), g_pForwardRendering);
}

class PipelineRecorderTest : public RenderManagerTest
{
protected:
    PipelineRecorderTest()
    {
        g_PipelineRecorder.SetRecording(1);
        g_PipelineRecorder.SetSelected(1000);
        g_PipelineRecorder.Reset();
        g_PipelineRecorder.SetSnapshot(TRenderStats{});
        g_RenderStatsCurrent.Clear();
    }
    ~PipelineRecorderTest() override
    {
        g_pRenderManager->EndManager();
        g_PipelineRecorder.SetRecording(0);
        g_PipelineRecorder.SetSelected(0);
        g_PipelineRecorder.Reset();
        g_RenderStatsCurrent.Clear();
    }
};

TEST_F(PipelineRecorderTest, StepsStopAt128AndFromTheSelectedStepOnEachDrawsItsTargetsAsTiles)
{
    g_pRenderManager->GetPublishedTarget(4)->SetRenderTarget(nullptr);
    g_PipelineRecorder.SetSelected(126);
    Take();
    for (u32 i = 0; i < 130; ++i)
        g_pRenderManager->RecordPipelineStep(TName("Step", true), nullptr);
    EXPECT_EQ(g_PipelineRecorder.GetStepCount(), PIPELINE_STEP_CAPACITY);
    // The canvas's 1024 x 768 aperture over the 512 x 2048 texture: tiles of 160 x 30 units.
    EXPECT_EQ(Take(), (Lines{"bind Render pipeline texture -", "tile Temp1 0 0 160 30", "bind Temp1 - - - -",
                             "bind Render pipeline texture -", "tile Temp1 0 30 160 60", "bind Temp1 - - - -"}));
    g_pRenderManager->_ResetPipelineDebug();
    EXPECT_EQ(g_PipelineRecorder.GetStepCount(), 0u);
    EXPECT_EQ(Take(), (Lines{"bind Render pipeline texture -", "clear 1 00000000", "bind Temp1 -"}));
}

} // namespace
