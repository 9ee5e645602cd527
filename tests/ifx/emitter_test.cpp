// Emission and motion: the rate with its interval timer and LOD fade, bursts, quiet starts and
// pre-simulation, the shapes and cone, and a particle's step through its life.
#include "particlefixture.h"

#include "core/math/noise.h"

#include <cmath>
#include <cstring>
#include <set>
#include <tuple>
#include <vector>

namespace
{
using EmitterTest = ParticleTest;

constexpr f32 kFrame = 1.0f / 60.0f;

TParticle Flying(f32 vx, f32 vy, f32 vz)
{
    TParticle p = {};
    p.fRate = 1.0f;
    p.nLink = PARTICLE_ALIVE;
    SetParticleVelocity(p, vx, vy, vz);
    return p;
}
} // namespace

TEST_F(EmitterTest, HalfAParticleASecondComesEveryTwoSecondsThroughTheIntervalTimer)
{
    TIParticleEmitterData* data = MakeData("slow");
    data->Rate = {0.5f, 0.0f};
    data->Lifetime = {100.0f, 0.0f};
    TIParticleSystem* system = MakeSystem(data);
    system->Start();
    ASSERT_TRUE(system->IsRunning());
    std::vector<int> births;
    i32 live = 0;
    for (int frame = 1; frame <= 20 * 60 + 2; ++frame)
    {
        system->Update(kFrame);
        if (system->m_nLive > live)
            births.push_back(frame);
        live = system->m_nLive;
    }
    // Two seconds apart, within the frame the timer's float steps may add.
    ASSERT_GE(births.size(), 9u);
    EXPECT_LE(births[0], 122);
    for (size_t i = 1; i < births.size(); ++i)
    {
        EXPECT_GE(births[i] - births[i - 1], 120) << i;
        EXPECT_LE(births[i] - births[i - 1], 121) << i;
    }
}

TEST_F(EmitterTest, ABurstNeedsASpreadAndEmissionStopsAtTheFreeParticles)
{
    TIParticleEmitterData* data = MakeData("burst", 8);
    data->StartBurst = {5.0f, 0.0f};
    TIParticleSystem* system = MakeSystem(data);
    system->Start();
    EXPECT_EQ(LiveCount(system), 0);
    system->Stop(0);
    data->StartBurst = {5.0f, 1.0f};
    system->Restart();
    EXPECT_EQ(LiveCount(system), 5);

    // Only the free ones: three left of eight.
    EXPECT_EQ(EmitterOf(system)->Emit(20), 3u);
    EXPECT_EQ(LiveCount(system), 8);
    EXPECT_EQ(EmitterOf(system)->Emit(1), 0u);
    EXPECT_EQ(system->m_nFreeHead, PARTICLE_LIST_END);
    // Particles are taken from the highest index down; the rank is the new head's modulo 16.
    EXPECT_EQ(std::vector<u32>({system->aParticle[7].nLodRank, system->aParticle[0].nLodRank}), std::vector<u32>({6, 15}));
}

TEST_F(EmitterTest, DistantEmittersFadeByTheLogarithmOfTheirDistance)
{
    TIParticleEmitterData* data = MakeData("far");
    data->Rate = {600.0f, 0.0f};
    TIParticleSystem* system = MakeSystem(data);
    TIParticleEmitter* emitter = EmitterOf(system);
    EXPECT_EQ(emitter->LodFade(39.9f), 1.0f);
    const f32 fade = 1.0f / (std::log(101.0f) / std::log(10.0f) + 1.0f);
    EXPECT_FLOAT_EQ(emitter->LodFade(140.0f), fade);

    // 600 a second over a tenth at 140 m: 60 times the fade.
    TMatrix at(1.0f);
    at.aRow[3] = TVector(0.0f, 0.0f, 140.0f, 1.0f);
    m_Node.SetLocalMatrix(at, TNode::OrdinaryCause());
    EXPECT_EQ(emitter->ComputeRate(0.1f), static_cast<u32>(60.0f * fade));
    // The LOD factor scales it too.
    Manager().SetLODFactor(0.5f);
    EXPECT_EQ(emitter->ComputeRate(0.1f), static_cast<u32>(30.0f * fade));

    // A scale with no logarithm to divide by: no fade, on both sides of 1.
    for (auto [scale, distance, faded] : {std::tuple{1.0f, 140.0f, false}, {1.0001f, 140.0f, true}, {0.0f, 1.0e6f, false}})
    {
        data->m_fLodScale = scale;
        EXPECT_EQ(emitter->LodFade(distance) < 1.0f, faded) << scale;
    }
}

