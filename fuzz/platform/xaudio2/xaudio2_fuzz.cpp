// Voices from arbitrary formats and buffers, mixed: the input is a WAVEFORMATEX (18 bytes), the
// mastering voice's layout and a choice byte, a buffer's play and loop fields, a frequency
// ratio, a volume, an 8 x 8 level matrix and 52 bytes of reverb parameters, then the audio bytes.
// Every call either takes its input or refuses it (with a line on standard error: run with
// -close_fd_mask=2); two quanta are then mixed through a reverb submix, with X3DAudio placing
// the voice from the same bytes.
#include "platform/xaudio2/x3daudio.h"
#include "platform/xaudio2/xaudio2fx.h"
#include "platform/xaudio2/xaudio2settings.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
struct TFuzzHeader
{
    WAVEFORMATEX format;
    BYTE masterChannels; // 1 + value % 8
    BYTE masterRate;     // one of four rates
    BYTE choices;        // bit 0 sends to the reverb, bit 1 END_OF_STREAM, bit 2 a WMA table without packets
    UINT32 playBegin;
    UINT32 playLength;
    UINT32 loopBegin;
    UINT32 loopLength;
    UINT32 loopCount;
    float ratio;
    float volume;
    float levels[64];
    BYTE reverb[52];
    float position[3];
    float velocity[3];
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    TFuzzHeader header;
    if (size < sizeof(header))
        return 0;
    std::memcpy(&header, data, sizeof(header));
    // The audio stays the caller's while it plays: a copy of its own size, so reads past it
    // are caught.
    std::vector<BYTE> audio(data + sizeof(header), data + size);

    TXAudio2Settings& settings = XAudio2Settings();
    static const UINT32 kRates[] = {8000, 22050, 44100, 48000};
    settings.devices = {{u"Fuzz", 1u + header.masterChannels % 8u, kRates[header.masterRate % 4]}};
    settings.stepped = true;
    IXAudio2* engine = nullptr;
    if (XAudio2Create(&engine) != S_OK)
        __builtin_trap();
    IXAudio2MasteringVoice* mastering = nullptr;
    if (engine->CreateMasteringVoice(&mastering) != S_OK)
        __builtin_trap();
    XAUDIO2_VOICE_DETAILS master;
    mastering->GetVoiceDetails(&master);

    IUnknown* reverb = nullptr;
    CoCreateInstance(CLSID_AudioReverb, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&reverb));
    XAUDIO2_EFFECT_DESCRIPTOR effect = {reverb, TRUE, 2};
    const XAUDIO2_EFFECT_CHAIN chain = {1, &effect};
    IXAudio2SubmixVoice* submix = nullptr;
    if (engine->CreateSubmixVoice(&submix, 2, 0, 0, 0, nullptr, &chain) != S_OK)
        __builtin_trap();
    reverb->Release();
    submix->SetEffectParameters(0, header.reverb, sizeof(header.reverb));

    XAUDIO2_SEND_DESCRIPTOR sendTo[2] = {{0, mastering}, {0, submix}};
    const XAUDIO2_VOICE_SENDS sends = {header.choices & 1 ? 2u : 1u, sendTo};
    IXAudio2SourceVoice* voice = nullptr;
    if (engine->CreateSourceVoice(&voice, &header.format, XAUDIO2_VOICE_USEFILTER, 2.0f, nullptr, &sends) == S_OK)
    {
        XAUDIO2_BUFFER buffer = {};
        buffer.Flags = header.choices & 2 ? XAUDIO2_END_OF_STREAM : 0;
        buffer.AudioBytes = static_cast<UINT32>(audio.size());
        buffer.pAudioData = audio.data();
        buffer.PlayBegin = header.playBegin;
        buffer.PlayLength = header.playLength;
        buffer.LoopBegin = header.loopBegin;
        buffer.LoopLength = header.loopLength;
        buffer.LoopCount = header.loopCount;
        const XAUDIO2_BUFFER_WMA none = {nullptr, 0};
        voice->SubmitSourceBuffer(&buffer, header.choices & 4 ? &none : nullptr);
        voice->SubmitSourceBuffer(&buffer);
        voice->SetFrequencyRatio(header.ratio);
        voice->SetVolume(header.volume, 3);
        voice->SetOutputMatrix(mastering, header.format.nChannels, master.InputChannels, header.levels);

        // The voice placed in 3D, as the sound code does each frame.
        X3DAUDIO_HANDLE handle;
        X3DAudioInitialize(master.InputChannels == 1 ? SPEAKER_MONO : SPEAKER_STEREO, 343.5f, handle);
        X3DAUDIO_LISTENER listener = {{0, 0, 1}, {0, 1, 0}, {0, 0, 0}, {0, 0, 0}, nullptr};
        float azimuths[8] = {3.0f * X3DAUDIO_PI / 2.0f, X3DAUDIO_PI / 2.0f};
        X3DAUDIO_EMITTER emitter = {};
        emitter.OrientFront = {0, 0, 1};
        emitter.OrientTop = {0, 1, 0};
        emitter.Position = {header.position[0], header.position[1], header.position[2]};
        emitter.Velocity = {header.velocity[0], header.velocity[1], header.velocity[2]};
        emitter.ChannelCount = header.format.nChannels;
        emitter.pChannelAzimuths = azimuths;
        emitter.CurveDistanceScaler = 100.0f;
        emitter.DopplerScaler = 0.1f;
        float matrix[64] = {};
        X3DAUDIO_DSP_SETTINGS dsp = {};
        dsp.pMatrixCoefficients = matrix;
        dsp.SrcChannelCount = header.format.nChannels;
        dsp.DstChannelCount = std::min<UINT32>(master.InputChannels, 2);
        X3DAudioCalculate(handle, &listener, &emitter, 0x35, &dsp);
        voice->SetOutputMatrix(mastering, header.format.nChannels, master.InputChannels, matrix, 3);
        voice->SetFrequencyRatio(dsp.DopplerFactor, 3);
        engine->CommitChanges(3);
        voice->Start();
    }
    XAudio2StepMixer(2);
    engine->Release();
    settings = TXAudio2Settings();
    return 0;
}
