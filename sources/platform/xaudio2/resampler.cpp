#include "platform/xaudio2/resampler.h"

#include "platform/xaudio2/vectorlevel.h"
#include "platform/xaudio2/xaudio2.h"

#include <algorithm>
#include <cstring>

#include <immintrin.h>

namespace
{
struct TUnsigned8
{
    static constexpr UINT32 kBytes = 1;
    static float Read(const BYTE* p) { return (static_cast<int>(*p) - 128) * (1.0f / 128.0f); }
};

struct TSigned16
{
    static constexpr UINT32 kBytes = 2;
    static float Read(const BYTE* p)
    {
        std::int16_t value;
        std::memcpy(&value, p, sizeof(value));
        return value * (1.0f / 32768.0f);
    }
};

struct TFloat32
{
    static constexpr UINT32 kBytes = 4;
    static float Read(const BYTE* p)
    {
        float value;
        std::memcpy(&value, p, sizeof(value));
        if (value != value)
            return 0.0f;
        if (value > XAUDIO2_MAX_VOLUME_LEVEL)
            return XAUDIO2_MAX_VOLUME_LEVEL;
        if (value < -XAUDIO2_MAX_VOLUME_LEVEL)
            return -XAUDIO2_MAX_VOLUME_LEVEL;
        return value;
    }
};

// Channels known at compile time for mono and stereo; 0 reads `channels` at run time.
template <class Sample, UINT32 kChannels>
void Resample(UINT32 runtimeChannels, const BYTE* data, std::uint64_t position, std::uint64_t step, UINT32 count,
              float* out)
{
    const UINT32 channels = kChannels ? kChannels : runtimeChannels;
    const UINT32 frameBytes = channels * Sample::kBytes;
    for (UINT32 k = 0; k < count; ++k)
    {
        const BYTE* frame = data + static_cast<std::size_t>(position >> 32) * frameBytes;
        const float fraction = PositionFraction(position);
        for (UINT32 c = 0; c < channels; ++c)
        {
            const float first = Sample::Read(frame + c * Sample::kBytes);
            const float second = Sample::Read(frame + frameBytes + c * Sample::kBytes);
            out[c] = first + (second - first) * fraction;
        }
        out += channels;
        position += step;
    }
}

// 16-bit frames, the usual sound data, four output frames at a time: each frame's sample and
// its neighbour are blended in integers by 14-bit weights (one multiply-add instruction for
// the four), then scaled to floats. The position walks as a frame index and a 32-bit fraction
// in plain registers; the fraction lanes wrap as the fraction does.
constexpr float kWeightedScale = 1.0f / (32768.0f * 16384.0f);

struct TWalk
{
    std::uint32_t index;
    std::uint32_t fraction;
    std::uint32_t indexStep;
    std::uint32_t fractionStep;

    TWalk(std::uint64_t position, std::uint64_t step)
        : index(static_cast<std::uint32_t>(position >> 32)), fraction(static_cast<std::uint32_t>(position)),
          indexStep(static_cast<std::uint32_t>(step >> 32)), fractionStep(static_cast<std::uint32_t>(step))
    {
    }
    void Next()
    {
        const std::uint32_t fractionAfter = fraction + fractionStep;
        index += indexStep + (fractionAfter < fraction);
        fraction = fractionAfter;
    }
    std::int32_t Weights() const
    {
        const std::int32_t part = static_cast<std::int32_t>(fraction >> 18);
        return (16384 - part) | part << 16;
    }
    // The fractions of this frame and the three after it, one lane each; adding FourSteps
    // moves them on by four frames, wrapping as the fraction does.
    __m128i FractionLanes() const
    {
        const std::uint32_t s = fractionStep;
        return _mm_setr_epi32(static_cast<int>(fraction), static_cast<int>(fraction + s),
                              static_cast<int>(fraction + 2 * s), static_cast<int>(fraction + 3 * s));
    }
    __m128i FourSteps() const { return _mm_set1_epi32(static_cast<int>(4 * fractionStep)); }
};

inline __m128i WeightLanes(__m128i fractions)
{
    const __m128i parts = _mm_srli_epi32(fractions, 18);
    return _mm_or_si128(_mm_sub_epi32(_mm_set1_epi32(16384), parts), _mm_slli_epi32(parts, 16));
}

inline __m128i Load32(const BYTE* p)
{
    std::int32_t value;
    std::memcpy(&value, p, sizeof(value));
    return _mm_cvtsi32_si128(value);
}

// The same eight frames at a time with AVX2: the positions walk as 64-bit lanes (frames 0, 1,
// 4, 5 in one register and 2, 3, 6, 7 in the other, so that their high words interleave into
// frame order with one blend) and the fractions as 32-bit lanes; a window or a gather fetches
// each frame with its neighbour.
struct TWideWalk
{
    __m256i even; // positions of frames 0, 1, 4, 5 of the group
    __m256i odd;  // frames 2, 3, 6, 7
    __m256i fractions;
    __m256i eightSteps;
    __m256i eightFractionSteps;

