// What the mixer renders, read back from the stepped WAV output: interpolation, volumes and
// matrices, operation sets, buffer notifications, stopping and starting, submix stages.
#include "platform/xaudio2/vectorlevel.h"
#include "platform/xaudio2/xaudio2fx.h"
#include "steppedengine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace
{
// A mono ramp that fits 16 bits: -16000, -15984, ...
std::vector<std::int16_t> Ramp(UINT32 frames)
{
    std::vector<std::int16_t> samples(frames);
    for (UINT32 i = 0; i < frames; ++i)
        samples[i] = static_cast<std::int16_t>(-16000 + 16 * static_cast<int>(i));
    return samples;
}

// A signal whose midpoints do not lie on a line through their neighbours' neighbours.
std::vector<std::int16_t> Zigzag(UINT32 frames)
{
    std::vector<std::int16_t> samples(frames);
    for (UINT32 i = 0; i < frames; ++i)
        samples[i] = static_cast<std::int16_t>((i % 7) * 1000 - (i % 3) * 2500);
    return samples;
}

// Every frame of the output from `first` on, on both sides, against what `expected` gives for
// the frame counted from `first`.
template <class Expected>
void ExpectFrames(const TWavContents& wav, UINT32 first, UINT32 count, Expected expected, int tolerance = 1)
{
    ASSERT_GE(wav.samples.size(), (first + count) * 2u);
    for (UINT32 f = 0; f < count; ++f)
    {
        const auto [left, right] = expected(f);
        ASSERT_LE(std::abs(wav.samples[(first + f) * 2] - left), tolerance) << "left, frame " << first + f;
        ASSERT_LE(std::abs(wav.samples[(first + f) * 2 + 1] - right), tolerance) << "right, frame " << first + f;
    }
}

// A mono 8-bit or 32-bit float voice's format, and a buffer of raw bytes.
WAVEFORMATEX MonoFormat(WORD tag, WORD bits)
{
    WAVEFORMATEX format = Pcm16Format(1);
    format.wFormatTag = tag;
    format.wBitsPerSample = bits;
    format.nBlockAlign = bits / 8;
    return format;
}
XAUDIO2_BUFFER RawBuffer(const void* data, size_t bytes)
{
    XAUDIO2_BUFFER buffer = {};
    buffer.AudioBytes = static_cast<UINT32>(bytes);
    buffer.pAudioData = static_cast<const BYTE*>(data);
    return buffer;
}

TEST(MixerTest, RatioOneWithVolumeAndTheMatrixOfOneOfTwoSendsComesOutWithinOneStep)
{
    TSteppedEngine stepped;
    const std::vector<std::int16_t> ramp = Ramp(3 * kQuantum);
    IXAudio2SubmixVoice* muted = nullptr;
    ASSERT_EQ(stepped.engine->CreateSubmixVoice(&muted, 2, 44100), S_OK);
    EXPECT_EQ(muted->SetVolume(0.0f), S_OK);
    XAUDIO2_SEND_DESCRIPTOR both[2] = {{0, muted}, {0, stepped.mastering}};
    const XAUDIO2_VOICE_SENDS sends = {2, both};
    IXAudio2SourceVoice* voice = stepped.Play(Pcm16Format(1), BufferOf(ramp), nullptr, &sends);
    ASSERT_TRUE(voice);
    const float matrix[2] = {1.0f, 0.25f};
    EXPECT_EQ(voice->SetOutputMatrix(stepped.mastering, 1, 2, matrix), S_OK);
    EXPECT_EQ(voice->SetVolume(0.5f), S_OK);
    stepped.Step(4);
    const TWavContents wav = stepped.Finish();
    ExpectFrames(wav, 0, 3 * kQuantum, [&](UINT32 f) {
        return std::pair<int, int>(ramp[f] * 0.5, ramp[f] * 0.125);
    });
    ExpectFrames(wav, 3 * kQuantum, kQuantum, [](UINT32) { return std::pair<int, int>(0, 0); }, 0);
}

// Each output frame interpolates linearly at its place in the source, across a seam between two
// queued buffers too, where the fraction of the step carries into the second buffer.
TEST(MixerTest, ResamplingInterpolatesLinearlyAtEveryStep)
{
    const std::vector<std::int16_t> zigzag = Zigzag(4 * kQuantum + 1);
    struct
    {
        UINT32 rate;
        float ratio;
        double step;
        UINT32 seam; // frames of the first of two buffers; 0 for one buffer
    } const cases[] = {{44100, 2.0f, 2.0, 0},  {44100, 0.5f, 0.5, 0},    {44100, 3.0f, 2.0, 0} /* the maximum */,
                       {22050, 1.0f, 0.5, 0},  {44100, 0.75f, 0.75, 101}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.ratio);
        TSteppedEngine stepped;
        const std::vector<std::int16_t> first(zigzag.begin(), zigzag.begin() + (c.seam ? c.seam : zigzag.size()));
        const std::vector<std::int16_t> second(zigzag.begin() + c.seam, zigzag.end());
        IXAudio2SourceVoice* voice = stepped.Play(Pcm16Format(1, c.rate), BufferOf(first));
        XAUDIO2_BUFFER next = BufferOf(second);
        EXPECT_EQ(c.seam ? voice->SubmitSourceBuffer(&next) : S_OK, S_OK);
        EXPECT_EQ(voice->SetFrequencyRatio(c.ratio), S_OK);
        stepped.Step(2);
        const TWavContents wav = stepped.Finish();
        ExpectFrames(wav, 0, 2 * kQuantum, [&](UINT32 f) {
            const double at = f * c.step;
            const size_t i = static_cast<size_t>(at);
            const int value = static_cast<int>(std::lround(zigzag[i] + (zigzag[i + 1] - zigzag[i]) * (at - i)));
            return std::pair<int, int>(value, value);
        });
    }
}

