#pragma once
// The XAudio2 2.7 reverb effect: its class, its 52-byte native parameters with their ranges and
// defaults, the I3DL2 parameters, the 30 I3DL2 presets (the values of the public I3DL2 tables)
// and their conversion to native parameters. The effect is our own stereo reverb
// (TReverbEffect): 2 channels in, 2 out.
#include "platform/xaudio2/xaudio2.h"

#include <cstddef>

inline constexpr CLSID CLSID_AudioReverb = {0x5A7A0D10, 0xA027, 0x4C6E, {0x76, 0x65, 0x73, 0x74, 0x61, 0x6D, 0x6F, 0x72}};

#pragma pack(push, 1)
struct XAUDIO2FX_REVERB_PARAMETERS
{
    float WetDryMix;         // percent of the output that is reverb
    UINT32 ReflectionsDelay; // ms from the dry signal to the first reflection
    BYTE ReverbDelay;        // ms from the first reflection to the late reverb
    BYTE RearDelay;
    BYTE PositionLeft;
    BYTE PositionRight;
    BYTE PositionMatrixLeft;
    BYTE PositionMatrixRight;
    BYTE EarlyDiffusion;
    BYTE LateDiffusion;
    BYTE LowEQGain;   // 8 = low frequencies decay as 1 kHz does
    BYTE LowEQCutoff;
    BYTE HighEQGain;  // 8 = high frequencies decay as 1 kHz does; less decays them faster
    BYTE HighEQCutoff;
    float RoomFilterFreq; // Hz
    float RoomFilterMain; // dB
    float RoomFilterHF;   // dB at RoomFilterFreq
    float ReflectionsGain; // dB
    float ReverbGain;      // dB
    float DecayTime;       // seconds to fall by 60 dB
    float Density;         // percent
    float RoomSize;        // feet
};

struct XAUDIO2FX_REVERB_I3DL2_PARAMETERS
{
    float WetDryMix;
    LONG Room;   // mB
    LONG RoomHF; // mB
    float RoomRolloffFactor;
    float DecayTime;
    float DecayHFRatio;
    LONG Reflections; // mB
    float ReflectionsDelay; // s
    LONG Reverb;      // mB
    float ReverbDelay; // s
    float Diffusion;   // percent
    float Density;     // percent
    float HFReference; // Hz
};
#pragma pack(pop)

static_assert(sizeof(XAUDIO2FX_REVERB_PARAMETERS) == 52 && offsetof(XAUDIO2FX_REVERB_PARAMETERS, ReverbDelay) == 8 &&
              offsetof(XAUDIO2FX_REVERB_PARAMETERS, HighEQCutoff) == 19 &&
              offsetof(XAUDIO2FX_REVERB_PARAMETERS, RoomFilterFreq) == 20 &&
              offsetof(XAUDIO2FX_REVERB_PARAMETERS, RoomSize) == 48);
static_assert(sizeof(XAUDIO2FX_REVERB_I3DL2_PARAMETERS) == 52);

// Ranges of the native parameters. An all-zero set ("off") is accepted too: decay time, room
// filter frequency and room size below their minimum are used at the minimum.
constexpr float XAUDIO2FX_REVERB_MIN_WET_DRY_MIX = 0.0f;
constexpr UINT32 XAUDIO2FX_REVERB_MIN_REFLECTIONS_DELAY = 0;
constexpr BYTE XAUDIO2FX_REVERB_MIN_REVERB_DELAY = 0;
constexpr BYTE XAUDIO2FX_REVERB_MIN_REAR_DELAY = 0;
constexpr BYTE XAUDIO2FX_REVERB_MIN_POSITION = 0;
constexpr BYTE XAUDIO2FX_REVERB_MIN_DIFFUSION = 0;
constexpr BYTE XAUDIO2FX_REVERB_MIN_LOW_EQ_GAIN = 0;
constexpr BYTE XAUDIO2FX_REVERB_MIN_LOW_EQ_CUTOFF = 0;
constexpr BYTE XAUDIO2FX_REVERB_MIN_HIGH_EQ_GAIN = 0;
constexpr BYTE XAUDIO2FX_REVERB_MIN_HIGH_EQ_CUTOFF = 0;
constexpr float XAUDIO2FX_REVERB_MIN_ROOM_FILTER_FREQ = 20.0f;
constexpr float XAUDIO2FX_REVERB_MIN_ROOM_FILTER_MAIN = -100.0f;
constexpr float XAUDIO2FX_REVERB_MIN_ROOM_FILTER_HF = -100.0f;
constexpr float XAUDIO2FX_REVERB_MIN_REFLECTIONS_GAIN = -100.0f;
constexpr float XAUDIO2FX_REVERB_MIN_REVERB_GAIN = -100.0f;
constexpr float XAUDIO2FX_REVERB_MIN_DECAY_TIME = 0.1f;
constexpr float XAUDIO2FX_REVERB_MIN_DENSITY = 0.0f;
constexpr float XAUDIO2FX_REVERB_MIN_ROOM_SIZE = 1.0f;

