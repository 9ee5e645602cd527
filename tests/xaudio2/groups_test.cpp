// The mixing side: group volumes, pitches and fades, the volume variables, speaker matrices,
// reverb presets and their switch, and the sound console.
#include "soundfixture.h"

#include "support/consolelines.h"
#include "xaudio2/outputmatrix.h"
#include "xaudio2/soundvariables.h"
#include "xaudio2/xaudio2state.h"

#include <cstring>
#include <utility>

namespace
{
// Stands in for the reverb submix voice: counts what it is sent.
class TCountingSubmix : public IXAudio2SubmixVoice
{
public:
    void GetVoiceDetails(XAUDIO2_VOICE_DETAILS*) override {}
    HRESULT SetEffectChain(const XAUDIO2_EFFECT_CHAIN*) override { return S_OK; }
    HRESULT EnableEffect(UINT32, UINT32) override { return ++nEnabled, S_OK; }
    HRESULT DisableEffect(UINT32, UINT32) override { return ++nDisabled, S_OK; }
    HRESULT SetEffectParameters(UINT32, const void* parameters, UINT32 size, UINT32) override
    {
        std::memcpy(&Sent, parameters, std::min<UINT32>(size, sizeof Sent));
        ++nSent;
        return S_OK;
    }
    HRESULT SetOutputFilterParameters(IXAudio2Voice*, const XAUDIO2_FILTER_PARAMETERS*, UINT32) override { return S_OK; }
    HRESULT SetVolume(float, UINT32) override { return S_OK; }
    HRESULT SetOutputMatrix(IXAudio2Voice*, UINT32, UINT32, const float*, UINT32) override { return S_OK; }
    void DestroyVoice() override {}

    i32 nSent = 0;
    i32 nEnabled = 0;
    i32 nDisabled = 0;
    XAUDIO2FX_REVERB_PARAMETERS Sent = {};
};

f32 Level(const f32 (&matrix)[OUTPUT_MATRIX_SIZE], u32 sources, u32 source, u32 destination)
{
    return matrix[destination * sources + source];
}
} // namespace

TEST_F(SoundTest, GroupVolumesFadeOncePerFrameAndScaleByTheirParent)
{
    TXAudio2SoundGroup* master = Group("/master");
    TXAudio2SoundGroup* game = Group("/master/game");
    TXAudio2SoundGroup* music = Group("/master/game/music");
    master->SetVolumeNow(0.5f);
    game->SetVolumeNow(1.0f);
    music->SetVolumeNow(0.8f);
    EXPECT_FLOAT_EQ(0.4f, music->GetVolume());
    // 0.8 to 0.3 over 2 s of full scale: 0.5 a second. The fixed-rate list may run often in a
    // frame; the fades move by the frame's time once. A frame first: the manager keeps the last
    // faded frame's number from the tests before, whose timers counted their own frames.
    Frame(0.1f, false);
    music->SetVolume(0.3f, 2.0f);
    for (i32 frame = 0; frame < 5; ++frame)
    {
        SetFrameTime(0.1f);
        Manager().ThreadUpdateManager(0.1f);
        Manager().ThreadUpdateManager(0.1f);
    }
    EXPECT_NEAR(0.55f, music->VolumeFade.fCurrent, 1e-5f);
    for (i32 frame = 0; frame < 10; ++frame)
        Frame(0.1f, false);
    EXPECT_FLOAT_EQ(0.3f, music->VolumeFade.fCurrent);
    // A negative time keeps the rate; the on/off switch and the base gain scale the volume.
    music->SetVolume(0.8f, -1.0f);
    EXPECT_FLOAT_EQ(0.5f, music->VolumeFade.fRate);
    EXPECT_FLOAT_EQ(0.3f, music->VolumeFade.fCurrent);
    music->SetEnabled(0);
    EXPECT_FLOAT_EQ(0.0f, music->GetVolume());
    music->SetEnabled(1);
    music->m_fBaseGain = 2.0f;
    EXPECT_FLOAT_EQ(0.3f, music->GetVolume());
    music->m_fBaseGain = 1.0f;

    // Pitches: a time of 0 also puts the rate back to 1.0; children take their parent's.
    game->SetPitch(1.5f, 4.0f);
    EXPECT_FLOAT_EQ(0.25f, game->PitchFade.fRate);
    game->SetPitchNow(1.5f);
    EXPECT_FLOAT_EQ(1.0f, game->PitchFade.fRate);
    music->SetPitchNow(2.0f);
    EXPECT_FLOAT_EQ(3.0f, music->m_fEffectivePitch);

    // A group still loading ignores immediate changes; its fade still moves.
    music->m_nState = RESOURCE_LOADING;
    music->SetVolumeNow(0.1f);
    music->SetPitchNow(1.0f);
    EXPECT_FLOAT_EQ(0.3f, music->m_fOwnVolume);
    EXPECT_FLOAT_EQ(2.0f, music->m_fOwnPitch);
    EXPECT_FLOAT_EQ(0.1f, music->VolumeFade.fCurrent);
    music->m_nState = RESOURCE_LOADED;
    master->SetVolumeNow(1.0f);
    game->SetPitchNow(1.0f);
}

