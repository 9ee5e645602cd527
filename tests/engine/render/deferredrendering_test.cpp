// The deferred renderer: its support check, the current-light block of each light pass, and the
// scissor of the lights after a pass's first.
#include "deferredscene.h"

namespace
{
const char* const kPoint = "Shader_deferredrendering_light_point";

class DeferredRenderingTest : public DeferredSceneTest
{
protected:
    void Lights() { g_pDeferredRendering->RenderQueue(nullptr, RENDER_QUEUE_OPAQUE_LIGHTING); }
};

TEST_F(DeferredRenderingTest, EachRefusalOfTheDeviceIsLoggedAndClearsEnabled)
{
    g_pDeferredRendering->CheckSupport(TRendererCaps{4, 3000, 0});
    EXPECT_FALSE(Logged("does not support 4 MRT"));
    EXPECT_FALSE(Logged("does not support pixel shader 3"));
    EXPECT_TRUE(Logged("TDeferredRendering::CheckSupport(): disabled (device floating point RT capabilities are "
                       "inadequate)"));
    EXPECT_EQ(g_pDeferredRendering->m_nSupported, 0u);
    EXPECT_EQ(g_pDeferredRendering->m_nEnabled, 0u);
    EXPECT_EQ(g_pRenderManager->_SelectRenderer(nullptr), g_pForwardRendering);

    g_pDeferredRendering->CheckSupport(TRendererCaps{1, 2000, 0});
    EXPECT_TRUE(Logged("disabled (device does not support 4 MRT)"));
    EXPECT_TRUE(Logged("disabled (device does not support pixel shader 3)"));

    g_pDeferredRendering->m_nEnabled = 1;
    g_pDeferredRendering->CheckSupport(TRendererCaps{4, 3000, 1});
    EXPECT_EQ(g_pDeferredRendering->m_nSupported, 1u);
    EXPECT_EQ(g_pRenderManager->_SelectRenderer(nullptr), g_pDeferredRendering);
}

TEST_F(DeferredRenderingTest, TheLightBlockCarriesTheWorldToLightMatrixAndTheFifthShadowLightHasNoShadow)
{
    g_pShadowManager->SetEnabled(0);
    TMatrix at = Translation(1.0f, 2.0f, 3.0f);
    TLight& first = Light(LIGHT_POINT, 2.0f, at);
    first.m_aShadow[0] = 0.7f;
    first.m_nCastsShadows = 1;
    Lights();
    const f32* v = g_LightSettings.aValue;
    // Shadows off: value 24 is 0 whatever the light holds.
    EXPECT_EQ(v[LIGHT_SETTINGS_SHADOW], 0.0f);
    EXPECT_EQ((std::vector<f32>(v + LIGHT_SETTINGS_WORLD_TO_LIGHT + 12, v + LIGHT_SETTINGS_WORLD_TO_LIGHT + 16)),
              (std::vector<f32>{-1.0f, -2.0f, -3.0f, 1.0f}));

    // With shadows on, the fourth shadow-casting light keeps its value and the fifth has 0.
    g_pDeferredRendering->m_nEnabled = 1;
    g_pShadowManager->SetEnabled(1);
    ASSERT_EQ(g_pShadowManager->IsEnabled(), 1u);
    for (u32 i = 0; i < 3; ++i)
        Light(LIGHT_POINT, 2.0f, at).m_nCastsShadows = 1;
    for (TLight& light : m_aLight)
        light.m_aShadow[0] = 0.7f;
    Lights();
    EXPECT_FLOAT_EQ(v[LIGHT_SETTINGS_SHADOW], 0.7f);
    EXPECT_EQ(v[LIGHT_SETTINGS_DEFERRED_NUMBER], 3.0f);
    EXPECT_NE(Shader(kPoint).aTexture[6], nullptr);
    Light(LIGHT_POINT, 2.0f, at).m_nCastsShadows = 1;
    m_aLight.back().m_aShadow[0] = 0.7f;
    Lights();
    EXPECT_EQ(v[LIGHT_SETTINGS_SHADOW], 0.0f);
}

// The pass's first light marks every drawn pixel lit: it alone is never cut to its reach.
TEST_F(DeferredRenderingTest, OnlyLightsAfterThePassesFirstAreCutToTheirReach)
{
    g_pShadowManager->SetEnabled(0);
    struct TScissorCanvas : TRecordingCanvasManager
    {
        using TRecordingCanvasManager::TRecordingCanvasManager;
        void DrawFullScreen(TShader* shader, const TColor& colour) override
        {
            if (shader && shader->m_Name == TName(kPoint))
                aScissor.push_back(g_pDeviceManager->GetScissorTest());
            TRecordingCanvasManager::DrawFullScreen(shader, colour);
        }
        std::vector<u32> aScissor;
    } canvas(m_Device.journal);
    TCanvasManager* const saved = g_pCanvasManager;
    g_pCanvasManager = &canvas;
    for (u32 i = 0; i < 2; ++i)
        Light(LIGHT_POINT, 2.0f, Translation(0.0f, 0.0f, 20.0f)).m_fRange = 5.0f;
    Lights();
    g_pCanvasManager = saved;
    EXPECT_EQ(canvas.aScissor, (std::vector<u32>{0, 1}));
    EXPECT_EQ(g_pDeviceManager->GetScissorTest(), 0u);
}

} // namespace
