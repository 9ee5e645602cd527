// Sound instances on the stepped engine: what reaches the WAV file, parameters, fades, the start
// delay, pauses, damaged clips, and 3D playback with the listener.
#include "soundfixture.h"

#include "engine/render/camera.h"
#include "engine/render/mesh.h"
#include "xaudio2/sounddatablock.h"
#include "xaudio2/soundvariables.h"
#include "xaudio2/xaudio2state.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace
{
// 18 bytes of format, cbSize extra bytes, the table's byte count and table, then the audio.
std::vector<u8> Block(WORD tag, WORD channels, u32 audioBytes, u32 tableBytes = 0, WORD extra = 0)
{
    WAVEFORMATEX format = {};
    format.wFormatTag = tag;
    format.nChannels = channels;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(2 * channels);
    format.nAvgBytesPerSec = 44100 * format.nBlockAlign;
    format.cbSize = extra;
    std::vector<u8> block(sizeof format + extra + 4 + tableBytes + audioBytes, 0);
    std::memcpy(block.data(), &format, sizeof format);
    std::memcpy(block.data() + sizeof format + extra, &tableBytes, 4);
    for (u32 i = 0; i < tableBytes / 4; ++i)
    {
        const u32 decoded = 4096 * (i + 1);
        std::memcpy(block.data() + sizeof format + extra + 4 + 4 * i, &decoded, 4);
    }
    return block;
}

// The main camera the default listener hears from, at a node of the test.
class TTestCamera
{
public:
    explicit TTestCamera(TNode* node)
    {
        s_pCamera = &m_Camera;
        node->AddObject(&m_Camera);
        m_Camera.m_nFitMode = CAMERA_FIT_EXPLICIT;
        m_Camera.m_fHorizontalFov = 90.0f;
        m_Camera.m_fVerticalFov = 60.0f;
        m_Camera.m_fNearClip = 0.1f;
        m_Camera.m_fFarClip = 1000.0f;
        m_Camera.UpdateProjection(0, 0);
        Update();
        m_pHeld = g_pFindMainCamera;
        g_pFindMainCamera = [] { return s_pCamera; };
    }
    ~TTestCamera()
    {
        g_pFindMainCamera = m_pHeld;
        if (m_Camera.pNode)
            m_Camera.pNode->DeleteObject(&m_Camera);
    }
    void Update() { m_Camera.UpdateView(); }
    // Where on the frame a point is drawn: above 0 on the right half.
    f32 ScreenX(const TVector& point) const
    {
        const TMatrix& m = m_Camera.m_ViewProjection;
        const f32 x = point.x * m.aRow[0].x + point.y * m.aRow[1].x + point.z * m.aRow[2].x + m.aRow[3].x;
        const f32 w = point.x * m.aRow[0].w + point.y * m.aRow[1].w + point.z * m.aRow[2].w + m.aRow[3].w;
        return x / w;
    }

    TCamera m_Camera;

private:
    static inline TCamera* s_pCamera = nullptr;
    TCamera* (*m_pHeld)() = nullptr;
};
} // namespace

TEST_F(SoundTest, AClipReachesTheWavAtItsGroupVolume)
{
    // The tone peaks at 10,000; its group at 0.5, under a master and a game bus at 1.0.
    g_device_audio_effectsvolume.SetFloat(5.0f);
    TSound* sound = nullptr;
    Manager().PlaySoundEx(sound, Clip("tone"), nullptr, SOUND_PARAMETER_REVERB_SEND, 0.0f, -1, 0.0f);
    ASSERT_NE(nullptr, sound);
    Frame(0.1f);
    // Then at a direct level of a half.
    sound->SetParameter(SOUND_PARAMETER_DIRECT_LEVEL, 0.5f);
    Frame(0.1f);
    Frame(0.1f);
    // Placed on the listener it is heard from both sides at equal power (0.71 each) and sent whole
    // to the reverb, here one that passes it on dry, returned twice over: 2.71 x 5,000.
    Manager().SetReverb(TName("Off"));
    const X3DAUDIO_VECTOR& ear = g_XAudio2.Listener.Position;
    Play(Clip("tone"), 1, PlacedNode("listener", ear.x, ear.y, ear.z));
    Frame(0.1f);
    g_device_audio_effectsvolume.SetFloat(8.0f);
    const TWavContents wav = Finish();
    ASSERT_EQ(2u, wav.channels);
    for (u32 channel = 0; channel < 2; ++channel)
    {
        EXPECT_NEAR(5000, Peak(wav, channel, kQuantum, 4 * kQuantum), 50) << channel;
        EXPECT_NEAR(2500, Peak(wav, channel, 12 * kQuantum, 19 * kQuantum), 25) << channel;
        EXPECT_NEAR(13536, Peak(wav, channel, 32 * kQuantum, 39 * kQuantum), 100) << channel;
    }
}

