#include "ifx/particlearea.h"

#include "core/math/noise.h"
#include "ifx/particle.h"

#include <cmath>
#include <cstddef>
#include <emmintrin.h>

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

namespace
{
// Rows {x, y, z, next} of the four particles from the field at `offset`, as columns: lane i is
// particle i.
[[gnu::always_inline]] inline void LoadFour(TParticle* const particles[4], size_t offset, __m128& x, __m128& y,
                                            __m128& z, __m128& w)
{
    const auto row = [&](u32 i) {
        return _mm_loadu_ps(reinterpret_cast<const f32*>(reinterpret_cast<const u8*>(particles[i]) + offset));
    };
    x = row(0);
    y = row(1);
    z = row(2);
    w = row(3);
    _MM_TRANSPOSE4_PS(x, y, z, w);
}

[[gnu::always_inline]] inline __m128 Select(__m128 mask, __m128 changed, __m128 kept)
{
    return _mm_or_ps(_mm_and_ps(mask, changed), _mm_andnot_ps(mask, kept));
}

constexpr size_t DIRECTION = offsetof(TParticle, aDirection);
static_assert(offsetof(TParticle, fSpeed) == DIRECTION + 12);

// Four particles' flights in lanes: direction and speed, loaded once, changed in registers and
// stored once (a store read back at once would wait for the memory).
struct TFourFlights
{
    TParticle* const* pParticle;
    __m128 x, y, z, speed;

    explicit TFourFlights(TParticle* const particles[4]) : pParticle(particles)
    {
        LoadFour(particles, DIRECTION, x, y, z, speed);
    }
    void Store() const
    {
        __m128 a = x, b = y, c = z, d = speed;
        _MM_TRANSPOSE4_PS(a, b, c, d);
        const __m128 rows[4] = {a, b, c, d};
        for (u32 i = 0; i < 4; ++i)
            _mm_storeu_ps(pParticle[i]->aDirection, rows[i]);
    }
    // SetParticleVelocity in the lanes of `mask`; false (nothing changed) when a lane's square
    // is below FLT_MIN, which only the plain way measures.
    [[gnu::always_inline]] bool SetVelocity(__m128 mask, __m128 vx, __m128 vy, __m128 vz)
    {
        const __m128 square = _mm_add_ps(_mm_add_ps(_mm_mul_ps(vx, vx), _mm_mul_ps(vy, vy)), _mm_mul_ps(vz, vz));
        if (_mm_movemask_ps(_mm_and_ps(mask, _mm_cmplt_ps(square, _mm_set1_ps(FLT_MIN)))))
            return false;
        const __m128 length = _mm_sqrt_ps(square);
        const __m128 inverse = _mm_div_ps(_mm_set1_ps(1.0f), length);
        x = Select(mask, _mm_mul_ps(vx, inverse), x);
        y = Select(mask, _mm_mul_ps(vy, inverse), y);
        z = Select(mask, _mm_mul_ps(vz, inverse), z);
        speed = Select(mask, length, speed);
        return true;
    }
};
} // namespace

void BendFourParticles(TParticle* const particles[4], f32 gravity, f32 dt, const TParticleAreaStep* areas,
                       u32 areaCount)
{
    TFourFlights flights(particles);
    const __m128 all = _mm_castsi128_ps(_mm_set1_epi32(-1));
    const __m128 zero = _mm_setzero_ps();
    if (gravity != 0.0f &&
        !flights.SetVelocity(all, _mm_mul_ps(flights.x, flights.speed),
                             _mm_sub_ps(_mm_mul_ps(flights.y, flights.speed), _mm_set1_ps(gravity * dt)),
                             _mm_mul_ps(flights.z, flights.speed)))
    {
        // Nearly standing particles are rare: the four take the plain way.
        for (u32 i = 0; i < 4; ++i)
        {
            AccelerateParticle(*particles[i], gravity, dt);
            for (u32 a = 0; a < areaCount; ++a)
                areas[a].Apply(*particles[i], dt);
        }
        return;
    }
    const __m128 acceleration = _mm_setr_ps(particles[0]->fAcceleration, particles[1]->fAcceleration,
                                            particles[2]->fAcceleration, particles[3]->fAcceleration);
    __m128 faster = _mm_add_ps(flights.speed, _mm_mul_ps(acceleration, _mm_set1_ps(dt)));
    faster = _mm_andnot_ps(_mm_and_ps(_mm_cmplt_ps(acceleration, zero), _mm_cmplt_ps(faster, zero)), faster);
    flights.speed = Select(_mm_cmpneq_ps(acceleration, zero), faster, flights.speed);

    __m128 px, py, pz, next;
    LoadFour(particles, offsetof(TParticle, aPosition), px, py, pz, next);
    for (u32 a = 0; a < areaCount; ++a)
    {
        const TParticleAreaStep& area = areas[a];
        if (area.nMode != PARTICLE_AREA_PULL)
        {
            flights.Store();
            for (u32 i = 0; i < 4; ++i)
                area.Apply(*particles[i], dt);
            flights = TFourFlights(particles);
            continue;
        }
        __m128 dx = _mm_sub_ps(_mm_set1_ps(area.aCentre[0]), px);
        __m128 dy = _mm_sub_ps(_mm_set1_ps(area.aCentre[1]), py);
        __m128 dz = _mm_sub_ps(_mm_set1_ps(area.aCentre[2]), pz);
        const __m128 square = _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz));
        // Inside: not (|d|^2 >= R^2), as Apply asks (a square that is no number is inside).
        const __m128 inside = _mm_cmpnge_ps(square, _mm_set1_ps(area.fRadiusSquare));
        if (_mm_movemask_ps(inside) == 0)
            continue;
        const __m128 k = _mm_mul_ps(_mm_mul_ps(_mm_set1_ps(area.fPull), _mm_sqrt_ps(square)), _mm_set1_ps(dt));
        if (area.nAxisMask & PARTICLE_AREA_AXIS_X)
            dx = zero;
        if (area.nAxisMask & PARTICLE_AREA_AXIS_Y)
            dy = zero;
        if (area.nAxisMask & PARTICLE_AREA_AXIS_Z)
            dz = zero;
        const __m128 vx = _mm_add_ps(_mm_mul_ps(flights.x, flights.speed), _mm_mul_ps(k, dx));
        const __m128 vy = _mm_add_ps(_mm_mul_ps(flights.y, flights.speed), _mm_mul_ps(k, dy));
        const __m128 vz = _mm_add_ps(_mm_mul_ps(flights.z, flights.speed), _mm_mul_ps(k, dz));
        if (!flights.SetVelocity(inside, vx, vy, vz))
        {
            flights.Store();
            for (u32 i = 0; i < 4; ++i)
                area.Apply(*particles[i], dt);
            flights = TFourFlights(particles);
        }
    }
    flights.Store();
}
