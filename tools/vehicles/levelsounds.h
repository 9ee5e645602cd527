#pragma once
// The engine sounds of the level's vehicles: eight game sounds (the vehicle's slots), each of
// one clip made here as a short 16-bit mono PCM tone, the same bytes on every run.
#include "core/system/types.h"

#include <vector>

class TGameSound;
class TRepositoryWriter;

// How a clip sounds: a wave from one pitch to another, its length, and whether it loops.
enum class ELevelWave
{
    Saw,
    Sine,
    Noise,
    Beeps,
};

struct TLevelClip
{
    const char* szName;
    ELevelWave wave;
    f32 fFromHz;
    f32 fToHz;
    f32 fSeconds;
    bool bLoop;
};

// The block of a clip: WAVEFORMATEX (18 bytes), a packet table of 0 bytes, the samples.
std::vector<u8> MakeLevelClipBlock(const TLevelClip& clip);

// Makes the clips (their blocks into the writer) and the game sounds, added to the sound
// managers' arrays; the sounds and clips live until the next call.
void MakeLevelEngineSounds(TRepositoryWriter& writer, TGameSound* slots[8]);
