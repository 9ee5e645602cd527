// The sound manager: its stored types, the start of the engine on fake devices, the pool of
// dynamic sounds and its stored lists, the update loop, unloads and a saved game's load.
#include "soundfixture.h"

#include "core/stream/filestreammanager.h"
#include "core/stream/memorystream.h"
#include "engine/sound/soundmanager.h"
#include "engine/system/resource.h"
#include "xaudio2/gamesound.h"
#include "xaudio2/gamesoundnode.h"
#include "xaudio2/soundtypes.h"
#include "xaudio2/soundvariables.h"
#include "xaudio2/xaudio2soundgeometry.h"
#include "xaudio2/xaudio2soundreverb.h"
#include "xaudio2/xaudio2state.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <tuple>

namespace
{
const TClusterMemberDecl* Member(const TClusterTypeDecl& decl, const char* name)
{
    for (u32 i = 0; i < decl.GetMemberCount(); ++i)
        if (std::string(decl.GetMember(i).szName) == name)
            return &decl.GetMember(i);
    return nullptr;
}

class SoundStartTest : public SoundTest
{
protected:
    // The engine started again on other devices.
    void Restart(std::vector<TAudioDeviceDescription> devices)
    {
        g_pCluster->Clear();
        XAudio2Settings().devices = std::move(devices);
        ASSERT_EQ(0, g_pResourceManager->LoadRepository(RepositoryPath().c_str(), 0));
    }
};
} // namespace

TEST_F(SoundTest, StoredTypesCarryTheirIdsSizesReferencesAndPrototypes)
{
    struct
    {
        const TClusterTypeDecl& decl;
        u16 id;
        u32 size;
    } const types[] = {{SoundGroupDecl(), 69, 128},     {SoundDataLibraryDecl(), 70, 68},
                       {SoundDataDecl(), 71, 88},       {SoundParameterDecl(), 72, 8},
                       {SoundDecl(), 73, 156},          {SoundGeometryDecl(), 75, 16},
                       {SoundReverbDecl(), 76, 28},     {GameSoundDecl(), 111, 212},
                       {GameSoundNodeDecl(), 129, 20}};
    for (const auto& type : types)
    {
        EXPECT_EQ(type.id, type.decl.GetTypeId()) << type.decl.GetName();
        EXPECT_EQ(type.size, type.decl.GetObjectSize()) << type.decl.GetName();
    }
    struct
    {
        const TClusterTypeDecl& decl;
        const char* name;
        u32 offset;
        u32 typeId;
        u32 count;
    } const references[] = {{SoundDataDecl(), "pLibrary", 72, 70, 1},
                            {SoundDataDecl(), "pGroup", 76, 69, 1},
                            {SoundDecl(), "TNodeObject::pNode", 4, 18, 1},
                            {SoundDecl(), "pSoundData", 12, 71, 1},
                            {SoundDecl(), "pScriptEnd", 20, 60, 1},
                            {SoundDecl(), "pScriptSyncPoint", 24, 60, 1},
                            {SoundGeometryDecl(), "pGeometryData", 12, 74, 1},
                            {SoundReverbDecl(), "TNodeObject::pNode", 4, 18, 1},
                            {GameSoundDecl(), "aSoundData", 76, 71, 16},
                            {GameSoundDecl(), "pSound", 140, 73, 1},
                            {GameSoundNodeDecl(), "pGameSound", 12, 111, 1}};
    for (const auto& reference : references)
    {
        const TClusterMemberDecl* member = Member(reference.decl, reference.name);
        ASSERT_NE(nullptr, member) << reference.name;
        EXPECT_EQ(reference.offset, member->nOffset) << reference.name;
        EXPECT_EQ(reference.typeId, member->nTypeId) << reference.name;
        EXPECT_EQ(reference.count, member->nCount) << reference.name;
    }
    // Resources declare their two link arrays; the parameter declares nothing.
    EXPECT_EQ(36u, Member(SoundGroupDecl(), "TResource::TResourceLink")->nOffset);
    EXPECT_EQ(0u, SoundParameterDecl().GetMemberCount());
}