TEST(MixerTest, ChangesOfASetWaitForItsCommit)
{
    const std::vector<std::int16_t> constant(8 * kQuantum, 8000);
    TSteppedEngine stepped;
    IXAudio2SourceVoice* voice = stepped.Play(Pcm16Format(1), BufferOf(constant));
    EXPECT_EQ(voice->SetVolume(0.5f, 7), S_OK);
    EXPECT_EQ(voice->SetFrequencyRatio(0.25f, 7), S_OK);
    stepped.Step(2);
    EXPECT_EQ(stepped.engine->CommitChanges(8), S_OK);
    stepped.Step(1);
    EXPECT_EQ(stepped.engine->CommitChanges(7), S_OK);
    stepped.Step(2);
    const TWavContents wav = stepped.Finish();
    // Three quanta at full volume, one ramping down, then half.
    ExpectFrames(wav, 0, 3 * kQuantum, [](UINT32) { return std::pair<int, int>(8000, 8000); }, 0);
    EXPECT_GT(wav.samples[3 * kQuantum * 2], 7900);
    EXPECT_LT(wav.samples[(3 * kQuantum + kQuantum / 2) * 2], 7000);
    ExpectFrames(wav, 4 * kQuantum, kQuantum, [](UINT32) { return std::pair<int, int>(4000, 4000); });
}

TEST(MixerTest, BufferAndStreamEndComeOnceAfterEveryLoopAndNeverForAnEndlessLoop)
{
    const std::vector<std::int16_t> ramp = Ramp(kQuantum);
    int looped = 0;
    int endless = 0;
    TCountingCallback callback;
    TSteppedEngine stepped;
    XAUDIO2_BUFFER last = BufferOf(ramp, 2, &looped);
    last.Flags = XAUDIO2_END_OF_STREAM;
    IXAudio2SourceVoice* voice = stepped.Play(Pcm16Format(1), last, &callback);
    XAUDIO2_BUFFER forever = BufferOf(ramp, XAUDIO2_LOOP_INFINITE, &endless);
    IXAudio2SourceVoice* other = stepped.Play(Pcm16Format(1), forever, &callback);
    ASSERT_TRUE(voice && other);
    stepped.Step(2);
    EXPECT_EQ(callback.ends[&looped], 0);
    stepped.Step(1);
    EXPECT_EQ(callback.ends[&looped], 1);
    EXPECT_EQ(callback.loopEnds[&looped], 2);
    EXPECT_EQ(callback.starts[&looped], 1);
    stepped.Step(5);
    EXPECT_EQ(callback.ends[&looped], 1);
    EXPECT_EQ(callback.ends[&endless], 0);
    EXPECT_GE(callback.loopEnds[&endless], 7);
    EXPECT_EQ(callback.streamEnds, 1);
    other->DestroyVoice();
    const TWavContents wav = stepped.Finish();
    // Three plays of the ramp, then silence.
    ExpectFrames(wav, 0, 3 * kQuantum, [&](UINT32 f) {
        return std::pair<int, int>(ramp[f % kQuantum] * 2, ramp[f % kQuantum] * 2);
    }, 2);
}

