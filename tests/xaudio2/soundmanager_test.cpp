#include "soundfixture.h"

#include "engine/system/resource.h"
#include "xaudio2/reverbpresets.h"
#include "xaudio2/soundtypes.h"
#include "xaudio2/xaudio2soundgroup.h"

#include <algorithm>

namespace
{
const TClusterMemberDecl* Member(const TClusterTypeDecl& decl, const char* name)
{
    for (u32 i = 0; i < decl.GetMemberCount(); ++i)
        if (std::string(decl.GetMember(i).szName) == name)
            return &decl.GetMember(i);
    return nullptr;
}
} // namespace

TEST_F(SoundTest, StoredTypesCarryTheirIdsSizesAndReferences)
{
    struct
    {
        const TClusterTypeDecl& decl;
        u16 id;
        u32 size;
    } const types[] = {{SoundGroupDecl(), 69, 128},
                       {SoundDataLibraryDecl(), 70, 68},
                       {SoundDataDecl(), 71, 88},
                       {SoundDecl(), 73, 156},
                       {GameSoundDecl(), 111, 212}};
    for (const auto& type : types)
    {
        EXPECT_EQ(type.id, type.decl.GetTypeId()) << type.decl.GetName();
        EXPECT_EQ(type.size, type.decl.GetObjectSize()) << type.decl.GetName();
    }
    const TClusterMemberDecl* group = Member(SoundDataDecl(), "pGroup");
    ASSERT_NE(nullptr, group);
    EXPECT_EQ(76u, group->nOffset);
    EXPECT_EQ(69u, group->nTypeId);
    const TClusterMemberDecl* clips = Member(GameSoundDecl(), "aSoundData");
    ASSERT_NE(nullptr, clips);
    EXPECT_EQ(76u, clips->nOffset);
    EXPECT_EQ(16u, clips->nCount);
    EXPECT_EQ(140u, Member(GameSoundDecl(), "pSound")->nOffset);
    EXPECT_EQ(12u, Member(SoundDecl(), "pSoundData")->nOffset);
    // The prototypes' kinds and defaults.
    EXPECT_EQ(SOUND_KIND_DATA, static_cast<const TResource*>(SoundDataDecl().GetPrototype())->m_nKind);
    EXPECT_EQ(SOUND_KIND_GROUP, static_cast<const TResource*>(SoundGroupDecl().GetPrototype())->m_nKind);
    EXPECT_EQ(SOUND_KIND_LIBRARY,
              static_cast<const TResource*>(SoundDataLibraryDecl().GetPrototype())->m_nKind);
    EXPECT_FLOAT_EQ(1.0f, static_cast<const TSoundData*>(SoundDataDecl().GetPrototype())->m_fDefaultVolume);
}

TEST_F(SoundTest, InstancesKeepTheirParametersAndPlayingFlag)
{
    TXAudio2SoundData* clip = Clip("horn", 0.75f);
    TXAudio2Sound* made = Play(clip, 0);
    ASSERT_NE(nullptr, made);
    EXPECT_FALSE(made->IsPlaying());
    EXPECT_FLOAT_EQ(0.75f, made->Volume.fCurrent);
    EXPECT_EQ(clip, made->pSoundData);
    EXPECT_EQ(0, Manager()._GetSoundIndex(made));

    TXAudio2Sound* played = Play(clip);
    ASSERT_NE(nullptr, played);
    EXPECT_NE(made, played);
    EXPECT_TRUE(played->IsPlaying());
    EXPECT_EQ(1u, Manager().GetPlayingList().GetCount());

    played->SetParameter(SOUND_PARAMETER_VOLUME, 0.25f);
    played->SetParameter(SOUND_PARAMETER_PITCH_NOW, 1.5f);
    played->SetParameter(SOUND_PARAMETER_VOLUME_RATE, 2.0f);
    played->SetParameter(SOUND_PARAMETER_FADE_OUT, 3.0f);
    played->SetParameterInt(SOUND_PARAMETER_RELEASE_FADED, 0);
    played->SetParameter(99, 7.0f);
    EXPECT_FLOAT_EQ(0.25f, played->Volume.fTarget);
    EXPECT_FLOAT_EQ(1.5f, played->Pitch.fCurrent);
    EXPECT_FLOAT_EQ(0.5f, played->Volume.fRate);
    EXPECT_FLOAT_EQ(3.0f, played->m_fFadeOutTime);
    EXPECT_FLOAT_EQ(1.0f, played->m_fFadeLevel);
    EXPECT_EQ(0u, played->m_nFlags & SOUND_RELEASE_WHEN_FADED);
    const std::vector<std::string> expected = {"play",
                                               "parameter 1=0.250000",
                                               "parameter 5=1.500000",
                                               "parameter 48=2.000000",
                                               "parameter 38=3.000000",
                                               "parameter 45=0.000000",
                                               "parameter 99=7.000000"};
    EXPECT_EQ(expected, Recorder().calls);
}

