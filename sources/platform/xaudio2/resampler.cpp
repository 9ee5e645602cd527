#include "platform/xaudio2/resampler.h"

#include "platform/xaudio2/xaudio2.h"

#include <cstring>

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

void ResampleLinear(ESampleKind kind, UINT32 channels, const BYTE* data, std::uint64_t position, std::uint64_t step,
                    UINT32 count, float* out)
{
    switch (kind)
    {
    case ESampleKind::Unsigned8:
        return ResampleChannels<TUnsigned8>(channels, data, position, step, count, out);
    case ESampleKind::Signed16:
        return ResampleChannels<TSigned16>(channels, data, position, step, count, out);
    case ESampleKind::Float32:
        return ResampleChannels<TFloat32>(channels, data, position, step, count, out);
    }
}
