#pragma once
// TXAudio2SoundDataLibrary: the XAudio2 library record (stored type 70's prototype), kind 16;
// it has no block, so its load marks it loaded at once (the resource's default).
#include "engine/sound/sounddatalibrary.h"
#include "xaudio2/soundtypes.h"

class TXAudio2SoundDataLibrary : public TSoundDataLibrary
{
public:
    TXAudio2SoundDataLibrary() { m_nKind = SOUND_KIND_LIBRARY; }
};

static_assert(sizeof(TXAudio2SoundDataLibrary) == 68);