TEST_F(SoundTest, PlaySoundExSetsBothParametersAndId49LeavesTheInstanceUnstarted)
{
    TXAudio2SoundData* clip = Clip("rain");
    TSound* sound = nullptr;
    Manager().PlaySoundEx(sound, clip, nullptr, SOUND_PARAMETER_FADE_OUT, 6.0f, SOUND_PARAMETER_FADE_IN,
                          6.0f);
    auto* rain = static_cast<TXAudio2Sound*>(sound);
    ASSERT_NE(nullptr, rain);
    EXPECT_TRUE(rain->IsPlaying());
    EXPECT_FLOAT_EQ(6.0f, rain->m_fFadeOutTime);
    EXPECT_FLOAT_EQ(6.0f, rain->m_fFadeInTime);
    // Fading in from silence.
    EXPECT_FLOAT_EQ(0.0f, rain->m_fFadeLevel);
    Manager().UpdateManager(0.1f);
    EXPECT_NEAR(0.1f / 6.0f, rain->m_fFadeLevel, 1e-6f);

    Manager().PlaySoundEx(sound, clip, nullptr, SOUND_PARAMETER_NOT_STARTED, 0.0f, -1, 0.0f);
    ASSERT_NE(nullptr, sound);
    EXPECT_FALSE(sound->IsPlaying());
    Manager().PlaySoundEx(sound, clip, nullptr, -1, 0.0f, SOUND_PARAMETER_NOT_STARTED, 0.0f);
    ASSERT_NE(nullptr, sound);
    EXPECT_FALSE(sound->IsPlaying());
}

TEST_F(SoundTest, StoppedInstancesAreReleasedAtTheNextUpdateAndTellTheListeners)
{
    TXAudio2SoundData* clip = Clip("bell");
    TXAudio2Sound* sound = Play(clip);
    ASSERT_NE(nullptr, sound);
    sound->Stop(1);
    EXPECT_EQ(SOUND_STOPPING, sound->GetState());
    EXPECT_TRUE(Recorder().ended.empty());
    Manager().UpdateManager(0.016f);
    ASSERT_EQ(1u, Recorder().ended.size());
    EXPECT_EQ(sound, Recorder().ended[0]);
    EXPECT_EQ(0u, Manager().GetPlayingList().GetCount());
    EXPECT_EQ(nullptr, sound->pSoundData);
    EXPECT_EQ(SOUND_STOPPED, sound->GetState());
    // The record is handed out again.
    EXPECT_EQ(sound, Play(clip));

    // A fade-out stops the sound once it has run its time, at most 0.1 s a frame.
    sound->SetParameter(SOUND_PARAMETER_FADE_OUT, 0.5f);
    sound->Stop(0);
    EXPECT_TRUE(sound->IsPlaying());
    for (i32 frame = 0; frame < 4; ++frame)
        Manager().UpdateManager(1.0f);
    EXPECT_TRUE(sound->IsPlaying());
    EXPECT_NEAR(0.2f, sound->m_fFadeLevel, 1e-5f);
    Manager().UpdateManager(0.1f);
    Manager().UpdateManager(0.1f);
    EXPECT_EQ(SOUND_STOPPING, sound->GetState());
    EXPECT_FLOAT_EQ(0.0f, sound->m_fFadeLevel);
    Manager().UpdateManager(0.1f);
    EXPECT_EQ(2u, Recorder().ended.size());

    // After a cluster unload no listener hears of released instances.
    Play(clip)->Stop(1);
    g_pCluster->Clear();
    EXPECT_EQ(2u, Recorder().ended.size());
}

