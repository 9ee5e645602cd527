// The level's day sky drawn before its frame: by day the dome, the sun and the clouds; at night
// the stars through a dark dome; with thick cloud and rain the rain clouds; the rain's change
// fading the sun into an overcast light; a bad template skipped with one line and stored blends
// out of range refused.
#include "levelframefixture.h"

#include "engine/render/light.h"
#include "engine/system/node.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/atmospherechange.h"
#include "igame/effects/atmospheremanager.h"
#include "igame/effects/atmospherevertexpool.h"
#include "igame/effects/skyelement.h"
#include "igame/effects/skystream.h"
#include "levelatmosphere.h"
#include "levelrenderscene.h"
#include "vegetation/loglines.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
constexpr u32 QUAD = 6;

class LevelSkyTest : public LevelFrameTest
{
protected:
    void SetUp() override
    {
        LevelFrameTest::SetUp();
        // The level came in before this test listened: the load's work now.
        g_pAtmosphereManager->OnClusterLoad();
        m_pBeforeScene = [] { g_pAtmosphereManager->RenderManager(); };
        // The level's camera raised to the sky, towards the morning sun.
        TNode* eye = g_pNodeManager->FindNode(TName(LEVEL_CAMERA_NODE).GetId());
        ASSERT_NE(eye, nullptr);
        TMatrix look;
        look.SetOrientation(TVector(0.3f, 0.5f, 0.8f, 0.0f), TVector(0.0f, 1.0f, 0.0f, 0.0f));
        look.aRow[3] = eye->GetWorldMatrix()->aRow[3];
        eye->SetLocalMatrix(look, TNode::OrdinaryCause());
    }
    void TearDown() override
    {
        g_pAtmosphereManager->SetTimeOfDay(0.0f);
        g_pAtmosphereManager->SetCloudOverride(ATMOSPHERE_NO_OVERRIDE);
        g_pAtmosphereManager->SetCloudsAndRain(0.0f, 0.0f);
        g_pAtmosphereManager->SetEnabled(1);
        g_pRenderManager->SetFrameClearFlags(RENDER_FRAME_CLEAR_DEFAULT);
        g_SkyParameters = {};
        LevelFrameTest::TearDown();
    }
    static TAtmosphere& Day() { return *g_pAtmosphereManager->Atmospheres()[0]; }
    static TAtmosphere& Rain() { return *g_pAtmosphereManager->Atmospheres()[1]; }
    // The sky at a time of day after one frame's update; the vertices a frame draws.
    static void At(f32 time, f32 dt = kStep)
    {
        g_pAtmosphereManager->SetTimeOfDay(time);
        g_pAtmosphereManager->UpdateManager(dt);
    }
    u32 FrameVertices()
    {
        const u32 vertices = TSkyStream::Get().GetDrawnVertices();
        DrawFrame();
        return TSkyStream::Get().GetDrawnVertices() - vertices;
    }
};

class LevelRainLightTest : public LevelFrameTest
{
protected:
    void TearDown() override
    {
        g_pAtmosphereManager->GetFirstChange()->SetBlend(0.0f, 1);
        Variable("shadow.enable")->SetInt(1);
        LevelFrameTest::TearDown();
    }
    // The mean of the frame's lower half, the lit ground before the eye, 0-765.
    static double GroundBrightness(const std::vector<std::uint32_t>& frame)
    {
        double sum = 0.0;
        for (size_t i = frame.size() / 2; i < frame.size(); ++i)
            sum += (frame[i] >> 16 & 0xFF) + (frame[i] >> 8 & 0xFF) + (frame[i] & 0xFF);
        return sum / static_cast<double>(frame.size() - frame.size() / 2);
    }
};
} // namespace

