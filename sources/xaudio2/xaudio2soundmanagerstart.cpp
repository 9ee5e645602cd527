// Starting and stopping the audio engine: the device, the mastering voice, X3DAudio and the
// reverb submix, each step logged; a failed step takes everything down and disables sound.
#include "core/system/log.h"
#include "xaudio2/outputmatrix.h"
#include "xaudio2/soundvariables.h"
#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2soundmanager.h"
#include "xaudio2/xaudio2state.h"

#include <algorithm>
#include <chrono>

namespace
{
const char* const kStartPrefix = "TXAudio2SoundManager::_Start(): ";
const char* const kStartError = "TXAudio2SoundManager::_Start(): error: ";
const char* const kDevicePrefix = "_GetDeviceIndex(): ";

// The output format the engine mixes in at most.
constexpr u32 SOUND_MAX_CHANNELS = 6;
constexpr u32 SOUND_MAX_RATE = 44100;
constexpr u32 SOUND_MAX_BITS = 16;
// Devices faster than this are passed over when another will do.
constexpr u32 SOUND_PREFERRED_MAX_RATE = 48000;
constexpr f32 SOUND_SPEED_OF_SOUND = 343.5f;
constexpr f32 SOUND_REVERB_RETURN = 2.0f;
// The code of a step that fails without an engine result.
constexpr HRESULT SOUND_STEP_FAILED = static_cast<HRESULT>(0xFFFFFFFFu);
// How long a stop waits for the mixer's last pass: a few of its 10 ms quanta.
constexpr std::chrono::milliseconds SOUND_STOP_LONGEST_WAIT(50);

const WAVEFORMATEX& Format(const XAUDIO2_DEVICE_DETAILS& details)
{
    return details.OutputFormat.Format;
}

// The mixer reads the clips where their repositories hold them, and a program that ends without
// ending its managers has those freed by static destructors while the mixer still runs. Registered
// at the first start, after every static is made, this runs before any of them is destroyed; it
// touches nothing but the engine, as the sound records may be gone already.
void StopMixingAtExit()
{
    if (g_XAudio2.pEngine)
        g_XAudio2.pEngine->StopEngine();
}
} // namespace

u32 TXAudio2SoundManager::_GetDeviceIndex()
{
    IXAudio2* engine = g_XAudio2.pEngine;
    UINT32 count = 0;
    if (FAILED(engine->GetDeviceCount(&count)) || count == 0)
        return 0;
    const u32 preferred = static_cast<u32>(std::clamp(g_sound_device_index.GetValue().ToInt(), 0,
                                                      static_cast<i32>(count) - 1));
    i32 chosen = -1;
    for (u32 i = 0; i < count; ++i)
    {
        XAUDIO2_DEVICE_DETAILS details;
        if (FAILED(engine->GetDeviceDetails(i, &details)))
            return 0;
        const WAVEFORMATEX& format = Format(details);
        TLog::Print(g_pSystemLog, LOG_INFO, kDevicePrefix,
                    "Candidate Device [%d]: '%s' [Format: %d Hz, %d channels, %d bits, 0x%X type, channel mask: 0x%X].",
                    i, TDeviceName(details).aText, format.nSamplesPerSec, format.nChannels, format.wBitsPerSample,
                    format.wFormatTag, details.OutputFormat.dwChannelMask);
        if (format.nSamplesPerSec > SOUND_PREFERRED_MAX_RATE)
        {
            TLog::Print(g_pSystemLog, LOG_INFO, kDevicePrefix, "Would rather not use: Sample rate above 48000.");
            continue;
        }
        if (format.nChannels < 2)
        {
            TLog::Print(g_pSystemLog, LOG_INFO, kDevicePrefix, "Can't use: Number of channels < 2.");
            continue;
        }
        if (chosen < 0 || i == preferred)
            chosen = static_cast<i32>(i);
    }
    return chosen < 0 ? 0 : static_cast<u32>(chosen);
}

