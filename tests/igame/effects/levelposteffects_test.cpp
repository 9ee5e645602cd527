// The level's effect settings over its deferred frame: the haze of "Effects" laid over the lit
// scene, a missing haze texture switching the haze off, the full-screen and scene steps, the
// motion blur and the pond's refraction, each against its golden image.
#include "levelframefixture.h"

#include "engine/render/deferredrendering.h"
#include "igame/effects/effectsmanager.h"
#include "igame/effects/motionblurobject.h"
#include "engine/render/camera.h"
#include "engine/render/textureanimation.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/pipelinerecorder.h"
#include "leveleffects.h"
#include "levelmotionblur.h"
#include "levelwater.h"
#include "vegetation/loglines.h"

namespace
{
class LevelPostEffectsTest : public LevelFrameTest
{
protected:
    void SetUp() override
    {
        LevelFrameTest::SetUp();
        Variable("deferredrendering.disable")->SetInt(0);
        Variable("shadow.enable")->SetInt(0);
        g_pEffectsManager->BeginManager();
        // The level starts in its clear look; the steps below start from no settings.
        g_pEffectsManager->Transition().Start(TEffectSettings(), 0.0f);
        ASSERT_EQ(g_pRenderManager->_SelectRenderer(nullptr), g_pDeferredRendering);
    }
    void TearDown() override
    {
        g_pEffectsManager->Transition().Start(TEffectSettings(), 0.0f);
        Variable("effect.haze")->SetInt(1);
        Variable("shadow.enable")->SetInt(1);
        LevelFrameTest::TearDown();
    }
    // The frame with the post-effect step of `word` after the scene, as the render list has it.
    std::vector<std::uint32_t> DrawFrameWithStep(u32 word)
    {
        g_pEffectsManager->m_nStepWord = word;
        m_pAfterScene = [] { g_pEffectsManager->RenderManager(); };
        std::vector<std::uint32_t> frame = DrawFrame();
        m_pAfterScene = nullptr;
        return frame;
    }
    TEffectSettings* Settings(const char* name) { return g_pEffectsManager->FindSettings(TName(name, true).GetId()); }
    // Only part of the frame changed: more than a few pixels, less than a quarter of them.
    static void ExpectPartChanged(const std::vector<std::uint32_t>& was, const std::vector<std::uint32_t>& now)
    {
        u32 changed = 0;
        for (size_t i = 0; i < was.size(); ++i)
            changed += was[i] != now[i];
        EXPECT_GT(changed, 100u);
        EXPECT_LT(changed, was.size() / 4);
    }
};
} // namespace

TEST_F(LevelPostEffectsTest, TheClearSettingsLayTheirHazeOverTheDeferredFrame)
{
    ASSERT_NE(Settings(LEVEL_EFFECTS), nullptr);
    ASSERT_NE(Settings(LEVEL_EFFECTS_RAIN), nullptr);
    const std::vector<std::uint32_t> plain = DrawFrameWithStep(1);
    g_pEffectsManager->Transition().Start(*Settings(LEVEL_EFFECTS), 0.0f);
    const std::vector<std::uint32_t> hazy = DrawFrameWithStep(1);
    EXPECT_NE(plain, hazy);
    EXPECT_EQ(CompareWithGolden("post_haze", hazy, kWidth, kHeight), "");
    // Another word draws no haze.
    EXPECT_EQ(DrawFrameWithStep(11), plain);
    // The pipeline viewer's steps of the frame count the level's meshes as batches, vertices and
    // faces of stored geometry (the viewer's first counters).
    g_PipelineRecorder.Reset();
    g_PipelineRecorder.SetRecording(1);
    DrawFrameWithStep(1);
    g_PipelineRecorder.SetRecording(0);
    u32 counted[3] = {};
    for (u32 i = 0; i < g_PipelineRecorder.GetStepCount(); ++i)
        for (u32 word : {RENDER_STATS_VERTICES, RENDER_STATS_PRIMITIVES, RENDER_STATS_DRAW_CALLS})
            counted[word] += g_PipelineRecorder.GetStep(i).aStatistics[word];
    g_PipelineRecorder.Reset();
    g_PipelineRecorder.ReleaseTexture();
    for (u32 word : {RENDER_STATS_VERTICES, RENDER_STATS_PRIMITIVES, RENDER_STATS_DRAW_CALLS})
        EXPECT_GT(counted[word], 0u) << word;
}