constexpr float XAUDIO2FX_REVERB_MAX_WET_DRY_MIX = 100.0f;
constexpr UINT32 XAUDIO2FX_REVERB_MAX_REFLECTIONS_DELAY = 300;
constexpr BYTE XAUDIO2FX_REVERB_MAX_REVERB_DELAY = 85;
constexpr BYTE XAUDIO2FX_REVERB_MAX_REAR_DELAY = 5;
constexpr BYTE XAUDIO2FX_REVERB_MAX_POSITION = 30;
constexpr BYTE XAUDIO2FX_REVERB_MAX_DIFFUSION = 15;
constexpr BYTE XAUDIO2FX_REVERB_MAX_LOW_EQ_GAIN = 12;
constexpr BYTE XAUDIO2FX_REVERB_MAX_LOW_EQ_CUTOFF = 9;
constexpr BYTE XAUDIO2FX_REVERB_MAX_HIGH_EQ_GAIN = 8;
constexpr BYTE XAUDIO2FX_REVERB_MAX_HIGH_EQ_CUTOFF = 14;
constexpr float XAUDIO2FX_REVERB_MAX_ROOM_FILTER_FREQ = 20000.0f;
constexpr float XAUDIO2FX_REVERB_MAX_ROOM_FILTER_MAIN = 0.0f;
constexpr float XAUDIO2FX_REVERB_MAX_ROOM_FILTER_HF = 0.0f;
constexpr float XAUDIO2FX_REVERB_MAX_REFLECTIONS_GAIN = 20.0f;
constexpr float XAUDIO2FX_REVERB_MAX_REVERB_GAIN = 20.0f;
constexpr float XAUDIO2FX_REVERB_MAX_DENSITY = 100.0f;
constexpr float XAUDIO2FX_REVERB_MAX_ROOM_SIZE = 100.0f;

// The parameters a new reverb starts with.
constexpr float XAUDIO2FX_REVERB_DEFAULT_WET_DRY_MIX = 100.0f;
constexpr UINT32 XAUDIO2FX_REVERB_DEFAULT_REFLECTIONS_DELAY = 5;
constexpr BYTE XAUDIO2FX_REVERB_DEFAULT_REVERB_DELAY = 5;
constexpr BYTE XAUDIO2FX_REVERB_DEFAULT_REAR_DELAY = 5;
constexpr BYTE XAUDIO2FX_REVERB_DEFAULT_POSITION = 6;
constexpr BYTE XAUDIO2FX_REVERB_DEFAULT_POSITION_MATRIX = 27;
constexpr BYTE XAUDIO2FX_REVERB_DEFAULT_EARLY_DIFFUSION = 8;
constexpr BYTE XAUDIO2FX_REVERB_DEFAULT_LATE_DIFFUSION = 8;
constexpr BYTE XAUDIO2FX_REVERB_DEFAULT_LOW_EQ_GAIN = 8;
constexpr BYTE XAUDIO2FX_REVERB_DEFAULT_LOW_EQ_CUTOFF = 4;
constexpr BYTE XAUDIO2FX_REVERB_DEFAULT_HIGH_EQ_GAIN = 8;
constexpr BYTE XAUDIO2FX_REVERB_DEFAULT_HIGH_EQ_CUTOFF = 4;
constexpr float XAUDIO2FX_REVERB_DEFAULT_ROOM_FILTER_FREQ = 5000.0f;
constexpr float XAUDIO2FX_REVERB_DEFAULT_ROOM_FILTER_MAIN = 0.0f;
constexpr float XAUDIO2FX_REVERB_DEFAULT_ROOM_FILTER_HF = 0.0f;
constexpr float XAUDIO2FX_REVERB_DEFAULT_REFLECTIONS_GAIN = 0.0f;
constexpr float XAUDIO2FX_REVERB_DEFAULT_REVERB_GAIN = 0.0f;
constexpr float XAUDIO2FX_REVERB_DEFAULT_DECAY_TIME = 1.0f;
constexpr float XAUDIO2FX_REVERB_DEFAULT_DENSITY = 100.0f;
constexpr float XAUDIO2FX_REVERB_DEFAULT_ROOM_SIZE = 100.0f;

