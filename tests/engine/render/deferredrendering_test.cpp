// The deferred renderer: its support check, the passes of a frame in order with their defines
// and samplers, the current-light block of each light pass, and the switch to the forward
// renderer at run time.
#include "deferredscene.h"

#include "engine/render/pipelinerecorder.h"
#include "engine/system/command/variable.h"

namespace
{
const char* const kDirectional = "Shader_deferredrendering_light_directional";
const char* const kPoint = "Shader_deferredrendering_light_point";
const char* const kSpot = "Shader_deferredrendering_light_spot";

class DeferredRenderingTest : public DeferredSceneTest
{
protected:
    void Lights() { g_pDeferredRendering->RenderQueue(nullptr, RENDER_QUEUE_OPAQUE_LIGHTING); }
    TTexture* Slot(const char* shader, u32 slot) { return Shader(shader).aTexture[slot]; }
    TTexture* TargetTexture(u32 index) { return g_pDeferredRendering->GetTarget(index)->GetTexture(); }
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

TEST_F(DeferredRenderingTest, TheFrameFillsTheGBufferLightsAndCombinesWithEachDefineOnlyAroundItsPass)
{
    TLight& sun = Light(LIGHT_DIRECTIONAL);
    (void)sun;
    g_pShadowManager->SetEnabled(0);
    Object(0.0f, 0.0f, 20.0f, 1.0f);
    TRenderQueue alpha{};
    alpha.m_nFlags = RENDER_QUEUE_ENABLED;
    alpha.m_Name = TName("Alpha blend", true);
    scene.m_nQueueCount = 2;
    scene.aRenderQueue[1] = &alpha;
    g_pDeferredRendering->Initialize();
    ASSERT_EQ(g_pDeferredRendering->GetAlphaBlendQueue(), &alpha);
    Take();

    g_pDeferredRendering->BeginFrame(DEVICE_CLEAR_TARGET | DEVICE_CLEAR_DEPTH, 0xFF102030);
    // Each float target cleared once: Position to its own value, Temp2 later, where it is used.
    EXPECT_EQ(Take(), (Lines{"bind Color .depthstencil", "begin", "clear 3 FF000000", "end", "bind Normal Temp1 - - -",
                             "clear 1 00000000", "begin", "end", "bind Position -", "clear 1 00FFFFFF", "begin"}));

    m_Viewport.m_nFlags = VIEWPORT_FLAG_2;
    g_pDeferredRendering->RenderQueue(&m_Viewport, RENDER_QUEUE_OPAQUE);
    EXPECT_TRUE(InOrder(Take(), {"bind Color Position Normal Temp1 .depthstencil", "clear 6 00000000"}));
    EXPECT_EQ(Drawn(), (Lines{"Shader_deferredrendering_gbuffer 0 0"}));
    EXPECT_EQ(g_pImposterManager->GetShader(), &Shader("Shader_imposter_deferredrendering"));

    Lights();
    const Lines frame = Take();
    EXPECT_TRUE(InOrder(frame, {"bind Temp2 .depthstencil", "clear 1 00000000", "bind Color -",
                                "quad Shader_deferredrendering_combine DAlphaBlendAlphaCombine=1|",
                                "bind Temp2 .depthstencil", "clear 1 00000000",
                                std::string("quad ") + kDirectional + " -", "bind Temp3 .depthstencil"}))
        << ::testing::PrintToString(frame);
    // The opaque combine draws every pixel of its target: neither a clear nor a copy under it.
    const auto combined = std::find(frame.begin(), frame.end(), "bind Temp3 .depthstencil");
    ASSERT_GE(std::distance(combined, frame.end()), 3);
    EXPECT_EQ(Lines(combined, std::next(combined, 3)),
              (Lines{"bind Temp3 .depthstencil", "begin", "quad Shader_deferredrendering_combine -"}));
    // Shadows off: no transparency positions, and the light shaders see no mask.
    EXPECT_EQ(std::count(frame.begin(), frame.end(), "copy Position"), 0);
    EXPECT_EQ(Slot(kDirectional, 6), nullptr);
    EXPECT_EQ(Slot(kDirectional, 0), TargetTexture(DEFERRED_POSITION));
    EXPECT_EQ(Slot(kDirectional, 2), TargetTexture(DEFERRED_TEMP1));
    EXPECT_EQ(Slot("Shader_deferredrendering_combine", 0), TargetTexture(DEFERRED_COLOR));
    EXPECT_EQ(Slot("Shader_deferredrendering_combine", 1), nullptr);
    EXPECT_EQ(g_pRenderManager->GetPingPongIndex(), static_cast<i32>(DEFERRED_TEMP3 + 1));
    // The alpha-blend queue drew into the A-buffer with its define on, and the define went.
    EXPECT_EQ(Shader("Shader_deferredrendering_gbuffer").DefineText(), "-");

    g_pDeferredRendering->RenderQueue(nullptr, RENDER_QUEUE_TRANSPARENT);
    // Colour and material cleared, the opaque positions and normals kept for the post effects.
    EXPECT_TRUE(InOrder(Take(), {"bind Temp3 -", "quad Shader_deferredrendering_combine DAlphaBlendAlphaCombine2=1|",
                                 "bind Color Temp1 - - .depthstencil", "clear 5 00000000",
                                 "bind Color Position Normal Temp1 .depthstencil"}));
    g_pDeferredRendering->RenderQueue(nullptr, RENDER_QUEUE_TRANSPARENT_LIGHTING);
    // The light target cleared once; the copy under the transparency combine covers its target.
    const Lines transparent = Take();
    EXPECT_TRUE(InOrder(transparent, {"bind Temp2 .depthstencil", "begin", "clear 1 00000000",
                                      "bind Temp1 .depthstencil", "begin", "copy Temp3",
                                      "quad Shader_deferredrendering_combine DTransparent=1|"}))
        << ::testing::PrintToString(transparent);
    EXPECT_EQ(std::count(transparent.begin(), transparent.end(), "clear 1 00000000"), 1);
    EXPECT_EQ(g_pRenderManager->GetPingPongIndex(), static_cast<i32>(DEFERRED_TEMP1 + 1));
    EXPECT_EQ(Slot("Shader_deferredrendering_combine", 6), nullptr);
    scene.m_nQueueCount = 1;
}

TEST_F(DeferredRenderingTest, LightsOffOrAboveTheLevelAreSkippedAndASubtractingSpotHasItsDefine)
{
    g_pShadowManager->SetEnabled(0);
    Light(LIGHT_POINT);
    TLight& spot = Light(LIGHT_SPOT);
    spot.m_nSubtract = 1;
    Light(LIGHT_SPOT).m_nLevel = 1;
    Light(LIGHT_DIRECTIONAL).pNode->m_nFlags = 0;
    Lights();
    Lines quads;
    for (const std::string& line : Take())
        if (line.rfind("quad Shader_deferredrendering_light", 0) == 0)
            quads.push_back(line);
    EXPECT_EQ(quads, (Lines{std::string("quad ") + kPoint + " -", std::string("quad ") + kSpot + " DLightingTypeSubtract=1|"}));
    EXPECT_EQ(Shader(kSpot).DefineText(), "-");
    EXPECT_EQ(g_LightSettings.aValue[LIGHT_SETTINGS_DEFERRED_NUMBER], 1.0f);
}

TEST_F(DeferredRenderingTest, TheLightBlockCarriesTheWorldToLightMatrixAndTheFifthShadowLightHasNoShadow)
{
    g_pShadowManager->SetEnabled(0);
    TMatrix at = Placement(1.0f, 2.0f, 3.0f);
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
    EXPECT_NE(Slot(kPoint, 6), nullptr);
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
        Light(LIGHT_POINT, 2.0f, Placement(0.0f, 0.0f, 20.0f)).m_fRange = 5.0f;
    Lights();
    g_pCanvasManager = saved;
    EXPECT_EQ(canvas.aScissor, (std::vector<u32>{0, 1}));
    EXPECT_EQ(g_pDeviceManager->GetScissorTest(), 0u);
}

TEST_F(DeferredRenderingTest, TheDisableVariableSwitchesRendererAndRefusesAnUnsupportedDevice)
{
    Run("set deferredrendering.disable 1");
    EXPECT_EQ(g_pDeferredRendering->m_nEnabled, 0u);
    EXPECT_EQ(g_pDeferredRendering->GetTarget(DEFERRED_COLOR), nullptr);
    EXPECT_EQ(g_pShadowManager->IsEnabled(), 0u);
    EXPECT_EQ(g_pRenderManager->_SelectRenderer(nullptr), g_pForwardRendering);
    Run("set deferredrendering.disable 0");
    EXPECT_EQ(g_pDeferredRendering->m_nEnabled, 1u);
    EXPECT_NE(g_pDeferredRendering->GetTarget(DEFERRED_COLOR), nullptr);

    // An unsupported device sets the variable back to 0 and says so.
    Run("set deferredrendering.disable 1");
    g_pDeferredRendering->CheckSupport(TRendererCaps{4, 2000, 1});
    EXPECT_EQ(TCommandManager::Instance().FindVariable(TName("deferredrendering.disable"))->GetValue().ToInt(), 0);
    EXPECT_TRUE(Logged("Deferred renderer not supported."));
    EXPECT_EQ(g_pRenderManager->_SelectRenderer(nullptr), g_pForwardRendering);
}

// A light after a pass's first is drawn over the screen rectangle of its volume alone: the
// sphere of its range, narrowed by a spot's cone; a volume reaching behind the camera, and a
// directional light, cover the screen.
TEST_F(DeferredRenderingTest, ALightAfterThePassesFirstIsDrawnOverItsVolumesScreenRectangle)
{
    // Looking along +z from the origin, 90 degrees each way: (x, y, z) lands at x / z, y / z.
    TMatrix camera(0.0f);
    camera.aRow[0].x = 1.0f;
    camera.aRow[1].y = 1.0f;
    camera.aRow[2] = TVector(0.0f, 0.0f, 1.001f, 1.0f);
    camera.aRow[3] = TVector(0.0f, 0.0f, -1.001f, 0.0f);
    TLight& light = Light(LIGHT_POINT);
    TMatrix& world = *light.pNode->GetWorldMatrix();
    world = TMatrix(1.0f);
    world.aRow[3] = TVector(0.0f, 0.0f, 20.0f, 1.0f);
    light.m_fRange = 5.0f;
    i32 rect[4] = {};
    // The sphere's box spans x / z from -5 / 15 to 5 / 15 at its nearest: 1/3 of the half-width.
    ASSERT_TRUE(TDeferredRendering::LightScreenRect(light, camera, 600, 600, rect));
    EXPECT_LE(rect[0], 200);
    EXPECT_GE(rect[0], 190);
    EXPECT_GE(rect[2], 400);
    EXPECT_LE(rect[2], 410);
    EXPECT_LE(rect[1], 200);
    EXPECT_GE(rect[3], 400);

    // A spot shining along +x (its +z) with a narrow cone: only the right of the sphere.
    light.m_nType = LIGHT_SPOT;
    light.SetCone(0.1f, 0.2f);
    world.aRow[0] = TVector(0.0f, 0.0f, -1.0f, 0.0f);
    world.aRow[1] = TVector(0.0f, 1.0f, 0.0f, 0.0f);
    world.aRow[2] = TVector(1.0f, 0.0f, 0.0f, 0.0f);
    ASSERT_TRUE(TDeferredRendering::LightScreenRect(light, camera, 600, 600, rect));
    EXPECT_GE(rect[0], 295);
    EXPECT_LE(rect[0], 300);
    EXPECT_GE(rect[2], 375);
    EXPECT_GT(rect[1], 250);
    EXPECT_LT(rect[3], 350);

    // Out of sight to the right: an empty rectangle.
    world.aRow[3] = TVector(100.0f, 0.0f, 20.0f, 1.0f);
    ASSERT_TRUE(TDeferredRendering::LightScreenRect(light, camera, 600, 600, rect));
    EXPECT_EQ(rect[0], rect[2]);

    // Its sphere reaching behind the camera, the cone in front: the cone alone bounds it, from
    // the light at x 0 (z 4: the middle) to past x 5 / 4 (the right edge).
    world.aRow[3] = TVector(0.0f, 0.0f, 4.0f, 1.0f);
    ASSERT_TRUE(TDeferredRendering::LightScreenRect(light, camera, 600, 600, rect));
    EXPECT_GE(rect[0], 295);
    EXPECT_LE(rect[0], 300);
    EXPECT_EQ(rect[2], 600);
    // A cone reaching behind the camera, a point light's sphere doing so, or directional: the
    // whole screen.
    world.aRow[2] = TVector(0.0f, 0.0f, -1.0f, 0.0f);
    world.aRow[0] = TVector(1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(TDeferredRendering::LightScreenRect(light, camera, 600, 600, rect));
    light.m_nType = LIGHT_POINT;
    EXPECT_FALSE(TDeferredRendering::LightScreenRect(light, camera, 600, 600, rect));
    world.aRow[3] = TVector(0.0f, 0.0f, 20.0f, 1.0f);
    light.m_nType = LIGHT_DIRECTIONAL;
    EXPECT_FALSE(TDeferredRendering::LightScreenRect(light, camera, 600, 600, rect));
}
} // namespace