// A clip still loading plays once loaded; a record handed out again starts from the defaults, not
// from its last sound's settings; a random pitch stays within its value either side of 1.0.
TEST_F(SoundTest, InstancesStartAfreshAndPitchesStayInTheirRange)
{
    TXAudio2SoundData* tone = Clip("tone");
    TXAudio2Sound* early = Play(tone, 0);
    tone->m_nState = RESOURCE_LOADING;
    early->Play(-1, nullptr);
    EXPECT_FALSE(early->IsPlaying());
    tone->m_nState = RESOURCE_LOADED;
    early->Play(-1, nullptr);
    early->SetParameter(SOUND_PARAMETER_REVERB_SEND, 0.2f);
    early->SetParameter(SOUND_PARAMETER_START_DELAY, 0.2f);
    early->Stop(1);
    Frame();
    TXAudio2Sound* again = Play(tone, 0);
    ASSERT_EQ(early, again);
    EXPECT_EQ(std::pair(0.5f, 0.0f), std::pair(again->m_fReverbSend, again->m_fStartDelay));
    for (i32 i = 0; i < 200; ++i)
    {
        again->SetParameter(SOUND_PARAMETER_RANDOM_PITCH, 0.1f);
        ASSERT_GT(again->Pitch.fCurrent, 0.9f);
        ASSERT_LT(again->Pitch.fCurrent, 1.1f);
    }
    again->SetParameter(SOUND_PARAMETER_RANDOM_PITCH, 0.0f);
    EXPECT_EQ(1.0f, again->Pitch.fCurrent);
}

TEST_F(SoundTest, PlaySoundExSetsBothParametersAndId49LeavesTheInstanceUnstarted)
{
    TXAudio2SoundData* hum = Clip("hum");
    TSound* sound = nullptr;
    Manager().PlaySoundEx(sound, hum, nullptr, SOUND_PARAMETER_FADE_OUT, 6.0f, SOUND_PARAMETER_FADE_IN, 2.0f);
    auto* rain = static_cast<TXAudio2Sound*>(sound);
    ASSERT_NE(nullptr, rain);
    EXPECT_TRUE(rain->IsPlaying());
    // Fading in from silence: full after 2 s of updates. A pitch rate is the seconds a full step
    // takes: an eighth a second.
    EXPECT_FLOAT_EQ(0.0f, rain->m_fFadeLevel);
    rain->SetParameter(SOUND_PARAMETER_PITCH_RATE, 8.0f);
    rain->SetParameter(SOUND_PARAMETER_PITCH, 2.0f);
    for (i32 frame = 0; frame < 39; ++frame)
        Frame(0.05f, false);
    EXPECT_LT(rain->m_fFadeLevel, 1.0f);
    Frame(0.05f, false);
    Frame(0.05f, false);
    EXPECT_FLOAT_EQ(1.0f, rain->m_fFadeLevel);
    EXPECT_EQ(0u, rain->m_nFlags & SOUND_FADE_BITS);
    EXPECT_NEAR(1.25625f, rain->m_fEffectivePitch, 1e-4f);

    // A fade-in time given after the start leaves the level at 1.0.
    TXAudio2Sound* late = Play(hum);
    late->SetParameter(SOUND_PARAMETER_FADE_IN, 2.0f);
    Frame(0.05f, false);
    EXPECT_FLOAT_EQ(1.0f, late->m_fFadeLevel);

    for (i32 id : {0, 1})
    {
        Manager().PlaySoundEx(sound, hum, nullptr, id ? -1 : SOUND_PARAMETER_NOT_STARTED, 0.0f,
                              id ? SOUND_PARAMETER_NOT_STARTED : -1, 0.0f);
        ASSERT_NE(nullptr, sound);
        EXPECT_FALSE(sound->IsPlaying());
    }
}

