#include "soundfixture.h"

#include "core/math/random.h"
#include "xaudio2/gamesound.h"
#include "xaudio2/randomindex.h"

#include <set>

namespace
{
class GameSoundTest : public SoundTest
{
protected:
    TGameSound& Sound(u32 mode, u32 clips, u32 loop = 0)
    {
        TGameSound& sound = m_aSound.emplace_back();
        sound.Settings.nPlayMode = mode;
        sound.Settings.nLoop = loop;
        for (u32 i = 0; i < clips; ++i)
            sound.aSoundData[sound.m_nClipCount++] = Clip(("clip" + std::to_string(i)).c_str());
        g_pGameSoundManager->GameSounds().Add(&sound);
        return sound;
    }

    // The clip index the kept instance plays.
    i32 PlayingClip(const TGameSound& sound) const
    {
        for (u32 i = 0; i < sound.m_nClipCount; ++i)
            if (sound.pSound && sound.pSound->pSoundData == sound.aSoundData[i])
                return static_cast<i32>(i);
        return -1;
    }

    // Stops the kept instance, as the end of its clip would, and lets the manager release it.
    void EndClip(TGameSound& sound)
    {
        TSound* playing = sound.pSound;
        ASSERT_NE(nullptr, playing);
        playing->Stop(1);
        // Not as a stop of the game sound: the clip ended.
        static_cast<TXAudio2Sound*>(playing)->m_nState = SOUND_PLAYING;
        Manager().UpdateManager(0.0f);
    }

    std::deque<TGameSound> m_aSound;
};
} // namespace

TEST(RandomIndexTest, DrawsAreMaskedByTheSmallestCoveringMaskAndDrawnAgainAboveMax)
{
    TRandom drawn(77);
    TRandom reference(77);
    const i32 max = 4;
    for (i32 i = 0; i < 200; ++i)
    {
        u32 expected;
        do
            expected = reference.Next() & 7u;
        while (expected > 4u);
        ASSERT_EQ(static_cast<i32>(expected), RandomIndex(drawn, &max)) << i;
    }
    // Every value of 0..5 comes up; none outside.
    std::set<i32> seen;
    const i32 five = 5;
    for (i32 i = 0; i < 600; ++i)
        seen.insert(RandomIndex(drawn, &five));
    EXPECT_EQ((std::set<i32>{0, 1, 2, 3, 4, 5}), seen);
    // Nothing to choose from: 0 at once, no draw taken.
    TRandom still(5);
    const u32 next = TRandom(5).Next();
    for (i32 none : {0, -1})
        EXPECT_EQ(0, RandomIndex(still, &none));
    EXPECT_EQ(next, still.Next());
    const i32 largest = 0x7FFFFFFF;
    EXPECT_GE(RandomIndex(drawn, &largest), 0);
}

