// The dynamic weather: the data block's size limit, the effect settings' weather bytes, the
// motion fade and the frames without time or fall.
#include "igame/effects/dynamicweathermanager.h"
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
    EXPECT_EQ(std::pair(Weather().Block().fDuration, Current()[WEATHER_FALL_SPEED]), std::pair(4.0f, 3.0f));
    void* data = nullptr;
    i32 size = 0;
    ASSERT_EQ(Weather().GetData(0, data, size), 0);
    EXPECT_EQ(size, static_cast<i32>(WEATHER_BLOCK_SIZE));
    EXPECT_EQ(Weather().SetData(1, block.data(), 8), 1);
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