TEST_F(EmitterTest, LifeModesAgeingAndTheNewParticle)
{
    TIParticleEmitterData* data = MakeData("life", 4);
    TIParticleSystem* system = MakeSystem(data);
    TIParticleEmitter* emitter = EmitterOf(system);
    system->ResetParticles();

    // A lifetime of 0 lives a thousandth of a second, not never.
    data->Lifetime = {0.0f, 0.0f};
    ASSERT_EQ(emitter->Emit(1), 1u);
    TParticle& born = system->aParticle[3];
    EXPECT_FLOAT_EQ(born.fRate, 1000.0f);
    EXPECT_EQ(born.fAge, 0.0f);
    EXPECT_EQ(born.nLink, PARTICLE_ALIVE);

    TParticle particle = Flying(0.0f, 1.0f, 0.0f);
    const auto stepAt = [&](u32 mode, f32 dt) {
        data->m_nLifeMode = mode;
        particle.fAge = 0.5f;
        return emitter->StepParticle(particle, 2, dt);
    };
    for (auto [mode, age] : {std::pair{PARTICLE_LIFE_WRAPS, 0.75f}, {PARTICLE_LIFE_HOLDS, 1.0f}, {PARTICLE_LIFE_AGELESS, 0.5f}})
    {
        EXPECT_EQ(stepAt(mode, 1.25f), 0u) << mode;
        EXPECT_FLOAT_EQ(particle.fAge, age) << mode;
    }
    // Mode 0 dies, and heads the free list.
    const i32 head = system->m_nFreeHead;
    EXPECT_EQ(stepAt(PARTICLE_LIFE_DIES, 1.25f), 1u);
    EXPECT_TRUE(particle.IsFree());
    EXPECT_EQ(std::vector<i32>({particle.nLink, system->m_nFreeHead}), std::vector<i32>({head, 2}));
    // A free particle stays free.
    EXPECT_EQ(emitter->StepParticle(particle, 2, 1.0f), 1u);
}