TEST_F(LevelSkyTest, TheLevelHasADaySkyARainSkyAndTheChangeBetween)
{
    ASSERT_EQ(g_pAtmosphereManager->Atmospheres().GetCount(), 2);
    ASSERT_EQ(g_pAtmosphereManager->Changes().GetCount(), 1);
    // Applied at the load: the day sky whole, the rain sky away.
    EXPECT_EQ(Day().m_fWeight, 1.0f);
    EXPECT_EQ(Rain().m_fWeight, 0.0f);
    ASSERT_NE(g_pAtmosphereManager->GetVertexPool(), nullptr);
    EXPECT_EQ(g_pAtmosphereManager->GetVertexPool()->GetTemplateCount(), LEVEL_SKY_TEMPLATES);

    // The loaded records read by their stored offsets: each array's count in the word before its
    // first reference, the stars ending where the sky rotation starts, the change's run-time
    // floats after its arrays.
    auto word = [](const void* record, u32 offset) {
        u32 value;
        std::memcpy(&value, static_cast<const u8*>(record) + offset, 4);
        return value;
    };
    auto ref = [&](const void* record, u32 offset) { return reinterpret_cast<const void*>(word(record, offset)); };
    const struct
    {
        u32 nCount;
        u32 nAt;
        u32 nExpected;
        const TSkyElement* pLast;
    } arrays[] = {{2372, 2376, LEVEL_SKY_ELEMENTS, Day().aSkyElement[LEVEL_SKY_ELEMENTS - 1]},
                  {4424, 4428, LEVEL_SKY_AMBIENT_CLOUDS, Day().aAmbientCloud[LEVEL_SKY_AMBIENT_CLOUDS - 1]},
                  {6476, 6480, LEVEL_SKY_RAIN_CLOUDS, Day().aRainCloud[LEVEL_SKY_RAIN_CLOUDS - 1]},
                  {8528, 8532, LEVEL_SKY_STARS, Day().aStars[LEVEL_SKY_STARS - 1]}};
    for (const auto& a : arrays)
    {
        EXPECT_EQ(word(&Day(), a.nCount), a.nExpected) << a.nCount;
        EXPECT_EQ(ref(&Day(), a.nAt + 4 * (a.nExpected - 1)), a.pLast) << a.nAt;
    }
    EXPECT_EQ(ref(&Day(), 2368), Day().pSun);
    TMatrix rotation;
    std::memcpy(&rotation, reinterpret_cast<const u8*>(&Day()) + 9044, sizeof rotation);
    EXPECT_EQ(rotation.aRow[3].w, 1.0f);
    const TAtmosphereChange& change = *g_pAtmosphereManager->GetFirstChange();
    EXPECT_EQ(ref(&change, 0), &Rain());
    EXPECT_EQ(ref(&change, 4), &Day());
    const u32 lights[][2] = {{8, 12}, {44, 48}};
    for (const auto& l : lights)
    {
        EXPECT_EQ(word(&change, l[0]), 1u) << l[0];
        EXPECT_NE(ref(&change, l[1]), nullptr) << l[1];
    }
    EXPECT_EQ(word(&change, 80) + word(&change, 116), 0u);
    // The duration, then the progress.
    f32 floats[2];
    std::memcpy(floats, reinterpret_cast<const u8*>(&change) + 168, 4);
    std::memcpy(floats + 1, reinterpret_cast<const u8*>(&change) + 164, 4);
    EXPECT_EQ(std::vector<f32>(floats, floats + 2), std::vector<f32>({LEVEL_SKY_RAIN_BLEND, ATMOSPHERE_NO_TRANSITION}));
}

TEST_F(LevelSkyTest, DayNightAndRainCloudsDrawAsTheGoldenImages)
{
    // A few fair-weather clouds.
    g_pAtmosphereManager->SetCloudsAndRain(0.3f, 0.0f);
    At(0.4f);
    EXPECT_EQ(CompareWithGolden("sky_day", DrawFrame(), kWidth, kHeight), "");
    At(0.9f);
    EXPECT_EQ(CompareWithGolden("sky_night", DrawFrame(), kWidth, kHeight), "");
    // Thick cloud and rain; a jump in time scatters the rain clouds and shows those the rain asks.
    g_pAtmosphereManager->SetCloudOverride(0.95f);
    g_pAtmosphereManager->SetCloudsAndRain(0.95f, 1.0f);
    TRandom::Shared().Seed(58);
    At(0.4f, 200.0f);
    u32 shown = 0;
    for (u32 i = 0; i < Day().aRainCloud.GetCount(); ++i)
        shown += Day().aRainCloud[i]->m_nVisible;
    EXPECT_EQ(shown, LEVEL_SKY_RAIN_CLOUDS);
    EXPECT_EQ(CompareWithGolden("sky_rain_clouds", DrawFrame(), kWidth, kHeight), "");
}

TEST_F(LevelSkyTest, AnElementOfAMissingTemplateIsSkippedWithOneLine)
{
    At(0.5f);
    // The first template past the pool.
    Day().aAmbientCloud[0]->m_nTemplate = LEVEL_SKY_TEMPLATES;
    TLogLines log;
    EXPECT_EQ(FrameVertices(), QUAD * (LEVEL_SKY_AMBIENT_CLOUDS + LEVEL_SKY_ELEMENTS));
    EXPECT_EQ(FrameVertices(), QUAD * (LEVEL_SKY_AMBIENT_CLOUDS + LEVEL_SKY_ELEMENTS));
    EXPECT_EQ(log.Count("beyond the pool"), 1u);
}

