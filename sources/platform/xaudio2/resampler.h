#pragma once
// The source voices' sample reading: frames decoded to floats and linear interpolation between
// neighbouring frames. Positions are 32.32 fixed-point frame indices, so ratios 2.0 and 0.5
// land exactly on frames and halves.
#include "platform/xaudio2/sampleformat.h"

#include <cstdint>

constexpr std::uint64_t kPositionOne = std::uint64_t(1) << 32;

// The fraction of a position between its frame and the next, to 24 bits.
inline float PositionFraction(std::uint64_t position)
{
    return static_cast<float>(static_cast<std::uint32_t>(position) >> 8) * (1.0f / 16777216.0f);
}

// One frame of `channels` samples as floats in -1..1 (float samples out of range are limited
// to XAUDIO2_MAX_VOLUME_LEVEL, and those that are no number read as 0).
void DecodeFrame(ESampleKind kind, UINT32 channels, const BYTE* frame, float* out);

// `count` output frames from the `frames` frames at `data`, starting at `position` and
// advancing by `step`: frame i blended with frame i + 1 by the fraction. Frame i + 1 of the last
// output frame must lie in the data.
void ResampleLinear(ESampleKind kind, UINT32 channels, const BYTE* data, UINT32 frames, std::uint64_t position,
                    std::uint64_t step, UINT32 count, float* out);
