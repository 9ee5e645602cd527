// The level's effect settings over its deferred frame: the haze of "Effects" laid over the lit
// scene by the post-effect step of word 1, a missing haze texture switching the haze off, and the
// forward renderer, under which no step but the water's draws.
#include "levelframefixture.h"

#include "engine/render/deferredrendering.h"
#include "igame/effects/effectsmanager.h"
#include "leveleffects.h"

namespace
{
class LevelHazeTest : public LevelFrameTest
{
protected:
    void SetUp() override
    {
        LevelFrameTest::SetUp();
        Variable("deferredrendering.disable")->SetInt(0);
        Variable("shadow.enable")->SetInt(0);
        g_pEffectsManager->BeginManager();
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
};
} // namespace

TEST_F(LevelHazeTest, TheClearSettingsLayTheirHazeOverTheDeferredFrame)
{
    ASSERT_EQ(g_pRenderManager->_SelectRenderer(nullptr), g_pDeferredRendering);
    ASSERT_NE(Settings(LEVEL_EFFECTS), nullptr);
    ASSERT_NE(Settings(LEVEL_EFFECTS_RAIN), nullptr);
    const std::vector<std::uint32_t> plain = DrawFrameWithStep(1);
    g_pEffectsManager->Transition().Start(*Settings(LEVEL_EFFECTS), 0.0f);
    const std::vector<std::uint32_t> hazy = DrawFrameWithStep(1);
    EXPECT_NE(plain, hazy);
    EXPECT_EQ(CompareWithGolden("post_haze", hazy, kWidth, kHeight), "");
    // Another word draws no haze.
    EXPECT_EQ(DrawFrameWithStep(11), plain);
}

TEST_F(LevelHazeTest, AMissingHazeTextureSwitchesTheHazeOff)
{
    TEffectSettings missing = *Settings(LEVEL_EFFECTS);
    missing.Haze.nUserId = TName("no_such_haze", true).GetId();
    g_pEffectsManager->Transition().Start(missing, 0.0f);
    const std::vector<std::uint32_t> frame = DrawFrameWithStep(1);
    EXPECT_EQ(Variable("effect.haze")->GetValue().ToInt(), 0);
    g_pEffectsManager->Transition().Start(TEffectSettings(), 0.0f);
    EXPECT_EQ(DrawFrameWithStep(1), frame);
}

TEST_F(LevelHazeTest, TheForwardRendererDrawsNoHaze)
{
    Variable("deferredrendering.disable")->SetInt(1);
    const std::vector<std::uint32_t> plain = DrawFrameWithStep(1);
    g_pEffectsManager->Transition().Start(*Settings(LEVEL_EFFECTS), 0.0f);
    EXPECT_EQ(DrawFrameWithStep(1), plain);
}
