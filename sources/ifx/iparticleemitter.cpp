#include "ifx/iparticleemitter.h"

#include "core/math/random.h"
#include "core/system/abort.h"
#include "core/system/timer.h"
#include "directx/render/dxcameramanager.h"
#include "engine/render/camera.h"
#include "engine/sound/soundmanager.h"
#include "engine/system/node.h"
#include "ifx/iparticleemitterdata.h"
#include "ifx/particle.h"
#include "ifx/particleglobalarea.h"
#include "ifx/particlemanager.h"
#include "ifx/particlesystem.h"
#include "xaudio2/randomindex.h"

#include <algorithm>
#include <cmath>

namespace
{
// Global areas a step prepares once (the rest are found per particle).
constexpr i32 PARTICLE_CACHED_GLOBAL_AREAS = 16;
constexpr f32 QUIET_START_SECONDS = 10.0f;
constexpr f32 QUIET_START_SPREAD = 4.0f;
constexpr f32 QUIET_START_STEP = 0.5f;
constexpr f32 RADIANS = 0.017453292f;
constexpr f32 TWO_PI = 6.2831853f;

TVector Add(const TVector& a, const TVector& b, f32 scale)
{
    return TVector(a.x + b.x * scale, a.y + b.y * scale, a.z + b.z * scale, 1.0f);
}

// A uniform random unit vector.
TVector RandomUnitVector()
{
    const f32 z = 2.0f * ParticleRandom() - 1.0f;
    const f32 s = std::sqrt(std::max(0.0f, 1.0f - z * z));
    const f32 angle = TWO_PI * ParticleRandom();
    return TVector(s * std::cos(angle), s * std::sin(angle), z, 0.0f);
}

// A count drawn from data, as a whole number no larger than any particle array: a float beyond
// the integers (or not a number) must not reach the conversion.
u32 WholeCount(f32 value)
{
    if (!(value >= 1.0f))
        return 0;
    return value >= static_cast<f32>(PARTICLE_MAX_PARTICLES) ? PARTICLE_MAX_PARTICLES
                                                             : static_cast<u32>(value);
}
} // namespace

TCamera* ParticleCamera()
{
    return g_pDxCameraManager ? g_pDxCameraManager->GetCurrentCamera() : nullptr;
}

struct TIParticleEmitter::TStepContext
{
    u32 nLifeMode;
    f32 fGravity; // the pull per second: multiplier x factor x 18
    u32 nFrames;
    u32 bSheetStops;
    // The emitter's own areas, then the first global ones, in that order; those that move no
    // particle left out.
    u32 nAreas;
    TParticleAreaStep aArea[PARTICLE_AREA_CAPACITY + PARTICLE_CACHED_GLOBAL_AREAS];
    // The global areas past the prepared ones are found per particle.
    i32 nFirstUnprepared;
    i32 nGlobalAreas;
};

TParticleEmitter::TParticleEmitter()
{
    ResetState();
    m_nClassName = TName("TParticleEmitter", true).GetId();
}

void TParticleEmitter::ResetState()
{
    pAnimation = nullptr;
    m_fElapsed = m_fStartDelay = m_fIntervalTimer = m_fIntervalAccumulator = 0.0f;
    m_fTimeScale = 1.0f;
    m_nRunning = 0;
    pEmitterData = nullptr;
    pSystem = nullptr;
    std::fill(aMultiplier, aMultiplier + PARTICLE_MULTIPLIER_COUNT, 1.0f);
}

TIParticleEmitter::TIParticleEmitter() = default;

TIParticleEmitter::~TIParticleEmitter() = default;

void TIParticleEmitter::AssignAnimationData(TParticleEmitterAnimation*)
{
    __Abort("TIParticleEmitter::AssignAnimationData", "sources/ifx/ifx", __LINE__, "unimplemented");
}

f32 TIParticleEmitter::GetMultiplier(u32 index)
{
    return index < PARTICLE_MULTIPLIER_COUNT ? aMultiplier[index] : 0.0f;
}