TEST_F(SoundStartTest, TheChosenDeviceIsClampedToSixChannels44100HzAnd16Bits)
{
    // Neither device will do: the first is taken, and reduced.
    Restart({{u"Studio", 8, 96000, 24}, {u"Headset", 1, 44100}});
    // X3DAudio pans onto the six speakers the mix has (mask 0x3F).
    for (const char* line : {"_GetDeviceIndex(): Would rather not use: Sample rate above 48000.",
                             "_GetDeviceIndex(): Can't use: Number of channels < 2.", "Device:     'Studio'",
                             "TXAudio2SoundManager::_Start(): Channels reduced to 5.1.",
                             "TXAudio2SoundManager::_Start(): Samples per second reduced to 44100.",
                             "TXAudio2SoundManager::_Start(): Bits per sample reduced to 16.",
                             "Format:      44100 Hz, 6 channels, 16 bits", "ChannelMask: 0x3F"})
        EXPECT_TRUE(Logged(line)) << line;
    // A positioned sound is panned onto them.
    Play(Clip("tone"), 1, PlacedNode("emitter", 0.0f, 0.0f, 10.0f));
    Frame(0.05f);
    const TWavContents wav = Finish();
    ASSERT_EQ(6u, wav.channels);
    i32 peak = 0;
    for (u32 channel = 0; channel < 6; ++channel)
        peak = std::max(peak, Peak(wav, channel, 0, ~0u));
    EXPECT_GT(peak, 1000);
    // The device index beyond the count: the last device.
    TVariable& index = g_sound_device_index;
    index.SetInt(5);
    Restart({{u"First", 2, 44100}, {u"Second", 2, 48000}});
    EXPECT_TRUE(Logged("Device:     'Second'"));
    // A device above 48,000 Hz is never chosen while another will do, even when asked for.
    index.SetInt(0);
    Restart({{u"Fast", 2, 96000}, {u"Plain", 2, 44100}});
    EXPECT_TRUE(Logged("Device:     'Plain'"));
    index.SetInt(0);
}

TEST_F(SoundStartTest, AFailedStartDisablesSoundAndLeavesNoVoices)
{
    // One channel: the start fails after the engine and before any voice.
    Restart({{u"Mono", 1, 44100}});
    EXPECT_TRUE(Logged("TXAudio2SoundManager::_Start(): error: checking number of channels FAILED [0xFFFFFFFF]. Disabling audio."));
    EXPECT_EQ((std::vector<void*>{g_XAudio2.pEngine, g_XAudio2.pMasteringVoice, g_XAudio2.pReverbVoice}),
              (std::vector<void*>{nullptr, nullptr, nullptr}));
    EXPECT_EQ(0, g_sound_enabled.GetValue().ToInt());
    EXPECT_EQ(nullptr, Play(Clip("tone")));
    // A silent game has no reverb to choose: the game's choice is no fault.
    Manager().SetReverb(TName("Nowhere", true));
    Manager().SetAmbientReverb(TName("Nowhere", true));
    EXPECT_FALSE(Logged("unable to find 'Nowhere'"));
    // Later loads stay silent until sound is enabled again.
    Restart({{u"Test speakers"}});
    EXPECT_TRUE(Logged("TXAudio2SoundManager::_Start(): Sound disabled."));
    g_sound_enabled.SetInt(1);
    Restart({{u"Test speakers"}});
    EXPECT_TRUE(Manager().IsAudioEnabled());
    ASSERT_NE(nullptr, Play(Clip("tone")));
}

TEST_F(SoundTest, ThePoolHandsOutItsHighestRecordFirstWithANewSerial)
{
    // The repository carries the free stack: every record, in order.
    ASSERT_EQ(256, Manager().GetSoundCount());
    ASSERT_EQ(256u, Manager().GetFreeCount());
    EXPECT_EQ(255, Manager().GetFreeList()[255]);
    // The indexed getters answer null outside their arrays, on both sides.
    TSound* sound = nullptr;
    TSoundGroup* group = nullptr;
    TSoundData* data = nullptr;
    const i32 groups = Manager().GetSoundGroupCount(), clips = Manager().GetSoundDataCount();
    for (const auto& [last, inside] : {std::pair{-1, false}, {0, true}, {1, false}})
    {
        Manager().GetSound(sound, last < 0 ? -1 : 255 + last);
        Manager().GetSoundGroup(group, last < 0 ? -1 : groups - 1 + last);
        Manager().GetSoundData(data, last < 0 ? -1 : clips - 1 + last);
        EXPECT_EQ(std::vector<bool>(3, inside), std::vector<bool>({sound != nullptr, group != nullptr, data != nullptr})) << last;
    }
    TXAudio2SoundData* tone = Clip("tone");
    TXAudio2Sound* first = Play(tone);
    EXPECT_EQ(255, Manager()._GetSoundIndex(first));
    EXPECT_EQ(254, Manager()._GetSoundIndex(Play(tone, 0)));
    const u32 serial = first->GetSerial();
    EXPECT_EQ(serial + 2, Play(tone, 0)->GetSerial());
    // A record played from its own data (as the console plays) is not handed out while it plays.
    const i32 next = Manager().GetFreeList()[Manager().GetFreeCount() - 1];
    TXAudio2Sound* own = Manager().Sounds()[next];
    own->pSoundData = tone;
    own->Play(-1, nullptr);
    ASSERT_TRUE(own->IsPlaying());
    EXPECT_EQ(next - 1, Manager()._GetSoundIndex(Play(tone, 0)));
    // The counter leaves 0 once it has come round to it.
    g_XAudio2.nSerial = 0xFFFFFFFFu;
    EXPECT_EQ(0u, Play(tone, 0)->GetSerial());
    EXPECT_EQ(2u, Play(tone, 0)->GetSerial());
}