    [[gnu::target("avx2")]] TWideWalk(std::uint64_t position, std::uint64_t step)
    {
        const auto at = [&](int frame) { return static_cast<long long>(position + frame * step); };
        even = _mm256_setr_epi64x(at(0), at(1), at(4), at(5));
        odd = _mm256_setr_epi64x(at(2), at(3), at(6), at(7));
        const auto low = [&](int frame) { return static_cast<int>(static_cast<std::uint32_t>(at(frame))); };
        fractions = _mm256_setr_epi32(low(0), low(1), low(2), low(3), low(4), low(5), low(6), low(7));
        eightSteps = _mm256_set1_epi64x(static_cast<long long>(8 * step));
        eightFractionSteps = _mm256_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(8 * step)));
    }
    // The frame indices of the eight positions, in frame order.
    [[gnu::target("avx2")]] __m256i Indices() const
    {
        return _mm256_blend_epi32(_mm256_shuffle_epi32(even, _MM_SHUFFLE(3, 1, 3, 1)),
                                  _mm256_shuffle_epi32(odd, _MM_SHUFFLE(3, 1, 3, 1)), 0xCC);
    }
    [[gnu::target("avx2")]] void Next()
    {
        even = _mm256_add_epi64(even, eightSteps);
        odd = _mm256_add_epi64(odd, eightSteps);
        fractions = _mm256_add_epi32(fractions, eightFractionSteps);
    }
};

[[gnu::target("avx2")]] inline __m256i WideWeights(__m256i fractions)
{
    const __m256i parts = _mm256_srli_epi32(fractions, 18);
    return _mm256_or_si256(_mm256_sub_epi32(_mm256_set1_epi32(16384), parts), _mm256_slli_epi32(parts, 16));
}

// Returns the frames done; the caller finishes the rest. At steps up to two frames, eight
// output frames read at most 17 neighbouring samples: two loads of that window, permuted,
// serve them without a gather while the window lies inside the buffer's `frames`.
[[gnu::target("avx2")]] UINT32 ResampleMono16Wide(const BYTE* data, UINT32 frames, std::uint64_t position,
                                                 std::uint64_t step, UINT32 count, float* out)
{
    constexpr std::uint64_t kWindow = 17;
    const __m256 scale = _mm256_set1_ps(kWeightedScale);
    TWideWalk walk(position, step);
    UINT32 groups = count / 8;
    UINT32 windowed = 0;
    if (step <= 2 * kPositionOne && (position >> 32) + kWindow <= frames)
    {
        // The groups whose first frame leaves the window inside the buffer.
        const std::uint64_t room = ((std::uint64_t(frames) - kWindow) << 32) - (position & ~0xFFFFFFFFull);
        windowed = static_cast<UINT32>(std::min<std::uint64_t>(groups, room / (8 * step) + 1));
    }
    UINT32 k = 0;
    for (UINT32 group = 0; group < windowed; ++group, k += 8)
    {
        const __m256i indices = walk.Indices();
        const std::uint32_t first = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(indices)));
        const __m256i offsets = _mm256_sub_epi32(indices, _mm256_set1_epi32(static_cast<int>(first)));
        const __m256i dwords = _mm256_srli_epi32(offsets, 1);
        const BYTE* window = data + std::size_t(first) * 2;
        const __m256 even = _mm256_castsi256_ps(
            _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(window)), dwords));
        const __m256 odd = _mm256_castsi256_ps(
            _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(window + 2)), dwords));
        // An odd offset's pair starts one sample later: take it from the second load.
        const __m256i pairs = _mm256_castps_si256(
            _mm256_blendv_ps(even, odd, _mm256_castsi256_ps(_mm256_slli_epi32(offsets, 31))));
        const __m256i blended = _mm256_madd_epi16(pairs, WideWeights(walk.fractions));
        _mm256_storeu_ps(out + k, _mm256_mul_ps(_mm256_cvtepi32_ps(blended), scale));
        walk.Next();
    }
    for (UINT32 group = windowed; group < groups; ++group, k += 8)
    {
        const __m256i pairs = _mm256_i32gather_epi32(reinterpret_cast<const int*>(data), walk.Indices(), 2);
        const __m256i blended = _mm256_madd_epi16(pairs, WideWeights(walk.fractions));
        _mm256_storeu_ps(out + k, _mm256_mul_ps(_mm256_cvtepi32_ps(blended), scale));
        walk.Next();
    }
    return k;
}