void TIParticleEmitter::SetMultiplier(u32 index, f32 value)
{
    if (index < PARTICLE_MULTIPLIER_COUNT)
        aMultiplier[index] = value;
}

void TIParticleEmitter::OnEnable(u32 enabled)
{
    if (enabled)
        Start();
    else
        Stop();
}

TMatrix TIParticleEmitter::GetEmitMatrix() const
{
    const TIParticleEmitterData* data = Data();
    if (data->m_nFlags & PARTICLE_LOCAL_SPACE)
        return data->m_LocalMatrix;
    return TMatrix::Multiply(data->m_LocalMatrix, *GetNode()->GetWorldMatrix());
}

TVector TIParticleEmitter::GetNodePosition() const
{
    return GetNode()->GetWorldMatrix()->Translation();
}

void TIParticleEmitter::Start()
{
    TIParticleEmitterData* data = Data();
    if (!data)
        return;
    const u32 suspended = g_pParticleManager->IsSuspended();
    if (!suspended && (data->m_nFlags & PARTICLE_QUIET_START_OFF))
        return;
    m_fElapsed = 0.0f;
    m_nRunning = 1;
    m_fStartDelay = data->StartDelay.Draw();
    m_fIntervalTimer = 0.0f;
    m_fTimeScale = data->TimeScale.Draw();
    // A burst without spread is no burst.
    if (data->StartBurst.fSpread != 0.0f)
        Emit(WholeCount(data->StartBurst.Draw()));
    if (suspended)
    {
        if (data->pSoundData && g_pSoundManager)
        {
            TSound* sound = nullptr;
            g_pSoundManager->PlaySound(sound, data->pSoundData, GetNode(), -1, 1);
        }
    }
    else if (data->m_nFlags & PARTICLE_QUIET_PREWARM)
        PreSimulate(QUIET_START_SECONDS + QUIET_START_SPREAD * ParticleRandom(), QUIET_START_STEP);
}

void TIParticleEmitter::PreSimulate(f32 seconds, f32 step)
{
    if (!(seconds > 0.0f) || !(step > 0.0f))
        return;
    seconds = std::min(seconds, PARTICLE_PRESIMULATION_LIMIT);
    // Whole steps until the length is reached, one at least; more than the work allows take
    // the length in longer steps.
    const u32 particles = pSystem ? static_cast<u32>(std::max<i32>(pSystem->aParticle.GetCount(), 1)) : 1;
    const u32 limit = std::max<u32>(PARTICLE_PRESIMULATION_WORK / particles, 1);
    const f32 whole = std::ceil(seconds / step);
    u32 steps = whole < static_cast<f32>(limit) ? std::max(static_cast<u32>(whole), 1u) : limit;
    if (whole > static_cast<f32>(limit))
        step = seconds / static_cast<f32>(steps);
    f32 minimum[3], maximum[3];
    for (; steps > 0; --steps)
    {
        Advance(step);
        StepParticles(step, minimum, maximum);
    }
}

f32 TIParticleEmitter::LodFade(f32 distance) const
{
    const TIParticleEmitterData* data = Data();
    const f32 start = data->m_fLodStart;
    const f32 scale = data->m_fLodScale;
    // A scale of 1 or less has no logarithm to divide by: no fade.
    if (distance < start || !(scale > 1.0f))
        return 1.0f;
    return 1.0f / (std::log(distance + 1.0f - start) / std::log(scale) + 1.0f);
}