TEST_F(EmitterTest, MotionGravityAccelerationSpinAndTheSheet)
{
    TIParticleEmitterData* data = MakeData("motion", 4);
    data->m_nLifeMode = PARTICLE_LIFE_AGELESS;
    TIParticleSystem* system = MakeSystem(data);
    TIParticleEmitter* emitter = EmitterOf(system);

    TParticle p = Flying(2.0f, 0.0f, 0.0f);
    emitter->StepParticle(p, 0, 0.5f);
    EXPECT_FLOAT_EQ(p.aPosition[0], 1.0f);

    // Gravity: 18 units a second per factor, scaled by multiplier 22.
    data->m_fGravity = 1.0f;
    emitter->SetMultiplier(PARTICLE_MULTIPLIER_GRAVITY, 0.5f);
    p = Flying(0.0f, 0.0f, 0.0f);
    p.aDirection[0] = 1.0f;
    emitter->StepParticle(p, 0, 1.0f);
    EXPECT_FLOAT_EQ(p.fSpeed, 9.0f);
    EXPECT_FLOAT_EQ(p.aDirection[1], -1.0f);
    data->m_fGravity = 0.0f;

    // A speed that falls to 0 stays there.
    p = Flying(1.0f, 0.0f, 0.0f);
    p.fAcceleration = -10.0f;
    emitter->StepParticle(p, 0, 1.0f);
    EXPECT_EQ(p.fSpeed, 0.0f);
    emitter->StepParticle(p, 0, 1.0f);
    EXPECT_EQ(p.fSpeed, 0.0f);
    p.fAcceleration = 2.0f;
    emitter->StepParticle(p, 0, 1.0f);
    EXPECT_EQ(p.fSpeed, 2.0f);

    // The first two angles turn; the third is left as drawn.
    p.aAngularSpeed[0] = 90.0f;
    p.aAngularSpeed[1] = -30.0f;
    p.aAngularSpeed[2] = 45.0f;
    emitter->StepParticle(p, 0, 1.0f);
    EXPECT_EQ(p.aAngle[0], 90.0f);
    EXPECT_EQ(p.aAngle[1], -30.0f);
    EXPECT_EQ(p.aAngle[2], 0.0f);

    // The sheet: four frames at 3 a second wrap, or with flag 0x4 stop on the last.
    data->m_nSheetFrames = 4;
    p.fFrame = 0.0f;
    p.fFrameRate = 3.0f;
    emitter->StepParticle(p, 0, 1.5f);
    EXPECT_FLOAT_EQ(p.fFrame, 0.5f);
    data->m_nFlags |= PARTICLE_SHEET_STOP;
    emitter->StepParticle(p, 0, 1.5f);
    EXPECT_EQ(p.fFrame, 3.0f);
    EXPECT_EQ(p.fFrameRate, 0.0f);

    // A standing particle keeps its direction; the least speed that has one takes it.
    p = Flying(0.0f, 0.0f, 3.0f);
    SetParticleVelocity(p, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(p.fSpeed, 0.0f);
    EXPECT_EQ(p.aDirection[2], 1.0f);
    SetParticleVelocity(p, 0.0f, 1e-31f, 0.0f);
    EXPECT_EQ(p.aDirection[2], 1.0f);
    SetParticleVelocity(p, 0.0f, 1e-29f, 0.0f);
    EXPECT_FLOAT_EQ(p.aDirection[1], 1.0f);
}

TEST_F(EmitterTest, ForceAreasPullAndStirInsideTheirRadius)
{
    TParticleAreaRecord area = {};
    area.nMode = PARTICLE_AREA_PULL;
    area.fRadius = 4.0f;
    area.fStrength = 8.0f;
    const TVector centre(0.0f, 0.0f, 0.0f, 1.0f);

    // At 2 units from the centre, moving across: pulled by S / R x L x dt along the offset.
    TParticle p = Flying(0.0f, 1.0f, 0.0f);
    p.aPosition[0] = 2.0f;
    ApplyParticleArea(area, centre, p, 0.5f);
    EXPECT_FLOAT_EQ(p.aDirection[0] * p.fSpeed, -4.0f);
    EXPECT_FLOAT_EQ(p.aDirection[1] * p.fSpeed, 1.0f);
    // The masked axis is not pushed.
    p = Flying(0.0f, 1.0f, 0.0f);
    p.aPosition[0] = 2.0f;
    area.nAxisMask = PARTICLE_AREA_AXIS_X;
    ApplyParticleArea(area, centre, p, 0.5f);
    EXPECT_FLOAT_EQ(p.aDirection[1], 1.0f);
    EXPECT_FLOAT_EQ(p.fSpeed, 1.0f);
    area.nAxisMask = 0;
    // At the radius and beyond, nothing; mode 1 does nothing either.
    for (auto [x, mode] : {std::pair{4.0f, PARTICLE_AREA_PULL}, {2.0f, PARTICLE_AREA_NONE}})
    {
        p.aPosition[0] = x;
        area.nMode = mode;
        ApplyParticleArea(area, centre, p, 0.5f);
        EXPECT_FLOAT_EQ(p.fSpeed, 1.0f) << x;
    }
    // Noise: the noise vector of the scaled position.
    area.nMode = PARTICLE_AREA_NOISE;
    area.fNoiseScale = 0.5f;
    p = Flying(0.0f, 1.0f, 0.0f);
    p.aPosition[0] = 2.0f;
    p.aPosition[1] = 1.0f;
    const TVector noise = NoiseVector3D(TVector(1.0f, 0.5f, 0.0f, 1.0f), 1.0f);
    const f32 k = 8.0f / 4.0f * std::sqrt(5.0f) * 0.5f;
    ApplyParticleArea(area, centre, p, 0.5f);
    EXPECT_NEAR(p.aDirection[0] * p.fSpeed, k * noise.x, 1e-5f);
    EXPECT_NEAR(p.aDirection[1] * p.fSpeed, 1.0f + k * noise.y, 1e-5f);
    // A radius of 0 holds nothing (no division by it).
    area.fRadius = 0.0f;
    p = Flying(0.0f, 1.0f, 0.0f);
    ApplyParticleArea(area, centre, p, 0.5f);
    EXPECT_EQ(p.fSpeed, 1.0f);
}

// The system's step bends its particles four at a time; every bit must come out as one
// particle's step gives it: inside and outside the areas, a masked axis, the noise, braking to
// a stop, nearly standing particles, dying and free ones, and a count no batch divides.
TEST_F(EmitterTest, TheSystemsStepEqualsEachParticlesOwnToTheBit)
{
    constexpr i32 kCount = 71;
    TIParticleEmitterData* data = MakeData("batched", kCount);
    data->m_fGravity = 0.05f;
    const f32 offset[4] = {0.0f, 3.0f, 0.0f, 1.0f};
    const u32 pull = 1, stir = 2, flat = 3;
    data->AddArea(&pull, PARTICLE_AREA_PULL, offset, 6.0f, 0.7f);
    data->AddArea(&flat, PARTICLE_AREA_PULL, offset, 4.0f, 0.3f)->nAxisMask = PARTICLE_AREA_AXIS_Y;
    data->AddArea(&stir, PARTICLE_AREA_NOISE, offset, 5.0f, 0.2f)->fNoiseScale = 0.5f;
    TIParticleSystem* system = MakeSystem(data);
    TIParticleEmitter* emitter = EmitterOf(system);
    system->ResetParticles();
    ASSERT_EQ(emitter->Emit(kCount), static_cast<u32>(kCount));
    u32 seed = 7;
    const auto random = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<f32>(seed >> 8) / static_cast<f32>(1u << 24);
    };
    for (i32 i = 0; i < kCount; ++i)
    {
        TParticle& p = system->aParticle[i];
        for (f32& x : p.aPosition)
            x = random() * 16.0f - 8.0f;
        SetParticleVelocity(p, random() * 4.0f - 2.0f, random() * 4.0f - 2.0f, random() - 0.5f);
        p.fAcceleration = i % 3 == 0 ? -50.0f : i % 3 == 1 ? 0.5f : 0.0f;
        p.fAge = random() * 0.9f;
    }
    const f32 dt = 0.05f;
    // Standing still after gravity: rising exactly as fast as it pulls.
    TParticle& balanced = system->aParticle[4];
    SetParticleVelocity(balanced, 0.0f, 1.0f * 0.05f * PARTICLE_GRAVITY * dt, 0.0f);
    balanced.fAcceleration = 0.0f;
    // Braked to a stop at the pulls' centre: no pull there, the areas leave it standing.
    TParticle& stopped = system->aParticle[9];
    stopped.aPosition[0] = 0.0f;
    stopped.aPosition[1] = 3.0f;
    stopped.aPosition[2] = 0.0f;
    stopped.fSpeed = 0.0f;
    stopped.fAcceleration = -1000.0f;
    // Dying this step, and free before it.
    system->aParticle[12].fAge = 0.999f;
    system->aParticle[13].fAge = PARTICLE_FREE;
    system->aParticle[13].nLink = PARTICLE_LIST_END;

    const std::vector<TParticle> before(system->aParticle.GetData(), system->aParticle.GetData() + kCount);
    const i32 head = system->m_nFreeHead;
    f32 low[3] = {}, high[3] = {};
    const i32 live = emitter->StepParticles(dt, low, high);
    const std::vector<TParticle> batched(system->aParticle.GetData(), system->aParticle.GetData() + kCount);
    const i32 batchedHead = system->m_nFreeHead;

    system->m_nFreeHead = head;
    std::vector<TParticle> single = before;
    i32 singleLive = 0;
    for (i32 i = 0; i < kCount; ++i)
        singleLive += emitter->StepParticle(single[i], i, dt) ? 0 : 1;
    EXPECT_EQ(live, singleLive);
    EXPECT_EQ(live, kCount - 2);
    EXPECT_EQ(batchedHead, system->m_nFreeHead);
    for (i32 i = 0; i < kCount; ++i)
        EXPECT_EQ(std::memcmp(&batched[i], &single[i], sizeof(TParticle)), 0) << "particle " << i;
    // The areas did bend: the pulled particles no longer fly as gravity alone would have them.
    EXPECT_NE(std::memcmp(&batched[0].aDirection, &before[0].aDirection, sizeof before[0].aDirection), 0);
    EXPECT_LE(low[0], high[0]);
    EXPECT_EQ(std::vector<f32>({batched[4].fSpeed, batched[4].aDirection[1], batched[9].fSpeed}), std::vector<f32>({0.0f, 1.0f, 0.0f}));
}

