// The forward renderer: which light draws the directional pass, how many further lights a pass
// takes, what the current-light block holds for each (its shadow values too), the spot test, and
// the scissor of a spot pass.
#include "deferredscene.h"

#include <algorithm>
#include <tuple>

namespace
{
class ForwardRenderingTest : public LitSceneTest
{
protected:
    ForwardRenderingTest()
        : LitSceneTest({"Shader_forwardrendering_light_directional", "Shader_forwardrendering_light_spot",
                        "Shader_imposter_forwardrendering"})
    {
    }
    void RenderPass() { g_pForwardRendering->RenderQueue(&m_Viewport, RENDER_QUEUE_OPAQUE); }
};

const char* const kDirectional = "Shader_forwardrendering_light_directional";
const char* const kSpot = "Shader_forwardrendering_light_spot";

// The directional pass takes its own intensity, further lights the product; after it at most
// four further lights, where a point light takes a place without drawing; without it five.
TEST_F(ForwardRenderingTest, TheDirectionalPassAndFurtherLightsTakeTheirPlacesAndIntensities)
{
    Object(0.0f, 0.0f, 20.0f, 1.0f);
    const auto spot = [](u32 number, u32 intensity) {
        return std::string(kSpot) + " " + std::to_string(number) + " " + std::to_string(intensity);
    };
    const std::string sun = std::string(kDirectional) + " 0 2";
    const struct
    {
        std::vector<std::pair<i32, f32>> lights;
        Lines drawn;
    } cases[] = {
        {{{LIGHT_DIRECTIONAL, 2.0f}, {LIGHT_SPOT, 2.0f}, {LIGHT_SPOT, 5.0f}}, {sun, spot(0, 6), spot(1, 15)}},
        {{{LIGHT_DIRECTIONAL, 2.0f}, {LIGHT_POINT, 2.0f}, {LIGHT_SPOT, 1.0f}, {LIGHT_SPOT, 2.0f}, {LIGHT_SPOT, 3.0f},
          {LIGHT_SPOT, 4.0f}, {LIGHT_SPOT, 5.0f}},
         {sun, spot(1, 3), spot(2, 6), spot(3, 9)}},
        {{{LIGHT_SPOT, 1.0f}, {LIGHT_SPOT, 1.0f}, {LIGHT_SPOT, 1.0f}, {LIGHT_SPOT, 1.0f}, {LIGHT_SPOT, 1.0f},
          {LIGHT_SPOT, 1.0f}},
         {spot(0, 3), spot(1, 3), spot(2, 3), spot(3, 3), spot(4, 3)}}};
    for (const auto& c : cases)
    {
        g_pLightManager->Lights().SetCount(0);
        for (const auto& [type, intensity] : c.lights)
            Light(type, intensity);
        RenderPass();
        EXPECT_EQ(Drawn(), c.drawn) << c.lights.size();
        // The first pass starts on the back buffer with the stencil cleared and the pass state reset.
        const Lines journal = Take();
        if (&c == cases)
            EXPECT_EQ((Lines(journal.begin(), journal.begin() + 3)), (Lines{"back 1", "begin", "clear 4 00000000"}));
    }
    EXPECT_EQ(g_pRenderManager->GetPingPongIndex(), -1);
}

TEST_F(ForwardRenderingTest, LightsThatAreOffOrAboveLevelZeroAreSkippedAndTheFirstSunDrawsInlineWhenNoneQualifies)
{
    // Drawn twice when feather-blended, once inline.
    queue.m_Name = TName("Feather blend", true);
    Object(0.0f, 0.0f, 20.0f, 1.0f);
    TLight& high = Light(LIGHT_DIRECTIONAL, 4.0f);
    high.m_nLevel = 1;
    TLight& off = Light(LIGHT_SPOT);
    TLightSet set{0, 0, {}};
    off.pLightSet = &set;
    TLight& sun = Light(LIGHT_DIRECTIONAL, 7.0f);
    sun.pNode->Enable(0, 0);
    // No light qualifies: the first directional light, whatever its state, drawn inline.
    RenderPass();
    EXPECT_EQ(Drawn(), (Lines{std::string(kDirectional) + " 0 4"}));
    u32 inline_ = 0;
    EXPECT_EQ(TForwardRendering::FindDirectionalLight(inline_), &high);
    EXPECT_EQ(inline_, 1u);
    // Inline drawing needs the pass's scene flag.
    m_Viewport.m_nFlags = 0;
    RenderPass();
    EXPECT_TRUE(Drawn().empty());

    m_Viewport.m_nFlags = VIEWPORT_FLAG_2;
    sun.pNode->Enable(1, 0);
    EXPECT_EQ(TForwardRendering::FindDirectionalLight(inline_), &sun);
    EXPECT_EQ(inline_, 0u);
    set.m_nFlags = LIGHT_SET_ON;
    RenderPass();
    EXPECT_EQ(Drawn(), (Lines{std::string(kDirectional) + " 0 7", std::string(kDirectional) + " 0 7 feather",
                              std::string(kSpot) + " 0 6"}));
}

// A spot pass's scenes are scissored to the light's reach, its "Alpha blend" queue is not: a
// particle blends itself again there, and a cut would show as an edge in the smoke.
TEST_F(ForwardRenderingTest, OnlyTheScenesOfASpotPassAreScissored)
{
    TRenderQueue alpha{};
    alpha.m_Name = TName("Alpha blend", true);
    scene.aRenderQueue[1] = &alpha;
    scene.m_nQueueCount = 2;
    struct TScissorProbe : TBoxObject
    {
        using TBoxObject::TBoxObject;
        void Draw(TRenderContext*) override { aScissor.push_back(g_pDeviceManager->GetScissorTest()); }
        std::vector<u32> aScissor;
    };
    TScissorProbe wall(1.0f, m_Draws), glass(1.0f, m_Draws);
    Node(Translation(0.0f, 0.0f, 60.0f)).AddObject(&wall);
    wall.SetQueue(&queue);
    Node(Translation(0.0f, 0.0f, 55.0f)).AddObject(&glass);
    glass.SetQueue(&alpha);
    // Ahead of the eye, shining away from it: its reach bounds a rectangle.
    TLight& spot = Light(LIGHT_SPOT, 1.0f, Translation(0.0f, 0.0f, 50.0f));
    spot.m_fRange = 20.0f;
    RenderPass();
    EXPECT_EQ(wall.aScissor, (std::vector<u32>{1}));
    EXPECT_EQ(glass.aScissor, (std::vector<u32>{0}));
    EXPECT_EQ(g_pDeviceManager->GetScissorTest(), 0u);
    // A scissor the caller set stays, through the alpha-blend queue and after the pass.
    g_pDeviceManager->SetScissorTest(1);
    RenderPass();
    EXPECT_EQ(wall.aScissor, (std::vector<u32>{1, 1}));
    EXPECT_EQ(glass.aScissor, (std::vector<u32>{0, 1}));
    EXPECT_EQ(g_pDeviceManager->GetScissorTest(), 1u);
    g_pDeviceManager->SetScissorTest(0);
    for (TScissorProbe* probe : {&wall, &glass})
    {
        probe->RemoveFromQueue();
        probe->pNode->DeleteObject(probe);
    }
}

// The spot test on its own, for a light at the origin shining along +z with a 0.25 radian cone:
// a small object takes the cone test unless its sphere holds the light; a large one holding the
// light in its box is drawn.
using SpotTestTest = ForwardRenderingTest;

TEST_F(SpotTestTest, TheConeDecidesForObjectsAwayFromTheLight)
{
    TLight& light = Light(LIGHT_SPOT);
    const auto lit = [&](TBoxObject& object) { return ObjectInLightVolume(&object, &camera.m_ViewProjection, &light); };
    const struct
    {
        f32 x, z, half;
        u32 drawn;
    } cases[] = {{0.0f, -3.0f, 4.0f, 1},   // behind, radius 6.9: its sphere holds the light
                 {0.0f, 30.0f, 1.0f, 1},   // on the axis
                 {30.0f, 30.0f, 1.0f, 0},  // 45 degrees off
                 {0.0f, 200.0f, 1.0f, 0},  // beyond the range
                 {7.0f, 30.0f, 1.0f, 1},   // 13.1 degrees: inside the 0.25 radian cone with its spread
                 {9.0f, 30.0f, 1.0f, 0},   // 16.7 degrees
                 {0.0f, -30.0f, 1.0f, 0},  // behind the light
                 {15.0f, -10.0f, 20.0f, 1},  // r 20.8: the box holds the light though it lies behind
                 // r 311.8, within the range: its near face within 1.1 x the range (the cone
                 // decides), then beyond it (skipped before the cone test)
                 {0.0f, 409.0f, 300.0f, 1},
                 {0.0f, 411.0f, 300.0f, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(lit(Object(c.x, 0.0f, c.z, c.half)), c.drawn) << c.x << " " << c.z;
    // An object without a node is never drawn.
    TBoxObject loose(1.0f, m_Draws);
    EXPECT_EQ(lit(loose), 0u);
}

} // namespace

// The screen rectangle a spot pass is scissored to, through the fixture's camera (90 degrees each
// way, x mirrored) onto a 200 x 100 viewport at (100, 50), two pixels wider on each side and
// clamped to the viewport: the light's range cube (range 10, so 10.1 a side), or where it is
// narrower the cone's hull (outer angle 0.3, shining along +z away from the eye: the light, and
// polygons of radius 10.1 sin 0.3 / cos(pi / 16) x 1.01 = 3.07 at 10.1 cos 0.3 and 10.1 ahead).
TEST_F(ForwardRenderingTest, ASpotPassIsScissoredToItsReachOnTheViewport)
{
    const TViewportRecord viewport{100, 50, 200, 100, 0.0f, 1.0f};
    i32 rect[4] = {};
    f32 outer = 1.6f;
    const auto reach = [&](f32 x, f32 y, f32 z) {
        TLight& light = Light(LIGHT_SPOT, 1.0f, Translation(x, y, z));
        light.m_fRange = 10.0f;
        light.SetCone(0.2f, outer);
        return TForwardRendering::ReachRectangle(light, camera, viewport, rect);
    };
    // A cone of 90 degrees or more: the cube. Straight ahead: 10.1 / 89.9 of the half-size each
    // way about the centre (200, 100).
    ASSERT_TRUE(reach(0.0f, 0.0f, 100.0f));
    EXPECT_EQ((std::vector<i32>(rect, rect + 4)), (std::vector<i32>{186, 92, 214, 108}));
    // To the right and above in the world: left on the screen (cut at the viewport's edge) and up.
    ASSERT_TRUE(reach(100.0f, 20.0f, 100.0f));
    EXPECT_EQ((std::vector<i32>(rect, rect + 4)), (std::vector<i32>{100, 81, 121, 98}));
    // Wholly beside the view: an empty rectangle on the viewport's edge.
    ASSERT_TRUE(reach(0.0f, -500.0f, 100.0f));
    EXPECT_EQ(rect[1], rect[3]);
    // Behind the eye, or reaching behind it: no bound, no scissor.
    EXPECT_FALSE(reach(0.0f, 0.0f, -100.0f));
    EXPECT_FALSE(reach(0.0f, 0.0f, 5.0f));

    // A narrow cone: ahead, 3.07 / 109.65 of the half-size each way.
    outer = 0.3f;
    ASSERT_TRUE(reach(0.0f, 0.0f, 100.0f));
    EXPECT_EQ((std::vector<i32>(rect, rect + 4)), (std::vector<i32>{195, 96, 205, 104}));
    // Right and above: from the light (100, 20) / 100 to the near polygon's far side.
    ASSERT_TRUE(reach(100.0f, 20.0f, 100.0f));
    EXPECT_EQ((std::vector<i32>(rect, rect + 4)), (std::vector<i32>{100, 87, 114, 95}));
    // The cube reaches behind the eye, the cone shines away from it: bounded by the cone alone.
    ASSERT_TRUE(reach(0.0f, 0.0f, 5.0f));
    EXPECT_EQ((std::vector<i32>(rect, rect + 4)), (std::vector<i32>{177, 87, 223, 113}));
    // Shining towards the eye from behind it: no bound.
    EXPECT_FALSE(reach(0.0f, 0.0f, -100.0f));
}

// A device with the deferred renderer's targets, so that shadows can be on, drawing forward
// passes.
using ForwardShadowTest = DeferredSceneTest;

// Values 24-27 of each light's pass: its stored shadow values while shadows are on, (0, 0, 0, 1)
// while they are off. A spot above level 0 is not drawn: the sun's pass is the last filled.
TEST_F(ForwardShadowTest, EachLightsPassTakesItsStoredShadowValuesWhileShadowsAreOn)
{
    Object(0.0f, 0.0f, 20.0f, 1.0f);
    TLight& sun = Light(LIGHT_DIRECTIONAL);
    TLight& spot = Light(LIGHT_SPOT);
    const std::vector<f32> inSun{0.25f, 0.5f, 0.75f, 0.125f}, inSpot{0.5f, 0.0f, 1.0f, 2.0f}, off{0, 0, 0, 1};
    std::copy(inSun.begin(), inSun.end(), sun.m_aShadow);
    std::copy(inSpot.begin(), inSpot.end(), spot.m_aShadow);
    for (auto [shadows, level, expected] : {std::tuple{1, 0, &inSpot}, {1, 1, &inSun}, {0, 0, &off}, {1, 0, &inSpot}})
    {
        g_pShadowManager->SetEnabled(shadows);
        spot.m_nLevel = level;
        g_LightSettings = TLightSettingsBlock{};
        g_pForwardRendering->RenderQueue(&m_Viewport, RENDER_QUEUE_OPAQUE);
        EXPECT_EQ((std::vector<f32>(g_LightSettings.aValue + 24, g_LightSettings.aValue + 28)), *expected)
            << shadows << " " << level;
    }
}