[[gnu::target("avx2")]] UINT32 ResampleStereo16Wide(const BYTE* data, std::uint64_t position, std::uint64_t step,
                                                   UINT32 count, float* out)
{
    const __m256 scale = _mm256_set1_ps(kWeightedScale);
    TWideWalk walk(position, step);
    UINT32 k = 0;
    for (; k + 8 <= count; k += 8)
    {
        const __m256i indices = walk.Indices();
        const __m256i weights = WideWeights(walk.fractions);
        for (int half = 0; half < 2; ++half)
        {
            // Four frames, each with its neighbour: left, right, next left, next right.
            const __m256i frames = _mm256_i32gather_epi64(reinterpret_cast<const long long*>(data),
                                                          half ? _mm256_extracti128_si256(indices, 1)
                                                               : _mm256_castsi256_si128(indices),
                                                          4);
            const __m256i paired =
                _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(frames, _MM_SHUFFLE(3, 1, 2, 0)), _MM_SHUFFLE(3, 1, 2, 0));
            const __m256i lanes = half ? _mm256_setr_epi32(4, 4, 5, 5, 6, 6, 7, 7) : _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3);
            const __m256i blended = _mm256_madd_epi16(paired, _mm256_permutevar8x32_epi32(weights, lanes));
            _mm256_storeu_ps(out + 2 * k + 8 * half, _mm256_mul_ps(_mm256_cvtepi32_ps(blended), scale));
        }
        walk.Next();
    }
    return k;
}

void ResampleMono16(const BYTE* data, UINT32 frames, std::uint64_t position, std::uint64_t step, UINT32 count,
                    float* out)
{
    if (MixerUsesAvx2())
    {
        const UINT32 done = ResampleMono16Wide(data, frames, position, step, count, out);
        position += done * step;
        count -= done;
        out += done;
    }
    const __m128 scale = _mm_set1_ps(kWeightedScale);
    TWalk walk(position, step);
    __m128i fractions = walk.FractionLanes();
    const __m128i fourSteps = walk.FourSteps();
    UINT32 k = 0;
    for (; k + 4 <= count; k += 4)
    {
        const __m128i weights = WeightLanes(fractions);
        fractions = _mm_add_epi32(fractions, fourSteps);
        __m128i pairs[4];
        for (__m128i& pair : pairs)
        {
            pair = Load32(data + std::size_t(walk.index) * 2);
            walk.Next();
        }
        const __m128i together = _mm_unpacklo_epi64(_mm_unpacklo_epi32(pairs[0], pairs[1]),
                                                    _mm_unpacklo_epi32(pairs[2], pairs[3]));
        _mm_storeu_ps(out + k, _mm_mul_ps(_mm_cvtepi32_ps(_mm_madd_epi16(together, weights)), scale));
    }
    for (; k < count; ++k, walk.Next())
    {
        std::int16_t pair[2];
        std::memcpy(pair, data + std::size_t(walk.index) * 2, 4);
        const std::int32_t weights = walk.Weights();
        out[k] = static_cast<float>(pair[0] * (weights & 0xFFFF) + pair[1] * (weights >> 16)) * kWeightedScale;
    }
}

