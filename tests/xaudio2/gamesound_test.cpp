// Game sounds on the stepped engine: clips chosen by the play modes, each started with its
// settings, the next one when a clip ends, nodes that play while enabled.
#include "soundfixture.h"

#include "core/math/random.h"
#include "xaudio2/gamesound.h"
#include "xaudio2/gamesoundnode.h"
#include "xaudio2/randomindex.h"

#include <set>

namespace
{
class GameSoundTest : public SoundTest
{
protected:
    // A game sound of short clips of its own (20 ms each).
    TGameSound& Sound(u32 mode, u32 clips, u32 loop = 0)
    {
        TGameSound& sound = m_aSound.emplace_back();
        sound.Settings.nPlayMode = mode;
        sound.Settings.nLoop = loop;
        for (u32 i = 0; i < clips; ++i)
        {
            const std::string name = "clip" + std::to_string(m_nClips++);
            const f32 hz = 400.0f + 100.0f * static_cast<f32>(i);
            sound.aSoundData[sound.m_nClipCount++] =
                MakeClip(name.c_str(), {EClipWave::Sine, hz, hz, 0.02f, 0.3f, 0.3f});
        }
        return sound;
    }

    // The clip index the kept instance plays.
    static i32 PlayingClip(const TGameSound& sound)
    {
        for (u32 i = 0; i < sound.GetClipCount(); ++i)
            if (sound.pSound && sound.pSound->pSoundData == sound.aSoundData[i])
                return static_cast<i32>(i);
        return -1;
    }

    // The kept clip runs to its end, and the update after it continues the game sound.
    static void EndClip(const TGameSound& sound)
    {
        const TSound* playing = sound.pSound;
        for (i32 frame = 0; frame < 5 && sound.pSound == playing; ++frame)
            Frame(0.03f);
    }

    std::deque<TGameSound> m_aSound;
    u32 m_nClips = 0;
};
} // namespace

TEST_F(GameSoundTest, PlayStartsTheFirstClipWithTheSettingsAndTheNextWhenItEnds)
{
    TGameSound& sequential = Sound(GAME_SOUND_SEQUENTIAL, 4);
    sequential.Settings.fVolumeBase = 0.5f;
    sequential.Settings.fPitchBase = 1.25f;
    sequential.Settings.fFadeOut = 0.75f;
    sequential.Settings.fFadeIn = 0.01f;
    sequential.Settings.fCurveDistanceScaler = 3.0f;
    EXPECT_EQ(GAME_SOUND_STARTED, sequential.Play(nullptr));
    EXPECT_EQ(0, PlayingClip(sequential));
    EXPECT_EQ(3, sequential.m_nRemaining);
    auto* instance = static_cast<TXAudio2Sound*>(sequential.pSound);
    EXPECT_TRUE(TGameSound::IsGameSound(instance->pOwner));
    EXPECT_EQ((std::vector<f32>{0.5f, 1.25f, 0.75f, 3.0f}),
              (std::vector<f32>{instance->Volume.fTarget, instance->Pitch.fTarget, instance->m_fFadeOutTime,
                                instance->m_fCurveDistanceScaler}));
    EXPECT_EQ(sequential.aCurve, instance->pCurve);
    // The maximum of one instance is playing: the next clip waits.
    EXPECT_EQ(GAME_SOUND_MAXIMUM_REACHED, sequential.PlayNext());

    // Clips 0 to 3 in order, then the sound stops.
    for (i32 clip = 1; clip < 4; ++clip)
    {
        EndClip(sequential);
        EXPECT_EQ(clip, PlayingClip(sequential));
    }
    EndClip(sequential);
    EndClip(sequential);
    EXPECT_FALSE(sequential.IsPlaying());
    EXPECT_EQ(nullptr, sequential.pSound);
    // Each clip reached the output.
    const TWavContents wav = Finish();
    EXPECT_GT(Peak(wav, 0, 0, 3 * kQuantum), 1000);
    EXPECT_GT(Peak(wav, 0, 9 * kQuantum, 12 * kQuantum), 1000);
}