TEST_F(SoundTest, VolumeVariablesSetTheirGroupsToATenth)
{
    // The start applied them: a game that is not silent.
    for (const char* path : {"/master/game/effects", "/master/menu/effects", "/master/common/effects"})
        EXPECT_FLOAT_EQ(0.8f, Group(path)->m_fOwnVolume) << path;
    g_device_audio_musicvolume.SetFloat(10.0f);
    for (const char* path : {"/master/game/music", "/master/menu/music", "/master/common/music"})
        EXPECT_FLOAT_EQ(1.0f, Group(path)->m_fOwnVolume) << path;
    // Not clamped.
    g_device_audio_speechvolume.SetFloat(15.0f);
    EXPECT_FLOAT_EQ(1.5f, Group("/master/menu/speech")->m_fOwnVolume);
    g_device_audio_musicvolume.SetFloat(4.0f);
    g_device_audio_speechvolume.SetFloat(4.0f);
}

TEST_F(SoundTest, GroupsPauseAndStopTheirOwnSoundsOnly)
{
    TXAudio2Sound* effect = Play(Clip("tone"));
    TXAudio2Sound* ambient = Play(Clip("hum"));
    TXAudio2SoundGroup* effects = Group("/master/game/effects");
    Group("/master/game")->Pause(1);
    EXPECT_TRUE(effect->IsPlaying());
    effects->Pause(1);
    EXPECT_TRUE(effect->IsPaused());
    EXPECT_TRUE(ambient->IsPlaying());
    effects->Pause(0);
    EXPECT_TRUE(effect->IsPlaying());
    effect->SetParameter(SOUND_PARAMETER_FADE_OUT, 1.0f);
    effects->StopAll();
    EXPECT_NE(0u, effect->m_nFlags & SOUND_FADING_OUT);
    EXPECT_EQ(0u, ambient->m_nFlags & SOUND_FADING_OUT);
    // Still loading: nothing.
    TXAudio2SoundGroup* ambience = Group("/master/game/ambient");
    ambience->m_nState = RESOURCE_LOADING;
    ambience->StopAll();
    ambience->Pause(1);
    EXPECT_TRUE(ambient->IsPlaying());
    ambience->m_nState = RESOURCE_LOADED;
}

TEST(SpeakerMatrix, SourcesFoldOntoTheSpeakersTheyLack)
{
    f32 matrix[OUTPUT_MATRIX_SIZE];
    // Mono: both front speakers, on 5.1 also the centre and the back; stereo keeps its sides, on
    // 5.1 both feed the centre; three on stereo keep left and right and half the centre on each;
    // eight on stereo: the diagonal, then the centre, back and side channels folded in.
    const struct
    {
        u32 sources, outputs, source, destination;
        f32 level;
    } cases[] = {{1, 2, 0, 0, 1.0f},  {1, 2, 0, 1, 1.0f},   {1, 6, 0, 2, 0.75f}, {1, 6, 0, 3, 0.0f},
                 {1, 6, 0, 4, 0.8f},  {1, 6, 0, 5, 0.8f},   {1, 8, 0, 7, 0.2f},  {2, 2, 0, 0, 1.0f},
                 {2, 2, 1, 0, 0.0f},  {2, 2, 1, 1, 1.0f},   {2, 6, 1, 2, 0.375f}, {2, 6, 1, 5, 0.8f},
                 {2, 6, 1, 4, 0.0f},  {3, 2, 0, 0, 1.0f},   {3, 2, 1, 1, 1.0f},  {3, 2, 2, 0, 0.5f},
                 {3, 2, 2, 1, 0.5f},  {3, 2, 0, 1, 0.0f},   {8, 2, 1, 1, 1.0f},  {8, 2, 3, 0, 0.0f},
                 {8, 2, 4, 0, 0.4f},  {8, 2, 5, 1, 0.4f},   {8, 2, 6, 0, 0.1f},  {8, 2, 7, 1, 0.1f},
                 {8, 2, 7, 0, 0.0f}};
    for (const auto& c : cases)
    {
        BuildOutputMatrix(c.sources, c.outputs, matrix);
        EXPECT_EQ(c.level, Level(matrix, c.sources, c.source, c.destination))
            << c.sources << " on " << c.outputs << ": " << c.source << " to " << c.destination;
    }
    BuildOutputMatrix(6, 6, matrix);
    for (u32 d = 0; d < 6; ++d)
        for (u32 s = 0; s < 6; ++s)
            EXPECT_EQ(s == d ? 1.0f : 0.0f, Level(matrix, 6, s, d));
    // Nothing beyond 64 coefficients.
    BuildOutputMatrix(8, 9, matrix);
    for (f32 level : matrix)
        EXPECT_EQ(0.0f, level);
}