TEST_F(SoundTest, The256thSimultaneousPlayIsRefused)
{
    TXAudio2SoundData* tone = Clip("tone");
    for (u32 i = 0; i < SOUND_PLAYING_CAPACITY; ++i)
        ASSERT_TRUE(Play(tone)->IsPlaying()) << i;
    EXPECT_EQ(SOUND_PLAYING_CAPACITY, Manager().GetPlayingList().GetCount());
    TXAudio2Sound* last = Play(tone);
    ASSERT_NE(nullptr, last);
    EXPECT_FALSE(last->IsPlaying());
    EXPECT_EQ(nullptr, Play(tone));
    EXPECT_EQ(-1, Manager()._GetSoundIndex(nullptr));
    for (const char* line : {"TXAudio2SoundManager::_CanSoundPlay(): error: Maximum number of simultaneous sounds reached.",
                             "TXAudio2SoundManager::_AllocDynamicSound(): error: No free dynamic sounds left.",
                             "TXAudio2SoundManager::_GetSoundIndex(): error: null sound."})
        EXPECT_TRUE(Logged(line)) << line;
}

TEST_F(SoundTest, TheStoredListsAreCheckedBeforeTheyAreTaken)
{
    EXPECT_EQ(3, Manager().GetDataCount());
    EXPECT_EQ(3084, Manager().GetDataSize());
    void* data = nullptr;
    i32 size = 0;
    EXPECT_EQ(0, Manager().GetData(2, data, size));
    EXPECT_EQ(1028, size);
    EXPECT_EQ(1, Manager().GetData(3, data, size));

    TSoundIndexList list;
    list.Add(4);
    list.Add(255);
    // The last size accepted and the first refused; counts up to 256; indices inside the array.
    std::vector<u8> longer(1029, 0);
    std::memcpy(longer.data(), &list, sizeof list);
    TSoundIndexList counted = list, beyond = list, negative = list;
    const u32 count = 257;
    std::memcpy(&counted, &count, 4);
    beyond.Add(256);
    negative.Add(-1);
    for (const auto& [block, bytes, size] :
         {std::tuple<i32, const void*, i32>{1, &list, 1027}, {1, longer.data(), 1029}, {0, &counted, 1028},
          {1, &beyond, 1028}, {1, &negative, 1028}, {3, &list, 1028}})
        EXPECT_EQ(1, Manager().SetData(block, bytes, size)) << block << " " << size;
    EXPECT_EQ(0u, Manager().GetPlayingList().GetCount());
    for (const char* line : {"block 1 of 1027 bytes refused (1028 expected)", "block 0 of 257 indices refused (at most 256)",
                             "block 1 refused: index 256 outside the 256 sound records", "block 1 refused: index -1 outside"})
        EXPECT_TRUE(Logged(std::string("TXAudio2SoundManager::SetData(): error: ") + line)) << line;

    // A full block of 256 is taken; a taken playing list has its voices made again.
    TSoundIndexList full;
    for (i32 i = 0; i < 256; ++i)
        full.Add(i);
    EXPECT_EQ(0, Manager().SetData(0, &full, 1028));
    TXAudio2Sound& sound = *Manager().Sounds()[4];
    sound.pSoundData = Clip("hum");
    sound.m_nState = SOUND_PLAYING;
    sound._SetFlags(SOUND_VOICE_STARTED);
    EXPECT_EQ(0, Manager().SetData(1, &list, 1028));
    ASSERT_EQ(2u, Manager().GetPlayingList().GetCount());
    Frame();
    EXPECT_NE(nullptr, sound.pVoice);
    // Record 255 had no voice started: it gets none.
    EXPECT_EQ(nullptr, Manager().Sounds()[255]->pVoice);
    // Heard, fading in.
    EXPECT_GT(Peak(Finish(), 0, 0, ~0u), 100);
}