TEST_F(EmitterTest, ShapesPlaceAndTheConeAims)
{
    TIParticleEmitterData* data = MakeData("shapes", 256);
    data->aExtent[0] = {2.0f, 0.0f};
    data->aExtent[1] = {3.0f, 0.0f};
    data->aExtent[2] = {4.0f, 0.0f};
    data->m_LocalMatrix.aRow[3] = TVector(1.0f, 0.0f, 0.0f, 1.0f);
    TMatrix place(1.0f);
    place.aRow[3] = TVector(10.0f, 0.0f, 0.0f, 1.0f);
    m_Node.SetLocalMatrix(place, TNode::OrdinaryCause());
    TIParticleSystem* system = MakeSystem(data);
    TIParticleEmitter* emitter = EmitterOf(system);
    const auto emitOne = [&](u32 shape) -> TParticle& {
        data->m_nShape = shape;
        system->ResetParticles();
        emitter->Emit(1);
        return system->aParticle[system->aParticle.GetCount() - 1];
    };
    for (int i = 0; i < 16; ++i)
    {
        const TParticle& corner = emitOne(PARTICLE_SHAPE_RECTANGLE_CORNERS);
        EXPECT_EQ(std::fabs(corner.aPosition[0] - 11.0f), 2.0f);
        EXPECT_EQ(std::fabs(corner.aPosition[1]), 3.0f);
        EXPECT_EQ(corner.aPosition[2], 0.0f);
        const TParticle& box = emitOne(PARTICLE_SHAPE_BOX_CORNERS);
        EXPECT_EQ(std::fabs(box.aPosition[2]), 4.0f);
        const TParticle& volume = emitOne(PARTICLE_SHAPE_BOX_VOLUME);
        EXPECT_LT(std::fabs(volume.aPosition[0] - 11.0f), 2.0f);
        EXPECT_LT(std::fabs(volume.aPosition[2]), 4.0f);
        const TParticle& surface = emitOne(PARTICLE_SHAPE_ELLIPSOID_SURFACE);
        const f32 x = (surface.aPosition[0] - 11.0f) / 2.0f, y = surface.aPosition[1] / 3.0f,
                  z = surface.aPosition[2] / 4.0f;
        EXPECT_NEAR(x * x + y * y + z * z, 1.0f, 1e-4f);
        const TParticle& inside = emitOne(PARTICLE_SHAPE_ELLIPSOID_VOLUME);
        const f32 a = (inside.aPosition[0] - 11.0f) / 2.0f, b = inside.aPosition[1] / 3.0f,
                  c = inside.aPosition[2] / 4.0f;
        EXPECT_LE(a * a + b * b + c * c, 1.0001f);
    }
    // Shapes 4 and 5 name no place: the emitter's centre, not what the slot held.
    system->ResetParticles();
    system->aParticle[255].aPosition[0] = 99.0f;
    data->m_nShape = 4;
    emitter->Emit(1);
    EXPECT_EQ(system->aParticle[255].aPosition[0], 11.0f);
    EXPECT_EQ(emitOne(5).aPosition[0], 11.0f);
    // In local space the node is left out.
    data->m_nFlags |= PARTICLE_LOCAL_SPACE;
    EXPECT_EQ(emitOne(PARTICLE_SHAPE_POINT).aPosition[0], 1.0f);
    data->m_nFlags &= ~PARTICLE_LOCAL_SPACE;

    // The cone: 0 degrees flies along the frame's Y axis at the speed; multiplier 20 scales it.
    TParticle& up = emitOne(PARTICLE_SHAPE_POINT);
    EXPECT_FLOAT_EQ(up.aDirection[1], 1.0f);
    EXPECT_FLOAT_EQ(up.fSpeed, 1.0f);
    emitter->SetMultiplier(PARTICLE_MULTIPLIER_SPEED, 3.0f);
    EXPECT_FLOAT_EQ(emitOne(PARTICLE_SHAPE_POINT).fSpeed, 3.0f);
    emitter->SetMultiplier(PARTICLE_MULTIPLIER_SPEED, 1.0f);
    // 90 degrees: across the axis; the node turned a quarter about Z turns the axis to -X.
    data->ConeAngle = {90.0f, 0.0f};
    for (int i = 0; i < 8; ++i)
        EXPECT_NEAR(emitOne(PARTICLE_SHAPE_POINT).aDirection[1], 0.0f, 1e-5f);
    data->ConeAngle = {0.0f, 0.0f};
    TMatrix turned = TMatrix::RotationZ(90.0f);
    turned.aRow[3] = place.aRow[3];
    m_Node.SetLocalMatrix(turned, TNode::OrdinaryCause());
    EXPECT_NEAR(emitOne(PARTICLE_SHAPE_POINT).aDirection[0], -1.0f, 1e-5f);
    // An ellipsoid aims along the offset from the centre.
    data->m_nShape = PARTICLE_SHAPE_ELLIPSOID_SURFACE;
    const TParticle& outward = emitOne(PARTICLE_SHAPE_ELLIPSOID_SURFACE);
    const TVector& t = m_Node.GetWorldMatrix()->aRow[3];
    const TVector origin = TMatrix::Multiply(data->m_LocalMatrix, *m_Node.GetWorldMatrix()).aRow[3];
    const TVector offset(outward.aPosition[0] - origin.x, outward.aPosition[1] - origin.y,
                         outward.aPosition[2] - origin.z, 0.0f);
    (void)t;
    EXPECT_NEAR(offset.Normalized().Dot(
                    TVector(outward.aDirection[0], outward.aDirection[1], outward.aDirection[2], 0.0f)),
                1.0f, 1e-4f);
}

