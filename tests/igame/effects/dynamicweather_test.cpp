// The dynamic weather: the wind's noise against values worked out from its formula by hand, the
// start values and the layers drawn at start-up, the layer count (at most 20) and the last
// layer's fade, the timed transition and its texture switch, the nearest occlusion box or a box
// far away, the data block's size limit, the motion fade, and the frames without time or fall.
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "igame/effects/dynamicweathermanager.h"
#include "igame/effects/effectsettings.h"
#include "vegetation/loglines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

namespace
{
TDynamicWeatherManager& Weather()
{
    return *g_pDynamicWeatherManager;
}

class DynamicWeatherTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::memcpy(&m_Saved, &Weather().Block(), sizeof m_Saved);
        for (u32 i = 0; i < WEATHER_LAYERS; ++i)
            m_aOffset[i] = Weather().GetLayer(i).Offset;
        Weather().ResetCamera();
    }
    void TearDown() override
    {
        std::memcpy(&Weather().Block(), &m_Saved, sizeof m_Saved);
        for (u32 i = 0; i < WEATHER_LAYERS; ++i)
            Weather().Layer(i).Offset = m_aOffset[i];
        Weather().OcclusionBoxes().SetCount(0);
    }
    static f32* Current() { return Weather().Block().Current.aParameter; }
    // A frame's constants from a camera at eye looking along +z, then layer i's.
    static const TVector* Frame(const TVector& eye, f32 dt, u32 layer = 0)
    {
        TMatrix placement(1.0f);
        placement.aRow[3] = eye;
        Weather().FillFrameConstants(placement, TMatrix(1.0f), 1.0f, dt, TVector(1.0f, 1.0f, 1.0f, 1.0f));
        Weather().FillLayerConstants(layer, eye, placement.aRow[2], dt);
        return Weather().GetConstants();
    }

    TWeatherBlock m_Saved;
    TVector m_aOffset[WEATHER_LAYERS];
};
} // namespace

TEST(DynamicWeatherNoise, MatchesTheFormulaWorkedOutByHand)
{
    // value(0) = 1266122899 / 2^30 - 1; value(1) from n = 8193; half way the cosine blend is a
    // half of each; a quarter past 3: u = (1 - cos(pi / 4)) / 2 between value(3) and value(4).
    for (auto [phase, noise] : {std::pair{0, 0.17916884f}, {1 << 16, 0.43625174f}, {0x8000, 0.30771029f},
                                {3 << 16 | 0x4000, -0.83430596f}, {10000, 0.19365724f}})
        EXPECT_NEAR(TDynamicWeatherManager::Noise(phase), noise, 1e-6f) << phase;
}

TEST_F(DynamicWeatherTest, LayersAreDrawnInTheirRanges)
{
    for (u32 i = 0; i < WEATHER_LAYERS; ++i)
    {
        const TWeatherLayer& layer = Weather().GetLayer(i);
        EXPECT_GE(layer.fSpeedFactor, 0.75f);
        EXPECT_LT(layer.fSpeedFactor, 1.25f);
        for (f32 c : {layer.BaseOffset.x, layer.BaseOffset.y, layer.BaseOffset.z})
        {
            EXPECT_GE(c, 0.0f);
            EXPECT_LT(c, WEATHER_CELL);
        }
    }
    EXPECT_NE(Weather().GetLayer(0).fSpeedFactor, Weather().GetLayer(1).fSpeedFactor);
}

