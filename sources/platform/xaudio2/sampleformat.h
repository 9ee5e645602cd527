#pragma once
// TSampleFormat: what the mixer needs to know of a source voice's WAVEFORMATEX, and the check
// that refuses a format the mixer cannot read (README.md: "Bad input").
#include "platform/xaudio2/audiodefs.h"

#include <string>

enum class ESampleKind
{
    Unsigned8,
    Signed16,
    Float32
};

struct TSampleFormat
{
    // Source voices take 1 to 8 channels; so do the other voices of the mixer.
    static constexpr UINT32 kMaxChannels = 8;

    ESampleKind kind = ESampleKind::Signed16;
    UINT32 channels = 0;
    UINT32 sampleRate = 0;
    UINT32 blockAlign = 0;

    // PCM of 8 or 16 bits or 32-bit IEEE float; a rate within XAudio2's limits; a block of one
    // sample per channel; no extension longer than the extensible format's. Otherwise false
    // and `why` says what is wrong.
    static bool FromWaveFormat(const WAVEFORMATEX* format, TSampleFormat& out, std::string& why);
};