// A missing haze texture switches the haze off; an overlay texture that is not there skips its
// step with a line.
TEST_F(LevelPostEffectsTest, AMissingHazeOrOverlayTextureLeavesItsStepOut)
{
    TEffectSettings missing = *Settings(LEVEL_EFFECTS);
    missing.Haze.nUserId = TName("no_such_haze", true).GetId();
    g_pEffectsManager->Transition().Start(missing, 0.0f);
    const std::vector<std::uint32_t> frame = DrawFrameWithStep(1);
    EXPECT_EQ(Variable("effect.haze")->GetValue().ToInt(), 0);
    g_pEffectsManager->Transition().Start(TEffectSettings(), 0.0f);
    EXPECT_EQ(DrawFrameWithStep(1), frame);

    missing.nFlags = EFFECT_FLAG_OVERLAY;
    missing.Overlay.nUserId = TName("no_such_overlay", true).GetId();
    const std::vector<std::uint32_t> plain = DrawFrameWithStep(0);
    g_pEffectsManager->Transition().Start(missing, 0.0f);
    TLogLines log;
    EXPECT_EQ(DrawFrameWithStep(4), plain);
    EXPECT_EQ(log.Count("overlay texture \"no_such_overlay\" not found: its step is skipped"), 1u);
}

TEST_F(LevelPostEffectsTest, TheFullScreenStepsDrawOverTheFrame)
{
    TEffectSettings look = *Settings(LEVEL_EFFECTS);
    look.nFlags = EFFECT_FLAG_DOF | EFFECT_FLAG_OVERLAY;
    look.Overlay.nUserId = TName(LEVEL_HAZE_TEXTURE, true).GetId();
    g_pEffectsManager->Transition().Start(look, 0.0f);
    Variable("effect.filmgrain")->SetInt(1);
    const std::vector<std::uint32_t> plain = DrawFrameWithStep(0);
    for (const auto& [word, name] : {std::pair{2u, "post_dof"}, std::pair{4u, "post_overlay"},
                                     std::pair{5u, "post_edgeaa"}, std::pair{8u, "post_filmgrain"}})
    {
        const std::vector<std::uint32_t> frame = DrawFrameWithStep(word);
        EXPECT_NE(frame, plain) << name;
        EXPECT_EQ(CompareWithGolden(name, frame, kWidth, kHeight), "");
    }
    // Their switches and flags off: the frame as it was.
    look.nFlags = 0;
    g_pEffectsManager->Transition().Start(look, 0.0f);
    for (u32 word : {2u, 4u})
        EXPECT_EQ(DrawFrameWithStep(word), plain) << word;
    for (const char* name : {"effect.edgeaa", "effect.filmgrain"})
        Variable(name)->SetInt(0);
    for (u32 word : {5u, 8u})
        EXPECT_EQ(DrawFrameWithStep(word), plain) << word;
    Variable("effect.edgeaa")->SetInt(1);
}

// The steps that rewrite the lit scene ("Temp3") in place: tone mapping through its luminance
// targets (made on first use), ambient occlusion through "AORT" and its blur, screen-space grass.
TEST_F(LevelPostEffectsTest, TheSceneStepsRewriteTheLitScene)
{
    TEffectSettings look = *Settings(LEVEL_EFFECTS);
    look.nFlags = 0;
    // Occluders count within 3 units, on a ring of 6 pixels, at full strength.
    look.aAmbientOcclusion[0][0] = 6.0f;
    look.aAmbientOcclusion[0][1] = 1.0f;
    look.aAmbientOcclusion[0][2] = 3.0f;
    g_pEffectsManager->Transition().Start(look, 0.0f);
    Variable("effect.grassss")->SetInt(0);
    const std::vector<std::uint32_t> plain = DrawFrameWithStep(0);
    // Off by default: no luminance targets, no change.
    EXPECT_EQ(DrawFrameWithStep(7), plain);
    EXPECT_EQ(g_pEffectsManager->GetToneMappingTarget(0), nullptr);
    EXPECT_EQ(DrawFrameWithStep(9), plain);
    EXPECT_EQ(DrawFrameWithStep(10), plain);
    Variable("effect.tonemapping")->SetInt(1);
    Variable("ambient.occlusion")->SetInt(1);
    Variable("effect.grassss")->SetInt(1);
    TCommandManager::Instance().ExecuteText("set ambient.occlusion.rtsizefactor 0.5");
    ASSERT_NE(g_pEffectsManager->GetAmbientOcclusionTarget(0), nullptr);
    for (const auto& [word, name] :
         {std::pair{7u, "post_tonemapping"}, std::pair{9u, "post_ssao"}, std::pair{10u, "post_grassss"}})
    {
        const std::vector<std::uint32_t> frame = DrawFrameWithStep(word);
        EXPECT_NE(frame, plain) << name;
        EXPECT_EQ(CompareWithGolden(name, frame, kWidth, kHeight), "");
    }
    ASSERT_NE(g_pEffectsManager->GetToneMappingTarget(5), nullptr);
    EXPECT_EQ(g_pEffectsManager->GetToneMappingTarget(5)->GetTexture()->m_nWidth, 1);
    // Sized under the forward renderer, "AORT" waits for the deferred renderer's targets and is
    // made with them when the player switches back.
    Variable("deferredrendering.disable")->SetInt(1);
    TCommandManager::Instance().ExecuteText("set ambient.occlusion.rtsizefactor 0.4");
    EXPECT_EQ(g_pEffectsManager->GetAmbientOcclusionTarget(0), nullptr);
    Variable("deferredrendering.disable")->SetInt(0);
    ASSERT_EQ(g_pRenderManager->_SelectRenderer(nullptr), g_pDeferredRendering);
    ASSERT_NE(g_pEffectsManager->GetAmbientOcclusionTarget(1), nullptr);
    EXPECT_NE(DrawFrameWithStep(9), plain) << "post_ssao after the switch";
    Variable("effect.tonemapping")->SetInt(0);
    Variable("ambient.occlusion")->SetInt(0);
    // A cluster unload lets the luminance targets go.
    g_pEffectsManager->OnClusterUnload();
    EXPECT_EQ(g_pEffectsManager->GetToneMappingTarget(0), nullptr);
}