TEST_F(DynamicWeatherTest, TwoAndAHalfLayersAreThreeTheLastAtHalfOpacity)
{
    Current()[WEATHER_LAYER_COUNT] = 2.5f;
    Current()[WEATHER_OPACITY] = 0.4f;
    EXPECT_EQ(Weather().GetLayerCount(), 3u);
    const TVector eye(0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(Frame(eye, 0.0f, 0)[WEATHER_VECTOR_LAYER_OPACITY].x, 0.4f);
    EXPECT_FLOAT_EQ(Frame(eye, 0.0f, 1)[WEATHER_VECTOR_LAYER_OPACITY].x, 0.4f);
    EXPECT_FLOAT_EQ(Frame(eye, 0.0f, 2)[WEATHER_VECTOR_LAYER_OPACITY].w, 0.2f);
    // The tables hold 20 layers: 20 is the last count taken, more are cut to it.
    for (auto [count, layers] : {std::pair{20.0f, 20u}, {20.01f, 20u}, {1e30f, 20u}, {-3.0f, 0u}})
    {
        Current()[WEATHER_LAYER_COUNT] = count;
        EXPECT_EQ(Weather().GetLayerCount(), layers) << count;
    }
}

TEST_F(DynamicWeatherTest, AnUpdateMovesEveryLayerWithinTheTablesAndWrapsAt60)
{
    Current()[WEATHER_LAYER_COUNT] = 20.0f;
    Current()[WEATHER_FALL_SPEED] = 10.0f;
    Current()[WEATHER_WIND] = 0.0f;
    const i32 phase = Weather().GetWindPhases()[1];
    Weather().Layer(0).Offset = TVector(0.0f, 59.9f, 0.0f, 0.0f);
    Weather().Layer(19).Offset = TVector(0.0f, 10.0f, 0.0f, 0.0f);
    const f32 dt = 1.0f / 30.0f;
    Weather().UpdateManager(dt);
    EXPECT_EQ(Weather().GetWindPhases()[1], phase + 166);
    // The first layer fell past 60 and wrapped to 0; the twentieth fell by its own speed.
    EXPECT_EQ(Weather().GetLayer(0).Offset.y, 0.0f);
    EXPECT_FLOAT_EQ(Weather().GetLayer(19).Offset.y, 10.0f + 10.0f * Weather().GetLayer(19).fSpeedFactor * dt);
    // A frame without time moves nothing.
    const TVector before = Weather().GetLayer(19).Offset;
    Weather().UpdateManager(0.0f);
    EXPECT_EQ(Weather().GetLayer(19).Offset.y, before.y);
    EXPECT_EQ(Weather().GetWindPhases()[1], phase + 166);
}

TEST_F(DynamicWeatherTest, ATransitionIsHalfWayAtHalfItsTimeAndTakesTheTargetsTextureAtItsEnd)
{
    TWeatherBlock& b = Weather().Block();
    b.fDuration = 10.0f;
    b.fElapsed = 0.0f;
    b.Start.aParameter[WEATHER_OPACITY] = 0.0f;
    b.Target.aParameter[WEATHER_OPACITY] = 1.0f;
    b.Target.Texture.Handle = TClusterHandle(3, 36);
    Weather().StepTransition(5.0f);
    EXPECT_FLOAT_EQ(Current()[WEATHER_OPACITY], 0.5f);
    EXPECT_EQ(b.Current.Texture.Handle.GetWord(), 0u);
    Weather().StepTransition(5.0f);
    EXPECT_EQ(Current()[WEATHER_OPACITY], 1.0f);
    EXPECT_EQ(b.Current.Texture.Handle.GetWord(), TClusterHandle(3, 36).GetWord());
    EXPECT_EQ(b.fDuration, 0.0f);
    EXPECT_EQ(b.fElapsed, 0.0f);
}

TEST_F(DynamicWeatherTest, TheNearestOcclusionBoxIsTakenOrABoxFarAway)
{
    Weather().ChooseOcclusionBox(TVector(0.0f, 0.0f, 0.0f, 1.0f));
    const TMatrix& none = Weather().GetOcclusionMatrix();
    EXPECT_EQ(none.aRow[0].x, 1.0f);
    for (f32 c : {none.aRow[3].x, none.aRow[3].y, none.aRow[3].z, none.aRow[3].w})
        EXPECT_EQ(c, -10000.0f);

    g_ManagerManager.Initialize();
    TNode nearNode, farNode;
    TMatrix at(1.0f);
    at.aRow[3] = TVector(10.0f, 0.0f, 0.0f, 1.0f);
    nearNode.SetWorldMatrix(at, TNode::OrdinaryCause());
    at.aRow[3] = TVector(100.0f, 0.0f, 0.0f, 1.0f);
    farNode.SetWorldMatrix(at, TNode::OrdinaryCause());
    TWeatherOcclusionBox nearBox, farBox;
    nearBox.pNode = &nearNode;
    farBox.pNode = &farNode;
    nearBox.m_aValue[0] = 2.0f;
    nearBox.m_aValue[1] = 4.0f;
    // A big box farther away whose side is nearer still wins by its distance.
    farBox.m_aValue[0] = farBox.m_aValue[1] = farBox.m_aValue[2] = 200.0f;
    Weather().OcclusionBoxes().Add(&nearBox);
    Weather().ChooseOcclusionBox(TVector(0.0f, 0.0f, 0.0f, 1.0f));
    // The box's corner (12, 4, 1) maps onto (1, 1, 1).
    TVector corner = Weather().GetOcclusionMatrix().TransformPoint(TVector(12.0f, 4.0f, 1.0f, 1.0f));
    EXPECT_NEAR(corner.Dot(TVector(1.0f, 1.0f, 1.0f, 0.0f)), 3.0f, 1e-5f);
    EXPECT_NEAR(corner.x, 1.0f, 1e-5f);
    Weather().OcclusionBoxes().Add(&farBox);
    Weather().ChooseOcclusionBox(TVector(0.0f, 0.0f, 0.0f, 1.0f));
    corner = Weather().GetOcclusionMatrix().TransformPoint(TVector(300.0f, 200.0f, 200.0f, 1.0f));
    EXPECT_NEAR(corner.x, 1.0f, 1e-5f);
    nearBox.pNode = farBox.pNode = nullptr;
}

TEST_F(DynamicWeatherTest, TheDataBlockTakesAtMost128Bytes)
{
    std::vector<u8> block(200, 0);
    TWeatherBlock written{};
    written.fDuration = 4.0f;
    written.Current.aParameter[WEATHER_FALL_SPEED] = 3.0f;
    std::memcpy(block.data(), &written, sizeof written);
    std::memset(block.data() + WEATHER_BLOCK_SIZE, 0x7F, block.size() - WEATHER_BLOCK_SIZE);
    TLogLines log;
    const TMatrix occlusion = Weather().GetOcclusionMatrix();
    EXPECT_EQ(Weather().SetData(0, block.data(), WEATHER_BLOCK_SIZE), 0);
    EXPECT_EQ(log.lines.size(), 0u);
    EXPECT_EQ(Weather().SetData(0, block.data(), static_cast<i32>(block.size())), 0);
    EXPECT_EQ(log.Count("weather block of 200 bytes"), 1u);
    // Nothing past the block was written.
    EXPECT_EQ(std::memcmp(&occlusion, &Weather().GetOcclusionMatrix(), sizeof occlusion), 0);
    EXPECT_EQ(Weather().Block().fDuration, 4.0f);
    EXPECT_EQ(Current()[WEATHER_FALL_SPEED], 3.0f);
    void* data = nullptr;
    i32 size = 0;
    ASSERT_EQ(Weather().GetData(0, data, size), 0);
    EXPECT_EQ(size, static_cast<i32>(WEATHER_BLOCK_SIZE));
    EXPECT_EQ(Weather().SetData(1, block.data(), 8), 1);
}

TEST_F(DynamicWeatherTest, TheEffectSettingsWeatherBytesBecomeTheCurrentState)
{
    TEffectSettings settings;
    settings.aWeather[WEATHER_OPACITY] = 0.6f;
    settings.aWeatherWord[0] = TClusterHandle(2, 36).GetWord();
    Weather().SetCurrentState(reinterpret_cast<const u8*>(&settings) + offsetof(TEffectSettings, aWeather));
    EXPECT_EQ(Current()[WEATHER_OPACITY], 0.6f);
    EXPECT_EQ(Current()[WEATHER_FALL_SPEED], 8.0f);
    EXPECT_EQ(Weather().Block().Current.Texture.Handle.GetWord(), TClusterHandle(2, 36).GetWord());
}

TEST_F(DynamicWeatherTest, AFastCameraDimsTheRainAndAFrameWithoutTimeOrFallHasNoStreak)
{
    Current()[WEATHER_LAYER_COUNT] = 1.0f;
    Current()[WEATHER_OPACITY] = 0.5f;
    Current()[WEATHER_FALL_SPEED] = 2.0f;
    Current()[WEATHER_STREAK_LENGTH] = 0.5f;
    const f32 dt = 0.1f;
    // The first frame takes the camera as its previous one: no speed, no fade.
    const TVector* c = Frame(TVector(0.0f, 0.0f, 0.0f, 1.0f), dt);
    EXPECT_EQ(Weather().GetFade(), 1.0f);
    EXPECT_FLOAT_EQ(c[WEATHER_VECTOR_SCALES].y, 0.5f / 2.0f / dt);
    // 11 units in 0.1 s: 110 per second, past 30 + 80.
    c = Frame(TVector(11.0f, 0.0f, 0.0f, 1.0f), dt);
    EXPECT_FLOAT_EQ(Weather().GetFade(), 0.8f);
    EXPECT_FLOAT_EQ(c[WEATHER_VECTOR_LAYER_OPACITY].x, 0.4f);
    // Half way through the fade's range: 70 per second.
    c = Frame(TVector(18.0f, 0.0f, 0.0f, 1.0f), dt);
    EXPECT_FLOAT_EQ(Weather().GetFade(), 0.9f);
    // A paused frame: no speed and no streak, nothing divided by 0.
    c = Frame(TVector(30.0f, 0.0f, 0.0f, 1.0f), 0.0f);
    EXPECT_EQ(Weather().GetFade(), 1.0f);
    EXPECT_EQ(c[WEATHER_VECTOR_SCALES].y, 0.0f);
    // Rain that does not fall has no streak either.
    Current()[WEATHER_FALL_SPEED] = 0.0f;
    c = Frame(TVector(30.0f, 0.0f, 0.0f, 1.0f), dt);
    EXPECT_EQ(c[WEATHER_VECTOR_SCALES].y, 0.0f);
}
