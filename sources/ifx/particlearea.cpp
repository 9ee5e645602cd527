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

void PushParticle(const TParticleAreaRecord& area, TParticle& particle, f32 dx, f32 dy, f32 dz, f32 dt)
{
    f32 d[3] = {dx, dy, dz};
    const f32 length = std::sqrt(dx * dx + dy * dy + dz * dz);
    const f32 k = area.fStrength / area.fRadius * length * dt;
    if (area.nMode == PARTICLE_AREA_NOISE)
    {
        const f32 scale = area.fNoiseScale;
        const TVector noise =
            NoiseVector3D(TVector(particle.aPosition[0] * scale, particle.aPosition[1] * scale,
                                  particle.aPosition[2] * scale, 1.0f),
                          1.0f);
        d[0] = noise.x;
        d[1] = noise.y;
        d[2] = noise.z;
    }
    else if (area.nMode != PARTICLE_AREA_PULL)
        return;
    for (u32 axis = 0; axis < 3; ++axis)
        if (area.nAxisMask & (1u << axis))
            d[axis] = 0.0f;
    const f32* v = particle.aDirection;
    const f32 speed = particle.fSpeed;
    SetParticleVelocity(particle, v[0] * speed + k * d[0], v[1] * speed + k * d[1], v[2] * speed + k * d[2]);
}