TEST_F(SoundTest, AFadeOutReleasesTheSoundUnlessItIsToStaySilent)
{
    TXAudio2SoundData* hum = Clip("hum");
    TXAudio2Sound* fading = Play(hum);
    TXAudio2Sound* kept = Play(hum);
    for (TXAudio2Sound* sound : {fading, kept})
    {
        sound->SetParameter(SOUND_PARAMETER_FADE_OUT, 6.0f);
        sound->Stop(0);
        EXPECT_TRUE(sound->IsPlaying());
    }
    kept->SetParameterInt(SOUND_PARAMETER_RELEASE_FADED, 0);
    for (i32 frame = 0; frame < 60; ++frame)
        Frame(0.1f, false);
    EXPECT_NEAR(0.0f, fading->m_fFadeLevel, 1e-5f);
    EXPECT_TRUE(fading->IsPlaying());
    Frame(0.1f, false);
    EXPECT_EQ(SOUND_STOPPING, fading->GetState());
    Frame(0.1f, false);
    EXPECT_EQ(SOUND_STOPPED, fading->GetState());
    EXPECT_EQ(fading, Recorder().ended.back());
    // Silent and playing.
    EXPECT_TRUE(kept->IsPlaying());
    EXPECT_FLOAT_EQ(0.0f, kept->m_fFadeLevel);
}

TEST_F(SoundTest, AStartDelayDefersTheVoiceAndAStopDuringItEndsAtOnce)
{
    TSound* sound = nullptr;
    Manager().PlaySoundEx(sound, Clip("hum"), nullptr, SOUND_PARAMETER_START_DELAY, 0.5f, SOUND_PARAMETER_REVERB_SEND,
                          0.0f);
    auto* delayed = static_cast<TXAudio2Sound*>(sound);
    ASSERT_TRUE(delayed->IsPlaying());
    // A focus lost and back inside the delay: the delay holds still meanwhile, and then goes on.
    for (i32 frame = 0; frame < 11; ++frame)
    {
        frame == 4 || frame == 5 ? Manager().OnDeviceDeactivate() : Manager().OnDeviceActivate();
        Frame(0.05f);
    }
    EXPECT_EQ(0u, delayed->m_nFlags & SOUND_VOICE_STARTED);
    Frame(0.05f);
    EXPECT_NE(0u, delayed->m_nFlags & SOUND_VOICE_STARTED);
    for (i32 frame = 0; frame < 4; ++frame)
        Frame(0.05f);

    // During the delay a stop does not wait for the fade-out.
    TXAudio2Sound* stopped = Play(Clip("hum"), 0);
    stopped->SetParameter(SOUND_PARAMETER_START_DELAY, 1.0f);
    stopped->SetParameter(SOUND_PARAMETER_FADE_OUT, 2.0f);
    stopped->Play(-1, nullptr);
    Frame(0.05f);
    stopped->Stop(0);
    EXPECT_EQ(SOUND_STOPPING, stopped->GetState());

    const TWavContents wav = Finish();
    EXPECT_EQ(0, Peak(wav, 0, 0, 55 * kQuantum));
    EXPECT_GT(Peak(wav, 0, 62 * kQuantum, 75 * kQuantum), 5000);
}

TEST_F(SoundTest, APausedSoundStaysSilentUntilItIsResumed)
{
    // An endless 212 Hz hum at 10,000: a pause comes at 0.2 of its period, where it stands high.
    const TClipTone tone = {EClipWave::Sine, 212.0f, 212.0f, 1.0f, 0.5f, 0.5f};
    TXAudio2SoundData* hum = MakeClip("hum212", tone, 1, "/master/game/ambient", SOUND_DATA_ENDLESS);
    TSound* sound = nullptr;
    Manager().PlaySoundEx(sound, hum, nullptr, SOUND_PARAMETER_REVERB_SEND, 0.0f, -1, 0.0f);
    Frame(0.1f);
    sound->Pause();
    EXPECT_TRUE(sound->IsPaused());
    for (i32 frame = 0; frame < 4; ++frame)
        Frame(0.1f);
    EXPECT_TRUE(sound->IsPaused());
    Frame(0.1f);
    sound->Resume(0);
    EXPECT_TRUE(sound->IsPaused());
    sound->Resume(1);
    Frame(0.1f);
    // Focus lost and back while it plays.
    Frame(0.1f);
    Manager().OnDeviceDeactivate();
    Frame(0.1f);
    Manager().OnDeviceActivate();
    Frame(0.1f);
    const TWavContents wav = Finish();
    EXPECT_GT(Peak(wav, 0, 2 * kQuantum, 8 * kQuantum), 5000);
    EXPECT_EQ(0, Peak(wav, 0, 13 * kQuantum, 60 * kQuantum));
    EXPECT_GT(Peak(wav, 0, 62 * kQuantum, 70 * kQuantum), 5000);
    EXPECT_EQ(0, Peak(wav, 0, 82 * kQuantum, 90 * kQuantum));
    EXPECT_GT(Peak(wav, 0, 92 * kQuantum, 100 * kQuantum), 5000);
    // Each stop fades over a quantum and each start rises over one: the hum moves at most 302 a
    // sample by itself; a cut would step by thousands.
    EXPECT_LT(LargestStep(wav, 0, 0, 100 * kQuantum), 400);
}

