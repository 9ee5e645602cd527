#pragma once
// TParticleRange: a value that varies per particle, {base, spread}: drawn as base + r x spread
// with r uniform in [0, 1) from the engine's shared generator. The draws of the module.
#include "core/math/random.h"

// r in [0, 1): the shared generator's next word x 2^-32.
inline f32 ParticleRandom()
{
    return static_cast<f32>(TRandom::Shared().Next() * (1.0 / 4294967296.0));
}

// +1 when r is at least 0.5, else -1.
inline f32 ParticleRandomSign()
{
    return ParticleRandom() >= 0.5f ? 1.0f : -1.0f;
}

struct TParticleRange
{
    f32 fBase;
    f32 fSpread;

    f32 Draw() const { return fBase + ParticleRandom() * fSpread; }
};

static_assert(sizeof(TParticleRange) == 8);