u32 TIParticleEmitter::ComputeRate(f32 dt)
{
    TIParticleEmitterData* data = Data();
    f32 fade = 1.0f;
    if (TCamera* camera = ParticleCamera())
    {
        const TVector& at = GetNodePosition();
        const TVector& eye = camera->m_Placement.Translation();
        const f32 dx = at.x - eye.x, dy = at.y - eye.y, dz = at.z - eye.z;
        fade = LodFade(std::sqrt(dx * dx + dy * dy + dz * dz));
    }
    const f32 n = data->Rate.Draw() * data->m_fRateScale * g_pParticleManager->GetLODFactor() * fade * dt;
    if (n == 0.0f)
        return 0;
    if (n >= 1.0f)
        return WholeCount(n);
    // Less than one particle is due: the interval timer waits for it.
    if (!(m_fIntervalTimer > 0.0f))
        m_fIntervalAccumulator = 0.0f;
    m_fIntervalTimer = dt / n;
    if (m_fIntervalAccumulator != 0.0f)
        m_fIntervalTimer = std::max(0.0f, m_fIntervalTimer - m_fIntervalAccumulator);
    return 0;
}

void TIParticleEmitter::Advance(f32 dt)
{
    TIParticleEmitterData* data = Data();
    if (!m_nRunning || !data || !ParticleCamera())
        return;
    m_fElapsed += dt;
    if (m_fElapsed < m_fStartDelay)
        return;
    const bool over = data->Rate.fBase == 0.0f ||
                      (data->m_fDuration > 0.0f && data->m_fDuration <= m_fElapsed) ||
                      data->m_nMaxParticles < 1;
    const bool rateChanged = (data->m_nFlags & PARTICLE_RATE_CHANGED) != 0;
    if (over && !rateChanged)
    {
        Stop();
        return;
    }
    if (rateChanged)
        ComputeRate(dt);
    // How far this frame went past the particle the timer waited for: the next wait is that
    // much shorter, or every wait would round up to whole frames and the rate follow the frame
    // rate (20 a second would be 15 at 30 frames a second).
    f32 overshoot = 0.0f;
    if (m_fIntervalTimer > 0.0f)
    {
        m_fIntervalTimer -= dt;
        m_fIntervalAccumulator += dt;
        if (m_fIntervalTimer > 0.0f)
            return;
        overshoot = -m_fIntervalTimer;
        m_fIntervalTimer = 0.0f;
        Emit(1);
    }
    if (const u32 count = ComputeRate(dt))
        Emit(count);
    else if (m_fIntervalTimer > 0.0f)
        m_fIntervalTimer = std::max(0.0f, m_fIntervalTimer - overshoot);
}