TEST_F(SoundTest, ReverbPresetsAreRankedByNameIdAndEachIsSentOnce)
{
    const TReverbPresetSet& presets = g_XAudio2.ReverbPresets;
    ASSERT_EQ(31u, presets.GetCount());
    for (u32 i = 1; i < presets.GetCount(); ++i)
        EXPECT_LT(static_cast<i32>(presets.GetName(i - 1).GetId()), static_cast<i32>(presets.GetName(i).GetId()));
    const i32 cave = Manager().FindReverbPreset(TName("Cave"), -5);
    ASSERT_GE(cave, 0);
    EXPECT_EQ(-5, Manager().FindReverbPreset(TName(), -5));
    EXPECT_EQ(-1, Manager().FindReverbPreset(TName("Cathedral", true), -5));
    const i32 off = Manager().FindReverbPreset(TName("Off"), -1);
    for (u8 byte : std::string(reinterpret_cast<const char*>(&presets.GetParameters(off)), 52))
        EXPECT_EQ(0, byte);
    // The reverb submix swapped for a counting one.
    TCountingSubmix spy;
    IXAudio2SubmixVoice* const held = std::exchange(g_XAudio2.pReverbVoice, &spy);
    // Sent once; again, or an unknown name, sends nothing.
    for (const char* name : {"Cave", "Cave", "Cathedral"})
    {
        Manager().SetReverb(TName(name, true));
        EXPECT_EQ(1, spy.nSent) << name;
        EXPECT_EQ(cave, Manager().GetReverbPreset()) << name;
    }
    EXPECT_EQ(0, std::memcmp(&spy.Sent, &presets.GetParameters(cave), 52));
    // The ambient reverb is only kept.
    Manager().SetAmbientReverb(TName("Forest"));
    EXPECT_EQ(Manager().FindReverbPreset(TName("Forest"), -1), Manager().GetAmbientReverbPreset());
    Manager().SetAmbientReverb(TName("Attic", true));
    EXPECT_EQ(1, spy.nSent);
    // The switch turns the effect off and on at once.
    g_sound_reverb.SetInt(0);
    g_sound_reverb.SetInt(1);
    EXPECT_EQ(std::pair(1, 1), std::pair(spy.nEnabled, spy.nDisabled));
    g_XAudio2.pReverbVoice = held;
    EXPECT_TRUE(Logged("TXAudio2SoundManager::SetReverb(): error: unable to find 'Cathedral'"));
    EXPECT_TRUE(Logged("TXAudio2SoundManager::SetAmbientReverb(): error: unable to find 'Attic'"));
    // A start takes the first preset again: from Cave it is sent, from the first nothing is.
    g_pCluster->Clear();
    ASSERT_EQ(0, g_pResourceManager->LoadRepository(RepositoryPath().c_str(), 0));
    EXPECT_EQ(0, Manager().GetReverbPreset());
    // Without the engine the switch reaches no voice.
    g_pCluster->Clear();
    g_sound_reverb.SetInt(0);
    g_sound_reverb.SetInt(1);
}

TEST_F(SoundTest, TheConsoleListsPlaysAndSetsVolumes)
{
    TConsoleLines lines;
    EXPECT_EQ((std::vector<std::string>{"  doppler|200^<0.100000", "  distance|200^<100.000000"}),
              lines.Run("sound.info"));

    std::vector<std::string> list = lines.Run("sound.list");
    ASSERT_EQ(4u + 5u + 256u + 14u, list.size());
    EXPECT_EQ("   tone", list[2]);
    EXPECT_EQ("Sounds", list[7]);
    // The first records come bound to the clips; the others are free.
    EXPECT_EQ("   tone", list[8]);
    EXPECT_EQ("   <free>", list[8 + 255]);
    EXPECT_EQ("Groups", list[8 + 256]);
    EXPECT_EQ("   /master", list[9 + 256]);

    // A record that served and was released lists as free.
    TXAudio2Sound* first = Manager().Sounds()[0];
    first->Play(-1, nullptr);
    ASSERT_TRUE(first->IsPlaying());
    first->Stop(1);
    Frame();
    EXPECT_EQ("   <free>", lines.Run("sound.list")[8]);

    EXPECT_TRUE(lines.Run("sound.volume /master/game/music 0.3").empty());
    EXPECT_FLOAT_EQ(0.3f, Group("/master/game/music")->m_fOwnVolume);
    EXPECT_EQ((std::vector<std::string>{"! ^Ierror: 'music': undeclared group"}), lines.Run("sound.volume music 0.3"));
    EXPECT_TRUE(lines.Run("sound.play stereo").empty());
    EXPECT_TRUE(Manager().Sounds()[1]->IsPlaying());
    EXPECT_EQ((std::vector<std::string>{"! ^Ierror: 'tone': undeclared sound"}), lines.Run("sound.play tone"));

    EXPECT_EQ((std::vector<std::string>{"[0] Test speakers"}), lines.Run("sound.device.list"));
    g_pCluster->Clear();
    EXPECT_TRUE(lines.Run("sound.device.list").empty());
    // Before any load: the headings only.
    EXPECT_EQ((std::vector<std::string>{"Libraries", "Sound data", "Sounds", "Groups"}), lines.Run("sound.list"));
}
