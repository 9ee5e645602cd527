#pragma once
// The wave-format records, format tags and speaker masks of the Windows audio headers, with
// their packed Windows layouts: stored sound data hold WAVEFORMATEX as 18 bytes.
#include "platform/windef/windef.h"

#include <cstddef>

constexpr WORD WAVE_FORMAT_PCM = 0x0001;
constexpr WORD WAVE_FORMAT_IEEE_FLOAT = 0x0003;
constexpr WORD WAVE_FORMAT_WMAUDIO2 = 0x0161;
constexpr WORD WAVE_FORMAT_WMAUDIO3 = 0x0162;
constexpr WORD WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

#pragma pack(push, 1)
struct WAVEFORMATEX
{
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize; // bytes of format-specific data that follow the record
};

struct WAVEFORMATEXTENSIBLE
{
    WAVEFORMATEX Format;
    union
    {
        WORD wValidBitsPerSample;
        WORD wSamplesPerBlock;
        WORD wReserved;
    } Samples;
    DWORD dwChannelMask;
    GUID SubFormat;
};
#pragma pack(pop)

static_assert(sizeof(WAVEFORMATEX) == 18 && offsetof(WAVEFORMATEX, nBlockAlign) == 12 &&
              offsetof(WAVEFORMATEX, cbSize) == 16);
static_assert(sizeof(WAVEFORMATEXTENSIBLE) == 40 && offsetof(WAVEFORMATEXTENSIBLE, dwChannelMask) == 20 &&
              offsetof(WAVEFORMATEXTENSIBLE, SubFormat) == 24);

// The extension WAVE_FORMAT_EXTENSIBLE adds after the 18 bytes.
constexpr WORD kWaveFormatExtensibleExtraBytes = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);

inline constexpr GUID KSDATAFORMAT_SUBTYPE_PCM = {0x00000001, 0x0000, 0x0010,
                                                  {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr GUID KSDATAFORMAT_SUBTYPE_IEEE_FLOAT = {0x00000003, 0x0000, 0x0010,
                                                         {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// Speaker positions: a channel mask names the speakers present, channels in bit order.
constexpr DWORD SPEAKER_FRONT_LEFT = 0x1;
constexpr DWORD SPEAKER_FRONT_RIGHT = 0x2;
constexpr DWORD SPEAKER_FRONT_CENTER = 0x4;
constexpr DWORD SPEAKER_LOW_FREQUENCY = 0x8;
constexpr DWORD SPEAKER_BACK_LEFT = 0x10;
constexpr DWORD SPEAKER_BACK_RIGHT = 0x20;
constexpr DWORD SPEAKER_FRONT_LEFT_OF_CENTER = 0x40;
constexpr DWORD SPEAKER_FRONT_RIGHT_OF_CENTER = 0x80;
constexpr DWORD SPEAKER_BACK_CENTER = 0x100;
constexpr DWORD SPEAKER_SIDE_LEFT = 0x200;
constexpr DWORD SPEAKER_SIDE_RIGHT = 0x400;

constexpr DWORD SPEAKER_MONO = SPEAKER_FRONT_CENTER;
constexpr DWORD SPEAKER_STEREO = SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT;
constexpr DWORD SPEAKER_QUAD = SPEAKER_STEREO | SPEAKER_BACK_LEFT | SPEAKER_BACK_RIGHT;
constexpr DWORD SPEAKER_5POINT1 = SPEAKER_QUAD | SPEAKER_FRONT_CENTER | SPEAKER_LOW_FREQUENCY;
constexpr DWORD SPEAKER_7POINT1_SURROUND = SPEAKER_5POINT1 | SPEAKER_SIDE_LEFT | SPEAKER_SIDE_RIGHT;
