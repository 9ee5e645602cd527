// ReverbConvertI3DL2ToNative: an I3DL2 environment as parameters of our reverb. Levels go from
// millibels to decibels, times from seconds to milliseconds, diffusion from percent to 0..15;
// the high-frequency decay ratio becomes HighEQGain (8 at a ratio of 1 or more), and what I3DL2
// has no word for keeps the reverb's default.
#include "platform/xaudio2/xaudio2fx.h"

#include <algorithm>
#include <cmath>

namespace
{
float Clamp(float value, float low, float high)
{
    return std::min(std::max(value, low), high);
}

BYTE ToByte(float value, BYTE high)
{
    return static_cast<BYTE>(std::lround(Clamp(value, 0.0f, high)));
}
} // namespace

void ReverbConvertI3DL2ToNative(const XAUDIO2FX_REVERB_I3DL2_PARAMETERS* i3dl2, XAUDIO2FX_REVERB_PARAMETERS* native)
{
    native->WetDryMix = Clamp(i3dl2->WetDryMix, XAUDIO2FX_REVERB_MIN_WET_DRY_MIX, XAUDIO2FX_REVERB_MAX_WET_DRY_MIX);
    native->ReflectionsDelay = static_cast<UINT32>(std::lround(
        Clamp(i3dl2->ReflectionsDelay * 1000.0f, 0.0f, static_cast<float>(XAUDIO2FX_REVERB_MAX_REFLECTIONS_DELAY))));
    native->ReverbDelay = ToByte(i3dl2->ReverbDelay * 1000.0f, XAUDIO2FX_REVERB_MAX_REVERB_DELAY);
    native->RearDelay = XAUDIO2FX_REVERB_DEFAULT_REAR_DELAY;
    native->PositionLeft = XAUDIO2FX_REVERB_DEFAULT_POSITION;
    native->PositionRight = XAUDIO2FX_REVERB_DEFAULT_POSITION;
    native->PositionMatrixLeft = XAUDIO2FX_REVERB_DEFAULT_POSITION_MATRIX;
    native->PositionMatrixRight = XAUDIO2FX_REVERB_DEFAULT_POSITION_MATRIX;
    const BYTE diffusion = ToByte(i3dl2->Diffusion * XAUDIO2FX_REVERB_MAX_DIFFUSION / 100.0f, XAUDIO2FX_REVERB_MAX_DIFFUSION);
    native->EarlyDiffusion = diffusion;
    native->LateDiffusion = diffusion;
    native->LowEQGain = XAUDIO2FX_REVERB_DEFAULT_LOW_EQ_GAIN;
    native->LowEQCutoff = XAUDIO2FX_REVERB_DEFAULT_LOW_EQ_CUTOFF;
    native->HighEQGain = ToByte(XAUDIO2FX_REVERB_MAX_HIGH_EQ_GAIN * std::min(i3dl2->DecayHFRatio, 1.0f),
                                XAUDIO2FX_REVERB_MAX_HIGH_EQ_GAIN);
    native->HighEQCutoff = XAUDIO2FX_REVERB_DEFAULT_HIGH_EQ_CUTOFF;
    native->RoomFilterFreq =
        Clamp(i3dl2->HFReference, XAUDIO2FX_REVERB_MIN_ROOM_FILTER_FREQ, XAUDIO2FX_REVERB_MAX_ROOM_FILTER_FREQ);
    native->RoomFilterMain = Clamp(i3dl2->Room / 100.0f, XAUDIO2FX_REVERB_MIN_ROOM_FILTER_MAIN,
                                   XAUDIO2FX_REVERB_MAX_ROOM_FILTER_MAIN);
    native->RoomFilterHF =
        Clamp(i3dl2->RoomHF / 100.0f, XAUDIO2FX_REVERB_MIN_ROOM_FILTER_HF, XAUDIO2FX_REVERB_MAX_ROOM_FILTER_HF);
    native->ReflectionsGain = Clamp(i3dl2->Reflections / 100.0f, XAUDIO2FX_REVERB_MIN_REFLECTIONS_GAIN,
                                    XAUDIO2FX_REVERB_MAX_REFLECTIONS_GAIN);
    native->ReverbGain =
        Clamp(i3dl2->Reverb / 100.0f, XAUDIO2FX_REVERB_MIN_REVERB_GAIN, XAUDIO2FX_REVERB_MAX_REVERB_GAIN);
    native->DecayTime = std::max(i3dl2->DecayTime, XAUDIO2FX_REVERB_MIN_DECAY_TIME);
    native->Density = Clamp(i3dl2->Density, XAUDIO2FX_REVERB_MIN_DENSITY, XAUDIO2FX_REVERB_MAX_DENSITY);
    native->RoomSize = XAUDIO2FX_REVERB_DEFAULT_ROOM_SIZE;
}
