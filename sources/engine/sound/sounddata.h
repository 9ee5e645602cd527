#pragma once
// TSoundData (stored type 71, 88 bytes): one sound clip as a resource (kind 12). Its block
// holds a WAVEFORMATEX (18 bytes and its cbSize extra bytes), a u32 byte count N, N bytes of
// xWMA packet table and the audio bytes to the end of the block.
#include "engine/system/resource.h"

#include <cstddef>

class TSoundDataLibrary;
class TSoundGroup;

// Flags. A clip with a packet table whose table is empty plays as PCM: the game marks its
// music tracks so (the end of such a clip starts the next track).
constexpr u32 SOUND_DATA_PACKET_TABLE = 0x40000000;
constexpr u32 SOUND_DATA_ENDLESS = 0x80000000;

class TSoundData : public TResource
{
public:
    u32 m_nFlags = 0;
    TSoundDataLibrary* pLibrary = nullptr;
    // The group the clip plays in.
    TSoundGroup* pGroup = nullptr;
    // The first volume of every instance made from the clip.
    f32 m_fDefaultVolume = 0.0f;
    u32 m_nReserved84 = 0;
};

static_assert(sizeof(TSoundData) == 88);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TSoundData, m_nFlags) == 68);
static_assert(offsetof(TSoundData, pLibrary) == 72);
static_assert(offsetof(TSoundData, pGroup) == 76);
static_assert(offsetof(TSoundData, m_fDefaultVolume) == 80);
#pragma GCC diagnostic pop