TEST_F(GameSoundTest, ThePlayModesChooseTheClips)
{
    // Shuffled: every clip once, in a drawn order (the same order for all 8 is a chance of 1 in
    // 40,320).
    TGameSound& shuffled = Sound(GAME_SOUND_SHUFFLED, 8);
    const std::vector<TSoundData*> stored(shuffled.aSoundData, shuffled.aSoundData + 8);
    std::vector<TSoundData*> heard;
    shuffled.Play(nullptr);
    for (i32 i = 0; i < 20 && shuffled.IsPlaying(); ++i)
    {
        heard.push_back(shuffled.pSound->pSoundData);
        EndClip(shuffled);
    }
    EXPECT_EQ(std::set<TSoundData*>(stored.begin(), stored.end()), std::set<TSoundData*>(heard.begin(), heard.end()));
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
        ASSERT_GE(PlayingClip(random), 0);
    }
    random.Stop(1);

    // One random clip, once, loop or not.
    TGameSound& one = Sound(GAME_SOUND_ONE_RANDOM, 3);
    for (u32 loop : {0u, 1u})
    {
        one.Settings.nLoop = loop;
        one.Play(nullptr);
        EXPECT_EQ(loop ? -1 : 0, one.m_nRemaining);
        EXPECT_GE(PlayingClip(one), 0);
        EndClip(one);
        EXPECT_FALSE(one.IsPlaying()) << loop;
    }

    // A single clip plays once per Play even with the loop flag: its end stops the sound.
    TGameSound& single = Sound(GAME_SOUND_SEQUENTIAL, 1, 1);
    single.Play(nullptr);
    EndClip(single);
    EXPECT_FALSE(single.IsPlaying());
    EXPECT_EQ(GAME_SOUND_STARTED, single.Play(nullptr));

    // Looping sequential: back to the first.
    TGameSound& looping = Sound(GAME_SOUND_SEQUENTIAL_1, 2, 1);
    looping.Play(nullptr);
    EndClip(looping);
    EndClip(looping);
    EXPECT_EQ(0, PlayingClip(looping));
}

TEST_F(GameSoundTest, TheMaximumOfInstancesLimitsTheClipsAtOnce)
{
    TGameSound& pair = Sound(GAME_SOUND_RANDOM, 3, 1);
    pair.Settings.nMaxInstances = 2;
    EXPECT_EQ(GAME_SOUND_STARTED, pair.Play(nullptr));
    EXPECT_EQ(GAME_SOUND_STARTED, pair.PlayNext());
    EXPECT_EQ(GAME_SOUND_MAXIMUM_REACHED, pair.PlayNext());
    EXPECT_EQ(2, pair.m_nActiveCount);
    // Each end starts one more.
    Frame(0.03f);
    Frame(0.03f);
    EXPECT_EQ(2, pair.m_nActiveCount);
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
    // A new start before the old instance is released: the release ends nothing.
    EXPECT_EQ(GAME_SOUND_STARTED, loop.Play(nullptr));
    TSound* second = loop.pSound;
    Frame(0.0f, false);
    EXPECT_TRUE(loop.IsPlaying());
    EXPECT_EQ(second, loop.pSound);
    EXPECT_TRUE(second->IsPlaying());
}

TEST_F(GameSoundTest, NoClipOrNoInstancePlaysNothingAndHoldsNoPlace)
{
    // No clip: nothing left, whatever the mode.
    for (u32 mode : {GAME_SOUND_SEQUENTIAL, GAME_SOUND_RANDOM, GAME_SOUND_ONE_RANDOM})
    {
        TGameSound& empty = Sound(mode, 0, 1);
        EXPECT_EQ(GAME_SOUND_NOTHING_LEFT, empty.Play(nullptr)) << mode;
        EXPECT_TRUE(!empty.IsPlaying() && empty.m_nActiveCount == 0) << mode;
    }
    // A stored count above 16 is read as 16.
    TGameSound& many = Sound(GAME_SOUND_SEQUENTIAL, 16);
    many.m_nClipCount = 17;
    EXPECT_EQ(16u, many.GetClipCount());

    // Without the service no instance comes: the sound may be played once it runs again.
    TGameSound& horn = Sound(GAME_SOUND_SEQUENTIAL, 1);
    g_pCluster->Clear();
    EXPECT_EQ(GAME_SOUND_NO_INSTANCE, horn.Play(nullptr));
    EXPECT_EQ(0, horn.m_nActiveCount);
    ASSERT_EQ(0, g_pResourceManager->LoadRepository(RepositoryPath().c_str(), 0));
    // Its clip plays in the group the new load brought.
    horn.aSoundData[0]->pGroup = Group("/master/game/effects");
    EXPECT_EQ(GAME_SOUND_STARTED, horn.Play(nullptr));
}

TEST_F(GameSoundTest, ANodePlaysItsGameSoundWhileItIsEnabled)
{
    TGameSound& traffic = Sound(GAME_SOUND_SEQUENTIAL, 2, 1);
    TNode* node = g_pNodeManager->CreateNode("traffic");
    TGameSoundNode object;
    object.pGameSound = &traffic;
    node->AddObject(&object);
    node->Enable(0, 0);
    EXPECT_FALSE(traffic.IsPlaying());
    node->Enable(1, 0);
    ASSERT_TRUE(traffic.IsPlaying());
    EXPECT_EQ(node, traffic.pStartNode);
    EXPECT_EQ(node, traffic.pSound->pNode);
    TSound* instance = traffic.pSound;
    // Disabled: stopped and released at once.
    node->Enable(0, 0);
    EXPECT_FALSE(traffic.IsPlaying());
    EXPECT_EQ(SOUND_STOPPED, instance->GetState());
    // Switched off, it stays silent.
    object.m_nEnabled = 0;
    object.SetActive(1);
    EXPECT_FALSE(traffic.IsPlaying());
    TGameSoundNode none;
    none.SetActive(1);
    node->DeleteObject(&object);
}
