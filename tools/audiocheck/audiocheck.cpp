// Plays a one-second 440 Hz tone on the left speaker, then on the right, through the default
// output device the way the sound manager opens it, and says what it does. With a sound card the
// tones are heard; without one the output is silent, or written to the file that
// VESTAMOR_AUDIO_WAV names.
//
//   build/release/tools/audiocheck/audiocheck
//   VESTAMOR_AUDIO_WAV=/tmp/check.wav build/release/tools/audiocheck/audiocheck
#include "platform/xaudio2/xaudio2.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr UINT32 kRate = 44100;
constexpr double kPi = 3.14159265358979;

class TEndCallback : public IXAudio2VoiceCallback
{
public:
    void OnVoiceProcessingPassStart(UINT32) override {}
    void OnVoiceProcessingPassEnd() override {}
    void OnStreamEnd() override {}
    void OnBufferStart(void*) override {}
    void OnBufferEnd(void*) override { ++ended; }
    void OnLoopEnd(void*) override {}
    void OnVoiceError(void*, HRESULT) override {}

    std::atomic<int> ended{0};
};

std::string Narrow(const WCHAR* text)
{
    std::string narrow;
    for (; *text; ++text)
        narrow.push_back(*text < 128 ? static_cast<char>(*text) : '?');
    return narrow;
}

int Fail(const char* step, HRESULT result)
{
    std::printf("audiocheck: %s failed (0x%08X)\n", step, static_cast<unsigned>(result));
    return 1;
}
} // namespace

int main()
{
    CoInitialize(nullptr);
    IXAudio2* engine = nullptr;
    HRESULT result = XAudio2Create(&engine);
    if (FAILED(result))
        return Fail("XAudio2Create", result);
    UINT32 count = 0;
    engine->GetDeviceCount(&count);
    for (UINT32 i = 0; i < count; ++i)
    {
        XAUDIO2_DEVICE_DETAILS details;
        if (SUCCEEDED(engine->GetDeviceDetails(i, &details)))
            std::printf("audiocheck: device %u '%s', %u channels, %u Hz\n", i, Narrow(details.DisplayName).c_str(),
                        details.OutputFormat.Format.nChannels, static_cast<unsigned>(details.OutputFormat.Format.nSamplesPerSec));
    }
    IXAudio2MasteringVoice* mastering = nullptr;
    result = engine->CreateMasteringVoice(&mastering, 2, kRate);
    if (FAILED(result))
        return Fail("CreateMasteringVoice", result);

    std::vector<std::int16_t> tone(kRate);
    for (UINT32 i = 0; i < kRate; ++i)
        tone[i] = static_cast<std::int16_t>(12000.0 * std::sin(2.0 * kPi * 440.0 * i / kRate));
    const WAVEFORMATEX format = {WAVE_FORMAT_PCM, 1, kRate, kRate * 2, 2, 16, 0};
    TEndCallback callback;
    IXAudio2SourceVoice* voice = nullptr;
    result = engine->CreateSourceVoice(&voice, &format, 0, XAUDIO2_DEFAULT_FREQ_RATIO, &callback);
    if (FAILED(result))
        return Fail("CreateSourceVoice", result);
    XAUDIO2_BUFFER buffer = {};
    buffer.AudioBytes = kRate * 2;
    buffer.pAudioData = reinterpret_cast<const BYTE*>(tone.data());

    const char* sides[] = {"left", "right"};
    for (int side = 0; side < 2; ++side)
    {
        const float levels[2] = {side == 0 ? 1.0f : 0.0f, side == 1 ? 1.0f : 0.0f};
        voice->SetOutputMatrix(mastering, 1, 2, levels);
        voice->SubmitSourceBuffer(&buffer);
        voice->Start();
        std::printf("audiocheck: 440 Hz on the %s\n", sides[side]);
        std::fflush(stdout);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (callback.ended <= side && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (callback.ended <= side)
            std::printf("audiocheck: the tone did not end in time\n");
    }
    // Let the device play out what it holds.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    voice->DestroyVoice();
    engine->Release();
    CoUninitialize();
    std::printf("audiocheck: done\n");
    return 0;
}
