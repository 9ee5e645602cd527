#pragma once
// Settings of the XAudio2 layer that stand for what a real machine would decide: the output
// devices and how the mixer is paced. Tests put in fake devices and step the mixer themselves
// (README.md: "Tests"). An engine reads them when it is initialized.
#include "platform/windef/windef.h"

#include <string>
#include <vector>

// An output device as the engine reports it in XAUDIO2_DEVICE_DETAILS.
struct TAudioDeviceDescription
{
    std::u16string name;
    UINT32 channels = 2;
    UINT32 sampleRate = 44100;
    UINT32 bitsPerSample = 16;
    bool floatSamples = false;
    DWORD channelMask = 0; // 0: the usual layout of the channel count
};

struct TXAudio2Settings
{
    // When not empty, the devices engines list in place of the machine's; what they play goes to
    // the WAV file when one is named, else nowhere.
    std::vector<TAudioDeviceDescription> devices;
    // When set, engines run no mixer thread: XAudio2StepMixer mixes on the caller's thread.
    bool stepped = false;
    // In place of the environment variable VESTAMOR_AUDIO_WAV: the WAV file the output is
    // written to, paced by the clock (or by XAudio2StepMixer).
    std::string wavFile;
};

TXAudio2Settings& XAudio2Settings();

// Mixes `quanta` quanta of 10 ms of every stepped engine with a mastering voice, on the calling
// thread, and hands them to its output; returns once they are written.
void XAudio2StepMixer(UINT32 quanta);
