#include "steppedengine.h"

#include <gtest/gtest.h>

WAVEFORMATEX Pcm16Format(UINT32 channels, UINT32 sampleRate)
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = sampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(2 * channels);
    format.nAvgBytesPerSec = sampleRate * format.nBlockAlign;
    return format;
}

XAUDIO2_BUFFER BufferOf(const std::vector<std::int16_t>& samples, UINT32 loopCount, void* context)
{
    XAUDIO2_BUFFER buffer = {};
    buffer.AudioBytes = static_cast<UINT32>(samples.size() * 2);
    buffer.pAudioData = reinterpret_cast<const BYTE*>(samples.data());
    buffer.LoopCount = loopCount;
    buffer.pContext = context;
    return buffer;
}

TSteppedEngine::TSteppedEngine(std::vector<TAudioDeviceDescription> devices)
{
    if (devices.empty())
        devices.push_back({u"Test speakers"});
    wavPath = folder.Path() + "/out.wav";
    TXAudio2Settings& settings = XAudio2Settings();
    settings.devices = devices;
    settings.stepped = true;
    settings.wavFile = wavPath;
    EXPECT_EQ(XAudio2Create(&engine), S_OK);
    EXPECT_EQ(engine ? engine->CreateMasteringVoice(&mastering) : E_FAIL, S_OK);
}

TSteppedEngine::~TSteppedEngine()
{
    if (engine)
        engine->Release();
    XAudio2Settings() = TXAudio2Settings();
}

IXAudio2SourceVoice* StartVoice(IXAudio2* engine, const WAVEFORMATEX& format, const XAUDIO2_BUFFER& buffer,
                                IXAudio2VoiceCallback* callback, const XAUDIO2_VOICE_SENDS* sends, float maxRatio)
{
    IXAudio2SourceVoice* voice = nullptr;
    EXPECT_EQ(engine->CreateSourceVoice(&voice, &format, 0, maxRatio, callback, sends), S_OK);
    if (!voice)
        return nullptr;
    EXPECT_EQ(voice->SubmitSourceBuffer(&buffer), S_OK);
    EXPECT_EQ(voice->Start(), S_OK);
    return voice;
}

TWavContents TSteppedEngine::Finish()
{
    engine->Release();
    engine = nullptr;
    mastering = nullptr;
    return ReadWav(wavPath);
}