// Neither cuts the sound: a stop plays one more quantum falling to silence, and the start goes
// on from there rising out of it; a start and stop between two quanta plays nothing.
TEST(MixerTest, StopFadesOutAndStartResumesWhereItEndedFadingIn)
{
    const std::vector<std::int16_t> ramp = Ramp(4 * kQuantum);
    TSteppedEngine stepped;
    IXAudio2SourceVoice* voice = stepped.Play(Pcm16Format(1), BufferOf(ramp));
    stepped.Step(1);
    EXPECT_EQ(voice->Stop(), S_OK);
    stepped.Step(2);
    EXPECT_EQ(voice->Start(), S_OK);
    EXPECT_EQ(voice->Stop(), S_OK);
    stepped.Step(1);
    EXPECT_EQ(voice->Start(), S_OK);
    stepped.Step(1);
    const TWavContents wav = stepped.Finish();
    const auto level = [](UINT32 f) { return static_cast<double>(f + 1) / kQuantum; };
    ExpectFrames(wav, 0, kQuantum, [&](UINT32 f) { return std::pair<int, int>(ramp[f], ramp[f]); }, 0);
    ExpectFrames(wav, kQuantum, kQuantum, [&](UINT32 f) {
        const int value = static_cast<int>(ramp[kQuantum + f] * (1.0 - level(f)));
        return std::pair<int, int>(value, value);
    }, 2);
    ExpectFrames(wav, 2 * kQuantum, 2 * kQuantum, [](UINT32) { return std::pair<int, int>(0, 0); }, 0);
    ExpectFrames(wav, 4 * kQuantum, kQuantum, [&](UINT32 f) {
        const int value = static_cast<int>(ramp[2 * kQuantum + f] * level(f));
        return std::pair<int, int>(value, value);
    }, 2);
}

TEST(MixerTest, PlayAndLoopRegionsPickTheirFrames)
{
    // Frames 10..29 play, with 20..24 looped once more: 10..24, 20..29.
    const std::vector<std::int16_t> ramp = Ramp(40);
    TSteppedEngine stepped;
    XAUDIO2_BUFFER buffer = BufferOf(ramp, 1);
    buffer.PlayBegin = 10;
    buffer.PlayLength = 20;
    buffer.LoopBegin = 20;
    buffer.LoopLength = 5;
    stepped.Play(Pcm16Format(1), buffer);
    stepped.Step(1);
    const TWavContents wav = stepped.Finish();
    ExpectFrames(wav, 0, 26, [&](UINT32 f) {
        const int value = f < 15 ? ramp[10 + f] : f < 25 ? ramp[5 + f] : 0;
        return std::pair<int, int>(value, value);
    }, 0);
}

TEST(MixerTest, EightBitAndFloatSamplesReadAsSixteenBitOnes)
{
    const std::vector<std::uint8_t> bytes = {128, 192, 64, 255, 0};
    const std::vector<float> floats = {0.0f, 0.5f, -0.5f, 2.0f, std::nanf(""), 70000.0f, -1e30f, 0.0f};
    TSteppedEngine stepped;
    stepped.Play(MonoFormat(WAVE_FORMAT_PCM, 8), RawBuffer(bytes.data(), bytes.size()));
    IXAudio2SourceVoice* floatVoice =
        stepped.Play(MonoFormat(WAVE_FORMAT_IEEE_FLOAT, 32), RawBuffer(floats.data(), floats.size() * 4));
    // The float voice only on the right.
    const float right[2] = {0.0f, 1.0f};
    EXPECT_EQ(floatVoice->SetOutputMatrix(nullptr, 1, 2, right), S_OK);
    stepped.Step(1);
    const TWavContents wav = stepped.Finish();
    // Far beyond full scale still clips to it, on both sides (left, right by frame).
    const std::vector<std::int16_t> expected = {0,      0,      16384, 32767, -16384, -32768, 32512,
                                                32767,  -32768, -32768, 0,    32767,  0,      -32768};
    EXPECT_EQ(std::vector<std::int16_t>(wav.samples.begin(), wav.samples.begin() + 14), expected);
}

