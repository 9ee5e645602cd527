// Bad input is refused with XAUDIO2_E_INVALID_CALL and one error line: formats, buffers,
// matrices, filters, effect parameters, and voices that are still in use or already gone.
#include "platform/xaudio2/xaudio2fx.h"
#include "steppedengine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace
{
// The call's result, and that it printed exactly one "xaudio2:" line when it failed.
HRESULT Refused(const std::function<HRESULT()>& call)
{
    ::testing::internal::CaptureStderr();
    const HRESULT result = call();
    const std::string printed = ::testing::internal::GetCapturedStderr();
    if (FAILED(result))
    {
        EXPECT_EQ(printed.rfind("xaudio2: ", 0), 0u) << printed;
        EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
    }
    else
        EXPECT_EQ(printed, "");
    return result;
}

class RefusalsTest : public ::testing::Test
{
protected:
    HRESULT Create(const WAVEFORMATEX& format)
    {
        IXAudio2SourceVoice* voice = nullptr;
        const HRESULT result = Refused([&] { return stepped.engine->CreateSourceVoice(&voice, &format); });
        EXPECT_EQ(voice != nullptr, SUCCEEDED(result));
        return result;
    }
    IXAudio2SourceVoice* Voice(UINT32 channels = 1)
    {
        IXAudio2SourceVoice* voice = nullptr;
        const WAVEFORMATEX format = Pcm16Format(channels);
        EXPECT_EQ(stepped.engine->CreateSourceVoice(&voice, &format), S_OK);
        return voice;
    }

    TSteppedEngine stepped;
    std::vector<std::int16_t> samples = std::vector<std::int16_t>(64, 100);
};

TEST_F(RefusalsTest, FormatsOutsideWhatTheMixerReadsAreRefused)
{
    const auto with = [](UINT32 channels, UINT32 rate, auto change) {
        WAVEFORMATEX format = Pcm16Format(channels, rate);
        change(format);
        return format;
    };
    const auto same = [](WAVEFORMATEX&) {};
    const struct
    {
        WAVEFORMATEX format;
        HRESULT expected;
    } cases[] = {
        {Pcm16Format(8), S_OK},
        {Pcm16Format(9), XAUDIO2_E_INVALID_CALL},
        {with(1, 44100, [](WAVEFORMATEX& f) { f.nChannels = 0; }), XAUDIO2_E_INVALID_CALL},
        {Pcm16Format(1, 1000), S_OK},   {Pcm16Format(1, 999), XAUDIO2_E_INVALID_CALL},
        {Pcm16Format(1, 200000), S_OK}, {Pcm16Format(1, 200001), XAUDIO2_E_INVALID_CALL},
        {with(2, 44100, [](WAVEFORMATEX& f) { f.wBitsPerSample = 24, f.nBlockAlign = 6; }), XAUDIO2_E_INVALID_CALL},
        {with(2, 44100, [](WAVEFORMATEX& f) { f.wFormatTag = WAVE_FORMAT_IEEE_FLOAT; }), XAUDIO2_E_INVALID_CALL},
        {with(2, 44100, [](WAVEFORMATEX& f) { f.nBlockAlign = 2; }), XAUDIO2_E_INVALID_CALL},
        {with(2, 44100, [](WAVEFORMATEX& f) { f.cbSize = 22; }), S_OK},
        {with(2, 44100, [](WAVEFORMATEX& f) { f.cbSize = 23; }), XAUDIO2_E_INVALID_CALL},
        {with(2, 44100, [](WAVEFORMATEX& f) { f.wFormatTag = WAVE_FORMAT_WMAUDIO2; }), XAUDIO2_E_INVALID_CALL},
        {with(2, 44100, same), S_OK},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Create(c.format), c.expected) << c.format.nChannels << " " << c.format.nSamplesPerSec;
    EXPECT_EQ(Refused([&] {
                  IXAudio2SourceVoice* voice = nullptr;
                  return stepped.engine->CreateSourceVoice(&voice, nullptr);
              }),
              XAUDIO2_E_INVALID_CALL);
    // Submix voices run at the mastering voice's rate.
    IXAudio2SubmixVoice* submix = nullptr;
    EXPECT_EQ(Refused([&] { return stepped.engine->CreateSubmixVoice(&submix, 2, 48000); }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(Refused([&] { return stepped.engine->CreateSubmixVoice(&submix, 2, 44100); }), S_OK);
}

TEST_F(RefusalsTest, BuffersMustBeWholeBlocksWithinTheQueueLimit)
{
    IXAudio2SourceVoice* voice = Voice(2);
    // Voices never started: only the buffers' sizes are read (6 bytes: a frame and a half).
    struct
    {
        UINT32 bytes;
        bool data;
        UINT32 flags;
        HRESULT expected;
    } const cases[] = {{0, true, 0, XAUDIO2_E_INVALID_CALL},    {128, false, 0, XAUDIO2_E_INVALID_CALL},
                       {6, true, 0, XAUDIO2_E_INVALID_CALL},    {128, true, 0x1, XAUDIO2_E_INVALID_CALL},
                       {XAUDIO2_MAX_BUFFER_BYTES, true, 0, S_OK},
                       {XAUDIO2_MAX_BUFFER_BYTES + 4, true, 0, XAUDIO2_E_INVALID_CALL}};
    for (const auto& c : cases)
    {
        XAUDIO2_BUFFER buffer = BufferOf(samples);
        buffer.AudioBytes = c.bytes;
        buffer.pAudioData = c.data ? buffer.pAudioData : nullptr;
        buffer.Flags = c.flags;
        IXAudio2SourceVoice* fresh = Voice(2);
        EXPECT_EQ(Refused([&] { return fresh->SubmitSourceBuffer(&buffer); }), c.expected) << c.bytes;
    }
    EXPECT_EQ(Refused([&] { return voice->SubmitSourceBuffer(nullptr); }), XAUDIO2_E_INVALID_CALL);
    const XAUDIO2_BUFFER buffer = BufferOf(samples);
    // A WMA table without packets is a plain buffer, the first of the queue.
    const UINT32 table[1] = {128};
    XAUDIO2_BUFFER_WMA none = {nullptr, 0}, packets = {table, 1};
    EXPECT_EQ(Refused([&] { return voice->SubmitSourceBuffer(&buffer, &packets); }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(Refused([&] { return voice->SubmitSourceBuffer(&buffer, &none); }), S_OK);
    for (UINT32 i = 1; i < XAUDIO2_MAX_QUEUED_BUFFERS; ++i)
        ASSERT_EQ(voice->SubmitSourceBuffer(&buffer), S_OK) << i;
    EXPECT_EQ(Refused([&] { return voice->SubmitSourceBuffer(&buffer); }), XAUDIO2_E_INVALID_CALL);
}

TEST_F(RefusalsTest, RegionsAndLoopCountsStayInsideTheBuffer)
{
    IXAudio2SourceVoice* voice = Voice();
    const auto submit = [&](UINT32 playBegin, UINT32 playLength, UINT32 loopBegin, UINT32 loopLength, UINT32 loops) {
        XAUDIO2_BUFFER buffer = BufferOf(samples, loops);
        buffer.PlayBegin = playBegin;
        buffer.PlayLength = playLength;
        buffer.LoopBegin = loopBegin;
        buffer.LoopLength = loopLength;
        return Refused([&] { return voice->SubmitSourceBuffer(&buffer); });
    };
    EXPECT_EQ(submit(63, 1, 0, 0, 0), S_OK);
    EXPECT_EQ(submit(64, 0, 0, 0, 0), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(submit(32, 33, 0, 0, 0), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(submit(0, 0, 10, 54, XAUDIO2_MAX_LOOP_COUNT), S_OK);
    EXPECT_EQ(submit(0, 0, 10, 55, 1), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(submit(0, 0, 0, 0, XAUDIO2_LOOP_INFINITE), S_OK);
    EXPECT_EQ(submit(0, 0, 0, 0, 256), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(submit(0, 0, 4, 4, 0), XAUDIO2_E_INVALID_CALL); // a loop region without loops
    EXPECT_EQ(submit(20, 10, 5, 5, 1), XAUDIO2_E_INVALID_CALL); // a loop ending before the play region
}

TEST_F(RefusalsTest, MatricesMustHaveTheVoicesCountsAndADestination)
{
    IXAudio2SourceVoice* voice = Voice(2);
    const float levels[16] = {1, 0, 0, 1};
    EXPECT_EQ(Refused([&] { return voice->SetOutputMatrix(stepped.mastering, 2, 2, levels); }), S_OK);
    EXPECT_EQ(Refused([&] { return voice->SetOutputMatrix(nullptr, 2, 2, levels); }), S_OK);
    EXPECT_EQ(Refused([&] { return voice->SetOutputMatrix(stepped.mastering, 1, 2, levels); }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(Refused([&] { return voice->SetOutputMatrix(stepped.mastering, 2, 6, levels); }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(Refused([&] { return voice->SetOutputMatrix(stepped.mastering, 2, 2, nullptr); }), XAUDIO2_E_INVALID_CALL);
    const float huge[4] = {1, 0, 0, 2 * XAUDIO2_MAX_VOLUME_LEVEL};
    EXPECT_EQ(Refused([&] { return voice->SetOutputMatrix(stepped.mastering, 2, 2, huge); }), XAUDIO2_E_INVALID_CALL);
    IXAudio2SourceVoice* other = Voice();
    EXPECT_EQ(Refused([&] { return voice->SetOutputMatrix(other, 2, 1, levels); }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(Refused([&] { return stepped.mastering->SetOutputMatrix(nullptr, 2, 2, levels); }),
              XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(Refused([&] { return voice->SetVolume(XAUDIO2_MAX_VOLUME_LEVEL); }), S_OK);
    EXPECT_EQ(Refused([&] { return voice->SetVolume(2 * XAUDIO2_MAX_VOLUME_LEVEL); }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(Refused([&] { return voice->SetFrequencyRatio(std::nanf("")); }), XAUDIO2_E_INVALID_CALL);
}

TEST_F(RefusalsTest, OutputFiltersNeedASendMadeForThem)
{
    // The sound code's sends carry flags 0, so its filters stay off: the call is refused.
    IXAudio2SourceVoice* voice = nullptr;
    const WAVEFORMATEX format = Pcm16Format(1);
    ASSERT_EQ(stepped.engine->CreateSourceVoice(&voice, &format, XAUDIO2_VOICE_USEFILTER), S_OK);
    const XAUDIO2_FILTER_PARAMETERS lowPass = {LowPassFilter, 0.0f, 1.0f};
    EXPECT_EQ(Refused([&] { return voice->SetOutputFilterParameters(stepped.mastering, &lowPass); }),
              XAUDIO2_E_INVALID_CALL);
    XAUDIO2_SEND_DESCRIPTOR filtered = {XAUDIO2_SEND_USEFILTER, stepped.mastering};
    const XAUDIO2_VOICE_SENDS sends = {1, &filtered};
    IXAudio2SourceVoice* refused = nullptr;
    EXPECT_EQ(Refused([&] { return stepped.engine->CreateSourceVoice(&refused, &format, 0, 2.0f, nullptr, &sends); }),
              XAUDIO2_E_INVALID_CALL);
}

TEST_F(RefusalsTest, EffectParametersMustBeAReverbsInRange)
{
    IUnknown* reverb = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_AudioReverb, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&reverb)),
              S_OK);
    XAUDIO2_EFFECT_DESCRIPTOR descriptor = {reverb, TRUE, 2};
    const XAUDIO2_EFFECT_CHAIN chain = {1, &descriptor};
    IXAudio2SubmixVoice* submix = nullptr;
    ASSERT_EQ(stepped.engine->CreateSubmixVoice(&submix, 2, 44100, 0, 0, nullptr, &chain), S_OK);
    // A second voice may not share the reverb, nor may a mono voice run it.
    IXAudio2SubmixVoice* sharing = nullptr;
    EXPECT_EQ(Refused([&] { return stepped.engine->CreateSubmixVoice(&sharing, 2, 44100, 0, 0, nullptr, &chain); }),
              XAUDIO2_E_INVALID_CALL);
    reverb->Release();

    XAUDIO2FX_REVERB_PARAMETERS parameters;
    const XAUDIO2FX_REVERB_I3DL2_PARAMETERS cave = XAUDIO2FX_I3DL2_PRESET_CAVE;
    ReverbConvertI3DL2ToNative(&cave, &parameters);
    EXPECT_EQ(Refused([&] { return submix->SetEffectParameters(0, &parameters, sizeof(parameters)); }), S_OK);
    EXPECT_EQ(Refused([&] { return submix->SetEffectParameters(0, &parameters, 51); }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(Refused([&] { return submix->SetEffectParameters(0, &parameters, 56); }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(Refused([&] { return submix->SetEffectParameters(1, &parameters, sizeof(parameters)); }),
              XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(Refused([&] { return submix->EnableEffect(1); }), XAUDIO2_E_INVALID_CALL);
    const XAUDIO2FX_REVERB_PARAMETERS off = {};
    EXPECT_EQ(Refused([&] { return submix->SetEffectParameters(0, &off, sizeof(off)); }), S_OK);

    const auto withField = [&](auto change) {
        XAUDIO2FX_REVERB_PARAMETERS changed = parameters;
        change(changed);
        return Refused([&] { return submix->SetEffectParameters(0, &changed, sizeof(changed)); });
    };
    EXPECT_EQ(withField([](auto& p) { p.WetDryMix = 100.0f; }), S_OK);
    EXPECT_EQ(withField([](auto& p) { p.WetDryMix = 100.5f; }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(withField([](auto& p) { p.ReflectionsDelay = 300; }), S_OK);
    EXPECT_EQ(withField([](auto& p) { p.ReflectionsDelay = 301; }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(withField([](auto& p) { p.ReverbDelay = 85; }), S_OK);
    EXPECT_EQ(withField([](auto& p) { p.ReverbDelay = 86; }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(withField([](auto& p) { p.HighEQGain = 9; }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(withField([](auto& p) { p.RoomFilterMain = 0.5f; }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(withField([](auto& p) { p.ReverbGain = 20.0f; }), S_OK);
    EXPECT_EQ(withField([](auto& p) { p.ReverbGain = 20.5f; }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(withField([](auto& p) { p.DecayTime = std::nanf(""); }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(withField([](auto& p) { p.RoomSize = 101.0f; }), XAUDIO2_E_INVALID_CALL);
}

TEST_F(RefusalsTest, AVoiceOthersSendToStaysAndAGoneVoiceIsNeverTouched)
{
    IXAudio2SourceVoice* voice = Voice();
    ::testing::internal::CaptureStderr();
    stepped.mastering->DestroyVoice();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "xaudio2: DestroyVoice: other voices still send to this voice; it stays\n");
    // Held changes of a destroyed voice go with it; the commit finds nothing of it.
    const float levels[2] = {1.0f, 1.0f};
    EXPECT_EQ(voice->SetOutputMatrix(stepped.mastering, 1, 2, levels, 4), S_OK);
    EXPECT_EQ(voice->SetVolume(0.5f, 4), S_OK);
    voice->DestroyVoice();
    EXPECT_EQ(stepped.engine->CommitChanges(4), S_OK);
    stepped.Step(2);
    stepped.mastering->DestroyVoice();
    IXAudio2MasteringVoice* again = nullptr;
    EXPECT_EQ(stepped.engine->CreateMasteringVoice(&again), S_OK);
    EXPECT_EQ(Refused([&] { return stepped.engine->CreateMasteringVoice(&again); }), XAUDIO2_E_INVALID_CALL);
    stepped.mastering = again;
}

// A callback that tries what XAudio2 forbids there.
class TDestroyingCallback : public TCountingCallback
{
public:
    void OnBufferEnd(void* context) override
    {
        TCountingCallback::OnBufferEnd(context);
        voice->DestroyVoice();
    }
    IXAudio2SourceVoice* voice = nullptr;
};

TEST_F(RefusalsTest, DestroyingAVoiceFromItsCallbackIsRefused)
{
    TDestroyingCallback callback;
    callback.voice = stepped.Play(Pcm16Format(1), BufferOf(samples), &callback);
    ::testing::internal::CaptureStderr();
    stepped.Step(1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "xaudio2: DestroyVoice: called from a voice callback; the voice stays\n");
    EXPECT_EQ(callback.ends.size(), 1u);
    stepped.Step(1);
    callback.voice->DestroyVoice();
}

TEST_F(RefusalsTest, StartAndStopTakeOnlyTheirFlags)
{
    IXAudio2SourceVoice* voice = Voice();
    EXPECT_EQ(Refused([&] { return voice->Start(XAUDIO2_PLAY_TAILS); }), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(Refused([&] { return voice->Stop(XAUDIO2_PLAY_TAILS); }), S_OK);
    EXPECT_EQ(Refused([&] { return voice->Stop(0x100); }), XAUDIO2_E_INVALID_CALL);
}
} // namespace