void TXAudio2SoundManager::_Start()
{
    if (g_XAudio2.pEngine)
        return;
    if (g_sound_enabled.GetValue().ToInt() == 0)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, kStartPrefix, "Sound disabled.");
        return;
    }
    // Each step: its success logged, its failure the end of the start.
    auto step = [this](HRESULT result, const char* name) {
        if (FAILED(result))
        {
            FailStart(name, result);
            return false;
        }
        TLog::Print(g_pSystemLog, LOG_INFO, kStartPrefix, "%s.", name);
        return true;
    };
    IXAudio2* engine = nullptr;
    if (!step(XAudio2Create(&engine, 0, XAUDIO2_ANY_PROCESSOR), "creating XAudio2 interface"))
        return;
    g_XAudio2.pEngine = engine;
    static const int s_nStopAtExit = std::atexit(StopMixingAtExit);
    (void)s_nStopAtExit;

    UINT32 count = 0;
    if (!step(engine->GetDeviceCount(&count), "getting device count"))
        return;
    TLog::Print(g_pSystemLog, LOG_INFO, kStartPrefix, "Device count: %d", count);
    if (count == 0)
        return FailStart("getting device details audio", SOUND_STEP_FAILED);

    const u32 device = _GetDeviceIndex();
    XAUDIO2_DEVICE_DETAILS& details = g_XAudio2.Details;
    if (!step(engine->GetDeviceDetails(device, &details), "getting device details"))
        return;
    TLog::Print(g_pSystemLog, LOG_INFO, kStartPrefix, "Device:     '%s'", TDeviceName(details).aText);

    // The output format, clamped in place to what the mix is made for.
    WAVEFORMATEX& format = details.OutputFormat.Format;
    if (format.nChannels < 2)
        return FailStart("checking number of channels", SOUND_STEP_FAILED);
    if (format.nChannels > SOUND_MAX_CHANNELS)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, kStartPrefix, "Channels reduced to 5.1.");
        format.nChannels = SOUND_MAX_CHANNELS;
        // X3DAudio pans onto the speakers of the mask: the same six the mix has.
        details.OutputFormat.dwChannelMask = SPEAKER_5POINT1;
    }
    if (format.nSamplesPerSec > SOUND_MAX_RATE)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, kStartPrefix, "Samples per second reduced to 44100.");
        format.nSamplesPerSec = SOUND_MAX_RATE;
    }
    if (format.wBitsPerSample > SOUND_MAX_BITS)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, kStartPrefix, "Bits per sample reduced to 16.");
        format.wBitsPerSample = SOUND_MAX_BITS;
    }
    TLog::Print(g_pSystemLog, LOG_INFO, kStartPrefix, "Format:      %d Hz, %d channels, %d bits, 0x%X type.",
                format.nSamplesPerSec, format.nChannels, format.wBitsPerSample, format.wFormatTag);
    TLog::Print(g_pSystemLog, LOG_INFO, kStartPrefix, "ChannelMask: 0x%X", details.OutputFormat.dwChannelMask);

    if (!step(engine->CreateMasteringVoice(&g_XAudio2.pMasteringVoice, format.nChannels, format.nSamplesPerSec, 0,
                                           device, nullptr),
              "creating mastering voice"))
        return;

    // A handle made for other speakers would pan onto the wrong ones.
    const DWORD mask = details.OutputFormat.dwChannelMask;
    if (g_XAudio2.nInitializeX3DAudio || mask != g_XAudio2.nX3DAudioMask)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, kStartPrefix, "Initializing X3DAudio.");
        X3DAudioInitialize(mask, SOUND_SPEED_OF_SOUND, g_XAudio2.X3DAudio);
        g_XAudio2.nX3DAudioMask = mask;
    }
    TLog::Print(g_pSystemLog, LOG_INFO, kStartPrefix, "Initializing reverb parameters.");
    g_XAudio2.ReverbPresets.Build();

    const u32 reverbRate = std::min<u32>(format.nSamplesPerSec, SOUND_MAX_RATE);
    TLog::Print(g_pSystemLog, LOG_INFO, kStartPrefix, "Reverb sample rate is %d", reverbRate);
    if (!step(engine->CreateSubmixVoice(&g_XAudio2.pReverbVoice, 2, reverbRate, 0, 0, nullptr, nullptr),
              "creating reverb submix voice"))
        return;
    IUnknown* reverb = nullptr;
    if (!step(CoCreateInstance(CLSID_AudioReverb, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&reverb)),
              "creating reverb"))
        return;
    XAUDIO2_EFFECT_DESCRIPTOR effect = {reverb, TRUE, 2};
    const XAUDIO2_EFFECT_CHAIN chain = {1, &effect};
    const HRESULT chained = g_XAudio2.pReverbVoice->SetEffectChain(&chain);
    if (FAILED(chained))
        reverb->Release();
    if (!step(chained, "setting effect chain for reverb"))
        return;

    f32 matrix[OUTPUT_MATRIX_SIZE];
    BuildOutputMatrix(2, format.nChannels, matrix);
    for (f32& level : matrix)
        level *= SOUND_REVERB_RETURN;
    const HRESULT routed =
        g_XAudio2.pReverbVoice->SetOutputMatrix(g_XAudio2.pMasteringVoice, 2, format.nChannels, matrix, 0);
    if (FAILED(routed))
        reverb->Release();
    if (!step(routed, "setting output matrices on reverb voice"))
        return;

    ApplyReverbPreset(0);
    ApplySoundReverb();
    TLog::Print(g_pSystemLog, LOG_INFO, kStartPrefix, "Releasing reverb creation interfaces.");
    reverb->Release();
    m_nStateFlags |= SOUND_STATE_AUDIO_ENABLED;
    _ApplyVolumeVariables();
    g_XAudio2.nInitializeX3DAudio = 0;
}

