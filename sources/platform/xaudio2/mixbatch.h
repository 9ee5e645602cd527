#pragma once
// TMixBatch: the mono source voices whose stereo sends hold steady levels in this quantum (the
// usual game sound: a mono clip to the mastering voice and the reverb), mixed together once
// every source has rendered, so that each destination is read and written once per group of
// voices rather than once per voice. Engine lock held throughout.
#include "platform/xaudio2/mixmatrix.h"

#include <vector>

class TMixBatch
{
public:
    // The voice's frames stay valid until Flush.
    void Add(const float* samples, float* const* targets, const float (*levels)[2], UINT32 targetCount);
    void Flush(UINT32 frames);

private:
    // Voices sending to the same destinations, in the same order.
    struct TGroup
    {
        float* targets[TBatchVoice::kMaxTargets];
        UINT32 targetCount;
        std::vector<TBatchVoice> voices;
    };

    std::vector<TGroup> groups_;
};