TEST_F(GameSoundTest, PlayStartsTheFirstClipByThePlayModeWithTheSettings)
{
    TGameSound& sequential = Sound(GAME_SOUND_SEQUENTIAL, 3);
    sequential.Settings.fVolumeBase = 0.5f;
    sequential.Settings.fPitchBase = 1.25f;
    sequential.Settings.fFadeOut = 0.75f;
    sequential.Settings.fCurveDistanceScaler = 3.0f;
    EXPECT_EQ(GAME_SOUND_STARTED, sequential.Play(nullptr));
    EXPECT_TRUE(sequential.IsPlaying());
    EXPECT_EQ(0, PlayingClip(sequential));
    EXPECT_EQ(2, sequential.m_nRemaining);
    auto* instance = static_cast<TXAudio2Sound*>(sequential.pSound);
    EXPECT_EQ(&sequential, instance->pOwner);
    EXPECT_FLOAT_EQ(0.5f, instance->Volume.fTarget);
    EXPECT_FLOAT_EQ(1.25f, instance->Pitch.fTarget);
    EXPECT_FLOAT_EQ(0.75f, instance->m_fFadeOutTime);
    EXPECT_FLOAT_EQ(3.0f, instance->m_fCurveDistanceScaler);
    EXPECT_EQ(sequential.aCurve, instance->pCurve);
    // The maximum of one instance is playing: the next clip waits.
    EXPECT_EQ(GAME_SOUND_MAXIMUM_REACHED, sequential.PlayNext());

    // The clips play in order, then the sound stops.
    EndClip(sequential);
    EXPECT_EQ(1, PlayingClip(sequential));
    EndClip(sequential);
    EXPECT_EQ(2, PlayingClip(sequential));
    EndClip(sequential);
    EXPECT_FALSE(sequential.IsPlaying());
    EXPECT_EQ(nullptr, sequential.pSound);

    // Shuffled: every clip once, in a drawn order (the same order for all 8 is a chance of 1 in
    // 40,320).
    TGameSound& shuffled = Sound(GAME_SOUND_SHUFFLED, 8);
    const std::vector<TSoundData*> stored(shuffled.aSoundData, shuffled.aSoundData + 8);
    std::vector<TSoundData*> heard;
    shuffled.Play(nullptr);
    while (shuffled.IsPlaying())
    {
        heard.push_back(shuffled.pSound->pSoundData);
        EndClip(shuffled);
    }
    EXPECT_EQ(std::set<TSoundData*>(stored.begin(), stored.end()),
              std::set<TSoundData*>(heard.begin(), heard.end()));
    EXPECT_EQ(8u, heard.size());
    EXPECT_NE(stored, heard);

    // Random without repeats never plays a clip twice running.
    TGameSound& random = Sound(GAME_SOUND_RANDOM_NO_REPEAT, 3, 1);
    random.Play(nullptr);
    for (i32 i = 0; i < 20; ++i)
    {
        const i32 previous = PlayingClip(random);
        EndClip(random);
        ASSERT_NE(previous, PlayingClip(random));
    }
}

TEST_F(GameSoundTest, StopAndTheSettersReachTheKeptInstanceOnly)
{
    TGameSound& loop = Sound(GAME_SOUND_SEQUENTIAL, 1, 1);
    loop.SetParameter(SOUND_PARAMETER_VOLUME, 0.1f);
    EXPECT_TRUE(Recorder().calls.empty());
    loop.Play(nullptr);
    TSound* instance = loop.pSound;
    loop.SetParameter(SOUND_PARAMETER_VOLUME, 0.2f);
    loop.SetParameterInt(SOUND_PARAMETER_RELEASE_FADED, 1);
    EXPECT_FLOAT_EQ(0.2f, static_cast<TXAudio2Sound*>(instance)->Volume.fTarget);
    loop.Stop(1);
    EXPECT_FALSE(loop.IsPlaying());
    EXPECT_EQ(nullptr, loop.pSound);
    EXPECT_EQ(SOUND_STOPPING, instance->GetState());
    EXPECT_EQ(0, loop.m_nActiveCount);
    // Its release reaches the game sound, which stays stopped (one clip).
    Manager().UpdateManager(0.0f);
    EXPECT_FALSE(loop.IsPlaying());
    EXPECT_EQ(GAME_SOUND_STARTED, loop.Play(nullptr));
}

TEST_F(GameSoundTest, NoClipOrNoInstancePlaysNothingAndHoldsNoPlace)
{
    TGameSound& empty = Sound(GAME_SOUND_RANDOM, 0);
    EXPECT_EQ(GAME_SOUND_NO_INSTANCE, empty.Play(nullptr));
    EXPECT_FALSE(empty.IsPlaying());
    EXPECT_EQ(0, empty.m_nActiveCount);
    TGameSound& once = Sound(GAME_SOUND_SEQUENTIAL, 0);
    EXPECT_EQ(GAME_SOUND_NOTHING_LEFT, once.Play(nullptr));
    EXPECT_EQ(0, once.m_nActiveCount);

    // Without the service no instance comes: the sound may be played once it runs again.
    TGameSound& horn = Sound(GAME_SOUND_SEQUENTIAL, 1);
    g_pCluster->Clear();
    g_pGameSoundManager->GameSounds().Add(&horn);
    EXPECT_EQ(GAME_SOUND_NO_INSTANCE, horn.Play(nullptr));
    Manager().OnClusterLoad();
    EXPECT_EQ(GAME_SOUND_STARTED, horn.Play(nullptr));
}