void TXAudio2SoundManager::FailStart(const char* step, HRESULT result)
{
    TLog::Print(g_pSystemLog, LOG_ERROR, kStartError, "%s FAILED [0x%X]. Disabling audio.", step,
                static_cast<u32>(result));
    m_nStateFlags &= ~SOUND_STATE_AUDIO_ENABLED;
    ReleaseEngine();
    g_sound_enabled.SetInt(0);
}

void TXAudio2SoundManager::ReleaseEngine()
{
    IXAudio2* engine = g_XAudio2.pEngine;
    if (!engine)
        return;
    engine->StopEngine();
    // The reverb first: nothing may send to the mastering voice when it goes.
    if (g_XAudio2.pReverbVoice)
        g_XAudio2.pReverbVoice->DestroyVoice();
    g_XAudio2.pReverbVoice = nullptr;
    if (g_XAudio2.pMasteringVoice)
        g_XAudio2.pMasteringVoice->DestroyVoice();
    g_XAudio2.pMasteringVoice = nullptr;
    engine->Release();
    g_XAudio2.pEngine = nullptr;
}

void TXAudio2SoundManager::_Stop()
{
    IXAudio2* engine = g_XAudio2.pEngine;
    if (!engine)
        return;
    m_nStateFlags &= ~SOUND_STATE_AUDIO_ENABLED;
    // The voices stop before the engine: the mixer plays one more pass falling to silence (the
    // reverb's return with them), where an engine stopped under them would end in a step.
    bool heard = false;
    for (i32 i = 0; i < m_aSound.GetCount(); ++i)
    {
        TXAudio2Sound& sound = *m_aSound[i];
        heard = heard || (sound.IsPlaying() && sound.pVoice && (sound.m_nFlags & SOUND_VOICE_STARTED));
        sound.Stop(1);
    }
    if (g_XAudio2.pReverbVoice)
        g_XAudio2.pReverbVoice->SetVolume(0.0f, g_XAudio2.nOperationSet);
    engine->CommitChanges(XAUDIO2_COMMIT_ALL);
    if (heard)
        g_XAudio2.VoiceCallback.WaitForPass(g_XAudio2.VoiceCallback.GetPassCount(), SOUND_STOP_LONGEST_WAIT);
    engine->StopEngine();
    _UpdateSounds(0.0f);
    _ReleaseFinishedSounds();
    ReleaseEngine();
    m_aFinished.SetCount(0);
    m_aPlaying.SetCount(0);
    _ResetDynamicSounds();
}
