#pragma once
// Mixing one voice's frames into a destination through a level matrix, the levels ramped over
// the quantum so that a change of volume or matrix never clicks.
#include "platform/windef/windef.h"

// One destination: `out` (outChannels interleaved) and its levels [destination * inChannels +
// source], moving linearly from `from` to `to` over the frames, the last frame taking `to`
// exactly (the same levels twice: no ramp).
struct TMixTarget
{
    float* out;
    UINT32 outChannels;
    const float* from;
    const float* to;
};

// Adds `frames` frames of `in` (inChannels interleaved) into every target. A mono voice's
// steady stereo sends are mixed in one pass over its frames.
void MixThroughMatrices(const float* in, UINT32 inChannels, UINT32 frames, const TMixTarget* targets, UINT32 count);

// A mono voice of a batch: its rendered frames and its left and right levels into each of the
// batch's stereo destinations.
struct TBatchVoice
{
    static constexpr UINT32 kMaxTargets = 2;

    const float* samples;
    float levels[kMaxTargets][2];
};

// Adds every voice's frames into the 1 or 2 stereo targets, a group of voices at a time: the
// voices' contributions are summed in registers and each target is read and written once per
// group.
void MixMonoBatch(const TBatchVoice* voices, UINT32 count, UINT32 frames, float* const* targets, UINT32 targetCount);