// The I3DL2 environments: wet/dry mix, room, room HF, room rolloff, decay time, decay HF ratio,
// reflections, reflections delay, reverb, reverb delay, diffusion, density, HF reference.
#define XAUDIO2FX_I3DL2_PRESET_DEFAULT {100, -10000, 0, 0.0f, 1.00f, 0.50f, -10000, 0.020f, -10000, 0.040f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_GENERIC {100, -1000, -100, 0.0f, 1.49f, 0.83f, -2602, 0.007f, 200, 0.011f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_PADDEDCELL {100, -1000, -6000, 0.0f, 0.17f, 0.10f, -1204, 0.001f, 207, 0.002f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_ROOM {100, -1000, -454, 0.0f, 0.40f, 0.83f, -1646, 0.002f, 53, 0.003f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_BATHROOM {100, -1000, -1200, 0.0f, 1.49f, 0.54f, -370, 0.007f, 1030, 0.011f, 100.0f, 60.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_LIVINGROOM {100, -1000, -6000, 0.0f, 0.50f, 0.10f, -1376, 0.003f, -1104, 0.004f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_STONEROOM {100, -1000, -300, 0.0f, 2.31f, 0.64f, -711, 0.012f, 83, 0.017f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_AUDITORIUM {100, -1000, -476, 0.0f, 4.32f, 0.59f, -789, 0.020f, -289, 0.030f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_CONCERTHALL {100, -1000, -500, 0.0f, 3.92f, 0.70f, -1230, 0.020f, -2, 0.029f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_CAVE {100, -1000, 0, 0.0f, 2.91f, 1.30f, -602, 0.015f, -302, 0.022f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_ARENA {100, -1000, -698, 0.0f, 7.24f, 0.33f, -1166, 0.020f, 16, 0.030f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_HANGAR {100, -1000, -1000, 0.0f, 10.05f, 0.23f, -602, 0.020f, 198, 0.030f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_CARPETEDHALLWAY {100, -1000, -4000, 0.0f, 0.30f, 0.10f, -1831, 0.002f, -1630, 0.030f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_HALLWAY {100, -1000, -300, 0.0f, 1.49f, 0.59f, -1219, 0.007f, 441, 0.011f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_STONECORRIDOR {100, -1000, -237, 0.0f, 2.70f, 0.79f, -1214, 0.013f, 395, 0.020f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_ALLEY {100, -1000, -270, 0.0f, 1.49f, 0.86f, -1204, 0.007f, -4, 0.011f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_FOREST {100, -1000, -3300, 0.0f, 1.49f, 0.54f, -2560, 0.162f, -613, 0.088f, 79.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_CITY {100, -1000, -800, 0.0f, 1.49f, 0.67f, -2273, 0.007f, -2217, 0.011f, 50.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_MOUNTAINS {100, -1000, -2500, 0.0f, 1.49f, 0.21f, -2780, 0.300f, -2014, 0.100f, 27.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_QUARRY {100, -1000, -1000, 0.0f, 1.49f, 0.83f, -10000, 0.061f, 500, 0.025f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_PLAIN {100, -1000, -2000, 0.0f, 1.49f, 0.50f, -2466, 0.179f, -2514, 0.100f, 21.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_PARKINGLOT {100, -1000, 0, 0.0f, 1.65f, 1.50f, -1363, 0.008f, -1153, 0.012f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_SEWERPIPE {100, -1000, -1000, 0.0f, 2.81f, 0.14f, 429, 0.014f, 648, 0.021f, 80.0f, 60.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_UNDERWATER {100, -1000, -4000, 0.0f, 1.49f, 0.10f, -449, 0.007f, 1700, 0.011f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_SMALLROOM {100, -1000, -600, 0.0f, 1.10f, 0.83f, -400, 0.005f, 500, 0.010f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_MEDIUMROOM {100, -1000, -600, 0.0f, 1.30f, 0.83f, -1000, 0.010f, -200, 0.020f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_LARGEROOM {100, -1000, -600, 0.0f, 1.50f, 0.83f, -1600, 0.020f, -1000, 0.040f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_MEDIUMHALL {100, -1000, -600, 0.0f, 1.80f, 0.70f, -1300, 0.015f, -800, 0.030f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_LARGEHALL {100, -1000, -600, 0.0f, 1.80f, 0.70f, -2000, 0.030f, -1400, 0.060f, 100.0f, 100.0f, 5000.0f}
#define XAUDIO2FX_I3DL2_PRESET_PLATE {100, -1000, -200, 0.0f, 1.30f, 0.90f, 0, 0.002f, 0, 0.010f, 100.0f, 75.0f, 5000.0f}

// The native parameters that sound as the I3DL2 environment does (README.md: the mapping).
void ReverbConvertI3DL2ToNative(const XAUDIO2FX_REVERB_I3DL2_PARAMETERS* i3dl2, XAUDIO2FX_REVERB_PARAMETERS* native);