TEST(SoundDataBlock, DamagedBlocksAreRefusedWithTheirReason)
{
    TSoundDataBlock block;
    auto read = [&](const std::vector<u8>& bytes) { return block.Read(bytes.data(), static_cast<u32>(bytes.size())); };
    std::vector<u8> bytes = Block(WAVE_FORMAT_PCM, 1, 8);
    EXPECT_EQ(nullptr, read(bytes));
    EXPECT_EQ(8u, block.nAudioSize);
    EXPECT_EQ(1u, block.GetChannelCount());
    EXPECT_EQ(bytes.data() + 22, block.pAudio);
    // The format cut short; its extra bytes, the table's count and the table past the end.
    EXPECT_STREQ("no room for the format", block.Read(bytes.data(), 17));
    EXPECT_STREQ("the format's extra bytes run past the block", block.Read(bytes.data(), 21));
    EXPECT_EQ(nullptr, read(Block(WAVE_FORMAT_PCM, 1, 2, 0, 6)));
    bytes = Block(WAVE_FORMAT_PCM, 1, 0, 0, 6);
    EXPECT_STREQ("the format's extra bytes run past the block", block.Read(bytes.data(), 18 + 6 + 3));
    bytes = Block(WAVE_FORMAT_PCM, 1, 0, 8);
    EXPECT_STREQ("no audio", read(bytes));
    EXPECT_STREQ("the packet table runs past the block", block.Read(bytes.data(), 18 + 4 + 7));
    // The table: whole u32 counts.
    bytes = Block(WAVE_FORMAT_PCM, 1, 4, 8);
    EXPECT_EQ(nullptr, read(bytes));
    EXPECT_EQ(8u, block.nPacketTableSize);
    bytes[18] = 6;
    EXPECT_STREQ("the packet table is not whole counts", read(bytes));
    // 1 to 8 channels; whole blocks of audio.
    const char* const channels = "the format does not have 1 to 8 channels";
    for (const auto& [count, audio, reason] :
         {std::tuple<WORD, u32, const char*>{0, 8, channels}, {8, 16, nullptr}, {9, 18, channels},
          {2, 6, "the audio is not whole blocks"}, {2, 8, nullptr}, {2, 0, "no audio"}})
        EXPECT_STREQ(reason, read(Block(WAVE_FORMAT_PCM, count, audio))) << count << " " << audio;
    EXPECT_STREQ("no room for the format", block.Read(nullptr, 100));
}

TEST_F(SoundTest, AClipWithoutAVoiceDoesNotPlay)
{
    const std::vector<u8> damaged = Block(WAVE_FORMAT_PCM, 2, 6);
    // A format the engine cannot play makes no voice.
    const std::vector<u8> wma = Block(WAVE_FORMAT_WMAUDIO2, 1, 64, 8);
    for (TXAudio2SoundData* clip : {MakeClip("damaged", damaged), MakeClip("wma", wma, "/master/game/effects",
                                                                            SOUND_DATA_PACKET_TABLE)})
    {
        TXAudio2Sound* sound = Play(clip);
        ASSERT_NE(nullptr, sound);
        EXPECT_FALSE(sound->IsPlaying()) << clip->GetNameText();
        EXPECT_EQ(nullptr, sound->pVoice);
    }
    // A block read block by block from its file would move under the voice.
    TRepository streamed(9, REPOSITORY_STREAMED, TName("streamed_clips.data", true));
    TXAudio2SoundData& far = m_aClip.emplace_back("far", Block(WAVE_FORMAT_PCM, 1, 8), nullptr, 0).Data;
    far.SetData(&streamed, 0, 30);
    EXPECT_FALSE(Play(&far)->IsPlaying());
    Frame();
    EXPECT_EQ(0u, Manager().GetPlayingList().GetCount());
    EXPECT_TRUE(Logged("TXAudio2Sound::_CreateVoice(): error: 'damaged': damaged block (the audio is not whole blocks): not played"));
    EXPECT_TRUE(Logged("TXAudio2Sound::_CreateVoice(): error: 'wma': no voice [0x88960001]: not played"));
    EXPECT_TRUE(Logged("TXAudio2Sound::_CreateVoice(): error: 'far': its block is not held in memory: not played"));
    far.SetData(nullptr, 0, 0);
}

