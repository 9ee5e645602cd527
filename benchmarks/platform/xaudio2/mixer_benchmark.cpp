// The mixer at its limit: 255 source voices of 16-bit mono, their frequency ratios spread over
// 0.5 to 2.0, each sending to a stereo mastering voice and to a stereo reverb submix ("Cave"),
// mixed for 10 s of audio (1,000 quanta) on a stepped engine. Beside it, in the same iteration,
// a memcpy of the same output bytes: 255 times the mastering voice's float block per quantum.
// Reports mix_ms, memcpy_ms and memcpy_ratio (the aim: at most 4).
#include "platform/xaudio2/xaudio2fx.h"
#include "platform/xaudio2/xaudio2settings.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
constexpr UINT32 kVoices = 255;
constexpr UINT32 kRate = 44100;
constexpr UINT32 kQuanta = 1000;
constexpr UINT32 kQuantumFrames = kRate / 100;

void BM_MixAgainstMemcpy(benchmark::State& state)
{
    TXAudio2Settings& settings = XAudio2Settings();
    settings.devices = {{u"Benchmark speakers"}};
    settings.stepped = true;
    IXAudio2* engine = nullptr;
    IXAudio2MasteringVoice* mastering = nullptr;
    if (XAudio2Create(&engine) != S_OK || engine->CreateMasteringVoice(&mastering, 2, kRate) != S_OK)
        return state.SkipWithError("no engine");

    IUnknown* reverb = nullptr;
    CoCreateInstance(CLSID_AudioReverb, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&reverb));
    XAUDIO2_EFFECT_DESCRIPTOR effect = {reverb, TRUE, 2};
    const XAUDIO2_EFFECT_CHAIN chain = {1, &effect};
    IXAudio2SubmixVoice* submix = nullptr;
    engine->CreateSubmixVoice(&submix, 2, kRate, 0, 0, nullptr, &chain);
    reverb->Release();
    XAUDIO2FX_REVERB_PARAMETERS cave;
    const XAUDIO2FX_REVERB_I3DL2_PARAMETERS i3dl2 = XAUDIO2FX_I3DL2_PRESET_CAVE;
    ReverbConvertI3DL2ToNative(&i3dl2, &cave);
    submix->SetEffectParameters(0, &cave, sizeof(cave));

    // One second of a tone, looped without end by every voice.
    std::vector<std::int16_t> tone(kRate);
    for (UINT32 i = 0; i < kRate; ++i)
        tone[i] = static_cast<std::int16_t>(12000.0 * std::sin(i * 0.0627));
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 1, kRate, kRate * 2, 2, 16, 0};
    XAUDIO2_SEND_DESCRIPTOR sendTo[2] = {{0, submix}, {0, mastering}};
    const XAUDIO2_VOICE_SENDS sends = {2, sendTo};
    XAUDIO2_BUFFER buffer = {};
    buffer.AudioBytes = kRate * 2;
    buffer.pAudioData = reinterpret_cast<const BYTE*>(tone.data());
    buffer.LoopCount = XAUDIO2_LOOP_INFINITE;
    for (UINT32 v = 0; v < kVoices; ++v)
    {
        IXAudio2SourceVoice* voice = nullptr;
        engine->CreateSourceVoice(&voice, &format, XAUDIO2_VOICE_USEFILTER, 2.0f, nullptr, &sends);
        voice->SubmitSourceBuffer(&buffer);
        voice->SetFrequencyRatio(0.5f + 1.5f * v / (kVoices - 1));
        voice->SetVolume(1.0f / kVoices);
        voice->Start();
    }

    const size_t blockBytes = size_t(kQuantumFrames) * 2 * sizeof(float);
    std::vector<char> from(kVoices * blockBytes, 1), to(kVoices * blockBytes);
    double mixSeconds = 0.0, copySeconds = 0.0;
    for (auto _ : state)
    {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point start = Clock::now();
        XAudio2StepMixer(kQuanta);
        const Clock::time_point mixed = Clock::now();
        for (UINT32 q = 0; q < kQuanta; ++q)
        {
            std::memcpy(to.data(), from.data(), to.size());
            benchmark::ClobberMemory();
            from[q % from.size()] ^= 1;
        }
        const Clock::time_point copied = Clock::now();
        const double mix = std::chrono::duration<double>(mixed - start).count();
        mixSeconds += mix;
        copySeconds += std::chrono::duration<double>(copied - mixed).count();
        state.SetIterationTime(mix);
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["mix_ms"] = 1000.0 * mixSeconds / iterations;
    state.counters["memcpy_ms"] = 1000.0 * copySeconds / iterations;
    state.counters["memcpy_ratio"] = mixSeconds / copySeconds;
    engine->Release();
    settings = TXAudio2Settings();
}
BENCHMARK(BM_MixAgainstMemcpy)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
} // namespace
