#include "ifx/particlearea.h"

#include "core/math/noise.h"
#include "ifx/particle.h"

#include <cmath>

namespace
{
constexpr f64 DIRECTION_EPSILON = 1e-30;
} // namespace

void SetSlowParticleVelocity(TParticle& particle, f32 vx, f32 vy, f32 vz)
{
    // In double: the squares of such speeds vanish in float.
    const f64 x = vx, y = vy, z = vz;
    const f64 length = std::sqrt(x * x + y * y + z * z);
    particle.fSpeed = static_cast<f32>(length);
    // A standing particle keeps the direction it had: dividing by 0 would make it NaN.
    if (length < DIRECTION_EPSILON)
        return;
    particle.aDirection[0] = static_cast<f32>(x / length);
    particle.aDirection[1] = static_cast<f32>(y / length);
    particle.aDirection[2] = static_cast<f32>(z / length);
}

TVector ParticleNoise(const TParticleAreaRecord& area, const TParticle& particle)
{
    const f32 scale = area.fNoiseScale;
    return NoiseVector3D(TVector(particle.aPosition[0] * scale, particle.aPosition[1] * scale,
                                 particle.aPosition[2] * scale, 1.0f),
                         1.0f);
}