TEST_F(SoundTest, The256thPlayIsRefusedAndTheNullSoundIsReported)
{
    TXAudio2SoundData* clip = Clip("crowd");
    for (u32 i = 0; i < SOUND_PLAYING_CAPACITY; ++i)
        ASSERT_NE(nullptr, Play(clip)) << i;
    EXPECT_EQ(SOUND_PLAYING_CAPACITY, Manager().GetPlayingList().GetCount());
    // The last record of the pool is handed out, but it cannot play.
    TXAudio2Sound* last = Play(clip);
    ASSERT_NE(nullptr, last);
    EXPECT_FALSE(last->IsPlaying());
    EXPECT_EQ(nullptr, Play(clip));
    EXPECT_EQ(-1, Manager()._GetSoundIndex(nullptr));
    const std::string log = m_Folder.SystemLog();
    EXPECT_NE(std::string::npos, log.find("TXAudio2SoundManager::_CanSoundPlay(): error: Maximum number of "
                                          "simultaneous sounds reached."));
    EXPECT_NE(std::string::npos,
              log.find("TXAudio2SoundManager::_AllocDynamicSound(): error: No free dynamic "
                       "sounds left."));
    EXPECT_NE(std::string::npos, log.find("TXAudio2SoundManager::_GetSoundIndex(): error: null sound."));
}

TEST_F(SoundTest, WithSoundDisabledNothingIsHandedOut)
{
    TVariable* enabled = TCommandManager::Instance().FindVariable(TName("sound.enabled", true));
    ASSERT_NE(nullptr, enabled);
    g_pCluster->Clear();
    enabled->SetInt(0);
    Manager().OnClusterLoad();
    enabled->SetInt(1);
    EXPECT_FALSE(Manager().IsAudioEnabled());
    EXPECT_EQ(nullptr, Play(Clip("mute")));
    EXPECT_NE(std::string::npos,
              m_Folder.SystemLog().find("TXAudio2SoundManager::_Start(): Sound disabled."));
    // No clip, no instance.
    Manager().OnClusterLoad();
    EXPECT_EQ(nullptr, Play(nullptr));
}

TEST_F(SoundTest, ReverbPresetsAreFoundByNameInTheOrderOfTheirIds)
{
    const i32 cave = FindReverbPresetIndex(TName("Cave"));
    ASSERT_GE(cave, 0);
    EXPECT_EQ(TName("Cave"), GetReverbPresetName(cave));
    for (i32 i = 1; i < REVERB_PRESET_COUNT; ++i)
        EXPECT_LT(static_cast<i32>(GetReverbPresetName(i - 1).GetId()),
                  static_cast<i32>(GetReverbPresetName(i).GetId()));
    EXPECT_GE(FindReverbPresetIndex(TName("Off")), 0);

    Manager().SetReverb(TName("Cave"));
    EXPECT_EQ(cave, Manager().GetReverbPreset());
    Manager().SetReverb(TName("Cathedral", true));
    EXPECT_EQ(cave, Manager().GetReverbPreset());
    EXPECT_NE(std::string::npos, m_Folder.SystemLog().find(
                                     "TXAudio2SoundManager::SetReverb(): error: unable to find 'Cathedral'"));
}

TEST_F(SoundTest, GroupVolumesFadeAndScaleByTheirParent)
{
    TXAudio2SoundGroup master;
    TXAudio2SoundGroup music;
    master.m_Name.Set("/master", true);
    music.m_Name.Set("/master/game/music", true);
    TResource::LinkTo(&music, &master);
    Manager().Groups().Add(&master);
    Manager().Groups().Add(&music);
    ASSERT_EQ(0u, music.Require());

    TSoundGroup* found = nullptr;
    Manager().FindSoundGroup(found, TName("/master/game/music"));
    EXPECT_EQ(&music, found);
    Manager().FindSoundGroup(found, TName("/master/menu/music", true));
    EXPECT_EQ(nullptr, found);
    Manager().GetSoundGroup(found, 2);
    EXPECT_EQ(nullptr, found);

    master.SetVolumeNow(0.5f);
    music.SetVolumeNow(0.8f);
    EXPECT_FLOAT_EQ(0.4f, music.GetVolume());
    // 0.8 to 0.3 over 2 s from full scale: 0.5 a second; half a second at most 0.1 a frame.
    music.SetVolume(0.3f, 2.0f);
    for (i32 frame = 0; frame < 5; ++frame)
        Manager().UpdateManager(0.1f);
    EXPECT_NEAR(0.55f, music.VolumeFade.fCurrent, 1e-5f);
    for (i32 frame = 0; frame < 10; ++frame)
        Manager().UpdateManager(0.1f);
    EXPECT_FLOAT_EQ(0.3f, music.VolumeFade.fCurrent);
    EXPECT_FLOAT_EQ(0.15f, music.GetVolume());
    // A negative time keeps the rate.
    music.SetVolume(0.8f, -1.0f);
    EXPECT_FLOAT_EQ(0.5f, music.VolumeFade.fRate);
    music.m_nEnabled = 0;
    EXPECT_FLOAT_EQ(0.0f, music.GetVolume());
    TResource::Unlink(&music, &master);
    music.Unload();
    master.Unload();
}