TEST_F(SoundTest, ArraysOfMoreThan1024RecordsAreCutAndRecordsBeyondThePoolLeftOut)
{
    DArray<TXAudio2SoundData*>& clips = Manager().Data();
    const i32 held = clips.GetCount();
    for (const i32 count : {1024, 1025})
    {
        clips.SetCount(count);
        Manager().SetArray(SOUND_DATA_TYPE_ID, nullptr, count);
        EXPECT_EQ(1024, clips.GetCount()) << count;
    }
    EXPECT_TRUE(Logged("TXAudio2SoundManager::SetArray(): error: 1025 sound data records cut to 1024"));
    EXPECT_FALSE(Logged("1024 sound data records cut"));
    clips.SetCount(held);
    // Sound records beyond the pool are left out of it.
    TXAudio2Sound extra[2];
    Manager().Sounds().Add(&extra[0]);
    Manager().Sounds().Add(&extra[1]);
    Manager()._ResetDynamicSounds();
    EXPECT_EQ(256u, Manager().GetFreeCount());
    EXPECT_TRUE(Logged("TXAudio2SoundManager::_ResetDynamicSounds(): error: 2 sound records beyond the pool of 256 left out"));
    // Played from its own data (as the console does), a record beyond the pool ends without
    // joining it.
    extra[1].pSoundData = Clip("click");
    extra[1].Play(-1, nullptr);
    ASSERT_TRUE(extra[1].IsPlaying());
    for (i32 i = 0; i < 4 && extra[1].IsPlaying(); ++i)
        Frame();
    EXPECT_FALSE(extra[1].IsPlaying());
    EXPECT_EQ(256u, Manager().GetFreeCount());
    Manager().Sounds().SetCount(256);
}

TEST_F(SoundTest, EachUpdateStepsAtMostATenthOfASecondAndCommitsOneOperationSet)
{
    TSound* sound = nullptr;
    Manager().PlaySoundEx(sound, Clip("hum"), nullptr, SOUND_PARAMETER_FADE_IN, 1.0f, -1, 0.0f);
    auto* hum = static_cast<TXAudio2Sound*>(sound);
    ASSERT_NE(nullptr, hum);
    Frame(0.5f, false);
    EXPECT_NEAR(0.1f, hum->m_fFadeLevel, 1e-5f);
    Frame(0.05f, false);
    EXPECT_NEAR(0.15f, hum->m_fFadeLevel, 1e-5f);
    // The set number goes up by one a frame and skips 0.
    g_XAudio2.nOperationSet = 0xFFFFFFFFu;
    Frame(0.05f, false);
    EXPECT_EQ(1u, g_XAudio2.nOperationSet);
    Frame(0.05f, false);
    EXPECT_EQ(2u, g_XAudio2.nOperationSet);
}

TEST_F(SoundTest, AfterAnUnloadNoListenerHearsOfReleasedSoundsUntilTheNextLoad)
{
    Play(Clip("click"));
    g_pCluster->Clear();
    EXPECT_TRUE(Recorder().ended.empty());
    // The next load lets them hear again: a clip that plays to its end is told.
    ASSERT_EQ(0, g_pResourceManager->LoadRepository(RepositoryPath().c_str(), 0));
    Play(Clip("click"));
    Frame();
    Frame();
    EXPECT_EQ(1u, Recorder().ended.size());
}