TEST(MixerTest, SubmixVoicesMixAfterTheSourcesByStage)
{
    const std::vector<std::int16_t> constant(kQuantum, 4000);
    TSteppedEngine stepped;
    IXAudio2SubmixVoice* late = nullptr;
    IXAudio2SubmixVoice* early = nullptr;
    ASSERT_EQ(stepped.engine->CreateSubmixVoice(&late, 1, 44100, 0, 5), S_OK);
    XAUDIO2_SEND_DESCRIPTOR toLate = {0, late};
    const XAUDIO2_VOICE_SENDS earlySends = {1, &toLate};
    ASSERT_EQ(stepped.engine->CreateSubmixVoice(&early, 1, 44100, 0, 1, &earlySends), S_OK);
    XAUDIO2_SEND_DESCRIPTOR toEarly = {0, early};
    const XAUDIO2_VOICE_SENDS sourceSends = {1, &toEarly};
    stepped.Play(Pcm16Format(1), BufferOf(constant), nullptr, &sourceSends);
    EXPECT_EQ(early->SetVolume(0.5f), S_OK);
    EXPECT_EQ(late->SetVolume(0.5f), S_OK);
    // A submix sends only to a later stage.
    IXAudio2SubmixVoice* wrong = nullptr;
    const XAUDIO2_VOICE_SENDS backwards = {1, &toEarly};
    EXPECT_EQ(stepped.engine->CreateSubmixVoice(&wrong, 1, 44100, 0, 5, &backwards), XAUDIO2_E_INVALID_CALL);
    EXPECT_EQ(stepped.engine->CreateSubmixVoice(&wrong, 1, 44100, 0, 1, &backwards), XAUDIO2_E_INVALID_CALL);
    stepped.Step(1);
    const TWavContents wav = stepped.Finish();
    ExpectFrames(wav, 0, kQuantum, [](UINT32) { return std::pair<int, int>(1000, 1000); });
}

// A scene touching every loop of the mixer: mono and stereo 16-bit voices at steps below and
// above two frames, short buffers ending inside a group, 8-bit and float voices, a ramp, a
// submix with the reverb.
std::vector<std::int16_t> RenderScene()
{
    static const std::vector<std::int16_t> zigzag = Zigzag(3000);
    static const std::vector<std::int16_t> shortOne = Zigzag(45);
    static const std::vector<std::uint8_t> bytes(777, 200);
    static const std::vector<float> floats(999, 0.25f);
    TSteppedEngine stepped;
    IUnknown* reverb = nullptr;
    CoCreateInstance(CLSID_AudioReverb, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&reverb));
    XAUDIO2_EFFECT_DESCRIPTOR effect = {reverb, TRUE, 2};
    const XAUDIO2_EFFECT_CHAIN chain = {1, &effect};
    IXAudio2SubmixVoice* submix = nullptr;
    stepped.engine->CreateSubmixVoice(&submix, 2, 44100, 0, 0, nullptr, &chain);
    reverb->Release();
    XAUDIO2_SEND_DESCRIPTOR both[2] = {{0, submix}, {0, stepped.mastering}};
    const XAUDIO2_VOICE_SENDS sends = {2, both};
    const float ratios[] = {0.37f, 1.0f, 1.93f, 2.0f};
    for (UINT32 rate : {44100u, 48000u, 96000u})
        for (float ratio : ratios)
            for (UINT32 channels : {1u, 2u})
            {
                IXAudio2SourceVoice* voice =
                    stepped.Play(Pcm16Format(channels, rate), BufferOf(zigzag), nullptr, &sends);
                voice->SetFrequencyRatio(ratio);
                voice->SetVolume(0.05f);
            }
    IXAudio2SourceVoice* ramped = stepped.Play(Pcm16Format(1), BufferOf(shortOne, 20), nullptr, &sends);
    stepped.Play(MonoFormat(WAVE_FORMAT_PCM, 8), RawBuffer(bytes.data(), bytes.size()));
    stepped.Play(MonoFormat(WAVE_FORMAT_IEEE_FLOAT, 32), RawBuffer(floats.data(), floats.size() * 4), nullptr, &sends);
    stepped.Step(3);
    ramped->SetVolume(0.3f);
    stepped.Step(4);
    return stepped.Finish().samples;
}

TEST(MixerTest, TheWideAndNarrowLoopsRenderTheSameBits)
{
    const bool wide = MixerUsesAvx2();
    if (!SetMixerAvx2(true))
        GTEST_SKIP() << "no AVX2 here";
    const std::vector<std::int16_t> withAvx2 = RenderScene();
    SetMixerAvx2(false);
    const std::vector<std::int16_t> withSse2 = RenderScene();
    SetMixerAvx2(wide);
    ASSERT_EQ(withAvx2.size(), 7u * kQuantum * 2);
    EXPECT_TRUE(withAvx2 == withSse2);
    size_t loud = 0;
    for (std::int16_t sample : withAvx2)
        loud += std::abs(sample) > 1000;
    EXPECT_GT(loud, withAvx2.size() / 2);
}

} // namespace