// The motion blur's two halves: the turning radar dish smeared by its object half over the frame
// as it stands, then, once the camera has moved, the whole frame smeared by the screen half.
TEST_F(LevelPostEffectsTest, TheMotionBlurSmearsTheTurningDishAndFollowsTheCamera)
{
    ASSERT_EQ(g_pEffectsManager->MotionBlurObjects().GetCount(), 1);
    const TMotionBlurObject& dish = *g_pEffectsManager->MotionBlurObjects()[0];
    ASSERT_NE(dish.pMesh, nullptr);
    EXPECT_EQ(dish.pMesh->GetNode()->m_Name, TName(LEVEL_RADAR_DISH, true));
    EXPECT_EQ(dish.m_fFixedSpin, LEVEL_RADAR_SPIN);

    TViewportSet* set = g_pDxViewportManager->GetCurrentSet();
    ASSERT_NE(set, nullptr);
    TCamera* camera = set->aViewport[0]->pCamera;
    ASSERT_NE(camera, nullptr);
    ASSERT_NE(camera->pNode, nullptr);
    const TMatrix was = camera->pNode->GetLocalMatrix();
    TMatrix facing(1.0f);
    facing.SetOrientation(TVector(-10.0f, -0.5f, 9.0f, 0.0f).Normalized(), TVector(0.0f, 1.0f, 0.0f, 0.0f));
    facing.aRow[3] = TVector(0.0f, 5.0f, -104.0f, 1.0f);
    camera->pNode->SetLocalMatrix(facing, TNode::OrdinaryCause());

    g_EffectsBlocks.nPreviousSet = 0;
    const std::vector<std::uint32_t> plain = DrawFrameWithStep(0);
    // The first screen half only records the camera: the dish alone smears.
    ExpectPartChanged(plain, DrawFrameWithStep(6));
    Variable("effect.motionblur")->SetInt(0);
    EXPECT_EQ(DrawFrameWithStep(6), plain);
    Variable("effect.motionblur")->SetInt(1);

    TMatrix moved = facing;
    moved.aRow[3].x += 1.5f;
    camera->pNode->SetLocalMatrix(moved, TNode::OrdinaryCause());
    const std::vector<std::uint32_t> both = DrawFrameWithStep(6);
    EXPECT_EQ(CompareWithGolden("post_motionblur", both, kWidth, kHeight), "");
    camera->pNode->SetLocalMatrix(was, TNode::OrdinaryCause());
}

// The pond: the lit scene refracted through the normal map's two frames the animation stands
// between (mixed by its phase), and under the forward renderer its colour blended over the frame.
TEST_F(LevelPostEffectsTest, ThePondRefractsTheSceneThroughItsAnimatedNormalMap)
{
    const std::vector<std::uint32_t> plain = DrawFrameWithStep(0);
    TRenderQueue* queue = g_pRenderSceneManager->Scenes()[0]->FindQueue(TName(LEVEL_WATER_QUEUE, true));
    ASSERT_NE(queue, nullptr);
    // Without its queue the step draws nothing.
    queue->m_Name = TName("Puddle", true);
    EXPECT_EQ(DrawFrameWithStep(3), plain);
    queue->m_Name = TName(LEVEL_WATER_QUEUE, true);

    TTextureAnimation* animation = g_pTextureManager->FindTextureAnimation(TName(LEVEL_WATER_NORMALS, true));
    ASSERT_NE(animation, nullptr);
    animation->m_fPosition = 1.6f;
    g_pTextureManager->UpdateManager(0.0f);
    const std::vector<std::uint32_t> water = DrawFrameWithStep(3);
    // Between frames 1 and 2, six tenths of the way.
    EXPECT_NEAR(g_EffectsBlocks.fWaterPhase, 0.6f, 1e-5f);
    EXPECT_NE(water, plain);
    EXPECT_EQ(CompareWithGolden("post_water", water, kWidth, kHeight), "");
    // Another phase, another surface.
    animation->m_fPosition = 1.8f;
    EXPECT_NE(DrawFrameWithStep(3), water);
    animation->m_fPosition = 0.0f;

    Variable("deferredrendering.disable")->SetInt(1);
    const std::vector<std::uint32_t> forward = DrawFrameWithStep(0);
    // Only the pond's pixels change.
    ExpectPartChanged(forward, DrawFrameWithStep(3));
}