TEST_F(EmitterTest, TheRandomStartFrameStaysInsideTheSheet)
{
    TIParticleEmitterData* data = MakeData("sheet", 512);
    data->m_nFlags = PARTICLE_SHEET_RANDOM_START | PARTICLE_SHEET_ANIMATED;
    data->FrameRate = {2.0f, 0.0f};
    data->m_nSheetFrames = 4;
    TIParticleSystem* system = MakeSystem(data);
    system->ResetParticles();
    EmitterOf(system)->Emit(512);
    std::set<f32> frames;
    for (i32 i = 0; i < 512; ++i)
    {
        frames.insert(system->aParticle[i].fFrame);
        EXPECT_EQ(system->aParticle[i].fFrameRate, 2.0f);
    }
    EXPECT_EQ(frames, (std::set<f32>{0.0f, 1.0f, 2.0f, 3.0f}));
    // Without frames, frame 0.
    data->m_nSheetFrames = 0;
    system->ResetParticles();
    EmitterOf(system)->Emit(64);
    for (i32 i = 448; i < 512; ++i)
        EXPECT_EQ(system->aParticle[i].fFrame, 0.0f);
}

TEST_F(EmitterTest, QuietStartsAndPreSimulationLengths)
{
    TIParticleEmitterData* data = MakeData("quiet", 512);
    data->Rate = {10.0f, 0.0f};
    data->Lifetime = {20.0f, 0.0f};
    TIParticleSystem* system = MakeSystem(data);
    TIParticleEmitter* emitter = EmitterOf(system);

    // While the counter is 0, flag 0x800 keeps the emitter from starting.
    Manager().Suspend(0, 1);
    data->m_nFlags = PARTICLE_QUIET_START_OFF;
    system->Start();
    EXPECT_FALSE(system->IsRunning());
    // Flag 0x1000: started as if it had run 10 to 14 seconds, in half-second steps.
    data->m_nFlags = PARTICLE_QUIET_PREWARM;
    system->Start();
    ASSERT_TRUE(system->IsRunning());
    EXPECT_GE(emitter->m_fElapsed, 10.0f);
    EXPECT_LE(emitter->m_fElapsed, 14.5f);
    EXPECT_EQ(std::fmod(emitter->m_fElapsed, 0.5f), 0.0f);
    EXPECT_GE(LiveCount(system), 100);
    // Above 0 (the state after a load), neither flag matters.
    Manager().Suspend(1, 1);
    data->m_nFlags = PARTICLE_QUIET_START_OFF | PARTICLE_QUIET_PREWARM;
    system->Restart();
    EXPECT_TRUE(system->IsRunning());
    EXPECT_EQ(LiveCount(system), 0);

    // Lengths: whole steps until the length is reached, one step at least, none for 0 or less,
    // and never more than a minute.
    const auto simulate = [&](f32 seconds, f32 step) {
        system->Restart();
        emitter->PreSimulate(seconds, step);
        return emitter->m_fElapsed;
    };
    EXPECT_FLOAT_EQ(simulate(1.0f, 0.25f), 1.0f);
    EXPECT_FLOAT_EQ(simulate(1.1f, 0.25f), 1.25f);
    EXPECT_FLOAT_EQ(simulate(0.1f, 0.25f), 0.25f);
    EXPECT_EQ(simulate(0.0f, 0.25f), 0.0f);
    EXPECT_EQ(simulate(-1.0f, 0.25f), 0.0f);
    EXPECT_FLOAT_EQ(simulate(1.0e9f, 0.5f), PARTICLE_PRESIMULATION_LIMIT);
    // A system start pre-advances by its data's pair in fifths of a second.
    data->PreAdvance = {1.0f, 0.0f};
    system->Restart();
    EXPECT_NEAR(emitter->m_fElapsed, 1.0f, 1e-5f);
    EXPECT_EQ(LiveCount(system), 10);

    // A large array lengthens the steps to stay within the work bound: the length is then met
    // exactly instead of rounded up to a whole half-second.
    data->PreAdvance = {0.0f, 0.0f};
    const struct
    {
        i32 particles;
        f32 elapsed;
    } kArrays[] = {{8738, 60.0f}, {8739, 59.9f}, {PARTICLE_MAX_PARTICLES, 59.9f}};
    for (const auto& row : kArrays)
    {
        data->m_nMaxParticles = row.particles;
        EXPECT_NEAR(simulate(59.9f, 0.5f), row.elapsed, 1e-3f) << row.particles;
    }
}

