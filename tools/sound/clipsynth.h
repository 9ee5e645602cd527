#pragma once
// The clips' sound, synthesised: 16-bit PCM at 44,100 Hz, mono or stereo, made of tones played
// one after another, the same bytes on every run.
#include "core/system/types.h"

#include <vector>

constexpr u32 CLIP_SAMPLE_RATE = 44100;

enum class EClipWave : u8
{
    Sine,
    Saw,
    Square,
    // White noise.
    Noise,
    // Noise through a low-pass whose opening swells and falls fromHz times a second.
    Gusts,
};

// One tone: its wave, its pitch gliding from one frequency to another, its length and its
// level gliding from the first to the second (0 is silence).
struct TClipTone
{
    EClipWave wave;
    f32 fFromHz;
    f32 fToHz;
    f32 fSeconds;
    f32 fLevel;
    f32 fEndLevel;
};

struct TClipRecipe
{
    const char* szName;
    // The path of the group it plays in.
    const char* szGroup;
    // TSoundData flags: endless loops join their end to their start without a fade, and start
    // where their first tone's wave crosses zero.
    u32 nFlags;
    u32 nChannels;
    std::vector<TClipTone> aTone;
    // The second channel plays the tones at this many times their pitch.
    f32 fRightRatio = 1.0f;
};

// The clip's block: WAVEFORMATEX (18 bytes), a packet table of 0 bytes, the samples.
std::vector<u8> SynthesizeClip(const TClipRecipe& recipe);