void TIParticleEmitter::Place(TParticle& particle, const TMatrix& frame)
{
    const TIParticleEmitterData* data = Data();
    const TVector& t = frame.Translation();
    const f32 ex = data->aExtent[0].Draw(), ey = data->aExtent[1].Draw(), ez = data->aExtent[2].Draw();
    TVector position = t;
    TVector axis = frame.AxisY();
    switch (data->m_nShape)
    {
    case PARTICLE_SHAPE_RECTANGLE_CORNERS: {
        const f32 sx = ParticleRandomSign(), sy = ParticleRandomSign();
        position = Add(Add(t, frame.AxisX(), sx * ex), frame.AxisY(), sy * ey);
        break;
    }
    case PARTICLE_SHAPE_BOX_CORNERS: {
        const f32 sx = ParticleRandomSign(), sy = ParticleRandomSign(), sz = ParticleRandomSign();
        position = TVector(t.x + sx * ex, t.y + sy * ey, t.z + sz * ez, 1.0f);
        break;
    }
    case PARTICLE_SHAPE_ELLIPSOID_SURFACE:
    case PARTICLE_SHAPE_ELLIPSOID_VOLUME: {
        TVector u = RandomUnitVector();
        if (data->m_nShape == PARTICLE_SHAPE_ELLIPSOID_VOLUME)
        {
            const f32 r = ParticleRandom();
            u = TVector(u.x * r, u.y * r, u.z * r, 0.0f);
        }
        axis = TVector(u.x * ex, u.y * ey, u.z * ez, 0.0f);
        position = Add(t, axis, 1.0f);
        break;
    }
    case PARTICLE_SHAPE_BOX_VOLUME: {
        TRandom& random = TRandom::Shared();
        const f32 zx2 = 2.0f * ez, yx2 = 2.0f * ey, xx2 = 2.0f * ex;
        const f32 c = random.GetFloat(&zx2) - ez;
        const f32 b = random.GetFloat(&yx2) - ey;
        const f32 a = random.GetFloat(&xx2) - ex;
        position = Add(Add(Add(t, frame.AxisX(), a), frame.AxisY(), b), frame.AxisZ(), c);
        break;
    }
    default:
        // A point; shapes 4 and 5 name no place: the emitter's centre.
        break;
    }
    particle.aPosition[0] = position.x;
    particle.aPosition[1] = position.y;
    particle.aPosition[2] = position.z;

    // The cone about the axis; an axis of no length (a point of the ellipsoid at its centre)
    // takes the frame's Y axis, and without one the world's.
    if (axis.Length() < VectorMinimumLength)
        axis =
            frame.AxisY().Length() >= VectorMinimumLength ? frame.AxisY() : TVector(0.0f, 1.0f, 0.0f, 0.0f);
    const f32 theta = data->ConeAngle.Draw() * aMultiplier[PARTICLE_MULTIPLIER_CONE] * RADIANS;
    const f32 phi = TWO_PI * ParticleRandom();
    TMatrix cone;
    cone.SetFromDirection(axis, 2);
    const TVector a = axis.Normalized();
    const f32 across = std::sin(theta);
    const f32 k1 = across * std::sin(phi), k2 = across * std::cos(phi), along = std::cos(theta);
    const f32 scale = aMultiplier[PARTICLE_MULTIPLIER_SPEED];
    const TVector& f1 = cone.aRow[0];
    const TVector& f2 = cone.aRow[1];
    particle.aDirection[0] = scale * (along * a.x + k1 * f1.x + k2 * f2.x);
    particle.aDirection[1] = scale * (along * a.y + k1 * f1.y + k2 * f2.y);
    particle.aDirection[2] = scale * (along * a.z + k1 * f1.z + k2 * f2.z);
}

u32 TIParticleEmitter::Emit(u32 count)
{
    TIParticleEmitterData* data = Data();
    TParticleSystem* system = pSystem;
    if (!data || !system)
        return 0;
    const TMatrix frame = GetEmitMatrix();
    const f32 frameTime = g_pTimer ? g_pTimer->GetRealTimeStep() : 0.0f;
    const TVector& base = data->m_BaseVelocity;
    const i32 lastFrame = static_cast<i32>(data->m_nSheetFrames) - 1;
    TStepContext context;
    MakeStepContext(context);
    u32 emitted = 0;
    for (; emitted < count; ++emitted)
    {
        const i32 index = system->m_nFreeHead;
        if (index < 0 || index >= system->aParticle.GetCount())
            break;
        TParticle& p = system->aParticle[index];
        system->m_nFreeHead = p.nLink;
        p.nLink = PARTICLE_ALIVE;
        p.nLodRank = static_cast<u32>(((system->m_nFreeHead % 16) + 16) % 16);
        p.fRate = 1.0f / std::max(data->Lifetime.Draw(), PARTICLE_MIN_LIFETIME);
        p.fAge = 0.0f;

        Place(p, frame);
        const f32 speed = data->Speed.Draw();
        SetParticleVelocity(p, base.x + speed * p.aDirection[0], base.y + speed * p.aDirection[1],
                            base.z + speed * p.aDirection[2]);
        // Born half a frame back along the base velocity.
        for (u32 axis = 0; axis < 3; ++axis)
            p.aPosition[axis] -= (&base.x)[axis] * frameTime * 0.5f;

        p.fAcceleration = data->Acceleration.Draw() * aMultiplier[PARTICLE_MULTIPLIER_ACCELERATION];
        for (u32 k = 0; k < 3; ++k)
            p.aAngle[k] = data->aAngle[k].Draw();
        for (u32 k = 0; k < 3; ++k)
        {
            f32 spin = data->Spin.Draw() * aMultiplier[PARTICLE_MULTIPLIER_SPIN];
            if (data->m_nSpinSignMode == 0)
                spin *= ParticleRandomSign();
            else if (data->m_nSpinSignMode == 2)
                spin = -spin;
            p.aAngularSpeed[k] = spin;
        }
        for (u32 k = 0; k < 3; ++k)
            p.aSize[k] = data->aSize[k].Draw() * aMultiplier[PARTICLE_MULTIPLIER_SIZE];
        p.fMiddleAge = data->MiddleSizeAge.Draw();
        for (u32 k = 0; k < 3; ++k)
            p.aScale[k] = data->aScale[k].Draw();
        p.fFrameRate = (data->m_nFlags & PARTICLE_SHEET_ANIMATED) ? data->FrameRate.Draw() : 0.0f;
        // Frames 0 to count - 1 (the last one's index is the largest).
        p.fFrame = (data->m_nFlags & PARTICLE_SHEET_RANDOM_START)
                       ? static_cast<f32>(RandomIndex(TRandom::Shared(), &lastFrame))
                       : 0.0f;
        p.fCameraDistance = 0.0f;
        // The births of one frame spread over the frame.
        const f32 t = ParticleRandom() * frameTime;
        if (t != 0.0f)
            Step(p, index, t, context);
    }
    return emitted;
}