// A loaded change's stored blend and transition: the last values kept and the first refused on
// each side, with one line naming the change; a refused blend is the day's.
TEST_F(LevelSkyTest, AStoredBlendOrTransitionOutsideItsRangeIsRefusedAtTheLoad)
{
    TAtmosphereChange& change = *g_pAtmosphereManager->GetFirstChange();
    // The level stores names without their texts; the line names the skies by the table's.
    TName(LEVEL_SKY_DAY, true);
    TName(LEVEL_SKY_RAIN, true);
    const f32 above = std::nextafter(1.0f, 2.0f), below = -std::numeric_limits<f32>::denorm_min();
    const f32 none = ATMOSPHERE_NO_TRANSITION, nan = std::numeric_limits<f32>::quiet_NaN();
    const struct
    {
        f32 fBlend, fStart, fDelta, fProgress, fDuration;
        u32 nRefused;
        f32 fBlendAfter;
        bool bMovingAfter;
    } cases[] = {{1.0f, 1.0f, 0.0f, none, 10.0f, 0, 1.0f, false},
                 {0.0f, 0.0f, 0.0f, none, 10.0f, 0, 0.0f, false},
                 {above, 0.0f, 0.0f, none, 10.0f, 1, 0.0f, false},
                 {below, 0.0f, 0.0f, none, 10.0f, 1, 0.0f, false},
                 {nan, 0.0f, 0.0f, none, 10.0f, 1, 0.0f, false},
                 {0.5f, 0.0f, 1.0f, 0.5f, 0.0f, 0, 0.5f, true},
                 {0.5f, 0.0f, above, 0.5f, 10.0f, 1, 0.5f, false},
                 {0.5f, 0.0f, 1.0f, above, 10.0f, 1, 0.5f, false},
                 {0.5f, 0.0f, 1.0f, 0.5f, -1.0f, 1, 0.5f, false}};
    for (const auto& c : cases)
    {
        change.m_fBlend = c.fBlend;
        change.m_fStart = c.fStart;
        change.m_fDelta = c.fDelta;
        change.m_fProgress = c.fProgress;
        change.m_fDuration = c.fDuration;
        TLogLines log;
        g_pAtmosphereManager->OnClusterLoad();
        EXPECT_EQ(log.Count("TAtmosphereChange::CheckBlend(): error: change of '"), c.nRefused) << c.fBlend;
        EXPECT_EQ(log.Count("sky_rain': "), c.nRefused) << ::testing::PrintToString(log.lines);
        EXPECT_EQ(change.GetBlend(), c.fBlendAfter) << c.fBlend;
        EXPECT_EQ(change.IsMoving() != 0, c.bMovingAfter) << c.fBlend;
        EXPECT_EQ(Rain().m_fWeight, c.fBlendAfter);
    }
    change.m_fDuration = LEVEL_SKY_RAIN_BLEND;
    change.SetBlend(0.0f, 1);
}


// The deferred renderer weights each light by its power: rain fades the sun out and the grey light
// from overhead in; the sun's ambient stays, so the lit ground dims but keeps most of its light.
TEST_F(LevelRainLightTest, RainFadesTheSunIntoTheOvercastLightWithoutBlackingOutTheScene)
{
    g_pAtmosphereManager->OnClusterLoad();
    TAtmosphereChange& change = *g_pAtmosphereManager->GetFirstChange();
    ASSERT_EQ(change.aDayLight.GetCount(), 1u);
    ASSERT_EQ(change.aNightLight.GetCount(), 1u);
    TLight& sun = *change.aDayLight[0];
    TLight& overcast = *change.aNightLight[0];
    EXPECT_EQ(overcast.GetNode(), g_pNodeManager->FindNode(TName(LEVEL_OVERCAST_LIGHT).GetId()));
    EXPECT_EQ(std::vector<f32>({sun.m_fPower, overcast.m_fPower}), std::vector<f32>({1.0f, 0.0f}));
    Variable("deferredrendering.disable")->SetInt(0);
    Variable("shadow.enable")->SetInt(0);
    const double day = GroundBrightness(DrawFrame());
    change.SetBlend(1.0f, 1);
    EXPECT_EQ(std::vector<f32>({sun.m_fPower, overcast.m_fPower}), std::vector<f32>({0.0f, 1.0f}));
    const double rain = GroundBrightness(DrawFrame());
    EXPECT_LT(rain, 0.9 * day) << "the sun dims";
    EXPECT_GT(rain, 0.75 * day) << "the ground stays lit";
}