TEST_F(SoundTest, AnEmitterDrawnOnTheFramesRightIsHeardOnTheRight)
{
    // Beyond the reverb's reach: the direct path alone.
    g_sound_distancescale.SetFloat(10.0f);
    {
        TTestCamera camera(PlacedNode("camera", 0.0f, 0.0f, 0.0f));
        // Either side of the camera's axis, 10 units ahead.
        const TVector right(-10.0f, 0.0f, 10.0f, 1.0f);
        const TVector left(10.0f, 0.0f, 10.0f, 1.0f);
        ASSERT_GT(camera.ScreenX(right), 0.5f);
        ASSERT_LT(camera.ScreenX(left), -0.5f);
        TNode* emitter = PlacedNode("emitter", right.x, right.y, right.z);
        TSound* sound = nullptr;
        Manager().PlaySoundEx(sound, Clip("hum"), emitter, -1, 0.0f, -1, 0.0f);
        Frame(0.1f);
        Frame(0.1f);
        MoveNode(emitter, left.x, left.y, left.z);
        Frame(0.1f);
        Frame(0.1f);
        // The listener took the camera's placement, its top the Y row turned over.
        EXPECT_FLOAT_EQ(-1.0f, g_XAudio2.Listener.OrientTop.y);
        EXPECT_FLOAT_EQ(1.0f, g_XAudio2.Listener.OrientFront.z);
    }
    g_sound_distancescale.SetFloat(100.0f);
    const TWavContents wav = Finish();
    EXPECT_GT(Peak(wav, 1, 12 * kQuantum, 20 * kQuantum), 3 * Peak(wav, 0, 12 * kQuantum, 20 * kQuantum));
    EXPECT_GT(Peak(wav, 0, 32 * kQuantum, 40 * kQuantum), 3 * Peak(wav, 1, 32 * kQuantum, 40 * kQuantum));
}

TEST_F(SoundTest, ACustomVolumeCurveShapesAPositionedSoundUnlessItIsUnusable)
{
    // 20 units away, beyond both curves' reach of 10 units (and the reverb's): the custom curve's
    // last point, a fifth, against the default curve's 10 / 20, a half.
    const TSoundCurvePoint fifth[SOUND_CURVE_POINTS] = {{0.0f, 0.2f}, {0.25f, 0.2f}, {0.5f, 0.2f}, {0.75f, 0.2f}, {1.0f, 0.2f}};
    TSoundCurvePoint broken[SOUND_CURVE_POINTS] = {};
    TNode* near = PlacedNode("near", 0.0f, 0.0f, 20.0f);
    g_sound_distancescale.SetFloat(10.0f);
    for (const TSoundCurvePoint* curve : {fifth, static_cast<const TSoundCurvePoint*>(broken)})
    {
        TXAudio2Sound* sound = Play(Clip("hum"), 0, near);
        sound->m_fCurveDistanceScaler = 10.0f;
        sound->Play(-1, curve);
        Frame(0.1f);
        sound->Stop(1);
        Frame(0.1f);
    }
    g_sound_distancescale.SetFloat(100.0f);
    EXPECT_TRUE(Logged("TXAudio2Sound::Play(): warning: 'hum': custom volume curve unusable: the default curve is used"));
    const TWavContents wav = Finish();
    const i32 shaped = Peak(wav, 0, 2 * kQuantum, 10 * kQuantum);
    const i32 fallback = Peak(wav, 0, 22 * kQuantum, 30 * kQuantum);
    EXPECT_NEAR(shaped * 5.0f / 2.0f, static_cast<f32>(fallback), fallback * 0.05f);
}

TEST_F(SoundTest, TheDefaultListenerFollowsTheMainCameraWithItsSpeedCapped)
{
    TNode* node = PlacedNode("camera", 0.0f, 0.0f, 0.0f);
    {
        TTestCamera camera(node);
        Frame(0.1f, false);
        EXPECT_FLOAT_EQ(0.0f, g_XAudio2.Listener.Velocity.x);
        // 10 units in a second: held to 4.0.
        MoveNode(node, 1.0f, 0.0f, 0.0f);
        camera.Update();
        Frame(0.1f, false);
        EXPECT_FLOAT_EQ(4.0f, g_XAudio2.Listener.Velocity.x);
        EXPECT_FLOAT_EQ(1.0f, g_XAudio2.Listener.Position.x);
        // Slow enough, as measured.
        MoveNode(node, 1.2f, 0.0f, 0.0f);
        camera.Update();
        Frame(0.1f, false);
        EXPECT_NEAR(2.0f, g_XAudio2.Listener.Velocity.x, 1e-4f);
    }
    // No camera: the place stays, the speed is none.
    Frame(0.1f, false);
    EXPECT_FLOAT_EQ(0.0f, g_XAudio2.Listener.Velocity.x);
    EXPECT_FLOAT_EQ(1.2f, g_XAudio2.Listener.Position.x);
}