namespace
{
// The cluster cleared, which stops the engine, with the mixer stepped beside it as its own
// thread would run, without a pause: from the stop's start one quantum after another until one
// ends no voice's pass (the stopped voices have played their fall), so the stop's wait for that
// pass never depends on when this thread wakes. The quanta mixed before the stop reached the
// engine play at full level: returns how many.
u32 ClearWhileMixing()
{
    std::atomic<bool> cleared = false;
    u32 passing = 0;
    std::thread mixer([&cleared, &passing] {
        while (g_pXAudio2SoundManager->IsAudioEnabled() && !cleared)
            std::this_thread::yield();
        for (; !cleared; ++passing)
        {
            const u32 passes = g_XAudio2.VoiceCallback.GetPassCount();
            XAudio2StepMixer(1);
            if (g_XAudio2.VoiceCallback.GetPassCount() == passes)
                break;
        }
    });
    g_pCluster->Clear();
    cleared = true;
    mixer.join();
    // The last quantum that ended a pass was the fall.
    return passing > 0 ? passing - 1 : 0;
}

// What the static destructors of a program's end do after the sound service's own exit step:
// the repositories freed, while a mixer left running would still read a clip out of them.
void FreeTheRepositoriesAndLetTheMixerRun()
{
    g_pResourceManager->CloseRepositories(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

// A program that ends (std::exit) without ending its managers while an endless hum plays on the
// mixer's own thread.
void EndWhileAHumPlays()
{
    g_ManagerManager.Initialize();
    g_pFileStreamManager->SetLocked(0);
    const std::string& repository = SoundTest::RepositoryPath();
    g_pCluster->LinkTypes();
    g_pResourceManager->BeginManager();
    g_pXAudio2SoundManager->InitializeManager();
    g_pXAudio2SoundManager->BeginManager();
    TXAudio2Settings& settings = XAudio2Settings();
    settings.devices = {{u"Test speakers"}};
    settings.wavFile = repository + ".wav";
    // Before the first start: it runs after the sound service's step.
    std::atexit(FreeTheRepositoriesAndLetTheMixerRun);
    if (g_pResourceManager->LoadRepository(repository.c_str(), 0) != 0)
        std::_Exit(2);
    TSoundData* hum = nullptr;
    g_pXAudio2SoundManager->FindSoundData(hum, TName("hum"));
    TSound* sound = nullptr;
    g_pXAudio2SoundManager->PlaySound(sound, hum, nullptr, 0, 1);
    g_pXAudio2SoundManager->UpdateManager(0.01f);
    if (!sound || !static_cast<TXAudio2Sound*>(sound)->pVoice)
        std::_Exit(3);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::exit(0);
}
} // namespace

TEST(SoundExitTest, AProgramThatEndsWithSoundPlayingStopsTheMixerBeforeItsDataIsFreed)
{
    // Run afresh: the sound service's exit step must be the child's own.
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(EndWhileAHumPlays(), testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, style);
}

// A saved game's load: the level loaded again, then the image. The run's recording goes on in its
// file, the old mix falls to silence, and the restored hum fades in over the start's fade time
// instead of starting at full level.
TEST_F(SoundTest, ALoadKeepsTheRunsRecordingAndRestoredSoundsFadeIn)
{
    ASSERT_NE(nullptr, Play(Clip("hum")));
    for (i32 frame = 0; frame < 3; ++frame)
        Frame(0.1f);
    TMemoryStream image;
    TClusterManager* managers[] = {&Manager()};
    ASSERT_EQ(0, g_pCluster->SaveToStream(image, managers, 1));
    // As the state manager's passes run it, once the level's repository has loaded again; the
    // quanta the mixer played before the stop reached it come after the frames' 30.
    const u32 at = 30 + ClearWhileMixing();
    ASSERT_EQ(0, g_pResourceManager->LoadRepository(RepositoryPath().c_str(), 0));
    ASSERT_EQ(0, Manager().LoadState(1, image));
    image.Seek(0, STREAM_SEEK_SET);
    ASSERT_EQ(0, g_pCluster->LoadFromStream(image));
    ASSERT_EQ(0, Manager().LoadState(4, image));
    for (i32 frame = 0; frame < 50; ++frame)
        Frame(0.1f);
    const TWavContents wav = Finish();
    EXPECT_EQ(wav.declaredDataBytes, wav.samples.size() * 2);
    // The load's stop plays one quantum falling to silence (a silent one may follow).
    EXPECT_GE(wav.samples.size(), (at + 501) * kQuantum * 2);
    EXPECT_LE(wav.samples.size(), (at + 502) * kQuantum * 2);
    EXPECT_GT(Peak(wav, 0, 2 * kQuantum, at * kQuantum), 5000);
    // No sample moves further than the hum moves by itself (and the ramp with it); a cut steps by thousands.
    EXPECT_LT(LargestStep(wav, 0, (at - 5) * kQuantum, (at + 10) * kQuantum),
              LargestStep(wav, 0, 2 * kQuantum, (at - 1) * kQuantum) + 200);
    EXPECT_LT(Peak(wav, 0, (at + 2) * kQuantum, (at + 10) * kQuantum), 1000);
    EXPECT_LT(Peak(wav, 0, (at + 120) * kQuantum, (at + 130) * kQuantum),
              Peak(wav, 0, (at + 220) * kQuantum, (at + 230) * kQuantum));
    EXPECT_GT(Peak(wav, 0, (at + 470) * kQuantum, (at + 500) * kQuantum), 5000);
}
