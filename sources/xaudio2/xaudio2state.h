#pragma once
// The audio engine's state, one for the process: the engine and its two shared voices, the
// chosen device (its output format clamped in place), X3DAudio and its listener, the reverb
// presets, and the switches and counters of the sound code.
#include "engine/sound/soundlistenermethods.h"
#include "platform/xaudio2/x3daudio.h"
#include "platform/xaudio2/xaudio2.h"
#include "xaudio2/defaultsoundlistenerhandler.h"
#include "xaudio2/reverbpresetset.h"
#include "xaudio2/xaudio2voicecallback.h"

struct TXAudio2State
{
    // Until a listener tells otherwise, it hears from the origin as an unmoved camera would.
    TXAudio2State();

    IXAudio2* pEngine = nullptr;
    IXAudio2MasteringVoice* pMasteringVoice = nullptr;
    IXAudio2SubmixVoice* pReverbVoice = nullptr;
    X3DAUDIO_HANDLE X3DAudio = {};
    XAUDIO2_DEVICE_DETAILS Details = {};
    X3DAUDIO_LISTENER Listener = {};
    TSoundListenerFrame Frame = {};
    TDefaultSoundListenerHandler DefaultListener;
    TXAudio2VoiceCallback VoiceCallback;
    TReverbPresetSet ReverbPresets;
    // Every voice call of one update carries it; committed at the update's end. Never 0 after
    // the first update.
    u32 nOperationSet = 0;
    // The serial of the last dynamic sound handed out.
    u32 nSerial = 0;
    // Set by a cluster unload: released sounds reach no listener until the next load.
    u32 nSuppressNotify = 0;
    u32 nUpdatedSinceStart = 0;
    // X3DAudio is set up by the first start, and again by a start on other speakers.
    u32 nInitializeX3DAudio = 1;
    u32 nX3DAudioMask = 0;

    u32 GetOutputChannels() const { return Details.OutputFormat.Format.nChannels; }
};

extern TXAudio2State g_XAudio2;

// A device's display name as 8-bit text: the low byte of each character.
struct TDeviceName
{
    explicit TDeviceName(const XAUDIO2_DEVICE_DETAILS& details)
    {
        u32 i = 0;
        for (; i + 1 < sizeof aText && details.DisplayName[i]; ++i)
            aText[i] = static_cast<char>(details.DisplayName[i] & 0xFF);
        aText[i] = 0;
    }
    char aText[256];
};