void ResampleStereo16(const BYTE* data, std::uint64_t position, std::uint64_t step, UINT32 count, float* out)
{
    if (MixerUsesAvx2())
    {
        const UINT32 done = ResampleStereo16Wide(data, position, step, count, out);
        position += done * step;
        count -= done;
        out += 2 * done;
    }
    const __m128 scale = _mm_set1_ps(kWeightedScale);
    TWalk walk(position, step);
    // Left, right, next left, next right -> left and next left, right and next right.
    const auto pairUp = [data](std::uint32_t index) {
        return _mm_shufflelo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(data + std::size_t(index) * 4)),
                                   _MM_SHUFFLE(3, 1, 2, 0));
    };
    __m128i fractions = walk.FractionLanes();
    const __m128i fourSteps = walk.FourSteps();
    UINT32 k = 0;
    for (; k + 4 <= count; k += 4)
    {
        const __m128i weights = WeightLanes(fractions);
        fractions = _mm_add_epi32(fractions, fourSteps);
        __m128i frames[4];
        for (__m128i& frame : frames)
        {
            frame = pairUp(walk.index);
            walk.Next();
        }
        const __m128i first = _mm_madd_epi16(_mm_unpacklo_epi64(frames[0], frames[1]),
                                             _mm_shuffle_epi32(weights, _MM_SHUFFLE(1, 1, 0, 0)));
        const __m128i second = _mm_madd_epi16(_mm_unpacklo_epi64(frames[2], frames[3]),
                                              _mm_shuffle_epi32(weights, _MM_SHUFFLE(3, 3, 2, 2)));
        _mm_storeu_ps(out + 2 * k, _mm_mul_ps(_mm_cvtepi32_ps(first), scale));
        _mm_storeu_ps(out + 2 * k + 4, _mm_mul_ps(_mm_cvtepi32_ps(second), scale));
    }
    for (; k < count; ++k, walk.Next())
    {
        std::int16_t frame[4];
        std::memcpy(frame, data + std::size_t(walk.index) * 4, 8);
        const std::int32_t weights = walk.Weights();
        for (int c = 0; c < 2; ++c)
            out[2 * k + c] =
                static_cast<float>(frame[c] * (weights & 0xFFFF) + frame[2 + c] * (weights >> 16)) * kWeightedScale;
    }
}

template <class Sample>
void ResampleChannels(UINT32 channels, const BYTE* data, std::uint64_t position, std::uint64_t step, UINT32 count,
                      float* out)
{
    if (channels == 1)
        Resample<Sample, 1>(channels, data, position, step, count, out);
    else if (channels == 2)
        Resample<Sample, 2>(channels, data, position, step, count, out);
    else
        Resample<Sample, 0>(channels, data, position, step, count, out);
}

template <class Sample> void Decode(UINT32 channels, const BYTE* frame, float* out)
{
    for (UINT32 c = 0; c < channels; ++c)
        out[c] = Sample::Read(frame + c * Sample::kBytes);
}
} // namespace

void DecodeFrame(ESampleKind kind, UINT32 channels, const BYTE* frame, float* out)
{
    switch (kind)
    {
    case ESampleKind::Unsigned8:
        return Decode<TUnsigned8>(channels, frame, out);
    case ESampleKind::Signed16:
        return Decode<TSigned16>(channels, frame, out);
    case ESampleKind::Float32:
        return Decode<TFloat32>(channels, frame, out);
    }
}

void ResampleLinear(ESampleKind kind, UINT32 channels, const BYTE* data, UINT32 frames, std::uint64_t position,
                    std::uint64_t step, UINT32 count, float* out)
{
    switch (kind)
    {
    case ESampleKind::Unsigned8:
        return ResampleChannels<TUnsigned8>(channels, data, position, step, count, out);
    case ESampleKind::Signed16:
        if (channels == 1)
            return ResampleMono16(data, frames, position, step, count, out);
        if (channels == 2)
            return ResampleStereo16(data, position, step, count, out);
        return ResampleChannels<TSigned16>(channels, data, position, step, count, out);
    case ESampleKind::Float32:
        return ResampleChannels<TFloat32>(channels, data, position, step, count, out);
    }
}