void TIParticleEmitter::MakeStepContext(TStepContext& context) const
{
    const TIParticleEmitterData* data = Data();
    context.nLifeMode = data->m_nLifeMode;
    context.fGravity = aMultiplier[PARTICLE_MULTIPLIER_GRAVITY] * data->m_fGravity * PARTICLE_GRAVITY;
    context.nFrames = data->m_nSheetFrames;
    context.bSheetStops = (data->m_nFlags & PARTICLE_SHEET_STOP) ? 1 : 0;
    context.nAreas = 0;
    const TVector at = GetNodePosition();
    for (u32 i = 0; i < data->AreaCount(); ++i)
    {
        const f32* offset = data->aArea[i].aOffset;
        const TVector centre(at.x + offset[0], at.y + offset[1], at.z + offset[2], 1.0f);
        context.nAreas += context.aArea[context.nAreas].Prepare(data->aArea[i], centre);
    }
    context.nGlobalAreas = g_pParticleManager->GetGlobalAreaCount();
    context.nFirstUnprepared = std::min<i32>(context.nGlobalAreas, PARTICLE_CACHED_GLOBAL_AREAS);
    for (i32 i = 0; i < context.nFirstUnprepared; ++i)
    {
        const TParticleGlobalArea* area = g_pParticleManager->GetGlobalArea(i);
        context.nAreas += context.aArea[context.nAreas].Prepare(area->Area, area->GetCentre());
    }
}

// Inlined into the system's loop: a call per particle costs as much as the ageing.
[[gnu::always_inline]] inline u32 TIParticleEmitter::Move(TParticle& p, i32 index, f32 dt, const TStepContext& context)
{
    if (p.IsFree())
        return 1;
    if (context.nLifeMode != PARTICLE_LIFE_AGELESS)
        p.fAge += p.fRate * dt;
    if (p.fAge >= 1.0f)
    {
        if (context.nLifeMode == PARTICLE_LIFE_WRAPS)
            p.fAge -= 1.0f;
        else if (context.nLifeMode == PARTICLE_LIFE_HOLDS)
            p.fAge = 1.0f;
        else
        {
            p.fAge = PARTICLE_FREE;
            p.nLink = pSystem->m_nFreeHead;
            pSystem->m_nFreeHead = index;
            return 1;
        }
    }
    const f32 travel = p.fSpeed * dt;
    p.aPosition[0] += p.aDirection[0] * travel;
    p.aPosition[1] += p.aDirection[1] * travel;
    p.aPosition[2] += p.aDirection[2] * travel;
    p.aAngle[0] += p.aAngularSpeed[0] * dt;
    p.aAngle[1] += p.aAngularSpeed[1] * dt;
    if (p.fFrameRate != 0.0f)
    {
        p.fFrame += p.fFrameRate * dt;
        const f32 count = static_cast<f32>(context.nFrames);
        if (p.fFrame >= count)
        {
            if (context.bSheetStops)
            {
                p.fFrame = count > 0.0f ? count - 1.0f : 0.0f;
                p.fFrameRate = 0.0f;
            }
            else if (count > 0.0f)
                p.fFrame = std::fmod(p.fFrame, count);
        }
    }
    return 0;
}

