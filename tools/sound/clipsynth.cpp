#include "clipsynth.h"

#include "engine/sound/sounddata.h"
#include "platform/xaudio2/audiodefs.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr f32 PI = 3.14159265358979f;
constexpr f32 FULL_SCALE = 20000.0f;
// Tones of a clip that does not loop start and end over this long, so they do not click.
constexpr f32 EDGE_SECONDS = 0.005f;

// Where a wave crosses zero rising: an endless loop starts there, so its first sample makes no
// step out of silence (its whole periods end there too).
f32 ZeroCrossingPhase(EClipWave wave)
{
    return wave == EClipWave::Saw ? 0.5f : 0.0f;
}

// One channel of a clip, sample by sample.
class TToneWriter
{
public:
    TToneWriter(u32 seed, f32 ratio, bool edges, f32 phase)
        : m_nNoise(seed), m_fRatio(ratio), m_bEdges(edges), m_fPhase(phase)
    {
    }

    void Write(const TClipTone& tone, std::vector<f32>& out)
    {
        const u32 count = static_cast<u32>(std::lround(tone.fSeconds * CLIP_SAMPLE_RATE));
        const u32 edge = m_bEdges ? std::min<u32>(count / 2, static_cast<u32>(EDGE_SECONDS * CLIP_SAMPLE_RATE)) : 0;
        for (u32 i = 0; i < count; ++i)
        {
            const f32 t = static_cast<f32>(i) / static_cast<f32>(count);
            const f32 hz = (tone.fFromHz + (tone.fToHz - tone.fFromHz) * t) * m_fRatio;
            m_fPhase += hz / CLIP_SAMPLE_RATE;
            m_fPhase -= std::floor(m_fPhase);
            f32 level = tone.fLevel + (tone.fEndLevel - tone.fLevel) * t;
            if (edge && i < edge)
                level *= static_cast<f32>(i) / static_cast<f32>(edge);
            if (edge && count - i <= edge)
                level *= static_cast<f32>(count - i) / static_cast<f32>(edge);
            out.push_back(level * Wave(tone, static_cast<f32>(i) / CLIP_SAMPLE_RATE));
        }
    }

private:
    f32 Noise()
    {
        m_nNoise = m_nNoise * 1664525u + 1013904223u;
        return static_cast<f32>(m_nNoise >> 8) / 8388608.0f - 1.0f;
    }

    f32 Wave(const TClipTone& tone, f32 seconds)
    {
        switch (tone.wave)
        {
        case EClipWave::Sine:
            return std::sin(2.0f * PI * m_fPhase);
        case EClipWave::Saw:
            return 2.0f * m_fPhase - 1.0f;
        case EClipWave::Square:
            return m_fPhase < 0.5f ? 0.7f : -0.7f;
        case EClipWave::Noise:
            return Noise();
        case EClipWave::Gusts: {
            const f32 opening = 0.02f + 0.1f * (0.5f - 0.5f * std::cos(2.0f * PI * tone.fFromHz * seconds));
            m_fLowPass += opening * (Noise() - m_fLowPass);
            return 1.5f * m_fLowPass;
        }
        }
        return 0.0f;
    }

    u32 m_nNoise;
    f32 m_fRatio;
    bool m_bEdges;
    f32 m_fPhase;
    f32 m_fLowPass = 0.0f;
};

void Put(std::vector<u8>& block, const void* data, u32 size)
{
    const u8* bytes = static_cast<const u8*>(data);
    block.insert(block.end(), bytes, bytes + size);
}
} // namespace

std::vector<u8> SynthesizeClip(const TClipRecipe& recipe)
{
    const bool loops = (recipe.nFlags & SOUND_DATA_ENDLESS) != 0;
    std::vector<std::vector<f32>> channels(recipe.nChannels);
    for (u32 c = 0; c < recipe.nChannels; ++c)
    {
        // Each channel its own noise, from a seed of the name: the same on every run.
        u32 seed = 0x2545F491u + c;
        for (const char* at = recipe.szName; *at; ++at)
            seed = seed * 31u + static_cast<u8>(*at);
        const f32 phase = loops && !recipe.aTone.empty() ? ZeroCrossingPhase(recipe.aTone.front().wave) : 0.0f;
        TToneWriter writer(seed, c == 0 ? 1.0f : recipe.fRightRatio, !loops, phase);
        for (const TClipTone& tone : recipe.aTone)
            writer.Write(tone, channels[c]);
    }
    const u32 frames = static_cast<u32>(channels[0].size());

    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(recipe.nChannels);
    format.nSamplesPerSec = CLIP_SAMPLE_RATE;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(2 * recipe.nChannels);
    format.nAvgBytesPerSec = CLIP_SAMPLE_RATE * format.nBlockAlign;
    std::vector<u8> block;
    block.reserve(sizeof format + 4 + frames * format.nBlockAlign);
    Put(block, &format, sizeof format);
    const u32 table = 0;
    Put(block, &table, 4);
    for (u32 i = 0; i < frames; ++i)
        for (u32 c = 0; c < recipe.nChannels; ++c)
        {
            const f32 value = std::clamp(channels[c][i] * FULL_SCALE, -32767.0f, 32767.0f);
            const i16 sample = static_cast<i16>(std::lround(value));
            Put(block, &sample, 2);
        }
    return block;
}
