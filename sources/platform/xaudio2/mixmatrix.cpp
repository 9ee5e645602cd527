#include "platform/xaudio2/mixmatrix.h"

#include "platform/xaudio2/vectorlevel.h"

#include <algorithm>
#include <cstring>

#include <immintrin.h>

namespace
{
// Channel counts known at compile time for the common layouts; 0 reads them at run time.
template <UINT32 kIn, UINT32 kOut>
void MixConstant(const float* in, UINT32 runtimeIn, float* out, UINT32 runtimeOut, UINT32 frames, const float* levels)
{
    const UINT32 inChannels = kIn ? kIn : runtimeIn;
    const UINT32 outChannels = kOut ? kOut : runtimeOut;
    for (UINT32 f = 0; f < frames; ++f)
    {
        for (UINT32 d = 0; d < outChannels; ++d)
        {
            float sum = 0.0f;
            for (UINT32 s = 0; s < inChannels; ++s)
                sum += in[s] * levels[d * inChannels + s];
            out[d] += sum;
        }
        in += inChannels;
        out += outChannels;
    }
}

// Mono into stereo and stereo into stereo at constant levels, the usual sends, eight floats at
// a time with AVX2, then four; the generic loop finishes the frames that are left. Both widths
// multiply and add alike, so they give the same bits. A mono voice's stereo sends share one
// pass: each group of samples is spread to left and right once for all of them.
constexpr UINT32 kMaxFused = 8;

[[gnu::target("avx2")]] UINT32 MixMonoToStereosWide(const float* in, UINT32 frames, const TMixTarget* const* targets,
                                                   UINT32 count)
{
    __m256 gains[kMaxFused];
    for (UINT32 t = 0; t < count; ++t)
    {
        const float* levels = targets[t]->to;
        gains[t] = _mm256_setr_ps(levels[0], levels[1], levels[0], levels[1], levels[0], levels[1], levels[0],
                                  levels[1]);
    }
    UINT32 f = 0;
    for (; f + 8 <= frames; f += 8)
    {
        const __m256 samples = _mm256_loadu_ps(in + f);
        const __m256 low = _mm256_unpacklo_ps(samples, samples);
        const __m256 high = _mm256_unpackhi_ps(samples, samples);
        const __m256 first = _mm256_permute2f128_ps(low, high, 0x20);
        const __m256 second = _mm256_permute2f128_ps(low, high, 0x31);
        for (UINT32 t = 0; t < count; ++t)
        {
            float* target = targets[t]->out + 2 * f;
            _mm256_storeu_ps(target, _mm256_add_ps(_mm256_loadu_ps(target), _mm256_mul_ps(first, gains[t])));
            _mm256_storeu_ps(target + 8, _mm256_add_ps(_mm256_loadu_ps(target + 8), _mm256_mul_ps(second, gains[t])));
        }
    }
    return f;
}

void MixMonoToStereos(const float* in, UINT32 frames, const TMixTarget* const* targets, UINT32 count)
{
    UINT32 f = MixerUsesAvx2() ? MixMonoToStereosWide(in, frames, targets, count) : 0;
    __m128 gains[kMaxFused];
    for (UINT32 t = 0; t < count; ++t)
        gains[t] = _mm_setr_ps(targets[t]->to[0], targets[t]->to[1], targets[t]->to[0], targets[t]->to[1]);
    for (; f + 4 <= frames; f += 4)
    {
        const __m128 samples = _mm_loadu_ps(in + f);
        const __m128 first = _mm_unpacklo_ps(samples, samples);
        const __m128 second = _mm_unpackhi_ps(samples, samples);
        for (UINT32 t = 0; t < count; ++t)
        {
            float* target = targets[t]->out + 2 * f;
            _mm_storeu_ps(target, _mm_add_ps(_mm_loadu_ps(target), _mm_mul_ps(first, gains[t])));
            _mm_storeu_ps(target + 4, _mm_add_ps(_mm_loadu_ps(target + 4), _mm_mul_ps(second, gains[t])));
        }
    }
    for (UINT32 t = 0; t < count; ++t)
        MixConstant<1, 2>(in + f, 1, targets[t]->out + 2 * f, 2, frames - f, targets[t]->to);
}

[[gnu::target("avx2")]] UINT32 MixStereoToStereoWide(const float* in, float* out, UINT32 frames, const float* levels)
{
    const __m256 straight = _mm256_setr_ps(levels[0], levels[3], levels[0], levels[3], levels[0], levels[3], levels[0],
                                           levels[3]);
    const __m256 crossed = _mm256_setr_ps(levels[1], levels[2], levels[1], levels[2], levels[1], levels[2], levels[1],
                                          levels[2]);
    UINT32 f = 0;
    for (; f + 4 <= frames; f += 4)
    {
        const __m256 samples = _mm256_loadu_ps(in + 2 * f);
        const __m256 swapped = _mm256_permute_ps(samples, _MM_SHUFFLE(2, 3, 0, 1));
        float* target = out + 2 * f;
        _mm256_storeu_ps(target, _mm256_add_ps(_mm256_loadu_ps(target), _mm256_add_ps(_mm256_mul_ps(samples, straight),
                                                                                      _mm256_mul_ps(swapped, crossed))));
    }
    return f;
}

void MixConstantStereoToStereo(const float* in, float* out, UINT32 frames, const float* levels)
{
    // Left out = left in x levels[0] + right in x levels[1]; right out = left x [2] + right x [3].
    const __m128 straight = _mm_setr_ps(levels[0], levels[3], levels[0], levels[3]);
    const __m128 crossed = _mm_setr_ps(levels[1], levels[2], levels[1], levels[2]);
    UINT32 f = MixerUsesAvx2() ? MixStereoToStereoWide(in, out, frames, levels) : 0;
    for (; f + 2 <= frames; f += 2)
    {
        const __m128 samples = _mm_loadu_ps(in + 2 * f);
        const __m128 swapped = _mm_shuffle_ps(samples, samples, _MM_SHUFFLE(2, 3, 0, 1));
        float* target = out + 2 * f;
        _mm_storeu_ps(target, _mm_add_ps(_mm_loadu_ps(target), _mm_add_ps(_mm_mul_ps(samples, straight),
                                                                          _mm_mul_ps(swapped, crossed))));
    }
    MixConstant<2, 2>(in + 2 * f, 2, out + 2 * f, 2, frames - f, levels);
}

template <UINT32 kIn, UINT32 kOut>
void MixRamped(const float* in, UINT32 runtimeIn, float* out, UINT32 runtimeOut, UINT32 frames, const float* from,
               const float* to)
{
    const UINT32 inChannels = kIn ? kIn : runtimeIn;
    const UINT32 outChannels = kOut ? kOut : runtimeOut;
    const UINT32 count = inChannels * outChannels;
    float levels[64];
    float delta[64];
    for (UINT32 i = 0; i < count; ++i)
    {
        delta[i] = (to[i] - from[i]) / static_cast<float>(frames);
        levels[i] = from[i];
    }
    for (UINT32 f = 0; f < frames; ++f)
    {
        const bool last = f + 1 == frames;
        for (UINT32 i = 0; i < count; ++i)
            levels[i] = last ? to[i] : levels[i] + delta[i];
        for (UINT32 d = 0; d < outChannels; ++d)
        {
            float sum = 0.0f;
            for (UINT32 s = 0; s < inChannels; ++s)
                sum += in[s] * levels[d * inChannels + s];
            out[d] += sum;
        }
        in += inChannels;
        out += outChannels;
    }
}

template <UINT32 kIn, UINT32 kOut>
void Mix(const float* in, UINT32 inChannels, float* out, UINT32 outChannels, UINT32 frames, const float* from,
         const float* to, bool ramp)
{
    if (ramp)
        MixRamped<kIn, kOut>(in, inChannels, out, outChannels, frames, from, to);
    else
        MixConstant<kIn, kOut>(in, inChannels, out, outChannels, frames, to);
}

bool Steady(const TMixTarget& target, UINT32 inChannels)
{
    return target.from == target.to ||
           std::memcmp(target.from, target.to, inChannels * target.outChannels * sizeof(float)) == 0;
}

void MixOne(const float* in, UINT32 inChannels, UINT32 frames, const TMixTarget& target)
{
    float* out = target.out;
    const UINT32 outChannels = target.outChannels;
    const bool ramp = !Steady(target, inChannels);
    const UINT32 layout = inChannels << 8 | outChannels;
    if (!ramp && layout == (2 << 8 | 2))
        return MixConstantStereoToStereo(in, out, frames, target.to);
    switch (layout)
    {
    case 1 << 8 | 2:
        return Mix<1, 2>(in, inChannels, out, outChannels, frames, target.from, target.to, ramp);
    case 2 << 8 | 2:
        return Mix<2, 2>(in, inChannels, out, outChannels, frames, target.from, target.to, ramp);
    case 1 << 8 | 6:
        return Mix<1, 6>(in, inChannels, out, outChannels, frames, target.from, target.to, ramp);
    case 2 << 8 | 6:
        return Mix<2, 6>(in, inChannels, out, outChannels, frames, target.from, target.to, ramp);
    default:
        return Mix<0, 0>(in, inChannels, out, outChannels, frames, target.from, target.to, ramp);
    }
}
} // namespace

