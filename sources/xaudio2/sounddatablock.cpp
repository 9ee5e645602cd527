#include "xaudio2/sounddatablock.h"

#include <cstring>

const char* TSoundDataBlock::Read(const u8* block, u32 size)
{
    if (!block || size < sizeof(WAVEFORMATEX))
        return "no room for the format";
    const auto* format = reinterpret_cast<const WAVEFORMATEX*>(block);
    u32 at = sizeof(WAVEFORMATEX);
    if (format->cbSize > size - at || size - at - format->cbSize < 4)
        return "the format's extra bytes run past the block";
    at += format->cbSize;
    u32 table;
    std::memcpy(&table, block + at, 4);
    at += 4;
    if (table > size - at)
        return "the packet table runs past the block";
    if (table % 4 != 0)
        return "the packet table is not whole counts";
    if (format->nChannels < 1 || format->nChannels > SOUND_DATA_MAX_CHANNELS)
        return "the format does not have 1 to 8 channels";
    const u32 audio = size - at - table;
    if (audio == 0)
        return "no audio";
    if (format->nBlockAlign == 0 || audio % format->nBlockAlign != 0)
        return "the audio is not whole blocks";
    pFormat = format;
    pPacketTable = reinterpret_cast<const u32*>(block + at);
    nPacketTableSize = table;
    pAudio = block + at + table;
    nAudioSize = audio;
    return nullptr;
}
