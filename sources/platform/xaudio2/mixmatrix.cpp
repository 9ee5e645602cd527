#include "platform/xaudio2/mixmatrix.h"

#include <cstring>

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
} // namespace

void MixThroughMatrix(const float* in, UINT32 inChannels, float* out, UINT32 outChannels, UINT32 frames,
                      const float* from, const float* to)
{
    if (frames == 0)
        return;
    const bool ramp = from != to && std::memcmp(from, to, inChannels * outChannels * sizeof(float)) != 0;
    const UINT32 layout = inChannels << 8 | outChannels;
    switch (layout)
    {
    case 1 << 8 | 2:
        return Mix<1, 2>(in, inChannels, out, outChannels, frames, from, to, ramp);
    case 2 << 8 | 2:
        return Mix<2, 2>(in, inChannels, out, outChannels, frames, from, to, ramp);
    case 1 << 8 | 6:
        return Mix<1, 6>(in, inChannels, out, outChannels, frames, from, to, ramp);
    case 2 << 8 | 6:
        return Mix<2, 6>(in, inChannels, out, outChannels, frames, from, to, ramp);
    default:
        return Mix<0, 0>(in, inChannels, out, outChannels, frames, from, to, ramp);
    }
}