TEST_F(EmitterTest, WithoutACameraNothingIsEmitted)
{
    TIParticleEmitterData* data = MakeData("blind");
    data->Rate = {100.0f, 0.0f};
    TIParticleSystem* system = MakeSystem(data);
    system->Start();
    g_pDxCameraManager->SetCamera(nullptr);
    system->Update(0.5f);
    EXPECT_EQ(LiveCount(system), 0);
    g_pDxCameraManager->SetCamera(&m_Camera);
    system->Update(0.5f);
    EXPECT_EQ(LiveCount(system), 50);
}

TEST_F(EmitterTest, DepthSortingMovesFarParticlesForwardAndKeepsTheFreeList)
{
    TIParticleEmitterData* data = MakeData("sorted", 8);
    data->m_nFlags = PARTICLE_DEPTH_SORT;
    data->m_nLifeMode = PARTICLE_LIFE_AGELESS;
    TIParticleSystem* system = MakeSystem(data);
    system->ResetParticles();
    EmitterOf(system)->Emit(8);
    // Free two slots in the middle, as particles that died do.
    for (i32 index : {3, 5})
    {
        TParticle& p = system->aParticle[index];
        p.fAge = PARTICLE_FREE;
        p.nLink = system->m_nFreeHead;
        system->m_nFreeHead = index;
    }
    // Live particles at increasing distances from the camera at the origin (on +Z).
    for (i32 i = 0; i < 8; ++i)
    {
        TParticle& p = system->aParticle[i];
        p.aPosition[0] = p.aPosition[1] = 0.0f;
        p.aPosition[2] = static_cast<f32>(i + 1);
        p.fSpeed = 0.0f;
    }
    system->Update(0.01f);
    // One pass of swaps between live neighbours: each far one moves a place ahead, the nearest
    // sinks to the back.
    const f32 depths[8] = {2.0f, 3.0f, 5.0f, 0.0f, 7.0f, 0.0f, 8.0f, 1.0f};
    for (i32 i : {0, 1, 2, 4, 6, 7})
        EXPECT_EQ(system->aParticle[i].aPosition[2], depths[i]) << i;
    // The free slots are where the list says, and the list holds them alone.
    EXPECT_EQ(system->m_nFreeHead, 5);
    EXPECT_TRUE(system->aParticle[5].IsFree() && system->aParticle[3].IsFree());
    EXPECT_EQ(std::vector<i32>({system->aParticle[5].nLink, system->aParticle[3].nLink}), std::vector<i32>({3, PARTICLE_LIST_END}));
    EXPECT_EQ(system->m_nLive, 6);
    EXPECT_EQ(EmitterOf(system)->Emit(3), 2u);
}
