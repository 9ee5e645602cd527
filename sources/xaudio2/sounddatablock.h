#pragma once
// TSoundDataBlock: a clip's block read and checked before a voice plays it: a WAVEFORMATEX (18
// bytes and its cbSize extra bytes), a u32 byte count N, N bytes of xWMA packet table (u32
// cumulative decoded byte counts) and the audio bytes to the end of the block. The pointers
// lead into the block.
#include "core/system/types.h"
#include "platform/xaudio2/audiodefs.h"

constexpr u32 SOUND_DATA_MAX_CHANNELS = 8;

struct TSoundDataBlock
{
    const WAVEFORMATEX* pFormat = nullptr;
    const u32* pPacketTable = nullptr;
    u32 nPacketTableSize = 0;
    const u8* pAudio = nullptr;
    u32 nAudioSize = 0;

    // Null when the block is sound, else why it is not: a size that runs past the block, a
    // table that is not whole u32 counts, 0 or more than 8 channels, no audio, or audio that is
    // not whole blocks of the format.
    const char* Read(const u8* block, u32 size);
    u32 GetChannelCount() const { return pFormat->nChannels; }
};
