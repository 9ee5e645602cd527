#pragma once
// TSteppedEngine: an XAudio2 engine on fake devices whose mixer the test steps by hand, its
// output written to a WAV file in a scratch folder; Finish releases the engine and reads the
// file back. Also the formats, buffers and callbacks the tests build voices with.
#include "platform/xaudio2/xaudio2.h"
#include "platform/xaudio2/xaudio2settings.h"
#include "support/scratchfolder.h"
#include "support/wavreader.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

WAVEFORMATEX Pcm16Format(UINT32 channels, UINT32 sampleRate = 44100);
XAUDIO2_BUFFER BufferOf(const std::vector<std::int16_t>& samples, UINT32 loopCount = 0, void* context = nullptr);
// A source voice of the engine sending to the mastering voice (or the given sends), already started.
IXAudio2SourceVoice* StartVoice(IXAudio2* engine, const WAVEFORMATEX& format, const XAUDIO2_BUFFER& buffer,
                                IXAudio2VoiceCallback* callback = nullptr, const XAUDIO2_VOICE_SENDS* sends = nullptr,
                                float maxRatio = XAUDIO2_DEFAULT_FREQ_RATIO);

// Counts the notifications of a source voice, by buffer context.
class TCountingCallback : public IXAudio2VoiceCallback
{
public:
    void OnVoiceProcessingPassStart(UINT32) override { ++passes; }
    void OnVoiceProcessingPassEnd() override {}
    void OnStreamEnd() override { ++streamEnds; }
    void OnBufferStart(void* context) override { ++starts[context]; }
    void OnBufferEnd(void* context) override { ++ends[context]; }
    void OnLoopEnd(void* context) override { ++loopEnds[context]; }
    void OnVoiceError(void*, HRESULT) override {}

    int passes = 0;
    int streamEnds = 0;
    std::map<void*, int> starts;
    std::map<void*, int> ends;
    std::map<void*, int> loopEnds;
};

class TSteppedEngine
{
public:
    static constexpr UINT32 kRate = 44100;
    static constexpr UINT32 kQuantum = kRate / 100;

    // A stereo 44,100 Hz device unless the test names others; the mastering voice takes the
    // first device's layout.
    explicit TSteppedEngine(std::vector<TAudioDeviceDescription> devices = {});
    ~TSteppedEngine();
    TSteppedEngine(const TSteppedEngine&) = delete;
    TSteppedEngine& operator=(const TSteppedEngine&) = delete;

    IXAudio2SourceVoice* Play(const WAVEFORMATEX& format, const XAUDIO2_BUFFER& buffer,
                              IXAudio2VoiceCallback* callback = nullptr, const XAUDIO2_VOICE_SENDS* sends = nullptr,
                              float maxRatio = XAUDIO2_DEFAULT_FREQ_RATIO)
    {
        return StartVoice(engine, format, buffer, callback, sends, maxRatio);
    }
    void Step(UINT32 quanta) { XAudio2StepMixer(quanta); }
    // Releases the engine and returns what it wrote.
    TWavContents Finish();

    TScratchFolder folder{"xaudio2"};
    std::string wavPath;
    IXAudio2* engine = nullptr;
    IXAudio2MasteringVoice* mastering = nullptr;
};

// The frames of one mixing pass, the unit every test steps the engine by.
inline constexpr UINT32 kQuantum = TSteppedEngine::kQuantum;
