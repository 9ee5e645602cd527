#pragma once
// Mixing one voice's frames into a destination through a level matrix, the levels ramped over
// the quantum so that a change of volume or matrix never clicks.
#include "platform/windef/windef.h"

// Adds `frames` frames of `in` (inChannels interleaved) into `out` (outChannels interleaved).
// Levels are [destination * inChannels + source]; they move linearly from `from` to `to`, the
// last frame taking `to` exactly. Pass the same levels twice for no ramp.
void MixThroughMatrix(const float* in, UINT32 inChannels, float* out, UINT32 outChannels, UINT32 frames,
                      const float* from, const float* to);