void MixThroughMatrices(const float* in, UINT32 inChannels, UINT32 frames, const TMixTarget* targets, UINT32 count)
{
    if (frames == 0)
        return;
    const TMixTarget* fused[kMaxFused];
    UINT32 fusedCount = 0;
    for (UINT32 t = 0; t < count; ++t)
    {
        if (inChannels == 1 && targets[t].outChannels == 2 && fusedCount < kMaxFused && Steady(targets[t], 1))
            fused[fusedCount++] = &targets[t];
        else
            MixOne(in, inChannels, frames, targets[t]);
    }
    if (fusedCount)
        MixMonoToStereos(in, frames, fused, fusedCount);
}

namespace
{
// Voices summed before their targets are touched: few enough that their frames stay in the
// first-level cache.
constexpr UINT32 kBatchGroup = 16;

template <UINT32 kTargets>
[[gnu::target("avx2")]] UINT32 MixMonoBatchWide(const TBatchVoice* voices, UINT32 count, UINT32 frames,
                                                float* const* targets)
{
    UINT32 f = 0;
    for (; f + 8 <= frames; f += 8)
    {
        __m256 sums[kTargets][2];
        for (auto& target : sums)
            target[0] = target[1] = _mm256_setzero_ps();
        for (UINT32 v = 0; v < count; ++v)
        {
            const __m256 samples = _mm256_loadu_ps(voices[v].samples + f);
            for (UINT32 t = 0; t < kTargets; ++t)
                for (UINT32 side = 0; side < 2; ++side)
                    sums[t][side] = _mm256_add_ps(sums[t][side],
                                                  _mm256_mul_ps(samples, _mm256_set1_ps(voices[v].levels[t][side])));
        }
        for (UINT32 t = 0; t < kTargets; ++t)
        {
            const __m256 low = _mm256_unpacklo_ps(sums[t][0], sums[t][1]);
            const __m256 high = _mm256_unpackhi_ps(sums[t][0], sums[t][1]);
            float* target = targets[t] + 2 * f;
            _mm256_storeu_ps(target, _mm256_add_ps(_mm256_loadu_ps(target), _mm256_permute2f128_ps(low, high, 0x20)));
            _mm256_storeu_ps(target + 8,
                             _mm256_add_ps(_mm256_loadu_ps(target + 8), _mm256_permute2f128_ps(low, high, 0x31)));
        }
    }
    return f;
}

template <UINT32 kTargets>
void MixMonoBatchGroup(const TBatchVoice* voices, UINT32 count, UINT32 frames, float* const* targets)
{
    UINT32 f = MixerUsesAvx2() ? MixMonoBatchWide<kTargets>(voices, count, frames, targets) : 0;
    for (; f + 4 <= frames; f += 4)
    {
        __m128 sums[kTargets][2];
        for (auto& target : sums)
            target[0] = target[1] = _mm_setzero_ps();
        for (UINT32 v = 0; v < count; ++v)
        {
            const __m128 samples = _mm_loadu_ps(voices[v].samples + f);
            for (UINT32 t = 0; t < kTargets; ++t)
                for (UINT32 side = 0; side < 2; ++side)
                    sums[t][side] =
                        _mm_add_ps(sums[t][side], _mm_mul_ps(samples, _mm_set1_ps(voices[v].levels[t][side])));
        }
        for (UINT32 t = 0; t < kTargets; ++t)
        {
            float* target = targets[t] + 2 * f;
            _mm_storeu_ps(target, _mm_add_ps(_mm_loadu_ps(target), _mm_unpacklo_ps(sums[t][0], sums[t][1])));
            _mm_storeu_ps(target + 4, _mm_add_ps(_mm_loadu_ps(target + 4), _mm_unpackhi_ps(sums[t][0], sums[t][1])));
        }
    }
    for (; f < frames; ++f)
        for (UINT32 t = 0; t < kTargets; ++t)
            for (UINT32 side = 0; side < 2; ++side)
            {
                float sum = 0.0f;
                for (UINT32 v = 0; v < count; ++v)
                    sum += voices[v].samples[f] * voices[v].levels[t][side];
                targets[t][2 * f + side] += sum;
            }
}
} // namespace

void MixMonoBatch(const TBatchVoice* voices, UINT32 count, UINT32 frames, float* const* targets, UINT32 targetCount)
{
    for (UINT32 first = 0; first < count; first += kBatchGroup)
    {
        const UINT32 group = std::min(kBatchGroup, count - first);
        if (targetCount == 1)
            MixMonoBatchGroup<1>(voices + first, group, frames, targets);
        else
            MixMonoBatchGroup<2>(voices + first, group, frames, targets);
    }
}
