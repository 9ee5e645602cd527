#include "engine/system/animation.h"
#include "engine/system/animationdata.h"
#include "engine/system/animationmanager.h"
#include "engine/system/managermanager.h"
#include "recordingscript.h"
#include "testanimation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
// Resources are loaded only while the manager system is open.
class AnimationTest : public testing::Test
{
protected:
    void SetUp() override { g_ManagerManager.Initialize(); }
};
using AnimationKeyTest = AnimationTest;

void ExpectKey(const TAnimationKey& expected, const TAnimationKey& actual)
{
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(expected.aRotation[i], actual.aRotation[i]) << "rotation " << i;
        EXPECT_FLOAT_EQ(expected.aPosition[i], actual.aPosition[i]) << "position " << i;
        EXPECT_FLOAT_EQ(expected.aScale[i], actual.aScale[i]) << "scale " << i;
    }
}
} // namespace

TEST_F(AnimationKeyTest, QuantizedRotationsRoundAndStayInTheSymmetricRange)
{
    const f32 in[2][4] = {{1.0f, -1.0f, 0.5f, -2.0f}, {NAN, 1e30f, -1e30f, -1.00003f}};
    i16 out[4];
    // 0.5: 16383.5 + 0.5 floored; a NaN is 0.
    const std::vector<i16> expected[2] = {{32767, -32767, 16384, -32767}, {0, 32767, -32767, -32767}};
    for (u32 i = 0; i < 2; ++i)
    {
        QuantizeRotation(in[i], out);
        EXPECT_EQ(std::vector<i16>(out, out + 4), expected[i]) << i;
    }
}

// Whole frames give the stored key, fractions slerp the rotation along the shorter arc and
// interpolate the rest; step interpolation keeps the earlier key.
TEST_F(AnimationKeyTest, SamplingBetweenKeysMatchesHandValues)
{
    const TAnimationKey k0 = Key(0, 0, 0, AboutZ(0), 1.0f);
    const TAnimationKey k1 = Key(2, 4, -6, AboutZ(90), 3.0f);
    const TAnimationKey k2 = Key(10, 10, 10, AboutZ(180), 1.0f);
    // Track 1 has other keys, so that the track's offset (length + 1) x track is seen.
    TTestAnimation test(2, {k0, k1, k2, k2, k2, k0}, 2);
    ASSERT_EQ(0, test.data.Require());

    TAnimationKey out;
    ASSERT_TRUE(test.data.SampleTrack(out, 0, 1.0f));
    ExpectKey(k1, out);
    ASSERT_TRUE(test.data.SampleTrack(out, 1, 2.0f));
    ExpectKey(k0, out);

    ASSERT_TRUE(test.data.SampleTrack(out, 0, 0.25f));
    EXPECT_EQ((std::vector<f32>(out.aPosition, out.aPosition + 4)), (std::vector<f32>{0.5f, 1.0f, -1.5f, 1.0f}));
    EXPECT_EQ(1.5f, out.aScale[0]);
    // A quarter of the way from 0 to 90 degrees about z is 22.5 degrees.
    EXPECT_EQ(0, out.aRotation[0] | out.aRotation[1]);
    EXPECT_NEAR(std::sin(22.5f * 3.14159265f / 360.0f) * 32767.0f, out.aRotation[2], 1.0f);
    EXPECT_NEAR(std::cos(22.5f * 3.14159265f / 360.0f) * 32767.0f, out.aRotation[3], 1.0f);

    // Past the end the last key, before the start the first.
    for (const auto& [time, key] : {std::pair{7.0f, k2}, {-1.0f, k0}})
    {
        ASSERT_TRUE(test.data.SampleTrack(out, 0, time));
        ExpectKey(key, out);
    }
    EXPECT_FALSE(test.data.SampleTrack(out, 2, 0.0f));

    test.data.m_nInterpolation = ANIMATION_INTERPOLATION_STEP;
    ASSERT_TRUE(test.data.SampleTrack(out, 0, 1.75f));
    ExpectKey(k1, out);
}

// Keys that the data block cannot hold are refused at load, not read past the block.
TEST_F(AnimationKeyTest, DataTooShortForItsKeysIsRefused)
{
    TTestAnimation test(2, {Key(0, 0, 0), Key(1, 1, 1), Key(2, 2, 2)}, 2);
    EXPECT_NE(0, test.data.Require());
    EXPECT_FALSE(test.data.IsLoaded());
    TAnimationKey out;
    EXPECT_FALSE(test.data.SampleTrack(out, 0, 0.0f));
    // Asked again, it stays refused.
    EXPECT_NE(0, test.data.Require());

    TTestAnimation negative(-1, {Key(0, 0, 0)}, 1);
    EXPECT_NE(0, negative.data.Require());
}

TEST_F(AnimationTest, EventsFireAtTheirFramesInTableOrderAndAgainAfterAWrap)
{
    std::vector<std::string> journal;
    TRecordingScript first("first", &journal);
    TRecordingScript second("second", &journal);
    TRecordingScript third("third", &journal);
    TTestAnimation test(10, std::vector<TAnimationKey>(11, Key(0, 0, 0)));
    test.AddEvent(2.0f, &first);
    test.AddEvent(2.0f, &second);
    test.AddEvent(6.0f, nullptr);
    test.AddEvent(9.0f, &third);
    ASSERT_EQ(0, test.data.Require());
    TAnimation& a = test.animation;
    a.Play(1, 0);

    a.Update(1.5f);
    a.FireEvents();
    EXPECT_TRUE(journal.empty());
    a.Update(0.5f);
    a.FireEvents();
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), journal);
    EXPECT_EQ(VALUE_COLOUR, first.aRunArgument[0].first.nType);
    a.Update(7.5f);
    a.FireEvents();
    EXPECT_EQ((std::vector<std::string>{"first", "second", "third"}), journal);
    // The wrap re-arms every event; the ones up to the new time fire at once.
    a.Update(3.0f);
    EXPECT_FLOAT_EQ(2.5f, a.m_fTime);
    a.FireEvents();
    EXPECT_EQ((std::vector<std::string>{"first", "second", "third", "first", "second"}), journal);

    // Setting the time arms the first event after it.
    a.SetTime(2.0f);
    EXPECT_EQ(2, a.m_nNextEvent);
    a.SetTime(8.0f);
    EXPECT_EQ(3, a.m_nNextEvent);
}

// Track weights scale a sample towards the zero key; bones without a track have no sample.
TEST_F(AnimationTest, BonesSampleTheirTrackWithItsWeight)
{
    TTestAnimation test(1, {Key(1, 1, 1), Key(1, 1, 1), Key(4, 8, 12, AboutZ(0), 2.0f), Key(4, 8, 12, AboutZ(0), 2.0f)},
                        2);
    ASSERT_EQ(0, test.data.Require());
    TAnimation& a = test.animation;
    a.aBoneMap[5] = 1;
    TAnimationKey out;
    EXPECT_FALSE(a.SampleBone(0, out));
    ASSERT_TRUE(a.SampleBone(5, out));
    EXPECT_FLOAT_EQ(8.0f, out.aPosition[1]);
    const f32 weights[3] = {0.0f, 1.0f, 0.25f};
    a.m_pTrackWeights = weights;
    ASSERT_TRUE(a.SampleBone(5, out));
    EXPECT_FLOAT_EQ(2.0f, out.aPosition[1]);
    EXPECT_FLOAT_EQ(0.5f, out.aScale[0]);
    // A bone map naming a track the data lacks is no sample.
    a.aBoneMap[6] = 7;
    EXPECT_FALSE(a.SampleBone(6, out));
}