u32 TIParticleEmitter::Step(TParticle& p, i32 index, f32 dt, const TStepContext& context)
{
    if (Move(p, index, dt, context))
        return 1;
    Bend(p, dt, context);
    return 0;
}

void TIParticleEmitter::Bend(TParticle& p, f32 dt, const TStepContext& context)
{
    AccelerateParticle(p, context.fGravity, dt);
    for (u32 i = 0; i < context.nAreas; ++i)
        context.aArea[i].Apply(p, dt);
    ApplyUnpreparedAreas(p, dt, context);
}

void TIParticleEmitter::BendFour(TParticle* const four[4], f32 dt, const TStepContext& context)
{
    BendFourParticles(four, context.fGravity, dt, context.aArea, context.nAreas);
    if (context.nFirstUnprepared < context.nGlobalAreas)
        for (u32 i = 0; i < 4; ++i)
            ApplyUnpreparedAreas(*four[i], dt, context);
}

void TIParticleEmitter::ApplyUnpreparedAreas(TParticle& p, f32 dt, const TStepContext& context)
{
    for (i32 i = context.nFirstUnprepared; i < context.nGlobalAreas; ++i)
    {
        const TParticleGlobalArea* area = g_pParticleManager->GetGlobalArea(i);
        ApplyParticleArea(area->Area, area->GetCentre(), p, dt);
    }
}

u32 TIParticleEmitter::StepParticle(TParticle& particle, i32 index, f32 dt)
{
    if (!Data() || !pSystem)
        return 1;
    TStepContext context;
    MakeStepContext(context);
    return Step(particle, index, dt, context);
}

i32 TIParticleEmitter::StepParticles(f32 dt, f32* minimum, f32* maximum)
{
    if (!Data() || !pSystem)
        return 0;
    TStepContext context;
    MakeStepContext(context);
    DArray<TParticle>& particles = pSystem->aParticle;
    // Live particles wait here for the change of their flights, which then bends a batch four
    // at a time: in a loop of its own the roots and divisions of one four overlap with the next
    // four's instead of waiting on each other.
    constexpr u32 BATCH = 32;
    TParticle* batch[BATCH];
    u32 waiting = 0;
    i32 live = 0;
    f32 low[3] = {}, high[3] = {};
    for (i32 i = 0; i < particles.GetCount(); ++i)
    {
        TParticle& p = particles[i];
        if (Move(p, i, dt, context))
            continue;
        batch[waiting++] = &p;
        if (waiting == BATCH)
        {
            for (u32 k = 0; k < BATCH; k += 4)
                BendFour(batch + k, dt, context);
            waiting = 0;
        }
        // The bending changes no position: the box is the same before it.
        for (u32 axis = 0; axis < 3; ++axis)
        {
            const f32 v = p.aPosition[axis];
            low[axis] = live == 0 || v < low[axis] ? v : low[axis];
            high[axis] = live == 0 || v > high[axis] ? v : high[axis];
        }
        ++live;
    }
    for (u32 i = 0; i < waiting; ++i)
        Bend(*batch[i], dt, context);
    if (live)
        for (u32 axis = 0; axis < 3; ++axis)
        {
            minimum[axis] = low[axis];
            maximum[axis] = high[axis];
        }
    return live;
}
