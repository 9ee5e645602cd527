#include "platform/xaudio2/mixbatch.h"

#include <algorithm>

void TMixBatch::Add(const float* samples, float* const* targets, const float (*levels)[2], UINT32 targetCount)
{
    auto group = std::find_if(groups_.begin(), groups_.end(), [&](const TGroup& candidate) {
        return candidate.targetCount == targetCount && std::equal(targets, targets + targetCount, candidate.targets);
    });
    if (group == groups_.end())
    {
        groups_.push_back({{}, targetCount, {}});
        std::copy(targets, targets + targetCount, groups_.back().targets);
        group = groups_.end() - 1;
    }
    TBatchVoice voice = {samples, {}};
    for (UINT32 t = 0; t < targetCount; ++t)
        std::copy(levels[t], levels[t] + 2, voice.levels[t]);
    group->voices.push_back(voice);
}

void TMixBatch::Flush(UINT32 frames)
{
    for (TGroup& group : groups_)
        MixMonoBatch(group.voices.data(), static_cast<UINT32>(group.voices.size()), frames, group.targets,
                     group.targetCount);
    // Groups that had no voice this time go; the others keep their room for the next quantum.
    groups_.erase(std::remove_if(groups_.begin(), groups_.end(), [](const TGroup& group) { return group.voices.empty(); }),
                  groups_.end());
    for (TGroup& group : groups_)
        group.voices.clear();
}
